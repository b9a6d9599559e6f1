#pragma once
// qemcli: each subcommand lives in its own cmd_*.cpp and registers itself here.
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/Report.h"
#include "lines/CalcCommands.h"

namespace qem::cli {

// Parsed command line of one subcommand: positional arguments and --options.
struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // "--line 3" -> {"line","3"}; flags -> {"yes",""}

    bool has(const std::string& name) const { return options.count(name) > 0; }
    std::string get(const std::string& name, const std::string& def = "") const;
    // Integer / real option; a missing or unreadable value is a usage error.
    int getInt(const std::string& name) const;
    int getInt(const std::string& name, int def) const;
    double getReal(const std::string& name) const;
    double getReal(const std::string& name, double def) const;
};

// Wrong usage: a one-line message on stderr, exit code 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Command {
    std::string name;
    std::string usage;     // one line: "dump NET.qem"
    std::string summary;   // what it does
    std::vector<std::string> flags;  // options that take no value ("yes", "pue6", ...)
    std::function<int(const Args&)> run;
};

std::map<std::string, Command>& Registry();

struct Registrar {
    explicit Registrar(Command c);
};

// PDF output of reports; empty when the program was built without Qt. Throws with a clear
// message when the file cannot be written.
using ReportPdfWriter = std::function<void(const ReportHeading&, const Report&, const std::string& file)>;
ReportPdfWriter& PdfWriter();

// Options every subcommand understands: --data DIR, --pue6, --color=..., --yes/--no.
extern const std::vector<std::string> kCommonFlags;

// JSON text helpers (UTF-8 output).
std::string JsonString(const std::string& utf8);
// Shortest decimal text that reads back to the same 32-bit float.
std::string JsonSingle(float v);
// Shortest decimal text that reads back to the same double.
std::string JsonDouble(double v);

}  // namespace qem::cli

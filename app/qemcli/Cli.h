#pragma once
// qemcli: each subcommand lives in its own cmd_*.cpp and registers itself here.
#include <functional>
#include <iosfwd>
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
    std::string usage;               // one line: "dump NET.qem"
    std::string summary;             // what it does
    std::vector<std::string> flags;  // options that take no value ("yes", "pue6", ...)
    std::function<int(const Args&)> run;
};

std::map<std::string, Command>& Registry();

struct Registrar {
    explicit Registrar(Command c);
};

// PDF output of a report through the program qempdf beside qemcli (absent when the program
// was built without Qt). Throws with a clear message when the file cannot be written.
void WritePdf(const ReportHeading& heading, const Report& r, const std::string& file);

// Options every subcommand understands: --data DIR, --pue6, --color=..., --yes/--no.
extern const std::vector<std::string> kCommonFlags;

// Puts TerminalText (model/Cp1251.h) between std::cout, std::cerr and the terminal: control
// characters and bytes that are not UTF-8 are printed as '?'. Called once by main.
void FilterStandardStreams();
// Standard output without the filter, for the colour codes of a report whose texts have been
// passed through TerminalText already. Flush std::cout before writing to it.
std::ostream& RawOut();

// JSON text helpers (UTF-8 output). A string is always valid UTF-8 and carries no control
// character: those are escaped (\u001b), and so is each byte that is not part of valid UTF-8,
// as the lone surrogate \udcXX that file-name decoders use for such bytes (Python reads it back
// to the same byte with os.fsencode).
std::string JsonString(const std::string& utf8);
// Shortest decimal text that reads back to the same 32-bit float.
std::string JsonSingle(float v);
// Shortest decimal text that reads back to the same double.
std::string JsonDouble(double v);

}  // namespace qem::cli

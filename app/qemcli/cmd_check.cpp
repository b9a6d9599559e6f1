// qemcli check NET.qem: every problem of a network file, one per line; exit code 1 when any.
#include <iostream>

#include "app/qemcli/Cli.h"
#include "model/NetworkCheck.h"
#include "model/NetworkFile.h"

namespace qem::cli {
namespace {

int Check(const Args& a) {
    if (a.positional.size() != 1) throw UsageError("expects one network file");
    const std::string& path = a.positional[0];
    std::vector<std::uint8_t> bytes;
    std::vector<std::string> problems;
    try {
        bytes = ReadNetworkImage(path);  // the layout checked before the file is read
        problems = CheckNetworkImage(bytes, path);
    } catch (const NetworkLayoutError& e) {
        problems = {e.what()};
    }
    for (const std::string& p : problems) std::cout << p << "\n";
    if (!problems.empty()) return 1;
    const auto layout = ScanNetworkLayout(bytes, path);
    std::size_t spans = 0;
    for (const auto& l : layout) spans += static_cast<std::size_t>(l.nspans);
    std::cout << "Файл " << Quoted(path) << " в порядке: линий " << layout.size() << ", пролётов " << spans << "\n";
    return 0;
}

Registrar r({"check",
             "check NET.qem",
             "check a network file: layout, counts and field values; exit code 1 when a problem is found",
             {},
             Check});

}  // namespace
}  // namespace qem::cli

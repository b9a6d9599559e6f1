// qemcli merge FOLDER: "Объединить" — DB_1.qem of all network files of a folder.
#include <iostream>

#include "app/qemcli/Cli.h"
#include "model/NetworkFile.h"

namespace qem::cli {
namespace {

int Merge(const Args& a) {
    if (a.positional.size() != 1) throw UsageError("expects one folder");
    const MergeResult r = MergeFolder(a.positional[0]);
    for (const auto& p : r.problems) std::cerr << p << "\n";
    if (!r.written) {
        if (r.problems.empty()) std::cerr << "folder " << a.positional[0] << " does not exist\n";
        return 1;
    }
    std::cout << "{\"File\":" << JsonString(std::string(kMergeFileName)) << ",\"Lines\":" << r.total << ",\"Merged\":[";
    for (std::size_t i = 0; i < r.merged.size(); ++i) std::cout << (i ? "," : "") << JsonString(r.merged[i]);
    std::cout << "]}\n";
    return r.problems.empty() ? 0 : 1;
}

const Registrar reg({"merge",
                     "merge FOLDER",
                     "merges every network file of the folder into FOLDER/DB_1.qem (\"Объединить\")",
                     {},
                     Merge});

}  // namespace
}  // namespace qem::cli

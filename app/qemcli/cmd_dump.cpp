// qemcli dump NET.qem: the whole network as JSON.
#include <iostream>

#include "app/qemcli/Cli.h"
#include "app/qemcli/JsonRecords.h"
#include "model/NetworkFile.h"

namespace qem::cli {
namespace {

int Dump(const Args& a) {
    if (a.positional.size() != 1) throw UsageError("expects one network file");
    std::cout << NetworkJson(ReadNetwork(a.positional[0]));
    return 0;
}

Registrar r({"dump", "dump NET.qem", "print the whole network file as JSON (UTF-8)", {}, Dump});

}  // namespace
}  // namespace qem::cli

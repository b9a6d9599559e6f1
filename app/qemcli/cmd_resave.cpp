// qemcli resave IN.qem OUT.qem: reads a network file and writes it again.
#include "app/qemcli/Cli.h"
#include "model/NetworkFile.h"

namespace qem::cli {
namespace {

int Resave(const Args& a) {
    if (a.positional.size() != 2) throw UsageError("expects an input and an output network file");
    WriteNetwork(a.positional[1], ReadNetwork(a.positional[0]));
    return 0;
}

Registrar r({"resave",
             "resave IN.qem OUT.qem",
             "read a network file and write it again (byte-identical when sound)",
             {},
             Resave});

}  // namespace
}  // namespace qem::cli

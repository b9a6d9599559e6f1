// The line network file: refused with a message, or read back byte for byte, checked, and
// calculated on its first line.
#include "fuzz/FuzzTarget.h"
#include "model/NetworkCheck.h"
#include "model/NetworkFile.h"

using namespace qem;

QEM_FUZZ_TARGET(network) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    std::vector<TyLine> lines;
    try {
        lines = DecodeNetwork(bytes, "fuzz.qem");
    } catch (const FileError& e) {
        if (std::string(e.what()).find("fuzz.qem") == std::string::npos) fuzz::Fail("message names no file");
        return;
    }
    if (EncodeNetwork(lines) != bytes) fuzz::Fail("the network does not write back to the bytes it was read from");
    CheckLines(lines);
    if (!lines.empty()) fuzz::RunCalculations(lines[0], fuzz::HostEnv(fuzz::UsualNorms()));
}

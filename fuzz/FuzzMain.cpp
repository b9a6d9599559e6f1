// libFuzzer entry of one fuzz target: the one QEM_FUZZ_TARGET linked with this file.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "fuzz/FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto& targets = qem::fuzz::Targets();
    if (targets.size() != 1) {
        std::fprintf(stderr, "a fuzz program links exactly one target, not %zu\n", targets.size());
        std::abort();
    }
    try {
        targets[0].run(data, size);
    } catch (const qem::fuzz::Finding& f) {
        std::fprintf(stderr, "fuzz_%s: %s\n", targets[0].name, f.what.c_str());
        std::abort();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "fuzz_%s: an exception got out: %s\n", targets[0].name, e.what());
        std::abort();
    }
    return 0;
}

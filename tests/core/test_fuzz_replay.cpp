// The fuzz targets on their seeds and on every input a fuzzer once found a fault with: each
// must pass through its target without a finding or an exception.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "fuzz/FuzzTarget.h"

namespace fs = std::filesystem;

namespace {

const fs::path kFuzz = fs::path(QEM_SOURCE_DIR) / "fuzz";

std::vector<std::uint8_t> Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the target on every file of fuzz/<kind>/<target>; the number of files.
int Replay(const qem::fuzz::Target& t, const char* kind) {
    const fs::path dir = kFuzz / kind / t.name;
    int n = 0;
    if (!fs::is_directory(dir)) return 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        ++n;
        const std::vector<std::uint8_t> b = Bytes(e.path());
        try {
            t.run(b.data(), b.size());
        } catch (const qem::fuzz::Finding& f) {
            ADD_FAILURE() << t.name << " on " << e.path() << ": " << f.what;
        } catch (const std::exception& x) {
            ADD_FAILURE() << t.name << " on " << e.path() << ": an exception got out: " << x.what();
        }
    }
    return n;
}

}  // namespace

TEST(FuzzReplay, SeedsAndRegressionInputsPassEveryTarget) {
    std::set<std::string> names;
    for (const auto& t : qem::fuzz::Targets()) {
        SCOPED_TRACE(t.name);
        names.insert(t.name);
        EXPECT_GT(Replay(t, "corpus"), 0) << "no seeds in fuzz/corpus/" << t.name;
        Replay(t, "regressions");
    }
    EXPECT_GE(names.size(), 8u);
    // Every folder belongs to a target, so that no input is silently left out.
    for (const char* kind : {"corpus", "regressions"}) {
        if (!fs::is_directory(kFuzz / kind)) continue;
        for (const auto& e : fs::directory_iterator(kFuzz / kind))
            EXPECT_TRUE(names.count(e.path().filename().string())) << "fuzz/" << kind << "/" << e.path().filename();
    }
}

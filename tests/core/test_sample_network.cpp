// The sample line network shipped in the data folder: realistic, readable, and consistent
// with the engine (its reference states come back from its measurements).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "engine/CalcEnv.h"
#include "engine/Loads.h"
#include "engine/StateChange.h"
#include "lines/CalcCommands.h"
#include "model/AppData.h"
#include "model/Cp1251.h"
#include "model/NetworkFile.h"
#include "platform/ScriptedDialogs.h"
#include "setup/InitialConditions.h"
#include "setup/ZamerTemp.h"

using namespace qem;
namespace fs = std::filesystem;

namespace {
const fs::path kData = fs::path(QEM_BIN_DIR) / "data";
const std::string kSample = PathToUtf8(kData / fs::u8path("Пример сети.qem"));
}  // namespace

TEST(SampleNetwork, ThreeLinesOfDozensOfRealisticSpans) {
    const std::vector<TyLine> lines = ReadNetwork(kSample);
    ASSERT_EQ(lines.size(), 3u);
    std::set<int> classes, obstacleTypes;
    for (const auto& l : lines) {
        classes.insert(l.Uvl);
        EXPECT_GE(l.NSpans(), 24);
        for (const auto& s : l.Spans) {
            EXPECT_GT(s.Lpr, 150);
            EXPECT_LT(s.Lpr, 500);
            EXPECT_GT(s.Hpr1, 10);
            EXPECT_GT(s.Zem[1].ZemL, 0.01f);  // a route profile
            EXPECT_GT(s.Zamer[1].Time, 40000);  // one dated measurement
            EXPECT_GT(s.Zamer[1].HMid, 5);
            EXPECT_GT(s.PrBreak, 0);
            // A sensible reference state: taut, below the allowable stress.
            EXPECT_GT(s.Si, 4);
            EXPECT_LT(s.Si, AllowableStress(s));
            for (int k = 1; k <= s.NPrep; ++k) obstacleTypes.insert(s.Prep[k].TPrp);
        }
    }
    EXPECT_EQ(classes, (std::set<int>{1, 3, 4}));  // 500, 220, 110 kV
    for (int t : {3, 4, 5, 6, 7, 8, 9, 10}) EXPECT_TRUE(obstacleTypes.count(t)) << t;
    EXPECT_FALSE(lines[0].KOSwitch1.FullName.empty());
    EXPECT_FALSE(lines[2].KOCT2.FullName.empty());
}

TEST(SampleNetwork, MeasurementsGiveBackTheStoredReferenceStates) {
    std::vector<TyLine> lines = ReadNetwork(kSample);
    for (auto& l : lines)
        for (auto& s : l.Spans) {
            TySpan copy = s;
            ZamerSag(copy, 1);
            ZamerConductorTemp(copy, 1);
            ComputeInitialConditions(copy, ZamerMode::OnePoint, false);
            EXPECT_EQ(copy.Si, s.Si);
            EXPECT_EQ(copy.Tv, 25);
        }
}

TEST(SampleNetwork, EveryLineCalculates) {
    AppData data = LoadAll(kData, false);
    Network net;
    net.Lines = ReadNetwork(kSample);
    CalcEnv env;
    env.norms = &data.norms;
    ScriptedDialogs dlg;
    for (int l = 1; l <= net.NLines(); ++l) {
        net.CurLine = l;
        Report r;
        const LineCommandResult res = SBRasClick(net, env, dlg, r);
        EXPECT_EQ(res.end, CommandEnd::Done) << l;
        EXPECT_LT(res.outcome.minima.LineIClr, kNoLineLimit);
        EXPECT_GT(res.outcome.minima.LineIMax, 300);
    }
    EXPECT_TRUE(dlg.shown.empty());
}

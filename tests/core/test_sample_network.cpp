// The sample line network shipped in the data folder: realistic, readable, and consistent
// with the engine (its reference states come back from its measurements).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

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
            EXPECT_GT(s.Zem[1].ZemL, 0.01f);    // a route profile
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
        const LineCommandResult res = LineRegimeCommand(net, env, dlg, r);
        EXPECT_EQ(res.end, CommandEnd::Done) << l;
        EXPECT_LT(res.outcome.minima.LineIClr, kNoLineLimit);
        EXPECT_GT(res.outcome.minima.LineIMax, 300);
    }
    EXPECT_TRUE(dlg.shown.empty());
}

namespace {

struct SampleRun {
    AppData data = LoadAll(kData, false);
    Network net;
    CalcEnv env;
    ScriptedDialogs dlg;
    SampleRun() {
        net.Lines = ReadNetwork(kSample);
        env.norms = &data.norms;
    }
    Report SpanReport(int line, int span) {
        net.CurLine = line;
        net.CurSpan[line] = span;
        Report r;
        EXPECT_EQ(StoredSpanRegimeCommand(net, env, dlg, r).end, CommandEnd::Done);
        return r;
    }
    Report LineReport(int line) {
        net.CurLine = line;
        Report r;
        EXPECT_EQ(LineRegimeCommand(net, env, dlg, r).end, CommandEnd::Done);
        return r;
    }
};

// The number in cell `i` of a report line, counting the text before its first bar as cell 0.
double Cell(const std::string& row, int i) {
    std::istringstream in(row);
    std::string c;
    for (int n = 0; n <= i; ++n) std::getline(in, c, '|');
    return std::stod(c);
}

}  // namespace

// The 500 kV line has three conductors per phase carrying 1800 A, well below their maximum
// allowable current: every span report and every row of the line report shows a conductor
// below its 90 C.
TEST(SampleNetwork, SplitPhaseLineCarriesItsCurrentBelowTheMaximumTemperature) {
    SampleRun run;
    ASSERT_EQ(run.net.Line(3).Uvl, 1);
    for (int j = 1; j <= run.net.Line(3).NSpans(); ++j) {
        const TySpan& s = run.net.Line(3).Span(j);
        ASSERT_EQ(s.Mpr, 3);
        const Report r = run.SpanReport(3, j);
        for (const ReportLine& l : r.lines)
            if (l.text.rfind(" |Температура пров.|", 0) == 0) EXPECT_LT(Cell(l.text, 2), s.Pr.TMax) << l.text;
    }
    const Report table = run.LineReport(3);
    int rows = 0;
    for (const ReportLine& l : table.lines)
        if (l.text.rfind(" | ", 0) == 0 && l.text.find("|      1      |") != std::string::npos) {
            EXPECT_LT(Cell(l.text, 11), 90) << l.text;
            ++rows;
        }
    EXPECT_EQ(rows, run.net.Line(3).NSpans());
    EXPECT_TRUE(run.dlg.shown.empty());
}

// An object 22 m high under span 4 - 5 of line 1 stands above the conductor: its clearance is
// negative and red, it allows no current, the verdict is "НЕЛЬЗЯ", and its line report row is red.
TEST(SampleNetwork, ObjectAboveTheConductorIsABreachNotAClearance) {
    SampleRun run;
    TySpan& s = run.net.Line(1).Span(4);
    ASSERT_EQ(s.NPrep, 1);
    ASSERT_EQ(s.Prep[1].Lprep, 126);
    s.Prep[1].Hprep = 22;
    const Report r = run.SpanReport(1, 4);
    const auto row = std::find_if(r.lines.begin(), r.lines.end(), [](const ReportLine& l) {
        return l.text.rfind(" |Габарит до препятствия, м  | ", 0) == 0;
    });
    ASSERT_NE(row, r.lines.end());
    EXPECT_EQ(row->colour, Colour::Red);
    EXPECT_LT(Cell(row->text, 2), -10) << row->text;
    const auto current = std::find_if(r.lines.begin(), r.lines.end(),
                                      [](const ReportLine& l) { return l.text.rfind(" |Ток в проводе, A |", 0) == 0; });
    ASSERT_NE(current, r.lines.end());
    EXPECT_EQ(current->colour, Colour::Red);
    EXPECT_EQ(current->text.substr(current->text.size() - 12), "         0 |");
    EXPECT_EQ(r.lines[r.lines.size() - 2].text, kVerdictNo);

    const Report table = run.LineReport(1);
    const auto span4 = std::find_if(table.lines.begin(), table.lines.end(),
                                    [](const ReportLine& l) { return l.text.rfind(" |     4-    5|", 0) == 0; });
    ASSERT_NE(span4, table.lines.end());
    EXPECT_EQ(span4->colour, Colour::Red);
    EXPECT_LT(Cell(span4->text, 16), -10) << span4->text;  // the signed clearance
}

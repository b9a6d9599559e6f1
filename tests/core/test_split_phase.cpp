// A phase of several conductors: each conductor carries its share of the phase current, in the
// span report, the line report and the conductor temperature at a measurement, so that a phase
// of three conductors behaves, conductor by conductor, like a single conductor at a third of
// the current.
#include <gtest/gtest.h>

#include <sstream>

#include "ReportFixtures.h"
#include "engine/LineReport.h"
#include "engine/SpanReport.h"
#include "lines/CalcCommands.h"
#include "platform/ScriptedDialogs.h"
#include "setup/InitialConditions.h"
#include "setup/ZamerTemp.h"

using namespace qem;
using namespace qem::test;

namespace {

// The two-obstacle span with `mpr` conductors per phase, each carrying 300 A.
TySpan Phase(int mpr) {
    TySpan s = TwoObstacleSpan();
    s.Mpr = mpr;
    s.Iv = float(300 * mpr);
    return s;
}

std::vector<std::string> SpanReportLines(TySpan s) {
    ScriptedDialogs dlg;
    Report out;
    SpanView view;
    EXPECT_TRUE(SpanRegimeReport(TestLine(), s, Env(), dlg, out, &view).written);
    return Marked(out);
}

// The cells of a line report row between its bars.
std::vector<std::string> Cells(const std::string& row) {
    std::vector<std::string> v;
    std::istringstream in(row);
    for (std::string c; std::getline(in, c, '|');) v.push_back(c);
    return v;
}

}  // namespace

// Without its line rows, the report of three conductors at 900 A is the report of one
// conductor at 300 A: the same temperature, stress, tension, sag, clearances and verdict.
TEST(SplitPhase, SpanReportOfThreeConductorsIsThatOfOneAtAThirdOfTheCurrent) {
    const std::vector<std::string> one = SpanReportLines(Phase(1));
    std::vector<std::string> three = SpanReportLines(Phase(3));
    int lineRows = 0;
    for (auto it = three.begin(); it != three.end();)
        if (it->find("|Ток линии    , A |") != std::string::npos) {
            EXPECT_NE(it->find("|           900 |"), std::string::npos) << *it;
            it = three.erase(it), ++lineRows;
        } else {
            ++it;
        }
    EXPECT_EQ(lineRows, 2);
    EXPECT_TRUE(SameLines(three, one));
    // Heated with 300 A, not 900 A.
    const TySpan s = Phase(3);
    const std::string temp = "| |Температура пров.|" + F("%14.2f", TempAt(s, 300)) + " |";
    EXPECT_EQ(one[20].substr(0, temp.size()), temp);
}

// The line report's state columns (temperature, stress, tension, sag, clearances) are the
// single conductor's; the current columns are those of the phase.
TEST(SplitPhase, LineRowShowsTheStateOfEachConductorsShare) {
    TyLine one = TestLine(), three = TestLine();
    one.Spans = {Phase(1)};
    three.Spans = {Phase(3)};
    ScriptedDialogs dlg;
    Report r1, r3;
    LineRegimeReport(one, Env(), dlg, r1);
    LineRegimeReport(three, Env(), dlg, r3);
    for (std::size_t i : {7u, 9u}) {  // the rows of the two obstacles
        const auto c1 = Cells(r1.lines[i].text), c3 = Cells(r3.lines[i].text);
        ASSERT_EQ(c1.size(), c3.size());
        EXPECT_EQ(c3[7], "   900");
        for (std::size_t c = 8; c <= 10; ++c) EXPECT_NEAR(std::stod(c3[c]), 3 * std::stod(c1[c]), 1.5) << c;
        for (std::size_t c = 11; c < c1.size(); ++c) EXPECT_EQ(c3[c], c1[c]) << c;
        EXPECT_EQ(r3.lines[i].colour, r1.lines[i].colour);
        EXPECT_EQ(Cells(r3.lines[i].text)[11], F("%6.0f", TempAt(Phase(3), 300)));
    }
}

// The crews measure the line current: the conductor temperature at the measurement, and so
// the reference state, are those of each conductor's share.
TEST(SplitPhase, MeasurementHeatsEachConductorWithItsShare) {
    TySpan one = Phase(1), three = Phase(3);
    for (TySpan* s : {&one, &three}) {
        TyZamer& z = s->Zamer[1];
        z.Time = 45853.58;  // July
        z.Tzv = 0;
        z.Tv = 24;
        z.V = 1;
        z.Alf = 60;
        z.I = float(250 * s->Mpr);
        z.HMid = 7;
        RecomputeInitialConditions(*s, Env());
    }
    EXPECT_GT(one.Zamer[1].TPr, 30);  // a noticeably warm conductor
    EXPECT_EQ(three.Zamer[1].TPr, one.Zamer[1].TPr);
    EXPECT_EQ(three.Si, one.Si);
}

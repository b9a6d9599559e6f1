// The allowable temperatures table and its command, the calculation series and the sweep.
#include <gtest/gtest.h>

#include <cmath>

#include "ReportFixtures.h"
#include "TempFolder.h"
#include "engine/AllowTempReport.h"
#include "engine/Currents.h"
#include "lines/CalcCommands.h"
#include "lines/Series.h"
#include "model/Network.h"
#include "platform/ScriptedDialogs.h"

using namespace qem;
using namespace qem::test;

namespace {

const std::vector<std::string> kAllowHeader = {
    "            ВЛ 110 кВ ПС Лесная-ПС Озёрная",
    "--------------------------------------------------------------",
    "|            |Температура|    Габарит, м   |Доп. темп.провода|",
    "|   Пролет   |  провода, |-----------------|-----------------|",
    "|            |    град   |До земли|До преп.|До земли|До преп.|",
    "|------------+-----------+--------+--------+--------+--------|",
};

SpanResult Obst1At(const TySpan& s, double T) {
    SpanResult r;
    SpanStateObst1(s, T, r);
    return r;
}

// The row of the table worked out from the state of the span (obstacle 1 only, smallest
// clearance, signed obstacle clearance).
std::string AllowRow(const TySpan& s) {
    const bool ice = !(s.Bgv < 0.001f && s.Gamma < 0.001f);
    // Cooling from the air temperature in whole kelvins while `short_` holds; the first test
    // is made on the state at zero current that the search left.
    auto cool = [&](auto short_) {
        if (!short_(Obst1At(s, TempAt(s, 0)))) return double(s.Tvv);
        double T = s.Tvv - 1;
        while (short_(Obst1At(s, T)) && T > -50) T -= 1;
        return T;
    };
    double Tg = 0;
    if (!ice) {
        const int I = LargestCurrent([&](double I) { return Obst1At(s, TempAt(s, I)).ClrMin > 5.5; });
        Tg = I > 0 ? TempAt(s, I + 1) : cool([](const SpanResult& r) { return r.ClrMin < 5.5 && r.ClrMin > 0; });
    }
    const bool present = s.Prep[1].Lprep > 0.1f;
    const double norm = s.Prep[1].TPrp >= 8 ? 5 : 3;
    double To = 0;
    if (present && !ice) {
        const int I = LargestCurrent([&](double I) { return Obst1At(s, TempAt(s, I)).ClrObst > norm; });
        To = I > 0 ? TempAt(s, I + 1) : cool([&](const SpanResult& r) { return r.ClrObst < norm && r.ClrObst > 0; });
    }
    const HeatingState h = HeatingCurve(s, s.Iv / s.Mpr, 0.01);
    const SpanResult st = Obst1At(s, s.Bgv > 0.1f ? double(s.Tvv) : h.Tprev);
    char b[160];
    std::snprintf(b, sizeof b, "| %5s-%5s|%11.0f|%8.2f|%8s|%8.0f|%8s|", s.Nop1.str().c_str(), s.Nop2.str().c_str(), h.T,
                  st.ClrMin, present ? F("%8.2f", st.ClrObst).c_str() : "    - ", Tg,
                  present ? F("%8.0f", To).c_str() : "    - ");
    return b;
}

std::vector<std::string> Texts(const Report& r) {
    std::vector<std::string> v;
    for (const auto& l : r.lines) v.push_back(l.text);
    return v;
}

}  // namespace

// Spans: with the crossing at 100 m; without obstacles but with stale data of obstacle 2; with
// a building standing above the conductor; in ice.
TEST(AllowTempTable, RowsOfEveryKindOfSpan) {
    TyLine l = TestLine();
    TySpan a = TwoObstacleSpan();
    TySpan b = TwoObstacleSpan();
    b.Nop1.assign("13");
    b.Nop2.assign("14");
    b.NPrep = 0;
    b.Prep[1] = TyPrep{};
    TySpan c = TwoObstacleSpan();
    c.Nop1.assign("14");
    c.Nop2.assign("15");
    c.NPrep = 1;
    c.Prep[1].Hprep = 12;  // above the conductor
    c.Prep[1].TPrp = 8;
    TySpan d = a;
    d.Nop1.assign("15");
    d.Nop2.assign("16");
    d.Bgv = 1;
    d.Gamma = 0.9f;
    l.Spans = {a, b, c, d};
    const TyLine before = l;
    Report out;
    const AllowTempOutcome o = AllowTempTable(l, Env(), out);
    EXPECT_FALSE(o.failed);
    std::vector<std::string> expected = kAllowHeader;
    for (const TySpan& s : before.Spans) expected.push_back(AllowRow(s));
    expected.push_back(std::string(62, '-'));
    EXPECT_TRUE(SameLines(Texts(out), expected));
    EXPECT_EQ(l, before);
    // The stale obstacle 2 of span 13-14 is not reported; the building's clearance is negative
    // and its temperature is the air temperature; in ice the ground temperature is 0.
    EXPECT_EQ(expected[7].substr(expected[7].size() - 27, 9), "      - |");
    EXPECT_EQ(expected[7].substr(expected[7].size() - 9), "      - |");
    EXPECT_NE(expected[8].find("|   -"), std::string::npos) << expected[8];
    EXPECT_EQ(expected[8].substr(expected[8].size() - 9), "      25|");
    EXPECT_EQ(expected[9].substr(expected[9].size() - 18), "       0|       0|");
    for (const auto& line : out.lines) EXPECT_EQ(line.colour, Colour::Black);
}

TEST(AllowTempTable, LineWithoutSpansWritesTheHeaderOnly) {
    TyLine l = TestLine();
    Report out;
    AllowTempTable(l, Env(), out);
    EXPECT_EQ(Texts(out), kAllowHeader);
}

// The command writes Windows-1251 with CR LF, one table per line for all lines, and keeps the
// rows so far when a calculation fails.
TEST(AllowTempCommand, FileOfAllLinesAndFailure) {
    qemtest::TempFolder dir;
    Network net;
    TyLine l1 = TestLine();
    l1.Spans = {TwoObstacleSpan()};
    TyLine l2 = l1;
    l2.Uvl = 3;
    net.Lines = {l1, l2};
    net.CurLine = 2;
    const std::string file = (dir / "qemras.txt").string();
    ScriptedDialogs dlg;
    Report out;
    EXPECT_EQ(AllowTempCommand(net, Env(), dlg, file, true, out), CommandEnd::Done);
    const std::string bytes = qemtest::ReadText(file);
    EXPECT_EQ(bytes, Cp1251Text(out));
    EXPECT_EQ(bytes.substr(0, 18), "            \xC2\xCB 110");  // "ВЛ" in Windows-1251
    EXPECT_NE(bytes.find("\r\n            \xC2\xCB 220"), std::string::npos);
    EXPECT_EQ(out.lines.size(), 2u * 8);
    EXPECT_TRUE(dlg.shown.empty());

    // The current line only: replaces the file.
    EXPECT_EQ(AllowTempCommand(net, Env(), dlg, file, false, out), CommandEnd::Done);
    EXPECT_EQ(out.lines.size(), 8u);
    EXPECT_EQ(out.lines[0].text, "            ВЛ 220 кВ ПС Лесная-ПС Озёрная");
    EXPECT_EQ(qemtest::ReadText(file), Cp1251Text(out));

    // A span of no length fails, named: the rows before it stay in the file, without a closing line.
    TySpan bad = TwoObstacleSpan();
    bad.Lpr = 0;
    net.Line(1).Spans.push_back(bad);
    EXPECT_EQ(AllowTempCommand(net, Env(), dlg, file, true, out), CommandEnd::Failed);
    EXPECT_EQ(dlg.Texts(),
              std::vector<std::string>{"Произошла ошибка при расчёте\nВЛ 110 кВ ПС Лесная-ПС Озёрная, "
                                       "пролёт 12 - 13: «Длина пролета, м» = 0 — должно быть больше нуля"});
    EXPECT_EQ(out.lines.size(), 7u);
    EXPECT_EQ(qemtest::ReadText(file), Cp1251Text(out));
}

// ---- Series and sweep ---------------------------------------------------------------------

namespace {

const std::vector<std::string> kSeriesHeader = {
    "------------------------------------------------------------------",
    "|   Tв    |    v     |    I     |    Tпр   |    Iмд   |    Iмдд  |",
    "|---------+----------+----------+----------+----------+----------|",
};

std::string SeriesRow(const TySpan& s, double Ta, double v, double Iphase) {
    const int m = s.Mpr;
    auto limit = [&](double T) {
        try {
            return m * CurrentAtTemp(s, T, Ta, v, s.Alfv);
        } catch (const std::exception&) {
            return 0.0;
        }
    };
    char b[128];
    std::snprintf(b, sizeof b, "|%8.1f | %8.1f | %8.0f | %8.2f | %8.0f | %8.0f |", Ta, v, Iphase,
                  ConductorTemp(s, Ta, v, s.Alfv, Iphase / m), limit(s.Pr.TMax), limit(70));
    return b;
}

}  // namespace

TEST(CalculationSeries, RowsNestWithTheCurrentInnermost) {
    TySpan s = TwoObstacleSpan();
    s.Mpr = 3;
    s.Iv = 600;
    const TySpan before = s;
    SeriesSettings st;
    st.N1 = 2, st.N2 = 2, st.N3 = 3;
    st.dT = 5, st.dV = 0.5f, st.dI = 30;
    Report out;
    EXPECT_FALSE(CalculationSeries(s, st, 70, out).failed);
    std::vector<std::string> expected = kSeriesHeader;
    for (double Ta : {25.0, 30.0})
        for (double v : {1.0, 1.5})
            for (double I : {600.0, 630.0, 660.0}) expected.push_back(SeriesRow(s, Ta, v, I));
    expected.push_back(kSeriesHeader[0]);
    EXPECT_TRUE(SameLines(Texts(out), expected));
    EXPECT_EQ(s, before);
}

TEST(CalculationSeries, OnePointAndAirAboveTMax) {
    TySpan s = TwoObstacleSpan();
    Report out;
    CalculationSeries(s, SeriesSettings{}, 70, out);
    ASSERT_EQ(out.lines.size(), 5u);
    EXPECT_EQ(out.lines[3].text, SeriesRow(s, 25, 1, 600));
    // The air warmer than TMax (and than 70 C): both limits print 0, the series goes on.
    s.Tvv = 95;
    out.clear();
    EXPECT_FALSE(CalculationSeries(s, SeriesSettings{}, 70, out).failed);
    ASSERT_EQ(out.lines.size(), 5u);
    EXPECT_EQ(out.lines[3].text.substr(out.lines[3].text.size() - 22), "        0 |        0 |");
}

TEST(OrientationSweep, LatitudeSlowestAndSpanRestored) {
    TySpan s = TwoObstacleSpan();
    s.Fi = 55;
    s.AngP = 17;
    const TySpan before = s;
    Report out;
    EXPECT_FALSE(OrientationSweep(s, 70, out).failed);
    EXPECT_EQ(s, before);
    ASSERT_EQ(out.lines.size(), 3u + 361 + 1);
    EXPECT_EQ(out.lines[0].text, std::string(88, '-'));
    EXPECT_EQ(out.lines[1].text,
              "|   Tв    |    v     |    I     |    Tпр   |    Iмд   |    Iмдд  |    шир.  |  ориен.  |");
    EXPECT_EQ(out.lines[2].text,
              "|---------+----------+----------+----------+----------+---------------------------------");
    EXPECT_EQ(out.lines.back().text, std::string(66, '-'));
    for (int row = 0; row < 361; ++row) {
        TySpan t = before;
        t.Fi = float(5 * (row / 19));
        t.AngP = float(5 * (row % 19));
        char b[160];
        std::snprintf(b, sizeof b, "|%8.1f | %8.0f | %8.0f | %8.2f | %8.0f | %8.0f | %8.0f | %8.0f |", 25.0, 1.0, 600.0,
                      ConductorTemp(t, 25, 1, 90, 300), 2 * CurrentAtTemp(t, 90, 25, 1, 90),
                      2 * CurrentAtTemp(t, 70, 25, 1, 90), double(t.Fi), double(t.AngP));
        ASSERT_EQ(out.lines[3 + row].text, b) << "row " << row;
    }
}

TEST(OrientationSweep, FailureEndsTheTableAndRestoresTheSpan) {
    TySpan s = TwoObstacleSpan();
    s.Fi = 55;
    s.AngP = 17;
    s.Tvv = 95;  // no maximum current
    Report out;
    const SeriesOutcome o = OrientationSweep(s, 70, out);
    EXPECT_TRUE(o.failed);
    EXPECT_EQ(s.Fi, 55);
    EXPECT_EQ(s.AngP, 17);
    ASSERT_EQ(out.lines.size(), 4u);
    EXPECT_TRUE(StartsWith(out.lines[3].text, "Расчёт остановлен ошибкой при шир. = 0, ориен. = 0: "));
}

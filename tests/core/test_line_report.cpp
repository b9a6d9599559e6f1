// The line regime table: rows, colours, closing lines, the line minima and the summary; the
// line commands with their checks, progress, cancellation and failures.
#include <gtest/gtest.h>

#include <cmath>

#include "ReportFixtures.h"
#include "engine/Currents.h"
#include "engine/LineReport.h"
#include "engine/Loads.h"
#include "lines/CalcCommands.h"
#include "model/Network.h"
#include "platform/ScriptedDialogs.h"

using namespace qem;
using namespace qem::test;

namespace {

const std::vector<std::string> kHeader = {
    "|       Результаты расчета",
    "|       для ВЛ 110 кВ ПС Лесная-ПС Озёрная",
    "| ----------------------------------------------------------------------------------------------------------------"
    "------------------------------------",
    "| |            |             |         Исходные данные          |  Допустимые токи,А |Темпер|Напряж|Тяжен.|Стрела|"
    "  Габарит, м     |Доп. темп.пр.    |",
    "| |   Пролет   |№ Препятствия|----------------------------------|--------------------|прово-|в про-|пров.,|провес|"
    "-----------------|-----------------|",
    "| |            |             |tв,гр.| v,м/с|Уг.вет|Солн.р| Ток,А|Макс.д|Дл.доп|По габ|да,гр.| воде |  кГ  |   м  |"
    "До зем мин|До пр.|До зем мин|До пр.|",
    "| |------------+------+------+------+------+------+------+------+------+------+------+------+------+------+------+"
    "----------+------+----------+------|",
};
const std::string kSeparator = kHeader[6];
const std::string kClosing = "| |" + std::string(146, '-') + "|";

const char* const kSky[] = {"ясно  ", "облач.", "пасм. ", "ночн. "};

std::string TempText(double T, double TMax) {
    if (T > TMax) return " > max";
    if (T < 0) return "   0  ";
    return F("%4.1f", T);
}

struct Minima {
    double IMax = 100000, ILong = 100000, IClr = 100000, Temp = -1000;
    int sMax = 0, sLong = 0, sClr = 0, sTemp = 0;
};

// The row of span j, obstacle k, worked out independently of the report; lowers `m`.
std::string Row(const TySpan& s, int j, int k, Minima& m) {
    const double normGround = 5.5;
    const bool absent = s.NPrep < 1 || !(s.Prep[k].Lprep > 0.1f);
    const bool ice = !(s.Bgv < 0.001f && s.Gamma < 0.001f);
    const Limit g = ice ? Limit{} : GroundSearch(s, normGround);
    Limit o;
    const double normObst = k <= s.NPrep ? (s.Prep[k].TPrp >= 8 ? 5.0 : 3.0) : 0;
    if (!absent && !ice) o = ObstacleSearch(s, k, normObst);
    const double IClear = absent ? g.I : std::min(o.I, g.I);
    const int mpr = s.Mpr;
    if (mpr * IClear < m.IClr) m.IClr = mpr * IClear, m.sClr = j;
    const HeatingState heat = HeatingCurve(s, s.Iv / mpr, 0.1);
    TySpan c = s;
    SpanResult first;
    SpanStateFirst(c, k, s.Bgv > 0.1f ? double(s.Tvv) : heat.Tprev, first);
    if (heat.T > m.Temp) m.Temp = heat.T, m.sTemp = j;
    const double Imax = CurrentAtTemp(s, s.Pr.TMax, s.Tvv, s.Vv, s.Alfv);
    const double Ilong = CurrentAtTemp(s, 70, s.Tvv, s.Vv, s.Alfv);
    if (mpr * Imax < m.IMax) m.IMax = mpr * Imax, m.sMax = j;
    if (mpr * Ilong < m.ILong) m.ILong = mpr * Ilong, m.sLong = j;
    // The row shows the state at the steady temperature of each conductor's share of the line
    // current.
    const double TCond = TempAt(s, s.Iv / double(mpr));
    const SpanResult st = StateAt(s, k, TCond);
    const bool obstBreached = !absent && (o.T <= 0 || o.I <= 0 || first.ClrObst < normObst);
    const bool red = AllowableStress(s) < st.Sigma || AllowableTension(s) < st.TensionMax || st.ClrMin < normGround ||
                     st.ClrGround < normGround || obstBreached || g.I <= 0;
    char head[64];
    std::snprintf(head, sizeof head, " | %5s-%5s|%7d      |%6.0f|%6.1f|%6.0f|", s.Nop1.str().c_str(),
                  s.Nop2.str().c_str(), k, double(s.Tvv), double(s.Vv), double(s.Alfv));
    char mid[160];
    std::snprintf(mid, sizeof mid, "|%6.0f|%6.0f|%6.0f|%6.0f|%6.0f|%6.2f|%6.0f|%6.2f|  %6.2f  |", double(s.Iv),
                  mpr * Imax, mpr * Ilong, mpr * IClear, TCond, st.Sigma, st.TensionMax, st.SagMid, st.ClrMin);
    const std::string obstText = absent ? "    - " : F("%6.2f", first.ClrObst);
    auto w6 = [](const std::string& x) { return std::string(x.size() < 6 ? 6 - x.size() : 0, ' ') + x; };
    const std::string tail =
        obstText + "|  " + w6(TempText(g.T, 90)) + "  |" + (absent ? "    - " : w6(TempText(o.T, 90))) + "|";
    return std::string(red ? "R|" : "|") + head + kSky[s.Tzv] + mid + tail;
}

std::vector<std::string> Summary(const TyLine& l, const Minima& m) {
    auto name = [&](int j) {
        return "| в пролете " + Cp1251ToUtf8(l.Span(j).Nop1.str()) + " - " + Cp1251ToUtf8(l.Span(j).Nop2.str());
    };
    return {"|",           "| Макс. допустимый ток, А       - " + F("%6.0f", m.IMax),
            name(m.sMax),  "| Длит. допустимый ток, А       - " + F("%6.0f", m.ILong),
            name(m.sLong), "| Допустимый ток по габариту, А - " + F("%6.0f", m.IClr),
            name(m.sClr),  "| Макс. температура провода, оС - " + F("%6.0f", m.Temp),
            name(m.sTemp)};
}

// Three spans: 12-13 without obstacles, one conductor, too low; 13-14 with the kept crossing and two
// conductors; 14-15, the last, with both obstacles, two conductors and a night sky.
TyLine ThreeSpanLine() {
    TyLine l = TestLine();
    TySpan a = TwoObstacleSpan();
    a.NPrep = 0;
    a.Prep[1] = a.Prep[2] = TyPrep{};
    a.Mpr = 1;
    a.Iv = 300;
    a.Tzv = 0;
    a.Hpr1 = a.Hpr2 = 9;  // too low for the ground norm
    TySpan b = TwoObstacleSpan();
    b.Nop1.assign("13");
    b.Nop2.assign("14");
    b.NPrep = 1;
    b.Prep[2] = TyPrep{};
    b.Tvv = 30;
    b.Vv = 2;
    TySpan c = TwoObstacleSpan();
    c.Nop1.assign("14");
    c.Nop2.assign("15");
    c.Tzv = 3;
    c.Alfv = 45;
    l.Spans = {a, b, c};
    return l;
}

std::vector<std::string> ExpectedTable(const TyLine& l) {
    std::vector<std::string> v = kHeader;
    Minima m;
    for (int j = 1; j <= l.NSpans(); ++j) {
        const TySpan& s = l.Span(j);
        const int rows = s.NPrep < 1 ? 1 : s.NPrep;
        for (int k = 1; k <= rows; ++k) {
            v.push_back(Row(s, j, k, m));
            v.push_back(j == l.NSpans() ? kClosing : kSeparator);
        }
    }
    const auto sum = Summary(l, m);
    v.insert(v.end(), sum.begin(), sum.end());
    return v;
}

}  // namespace

TEST(LineRegimeReport, WholeTableOfThreeSpans) {
    TyLine l = ThreeSpanLine();
    const TyLine before = l;
    const auto expected = ExpectedTable(before);
    ScriptedDialogs dlg;
    Report out;
    const LineRegimeOutcome o = LineRegimeReport(l, Env(), dlg, out);
    ASSERT_EQ(o.end, LineRunEnd::Done);
    EXPECT_TRUE(SameLines(Marked(out), expected));
    // Span 14-15 closes with two closing lines. The road of its second row allows no current,
    // which makes the row red although the temperature allowed by the road is positive.
    EXPECT_EQ(expected[expected.size() - 10], kClosing);
    EXPECT_EQ(expected[expected.size() - 12], kClosing);
    EXPECT_TRUE(StartsWith(expected[expected.size() - 11], "R| |    14-   15|      2      |"));
    EXPECT_NE(expected[expected.size() - 11].find("|     0|"), std::string::npos);
    // Span 12-13 is red: too low for the ground at zero current, and cooling below 0 C.
    EXPECT_TRUE(StartsWith(expected[7], "R| |    12-   13|"));
    EXPECT_NE(expected[7].find("|     0|"), std::string::npos);
    EXPECT_NE(expected[7].find("|     0    |    - |"), std::string::npos) << expected[7];
    // The minima: the one-conductor span 12-13 has the least thermal limits; its 0 A by
    // clearance is named, not the equal 0 A of the road in span 14-15.
    EXPECT_EQ(o.minima.SpanIMax, 1);
    EXPECT_NEAR(o.minima.LineIMax, CurrentAtTemp(before.Span(1), 90, 25, 1, 90), 1e-3);
    EXPECT_EQ(o.minima.LineIClr, 0);
    EXPECT_EQ(o.minima.SpanIClr, 1);
    EXPECT_EQ(o.minima.SpansDone, 3);
    // Progress: the start, each span, and back to 0.
    EXPECT_EQ(dlg.progress, (std::vector<int>{0, 1, 2, 3, 0}));
    EXPECT_EQ(l, before);
}

// Mpr = 2 doubles the current columns and the minima against the same span with one
// conductor carrying half the line current; the heating curve then heats each conductor alike.
TEST(LineRegimeReport, TwoConductorsDoubleThePhaseValues) {
    TyLine one = TestLine(), two = TestLine();
    TySpan s = TwoObstacleSpan();
    s.NPrep = 1;
    s.Prep[2] = TyPrep{};
    two.Spans = {s};
    s.Mpr = 1;
    s.Iv = 300;
    one.Spans = {s};
    ScriptedDialogs dlg;
    Report r1, r2;
    const LineMinima m1 = LineRegimeReport(one, Env(), dlg, r1).minima;
    const LineMinima m2 = LineRegimeReport(two, Env(), dlg, r2).minima;
    EXPECT_NEAR(m2.LineIMax, 2 * m1.LineIMax, 1e-6);
    EXPECT_NEAR(m2.LineILong, 2 * m1.LineILong, 1e-6);
    EXPECT_NEAR(m2.LineIClr, 2 * m1.LineIClr, 1e-6);
    EXPECT_NEAR(m2.HighestTemp, m1.HighestTemp, 1e-9);
    EXPECT_GT(m1.LineIClr, 0);
}

// Of two equal spans the first is named in every summary line.
TEST(LineRegimeReport, EqualMinimaNameTheFirstSpan) {
    TyLine l = TestLine();
    TySpan s = TwoObstacleSpan();
    s.NPrep = 1;
    s.Prep[2] = TyPrep{};
    TySpan t = s;
    t.Nop1.assign("13");
    t.Nop2.assign("14");
    l.Spans = {s, t};
    ScriptedDialogs dlg;
    Report out;
    const LineRegimeOutcome o = LineRegimeReport(l, Env(), dlg, out);
    EXPECT_EQ(o.minima.SpanIMax, 1);
    EXPECT_EQ(o.minima.SpanILong, 1);
    EXPECT_EQ(o.minima.SpanIClr, 1);
    EXPECT_EQ(o.minima.SpanTemp, 1);
    for (std::size_t i = out.lines.size() - 7; i < out.lines.size(); i += 2)
        EXPECT_EQ(out.lines[i].text, " в пролете 12 - 13");
}

// Ice: no search, the row red with 0 A by clearance, LineIClr = 0; with an obstacle T_obst = 0.
TEST(LineRegimeReport, IceGivesNoClearanceCurrent) {
    TyLine l = TestLine();
    TySpan s = TwoObstacleSpan();
    s.NPrep = 1;
    s.Prep[2] = TyPrep{};
    s.Bgv = 1;
    s.Gamma = 0.9f;
    l.Spans = {s};
    ScriptedDialogs dlg;
    Report out;
    const LineRegimeOutcome o = LineRegimeReport(l, Env(), dlg, out);
    EXPECT_EQ(o.minima.LineIClr, 0);
    EXPECT_TRUE(SameLines(Marked(out), ExpectedTable(l)));
    const std::string row = Marked(out)[7];
    EXPECT_TRUE(StartsWith(row, "R|")) << row;
    EXPECT_NE(row.find("|     0|"), std::string::npos) << row;
    const std::string tail = "|     0.0  |   0.0|";
    EXPECT_EQ(row.substr(row.size() - tail.size()), tail);
}

TEST(LineRegimeReport, LineWithoutSpans) {
    TyLine l = TestLine();
    ScriptedDialogs dlg;
    Report out;
    const LineRegimeOutcome o = LineRegimeReport(l, Env(), dlg, out);
    EXPECT_EQ(o.end, LineRunEnd::Done);
    auto expected = kHeader;
    expected.push_back("|");
    expected.push_back("| В линии нет пролётов: расчёт не выполнялся");
    EXPECT_TRUE(SameLines(Marked(out), expected));
    EXPECT_EQ(o.minima.LineIClr, 100000);
    EXPECT_EQ(o.minima.LineIMax, 100000);
}

// ---- The line commands -----------------------------------------------------------------

namespace {

// The three-span line with measurements (7 m at mid-span at 20 C) and heights above sea
// level, in a network; span 2 current.
Network MeasuredNetwork() {
    Network net;
    TyLine l = ThreeSpanLine();
    for (TySpan& s : l.Spans) {
        s.Zamer[1].Time = 45000.5;
        s.Zamer[1].HMid = 7;
        s.Zamer[1].Tv = 20;
        s.UseSea = 1;
        s.M_middle_h = 100;
        for (int k = 1; k <= s.NPrep; ++k) s.Prep[k].HSeaPrep = 100;
        s.Zem[1] = {100, 50};
    }
    net.Lines.push_back(l);
    net.CurLine = 1;
    net.CurSpan[1] = 2;
    return net;
}

const std::string kNoBreak =
    "Отсутствуют данные в справочнике по указанной марке провода - разрывное усилие. Продолжить расчёт? ";

std::vector<IArray<TyZem, 1, 10>> Profiles(const Network& net) {
    std::vector<IArray<TyZem, 1, 10>> v;
    for (const TySpan& s : net.Line(1).Spans) v.push_back(s.Zem);
    return v;
}

}  // namespace

TEST(LineRegimeCommand, ChecksEverySpanInOrder) {
    struct Case {
        const char* what;
        void (*edit)(TyLine&);
        std::vector<Answer> answers;
        std::vector<std::string> shown;
        bool computed;
    };
    const std::vector<Case> cases = {
        {"span 2 without sea level at mid-span, span 1 without breaking force answered Yes",
         [](TyLine& l) { l.Span(1).PrBreak = 0, l.Span(2).M_middle_h = 0; },
         {Answer::Yes},
         {kNoBreak + "(пролёт 12 - 13)", "не задан уровень моря в пролёте 13 - 14 по замеру в середине пролёта"},
         false},
        {"obstacle 2 of span 3 without sea level",
         [](TyLine& l) { l.Span(3).Prep[2].HSeaPrep = 0; },
         {},
         {"не задан уровень моря в пролёте 14 - 15 по препятствию №2"},
         false},
        {"the option off: nothing to check",
         [](TyLine& l) { l.Span(3).Prep[2].HSeaPrep = 0, l.Span(3).UseSea = 0; },
         {},
         {},
         true},
        {"breaking force answered No",
         [](TyLine& l) { l.Span(2).PrBreak = 0, l.Span(3).PrBreak = 0; },
         {Answer::No},
         {kNoBreak + "(пролёт 13 - 14)"},
         false},
        {"breaking force answered Yes twice",
         [](TyLine& l) { l.Span(2).PrBreak = 0, l.Span(3).PrBreak = 0; },
         {Answer::Yes, Answer::Yes},
         {kNoBreak + "(пролёт 13 - 14)", kNoBreak + "(пролёт 14 - 15)"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Network net = MeasuredNetwork();
        c.edit(net.Line(1));
        ScriptedDialogs dlg;
        dlg.answers.assign(c.answers.begin(), c.answers.end());
        Report out;
        out.add("previous");
        const LineCommandResult r = LineRegimeCommand(net, Env(), dlg, out);
        EXPECT_EQ(dlg.Texts(), c.shown);
        for (const auto& s : dlg.shown)
            EXPECT_EQ(s.buttons, StartsWith(s.text, kNoBreak) ? Buttons::YesNo : Buttons::Yes);
        EXPECT_EQ(r.end, c.computed ? CommandEnd::Done : CommandEnd::Stopped);
        EXPECT_EQ(out.lines.size() > 1, c.computed);
    }
}

// The full line run: reference states from the measurements, the table, the points removed
// and the remembered span current again.
TEST(UncheckedLineRegimeCommand, RecomputesEverySpanAndRestores) {
    Network net = MeasuredNetwork();
    const auto zem = Profiles(net);
    for (TySpan& s : net.Line(1).Spans) s.Si = 3;  // stale
    ScriptedDialogs dlg;
    Report out;
    const LineCommandResult r = UncheckedLineRegimeCommand(net, Env(), dlg, out);
    ASSERT_EQ(r.end, CommandEnd::Done) << ::testing::PrintToString(dlg.Texts());
    EXPECT_TRUE(dlg.shown.empty());
    EXPECT_EQ(Profiles(net), zem);
    EXPECT_EQ(net.CurSpan[1], 2);
    for (const TySpan& s : net.Line(1).Spans) {
        EXPECT_NEAR(s.Zamer[1].FZam, s.Hpr1 - 7, 1e-4);
        EXPECT_GT(s.Si, 3);
    }
    // The table is that of the recomputed spans.
    Report again;
    LineRegimeReport(net.Line(1), Env(), dlg, again);
    EXPECT_EQ(again.lines, out.lines);
}

// A measurement check that fails: its span stays current, nothing is computed, the previous
// table stays, the points are removed.
TEST(UncheckedLineRegimeCommand, MeasurementCheckStops) {
    Network net = MeasuredNetwork();
    net.Line(1).Span(3).Zamer[1].HMid = 60;
    net.Line(1).Span(3).UseSea = 0;
    const auto zem = Profiles(net);
    ScriptedDialogs dlg;
    Report out;
    out.add("previous");
    EXPECT_EQ(UncheckedLineRegimeCommand(net, Env(), dlg, out).end, CommandEnd::Stopped);
    EXPECT_EQ(dlg.Texts(),
              std::vector<std::string>{
                  "Невозможно рассчитать напряжение в проводе, проверьте данные замера в середине пролёта № 14 - 15"});
    EXPECT_EQ(net.CurSpan[1], 3);
    ASSERT_EQ(out.lines.size(), 1u);
    EXPECT_EQ(Profiles(net), zem);
}

// A failure in span 2 (air warmer than TMax): the rows of span 1 stay without a summary, the
// minima are those of span 1, the message is shown and the points removed.
TEST(UncheckedLineRegimeCommand, CalculationErrorKeepsTheRowsSoFar) {
    Network net = MeasuredNetwork();
    net.Line(1).Span(2).Tvv = 95;
    const auto zem = Profiles(net);
    ScriptedDialogs dlg;
    Report out;
    const LineCommandResult r = UncheckedLineRegimeCommand(net, Env(), dlg, out);
    EXPECT_EQ(r.end, CommandEnd::Failed);
    EXPECT_EQ(dlg.Texts(), std::vector<std::string>{"Произошла ошибка при расчёте"});
    ASSERT_EQ(out.lines.size(), kHeader.size() + 2);
    EXPECT_TRUE(StartsWith(out.lines[7].text, " |    12-   13|"));
    EXPECT_EQ(r.outcome.minima.SpansDone, 1);
    EXPECT_EQ(r.outcome.minima.SpanIMax, 1);
    EXPECT_LT(r.outcome.minima.LineIMax, 100000);
    EXPECT_EQ(Profiles(net), zem);
    EXPECT_EQ(net.CurSpan[1], 2);
}

TEST(UncheckedLineRegimeCommand, CancelledRunLeavesThePreviousTable) {
    Network net = MeasuredNetwork();
    const auto zem = Profiles(net);
    ScriptedDialogs dlg;
    dlg.cancelAfterProgress = true;
    Report out;
    out.add("previous");
    const LineCommandResult r = UncheckedLineRegimeCommand(net, Env(), dlg, out);
    EXPECT_EQ(r.end, CommandEnd::Stopped);
    EXPECT_EQ(r.outcome.end, LineRunEnd::Cancelled);
    ASSERT_EQ(out.lines.size(), 1u);
    EXPECT_EQ(out.lines[0].text, "previous");
    ASSERT_EQ(dlg.shown.size(), 1u);
    EXPECT_EQ(Profiles(net), zem);
    EXPECT_EQ(net.CurSpan[1], 2);
}

// The span regime report: whole-report text of a span with two obstacles and a phase of two
// conductors, the layouts, colours and verdict, and the toolbar and menu commands.
#include <gtest/gtest.h>

#include <cmath>

#include "ReportFixtures.h"
#include "engine/CalcError.h"
#include "engine/Currents.h"
#include "engine/Loads.h"
#include "engine/SpanReport.h"
#include "lines/CalcCommands.h"
#include "model/Network.h"
#include "platform/ScriptedDialogs.h"

using namespace qem;
using namespace qem::test;

namespace {

// Clearance-temperature cell of the current table.
std::string TempCell(double T, double TMax, const char* fmt) {
    if (T > TMax) return "    > max  |";
    if (T < 0) return "         0 |";
    return F(fmt, T) + " |";
}

// Everything a section shows, worked out by the test.
struct Expected {
    int k = 1;
    bool obstacle = false;  // layout B and the obstacle row
    double Ig = 0, Tg = 0, Io = 0, To = 0;
    double Imax = 0, Ilong = 0, TCond = 0;
    SpanResult st;         // the state at TCond
    double ClrGround = 0;  // at mid-span
    double normObst = 0;
};

std::vector<std::string> Section(const TySpan& s, const Expected& e) {
    const int m = s.Mpr;
    const double allowS = s.PrBreak / 279.0 / 9.81 / 2, allowT = s.PrBreak / 9.81 / 2;
    std::vector<std::string> v = {
        "|Препятствие № " + std::to_string(e.k),
        "|       Расчет режима ",
        "|       для ВЛ 110 кВ ПС Лесная-ПС Озёрная",
        "|       Пролет 12 - 13",
        "|",
        "|       Исходные данные ",
        "|   Температура воздуха, оС   -     25",
        "|   Скорость ветра, м/с       -    1.0",
        "|   Направление ветра, о      -     90",
        "|   Учет солнечной радиации   - Облачно",
        "|",
        "|       Результаты расчета",
    };
    const std::string cells = F("%14.0f", s.Iv / m) + " |" + F("%10.0f", e.Imax) + " |" + F("%10.0f", e.Ilong) + " |" +
                              F("%10.0f", e.Ig) + " |";
    const std::string phase = F("%14.0f", s.Iv) + " |" + F("%10.0f", m * e.Imax) + " |" + F("%10.0f", m * e.Ilong) +
                              " |" + F("%10.0f", m * e.Ig) + " |";
    const std::string temps = F("%14.2f", e.TCond) + " |        90 |        70 |";
    if (!e.obstacle) {
        const std::string red = e.Ig <= 0 ? "R" : "";
        for (const char* l : {" -----------------------------------------------------------------------",
                              " |                 |               |         Допустимые значения       |",
                              " |     Параметр    |    Текущие    |-----------------------------------|",
                              " |                 |    значения   |Максимально| Длительно |По габариту|",
                              " |-----------------+---------------+-----------+-----------+-----------|"})
            v.push_back(std::string("|") + l);
        v.push_back(red + "| |Ток в проводе, A |" + cells);
        if (m > 1) v.push_back("| |Ток линии    , A |" + phase);
        v.push_back("| |Температура пров.|" + temps + TempCell(e.Tg, 90, "%10.0f"));
        v.push_back("| -----------------------------------------------------------------------");
    } else {
        const std::string red = e.Ig <= 0 || e.Io <= 0 ? "R" : "";
        for (const char* l : {" -----------------------------------------------------------------------------------",
                              " |                 |               |               Допустимые значения             |",
                              " |                 |               |-----------------------------------------------|",
                              " |    Параметр     |    Текущие    |           |           |      По габариту      |",
                              " |                 |    значения   |Максимально| Длительно |-----------------------|",
                              " |                 |               |           |           |  До земли |До пересеч.|",
                              " |-----------------+---------------+-----------+-----------+-----------+-----------|"})
            v.push_back(std::string("|") + l);
        v.push_back(red + "| |Ток в проводе, A |" + cells + F("%10.0f", e.Io) + " |");
        if (m > 1) v.push_back("| |Ток линии    , A |" + phase + F("%10.0f", m * e.Io) + " |");
        v.push_back("| |Температура пров.|" + temps + TempCell(e.Tg, 90, "%10.1f") + TempCell(e.To, 90, "%10.0f"));
        v.push_back("| -----------------------------------------------------------------------------------");
    }
    v.push_back("|");
    v.push_back("| -----------------------------------------------------------------------");
    v.push_back("| |        Параметр           |  Текущие значения  | Допустимые значения|");
    v.push_back("| |---------------------------+--------------------+--------------------|");
    auto mark = [](bool red) { return std::string(red ? "R|" : "|"); };
    v.push_back(mark(allowS < e.st.Sigma) + " |Напряжение в проводе,кГ/мм2| " + F("%18.2f", e.st.Sigma) + " | " +
                F("%18.2f", allowS) + " |");
    v.push_back(mark(allowT < e.st.TensionMax) + " |Макс. тяжение провода,кГ   | " + F("%18.0f", e.st.TensionMax) +
                " | " + F("%18.0f", allowT) + " |");
    v.push_back("| |Стрела провеса , м         | " + F("%18.2f", e.st.SagMid) + " |                -   |");
    v.push_back(mark(5.5 > e.ClrGround) + " |Габарит до земли в сер., м | " + F("%18.2f", e.ClrGround) +
                " |               5.50 |");
    v.push_back(mark(5.5 > e.st.ClrMin) + " |Мин. габарит до земли, м   | " + F("%18.2f", e.st.ClrMin) +
                " |               5.50 |");
    if (e.obstacle)
        v.push_back(mark(e.st.ClrObst < e.normObst) + " |Габарит до препятствия, м  | " + F("%18.2f", e.st.ClrObst) +
                    " | " + F("%18.2f", e.normObst) + " |");
    v.push_back("| -----------------------------------------------------------------------");
    return v;
}

// The values of section k worked out independently of the report's own searches.
Expected Work(const TySpan& s, int k, double normObst) {
    Expected e;
    e.k = k;
    e.obstacle = s.Prep[k].Lprep > 0.1f;
    e.normObst = normObst;
    e.Imax = CurrentAtTemp(s, 90, s.Tvv, s.Vv, s.Alfv);
    e.Ilong = CurrentAtTemp(s, 70, s.Tvv, s.Vv, s.Alfv);
    const Limit g = GroundSearch(s, 5.5);
    e.Ig = g.I;
    e.Tg = g.T;
    if (e.obstacle) {
        const Limit o = ObstacleSearch(s, k, normObst);
        e.Io = o.I;
        e.To = o.T;
    }
    // Each conductor of the phase carries its share of the line current.
    e.TCond = TempAt(s, s.Iv / double(s.Mpr));
    e.st = StateAt(s, k, e.TCond);
    // Level ground 100 m high: the clearance at mid-span is the suspension height less the sag.
    e.ClrGround = s.Hpr1 - e.st.SagMid;
    return e;
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> v;
    for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
    return v;
}

}  // namespace

// The independent values behave as the formulas say before they are used as expectations.
TEST(SpanRegimeReport, WorkedValuesOfTheTwoObstacleSpan) {
    const TySpan s = TwoObstacleSpan();
    const Expected e1 = Work(s, 1, 3), e2 = Work(s, 2, 5);
    // Catenary of the state at the regime temperature: sag and support tension by hand.
    const double g = SpecificLoad(s.Pr, 0, 0, s.Vv, s.Lpr), a = e1.st.Sigma / g;
    EXPECT_NEAR(e1.st.SagMid, MidSpanSag(a, 300, 0), 1e-6);
    EXPECT_NEAR(e1.st.TensionMax, 279.0 * (e1.st.Sigma + g * a * (std::cosh(150 / a) - 1)), 1e-6);
    EXPECT_NEAR(e1.st.ClrMin, e1.ClrGround, 1e-6);  // level span: lowest at mid-span
    // The searches: the ground keeps its 5.5 m at Ig and not at Ig + 1 A.
    EXPECT_GT(StateAt(s, 1, TempAt(s, e1.Ig)).ClrGround, 5.5);
    EXPECT_LE(StateAt(s, 1, TempAt(s, e1.Ig + 1)).ClrGround, 5.5);
    EXPECT_GT(e1.Ig, 300);
    EXPECT_GT(e1.Tg, 90);   // "> max" in the ground cell
    EXPECT_GT(e1.Io, 300);  // the crossing is kept at the regime current
    EXPECT_GT(e1.To, 90);
    EXPECT_EQ(e2.Io, 0);  // the road is too close already at zero current
    EXPECT_GT(e2.To, 0);
    EXPECT_LT(e2.To, s.Tvv);
    EXPECT_LT(e2.st.ClrObst, 5);
    EXPECT_GT(e1.TCond, s.Tvv);
}

TEST(SpanRegimeReport, WholeReportOfTwoObstaclesAndTwoConductors) {
    TySpan s = TwoObstacleSpan();
    const TySpan before = s;
    const Expected e1 = Work(s, 1, 3), e2 = Work(s, 2, 5);
    ScriptedDialogs dlg;
    Report out;
    out.add("old text");
    SpanView view;
    const SpanRegimeOutcome o = SpanRegimeReport(TestLine(), s, Env(), dlg, out, &view);
    ASSERT_TRUE(o.written);
    const auto expected =
        Join({Section(before, e1), Section(before, e2), {"B|РАБОТАТЬ ПРИ ЗАДАННЫХ УСЛОВИЯХ НЕЛЬЗЯ!!!", "|"}});
    EXPECT_TRUE(SameLines(Marked(out), expected));
    // Section 2: the conductor row (no current by the road), the road row, and the road once
    // more after the table.
    EXPECT_EQ(o.violations, 3);
    EXPECT_EQ(o.result.Sigma, 0);
    EXPECT_TRUE(dlg.shown.empty());
    EXPECT_EQ(s, before);
}

TEST(SpanRegimeReport, OneObstacleKeptGivesTheYesVerdict) {
    TySpan s = TwoObstacleSpan();
    s.NPrep = 1;
    s.Prep[2] = TyPrep{};
    const TySpan before = s;
    ScriptedDialogs dlg;
    Report out;
    const SpanRegimeOutcome o = SpanRegimeReport(TestLine(), s, Env(), dlg, out, nullptr);
    EXPECT_TRUE(SameLines(
        Marked(out), Join({Section(before, Work(before, 1, 3)), {"B|РАБОТАТЬ ПРИ ЗАДАННЫХ УСЛОВИЯХ МОЖНО!!!", "|"}})));
    EXPECT_EQ(o.violations, 0);
}

// No obstacles: one section in layout A, headed with obstacle 1, its stored data untouched;
// Mpr = 1 leaves out the line row.
TEST(SpanRegimeReport, NoObstaclesOneConductor) {
    TySpan s = TwoObstacleSpan();
    s.NPrep = 0;
    s.Mpr = 1;
    s.Iv = 300;
    s.Prep[1].Lprep = 150;  // stale data of a deleted obstacle
    s.Prep[1].Hprep = 12;
    const TySpan before = s;
    TySpan bare = s;
    bare.Prep[1] = TyPrep{};
    Expected e = Work(bare, 1, 0);
    ScriptedDialogs dlg;
    Report out;
    SpanView view;
    const SpanRegimeOutcome o = SpanRegimeReport(TestLine(), s, Env(), dlg, out, &view);
    EXPECT_TRUE(SameLines(Marked(out), Join({Section(bare, e), {"B|РАБОТАТЬ ПРИ ЗАДАННЫХ УСЛОВИЯХ МОЖНО!!!", "|"}})));
    EXPECT_EQ(o.violations, 0);
    EXPECT_EQ(s, before);
}

// Ice: no ground search, I_ground = 0 in red and the verdict "НЕЛЬЗЯ" even with an ice wall
// too thin to be printed; a thick wall prints both ice lines.
TEST(SpanRegimeReport, IceStopsTheGroundSearch) {
    struct Case {
        float Bgv, Gamma;
        bool iceLines;
    };
    for (const Case c : {Case{0, 0.9f, false}, Case{0.05f, 0.9f, false}, Case{1.0f, 0.9f, true}}) {
        SCOPED_TRACE(::testing::Message() << "Bgv " << c.Bgv);
        TySpan s = TwoObstacleSpan();
        s.NPrep = 0;
        s.Prep[1] = s.Prep[2] = TyPrep{};
        s.Bgv = c.Bgv;
        s.Gamma = c.Gamma;
        ScriptedDialogs dlg;
        Report out;
        SpanView view;
        const SpanRegimeOutcome o = SpanRegimeReport(TestLine(), s, Env(), dlg, out, &view);
        const auto m = Marked(out);
        ASSERT_GE(m.size(), 20u);
        EXPECT_EQ(m[10] == "|   Стенка гололеда, см       -   1.00", c.iceLines);
        if (c.iceLines) {
            EXPECT_EQ(m[11], "|   Плотность гололеда, г/см3 -   0.90");
        }
        const std::size_t row = c.iceLines ? 19 : 17;
        EXPECT_TRUE(StartsWith(m[row], "R| |Ток в проводе, A |")) << m[row];
        EXPECT_EQ(m[row].substr(m[row].size() - 12), "         0 |");
        // Temperature row: T_ground = 0 printed as a number.
        EXPECT_EQ(m[row + 2].substr(m[row + 2].size() - 12), "         0 |");
        EXPECT_EQ(m[m.size() - 2], "B|РАБОТАТЬ ПРИ ЗАДАННЫХ УСЛОВИЯХ НЕЛЬЗЯ!!!");
        EXPECT_GE(o.violations, 1);
    }
}

// A conductor hotter than its TMax with every clearance kept: no violation. A clearance
// temperature below 0 C prints the integer 0.
TEST(SpanRegimeReport, HotConductorAloneIsNoViolationAndNegativeTemperaturePrintsZero) {
    TySpan s = TwoObstacleSpan();
    s.NPrep = 0;
    s.Prep[1] = s.Prep[2] = TyPrep{};
    s.Hpr1 = s.Hpr2 = 40;  // high supports: every clearance holds
    s.Iv = 2800;           // 1400 A heat each of the two conductors far above 90 C
    {
        ScriptedDialogs dlg;
        Report out;
        SpanView view;
        const SpanRegimeOutcome o = SpanRegimeReport(TestLine(), s, Env(), dlg, out, &view);
        EXPECT_GT(TempAt(s, s.Iv / 2), 90);
        EXPECT_EQ(o.violations, 0);
        EXPECT_EQ(out.lines[out.lines.size() - 2].text, kVerdictYes);
    }
    // Low supports, cold air: even cooling does not reach the ground norm before 0 C.
    s.Hpr1 = s.Hpr2 = 9;
    s.Iv = 200;
    s.Tvv = 5;
    ScriptedDialogs dlg;
    Report out;
    SpanView view;
    SpanRegimeReport(TestLine(), s, Env(), dlg, out, &view);
    const auto m = Marked(out);
    EXPECT_TRUE(StartsWith(m[17], "R| |Ток в проводе, A |")) << m[17];
    EXPECT_EQ(m[19], "| |Температура пров.|" + F("%14.2f", TempAt(s, 100)) + " |        90 |        70 |         0 |");
}

TEST(SpanRegimeReport, TwoPointModeWithoutMeasurementWritesNothing) {
    TySpan s = TwoObstacleSpan();
    s.HZam[1] = 0;
    ScriptedDialogs dlg;
    Report out;
    out.add("previous report");
    const SpanRegimeOutcome o = SpanRegimeReport(TestLine(), s, Env(ZamerMode::TwoPoints), dlg, out, nullptr);
    EXPECT_FALSE(o.written);
    ASSERT_EQ(dlg.shown.size(), 1u);
    EXPECT_EQ(dlg.shown[0].text, "Введите значения замера");
    EXPECT_EQ(dlg.shown[0].title, "Ошибка");
    ASSERT_EQ(out.lines.size(), 1u);
    EXPECT_EQ(out.lines[0].text, "previous report");
    // The calculation itself asks nothing: it says why, and the command asks.
    const SpanRegimeOutcome calc = CalculateSpanRegime(TestLine(), s, Env(ZamerMode::TwoPoints));
    EXPECT_FALSE(calc.written);
    EXPECT_EQ(calc.refusal, "Введите значения замера");
    EXPECT_TRUE(calc.sections.empty());
}

// A phase without conductors has no current per conductor: an error, not "INF" in the table;
// the previous report stays.
TEST(SpanRegimeReport, NoConductorsPerPhaseIsACalculationError) {
    TySpan s = TwoObstacleSpan();
    s.Mpr = 0;
    ScriptedDialogs dlg;
    Report out;
    out.add("previous report");
    EXPECT_THROW(SpanRegimeReport(TestLine(), s, Env(), dlg, out, nullptr), CalcError);
    ASSERT_EQ(out.lines.size(), 1u);
    EXPECT_EQ(out.lines[0].text, "previous report");
}

// ---- The toolbar and menu commands -------------------------------------------------------

namespace {

// A network of one line with the two-obstacle span measured at mid-span (one measurement:
// 7 m above the ground at 20 C without current), heights above sea level given.
Network MeasuredNetwork() {
    Network net;
    TyLine l = TestLine();
    TySpan s = TwoObstacleSpan();
    s.Zamer[1].Time = 45000.5;
    s.Zamer[1].HMid = 7;
    s.Zamer[1].Tv = 20;
    s.UseSea = 1;
    s.M_middle_h = 100;
    s.Prep[1].HSeaPrep = 100;
    s.Prep[2].HSeaPrep = 100;
    s.Zem[1] = {100, 50};  // one route profile point, level
    l.Spans.push_back(s);
    net.Lines.push_back(l);
    net.CurLine = 1;
    net.CurSpan[1] = 1;
    return net;
}

CalcEnv SeaEnv() {
    CalcEnv e = Env();
    e.seaLevel = true;
    return e;
}

const std::string kNoBreak =
    "Отсутствуют данные в справочнике по указанной марке провода - разрывное усилие. Продолжить расчёт? ";

}  // namespace

// Each check stops the command with its message, in the order of the checks; the span's route
// profile is the same afterwards.
TEST(MeasuredSpanRegimeCommand, ChecksInOrder) {
    struct Case {
        const char* what;
        void (*edit)(TySpan&);
        std::vector<Answer> answers;
        std::vector<std::string> shown;
    };
    const std::string zamerMsg =
        "Невозможно рассчитать напряжение в проводе, проверьте данные замера в середине пролёта № 12 - 13";
    const std::vector<Case> cases = {
        {"no sea level at mid-span, before the obstacles and the breaking force",
         [](TySpan& s) { s.M_middle_h = 0, s.Prep[2].HSeaPrep = 0, s.PrBreak = 0; },
         {},
         {"не задан уровень моря в пролёте по замеру в середине пролёта"}},
        {"obstacle 2 without sea level",
         [](TySpan& s) { s.Prep[2].HSeaPrep = 0, s.PrBreak = 0; },
         {},
         {"не задан уровень моря в пролёте по препятствию №2"}},
        {"no breaking force, answered No", [](TySpan& s) { s.PrBreak = 0; }, {Answer::No}, {kNoBreak}},
        {"no breaking force, Yes, then bad measurement",
         [](TySpan& s) { s.PrBreak = 0, s.Zamer[1].HMid = 60, s.UseSea = 0; },
         {Answer::Yes},
         {kNoBreak, zamerMsg}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Network net = MeasuredNetwork();
        c.edit(net.Line(1).Span(1));
        const TySpan before = net.Line(1).Span(1);
        ScriptedDialogs dlg;
        dlg.answers.assign(c.answers.begin(), c.answers.end());
        Report out;
        out.add("previous");
        const SpanCommandResult r = MeasuredSpanRegimeCommand(net, SeaEnv(), dlg, out);
        EXPECT_EQ(r.end, CommandEnd::Stopped);
        EXPECT_EQ(dlg.Texts(), c.shown);
        if (!dlg.shown.empty() && dlg.shown[0].text == kNoBreak) {
            EXPECT_EQ(dlg.shown[0].buttons, Buttons::YesNo);
        }
        EXPECT_EQ(out.lines.size(), 1u);
        EXPECT_EQ(net.Line(1).Span(1), before);
    }
}

TEST(MeasuredSpanRegimeCommand, NoSpansAsksToCreateOne) {
    Network net = MeasuredNetwork();
    net.Line(1).Spans.clear();
    ScriptedDialogs dlg;
    Report out;
    EXPECT_EQ(MeasuredSpanRegimeCommand(net, SeaEnv(), dlg, out).end, CommandEnd::Stopped);
    EXPECT_EQ(dlg.Texts(), std::vector<std::string>{"Создайте пролёт"});
}

// The full run: the reference state comes from the measurement, the report is that of the
// menu path on the recomputed span, and the temporary profile points are gone afterwards.
TEST(MeasuredSpanRegimeCommand, RecomputesThenReportsAndRemovesThePoints) {
    Network net = MeasuredNetwork();
    net.Line(1).Span(1).Si = 3;  // stale
    const auto zem = net.Line(1).Span(1).Zem;
    ScriptedDialogs dlg;
    dlg.answers = {Answer::Yes};
    Report out;
    const SpanCommandResult r = MeasuredSpanRegimeCommand(net, SeaEnv(), dlg, out);
    ASSERT_EQ(r.end, CommandEnd::Done) << ::testing::PrintToString(dlg.Texts());
    const TySpan& s = net.Line(1).Span(1);
    EXPECT_EQ(s.Zem, zem);
    EXPECT_EQ(s.Tv, 25);
    // 7 m above level ground under a chord at 13 m: a sag of 6 m.
    EXPECT_NEAR(s.Zamer[1].FZam, 6, 1e-4);
    EXPECT_GT(s.Si, 3);
    // The menu path on the recomputed span gives the same report.
    Network again = net;
    ScriptedDialogs dlg2;
    Report out2;
    EXPECT_EQ(StoredSpanRegimeCommand(again, SeaEnv(), dlg2, out2).end, CommandEnd::Done);
    EXPECT_EQ(out2.lines, out.lines);
    EXPECT_EQ(again.Line(1).Span(1).Zem, zem);
    EXPECT_TRUE(dlg2.shown.empty());
}

// A calculation error (air warmer than the conductor's TMax: no maximum current) shows the
// message and still removes the temporary points; so does the menu path.
TEST(MeasuredSpanRegimeCommand, CalculationErrorStillRemovesThePoints) {
    Network net = MeasuredNetwork();
    net.Line(1).Span(1).Tvv = 95;
    const auto zem = net.Line(1).Span(1).Zem;
    ScriptedDialogs dlg;
    Report out;
    out.add("previous");
    EXPECT_EQ(MeasuredSpanRegimeCommand(net, SeaEnv(), dlg, out).end, CommandEnd::Failed);
    EXPECT_EQ(dlg.Texts(), std::vector<std::string>{"Произошла ошибка при расчёте"});
    EXPECT_EQ(net.Line(1).Span(1).Zem, zem);
    ScriptedDialogs dlg2;
    EXPECT_EQ(StoredSpanRegimeCommand(net, SeaEnv(), dlg2, out).end, CommandEnd::Failed);
    EXPECT_EQ(dlg2.Texts(), std::vector<std::string>{"Произошла ошибка при расчёте"});
    EXPECT_EQ(net.Line(1).Span(1).Zem, zem);
}

// A reference stress below 0.001 kgf/mm2 (a span of 5 cm) stops before the report.
TEST(MeasuredSpanRegimeCommand, NegligibleStressStops) {
    Network net = MeasuredNetwork();
    TySpan& s = net.Line(1).Span(1);
    s.Lpr = 0.05f;
    s.NPrep = 0;
    s.Prep[1] = s.Prep[2] = TyPrep{};
    s.UseSea = 0;
    s.Zem[1] = TyZem{};
    s.Zamer[1].HMid = 20;
    s.Hpr1 = s.Hpr2 = 25;
    ScriptedDialogs dlg;
    Report out;
    out.add("previous");
    EXPECT_EQ(MeasuredSpanRegimeCommand(net, Env(), dlg, out).end, CommandEnd::Stopped);
    EXPECT_LT(s.Si, 0.001f);
    EXPECT_EQ(dlg.Texts(), std::vector<std::string>{"Некорректные пролёты, напряжение отрицательное"});
    EXPECT_EQ(out.lines.size(), 1u);
}

// Component current limits of a line: getAmperDD/getAmperMD, busbar connections and buses in
// the carrier span, the line conductor from the line minima, the terminal equipment.
#include <gtest/gtest.h>

#include "ReportFixtures.h"
#include "engine/CalcError.h"
#include "engine/Currents.h"
#include "engine/LineReport.h"
#include "lines/CalcCommands.h"
#include "lines/ComponentLimits.h"
#include "platform/ScriptedDialogs.h"

using namespace qem;
using namespace qem::test;

namespace {

// A line of one span (the carrier) with the given bus conductors.
TyLine BusLine() {
    TyLine l = TestLine();
    TySpan s = TwoObstacleSpan();
    s.Vv = 3;
    s.Alfv = 30;
    l.Spans = {s};
    return l;
}

// A real line run (the line regime table) as the conductor rating uses it.
LineMinima RunLine(TyLine& l) {
    ScriptedDialogs dlg;
    Report r;
    return LineRegimeReport(l, Env(), dlg, r).minima;
}

const ComponentRow& RowOf(const ComponentTable& t, const std::string& name) {
    for (const auto& r : t.rows)
        if (r.name == name) return r;
    throw std::runtime_error("no row " + name);
}

TyKO Equipment(const std::string& name) {
    TyKO k;
    k.FullName.assign(Utf8ToCp1251(name));
    for (int e = 1; e <= 13; ++e) k.DDTN[e] = 1000 + e, k.ADTN[e] = 2000 + e;
    return k;
}

}  // namespace

TEST(getAmper, PhaseCurrentAtTheLimitTemperatureLeavesTheSpan) {
    TyLine l = BusLine();
    TySpan& s = l.Span(1);
    for (const int mpr : {1, 3}) {
        s.Mpr = mpr;
        for (const double Ta : {-20.0, 25.0, 40.0}) {  // 25 is the span's own air temperature
            SCOPED_TRACE(::testing::Message() << "Mpr " << mpr << " Ta " << Ta);
            const TySpan before = s;
            EXPECT_NEAR(getAmperDD(l, 1, Ta, 70), mpr * CurrentAtTemp(before, 70, Ta, 3, 30), 1e-9);
            EXPECT_NEAR(getAmperMD(l, 1, Ta), mpr * CurrentAtTemp(before, 90, Ta, 3, 30), 1e-9);
            EXPECT_EQ(s, before);
        }
    }
    s.Mpr = 1;
    const double one = getAmperDD(l, 1, 10, 70);
    s.Mpr = 3;
    EXPECT_NEAR(getAmperDD(l, 1, 10, 70), 3 * one, 1e-9);
    s.Pr.TMax = 70;
    EXPECT_EQ(getAmperMD(l, 1, 10), getAmperDD(l, 1, 10, 70));
    // Air warmer than the limit: no real root.
    EXPECT_THROW(getAmperDD(l, 1, 75, 70), CalcError);
    EXPECT_EQ(s.Tvv, 25);
}

// Busbar connections and buses: rated in the carrier span at 0.6 m/s across with their own wire
// counts; the span comes back as it was; an empty name gives nothing.
TEST(ComponentLimits, BusesInTheCarrierSpan) {
    TyLine l = BusLine();
    TyWire w = AC240();
    w.Name.assign("A-600");
    l.Bus1 = w, l.NBus1 = 2;
    l.Bus3 = w, l.NBus3 = 1;
    l.Bus2 = w, l.NBus2 = 2;
    l.Bus4 = TyWire{}, l.NBus4 = 3;
    l.Bus4.SAlN = 600;  // a name is what makes a component
    const TyLine before = l;
    ScriptedDialogs dlg;
    const ComponentTable t = ComponentLimits(l, 70, false, dlg, RunLine);
    EXPECT_EQ(l, before);
    EXPECT_FALSE(t.busFailed);
    TySpan carrier = before.Span(1);
    carrier.Pr = w;
    carrier.Mpr = 1;
    const ComponentRow &ош1 = RowOf(t, "Ош1"), &ш1 = RowOf(t, "Ш1"), &ош2 = RowOf(t, "Ош2"), &ш2 = RowOf(t, "Ш2");
    EXPECT_EQ(ош1.text, "2 A-600");
    EXPECT_EQ(ш1.text, "A-600");
    EXPECT_FALSE(ш2.present);
    EXPECT_EQ(ш2.text, "3 ");
    for (int c = 0; c < kLimitTemps; ++c) {
        const double T = -20 + 5 * c;
        SCOPED_TRACE(T);
        EXPECT_NEAR(*ш1.DDTN[c], CurrentAtTemp(carrier, 70, T, 0.6, 90), 1e-3);
        EXPECT_NEAR(*ш1.ADTN[c], CurrentAtTemp(carrier, 90, T, 0.6, 90), 1e-3);
        EXPECT_NEAR(*ош1.DDTN[c], 2 * *ш1.DDTN[c], 1e-3);
        EXPECT_NEAR(*ош1.ADTN[c], 2 * *ш1.ADTN[c], 1e-3);
        EXPECT_EQ(ош2.DDTN[c], ош1.DDTN[c]);
        EXPECT_FALSE(ш2.DDTN[c] || ш2.ADTN[c]);
    }
}

// A failing bus rating (a conductor without resistance) names every bus of that conductor
// name, in the order Ош1, Ош2, Ш1, Ш2, and the carrier span comes back.
TEST(ComponentLimits, BusFailureNamesEveryBusOfThatConductor) {
    TyLine l = BusLine();
    TyWire good = AC240();
    good.Name.assign("A-600");
    TyWire bad = good;
    bad.R = 0;
    l.Bus1 = good;
    l.Bus3 = bad;
    l.NBus1 = l.NBus2 = l.NBus3 = l.NBus4 = 1;
    const TyLine before = l;
    ScriptedDialogs dlg;
    const ComponentTable t = ComponentLimits(l, 70, false, dlg, RunLine);
    EXPECT_TRUE(t.busFailed);
    EXPECT_EQ(dlg.Texts(), (std::vector<std::string>{"Ошибка при расчёте ошиновки 1", "Ошибка при расчёте шины 1"}));
    for (const auto& s : dlg.shown) EXPECT_EQ(s.buttons, Buttons::Ok);
    EXPECT_EQ(l, before);
}

// The line conductor: the line minima at each limit temperature with every span's Tvv set to
// it; ДДТН the smaller of the long-term and the clearance minimum, АДТН of the maximum and
// the clearance minimum.
TEST(ComponentLimits, LineConductorFromTheLineMinima) {
    TyLine l = BusLine();
    l.Span(1).Hpr1 = l.Span(1).Hpr2 = 11;
    l.Spans.push_back(l.Span(1));
    l.Span(2).Tvv = -7;
    l.Span(2).Mpr = 1;
    const TyLine before = l;
    ScriptedDialogs dlg;
    std::vector<double> seen;
    const ComponentTable t = ComponentLimits(l, 70, false, dlg, [&](TyLine& x) {
        seen.push_back(x.Span(1).Tvv);
        EXPECT_EQ(x.Span(2).Tvv, x.Span(1).Tvv);
        return RunLine(x);
    });
    EXPECT_EQ(l, before);
    ASSERT_EQ(seen.size(), 14u);
    const ComponentRow& c = RowOf(t, "Провод ВЛ");
    for (int k = 0; k < kLimitTemps; ++k) {
        EXPECT_EQ(seen[k], -20 + 5 * k);
        TyLine at = before;
        for (auto& s : at.Spans) s.Tvv = float(-20 + 5 * k);
        const LineMinima m = RunLine(at);
        EXPECT_EQ(*c.DDTN[k], std::min(m.LineILong, m.LineIClr));
        EXPECT_EQ(*c.ADTN[k], std::min(m.LineIMax, m.LineIClr));
    }
    // Span 2 has one conductor: its long-term current is the least.
    TyLine at = before;
    for (auto& s : at.Spans) s.Tvv = -20;
    EXPECT_NEAR(RunLine(at).LineILong, CurrentAtTemp(at.Span(2), 70, -20, 3, 30), 1e-6);
    EXPECT_EQ(c.text, "2x                           АС- 240/ 39");
}

// Spans that allow more than 100000 A by every criterion (25 conductors of almost no
// resistance, the clearance kept up to 4999 A each) leave the line minima at their starting
// 100000 A: that is no rating, and the conductor row stays empty rather than showing it.
TEST(ComponentLimits, LineLeftAtTheInitialMinimumHasNoRating) {
    TyLine l = BusLine();
    TySpan& s = l.Span(1);
    s.Mpr = 25;
    s.Pr.R = 0.00001f;
    s.Hpr1 = s.Hpr2 = 40;
    s.NPrep = 0;
    ScriptedDialogs dlg;
    const ComponentTable t = ComponentLimits(l, 70, false, dlg, RunLine);
    const ComponentRow& c = RowOf(t, "Провод ВЛ");
    EXPECT_TRUE(c.present);
    for (int k = 0; k < kLimitTemps; ++k) {
        EXPECT_FALSE(c.DDTN[k]);
        EXPECT_FALSE(c.ADTN[k]);
    }
    EXPECT_EQ(t.conductorFailure, "расчёт ВЛ не определил длительно допустимый ток ни в одном пролёте");
    EXPECT_EQ(t.conductorFailureT, -20);
}

// One temperature that cannot be rated leaves the whole conductor row empty; the first such
// temperature is named.
TEST(ComponentLimits, OneUnratedTemperatureUnratesTheConductor) {
    TyLine l = BusLine();
    ConductorRatings r;
    for (int k = 0; k < kLimitTemps; ++k) {
        LineMinima m;
        m.LineIMax = 900, m.LineILong = 800, m.LineIClr = 850;
        r[k] = RatingFromMinima(LimitTemp(k), m, 1);
    }
    EXPECT_EQ(*r[3].DDTN, 800);
    EXPECT_EQ(*r[3].ADTN, 850);
    r[9].failure = "проверьте данные замера в середине пролёта № 3 - 4";
    r[9].DDTN = r[9].ADTN = std::nullopt;
    r[11].failure = "другое";
    ScriptedDialogs dlg;
    const ComponentTable t = ComponentLimits(l, 70, false, dlg, r);
    const ComponentRow& c = RowOf(t, "Провод ВЛ");
    for (int k = 0; k < kLimitTemps; ++k) EXPECT_FALSE(c.DDTN[k] || c.ADTN[k]);
    EXPECT_EQ(t.conductorFailure, "проверьте данные замера в середине пролёта № 3 - 4");
    EXPECT_EQ(t.conductorFailureT, 25);
    EXPECT_EQ(RatingFromMinima(0, LineMinima{}, 0).failure, "в линии нет пролётов");
}

// Equipment: +45 C from +40 C, 500000 an empty cell, an empty full name nothing; the cable
// insert as its two numbers.
TEST(ComponentLimits, EquipmentAndCable) {
    TyLine l = BusLine();
    l.KOSwitch1 = Equipment("Выключатель");
    l.KOSwitch1.ADTN[13] = NoLimit;
    l.KOSwitch1.DDTN[4] = NoLimit;
    l.KOCT2 = Equipment("Трансформатор тока");
    l.KODisc1 = Equipment("");
    l.KODisc1.DDTN[1] = 700;
    l.CabDDTN = 520;
    ScriptedDialogs dlg;
    const ComponentTable t = ComponentLimits(l, 70, false, dlg, [](TyLine&) { return LineMinima{}; });
    const ComponentRow& sw = RowOf(t, "В1");
    EXPECT_TRUE(sw.present);
    EXPECT_EQ(sw.text, "Выключатель");
    for (int c = 0; c < 13; ++c) {
        if (c == 3) {
            EXPECT_FALSE(sw.DDTN[c]);
        } else {
            EXPECT_EQ(*sw.DDTN[c], 1001 + c);
        }
    }
    EXPECT_EQ(*sw.DDTN[13], 1013);
    EXPECT_FALSE(sw.ADTN[12]);
    EXPECT_FALSE(sw.ADTN[13]);
    EXPECT_EQ(*RowOf(t, "ТТ2").ADTN[13], *RowOf(t, "ТТ2").ADTN[12]);
    EXPECT_FALSE(RowOf(t, "Р1").present);
    EXPECT_FALSE(RowOf(t, "Р1").DDTN[0]);
    const ComponentRow& cab = RowOf(t, "Кабельная вставка");
    EXPECT_TRUE(cab.present);
    EXPECT_EQ(*cab.DDTN[7], 520);
    EXPECT_FALSE(cab.ADTN[7]);
    // The order of the limit table: conductor, cable, end 1, end 2.
    std::vector<std::string> names;
    for (const auto& r : t.rows) names.push_back(r.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Провод ВЛ", "Кабельная вставка", "Ош1", "Ш1", "В1", "Р1", "З1", "ТТ1",
                                               "Ош2", "Ш2", "В2", "Р2", "З2", "ТТ2"}));
}

// With the source conditions: the whole line runs with a clear sky and 0.6 m/s at 90 deg, then
// comes back; wire counts below 1 become 1 and stay.
TEST(ComponentLimits, SourceConditionAndWireCounts) {
    TyLine l = BusLine();
    l.Span(1).Tzv = 2;
    l.NBus1 = 0;
    l.NBus3 = -2;
    l.Bus3 = AC240();
    const TyLine before = l;
    ScriptedDialogs dlg;
    int runs = 0;
    const ComponentTable t = ComponentLimits(l, 70, true, dlg, [&](TyLine& x) {
        ++runs;
        EXPECT_EQ(x.Span(1).Tzv, 0);
        EXPECT_EQ(x.Span(1).Vv, 0.6f);
        EXPECT_EQ(x.Span(1).Alfv, 90);
        return RunLine(x);
    });
    EXPECT_EQ(runs, 14);
    EXPECT_EQ(l.NBus1, 1);
    EXPECT_EQ(l.NBus3, 1);
    TyLine expected = before;
    expected.NBus1 = expected.NBus3 = 1;
    EXPECT_EQ(l, expected);
    EXPECT_EQ(RowOf(t, "Ш1").text, "АС");
    // The bus rated with the clear sky of the source condition.
    TySpan carrier = before.Span(1);
    carrier.Pr = AC240();
    carrier.Mpr = 1;
    carrier.Tzv = 0;
    EXPECT_NEAR(*RowOf(t, "Ш1").DDTN[0], CurrentAtTemp(carrier, 70, -20, 0.6, 90), 1e-3);
}

// What sets the line conductor's limit: the span and why, from the minima of the calculation.
TEST(ComponentLimits, WhatLimitsTheConductorNamesTheSpanAndTheReason) {
    TyLine l = BusLine();
    l.Spans.push_back(l.Span(1));
    l.Span(2).Nop1.assign("7");
    l.Span(2).Nop2.assign("8");
    LineMinima m;
    m.LineILong = 500, m.SpanILong = 2;
    m.LineIMax = 900, m.SpanIMax = 1;
    m.LineIClr = 700, m.SpanIClr = 2, m.ClrObstacle = 2;
    EXPECT_EQ(ConductorLimitText(l, m, false), "пролёт 7 - 8: нагрев");
    EXPECT_EQ(ConductorLimitText(l, m, true), "пролёт 7 - 8: габарит до препятствия 2 «Автомобильная дорога»");
    m.ClrObstacle = 0;
    EXPECT_EQ(ConductorLimitText(l, m, true), "пролёт 7 - 8: габарит до земли");
    // The line regime calculation says which clearance set its least current.
    TyLine low = BusLine();
    low.Span(1).Prep[2].Hprep = 10;  // the road raised under the conductor
    const LineMinima r = RunLine(low);
    EXPECT_EQ(r.ClrObstacle, 2);
    EXPECT_EQ(r.SpanIClr, 1);
}

// The measurement list and the two-point set of a span as their editors change them, and the
// commands of the initial-conditions dialog.
#include <gtest/gtest.h>

#include "platform/ScriptedDialogs.h"
#include "session/AppState.h"
#include "session/RuCommands.h"
#include "setup/InitialConditions.h"
#include "setup/Measurements.h"

using namespace qem;

namespace {

// A span with `n` measurements, each with recognisable fields (HMid = 10 + slot, Tzv = slot % 4).
TySpan SpanWith(int n) {
    TySpan s;
    s.Lpr = 300;
    s.H1 = 100;
    s.H2 = 104;
    s.Hpr1 = 20;
    s.Hpr2 = 22;
    for (int i = 1; i <= n; ++i) {
        s.Zamer[i].Time = 45000 + i;
        s.Zamer[i].HMid = 10.0f + i;
        s.Zamer[i].Tzv = i % 4;
        s.Zamer[i].I = 100.0f * i;
    }
    return s;
}

}  // namespace

TEST(ZamerList, CountIsTheLeadingUsedSlots) {
    struct Case {
        std::vector<double> times;
        int count;
    } cases[] = {
        {{}, 0},
        {{45000}, 1},
        {{45000, 0, 45002}, 1},       // slot 3 after an empty slot is not counted
        {{45000, 0.0009, 45002}, 1},  // not above 0.001 is empty
        {{45000, 0.0011}, 2},
        {std::vector<double>(10, 45000), 10},
    };
    for (const Case& c : cases) {
        TySpan s;
        for (size_t i = 0; i < c.times.size(); ++i) s.Zamer[int(i) + 1].Time = c.times[i];
        EXPECT_EQ(ZamerCount(s), c.count) << c.times.size();
    }
}

TEST(ZamerList, AddStampsTheNextSlotAndStopsAtTen) {
    TySpan s = SpanWith(3);
    s.Zamer[4].HMid = 7;  // left over in the free slot
    int cur = 1;
    ASSERT_TRUE(AddZamer(s, cur, 46000.25));
    EXPECT_EQ(cur, 4);
    EXPECT_EQ(ZamerCount(s), 4);
    EXPECT_DOUBLE_EQ(s.Zamer[4].Time, 46000.25);
    EXPECT_EQ(s.Zamer[4].HMid, 7);

    TySpan full = SpanWith(10);
    const TySpan before = full;
    cur = 5;
    EXPECT_FALSE(AddZamer(full, cur, 46000));
    EXPECT_FALSE(InsertZamer(full, cur, 46000));
    EXPECT_EQ(full, before);
    EXPECT_EQ(cur, 5);
}

TEST(ZamerList, InsertBeforeFirstMovesRowsDownAndKeepsTheSky) {
    TySpan s = SpanWith(3);
    const TySpan old = s;
    int cur = 1;
    ASSERT_TRUE(InsertZamer(s, cur, 46000.5));
    EXPECT_EQ(cur, 1);
    EXPECT_EQ(ZamerCount(s), 4);
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(s.Zamer[i + 1], old.Zamer[i]) << i;
    EXPECT_DOUBLE_EQ(s.Zamer[1].Time, 46000.5);
    EXPECT_EQ(s.Zamer[1].HMid, 0);
    EXPECT_EQ(s.Zamer[1].I, 0);
    EXPECT_EQ(s.Zamer[1].Tzv, old.Zamer[1].Tzv);

    // Into the middle, and into an empty list with no current row yet.
    TySpan m = SpanWith(3);
    cur = 2;
    ASSERT_TRUE(InsertZamer(m, cur, 46001));
    EXPECT_EQ(m.Zamer[1], old.Zamer[1]);
    EXPECT_EQ(m.Zamer[3], old.Zamer[2]);
    EXPECT_EQ(m.Zamer[4], old.Zamer[3]);
    TySpan e;
    cur = 0;
    ASSERT_TRUE(InsertZamer(e, cur, 46002));
    EXPECT_EQ(cur, 1);
    EXPECT_EQ(ZamerCount(e), 1);
}

TEST(ZamerList, DeleteAsksMovesUpAndClearsTheFreedSlot) {
    TySpan s = SpanWith(3);
    const TySpan old = s;
    ScriptedDialogs d;
    int cur = 2;
    d.answers = {Answer::Cancel};
    EXPECT_FALSE(DeleteZamer(s, cur, d));
    EXPECT_EQ(s, old);
    ASSERT_EQ(d.shown.size(), 1u);
    EXPECT_EQ(d.shown[0].text, "Вы действительно хотите удалить выбранный элемент");
    EXPECT_EQ(d.shown[0].buttons, Buttons::YesCancel);

    d.answers = {Answer::Yes};
    ASSERT_TRUE(DeleteZamer(s, cur, d));
    EXPECT_EQ(ZamerCount(s), 2);
    EXPECT_EQ(s.Zamer[1], old.Zamer[1]);
    EXPECT_EQ(s.Zamer[2], old.Zamer[3]);
    EXPECT_EQ(s.Zamer[3].Time, 0);
    EXPECT_EQ(s.Zamer[3].HMid, 0);
    EXPECT_EQ(s.Zamer[3].Tzv, old.Zamer[3].Tzv);

    // Deleting the last row keeps the current index within the list.
    d.answers = {Answer::Yes};
    cur = 2;
    ASSERT_TRUE(DeleteZamer(s, cur, d));
    EXPECT_EQ(cur, 1);
    // The only measurement: the list becomes empty; then nothing more is asked.
    d.answers = {Answer::Yes};
    ASSERT_TRUE(DeleteZamer(s, cur, d));
    EXPECT_EQ(ZamerCount(s), 0);
    const size_t asked = d.shown.size();
    EXPECT_FALSE(DeleteZamer(s, cur, d));
    EXPECT_EQ(d.shown.size(), asked);
}

TEST(ZamerGrid, CellsParseBothSeparatorsReportBadCharactersAndRecomputeTheSag) {
    TySpan s = SpanWith(2);
    ScriptedDialogs d;
    // No profile, heights from the ground: FZam = (Hpr1 + Hpr2)/2 - HMid = 21 - 12.5.
    for (const char* text : {"12,5", "12.5", " 12.5 "}) {
        s.Zamer[2].FZam = -1;
        ASSERT_TRUE(EditZamerCell(s, 2, 3, text, d)) << text;
        EXPECT_FLOAT_EQ(s.Zamer[2].HMid, 12.5f);
        EXPECT_NEAR(s.Zamer[2].FZam, 8.5, 1e-4);
    }
    EXPECT_TRUE(d.shown.empty());
    EXPECT_FALSE(EditZamerCell(s, 2, 3, "12;5", d));
    ASSERT_EQ(d.Texts().size(), 1u);
    EXPECT_EQ(d.Texts()[0], " Ошибка в позиции 3");
    EXPECT_FLOAT_EQ(s.Zamer[2].HMid, 12.5f);

    // Column 4 is the span's M_middle_h, shown in every row; the other columns their fields.
    ASSERT_TRUE(EditZamerCell(s, 1, 4, "151,25", d));
    EXPECT_FLOAT_EQ(s.M_middle_h, 151.25f);
    EXPECT_EQ(ZamerCellText(s, 1, 4), "  151.25");
    EXPECT_EQ(ZamerCellText(s, 2, 4), "  151.25");
    const struct {
        int col;
        Single TyZamer::*field;
    } cols[] = {{5, &TyZamer::I}, {6, &TyZamer::TPr}, {7, &TyZamer::Tv}, {8, &TyZamer::V}, {9, &TyZamer::Alf}};
    for (auto c : cols) {
        ASSERT_TRUE(EditZamerCell(s, 1, c.col, "-3,5", d));
        EXPECT_FLOAT_EQ(s.Zamer[1].*c.field, -3.5f) << c.col;
    }
    // Date, time and number columns are not typed; rows beyond the list are refused.
    const TySpan before = s;
    EXPECT_FALSE(EditZamerCell(s, 1, 1, "01.01.2020", d));
    EXPECT_FALSE(EditZamerCell(s, 3, 3, "5", d));
    EXPECT_EQ(s, before);
}

TEST(ZamerGrid, RowTexts) {
    TySpan s = SpanWith(1);
    s.Zamer[1].Time = 45000.5 + 1.0 / 86400 * 7;  // 15.03.2023 12:00:07
    s.Zamer[1].HMid = 12.345f;
    s.Zamer[1].TPr = 31.25f;
    s.Zamer[1].Alf = 90.4f;
    EXPECT_EQ(ZamerCellText(s, 1, 0), "  1");
    EXPECT_EQ(ZamerCellText(s, 1, 1), "15.03.2023");
    EXPECT_EQ(ZamerCellText(s, 1, 2), "12:00:07");
    EXPECT_EQ(ZamerCellText(s, 1, 3), "   12.35");
    EXPECT_EQ(ZamerCellText(s, 1, 6), "    31.3");
    EXPECT_EQ(ZamerCellText(s, 1, 9), "      90");
    EXPECT_EQ(DateText(2.0), "01.01.1900");
    EXPECT_EQ(TimeText(0.75), "18:00:00");
    EXPECT_EQ(DateText(1e300), "");
}

TEST(TwoPointSet, AddIsRefusedWhenFullOrTheLastPointIsIncomplete) {
    TySpan s;
    ScriptedDialogs d;
    EXPECT_TRUE(TwoPointCanAdd(s, 0, d));
    s.LZam[1] = 50;
    EXPECT_FALSE(TwoPointCanAdd(s, 1, d));  // no clearance yet
    s.HZam[1] = 12;
    EXPECT_TRUE(TwoPointCanAdd(s, 1, d));
    s.LZam[2] = 0;
    s.HZam[2] = 12;
    EXPECT_FALSE(TwoPointCanAdd(s, 2, d));  // no distance
    for (int i = 1; i <= 10; ++i) s.LZam[i] = s.HZam[i] = float(i);
    EXPECT_FALSE(TwoPointCanAdd(s, 10, d));
    EXPECT_EQ(d.Texts(), (std::vector<std::string>{"Заполните последний замер", "Заполните последний замер",
                                                   "Вы достигли максимального количества замеров"}));
}

TEST(TwoPointSet, DeleteShiftsAllThreeArraysAndEditsParse) {
    TySpan s;
    for (int i = 1; i <= 10; ++i) s.LZam[i] = 10.0f * i, s.HZam[i] = float(i), s.HSeaZam[i] = 100.0f + i;
    ScriptedDialogs d;
    d.answers = {Answer::Yes};
    EXPECT_FALSE(DeleteTwoPoint(s, 0, d));  // the header row
    ASSERT_TRUE(DeleteTwoPoint(s, 2, d));
    EXPECT_EQ(s.LZam[1], 10);
    EXPECT_EQ(s.LZam[2], 30);
    EXPECT_EQ(s.HZam[2], 3);
    EXPECT_EQ(s.HSeaZam[9], 110);
    EXPECT_EQ(s.LZam[10], 0);
    EXPECT_EQ(s.HZam[10], 0);
    EXPECT_EQ(s.HSeaZam[10], 0);
    d.answers = {Answer::Cancel};
    EXPECT_FALSE(DeleteTwoPoint(s, 1, d));
    EXPECT_EQ(s.LZam[1], 10);

    ASSERT_TRUE(EditTwoPointCell(s, 2, 2, "98,75", d));
    EXPECT_FLOAT_EQ(s.HSeaZam[2], 98.75f);
    EXPECT_EQ(TwoPointCellText(s, 2, 2), "98.75");
    EXPECT_FALSE(EditTwoPointCell(s, 2, 0, "1x", d));
    EXPECT_FLOAT_EQ(s.LZam[2], 30);
}

namespace {

// One line of two spans with a plausible one-point measurement each.
AppState OneLineApp() {
    AppState app;
    TyWire w;
    w.SAlN = 240;
    w.SStN = 32;
    w.D = 2.16f;
    w.DSt = 0.72f;
    w.R = 0.1182f;
    w.AlfaR = 0.00403f;
    w.MAl = 662;
    w.MSt = 259;
    w.TMax = 90;
    app.net.Lines.push_back(NewLine(w, 45000));
    TyLine& line = app.net.Line(1);
    line.Spans.push_back(line.Spans[0]);
    for (TySpan& s : line.Spans) {
        s.Nop1.assign("1");
        s.Nop2.assign("2");
        s.Lpr = 300;
        s.H1 = s.H2 = 100;
        s.Hpr1 = s.Hpr2 = 20;
        s.Zamer[1].Time = 45100.1;  // April, evening
        s.Zamer[1].Tzv = 3;
        s.Zamer[1].HMid = 13;  // sag 7 m
        s.Zamer[1].Tv = 10;
        s.Zamer[1].FZam = 7;
        s.Tv = 0;
        s.Si = 0;
    }
    app.net.CurLine = 1;
    app.net.CurSpan[1] = 1;
    return app;
}

}  // namespace

TEST(InitialConditionsDialog, CalculateDerivesTheReferenceStateOrKeepsItAndReports) {
    AppState app = OneLineApp();
    ScriptedDialogs d;
    TySpan& span = *CurrentSpan(app);
    ASSERT_TRUE(RuCalculate(app, d));
    EXPECT_TRUE(d.shown.empty());
    EXPECT_EQ(span.Tv, 25);
    EXPECT_EQ(span.V, 0);
    EXPECT_EQ(span.Bg, 0);
    // Level span: sigma at t1 is about L^2 gamma / (8 f); carried to 25 C from about 10 C it
    // drops a little.
    const double g = (662.0 + 259.0) / 1000.0 / (240 + 32);
    const double sigmaMeasured = 300.0 * 300.0 * g / (8 * 7);
    EXPECT_GT(span.Si, 0.5 * sigmaMeasured);
    EXPECT_LT(span.Si, sigmaMeasured);
    EXPECT_NEAR(span.Zamer[1].TPr, 10, 0.05);  // no current, night, still air

    // A measured height above the chord: no sag to fit; the stored state stays.
    span.Si = 4.5f;
    span.Tv = 0;
    span.Zamer[1].HMid = 25;
    EXPECT_FALSE(RuCalculate(app, d));
    EXPECT_EQ(span.Si, 4.5f);
    EXPECT_EQ(span.Tv, 0);
    ASSERT_EQ(d.shown.size(), 1u);
    EXPECT_NE(d.shown[0].text.find("1 - 2"), std::string::npos) << d.shown[0].text;
    EXPECT_FALSE(RuCalculate(app, d, false));  // the quiet run on activation
    EXPECT_EQ(d.shown.size(), 1u);
}

TEST(InitialConditionsDialog, FullCalculationRunsEverySpanAndReportsTheFailuresOnce) {
    AppState app = OneLineApp();
    TyLine& line = app.net.Line(1);
    line.Span(2).Zamer[1].FZam = -1;  // no sag to fit
    line.Span(2).Si = 3;
    line.Span(1).RasUsl = 0;
    ScriptedDialogs d;
    EXPECT_EQ(RuFullCalculation(app, d), 1);
    EXPECT_GT(line.Span(1).Si, 0);
    EXPECT_EQ(line.Span(1).RasUsl, 1);
    EXPECT_EQ(line.Span(2).Si, 3);
    ASSERT_EQ(d.shown.size(), 1u);
}

TEST(InitialConditionsDialog, ConductorTempOfTheCurrentMeasurement) {
    AppState app = OneLineApp();
    TySpan& span = *CurrentSpan(app);
    span.Zamer[2] = span.Zamer[1];
    span.Zamer[2].I = 600;
    span.Zamer[2].TPr = 0;
    app.currentZamer = 2;
    ScriptedDialogs d;
    ASSERT_TRUE(RuConductorTemp(app, d));
    EXPECT_GT(span.Zamer[2].TPr, span.Zamer[2].Tv + 5);  // heated by 600 A
    EXPECT_EQ(span.Zamer[1].TPr, 0);
    app.net.Lines.clear();
    EXPECT_FALSE(RuConductorTemp(app, d));
    EXPECT_EQ(RuFullCalculation(app, d), 0);
}

TEST(InitialConditionsDialog, CalculateReadsTheMidSpanElevationWithTheSeaLevelOption) {
    // Heights above sea level: the ground at mid-span is M_middle_h while the sag is derived,
    // and the profile is as it was afterwards.
    AppState app = OneLineApp();
    TySpan& span = *CurrentSpan(app);
    span.UseSea = 1;
    span.M_middle_h = 98;
    span.Zamer[1].HMid = 15;  // chord at 120 m: sag 120 - 98 - 15 = 7 m
    span.Zamer[1].FZam = 0;
    span.Zem[1] = TyZem{101, 50};
    const auto profile = span.Zem;
    ScriptedDialogs d;
    ASSERT_TRUE(RuCalculate(app, d));
    EXPECT_NEAR(span.Zamer[1].FZam, 7, 1e-4);
    EXPECT_EQ(span.Zem, profile);
    EXPECT_TRUE(d.shown.empty());
}

// Operations on the open network: new records, adding, inserting, deleting, limits and the
// current line and span.
#include <gtest/gtest.h>

#include <chrono>

#include "NetworkFixtures.h"
#include "model/Network.h"

using namespace qem;
using namespace qem::test;

namespace {

constexpr double kNow = 45000.5;  // 15.03.2023 12:00

Network MakeNet() {
    Network n;
    n.Now = [] { return kNow; };
    return n;
}

TyWire Wire1() {
    Seq q(9);
    return FullWire(q);
}

}  // namespace

TEST(NetworkDefaults, NewSpanAndNewLineCarryTheirInitialValues) {
    const TyWire w = Wire1();
    const TySpan s = NewSpan(w, kNow);
    EXPECT_EQ(s.RegG, 1);
    EXPECT_EQ(s.RegV, 1);
    EXPECT_EQ(s.Mpr, 1);
    EXPECT_EQ(s.RasUsl, 1);
    EXPECT_EQ(s.Res204, -5.0f);
    EXPECT_EQ(s.Res208, -40.0f);
    EXPECT_EQ(s.Res212, 40.0f);
    EXPECT_EQ(s.Res216, 5.0f);
    for (int k = 1; k <= 11; ++k) EXPECT_EQ(s.Res1380[k], k);
    EXPECT_EQ(s.Pr, w);
    // Exactly one measurement slot in use, stamped with the moment of creation.
    EXPECT_EQ(s.Zamer[1].Time, kNow);
    for (int i = 2; i <= 10; ++i) EXPECT_LE(s.Zamer[i].Time, 0.001);
    // Everything else is zero: clear the listed fields and compare with an empty span.
    TySpan rest = s;
    rest.RegG = rest.RegV = rest.Mpr = rest.RasUsl = 0;
    rest.Res204 = rest.Res208 = rest.Res212 = rest.Res216 = 0;
    rest.Res1380 = {};
    rest.Pr = {};
    rest.Zamer[1].Time = 0;
    EXPECT_EQ(rest, TySpan{});

    const TyLine l = NewLine(w, kNow);
    EXPECT_EQ(l.Uvl, 1);
    EXPECT_STREQ(VoltageText(l.Uvl), "500");
    EXPECT_EQ(l.NSpans(), 1);
    EXPECT_EQ(l.Spans[0], s);
    for (Integer n : {l.NBus1, l.NBus2, l.NBus3, l.NBus4}) EXPECT_EQ(n, 1);
    for (const TyKO* k :
         {&l.KOSwitch1, &l.KOSwitch2, &l.KODisc1, &l.KODisc2, &l.KOTrap1, &l.KOTrap2, &l.KOCT1, &l.KOCT2})
        EXPECT_EQ(*k, TyKO{});
    for (const TyWire* b : {&l.Bus1, &l.Bus2, &l.Bus3, &l.Bus4}) EXPECT_EQ(*b, TyWire{});
    EXPECT_TRUE(l.From.empty() && l.To.empty());
}

TEST(NetworkDefaults, EmptyCatalogGivesAnAllZeroConductor) { EXPECT_EQ(NewSpan(TyWire{}, kNow).Pr, TyWire{}); }

TEST(NetworkDefaults, StartStateAndClock) {
    Network n;
    EXPECT_EQ(n.NLines(), 0);
    EXPECT_EQ(n.UsePUE7, 1);
    EXPECT_EQ(n.UsePUE6, 0);
    for (int c : n.CurSpan) EXPECT_EQ(c, 1);
    // 01.01.2000 00:00 UTC is day 36526; the local clock is off by less than a day.
    using namespace std::chrono;
    const double d = ToDateTime(sys_days{year{2000} / January / 1});
    EXPECT_NEAR(d, 36526.0, 1.0);
    EXPECT_GT(NowDateTime(), 45000.0);  // after 15.03.2023
}

TEST(NetworkLines, AddInsertDeleteKeepOrderAndCurrentLine) {
    Network n = MakeNet();
    const TyWire w = Wire1();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(n.AddLine(w));
    EXPECT_EQ(n.CurLine, 3);
    for (int p = 1; p <= 3; ++p) n.Line(p).NVL = p * 10;

    ASSERT_TRUE(n.InsertLine(2, w));
    EXPECT_EQ(n.CurLine, 2);
    EXPECT_EQ(n.NLines(), 4);
    EXPECT_EQ(n.Line(1).NVL, 10);
    EXPECT_EQ(n.Line(2).NVL, 0);  // the new line
    EXPECT_EQ(n.Line(3).NVL, 20);
    EXPECT_EQ(n.Line(4).NVL, 30);

    ASSERT_TRUE(n.DeleteLine(2));
    EXPECT_EQ(n.CurLine, 2);
    EXPECT_EQ(n.Line(2).NVL, 20);

    // Deleting the last of three lines makes line 2 current.
    ASSERT_TRUE(n.DeleteLine(3));
    EXPECT_EQ(n.NLines(), 2);
    EXPECT_EQ(n.CurLine, 2);

    // The last remaining line is never deleted.
    ASSERT_TRUE(n.DeleteLine(1));
    EXPECT_FALSE(n.DeleteLine(1));
    EXPECT_EQ(n.NLines(), 1);
    EXPECT_EQ(n.CurLine, 1);
    EXPECT_EQ(n.Line(1).NVL, 20);

    EXPECT_THROW(n.DeleteLine(2), std::out_of_range);
    EXPECT_THROW(n.InsertLine(3, w), std::out_of_range);
}

TEST(NetworkLines, InitLineMakesANewLineInPlace) {
    Network n = MakeNet();
    const TyWire w = Wire1();
    n.AddLine(w);
    n.AddLine(w);
    n.Line(2).NVL = 7;
    n.Line(2).Spans.resize(5);
    n.InitLine(2, w);
    EXPECT_EQ(n.Line(2), NewLine(w, kNow));
}

TEST(NetworkLines, ThousandLinesRefuseMoreAndLoseNothing) {
    Network n = MakeNet();
    const TyWire w{};
    for (int i = 1; i <= kMaxLines; ++i) ASSERT_TRUE(n.AddLine(w));
    n.Line(kMaxLines).NVL = 1000;
    n.Line(999).NVL = 999;

    EXPECT_FALSE(n.AddLine(w));
    EXPECT_EQ(n.NLines(), kMaxLines);
    EXPECT_EQ(n.CurLine, kMaxLines);
    EXPECT_EQ(n.Line(kMaxLines).NVL, 1000);

    EXPECT_FALSE(n.InsertLine(999, w));
    EXPECT_EQ(n.NLines(), kMaxLines);
    EXPECT_EQ(n.CurLine, 999);  // only the current position changes
    EXPECT_EQ(n.Line(999).NVL, 999);
    EXPECT_EQ(n.Line(kMaxLines).NVL, 1000);
    EXPECT_STREQ(kMsgLinesFull, "В сети уже 1000 линий — больше добавить нельзя");
}

TEST(NetworkSpans, AddInsertDeleteKeepOrderAndCurrentSpan) {
    Network n = MakeNet();
    const TyWire w = Wire1();
    n.AddLine(w);
    ASSERT_TRUE(n.AddSpan(1, w));
    ASSERT_TRUE(n.AddSpan(1, w));
    EXPECT_EQ(n.CurSpan[1], 3);
    for (int s = 1; s <= 3; ++s) n.Line(1).Span(s).Lpr = 100.0f * s;

    ASSERT_TRUE(n.InsertSpan(1, 1, w));
    EXPECT_EQ(n.CurSpan[1], 1);
    EXPECT_EQ(n.Line(1).Span(1).Lpr, 0.0f);
    EXPECT_EQ(n.Line(1).Span(2).Lpr, 100.0f);
    EXPECT_EQ(n.Line(1).Span(4).Lpr, 300.0f);
    ASSERT_TRUE(n.DeleteSpan(1, 1));

    // Deleting the last span of three makes span 2 current.
    ASSERT_TRUE(n.DeleteSpan(1, 3));
    EXPECT_EQ(n.Line(1).NSpans(), 2);
    EXPECT_EQ(n.CurSpan[1], 2);
    EXPECT_EQ(n.Line(1).Span(2).Lpr, 200.0f);

    // A middle span: the next one moves into its place and becomes current.
    ASSERT_TRUE(n.AddSpan(1, w));
    n.Line(1).Span(3).Lpr = 300.0f;
    ASSERT_TRUE(n.DeleteSpan(1, 2));
    EXPECT_EQ(n.CurSpan[1], 2);
    EXPECT_EQ(n.Line(1).Span(2).Lpr, 300.0f);

    // The only span is never deleted.
    ASSERT_TRUE(n.DeleteSpan(1, 1));
    EXPECT_FALSE(n.DeleteSpan(1, 1));
    EXPECT_EQ(n.Line(1).NSpans(), 1);
    EXPECT_EQ(n.Line(1).Span(1).Lpr, 300.0f);
    EXPECT_EQ(n.CurSpan[1], 1);

    n.Line(1).Span(1).Lpr = 5;
    n.InitSpan(1, 1, w);
    EXPECT_EQ(n.Line(1).Span(1), NewSpan(w, kNow));
}

TEST(NetworkSpans, SpanLimitRefusesAndLosesNothing) {
    Network n = MakeNet();
    const TyWire w{};
    n.AddLine(w);
    for (int s = 2; s <= kMaxSpans; ++s) ASSERT_TRUE(n.AddSpan(1, w));
    n.Line(1).Span(kMaxSpans).Lpr = 2550.0f;
    n.Line(1).Span(10).Lpr = 10.0f;

    EXPECT_FALSE(n.AddSpan(1, w));
    EXPECT_EQ(n.Line(1).NSpans(), kMaxSpans);
    EXPECT_EQ(n.CurSpan[1], kMaxSpans);
    EXPECT_EQ(n.Line(1).Span(kMaxSpans).Lpr, 2550.0f);

    EXPECT_FALSE(n.InsertSpan(1, 10, w));
    EXPECT_EQ(n.Line(1).NSpans(), kMaxSpans);
    EXPECT_EQ(n.CurSpan[1], 10);
    EXPECT_EQ(n.Line(1).Span(10).Lpr, 10.0f);
    EXPECT_EQ(n.Line(1).Span(kMaxSpans).Lpr, 2550.0f);
    EXPECT_STREQ(kMsgSpansFull, "В линии уже 2550 пролётов — больше добавить нельзя");
}

TEST(NetworkSpans, CurrentSpanBelongsToThePositionNotToTheLine) {
    Network n = MakeNet();
    const TyWire w{};
    for (int i = 0; i < 3; ++i) n.AddLine(w);
    for (int s = 0; s < 4; ++s) n.AddSpan(2, w);  // line 2: 5 spans, CurSpan[2] = 5
    n.AddSpan(3, w);                              // line 3: 2 spans, CurSpan[3] = 2
    n.Line(3).NVL = 3;
    ASSERT_EQ(n.CurSpan[2], 5);

    n.InsertLine(1, w);  // lines move down, entries stay
    EXPECT_EQ(n.CurSpan[2], 5);
    EXPECT_EQ(n.CurSpan[3], 2);
    EXPECT_EQ(n.Line(3).NSpans(), 5);

    n.DeleteLine(1);
    n.DeleteLine(2);  // the 2-span line (NVL 3) comes to position 2
    EXPECT_EQ(n.Line(2).NVL, 3);
    EXPECT_EQ(n.CurSpan[2], 5);
    // The entry left from the former line is read within the line's own spans.
    EXPECT_EQ(n.CurSpanOf(2), 2);
}

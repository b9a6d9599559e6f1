// What the main window's pages show and what a click in the line list does, on the sample
// network the build ships.
#include <gtest/gtest.h>

#include <filesystem>

#include "lines/MainPages.h"
#include "model/AppData.h"
#include "model/Cp1251.h"
#include "model/NetworkFile.h"
#include "platform/ScriptedDialogs.h"

using namespace qem;

namespace {

const std::filesystem::path kData = std::filesystem::path(QEM_BIN_DIR) / "data";

struct MainPagesSample : ::testing::Test {
    AppState app;
    ScriptedDialogs dlg;
    void SetUp() override {
        app.data = LoadAll(kData, false, nullptr, false);
        app.net.NetFileName = PathToUtf8(kData / std::filesystem::u8path("Пример сети.qem"));
        ReadNetwork(app.net);
        app.net.CurLine = 1;
        app.net.ResetCurSpans();
    }
};

}  // namespace

TEST_F(MainPagesSample, LineClickRecomputesUsableSpansAndLeavesSpanOne) {
    ASSERT_GE(app.net.NLines(), 2);
    TyLine& l = app.net.Line(2);
    ASSERT_GE(l.NSpans(), 4);
    app.net.CurSpan[2] = 4;
    // Span 1: an ordinary span with its reference state wiped and no regions.
    l.Span(1).Si = 0;
    l.Span(1).Tv = 0;
    l.Span(1).RegV = 0;
    l.Span(1).RegG = 9;
    // Span 2: the marked measurement date keeps whatever it holds.
    l.Span(2).Zamer[1].Time = kNoRecomputeTime;
    l.Span(2).Si = 123.0f;
    l.Span(2).RegV = 0;
    // Span 3: no length, not recomputed either.
    l.Span(3).Lpr = 0;
    l.Span(3).Si = 77.0f;

    ChooseLine(app, 2);

    EXPECT_EQ(app.net.CurLine, 2);
    EXPECT_EQ(app.net.CurSpan[2], 1);
    // The reference state is the stress at 25 C without wind and ice.
    EXPECT_GT(l.Span(1).Si, 0.5f);
    EXPECT_EQ(l.Span(1).Tv, 25.0f);
    EXPECT_EQ(l.Span(1).RegV, 1);
    EXPECT_EQ(l.Span(1).RegG, 1);
    EXPECT_EQ(l.Span(2).Si, 123.0f);
    EXPECT_EQ(l.Span(2).RegV, 0);
    EXPECT_EQ(l.Span(3).Si, 77.0f);
}

TEST_F(MainPagesSample, LineClickOutsideTheListChangesNothing) {
    ChooseLine(app, 0);
    ChooseLine(app, app.net.NLines() + 1);
    EXPECT_EQ(app.net.CurLine, 1);
}

TEST(MainPages, SpanPageTexts) {
    TySpan s;
    s.Nop1.assign("12");
    s.Nop2.assign("13a");
    s.Pr.Name.assign("AC");
    s.Pr.SAlN = 240;
    s.Pr.SStN = 32;
    s.Lpr = 216;
    s.Hpr1 = 18.904f;
    s.Fi = 55.7f;
    s.AngP = 35.4f;
    s.Si = 6.525f;
    s.RegG = 3;
    s.RegV = 9;
    s.TM = 2;
    const SpanPageTexts t = ShowSpanPage(s);
    EXPECT_EQ(SpanListText(s), "   12 -   13a");
    EXPECT_EQ(t.Pr, std::string(27, ' ') + "AC- 240/ 32");
    EXPECT_EQ(t.Lpr, "  216.00");
    EXPECT_EQ(t.Hpr1, "   18.90");
    EXPECT_EQ(t.Fi, "    56");
    EXPECT_EQ(t.AngP, "    35");
    EXPECT_EQ(t.RegG, "III");
    EXPECT_EQ(t.RegV, "");  // outside I ... VII nothing is chosen
    EXPECT_EQ(t.TM, "Труднодоступная местность");
    // No obstacle: empty labels and no obstacle numbers.
    EXPECT_EQ(t.Lprep, "");
    EXPECT_EQ(t.NPrep, 0);
    s.Prep[1].Lprep = 50.5f;
    s.Prep[1].Hprep = 6;
    s.Prep[1].TPrp = 9;
    s.NPrep = 1;
    const SpanPageTexts o = ShowSpanPage(s);
    EXPECT_EQ(o.Lprep, "   50.50");
    EXPECT_EQ(o.Hprep, "    6.00");
    EXPECT_EQ(o.TPrp, "Автомобильная дорога");
    EXPECT_EQ(o.NPrep, 1);
}

TEST(MainPages, SourcePageShowsTheCurrentWithTwoDecimalsExceptOnAClick) {
    TySpan s;
    s.Tvv = 24.6f;
    s.Iv = 380.4f;
    s.Vv = 1.25f;
    s.Tzv = 2;
    EXPECT_EQ(ShowSourcePage(s).Iv, "380.40");
    EXPECT_EQ(ShowSourcePage(s, true).Iv, "   380");
    EXPECT_EQ(ShowSourcePage(s).Tvv, "    25");
    EXPECT_EQ(ShowSourcePage(s).Vv, "   1.3");
    EXPECT_EQ(ShowSourcePage(s).Tzv, 2);
    s.Tzv = 7;
    EXPECT_EQ(ShowSourcePage(s).Tzv, -1);
}

TEST_F(MainPagesSample, DisplayingASpanTakesItsChoicesAndGivesItAnObstacleSlot) {
    TySpan& s = app.net.Line(1).Span(1);
    s.NPrep = 0;
    s.UseSea = 0;
    s.LZam[1] = 0;
    app.mode = ZamerMode::TwoPoints;
    app.seaLevel = true;
    RefreshCurrentSpan(app, dlg);
    EXPECT_EQ(s.NPrep, 1);
    EXPECT_EQ(app.mode, ZamerMode::OnePoint);
    EXPECT_FALSE(app.seaLevel);
    EXPECT_GT(s.Si, 0.5f);
}

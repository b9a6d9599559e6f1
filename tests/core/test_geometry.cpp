// Ground under the span, clearances, obstacle norms, temporary sea-level points, span view.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "MechanicsSpan.h"
#include "engine/Geometry.h"
#include "engine/SpanView.h"
#include "engine/StateChange.h"
#include "platform/ScriptedDialogs.h"

using namespace qem;
using namespace qem::test;

namespace {

const char* const kTooMany = "Количество препятствий и замеров профиля трассы не должно быть больше 9";

// The catenary of the span at its reference state, for the ground functions.
struct Frame {
    double gamma, sigma, d1, d2, r1, r2;
};
Frame FrameOf(TySpan& span) {
    SpanResult r;
    SpanState(span, 1, 25, r);
    const double gamma = AC240Weight(), a = r.Sigma / gamma;
    const LowestPointResult p = LowestPoint(gamma, r.Sigma, span.Lpr, (span.H1 + span.Hpr1) - (span.H2 + span.Hpr2));
    return {gamma, r.Sigma, p.d1, p.d2, a * (std::cosh(p.d1 / a) - 1), a * (std::cosh(p.d2 / a) - 1)};
}
// Ground elevation at distance s from support 1, from GroundHeight: the catenary frame
// shifted so that the base of support 1 is at H1.
double Elevation(const TySpan& span, const Frame& f, double s) {
    const double a = f.sigma / f.gamma;
    const double base1 = a + f.r1 - span.Hpr1;
    return GroundHeight(span, s - f.d1, f.r1, f.r2, f.d1, f.d2, f.gamma, f.sigma) - base1 + span.H1;
}

}  // namespace

TEST(GroundHeight, StraightBetweenSupportBasesWithoutProfile) {
    TySpan span = LevelSpan();
    span.H2 = 90;
    const Frame f = FrameOf(span);
    for (double s : {0.0, 30.0, 150.0, 299.0, 300.0}) EXPECT_NEAR(Elevation(span, f, s), 100 - 10 * s / 300, 1e-6) << s;
}

TEST(GroundHeight, FollowsTheProfileAndStopsAtItsEnd) {
    TySpan span = LevelSpan();
    span.H2 = 90;
    span.Zem[1] = {104, 50};
    span.Zem[2] = {98, 150};
    span.Zem[4] = {150, 200};  // after a missing point: not part of the profile
    const Frame f = FrameOf(span);
    EXPECT_NEAR(Elevation(span, f, 0), 100, 1e-6);
    EXPECT_NEAR(Elevation(span, f, 25), 102, 1e-6);
    EXPECT_NEAR(Elevation(span, f, 50), 104, 1e-6);
    EXPECT_NEAR(Elevation(span, f, 100), 101, 1e-6);
    EXPECT_NEAR(Elevation(span, f, 225), 94, 1e-6);  // 98 at 150 down to 90 at 300
}

TEST(GroundHeight, TenProfilePointsThenSupportTwo) {
    TySpan span = LevelSpan();
    for (int i = 1; i <= 10; ++i) span.Zem[i] = {100.0f + i, 20.0f * i};  // 101 at 20 m ... 110 at 200 m
    const Frame f = FrameOf(span);
    EXPECT_NEAR(Elevation(span, f, 190), 109.5, 1e-6);
    EXPECT_NEAR(Elevation(span, f, 250), 105, 1e-6);  // 110 at 200 m down to 100 at 300 m
}

TEST(GroundMidElevation, InterpolatesAtMidSpan) {
    TySpan span = LevelSpan();
    span.Lpr = 100;
    span.H1 = 100;
    span.H2 = 110;
    EXPECT_NEAR(GroundMidElevation(span), 105, 1e-9);
    span.Zem[1] = {104, 30};  // one point at 30 m: between it and support 2
    EXPECT_NEAR(GroundMidElevation(span), 104 + 6.0 * 20 / 70, 1e-5);
    span.Zem[2] = {90, 50};  // a point exactly at mid-span
    EXPECT_NEAR(GroundMidElevation(span), 90, 1e-5);
}

TEST(ObstacleNorm, CrossedLinesAndObjects) {
    Norms n;
    n.NormCross[4][0] = 3;
    n.NormCross[4][1] = 99;
    n.NormObst[4][0] = 4;     // building
    n.NormObst[4][1] = 7;     // road
    n.NormObst[4][4] = 8.5f;  // trolleybus line
    TySpan span = LevelSpan();
    const int types[] = {0, 7, 8, 9, 12};
    const double norms[] = {3, 3, 4, 7, 8.5};
    for (int i = 0; i < 5; ++i) {
        span.Prep[2].TPrp = types[i];
        EXPECT_DOUBLE_EQ(ObstacleNorm(span, 2, 4, n), norms[i]) << "type " << types[i];
    }
}

// ---------------------------------------------------------------------------------------

namespace {

TySpan SeaSpan() {
    TySpan span = LevelSpan();
    span.UseSea = 1;
    span.M_middle_h = 97;
    span.Zem[1] = {99, 40};
    span.Zem[2] = {96, 200};
    span.NPrep = 2;
    span.Prep[1] = {250, 6, 0, 95, 0, 9};
    span.Prep[2] = {100, 8, 0, 98, 0, 0};
    return span;
}

}  // namespace

TEST(SeaLevelPoints, AddedSortedAndRemovedExactly) {
    TySpan span = SeaSpan();
    const TySpan before = span;
    const SeaLevelToken t = AddSeaLevelPoints(span, ZamerMode::OnePoint);
    EXPECT_TRUE(t.refusal.empty());
    ASSERT_EQ(t.added.size(), 3u);
    const float L[] = {40, 100, 150, 200, 250};
    const float H[] = {99, 98, 97, 96, 95};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(span.Zem[i + 1].ZemL, L[i]);
        EXPECT_EQ(span.Zem[i + 1].ZemH, H[i]);
    }
    EXPECT_EQ(span.Zem[6].ZemL, 0);
    // The measurement check may switch the option off meanwhile: the points still go.
    span.UseSea = 0;
    RemoveSeaLevelPoints(span, t);
    span.UseSea = 1;
    EXPECT_EQ(span, before);
}

TEST(SeaLevelPoints, OptionOffAddsNothing) {
    TySpan span = SeaSpan();
    span.UseSea = 0;
    const TySpan before = span;
    const SeaLevelToken t = AddSeaLevelPoints(span, ZamerMode::TwoPoints);
    EXPECT_TRUE(t.empty());
    EXPECT_EQ(span, before);
    RemoveSeaLevelPoints(span, t);
    EXPECT_EQ(span, before);
}

TEST(SeaLevelPoints, TooManyPointsAreRefusedWithMessage) {
    struct Case {
        int profile;
        int obstacles;
        ZamerMode mode;
        bool refused;
    };
    // 9 + 1 and 8 + 2: the limit of the obstacles and profile points. 7 + 2 in the
    // two-measurement mode: nine points plus two measurement points need an eleventh slot.
    const Case cases[] = {{9, 1, ZamerMode::OnePoint, true},
                          {8, 2, ZamerMode::TwoPoints, true},
                          {7, 2, ZamerMode::TwoPoints, true},
                          {7, 2, ZamerMode::OnePoint, false},
                          {6, 2, ZamerMode::TwoPoints, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.profile << " points, " << c.obstacles << " obstacles");
        TySpan span = LevelSpan();
        span.UseSea = 1;
        for (int i = 1; i <= c.profile; ++i) span.Zem[i] = {100, 10.0f * i};
        span.NPrep = c.obstacles;
        for (int k = 1; k <= c.obstacles; ++k) span.Prep[k] = {200.0f + k, 5, 0, 99, 0, 9};
        span.LZam[1] = 120;
        span.LZam[2] = 250;
        span.HSeaZam[1] = span.HSeaZam[2] = 98;
        const TySpan before = span;
        const SeaLevelToken t = AddSeaLevelPoints(span, c.mode);
        if (c.refused) {
            EXPECT_EQ(t.refusal, kTooMany);
            EXPECT_TRUE(t.empty());
            EXPECT_EQ(span, before);
        } else {
            EXPECT_TRUE(t.refusal.empty());
            RemoveSeaLevelPoints(span, t);
            EXPECT_EQ(span, before);
        }
    }
}

TEST(SeaLevelPoints, GenuinePointEqualToATemporaryOneSurvives) {
    TySpan span = SeaSpan();
    span.Zem[2] = {98, 100};  // the same as obstacle 2's crossing point
    span.Zem[3] = {96, 200};
    const TySpan before = span;
    {
        SeaLevelPointsGuard guard(span, ZamerMode::OnePoint);
        EXPECT_EQ(guard.token().added.size(), 3u);
    }
    EXPECT_EQ(span, before);
}

TEST(SeaLevelPoints, TwoMeasurementPointsAndAMissingOne) {
    TySpan span = SeaSpan();
    span.NPrep = 0;
    span.Prep[1] = span.Prep[2] = TyPrep{};
    span.LZam[1] = 0;  // only the second point is measured
    span.LZam[2] = 230;
    span.HSeaZam[2] = 94;
    const TySpan before = span;
    const SeaLevelToken t = AddSeaLevelPoints(span, ZamerMode::TwoPoints);
    ASSERT_EQ(t.added.size(), 1u);
    // The profile still starts at 40 m: a point at distance 0 would have ended it.
    EXPECT_EQ(span.Zem[1].ZemL, 40);
    EXPECT_EQ(span.Zem[3].ZemL, 230);
    RemoveSeaLevelPoints(span, t);
    EXPECT_EQ(span, before);
}

TEST(SeaLevelPoints, GuardRemovesPointsWhenTheCalculationFails) {
    TySpan span = SeaSpan();
    const TySpan before = span;
    try {
        SeaLevelPointsGuard guard(span, ZamerMode::OnePoint);
        EXPECT_EQ(span.Zem[3].ZemL, 150);
        throw std::runtime_error("calculation failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(span, before);
}

// ---------------------------------------------------------------------------------------

TEST(SpanView, DrawsTheSpanInTheFrameOfTheLowerSupport) {
    TySpan span = LevelSpan();
    span.H2 = 94;  // support 2 lower: the frame stands on its base, lift1 = 6
    for (int i = 1; i <= 10; ++i) span.Zem[i] = {float(100 - 0.5 * i), 25.0f * i};
    span.NPrep = 3;
    span.Prep[1] = {100, 7, 0, 0, 0, 9};
    span.Prep[2] = {220, 5, 0, 0, 0, 0};
    span.Prep[3] = {0.0001f, 5, 0, 0, 0, 8};
    SpanView view;
    SpanResult r;
    SpanState(span, 1, 40, r, &view);
    const SpanResult afterFirst = r;
    SpanState(span, 2, 40, r, &view);
    EXPECT_TRUE(view.Obstacle1Label.visible);
    EXPECT_TRUE(view.Obstacle2Label.visible);
    EXPECT_EQ(view.Obstacle2Label.value, r.ClrObst);
    EXPECT_NEAR(view.Obstacle2Label.anchor.x, 220, 1e-4);
    SpanState(span, 3, 40, r, &view);

    // Three drawings on top of each other; obstacle 3 draws nothing.
    const auto& S = view.Series;
    EXPECT_EQ(S[SpanView::kConductor].points.size(), 303u);
    EXPECT_EQ(S[SpanView::kGround].points.size(), 36u);  // (0, lift1), ten points, (Lpr, lift2)
    EXPECT_EQ(S[SpanView::kObstacleBoxes].points.size(), 8u);
    EXPECT_EQ(S[SpanView::kArrowObstacle].arrows.size(), 2u);
    EXPECT_EQ(S[SpanView::kArrowSag].arrows.size(), 3u);

    // Conductor from suspension point 1 (6 + 25 m) to suspension point 2 (25 m).
    EXPECT_NEAR(S[SpanView::kConductor].points.front().y, 31, 1e-4);
    EXPECT_NEAR(S[SpanView::kConductor].points[100].y, 25, 1e-4);
    EXPECT_EQ(S[SpanView::kGround].points[1], (ChartPoint{25, 99.5 - 94}));
    EXPECT_EQ(S[SpanView::kGround].points[11], (ChartPoint{300, 0}));
    EXPECT_EQ(S[SpanView::kChord].points[0], (ChartPoint{0, 31}));
    EXPECT_EQ(S[SpanView::kSupport2].points[1], (ChartPoint{300, 25}));

    // Sag arrow down from the chord at mid-span (28 m), label at its middle.
    const ChartArrow sag = S[SpanView::kArrowSag].arrows[0];
    EXPECT_NEAR(sag.from.y, 28, 1e-9);
    EXPECT_NEAR(sag.from.y - sag.to.y, r.SagMid, 1e-9);
    EXPECT_EQ(view.SagLabel.text, [&] {
        char b[32];
        std::snprintf(b, sizeof b, "%6.2f", r.SagMid);
        return std::string(b);
    }());

    // Obstacle 1: box on the ground (98 m at 100 m, 4 in the view), arrow from its top.
    const ChartArrow o1 = S[SpanView::kArrowObstacle].arrows[0];
    EXPECT_NEAR(o1.from.y, 4 + 7, 1e-4);
    EXPECT_NEAR(o1.to.y - o1.from.y, afterFirst.ClrObst, 1e-9);
    // Obstacle 3 at 0.0001 m hides its own label and the label of obstacle 1.
    EXPECT_FALSE(view.Obstacle3Label.visible);
    EXPECT_FALSE(view.Obstacle1Label.visible);
    EXPECT_TRUE(view.Obstacle2Label.visible);

    // Drawing turns ClrGround, XClrMin and GroundAtMin to mid-span; ClrMin stays the smallest.
    EXPECT_DOUBLE_EQ(r.XClrMin, 150);
    EXPECT_NEAR(r.GroundAtMin, 97 - 94, 1e-4);  // profile point 6: 97 m at 150 m
    EXPECT_NEAR(S[SpanView::kArrowMidSpan].arrows[0].to.y, S[SpanView::kConductor].points[50].y, 1e-4);
    EXPECT_LE(r.ClrMin, r.ClrGround);
    SpanResult plain;
    SpanState(span, 1, 40, plain);
    EXPECT_EQ(plain.ClrMin, r.ClrMin);
}

TEST(SpanView, EqualGroundElevationsPutTheFrameAtSupportOne) {
    TySpan span = LevelSpan();
    SpanView view;
    SpanResult r;
    SpanState(span, 1, 25, r, &view);
    EXPECT_EQ(view.Series[SpanView::kGround].points.front(), (ChartPoint{0, 0}));
    EXPECT_EQ(view.Series[SpanView::kGround].points.back(), (ChartPoint{300, 0}));
    EXPECT_NEAR(view.Series[SpanView::kConductor].points[50].y, 25 - r.SagMid, 1e-6);
    EXPECT_NEAR(r.ClrGround, 25 - r.SagMid, 1e-6);
    EXPECT_NEAR(r.GroundAtMin, 0, 1e-6);
    EXPECT_TRUE(view.ClrMinLabel.visible);
    EXPECT_TRUE(view.MidSpanLabel.visible);
}

// Catenary geometry, the state-change equation and the span state.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "MechanicsSpan.h"
#include "engine/CalcError.h"
#include "engine/Loads.h"
#include "engine/StateChange.h"

using namespace qem;
using namespace qem::test;

namespace {

const double g0 = AC240Weight();
// E and alpha of АС 240/39 by the mixture rules, b = 240/39.
const double b = 240.0 / 39.0;
const double E = (6300.0 * b + 20000.0) / (b + 1.0);
const double alpha = (20000.0 * 1.2e-5 + b * 6300.0 * 2.3e-5) / (b * 6300.0 + 20000.0);

// The parabolic state-change equation written out by hand.
double Residual(double s, double s0, double gam0, double gam, double dt, double L) {
    return s0 - s - E * L * L / 24.0 * (gam0 * gam0 / (s0 * s0) - gam * gam / (s * s)) - E * alpha * dt;
}

// Arc length of a catenary between the supports.
double ArcLength(double a, double L, double h) {
    const double d1 = ClosedFormD1(a, L, h);
    return a * (std::sinh(d1 / a) + std::sinh((L - d1) / a));
}

}  // namespace

TEST(LowestPoint, LevelSpanIsSymmetric) {
    const LowestPointResult p = LowestPoint(g0, 8, 300, 0);
    EXPECT_DOUBLE_EQ(p.d1, 150);
    EXPECT_DOUBLE_EQ(p.d2, 150);
}

TEST(LowestPoint, InclinedCatenaryPassesThroughBothSupports) {
    struct Case {
        double sigma, L, h;
    };
    // The last two put the lowest point beyond support 2 (d2 < 0) and beyond support 1.
    for (const Case c : {Case{8, 300, 10}, Case{8, 300, -10}, Case{4, 450, 60}, Case{3, 100, 20}, Case{3, 100, -20}}) {
        SCOPED_TRACE(::testing::Message() << "sigma " << c.sigma << " L " << c.L << " h " << c.h);
        const double a = c.sigma / g0;
        const LowestPointResult p = LowestPoint(g0, c.sigma, c.L, c.h);
        EXPECT_NEAR(p.d1 + p.d2, c.L, 1e-9);
        // |f| <= 1e-6 on the equation divided by a.
        EXPECT_NEAR(a * std::cosh(-p.d1 / a) - a * std::cosh(p.d2 / a), c.h, a * 1e-6);
        EXPECT_NEAR(p.d1, ClosedFormD1(a, c.L, c.h), 0.01);
        EXPECT_EQ(c.h > 0, p.d1 > c.L / 2);  // the lowest point lies nearer the lower support
    }
    EXPECT_LT(LowestPoint(g0, 3, 100, 20).d2, 0);
    EXPECT_LT(LowestPoint(g0, 3, 100, -20).d1, 0);
}

TEST(LowestPoint, BadInputAndOverflowAreCalculationErrors) {
    EXPECT_THROW(LowestPoint(g0, 0, 300, 0), CalcError);
    EXPECT_THROW(LowestPoint(g0, -1, 300, 0), CalcError);
    EXPECT_THROW(LowestPoint(0, 8, 300, 0), CalcError);
    EXPECT_THROW(LowestPoint(g0, 8, 0, 0), CalcError);
    EXPECT_THROW(LowestPoint(g0, 8, 300, std::numeric_limits<double>::quiet_NaN()), CalcError);
    // a = 0.1 m over 1000 m: cosh overflows at once; an error, not a hang or a NaN.
    EXPECT_THROW(LowestPoint(1, 0.1, 1000, 5), CalcError);
}

TEST(LowestPoint, StopsAtTheLimitOfTheArithmetic) {
    // cosh(L/(2a)) ~ 1e18: |f| cannot get below 1e-6 in double precision; the iteration must
    // still end quickly with the closed-form answer.
    const double sigma = 0.012, L = 300;
    const double a = sigma / g0;
    const LowestPointResult p = LowestPoint(g0, sigma, L, 40);
    EXPECT_NEAR(p.d1, ClosedFormD1(a, L, 40), 1e-6);
}

TEST(Catenary, SagAtMidSpanOfLevelSpan) {
    const double sigma = 8, L = 300, a = sigma / g0;
    const double rise = a * (std::cosh(L / (2 * a)) - 1);
    EXPECT_NEAR(SagAt(0, L, L / 2, rise, rise, g0, sigma), rise, 1e-9);
    EXPECT_NEAR(CatenaryHeight(0, g0, sigma), a, 1e-9);
    // The parabola L^2 gamma / (8 sigma) is within 0.1 % of the catenary here.
    EXPECT_NEAR(rise, L * L * g0 / (8 * sigma), 0.001 * rise);
    // At the supports the conductor is on the chord.
    EXPECT_NEAR(SagAt(-L / 2, L, L / 2, rise, rise, g0, sigma), 0, 1e-9);
    EXPECT_NEAR(SagAt(L / 2, L, L / 2, rise, rise, g0, sigma), 0, 1e-9);
}

TEST(StateStress, ReferenceStateGivesReferenceStress) {
    const TyWire w = AC240();
    // Level span: the parabolic solution (bisection to 0.001); steep long span: the catenary
    // refinement runs and lands on sigma0 itself.
    EXPECT_NEAR(StateStress(w, 8, g0, 25, g0, 25, 300, 0), 8, 0.001);
    EXPECT_NEAR(StateStress(w, 8, g0, 25, g0, 25, 300, 30), 8, 0.001);
    EXPECT_NEAR(StateStress(w, 3, g0, 25, g0, 25, 800, 200), 3, 1e-6);
}

TEST(StateStress, SolvesTheStateChangeEquation) {
    const TyWire w = AC240();
    const double gi = SpecificLoad(w, 2, 0.9, 0, 300);  // 2 cm ice wall
    struct Case {
        double gam, t;
    };
    for (const Case c : {Case{g0, -20}, Case{g0, 80}, Case{gi, -5}}) {
        const double s = StateStress(w, 8, g0, 25, c.gam, c.t, 300, 0);
        // Root within the bisection width: the residual changes sign within 0.001.
        EXPECT_LT(Residual(s - 0.001, 8, g0, c.gam, c.t - 25, 300) * Residual(s + 0.001, 8, g0, c.gam, c.t - 25, 300),
                  0)
            << "t " << c.t;
    }
}

TEST(StateStress, HotterSlackerAndIceTighter) {
    const TyWire w = AC240();
    const double cold = StateStress(w, 8, g0, 25, g0, -20, 300, 10);
    const double hot = StateStress(w, 8, g0, 25, g0, 80, 300, 10);
    const double iced = StateStress(w, 8, g0, 25, SpecificLoad(w, 2, 0.9, 0, 300), -5, 300, 10);
    EXPECT_GT(cold, 8);
    EXPECT_LT(hot, 8);
    EXPECT_GT(iced, cold);
    // A slacker conductor hangs lower.
    EXPECT_GT(MidSpanSag(hot / g0, 300, 10), MidSpanSag(8 / g0, 300, 10));
}

TEST(StateStress, ResidualOfOneSignEndsBisectionAtUpperBound) {
    const TyWire w = AC240();
    // Far too hot or far too cold: F keeps its sign on [0.1, 160], and the bisection runs up.
    for (double t : {1e6, -1e6}) {
        const double s = StateStress(w, 8, g0, 25, g0, t, 300, 0);
        EXPECT_NEAR(s, 160, 0.001) << "t " << t;
    }
    // A root just above the lower bound 0.1: hi runs down to it.
    const double root = 0.1002;
    const double dt = (8 - root - E * 300 * 300 / 24.0 * (g0 * g0 / 64 - g0 * g0 / (root * root))) / (E * alpha);
    EXPECT_NEAR(StateStress(w, 8, g0, 25, g0, 25 + dt, 300, 0), 0.1, 0.001);
}

TEST(StateStress, CatenaryRefinementKeepsTheArcLength) {
    // Long steep span: the refinement runs. The arc length must equal the reference one
    // stretched by temperature and by the stress change.
    const TyWire w = AC240();
    const double L = 800, h = 200, s0 = 3;
    const double S0 = ArcLength(s0 / g0, L, h);
    for (double t : {-20.0, 80.0}) {
        const double s = StateStress(w, s0, g0, 25, g0, t, L, h);
        const double target = S0 * (1 + alpha * (t - 25)) * (1 + (s - s0) / E);
        EXPECT_NEAR(ArcLength(s / g0, L, h), target, 1e-4) << "t " << t;
    }
}

TEST(StateStress, RefinementThatRunsAwayFallsBackToParabolicStress) {
    // A 300 m span with 200 m between the suspension points: the Newton steps run off to a
    // stress of thousands of kgf/mm2. The parabolic answer stands.
    const TyWire w = AC240();
    const double s = StateStress(w, 3, g0, 25, g0, 80, 300, 200);
    EXPECT_LT(Residual(s - 0.001, 3, g0, g0, 55, 300) * Residual(s + 0.001, 3, g0, g0, 55, 300), 0);
    EXPECT_THROW(StateStress(w, 0, g0, 25, g0, 80, 300, 0), CalcError);
}

// ---------------------------------------------------------------------------------------

TEST(SpanState, LevelSpanWithoutProfile) {
    TySpan span = LevelSpan();
    SpanResult r;
    SpanState(span, 1, 25, r);
    EXPECT_NEAR(r.Sigma, 8, 0.001);
    const double a = r.Sigma / g0;
    const double sag = a * (std::cosh(150 / a) - 1);
    EXPECT_NEAR(r.Rise1, sag, 1e-9);
    EXPECT_NEAR(r.Rise2, sag, 1e-9);
    EXPECT_NEAR(r.SagMid, sag, 1e-9);
    EXPECT_NEAR(r.SagMid, 4.80, 0.01);
    // Tension at the supports: S (sigma + gamma rise).
    EXPECT_NEAR(r.TensionMax, 279 * (r.Sigma + g0 * sag), 1e-6);
    // Flat ground: the smallest clearance lies under the lowest point.
    EXPECT_NEAR(r.ClrMin, 25 - sag, 1e-9);
    EXPECT_EQ(r.ClrGround, r.ClrMin);
    EXPECT_NEAR(r.XClrMin, 150, 1e-9);
}

TEST(SpanState, ObstacleClearanceAndInclinedGround) {
    TySpan span = LevelSpan();
    span.H2 = 90;  // support 2 stands 10 m lower
    span.NPrep = 1;
    span.Prep[1].Lprep = 100;
    span.Prep[1].Hprep = 8;
    SpanResult r;
    SpanState(span, 1, 40, r);
    // Independently: the conductor elevation is 125 m at support 1, less the catenary drop
    // from there; the ground runs straight from 100 to 90 m.
    const double a = r.Sigma / g0, L = 300, h = 10;
    const double d1 = ClosedFormD1(a, L, h);
    const double conductor = 125 - a * std::cosh(d1 / a) + a * std::cosh((100 - d1) / a);
    const double groundAt100 = 100 - 10 * 100 / L;
    EXPECT_NEAR(r.ClrObst, conductor - groundAt100 - 8, 1e-6);
    EXPECT_NEAR(r.Rise1 - r.Rise2, h, 1e-5);
}

TEST(SpanState, WithoutReferenceStateLeavesResultUntouched) {
    TySpan span = LevelSpan();
    span.Si = 0.005f;
    SpanResult r;
    r.Sigma = 7;
    r.ClrMin = 3;
    r.TCond = 55;
    SpanState(span, 1, 25, r);
    EXPECT_EQ(r.Sigma, 7);
    EXPECT_EQ(r.ClrMin, 3);
    EXPECT_EQ(r.TCond, 55);
}

TEST(SpanState, IceRegimeTakesAirTemperature) {
    TySpan span = LevelSpan();
    span.Bgv = 2;
    span.Gamma = 0.9f;
    span.Tvv = -5;
    SpanResult cool, hot;
    SpanState(span, 1, 0, cool);
    SpanState(span, 1, 90, hot);
    EXPECT_EQ(cool.Sigma, hot.Sigma);
    EXPECT_EQ(cool.SagMid, hot.SagMid);
    TySpan bare = LevelSpan();
    SpanResult b;
    SpanState(bare, 1, -5, b);
    EXPECT_GT(cool.Sigma, b.Sigma);
    EXPECT_GT(cool.TensionMax, b.TensionMax);
}

TEST(SpanState, HotterConductorHangsLower) {
    TySpan span = LevelSpan();
    SpanResult at25, at80;
    SpanState(span, 1, 25, at25);
    SpanState(span, 1, 80, at80);
    EXPECT_LT(at80.Sigma, at25.Sigma);
    EXPECT_GT(at80.SagMid, at25.SagMid);
    EXPECT_LT(at80.ClrMin, at25.ClrMin);
}

TEST(SpanState, ProfileTidyingIsStoredInTheSpan) {
    TySpan span = LevelSpan();
    span.Zem[1] = {101, 50};
    span.Zem[2] = {102, 0.005f};  // missing point: everything after it goes
    span.Zem[3] = {103, 150};
    span.Zem[4] = {104, 200};
    SpanResult r;
    SpanState(span, 1, 25, r);
    EXPECT_EQ(span.Zem[1].ZemL, 50);
    EXPECT_EQ(span.Zem[3].ZemL, 0);
    EXPECT_EQ(span.Zem[4].ZemL, 0);
    EXPECT_EQ(span.Zem[3].ZemH, 103);  // only the distance is dropped
    // SpanStateObst1 leaves the profile alone.
    TySpan other = LevelSpan();
    other.Zem[1] = {101, 50};
    other.Zem[3] = {103, 150};
    SpanStateObst1(other, 25, r);
    EXPECT_EQ(other.Zem[3].ZemL, 150);
}

TEST(SpanState, EqualMinimaLastOrFirst) {
    // Two equal peaks of the ground under the symmetric conductor, at 120 and 180 m.
    TySpan span = LevelSpan();
    const float L[] = {110, 120, 130, 170, 180, 190};
    const float H[] = {100, 110, 100, 100, 110, 100};
    for (int i = 0; i < 6; ++i) span.Zem[i + 1] = {H[i], L[i]};
    SpanResult last, first, obst1;
    obst1.XClrMin = -1;
    obst1.ClrGround = -2;
    obst1.GroundAtMin = -3;
    SpanState(span, 1, 25, last);
    SpanStateFirst(span, 1, 25, first);
    SpanStateObst1(span, 25, obst1);
    EXPECT_DOUBLE_EQ(last.XClrMin, 180);
    EXPECT_DOUBLE_EQ(first.XClrMin, 120);
    EXPECT_EQ(last.ClrMin, first.ClrMin);
    // Conductor 30 m from the lowest point, less the 10 m peak.
    const double a = last.Sigma / g0;
    EXPECT_NEAR(last.ClrMin, 25 - last.SagMid + a * (std::cosh(30 / a) - 1) - 10, 1e-6);
    // SpanStateObst1 sets the smallest clearance but not its place nor ClrGround.
    EXPECT_EQ(obst1.ClrMin, first.ClrMin);
    EXPECT_EQ(obst1.XClrMin, -1);
    EXPECT_EQ(obst1.ClrGround, -2);
    EXPECT_EQ(obst1.GroundAtMin, -3);
}

TEST(SpanState, ProfilePointAboveTheChordGivesNegativeClearance) {
    TySpan span = LevelSpan();
    span.Zem[1] = {130, 150};  // 30 m high, the suspension points are at 25 m
    SpanResult r;
    SpanState(span, 1, 25, r);
    EXPECT_NEAR(r.ClrMin, -r.SagMid - 5, 1e-6);
    EXPECT_NEAR(r.XClrMin, 150, 1e-9);
}

TEST(SpanState, BadObstacleNumberOrSpanLengthIsAnError) {
    TySpan span = LevelSpan();
    SpanResult r;
    EXPECT_THROW(SpanState(span, 11, 25, r), CalcError);
    EXPECT_THROW(SpanState(span, 0, 25, r), CalcError);
    span.Lpr = 0;
    EXPECT_THROW(SpanState(span, 1, 25, r), CalcError);
}

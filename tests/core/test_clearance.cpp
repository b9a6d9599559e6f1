// Allowable currents by clearance: the stepwise current search and the temperature step-down.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/Clearance.h"
#include "engine/HeatBalance.h"
#include "engine/StateChange.h"
#include "tests/core/MechanicsSpan.h"

using namespace qem;
using qem::test::LevelSpan;

namespace {

// The span of the fixture in a clear-sky regime with a light wind across.
TySpan RegimeSpan() {
    TySpan s = LevelSpan();
    s.Tvv = 25;
    s.Vv = 1;
    s.Alfv = 90;
    s.Fi = 55;
    s.Tzv = 0;
    return s;
}

// The clearance the regime reports compare at current I (per conductor).
double GroundClearanceAtCurrent(TySpan s, double I) {
    SpanResult r;
    SpanState(s, 1, ConductorTemp(s, s.Tvv, s.Vv, s.Alfv, I), r);
    return r.ClrGround;
}

double ObstacleClearanceAtCurrent(TySpan s, double I) {
    SpanResult r;
    SpanState(s, 1, ConductorTemp(s, s.Tvv, s.Vv, s.Alfv, I), r);
    return std::fabs(r.ClrObst);
}

}  // namespace

TEST(ClearanceCurrent, GroundLimitIsTheLastWholeAmpereThatKeepsTheNorm) {
    TySpan s = RegimeSpan();
    // The sag at 25 C is about 4.1 m: a norm 3.5 m below the supports' reach binds near 70..80 C.
    SpanResult cold;
    SpanState(s, 1, 25, cold);
    const double norm = cold.ClrGround - 1.2;
    SpanResult r;
    const ClearanceLimit lim = ClearanceCurrent(s, 1, ClearanceKind::Ground, norm, SearchVariant::Regime, r);
    ASSERT_GT(lim.I, 100);
    EXPECT_EQ(lim.I, std::floor(lim.I));
    EXPECT_GT(GroundClearanceAtCurrent(s, lim.I), norm);
    EXPECT_LE(GroundClearanceAtCurrent(s, lim.I + 1), norm);
    // T is the temperature of the first current that failed in the last refinement.
    EXPECT_NEAR(lim.T, ConductorTemp(s, s.Tvv, s.Vv, s.Alfv, lim.I + 1), 1e-9);
}

TEST(ClearanceCurrent, ObstacleLimitComparesTheDistanceToTheObstacleTop) {
    TySpan s = RegimeSpan();
    s.NPrep = 1;
    s.Prep[1].Lprep = 120;
    s.Prep[1].Hprep = 12;
    s.Prep[1].TPrp = 6;
    SpanResult cold;
    SpanState(s, 1, 25, cold);
    const double norm = std::fabs(cold.ClrObst) - 0.8;
    SpanResult r;
    const ClearanceLimit lim = ClearanceCurrent(s, 1, ClearanceKind::Obstacle, norm, SearchVariant::Regime, r);
    ASSERT_GT(lim.I, 0);
    EXPECT_GT(ObstacleClearanceAtCurrent(s, lim.I), norm);
    EXPECT_LE(ObstacleClearanceAtCurrent(s, lim.I + 1), norm);
}

TEST(ClearanceCurrent, IceOrAnAbsentObstacleGivesNoSearch) {
    TySpan s = RegimeSpan();
    SpanResult r;
    r.ClrGround = 123;  // untouched: no state is computed
    s.Gamma = 0.9f;     // ice density without an ice wall is an ice regime
    ClearanceLimit lim = ClearanceLimitOf(s, 1, ClearanceKind::Ground, 1, SearchVariant::Regime, r);
    EXPECT_EQ(lim.I, 0);
    EXPECT_EQ(lim.T, 0);
    EXPECT_EQ(r.ClrGround, 123);
    s.Gamma = 0;
    s.Prep[1].Lprep = 0.1f;  // at the support: not an obstacle
    lim = ClearanceLimitOf(s, 1, ClearanceKind::Obstacle, 1, SearchVariant::Regime, r);
    EXPECT_EQ(lim.I, 0);
    EXPECT_EQ(lim.T, 0);
}

TEST(ClearanceCurrent, ClearanceHeldAtEveryCurrentEndsAt4999A) {
    // A heavy conductor in a strong wind stays below 250 C at 5000 A; a norm of 0.1 m always holds.
    TySpan s = RegimeSpan();
    s.Pr.D = 3.32f;
    s.Pr.R = 0.0497f;
    s.Vv = 30;
    SpanResult r;
    const ClearanceLimit lim = ClearanceCurrent(s, 1, ClearanceKind::Ground, 0.1, SearchVariant::Regime, r);
    EXPECT_EQ(lim.I, 4999);
    EXPECT_LT(lim.T, 250);
}

TEST(ClearanceTemp, ZeroCurrentStepsDownFromTheAirInWholeKelvins) {
    TySpan s = RegimeSpan();
    SpanResult at25;
    SpanState(s, 1, 25, at25);
    // A norm that fails already at the air temperature and is met about 20 K lower.
    SpanResult at5;
    SpanState(s, 1, 5, at5);
    const double norm = (at25.ClrGround + at5.ClrGround) / 2;
    SpanResult r;
    const ClearanceLimit lim = ClearanceLimitOf(s, 1, ClearanceKind::Ground, norm, SearchVariant::Regime, r);
    EXPECT_EQ(lim.I, 0);
    EXPECT_LT(lim.T, s.Tvv);
    EXPECT_EQ(lim.T, std::floor(lim.T));  // Tvv is whole, so are the steps
    SpanResult check;
    SpanState(s, 1, lim.T, check);
    EXPECT_GE(check.ClrGround, norm);
    SpanState(s, 1, lim.T + 1, check);
    EXPECT_LT(check.ClrGround, norm);
}

TEST(ClearanceSearch, AnObjectAboveTheConductorAllowsNoCurrentInEitherVariant) {
    TySpan s = RegimeSpan();
    s.NPrep = 1;
    s.Prep[1].Lprep = 150;
    s.Prep[1].Hprep = 30;  // above the conductor: the signed clearance is negative
    s.Prep[1].TPrp = 8;
    for (SearchVariant v : {SearchVariant::AllowTemp, SearchVariant::Regime}) {
        SCOPED_TRACE(int(v));
        SpanResult r;
        const ClearanceLimit obstacle = ClearanceLimitOf(s, 1, ClearanceKind::Obstacle, 4, v, r);
        EXPECT_LT(r.ClrObst, -4);  // its absolute value exceeds the norm: it must not count as clear
        EXPECT_EQ(obstacle.I, 0);
        EXPECT_EQ(obstacle.T, s.Tvv);  // no step-down below a negative clearance
    }
}

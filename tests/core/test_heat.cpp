#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/CalcError.h"
#include "engine/Currents.h"
#include "engine/HeatBalance.h"
#include "setup/ZamerTemp.h"
#include "tests/core/MechanicsSpan.h"

using namespace qem;

namespace {

// A span of АС 240/39 (ГОСТ 839-80): D 21.6 mm, R20 0.1222 Ohm/km, masses 649.6 + 302.4 kg/km,
// at latitude 55 across the meridian, 100 m above sea level, at night by default.
TySpan Span240() { return qem::test::ThermalSpan(3); }

// Heat balance residual at T: Joule and solar gain minus the loss, W/m.
double Residual(const TySpan& s, double T, double Ta, double V, double angle, double I) {
    return I * I * WireResistance(s, T) + SolarGain(s, 1) - HeatLossCoef(s, T, Ta, V, angle) * (T - Ta);
}

// Root of the heat balance by bisection on [Ta + 0.1, 399].
double BalanceRoot(const TySpan& s, double Ta, double V, double angle, double I) {
    double lo = Ta + 0.1, hi = 399;
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        (Residual(s, mid, Ta, V, angle, I) > 0 ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

}  // namespace

TEST(WindAngleFactor, EndsAndInterpolation) {
    const struct {
        double angle, K;
    } cases[] = {{-10, 0.55}, {0, 0.55},  {20, 0.55},     {25, 0.61}, {30, 0.67}, {45, 0.83},
                 {65, 0.96},  {75, 0.99}, {79.9, 0.9998}, {80, 1.0},  {90, 1.0},  {120, 1.0}};
    for (const auto& c : cases) EXPECT_NEAR(WindAngleFactor(c.angle), c.K, 1e-9) << c.angle;
    EXPECT_THROW(WindAngleFactor(std::numeric_limits<double>::quiet_NaN()), CalcError);
}

TEST(WireResistance, LinearInTemperature) {
    const TySpan s = Span240();
    EXPECT_NEAR(WireResistance(s, 20), 0.1222e-3, 1e-10);
    EXPECT_NEAR(WireResistance(s, 70), 0.1222e-3 * (1 + 50 * 0.00403), 1e-10);
    EXPECT_NEAR(WireResistance(s, -30), 0.1222e-3 * (1 - 50 * 0.00403), 1e-10);
}

// Loss coefficients worked out by hand for АС 240/39 at 70 C in air of 20 C
// (d = 0.028728 m, lambda = 0.026029 W/(m K), nu = 1.51126e-5 m2/s, Gr = 173783,
// alpha_r = 4.40303 W/(m2 K)).
TEST(HeatLossCoef, HandComputedPoints) {
    const TySpan s = Span240();
    // 0.5 m/s across: Re = 950.5 < 1000, Re_eff = K Re + sqrt(Gr) = 1367.3, Nu = 0.437 Re_eff^0.5.
    EXPECT_NEAR(HeatLossCoef(s, 70, 20, 0.5, 90), 1.718716, 1e-5);
    // 2 m/s at 45 degrees: K = 0.83, Re = 3801.9, Re_eff = sqrt((K Re)^2 + Gr/2) = 3169.3, Nu = 0.218 Re_eff^0.6.
    EXPECT_NEAR(HeatLossCoef(s, 70, 20, 2, 45), 2.644510, 1e-5);
    // 1 m/s already takes the root of squares; just below it the sum.
    EXPECT_NEAR(HeatLossCoef(s, 70, 20, 1, 90), 2.062811, 1e-5);
    EXPECT_NEAR(HeatLossCoef(s, 70, 20, 0.99, 90), 2.250704, 1e-5);
}

TEST(HeatLossCoef, RadiationFromOneTenthKelvin) {
    const TySpan s = Span240();
    // Still air: Nu = 0.437 Gr^0.25 only below 0.1 K; the radiation term joins at 0.1 K.
    EXPECT_NEAR(HeatLossCoef(s, 20.0999, 20, 0, 90), 0.154252, 2e-6);
    EXPECT_NEAR(HeatLossCoef(s, 20.1, 20, 0, 90), 0.463364, 2e-6);
}

// Re exactly at a threshold takes the next correlation. The wind speed is adjusted until
// V d / nu is exactly the threshold; Tc = Ta removes radiation and buoyancy, so
// h = 3.1415 Nu lambda with Re_eff = K Re (wind at 20 degrees, K = 0.55).
TEST(HeatLossCoef, ReynoldsThresholdsTakeTheNextCorrelation) {
    TySpan s = Span240();
    const double d = 1.33 * double(s.Pr.D) / 100, nu = 1.328e-5, lambda = 0.0244;  // air at 0 C
    auto exactSpeed = [&](double Re) {
        double V = Re * nu / d;
        for (int i = 0; i < 1000 && V * d / nu != Re; ++i) V = std::nextafter(V, V * d / nu < Re ? 1e9 : 0.0);
        EXPECT_EQ(V * d / nu, Re);
        return V;
    };
    const double V1 = exactSpeed(1000), V2 = exactSpeed(200000);
    EXPECT_NEAR(HeatLossCoef(s, 0, 0, V1, 20), 3.1415 * 0.218 * std::pow(550.0, 0.6) * lambda, 1e-9);
    EXPECT_NEAR(HeatLossCoef(s, 0, 0, V2, 20), 3.1415 * 0.0201 * std::pow(110000.0, 0.8) * lambda, 1e-7);
    // Just below each threshold the previous correlation holds.
    EXPECT_NEAR(HeatLossCoef(s, 0, 0, V1 * (1 - 1e-9), 20), 3.1415 * 0.437 * std::pow(550.0, 0.5) * lambda, 1e-6);
    EXPECT_NEAR(HeatLossCoef(s, 0, 0, V2 * (1 - 1e-9), 20), 3.1415 * 0.218 * std::pow(110000.0, 0.6) * lambda, 1e-5);
}

TEST(HeatLossCoef, ArithmeticFailuresThrow) {
    TySpan s = Span240();
    // Conductor colder than the air in light wind: sqrt of a negative Grashof number.
    EXPECT_THROW(HeatLossCoef(s, 10, 20, 0.5, 90), CalcError);
    EXPECT_THROW(HeatLossCoef(s, 10, 20, 0, 90), CalcError);
    // Air below absolute zero; no diameter.
    EXPECT_THROW(HeatLossCoef(s, 20, -300, 1, 90), CalcError);
    s.Pr.D = 0;
    EXPECT_THROW(HeatLossCoef(s, 70, 20, 1, 90), CalcError);
}

TEST(SolarGain, FluxAltitudeAndIncidence) {
    TySpan s = Span240();
    s.Tzv = 0;
    // Across the meridian the rays are perpendicular: q = gain / (0.6 D).
    const double across = SolarGain(s, 1);
    EXPECT_NEAR(across / (0.6 * 0.0216), 995.1, 0.5);  // clear sky, hs = 58.5
    // Along the meridian F = sin hs.
    s.AngP = 0;
    EXPECT_NEAR(SolarGain(s, 1) / across, std::sin(58.5 * kPi / 180), 1e-6);
    s.AngP = 180;
    EXPECT_NEAR(SolarGain(s, 1) / across, std::sin(58.5 * kPi / 180), 1e-6);
    s.AngP = 90;
    // Altitude: factor 1 up to 150 m, 0.116 log10(H1) + 0.752 above.
    s.H1 = 0;
    EXPECT_NEAR(SolarGain(s, 1), across, 1e-12);
    s.H1 = 150;
    EXPECT_NEAR(SolarGain(s, 1), across, 1e-12);
    s.H1 = 1000;
    EXPECT_NEAR(SolarGain(s, 1) / across, 1.1, 1e-6);
    s.H1 = 100;
    // The monthly factor scales the gain.
    EXPECT_NEAR(SolarGain(s, 0.65), 0.65 * across, 1e-9);
    // Cloud and overcast give less sun; evening and any unknown condition none.
    s.Tzv = 1;
    const double cloudy = SolarGain(s, 1);
    s.Tzv = 2;
    const double overcast = SolarGain(s, 1);
    EXPECT_LT(cloudy, across);
    EXPECT_LT(overcast, cloudy);
    EXPECT_GT(overcast, 0);
    for (int tzv : {3, 4, -1}) {
        s.Tzv = tzv;
        EXPECT_EQ(SolarGain(s, 1), 0) << tzv;
    }
}

TEST(ConductorTemp, NoCurrentAtNightIsTheAirTemperature) {
    const TySpan s = Span240();
    for (double Ta : {-40.0, 0.0, 35.0})
        for (double V : {0.0, 0.6, 5.0}) EXPECT_NEAR(ConductorTemp(s, Ta, V, 90, 0), Ta, 0.1) << Ta << " " << V;
}

// The result satisfies the heat balance: it lies within the 0.1 K tolerance of the fixed-point
// step, so the residual stays below 0.1 K times the loss coefficient, and it is near the root
// found by bisection.
TEST(ConductorTemp, SatisfiesTheHeatBalance) {
    const struct {
        double Ta, V, angle, I;
        int Tzv;
    } cases[] = {
        {20, 1, 90, 600, 3}, {25, 0.6, 45, 800, 0}, {-20, 5, 30, 1000, 1}, {35, 0.2, 10, 400, 2}, {0, 0, 90, 700, 3}};
    for (const auto& c : cases) {
        TySpan s = Span240();
        s.Tzv = c.Tzv;
        const double T = ConductorTemp(s, c.Ta, c.V, c.angle, c.I);
        EXPECT_GT(T, c.Ta + 1);
        EXPECT_LT(std::fabs(Residual(s, T, c.Ta, c.V, c.angle, c.I)), 0.1 * HeatLossCoef(s, T, c.Ta, c.V, c.angle))
            << c.Ta << " " << c.I;
        EXPECT_NEAR(T, BalanceRoot(s, c.Ta, c.V, c.angle, c.I), 0.3) << c.Ta << " " << c.I;
    }
}

TEST(ConductorTemp, RisesWithAirTemperatureCurrentAndSun) {
    TySpan s = Span240();
    const double base = ConductorTemp(s, 20, 1, 90, 600);
    EXPECT_GT(ConductorTemp(s, 30, 1, 90, 600), base + 5);
    EXPECT_GT(ConductorTemp(s, 20, 1, 90, 800), base + 5);
    EXPECT_LT(ConductorTemp(s, 20, 3, 90, 600), base);  // more wind cools
    s.Tzv = 0;
    EXPECT_GT(ConductorTemp(s, 20, 1, 90, 600), base + 1);
}

TEST(ConductorTemp, OutOfRangeAndNoCooling) {
    TySpan s = Span240();
    // A current far beyond the conductor's rating stops the iteration at 400 C or above.
    const double hot = ConductorTemp(s, 20, 0.5, 90, 5000);
    EXPECT_GE(hot, 400);
    EXPECT_TRUE(std::isfinite(hot));
    // A hair-thin conductor loses less than 0.01 W/(m K): taken as no cooling, the air temperature.
    s.Pr.D = 1e-4f;
    EXPECT_EQ(ConductorTemp(s, 20, 0, 90, 100), 20);
    s.Pr.D = 0;
    EXPECT_THROW(ConductorTemp(s, 20, 1, 90, 600), CalcError);
}

// A damaged record (NaN in a field) is an error, never a NaN temperature.
TEST(HeatBalance, NotANumberInputsThrow) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    TySpan s = Span240();
    EXPECT_THROW(ConductorTemp(s, nan, 1, 90, 600), CalcError);
    EXPECT_THROW(ConductorTemp(s, 20, nan, 90, 600), CalcError);
    EXPECT_THROW(ConductorTemp(s, 20, 1, 90, nan), CalcError);
    EXPECT_THROW(CurrentAtTemp(s, nan, 20, 1, 90), CalcError);
    s.Zamer[1].Tv = static_cast<float>(nan);
    EXPECT_THROW(ZamerConductorTemp(s, 1), CalcError);
    s.Tvv = static_cast<float>(nan);
    EXPECT_THROW(HeatingCurve(s, 600, 0.1), CalcError);
}

TEST(HeatingCurve, NoCurrentAtNightEndsAfterOneStep) {
    TySpan s = Span240();
    s.Tvv = 12.5f;
    const HeatingState r = HeatingCurve(s, 0, 0.01);
    EXPECT_EQ(r.T, 12.5);
    EXPECT_EQ(r.Tprev, 12.5);
}

TEST(HeatingCurve, ConvergesToTheSteadyTemperatureFromBelow) {
    TySpan s = Span240();
    s.Tzv = 0;
    const double steady = ConductorTemp(s, s.Tvv, s.Vv, s.Alfv, 600);
    const HeatingState r = HeatingCurve(s, 600, 0.001);
    EXPECT_LE(r.T - r.Tprev, 0.001);
    EXPECT_GT(r.T, r.Tprev);
    // The last step of 0.001 K, with a time constant of some 64 steps (730 J/(m K) over a net
    // loss slope of 1.9 W/(m K)), leaves about 0.06 K to go.
    EXPECT_LT(r.T, steady + 0.1);
    EXPECT_GT(r.T, steady - 0.15);
}

// A conductor that neither cools (hair-thin) nor changes resistance, heated by 1 W/m and
// holding 886 x 6.7720 J/(m K): each 6 s step adds 0.001 K (a little less as the specific heat
// grows by 0.0534 %/K), so 1000 steps reach 0.9997 K above the air, a 1001st would give 1.0007.
TEST(HeatingCurve, StopsAfterOneHundredMinutes) {
    TySpan s = Span240();
    s.Pr.D = 1e-6f;
    s.Pr.R = 1000;  // 1 Ohm/m
    s.Pr.AlfaR = 0;
    s.Pr.MAl = 6000.0f / 886 / 0.001f;
    s.Pr.MSt = 0;
    s.Tvv = 0;
    s.Vv = 0;
    const HeatingState r = HeatingCurve(s, 1, 1e-6);
    EXPECT_NEAR(r.T, 0.99973, 0.0001);
    EXPECT_NEAR(r.T - r.Tprev, 0.001, 0.00001);
}

TEST(HeatingCurve, ZeroMassesThrow) {
    TySpan s = Span240();
    s.Pr.MAl = 0;
    s.Pr.MSt = 0;
    EXPECT_THROW(HeatingCurve(s, 600, 0.1), CalcError);
}

TEST(CurrentAtTemp, InvertsConductorTemp) {
    const struct {
        double T, Ta, V, angle;
        int Tzv;
    } cases[] = {{70, 25, 1, 90, 3}, {90, 25, 0.6, 45, 0}, {70, -20, 5, 30, 1}, {60, 40, 0.3, 20, 2}};
    for (const auto& c : cases) {
        TySpan s = Span240();
        s.Tzv = c.Tzv;
        const double I = CurrentAtTemp(s, c.T, c.Ta, c.V, c.angle);
        EXPECT_GT(I, 100);
        EXPECT_NEAR(ConductorTemp(s, c.Ta, c.V, c.angle, I), c.T, 0.3) << c.T << " " << c.Ta;
    }
}

TEST(CurrentAtTemp, NoRealRootThrows) {
    TySpan s = Span240();
    EXPECT_THROW(CurrentAtTemp(s, 70, 80, 1, 90), CalcError);  // air hotter than the limit
    s.Tzv = 3;
    EXPECT_EQ(CurrentAtTemp(s, 70, 70, 1, 90), 0);  // air as warm as the limit at night: no current
    s.Tzv = 0;
    EXPECT_THROW(CurrentAtTemp(s, 70, 70, 1, 90), CalcError);    // ... and in the sun: no real root
    EXPECT_THROW(CurrentAtTemp(s, 20.5, 20, 1, 90), CalcError);  // the sun alone heats it more
    s.Tzv = 3;
    s.Pr.R = 0;
    EXPECT_THROW(CurrentAtTemp(s, 70, 20, 1, 90), CalcError);
}

TEST(MonthOfDate, CivilCalendarFrom1899) {
    const struct {
        double time;
        int month;
    } cases[] = {
        {0, 12},          // 30.12.1899, the empty slot
        {1, 12},          // 31.12.1899
        {2, 1},           // 01.01.1900
        {-700, 1},        // 29.01.1898
        {36526, 1},       // 01.01.2000
        {45000.75, 3},    // 15.03.2023 18:00
        {45351.999, 2},   // 29.02.2024
        {45352, 3},       // 01.03.2024
        {2958465.5, 12},  // 31.12.9999
    };
    for (const auto& c : cases) EXPECT_EQ(MonthOfDate(c.time), c.month) << c.time;
    EXPECT_THROW(MonthOfDate(std::numeric_limits<double>::quiet_NaN()), CalcError);
    EXPECT_THROW(MonthOfDate(1e12), CalcError);
    EXPECT_THROW(MonthOfDate(-1e7), CalcError);
}

TEST(ZamerConductorTemp, NoCurrentAtNightGivesTheAirTemperature) {
    TySpan s = Span240();
    s.Tzv = 0;  // the span's own regime is a clear day
    TyZamer& z = s.Zamer[2];
    z.Tzv = 3;
    z.Time = 45100;  // June
    z.Tv = 17.5f;
    z.V = 0.5f;
    z.Alf = 60;
    z.I = 0;
    ZamerConductorTemp(s, 2);
    EXPECT_EQ(z.TPr, 17.5f);
    EXPECT_EQ(s.Tzv, 0);
}

// A light conductor (time constant below one step) settles on the steady temperature, so the
// measured regime in June matches ConductorTemp, and the December sun heats it 0.65 times as much.
TEST(ZamerConductorTemp, SunOfTheMonthAndCurrent) {
    TySpan s = Span240();
    s.Pr.MAl = 10;
    s.Pr.MSt = 5;
    s.Tzv = 3;
    TyZamer& z = s.Zamer[1];
    z.Tzv = 0;
    z.Tv = 10;
    z.V = 3;
    z.Alf = 90;
    z.Time = 45100;            // 23.06.2023
    ZamerConductorTemp(s, 0);  // 0 means the first measurement
    const double june = z.TPr - 10;
    z.Time = 45270;  // 10.12.2023
    ZamerConductorTemp(s, 1);
    const double december = z.TPr - 10;
    EXPECT_GT(june, 1);
    EXPECT_NEAR(december / june, 0.65, 0.01);
    EXPECT_EQ(s.Tzv, 3);

    z.Time = 45100;
    z.I = 500;
    ZamerConductorTemp(s, 1);
    TySpan clear = s;
    clear.Tzv = 0;
    EXPECT_NEAR(z.TPr, ConductorTemp(clear, 10, 3, 90, 500), 0.15);
}

TEST(ZamerConductorTemp, ErrorsLeaveTheSkyConditionAlone) {
    TySpan s = Span240();
    s.Tzv = 1;
    s.Zamer[1].Tzv = 3;
    s.Zamer[1].I = 300;
    s.Pr.MAl = 0;
    s.Pr.MSt = 0;
    EXPECT_THROW(ZamerConductorTemp(s, 1), CalcError);
    EXPECT_EQ(s.Tzv, 1);
    EXPECT_THROW(ZamerConductorTemp(s, 11), CalcError);
}

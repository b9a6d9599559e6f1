#include <gtest/gtest.h>

#include <cmath>

#include "engine/HeatBalance.h"
#include "engine/SolarPosition.h"
#include "platform/CivilTime.h"

using namespace qem;

namespace {

UnixSeconds Utc(long long y, unsigned m, unsigned d, double hour) {
    return DaysFromCivil(y, m, d) * 86400 + static_cast<UnixSeconds>(std::llround(hour * 3600));
}

}  // namespace

TEST(CivilTime, DaysAndDatesRoundTrip) {
    EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(DaysFromCivil(1899, 12, 30), -25569);
    EXPECT_EQ(DaysFromCivil(2000, 3, 1), 11017);
    for (long long z = -800000; z <= 800000; z += 997) {
        const CivilDate d = CivilFromDays(z);
        ASSERT_TRUE(IsValidDate(d.year, d.month, d.day)) << z;
        ASSERT_EQ(DaysFromCivil(d.year, d.month, d.day), z);
    }
    EXPECT_EQ(DayOfYear({2024, 12, 31}), 366);
    EXPECT_EQ(DayOfYear({2023, 3, 1}), 60);
    EXPECT_EQ(DayOfYear({2026, 6, 10}), 161);
    EXPECT_FALSE(IsValidDate(2023, 2, 29));
    EXPECT_TRUE(IsValidDate(2000, 2, 29));
    EXPECT_FALSE(IsValidDate(1900, 2, 29));
    EXPECT_FALSE(IsValidDate(2026, 4, 31));
    EXPECT_FALSE(IsValidDate(2026, 13, 1));
}

// IEEE Std 738-2012 worked example: 30 degrees north, 10 June (day 161), 11:00 solar time; the
// standard's declination 23.46 sin((284 + N)/365 * 360) and the published Hc = 74.9, Zc = 114.
TEST(SolarPosition, IeeeWorkedExampleGeometry) {
    const double delta = 23.46 * std::sin((284.0 + 161) / 365 * 360 * kPi / 180);
    const SunPosition sun = SunFromHourAngle(30, delta, (11 - 12) * 15.0);
    EXPECT_NEAR(sun.elevation, 74.9, 0.05);
    EXPECT_NEAR(sun.azimuth, 114.0, 0.1);
}

TEST(SolarPosition, HourAngleGeometry) {
    // Noon: due south of a northern place, 90 - phi + delta high.
    SunPosition noon = SunFromHourAngle(55, 10, 0);
    EXPECT_NEAR(noon.elevation, 45, 1e-9);
    EXPECT_NEAR(noon.azimuth, 180, 1e-9);
    // Morning and afternoon mirror each other about the meridian.
    const SunPosition am = SunFromHourAngle(55, 10, -45), pm = SunFromHourAngle(55, 10, 45);
    EXPECT_NEAR(am.elevation, pm.elevation, 1e-9);
    EXPECT_NEAR(am.azimuth + pm.azimuth, 360, 1e-9);
    EXPECT_LT(am.azimuth, 180);
    // Midnight: below the horizon, due north.
    const SunPosition night = SunFromHourAngle(55, 10, 180);
    EXPECT_NEAR(night.elevation, -25, 1e-9);
    EXPECT_NEAR(std::fmod(night.azimuth, 360), 0, 1e-6);
    // Equinox at the equator: sunrise due east.
    const SunPosition rise = SunFromHourAngle(0, 0, -90);
    EXPECT_NEAR(rise.elevation, 0, 1e-9);
    EXPECT_NEAR(rise.azimuth, 90, 1e-9);
}

// Spencer's series against the almanac: the declination at the solstices and equinoxes and the
// extremes of the equation of time (about -14.2 min on 11 February, +16.4 min on 3 November).
TEST(SolarPosition, DeclinationAndEquationOfTime) {
    EXPECT_NEAR(SolarDeclination(FractionalYear(172, 12, 365)), 23.44, 0.05);   // 21 June
    EXPECT_NEAR(SolarDeclination(FractionalYear(355, 12, 365)), -23.44, 0.05);  // 21 December
    EXPECT_NEAR(SolarDeclination(FractionalYear(79, 12, 365)), 0, 0.5);         // 20 March
    EXPECT_NEAR(EquationOfTime(FractionalYear(42, 12, 365)), -14.2, 0.4);
    EXPECT_NEAR(EquationOfTime(FractionalYear(307, 12, 365)), 16.4, 0.4);
}

TEST(SolarPosition, InstantAndPlace) {
    // Solar noon of the June solstice at 55 N on the Greenwich meridian (12:02 UTC with the
    // equation of time): the noon sun of the summer solstice the classic sun uses, 113.5 - 55.
    const SunPosition noon = SunAt(Utc(2026, 6, 21, 12 + 1.8 / 60), 55, 0);
    EXPECT_NEAR(noon.elevation, NoonSunElevation(55), 0.1);
    EXPECT_NEAR(noon.azimuth, 180, 0.5);
    // The same sun is one hour later at 15 degrees west.
    const SunPosition west = SunAt(Utc(2026, 6, 21, 13 + 1.8 / 60), 55, -15);
    EXPECT_NEAR(west.elevation, noon.elevation, 0.01);
    // Moscow (55.75 N, 37.62 E) at 03:00 MSK in December: night; at 12:30 MSK low in the south.
    EXPECT_LT(SunAt(Utc(2026, 12, 10, 0), 55.75, 37.62).elevation, -30);
    const SunPosition winter = SunAt(Utc(2026, 12, 10, 9.5), 55.75, 37.62);
    EXPECT_NEAR(winter.elevation, 90 - 55.75 - 22.9, 0.3);
    EXPECT_NEAR(winter.azimuth, 180, 3);
    // Instants before 1970 count too.
    EXPECT_NEAR(SunAt(Utc(1969, 6, 21, 12 + 1.8 / 60), 55, 0).elevation, noon.elevation, 0.05);
}

TEST(SolarGainAt, SunBelowHorizonAndClassicNoon) {
    TySpan s{};
    s.Pr.D = 2.16f;
    s.Fi = 55;
    s.AngP = 90;
    s.H1 = 100;
    s.Tzv = 0;
    EXPECT_EQ(SolarGainAt(s, -5, 180, SkyFlux(0, -5)), 0);
    EXPECT_EQ(SolarGainAt(s, 30, 180, 0), 0);
    // The classic noon sun is the hourly sun at its elevation and due south.
    const double hs = NoonSunElevation(55);
    EXPECT_DOUBLE_EQ(SolarGainAt(s, hs, kNoonSunAzimuth, SkyFlux(0, hs)), SolarGain(s, 1));
    // A conductor along the rays gets no sun at all.
    EXPECT_NEAR(SolarGainAt(s, 1e-9, 90, 500), 0, 1e-6);
}

#include "engine/SolarPosition.h"

#include <cmath>

#include "engine/CalcError.h"

namespace qem {
namespace {

constexpr double kRad = kPi / 180;

}  // namespace

SunPosition SunFromHourAngle(Degrees phi, Degrees delta, Degrees omega) {
    CheckedFinite(phi, "sun position, latitude");
    CheckedFinite(delta, "sun position, declination");
    CheckedFinite(omega, "sun position, hour angle");
    const double p = phi * kRad, d = delta * kRad, w = omega * kRad;
    double s = std::cos(p) * std::cos(d) * std::cos(w) + std::sin(p) * std::sin(d);
    s = s > 1 ? 1 : (s < -1 ? -1 : s);
    SunPosition sun;
    sun.elevation = std::asin(s) / kRad;
    double z = 180 + std::atan2(std::sin(w), std::cos(w) * std::sin(p) - std::tan(d) * std::cos(p)) / kRad;
    if (z >= 360) z -= 360;
    if (z < 0) z += 360;
    sun.azimuth = z;
    return sun;
}

double FractionalYear(int dayOfYear, double hourUtc, int daysInYear) {
    return 2 * kPi / daysInYear * (dayOfYear - 1 + (hourUtc - 12) / 24);
}

Degrees SolarDeclination(double g) {
    const double rad = 0.006918 - 0.399912 * std::cos(g) + 0.070257 * std::sin(g) - 0.006758 * std::cos(2 * g) +
                       0.000907 * std::sin(2 * g) - 0.002697 * std::cos(3 * g) + 0.00148 * std::sin(3 * g);
    return rad / kRad;
}

Minutes EquationOfTime(double g) {
    return 229.18 * (0.000075 + 0.001868 * std::cos(g) - 0.032077 * std::sin(g) - 0.014615 * std::cos(2 * g) -
                     0.040849 * std::sin(2 * g));
}

SunPosition SunAt(UnixSeconds t, Degrees phi, Degrees lambda) {
    CheckedFinite(lambda, "sun position, longitude");
    const long long day = t >= 0 ? t / 86400 : -((-t + 86399) / 86400);  // floor
    const double secondsOfDay = double(t - day * 86400);
    const CivilDate date = CivilFromDays(day);
    const int n = DayOfYear(date);
    const int daysInYear = static_cast<int>(DaysFromCivil(date.year + 1, 1, 1) - DaysFromCivil(date.year, 1, 1));
    const double hour = secondsOfDay / 3600;
    const double g = FractionalYear(n, hour, daysInYear);
    const double trueSolarMinutes = hour * 60 + 4 * lambda + EquationOfTime(g);
    return SunFromHourAngle(phi, SolarDeclination(g), trueSolarMinutes / 4 - 180);
}

}  // namespace qem

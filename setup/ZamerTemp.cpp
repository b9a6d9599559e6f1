#include "setup/ZamerTemp.h"

#include <cmath>
#include <string>

#include "engine/CalcError.h"
#include "engine/HeatBalance.h"
#include "platform/CivilTime.h"

namespace qem {
namespace {

// Day numbers of 01.01.0001 and 31.12.9999 counted from 30.12.1899.
constexpr double kFirstDay = -693593;
constexpr double kLastDay = 2958465;
// 01.01.1970 counted from 30.12.1899.
constexpr long long kDay1970 = 25569;

}  // namespace

int MonthOfDate(double time) {
    if (!std::isfinite(time) || time < kFirstDay || time >= kLastDay + 1)
        throw CalcError("measurement date out of range");
    const long long day = static_cast<long long>(std::trunc(time));  // the time of day is the fraction
    return static_cast<int>(CivilFromDays(day - kDay1970).month);
}

void ZamerConductorTemp(TySpan& span, int k) {
    if (k == 0) k = 1;
    if (k < 1 || k > 10) throw CalcError("measurement number " + std::to_string(k) + " outside 1..10");
    TyZamer& z = span.Zamer[k];
    // Zamer[k].I is the line current: each conductor of the phase carries its share.
    if (span.Mpr < 1) throw CalcError("conductor temperature: conductors per phase " + std::to_string(span.Mpr));
    const double I = double(z.I) / span.Mpr, Ta = z.Tv, V = z.V, angle = z.Alf;  // A, C, m/s, degrees
    const double mAl = span.Pr.MAl, mSt = span.Pr.MSt;                           // kg/km
    const double X = MonthSolarFactor[MonthOfDate(z.Time)];
    CheckedFinite(Ta, "measurement, air temperature");
    CheckedFinite(I, "measurement, current");

    double T = Ta, Tprev = T - 2;
    const double Ps = SolarGain(span, z.Tzv, X);
    // Elapsed time in whole 0.1-minute steps, at most 1000 (100 minutes).
    for (int n = 0; std::fabs(T - Tprev) > 0.01 && n < 1000; ++n) {
        Tprev = T;
        const double Pj = WireResistance(span, T) * I * I;
        const double K = HeatLossCoef(span, T, Ta, V, angle);
        const double step =
            CheckedDiv(0.1 * 60, HeatCapacityPerKm(mAl, mSt, T), "conductor temperature, conductor masses are zero");
        T = T + (Ps + Pj - K * (T - Ta)) * step * 1000;  // QEM (17) with the measurement's weather
    }
    z.TPr = static_cast<Single>(Tprev);
}

}  // namespace qem

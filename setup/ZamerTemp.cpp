#include "setup/ZamerTemp.h"

#include <cmath>
#include <string>

#include "engine/CalcError.h"
#include "engine/HeatBalance.h"

namespace qem {
namespace {

// Day numbers of 01.01.0001 and 31.12.9999 counted from 30.12.1899.
constexpr double kFirstDay = -693593;
constexpr double kLastDay = 2958465;
// 01.01.1970 counted from 30.12.1899.
constexpr long long kDay1970 = 25569;

// Month 1..12 of a day counted from 01.01.1970 (proleptic Gregorian calendar).
int MonthOfCivilDay(long long z) {
    z += 719468;  // from 01.03.0000
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;                                 // [0, 146096]
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // [0, 399]
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);          // [0, 365], from 1 March
    const long long mp = (5 * doy + 2) / 153;                               // [0, 11], 0 = March
    return static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
}

// Puts the measurement's sky condition into the span for the computation and restores the
// span's own on every way out.
class SkySwap {
public:
    SkySwap(TySpan& span, Integer Tzv) : span_(span), saved_(span.Tzv) { span_.Tzv = Tzv; }
    ~SkySwap() { span_.Tzv = saved_; }
    SkySwap(const SkySwap&) = delete;
    SkySwap& operator=(const SkySwap&) = delete;

private:
    TySpan& span_;
    Integer saved_;
};

}  // namespace

int MonthOfDate(double time) {
    if (!std::isfinite(time) || time < kFirstDay || time >= kLastDay + 1)
        throw CalcError("measurement date out of range");
    const long long day = static_cast<long long>(std::trunc(time));  // the time of day is the fraction
    return MonthOfCivilDay(day - kDay1970);
}

void ZamerConductorTemp(TySpan& span, int k) {
    if (k == 0) k = 1;
    if (k < 1 || k > 10) throw CalcError("measurement number " + std::to_string(k) + " outside 1..10");
    TyZamer& z = span.Zamer[k];
    // Zamer[k].I is the line current: each conductor of the phase carries its share.
    if (span.Mpr < 1) throw CalcError("conductor temperature: conductors per phase " + std::to_string(span.Mpr));
    const double I = double(z.I) / span.Mpr, Ta = z.Tv, V = z.V, angle = z.Alf;  // A, C, m/s, degrees
    const double mAl = span.Pr.MAl, mSt = span.Pr.MSt;        // kg/km
    const double X = MonthSolarFactor[MonthOfDate(z.Time)];
    CheckedFinite(Ta, "measurement, air temperature");
    CheckedFinite(I, "measurement, current");

    double T = Ta, Tprev = T - 2;
    {
        SkySwap sky(span, z.Tzv);
        const double Ps = SolarGain(span, X);
        // Elapsed time in whole 0.1-minute steps, at most 1000 (100 minutes).
        for (int n = 0; std::fabs(T - Tprev) > 0.01 && n < 1000; ++n) {
            Tprev = T;
            const double cSt = (1 + 0.001076 * T) * 437;  // J/(kg K)
            const double cAl = (1 + 0.000534 * T) * 886;  // J/(kg K)
            const double Pj = WireResistance(span, T) * I * I;
            const double K = HeatLossCoef(span, T, Ta, V, angle);
            const double step = CheckedDiv(0.1 * 60, cAl * mAl + cSt * mSt,
                                           "conductor temperature, conductor masses are zero");
            T = T + (Ps + Pj - K * (T - Ta)) * step * 1000;
        }
    }
    z.TPr = static_cast<Single>(Tprev);
}

}  // namespace qem

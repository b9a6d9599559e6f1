#include "engine/HeatBalance.h"

#include <cmath>
#include <optional>

#include "engine/CalcError.h"
#include "engine/Loads.h"

namespace qem {
namespace {

// Air thermal conductivity at Ta, W/(m K).
double AirConductivity(Celsius Ta) { return 0.0244 * CheckedSqrt(1 + 0.0069 * Ta, "air conductivity, air temperature"); }

// Air kinematic viscosity at Ta, m2/s.
double AirViscosity(Celsius Ta) { return 1.328e-5 * (1 + 0.0069 * Ta); }

// Solar flux at noon by sky condition, W/m2; hs the sun elevation, degrees.
double SkyFlux(Integer Tzv, double hs) {
    switch (Tzv) {
        case 0: return 27.637 * hs + 250.874 - 0.3394 * hs * hs + 0.0014435 * hs * hs * hs;
        case 1: return 26.738 * hs + 134.282 - 0.3134 * hs * hs + 0.0012893 * hs * hs * hs;
        case 2: return 27.492 * hs - 21.092 - 0.318 * hs * hs + 0.001357 * hs * hs * hs;
        default: return 0;  // evening or night
    }
}

// Heat capacity of one kilometre of conductor at T, J/(km K): c_Al M_Al + c_St M_St, masses in kg/km.
double HeatCapacityPerKm(const TyWire& wire, Celsius T) {
    const double cAl = (1 + 0.000534 * T) * 886;  // J/(kg K)
    const double cSt = (1 + 0.001076 * T) * 437;  // J/(kg K)
    return cAl * double(wire.MAl) + cSt * double(wire.MSt);
}

// The loss coefficient h(Tc) of a conductor in given air, wind and wind angle, for a run of
// conductor temperatures: what does not depend on Tc is worked out once, in the order and by
// the very operations of a single HeatLossCoef, so that every h and every error is the same.
class HeatLoss {
public:
    HeatLoss(const TySpan& span, Celsius Ta, MPerS V, Degrees angle)
        : Ta_(Ta), V_(V), angle_(angle), d_(kEffectiveDiameter * double(span.Pr.D) / 100.0) {
        if (!(d_ > 0)) throw CalcError("heat loss: conductor diameter is not positive");
        T0_ = CheckedFinite(Ta + kAbsZero, "heat loss, air temperature");
        if (!(T0_ > 0)) throw CalcError("heat loss: air temperature below absolute zero");
        lambda_ = AirConductivity(Ta);
        nu_ = AirViscosity(Ta);
        Re_ = CheckedDiv(V * d_, nu_, "Reynolds number, air viscosity");
        d3_ = kG * d_ * d_ * d_;
    }

    // h = 3.1415 (alpha_r + alpha_c) d, W/(m K).
    WPerMK Coef(Celsius Tc) {
        const double Ta = Ta_, V = V_, d = d_, T0 = T0_, Re = Re_;
        double ar = 0;  // radiation, W/(m2 K)
        if (Ta + 0.1 <= Tc) {
            if (!haveAir4_) air4_ = std::pow(T0 / 100.0, 4), haveAir4_ = true;
            const double q4 = std::pow((Tc + kAbsZero) / 100.0, 4) - air4_;
            ar = kEmissivity * kStefanBoltzmann * q4 / (Tc - Ta);
        }
        const double Gr = CheckedDiv(d3_ * (Tc - Ta) / T0, nu_ * nu_, "Grashof number, air viscosity");

        if (!haveK_) K_ = WindAngleFactor(angle_), haveK_ = true;
        const double K = K_;
        const double ReEff = V >= 1 ? CheckedSqrt((K * Re) * (K * Re) + 0.5 * Gr, "effective Reynolds number (Tc < Ta)")
                                    : K * Re + CheckedSqrt(Gr, "Grashof number (Tc < Ta)");

        // The correlation of the Reynolds number range.
        double Nu;
        if (Re >= 200000)
            Nu = 0.0201 * std::pow(ReEff, 0.8);
        else if (Re >= 1000)
            Nu = 0.218 * std::pow(ReEff, 0.6);
        else
            Nu = 0.437 * std::pow(ReEff, 0.5);
        CheckedFinite(Nu, "Nusselt number");

        const double ac = Nu * lambda_ / d;  // convection, W/(m2 K)
        return CheckedFinite(kPiLoss * ar * d + kPiLoss * ac * d, "heat loss coefficient");
    }

private:
    double Ta_, V_, angle_, d_, T0_ = 0, lambda_ = 0, nu_ = 0, Re_ = 0, d3_ = 0;
    // (T0/100)^4 and the wind angle factor, on first use.
    double air4_ = 0, K_ = 0;
    bool haveAir4_ = false, haveK_ = false;
};

}  // namespace

double WindAngleFactor(Degrees angle) {
    CheckedFinite(angle, "wind angle");
    if (angle >= WindAngleTable.back().first) return WindAngleTable.back().second;
    if (angle <= WindAngleTable.front().first) return WindAngleTable.front().second;
    std::size_t i = 1;
    while (angle > WindAngleTable[i].first) ++i;
    const auto [x1, y1] = WindAngleTable[i - 1];
    const auto [x2, y2] = WindAngleTable[i];
    return InterpLinear(x1, y1, x2, y2, angle);
}

WPerMK HeatLossCoef(const TySpan& span, Celsius Tc, Celsius Ta, MPerS V, Degrees angle) {
    return HeatLoss(span, Ta, V, angle).Coef(Tc);
}

OhmPerM WireResistance(const TySpan& span, Celsius T) {
    const double alfaR = span.Pr.AlfaR, R20 = span.Pr.R;  // 1/K, Ohm/km
    return CheckedFinite(((T - 20) * alfaR + 1) * R20 / 1000.0, "conductor resistance");
}

WPerM SolarGain(const TySpan& span, double X) {
    const double H1 = span.H1, Fi = span.Fi, AngP = span.AngP, D = span.Pr.D;
    const double Kalt = H1 > 150 ? 0.116 * std::log10(H1) + 0.752 : 1.0;
    const double hs = static_cast<Single>(113.5 - Fi);  // noon sun at the summer solstice, degrees
    const double q = SkyFlux(span.Tzv, hs);              // W/m2
    const double c = std::cos((180 - AngP) * kPi / 180) * std::cos(hs * kPi / 180);
    const double theta = std::acos(c);  // angle between the rays and the conductor
    const double F = std::sin(theta);
    return CheckedFinite(F * kAbsorptivity * Kalt * D * X * q / 100.0, "solar gain");
}

Celsius ConductorTemp(const TySpan& span, Celsius Ta, MPerS V, Degrees angle, Amperes I) {
    CheckedFinite(Ta, "conductor temperature, air temperature");
    CheckedFinite(I, "conductor temperature, current");
    const double Ps = SolarGain(span, 1);
    std::optional<HeatLoss> loss;  // made at the first step, where HeatLossCoef was first called
    double T = Ta + 5, Tprev = T - 1;
    long n = 0;
    while (std::fabs(T - Tprev) > 0.1 && T < 400 && n < 100000) {
        Tprev = T;
        ++n;
        if (!loss) loss.emplace(span, Ta, V, angle);
        const double h = loss->Coef(Tprev);
        if (h <= 0.01) {
            T = Ta;  // no cooling
        } else {
            const double R = WireResistance(span, Tprev);
            T = CheckedFinite(Ta + I * I * R / h + Ps / h, "conductor temperature");
        }
    }
    return T;
}

namespace {

// The steps of the heating curve; onStep(n, T) after step n (1, 2, ...) with the temperature
// it reached.
template <class OnStep>
HeatingState HeatingSteps(const TySpan& span, Amperes I, Kelvin tol, OnStep onStep) {
    constexpr double dt = 0.1;     // step, min
    constexpr int kMaxSteps = 1000;  // 100 minutes
    const double Ta = CheckedFinite(span.Tvv, "heating curve, air temperature"), V = span.Vv, angle = span.Alfv;
    CheckedFinite(I, "heating curve, current");
    const double Ps = SolarGain(span, 1);
    std::optional<HeatLoss> loss;  // made at the first step, where HeatLossCoef was first called
    double T = Ta, Tprev = T - 2;
    // The elapsed time is counted in whole steps: 1000 additions of 0.1 fall short of 100.
    for (int n = 0; std::fabs(T - Tprev) > tol && n < kMaxSteps; ++n) {
        Tprev = T;
        const double C = HeatCapacityPerKm(span.Pr, T);
        const double P = I * I * WireResistance(span, Tprev) + Ps;
        if (!loss) loss.emplace(span, Ta, V, angle);
        const double h = loss->Coef(Tprev);
        T = T + CheckedDiv((P - h * (Tprev - Ta)) * 60 * dt * 1000, C, "heating curve, conductor masses are zero");
        onStep(n + 1, T);
    }
    return {T, Tprev};
}

}  // namespace

HeatingState HeatingCurve(const TySpan& span, Amperes I, Kelvin tol) {
    return HeatingSteps(span, I, tol, [](int, Celsius) {});
}

HeatingTrace HeatingCurveTrace(const TySpan& span, Amperes I, Kelvin tol) {
    HeatingTrace trace;
    trace.points.push_back({0, double(span.Tvv)});
    trace.end = HeatingSteps(span, I, tol, [&](int n, Celsius T) { trace.points.push_back({0.1 * n, T}); });
    return trace;
}

}  // namespace qem

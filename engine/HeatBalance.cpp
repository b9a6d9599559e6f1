#include "engine/HeatBalance.h"

#include <cmath>
#include <optional>

#include "engine/CalcError.h"
#include "engine/Loads.h"

namespace qem {
namespace {

// What the loss coefficient h(Tc) of QEM (4)-(9) needs besides the conductor temperature, for
// a run of conductor temperatures: what does not depend on Tc is worked out once, in the order
// and by the very operations of a single HeatLossCoef, so that every h and every error is the
// same.
class HeatLoss {
public:
    [[gnu::always_inline]] HeatLoss(Metres d, double emissivity, Celsius Ta, MPerS V, Degrees angle)
        : Ta_(Ta), V_(V), angle_(angle), epsSigma_(emissivity * kStefanBoltzmann), d_(d) {
        if (!(d_ > 0)) throw CalcError("heat loss: conductor diameter is not positive");
        T0_ = CheckedFinite(Ta + kAbsZero, "heat loss, air temperature");
        if (!(T0_ > 0)) throw CalcError("heat loss: air temperature below absolute zero");
        lambda_ = AirConductivity(Ta);
        nu_ = AirViscosity(Ta);
        Re_ = CheckedDiv(V * d_, nu_, "Reynolds number, air viscosity");  // QEM (5)
        d3_ = kG * d_ * d_ * d_;
    }

    // alpha_r, W/(m2 K). QEM (4).
    WPerM2K Radiation(Celsius Tc) {
        if (!(Ta_ + 0.1 <= Tc)) return 0;
        if (!haveAir4_) air4_ = std::pow(T0_ / 100.0, 4), haveAir4_ = true;
        const double q4 = std::pow((Tc + kAbsZero) / 100.0, 4) - air4_;
        return epsSigma_ * q4 / (Tc - Ta_);
    }

    // alpha_c, W/(m2 K). QEM (5)-(8).
    WPerM2K Convection(Celsius Tc) {
        const double Ta = Ta_, V = V_, Re = Re_;
        const double Gr = CheckedDiv(d3_ * (Tc - Ta) / T0_, nu_ * nu_, "Grashof number, air viscosity");

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
        return Nu * lambda_ / d_;
    }

    // h = 3.1415 (alpha_r + alpha_c) d, W/(m K). QEM (9).
    WPerMK Coef(Celsius Tc) {
        const double ar = Radiation(Tc);
        const double ac = Convection(Tc);
        return CheckedFinite(kPiLoss * ar * d_ + kPiLoss * ac * d_, "heat loss coefficient");
    }

private:
    double Ta_, V_, angle_, epsSigma_, d_, T0_ = 0, lambda_ = 0, nu_ = 0, Re_ = 0, d3_ = 0;
    // (T0/100)^4 and the wind angle factor, on first use.
    double air4_ = 0, K_ = 0;
    bool haveAir4_ = false, haveK_ = false;
};

Metres EffectiveDiameter(Cm D) { return kEffectiveDiameter * D / 100.0; }

// The steps of the heating curve; onStep(n, T) after step n (1, 2, ...) with the temperature
// it reached.
template <class OnStep>
HeatingState HeatingSteps(const ConductorThermal& c, Celsius Ta, MPerS V, Degrees angle, WPerM Ps, Celsius T0,
                          Amperes I, Kelvin tol, OnStep onStep) {
    constexpr double dt = 0.1;       // step, min
    constexpr int kMaxSteps = 1000;  // 100 minutes
    std::optional<HeatLoss> loss;    // made at the first step, where the loss coefficient is first needed
    double T = T0, Tprev = T - 2;
    // The elapsed time is counted in whole steps: 1000 additions of 0.1 fall short of 100.
    for (int n = 0; std::fabs(T - Tprev) > tol && n < kMaxSteps; ++n) {
        Tprev = T;
        const double C = HeatCapacityPerKm(c.MAl, c.MSt, T);
        const double P = I * I * ResistanceAt(c.R20, c.alfaR, Tprev) + Ps;
        if (!loss) loss.emplace(EffectiveDiameter(c.D), c.emissivity, Ta, V, angle);
        const double h = loss->Coef(Tprev);
        T = HeatingStep(T, Ta, P, h, C, dt);
        onStep(n + 1, T);
    }
    return {T, Tprev};
}

}  // namespace

ConductorThermal ThermalOf(const TyWire& wire) {
    ConductorThermal c;
    c.D = wire.D;
    c.R20 = wire.R;
    c.alfaR = wire.AlfaR;
    c.MAl = wire.MAl;
    c.MSt = wire.MSt;
    return c;
}

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

OhmPerM ResistanceAt(OhmPerKm R20, PerKelvin alfaR, Celsius T) {
    return CheckedFinite(((T - 20) * alfaR + 1) * R20 / 1000.0, "conductor resistance");
}

WPerMK AirConductivity(Celsius Ta) {
    return 0.0244 * CheckedSqrt(1 + 0.0069 * Ta, "air conductivity, air temperature");
}

M2PerS AirViscosity(Celsius Ta) { return 1.328e-5 * (1 + 0.0069 * Ta); }

WPerM2K RadiationCoef(double emissivity, Celsius Tc, Celsius Ta) {
    if (!(Ta + 0.1 <= Tc)) return 0;
    const double q4 = std::pow((Tc + kAbsZero) / 100.0, 4) - std::pow((Ta + kAbsZero) / 100.0, 4);
    return emissivity * kStefanBoltzmann * q4 / (Tc - Ta);
}

WPerM2K ConvectionCoef(Metres d, Celsius Tc, Celsius Ta, MPerS V, Degrees angle) {
    return HeatLoss(d, 0, Ta, V, angle).Convection(Tc);
}

WPerMK HeatLossCoef(Cm D, double emissivity, Celsius Tc, Celsius Ta, MPerS V, Degrees angle) {
    return HeatLoss(EffectiveDiameter(D), emissivity, Ta, V, angle).Coef(Tc);
}

WPerM2 SkyFlux(Integer sky, Degrees hs) {
    switch (sky) {
        case 0: return 27.637 * hs + 250.874 - 0.3394 * hs * hs + 0.0014435 * hs * hs * hs;
        case 1: return 26.738 * hs + 134.282 - 0.3134 * hs * hs + 0.0012893 * hs * hs * hs;
        case 2: return 27.492 * hs - 21.092 - 0.318 * hs * hs + 0.001357 * hs * hs * hs;
        default: return 0;  // evening or night
    }
}

double AltitudeFactor(Metres H) { return H > 150 ? 0.116 * std::log10(H) + 0.752 : 1.0; }

double SunIncidence(Degrees hs, Degrees Zs, Degrees Zl) {
    const double c = std::cos((Zs - Zl) * kPi / 180) * std::cos(hs * kPi / 180);
    const double theta = std::acos(c);  // angle between the rays and the conductor
    return std::sin(theta);
}

WPerM SolarGain(double F, double absorptivity, double Kalt, Cm D, double X, WPerM2 q) {
    return CheckedFinite(F * absorptivity * Kalt * D * X * q / 100.0, "solar gain");
}

namespace {

// QEM (14) by fixed-point iteration from Ta + 5 to 0.1 K, at most 100 000 steps or 400 C; one
// body for the conductor's and the span's forms, compiled into each.
[[gnu::always_inline]] inline Celsius SteadyTempFixedPoint(const ConductorThermal& c, Celsius Ta, MPerS V,
                                                           Degrees angle, WPerM Ps, Amperes I) {
    CheckedFinite(Ta, "conductor temperature, air temperature");
    CheckedFinite(I, "conductor temperature, current");
    std::optional<HeatLoss> loss;  // made at the first step, where the loss coefficient is first needed
    double T = Ta + 5, Tprev = T - 1;
    long n = 0;
    while (std::fabs(T - Tprev) > 0.1 && T < 400 && n < 100000) {
        Tprev = T;
        ++n;
        if (!loss) loss.emplace(EffectiveDiameter(c.D), c.emissivity, Ta, V, angle);
        const double h = loss->Coef(Tprev);
        if (h <= 0.01) {
            T = Ta;  // no cooling
        } else {
            const double R = ResistanceAt(c.R20, c.alfaR, Tprev);
            T = CheckedFinite(Ta + I * I * R / h + Ps / h, "conductor temperature");  // QEM (14)
        }
    }
    return T;
}

}  // namespace

Celsius ConductorTemp(const ConductorThermal& c, Celsius Ta, MPerS V, Degrees angle, WPerM Ps, Amperes I) {
    return SteadyTempFixedPoint(c, Ta, V, angle, Ps, I);
}

JPerKmK HeatCapacityPerKm(KgfPerKm MAl, KgfPerKm MSt, Celsius T) {
    const double cAl = (1 + 0.000534 * T) * 886;  // J/(kg K)
    const double cSt = (1 + 0.001076 * T) * 437;  // J/(kg K)
    return cAl * MAl + cSt * MSt;
}

Celsius HeatingStep(Celsius T, Celsius Ta, WPerM P, WPerMK h, JPerKmK C, Minutes dt) {
    return T + CheckedDiv((P - h * (T - Ta)) * 60 * dt * 1000, C, "heating curve, conductor masses are zero");
}

Celsius HeatingStep(const ConductorThermal& c, Celsius Ta, MPerS V, Degrees angle, WPerM Ps, Celsius T, Amperes I,
                    Minutes dt) {
    const double C = HeatCapacityPerKm(c.MAl, c.MSt, T);
    const double P = I * I * ResistanceAt(c.R20, c.alfaR, T) + Ps;
    const double h = HeatLossCoef(c.D, c.emissivity, T, Ta, V, angle);
    return HeatingStep(T, Ta, P, h, C, dt);
}

HeatingState HeatingCurve(const ConductorThermal& c, Celsius Ta, MPerS V, Degrees angle, WPerM Ps, Celsius T0,
                          Amperes I, Kelvin tol) {
    return HeatingSteps(c, Ta, V, angle, Ps, T0, I, tol, [](int, Celsius) {});
}

HeatingTrace HeatingCurveTrace(const ConductorThermal& c, Celsius Ta, MPerS V, Degrees angle, WPerM Ps, Celsius T0,
                               Amperes I, Kelvin tol) {
    HeatingTrace trace;
    trace.points.push_back({0, T0});
    trace.end = HeatingSteps(c, Ta, V, angle, Ps, T0, I, tol, [&](int n, Celsius T) {
        trace.points.push_back({0.1 * n, T});
    });
    return trace;
}

// ---- The same on a span record -----------------------------------------------------------

WPerMK HeatLossCoef(const TySpan& span, Celsius Tc, Celsius Ta, MPerS V, Degrees angle) {
    return HeatLossCoef(span.Pr.D, kEmissivity, Tc, Ta, V, angle);
}

OhmPerM WireResistance(const TySpan& span, Celsius T) { return ResistanceAt(span.Pr.R, span.Pr.AlfaR, T); }

Degrees NoonSunElevation(Degrees latitude) { return static_cast<Single>(113.5 - latitude); }

WPerM SolarGain(const TySpan& span, double X) { return SolarGain(span, span.Tzv, X); }

WPerM SolarGain(const TySpan& span, Integer sky, double X) {
    const double hs = NoonSunElevation(span.Fi);
    const double q = SkyFlux(sky, hs);
    const double F = SunIncidence(hs, kNoonSunAzimuth, span.AngP);
    return SolarGain(F, kAbsorptivity, AltitudeFactor(span.H1), span.Pr.D, X, q);
}

WPerM SolarGainAt(const TySpan& span, Degrees hs, Degrees Zs, WPerM2 q) {
    if (!(hs > 0) || !(q > 0)) return 0;  // the sun below the horizon
    const double F = SunIncidence(hs, Zs, span.AngP);
    return SolarGain(F, kAbsorptivity, AltitudeFactor(span.H1), span.Pr.D, 1, q);
}

Celsius ConductorTemp(const TySpan& span, Celsius Ta, MPerS V, Degrees angle, Amperes I) {
    CheckedFinite(Ta, "conductor temperature, air temperature");
    CheckedFinite(I, "conductor temperature, current");
    return SteadyTempFixedPoint(ThermalOf(span.Pr), Ta, V, angle, SolarGain(span, 1), I);
}

HeatingState HeatingCurve(const TySpan& span, Amperes I, Kelvin tol) {
    const double Ta = CheckedFinite(span.Tvv, "heating curve, air temperature");
    CheckedFinite(I, "heating curve, current");
    return HeatingCurve(ThermalOf(span.Pr), Ta, span.Vv, span.Alfv, SolarGain(span, 1), Ta, I, tol);
}

HeatingTrace HeatingCurveTrace(const TySpan& span, Amperes I, Kelvin tol) {
    const double Ta = CheckedFinite(span.Tvv, "heating curve, air temperature");
    CheckedFinite(I, "heating curve, current");
    return HeatingCurveTrace(ThermalOf(span.Pr), Ta, span.Vv, span.Alfv, SolarGain(span, 1), Ta, I, tol);
}

}  // namespace qem

#include "engine/Cigre601.h"

#include <algorithm>
#include <cmath>

#include "engine/CalcError.h"

namespace qem::cigre601 {
namespace {

constexpr double kRad = kPi / 180;

struct Coefficients {
    double B, n;
};

// Table 4: B and n of Nu_90 = B Re^n.
Coefficients Table4(double Re, double Rs) {
    if (Rs <= 0) {  // smooth
        if (Re >= 50000) return {0.0208, 0.814};
        if (Re >= 5000) return {0.148, 0.633};
        return {0.583, 0.471};
    }
    if (Re >= 2650) return Rs <= 0.05 ? Coefficients{0.178, 0.633} : Coefficients{0.048, 0.800};
    return {0.641, 0.471};
}

// Table 5: A and m of Nu_0 = A (Gr Pr)^m.
Coefficients Table5(double GrPr) {
    if (GrPr >= 1e7) return {0.125, 0.333};
    if (GrPr >= 1e4) return {0.480, 0.250};
    if (GrPr >= 1e2) return {0.850, 0.188};
    if (GrPr >= 1e-1) return {1.020, 0.148};
    if (GrPr >= 1e-4) return {0.889, 0.088};
    return {0.675, 0.058};
}

}  // namespace

WPerM SolarHeating(double alphaS, WPerM2 IT, Metres D) { return alphaS * IT * D; }

WPerM2 GlobalRadiation(WPerM2 IB, WPerM2 Id, double F, double sinEta, double sinHs) {
    return IB * (sinEta + F * kPi / 2 * sinHs) + Id * (1 + F * kPi / 2);
}

WPerM2 DirectRadiationAtSeaLevel(double Ns, double sinHs) {
    if (!(sinHs > 0)) return 0;
    return Ns * 1280 * sinHs / (sinHs + 0.314);
}

WPerM2 DirectRadiationAtAltitude(WPerM2 IB0, Metres y) {
    // I_B(0) [1 + 1.4e-4 y (1367/I_B(0) - 1)], written without the division by I_B(0); no sun, no
    // radiation.
    if (!(IB0 > 0)) return 0;
    return IB0 + 1.4e-4 * y * (1367 - IB0);
}

double SinIncidence(Degrees Hs, Degrees gammaS, Degrees gammaC) {
    const double c = std::cos(Hs * kRad) * std::cos((gammaS - gammaC) * kRad);
    return std::sqrt(std::max(0.0, 1 - c * c));
}

WPerM2 DiffuseRadiation(WPerM2 IB, double sinHs) { return std::max(0.0, 430.5 - 0.3288 * IB) * std::max(0.0, sinHs); }

Degrees SolarDeclination(int N) { return 23.3 * std::sin(2 * kPi * (284 + N) / 365); }

Degrees HourAngle(double omega) { return 15 * (omega - 12); }

Degrees SolarAltitude(Degrees phi, Degrees deltaS, Degrees Z) {
    const double s = std::sin(phi * kRad) * std::sin(deltaS * kRad) +
                     std::cos(phi * kRad) * std::cos(deltaS * kRad) * std::cos(Z * kRad);
    return std::asin(std::clamp(s, -1.0, 1.0)) / kRad;
}

Degrees SolarAzimuthFromSouth(Degrees deltaS, Degrees Z, Degrees Hs) {
    const double s = std::cos(deltaS * kRad) * std::sin(Z * kRad) / std::cos(Hs * kRad);
    return std::asin(std::clamp(s, -1.0, 1.0)) / kRad;
}

WPerMK AirConductivity(Celsius Tf) { return 2.368e-2 + 7.23e-5 * Tf - 2.763e-8 * Tf * Tf; }

PaS AirViscosity(Celsius Tf) { return (17.239 + 4.635e-2 * Tf - 2.03e-5 * Tf * Tf) * 1e-6; }

KgPerM3 AirDensity(Celsius Tf, Metres y) { return (1.293 - 1.525e-4 * y + 6.379e-9 * y * y) / (1 + 0.00367 * Tf); }

double ReynoldsNumber(MPerS V, Metres D, PaS muf, KgPerM3 gamma) { return V * D * gamma / muf; }

double Roughness(Metres D, Metres d) { return d / (2 * (D - d)); }

double NusseltPerpendicular(double Re, double Rs) {
    const Coefficients c = Table4(Re, Rs);
    return c.B * std::pow(Re, c.n);
}

double AngleFactor(Degrees delta, double Rs) {
    const double s = std::sin(delta * kRad);
    if (Rs <= 0) {
        const double c = std::cos(delta * kRad);
        return std::pow(s * s + 0.0169 * c * c, 0.225);
    }
    if (delta <= 24) return 0.42 + 0.68 * std::pow(s, 1.08);
    return 0.42 + 0.58 * std::pow(s, 0.90);
}

double NusseltAtAngle(double Nu90, Degrees delta, double Rs) { return Nu90 * AngleFactor(delta, Rs); }

double GrashofNumber(Metres D, Celsius Ts, Celsius Ta, PaS muf, KgPerM3 gamma) {
    const double nu = muf / gamma;
    const Celsius Tf = (Ts + Ta) / 2;
    return D * D * D * std::fabs(Ts - Ta) * kGravity / ((Tf + 273) * nu * nu);
}

double PrandtlNumber(PaS muf, WPerMK lambdaf) { return kAirSpecificHeat * muf / lambdaf; }

double NusseltNatural(double GrPr) {
    const Coefficients c = Table5(GrPr);
    // The power 0.25 of the conductors' usual range as two square roots.
    return c.n == 0.250 ? c.B * std::sqrt(std::sqrt(GrPr)) : c.B * std::pow(GrPr, c.n);
}

double InclinationFactor(Degrees beta, double Rs) {
    const double b = std::fabs(beta);
    if (b == 0) return 1;
    return Rs <= 0 ? 1 - 1.58e-4 * std::pow(b, 1.5) : 1 - 1.76e-6 * std::pow(b, 2.5);
}

double NusseltInclined(double Nu0, Degrees beta, double Rs) { return Nu0 * InclinationFactor(beta, Rs); }

double NusseltLowWind(double Nu90) { return 0.55 * Nu90; }

ConvectionSetup SetUpConvection(Metres D, double Rs, MPerS V, Degrees delta, Metres y, Degrees beta) {
    ConvectionSetup s;
    s.D = D;
    s.Rs = Rs;
    s.V = V;
    s.y = y;
    s.windFactor = V < 0.5 ? std::max(AngleFactor(45, Rs), NusseltLowWind(1)) : AngleFactor(delta, Rs);
    s.inclinationFactor = InclinationFactor(beta, Rs);
    return s;
}

WPerM ConvectiveCooling(const ConvectionSetup& s, Celsius Ts, Celsius Ta) {
    const Celsius Tf = (Ts + Ta) / 2;
    const WPerMK lambda = AirConductivity(Tf);
    const PaS mu = AirViscosity(Tf);
    const KgPerM3 gamma = AirDensity(Tf, s.y);
    const double Nu90 = NusseltPerpendicular(ReynoldsNumber(s.V, s.D, mu, gamma), s.Rs);
    const double Nubeta =
        s.inclinationFactor * NusseltNatural(GrashofNumber(s.D, Ts, Ta, mu, gamma) * PrandtlNumber(mu, lambda));
    const double Nu = std::max(s.windFactor * Nu90, Nubeta);
    return CheckedFinite(kPi * lambda * (Ts - Ta) * Nu, "CIGRE 601 convective cooling");
}

WPerM ConvectiveCoolingRs(Metres D, double Rs, Celsius Ts, Celsius Ta, MPerS V, Degrees delta, Metres y, Degrees beta) {
    return ConvectiveCooling(SetUpConvection(D, Rs, V, delta, y, beta), Ts, Ta);
}

WPerM ConvectiveCooling(Metres D, Metres d, Celsius Ts, Celsius Ta, MPerS V, Degrees delta, Metres y, Degrees beta) {
    return ConvectiveCoolingRs(D, Roughness(D, d), Ts, Ta, V, delta, y, beta);
}

WPerM RadiativeCooling(Metres D, double emissivity, Celsius Ts, Celsius Ta) {
    const double s = Ts + 273, a = Ta + 273;
    return kPi * D * kStefanBoltzmann * emissivity * (s * s * s * s - a * a * a * a);
}

OhmPerM Resistance(OhmPerM R20, PerKelvin alpha20, Celsius T) { return R20 * (1 + alpha20 * (T - 20)); }

Amperes SteadyStateRating(WPerM Pc, WPerM Pr, WPerM PS, OhmPerM R) {
    if (!(R > 0)) throw CalcError("CIGRE 601 rating: conductor resistance is not positive");
    return CheckedSqrt((Pc + Pr - PS) / R, "CIGRE 601 rating (the sun heats more than the air can take)");
}

JPerMK HeatCapacity(KgPerM mAl, KgPerM mSt, Celsius T) {
    return mAl * kCAluminium20 * (1 + kBetaAluminium * (T - 20)) + mSt * kCSteel20 * (1 + kBetaSteel * (T - 20));
}

double TemperatureRate(WPerM PJ, WPerM PS, WPerM Pc, WPerM Pr, JPerMK mc) {
    return CheckedDiv(PJ + PS - Pc - Pr, mc, "CIGRE 601 heating, conductor heat capacity is zero");
}

}  // namespace qem::cigre601

#include "engine/Ieee738.h"

#include <algorithm>
#include <cmath>

#include "engine/CalcError.h"

namespace qem::ieee738 {
namespace {

constexpr double kRad = kPi / 180;

// The coefficients A ... G of eq. (18), clear and industrial atmosphere.
constexpr double kClear[7] = {-42.2391, 63.8044, -1.9220, 3.46921e-2, -3.61118e-4, 1.94318e-6, -4.07608e-9};
constexpr double kIndustrial[7] = {53.1821, 14.2110, 6.6138e-1, -3.1658e-2, 5.4654e-4, -4.3446e-6, 1.3236e-8};

}  // namespace

Celsius FilmTemperature(Celsius Ts, Celsius Ta) { return (Ts + Ta) / 2; }

PaS AirViscosity(Celsius Tfilm) {
    const double T = Tfilm + 273;
    return 1.458e-6 * T * std::sqrt(T) / (Tfilm + 383.4);
}

KgPerM3 AirDensity(Celsius Tfilm, Metres He) {
    return (1.293 - 1.525e-4 * He + 6.379e-9 * He * He) / (1 + 0.00367 * Tfilm);
}

WPerMK AirConductivity(Celsius Tfilm) { return 2.424e-2 + 7.477e-5 * Tfilm - 4.407e-9 * Tfilm * Tfilm; }

double ReynoldsNumber(Metres D0, KgPerM3 rhof, MPerS Vw, PaS muf) { return D0 * rhof * Vw / muf; }

double WindDirectionFactor(Degrees phi) {
    // cos(2 phi) = 2 cos^2 - 1, sin(2 phi) = 2 sin cos: one sine and one cosine.
    const double c = std::cos(phi * kRad), s = std::sin(phi * kRad);
    return 1.194 - c + 0.194 * (2 * c * c - 1) + 0.368 * (2 * s * c);
}

namespace {

// The three convection losses from the powers of N_Re and of D0 they take, as eqs. (3a), (3b), (5a).
double Qc1(double Kangle, double NRe052, WPerMK kf, Kelvin dT) { return Kangle * (1.01 + 1.35 * NRe052) * kf * dT; }
double Qc2(double Kangle, double NRe06, WPerMK kf, Kelvin dT) { return Kangle * 0.754 * NRe06 * kf * dT; }
double Qcn(KgPerM3 rhof, double D075, Kelvin dT) {
    const double a = std::fabs(dT);
    const double q = 3.645 * std::sqrt(rhof) * D075 * a * std::sqrt(std::sqrt(a));
    return dT >= 0 ? q : -q;
}
// D0^0.75 = sqrt(D0 sqrt(D0)).
double Power075(double x) { return std::sqrt(x * std::sqrt(x)); }

}  // namespace

WPerM ForcedConvectionLow(double Kangle, double NRe, WPerMK kf, Celsius Ts, Celsius Ta) {
    return Qc1(Kangle, std::pow(NRe, 0.52), kf, Ts - Ta);
}

WPerM ForcedConvectionHigh(double Kangle, double NRe, WPerMK kf, Celsius Ts, Celsius Ta) {
    return Qc2(Kangle, std::pow(NRe, 0.6), kf, Ts - Ta);
}

WPerM NaturalConvection(KgPerM3 rhof, Metres D0, Celsius Ts, Celsius Ta) { return Qcn(rhof, Power075(D0), Ts - Ta); }

ConvectionSetup SetUpConvection(Metres D0, MPerS Vw, Degrees phi, Metres He) {
    return {D0, Vw, WindDirectionFactor(phi), He, Power075(D0)};
}

WPerM ConvectionHeatLoss(const ConvectionSetup& s, Celsius Ts, Celsius Ta) {
    const Celsius Tfilm = FilmTemperature(Ts, Ta);
    const PaS mu = AirViscosity(Tfilm);
    const KgPerM3 rho = AirDensity(Tfilm, s.He);
    const WPerMK kf = AirConductivity(Tfilm);
    const double NRe = ReynoldsNumber(s.D0, rho, s.Vw, mu);
    // The three losses of the warmer over the cooler; below the air temperature the same size as a
    // gain. The two powers of N_Re from one logarithm.
    const Kelvin dT = std::fabs(Ts - Ta);
    const double lnRe = std::log(NRe);
    const double q = std::max({Qc1(s.Kangle, std::exp(0.52 * lnRe), kf, dT),
                               Qc2(s.Kangle, std::exp(0.6 * lnRe), kf, dT), Qcn(rho, s.D075, dT)});
    return CheckedFinite(Ts >= Ta ? q : -q, "IEEE 738 convection heat loss");
}

WPerM ConvectionHeatLoss(Metres D0, Celsius Ts, Celsius Ta, MPerS Vw, Degrees phi, Metres He) {
    return ConvectionHeatLoss(SetUpConvection(D0, Vw, phi, He), Ts, Ta);
}

WPerM RadiatedHeatLoss(Metres D0, double emissivity, Celsius Ts, Celsius Ta) {
    const double s = (Ts + 273) / 100, a = (Ta + 273) / 100;
    return 17.8 * D0 * emissivity * (s * s * s * s - a * a * a * a);
}

Degrees SolarDeclination(int N) { return 23.46 * std::sin((284 + N) / 365.0 * 360 * kRad); }

Degrees SolarAltitude(Degrees Lat, Degrees delta, Degrees omega) {
    const double s = std::cos(Lat * kRad) * std::cos(delta * kRad) * std::cos(omega * kRad) +
                     std::sin(Lat * kRad) * std::sin(delta * kRad);
    return std::asin(std::clamp(s, -1.0, 1.0)) / kRad;
}

double SolarAzimuthVariable(Degrees Lat, Degrees delta, Degrees omega) {
    return std::sin(omega * kRad) /
           (std::sin(Lat * kRad) * std::cos(omega * kRad) - std::cos(Lat * kRad) * std::tan(delta * kRad));
}

Degrees SolarAzimuthConstant(Degrees omega, double chi) {
    if (omega < 0) return chi >= 0 ? 0 : 180;
    return chi >= 0 ? 180 : 360;
}

Degrees SolarAzimuth(Degrees omega, double chi) { return SolarAzimuthConstant(omega, chi) + std::atan(chi) / kRad; }

WPerM2 SolarFluxAtSeaLevel(Degrees Hc, bool industrial) {
    if (!(Hc > 0)) return 0;
    const double* k = industrial ? kIndustrial : kClear;
    double q = k[6];
    for (int i = 5; i >= 0; --i) q = q * Hc + k[i];
    return std::max(q, 0.0);
}

double SolarElevationFactor(Metres He) { return 1 + 1.148e-4 * He - 1.108e-8 * He * He; }

WPerM2 SolarFluxAtElevation(double Ksolar, WPerM2 Qs) { return Ksolar * Qs; }

Degrees IncidenceAngle(Degrees Hc, Degrees Zc, Degrees Zl) {
    const double c = std::cos(Hc * kRad) * std::cos((Zc - Zl) * kRad);
    return std::acos(std::clamp(c, -1.0, 1.0)) / kRad;
}

double SinIncidence(Degrees Hc, Degrees Zc, Degrees Zl) {
    const double c = std::cos(Hc * kRad) * std::cos((Zc - Zl) * kRad);
    return std::sqrt(std::max(0.0, 1 - c * c));
}

WPerM SolarHeatGain(double absorptivity, WPerM2 Qse, Degrees theta, Metres Aprime) {
    return SolarHeatGainSin(absorptivity, Qse, std::sin(theta * kRad), Aprime);
}

WPerM SolarHeatGainSin(double absorptivity, WPerM2 Qse, double sinTheta, Metres Aprime) {
    return absorptivity * Qse * sinTheta * Aprime;
}

OhmPerM Resistance(Celsius Tavg, Celsius Tlow, OhmPerM Rlow, Celsius Thigh, OhmPerM Rhigh) {
    return (Rhigh - Rlow) / (Thigh - Tlow) * (Tavg - Tlow) + Rlow;
}

Amperes SteadyStateRating(WPerM qc, WPerM qr, WPerM qs, OhmPerM R) {
    if (!(R > 0)) throw CalcError("IEEE 738 rating: conductor resistance is not positive");
    return CheckedSqrt((qc + qr - qs) / R, "IEEE 738 rating (the sun heats more than the air can take)");
}

JPerMK HeatCapacity(KgPerM mAl, KgPerM mSt) { return mAl * kCpAluminium + mSt * kCpSteel; }

double TemperatureRate(WPerM qj, WPerM qs, WPerM qc, WPerM qr, JPerMK mCp) {
    return CheckedDiv(qj + qs - qc - qr, mCp, "IEEE 738 heating, conductor heat capacity is zero");
}

}  // namespace qem::ieee738

#pragma once
// CIGRE Technical Brochure 601 (2014), "Guide for thermal rating calculations of overhead lines":
// one function per equation, in SI units (m, m/s, C, W/m, Ohm/m), with the brochure's symbols
// and equation numbers. The conductor temperature is the uniform temperature of the brochure's
// steady-state and transient balances (no radial gradient, no magnetic heating of a steel core,
// no corona or evaporative cooling). engine/HeatModel.h converts the catalog's units at its edge.
#include "engine/Units.h"

namespace qem::cigre601 {

inline constexpr double kStefanBoltzmann = 5.6697e-8;  // sigma_B, W/(m2 K4)
inline constexpr double kGravity = 9.807;              // g, m/s2
inline constexpr JPerKgK kAirSpecificHeat = 1005;      // c_f of the Prandtl number
// Specific heats at 20 C and their temperature coefficients (the brochure's transient example):
// aluminium 897 J/(kg K) and 3.8e-4 1/K, steel 481 J/(kg K) and 1.0e-4 1/K.
inline constexpr JPerKgK kCAluminium20 = 897;
inline constexpr PerKelvin kBetaAluminium = 3.8e-4;
inline constexpr JPerKgK kCSteel20 = 481;
inline constexpr PerKelvin kBetaSteel = 1.0e-4;

// ---- Solar heating --------------------------------------------------------------------------

// P_S = alpha_s I_T D, W/m. Eq. (8).
WPerM SolarHeating(double alphaS, WPerM2 IT, Metres D);

// I_T = I_B (sin(eta) + F pi/2 sin(H_s)) + I_d (1 + F pi/2), global radiation on the conductor,
// W/m2; F the albedo of the ground. Eq. (9).
WPerM2 GlobalRadiation(WPerM2 IB, WPerM2 Id, double F, double sinEta, double sinHs);

// I_B(0) = N_s 1280 sin(H_s) / (sin(H_s) + 0.314), direct radiation at sea level, W/m2; N_s the
// clearness ratio (1 for the standard atmosphere). Eq. (10).
WPerM2 DirectRadiationAtSeaLevel(double Ns, double sinHs);

// I_B(y) = I_B(0) [1 + 1.4e-4 y (1367 / I_B(0) - 1)], direct radiation at the altitude y, W/m2.
// Eq. (11).
WPerM2 DirectRadiationAtAltitude(WPerM2 IB0, Metres y);

// cos(eta) = cos(H_s) cos(gamma_s - gamma_c), the angle eta of the sun's beam with the axis of a
// conductor of azimuth gamma_c; returns sin(eta). Eq. (12).
double SinIncidence(Degrees Hs, Degrees gammaS, Degrees gammaC);

// I_d = (430.5 - 0.3288 I_B) sin(H_s), diffuse radiation, W/m2. Eq. (13).
WPerM2 DiffuseRadiation(WPerM2 IB, double sinHs);

// The brochure's solar position: delta_s = 23.3 sin[2 pi (284 + N)/365], degrees, of day N.
Degrees SolarDeclination(int N);
// Z = 15 (omega - 12), the hour angle of the solar hour omega, degrees.
Degrees HourAngle(double omega);
// sin(H_s) = sin(phi) sin(delta_s) + cos(phi) cos(delta_s) cos(Z), solar altitude, degrees.
Degrees SolarAltitude(Degrees phi, Degrees deltaS, Degrees Z);
// sin(gamma_s) = cos(delta_s) sin(Z) / cos(H_s), solar azimuth from south (west positive),
// degrees; as printed, valid while the sun stands south of the east-west line.
Degrees SolarAzimuthFromSouth(Degrees deltaS, Degrees Z, Degrees Hs);

// ---- Convective cooling ---------------------------------------------------------------------

// lambda_f = 2.368e-2 + 7.23e-5 T_f - 2.763e-8 T_f^2, thermal conductivity of air, W/(m K).
// Eq. (18).
WPerMK AirConductivity(Celsius Tf);

// mu_f = (17.239 + 4.635e-2 T_f - 2.03e-5 T_f^2) 1e-6, dynamic viscosity of air, kg/(m s).
// Eq. (19).
PaS AirViscosity(Celsius Tf);

// gamma = (1.293 - 1.525e-4 y + 6.379e-9 y^2) / (1 + 0.00367 T_f), air density at the altitude
// y, kg/m3. Eq. (20).
KgPerM3 AirDensity(Celsius Tf, Metres y);

// Re = V D / nu_f with nu_f = mu_f / gamma, the Reynolds number.
double ReynoldsNumber(MPerS V, Metres D, PaS muf, KgPerM3 gamma);

// R_s = d / (2 (D - d)), roughness of a stranded conductor of outer strand diameter d.
double Roughness(Metres D, Metres d);

// Nu_90 = B Re^n, perpendicular flow, with B and n of Table 4 by the roughness (0: smooth) and
// the Reynolds number (below the table's range its first row). Eq. (21).
double NusseltPerpendicular(double Re, double Rs);

// Nu_delta = Nu_90 (0.42 + 0.68 sin(delta)^1.08) for delta <= 24 degrees, else
// Nu_90 (0.42 + 0.58 sin(delta)^0.90) (stranded); smooth: Nu_90 (sin^2 + 0.0169 cos^2)^0.225;
// delta the angle of attack of the wind, degrees. Eq. (22).
double NusseltAtAngle(double Nu90, Degrees delta, double Rs);
// The factor Nu_delta / Nu_90 of eq. (22).
double AngleFactor(Degrees delta, double Rs);

// Gr = D^3 (T_s - T_a) g / ((T_f + 273) nu_f^2), the Grashof number (|T_s - T_a|).
double GrashofNumber(Metres D, Celsius Ts, Celsius Ta, PaS muf, KgPerM3 gamma);

// Pr = c_f mu_f / lambda_f, the Prandtl number.
double PrandtlNumber(PaS muf, WPerMK lambdaf);

// Nu_0 = A (Gr Pr)^m, natural convection of a horizontal conductor, A and m of Table 5 by
// Gr Pr. Eq. (23).
double NusseltNatural(double GrPr);

// Nu_beta = Nu_0 (1 - 1.76e-6 beta^2.5) stranded, Nu_0 (1 - 1.58e-4 beta^1.5) smooth; beta the
// inclination of the conductor to the horizontal, degrees. Eq. (24).
double NusseltInclined(double Nu0, Degrees beta, double Rs);
// The factor Nu_beta / Nu_0 of eq. (24).
double InclinationFactor(Degrees beta, double Rs);

// Nu_cor = 0.55 Nu_90, the low-wind correction (wind below 0.5 m/s). Eq. (25).
double NusseltLowWind(double Nu90);

// P_c = pi lambda_f (T_s - T_a) Nu, convective cooling, W/m. Eq. (17). Nu is the larger of
// Nu_delta and Nu_beta; below 0.5 m/s the largest of Nu_delta at 45 degrees, Nu_cor and Nu_beta.
WPerM ConvectiveCooling(Metres D, Metres d, Celsius Ts, Celsius Ta, MPerS V, Degrees delta, Metres y, Degrees beta);
// The same with the roughness given (0: smooth).
WPerM ConvectiveCoolingRs(Metres D, double Rs, Celsius Ts, Celsius Ta, MPerS V, Degrees delta, Metres y, Degrees beta);

// What P_c takes of the conductor and the wind, worked out once for many conductor temperatures:
// D, R_s, V, y, the factor of the wind direction (Nu / Nu_90: eq. (22) at delta, below 0.5 m/s the
// larger of eq. (22) at 45 degrees and Nu_cor / Nu_90 of eq. (25)) and that of the inclination
// (eq. (24)).
struct ConvectionSetup {
    Metres D = 0;
    double Rs = 0;
    MPerS V = 0;
    Metres y = 0;
    double windFactor = 1;
    double inclinationFactor = 1;
};
ConvectionSetup SetUpConvection(Metres D, double Rs, MPerS V, Degrees delta, Metres y, Degrees beta);
// P_c as ConvectiveCoolingRs, from the set-up.
WPerM ConvectiveCooling(const ConvectionSetup& s, Celsius Ts, Celsius Ta);

// ---- Radiative cooling, Joule heating, rating -------------------------------------------------

// P_r = pi D sigma_B eps_s [(T_s + 273)^4 - (T_a + 273)^4], W/m. Eq. (27).
WPerM RadiativeCooling(Metres D, double emissivity, Celsius Ts, Celsius Ta);

// R = R_20 [1 + alpha_20 (T - 20)], Ohm/m: the brochure's linear resistance of the conductor at T
// from its value at 20 C and the coefficient alpha_20 (1/K), for the Joule heating P_J = I^2 R.
OhmPerM Resistance(OhmPerM R20, PerKelvin alpha20, Celsius T);

// I = sqrt((P_c + P_r - P_S) / R(T)), the steady-state rating at conductor temperature T, A
// (the steady balance P_J + P_S = P_c + P_r, eq. (1)). A sun stronger than the cooling, or a
// resistance that is not positive, is a calculation error.
Amperes SteadyStateRating(WPerM Pc, WPerM Pr, WPerM PS, OhmPerM R);

// m c = m_Al c_Al [1 + beta_Al (T - 20)] + m_St c_St [1 + beta_St (T - 20)], heat capacity of one
// metre at T, J/(m K); masses in kg/m.
JPerMK HeatCapacity(KgPerM mAl, KgPerM mSt, Celsius T);

// dT/dt = (P_J + P_S - P_c - P_r) / (m c), K/s: the transient balance. Eq. (2).
double TemperatureRate(WPerM PJ, WPerM PS, WPerM Pc, WPerM Pr, JPerMK mc);

}  // namespace qem::cigre601

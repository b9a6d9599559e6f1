#pragma once
// IEEE Std 738-2012, "IEEE Standard for Calculating the Current-Temperature Relationship of Bare
// Overhead Conductors": one function per equation, in SI units (m, m/s, C, W/m, Ohm/m), with the
// standard's symbols and equation numbers. The conductor temperature is the uniform
// temperature Ts = Tavg of the standard (no radial gradient). engine/HeatModel.h converts the
// catalog's units at its edge and calls these.
#include "engine/Units.h"

namespace qem::ieee738 {

// Specific heats of the conductor materials at 25 C, J/(kg C): aluminium 955, steel 476
// (the standard's table of the heat capacity, clause 4.6).
inline constexpr JPerKgK kCpAluminium = 955;
inline constexpr JPerKgK kCpSteel = 476;

// ---- Air properties at the film temperature -------------------------------------------------

// Tfilm = (Ts + Ta)/2, C. Eq. (6).
Celsius FilmTemperature(Celsius Ts, Celsius Ta);

// mu_f = 1.458e-6 (Tfilm + 273)^1.5 / (Tfilm + 383.4), dynamic viscosity of air, Pa s. Eq. (13a).
PaS AirViscosity(Celsius Tfilm);

// rho_f = (1.293 - 1.525e-4 He + 6.379e-9 He^2) / (1 + 0.00367 Tfilm), density of air at the
// elevation He of the conductor above sea level, kg/m3. Eq. (14a).
KgPerM3 AirDensity(Celsius Tfilm, Metres He);

// k_f = 2.424e-2 + 7.477e-5 Tfilm - 4.407e-9 Tfilm^2, thermal conductivity of air, W/(m C).
// Eq. (15a).
WPerMK AirConductivity(Celsius Tfilm);

// ---- Convection -----------------------------------------------------------------------------

// N_Re = D0 rho_f Vw / mu_f, the Reynolds number of the wind Vw (m/s) on a conductor of outside
// diameter D0 (m). Eq. (2c).
double ReynoldsNumber(Metres D0, KgPerM3 rhof, MPerS Vw, PaS muf);

// K_angle = 1.194 - cos(phi) + 0.194 cos(2 phi) + 0.368 sin(2 phi), phi the angle between the
// wind and the conductor axis, degrees (1 for a perpendicular wind). Eq. (4a).
double WindDirectionFactor(Degrees phi);

// q_c1 = K_angle [1.01 + 1.35 N_Re^0.52] k_f (Ts - Ta), forced convection at low wind, W/m.
// Eq. (3a).
WPerM ForcedConvectionLow(double Kangle, double NRe, WPerMK kf, Celsius Ts, Celsius Ta);

// q_c2 = K_angle 0.754 N_Re^0.6 k_f (Ts - Ta), forced convection at high wind, W/m. Eq. (3b).
WPerM ForcedConvectionHigh(double Kangle, double NRe, WPerMK kf, Celsius Ts, Celsius Ta);

// q_cn = 3.645 rho_f^0.5 D0^0.75 (Ts - Ta)^1.25, natural convection, W/m. Eq. (5a).
WPerM NaturalConvection(KgPerM3 rhof, Metres D0, Celsius Ts, Celsius Ta);

// q_c: the largest of q_c1, q_c2 and q_cn at the film temperature of Ts and Ta (clause 4.4.3),
// W/m. Below the air temperature the loss turns into a gain of the same size, negative.
WPerM ConvectionHeatLoss(Metres D0, Celsius Ts, Celsius Ta, MPerS Vw, Degrees phi, Metres He);

// What q_c takes of the conductor and the wind, worked out once for many conductor temperatures:
// D0, Vw, K_angle of eq. (4a), He, D0^0.75 of eq. (5a).
struct ConvectionSetup {
    Metres D0 = 0;
    MPerS Vw = 0;
    double Kangle = 1;
    Metres He = 0;
    double D075 = 0;
};
ConvectionSetup SetUpConvection(Metres D0, MPerS Vw, Degrees phi, Metres He);
// q_c as ConvectionHeatLoss, from the set-up.
WPerM ConvectionHeatLoss(const ConvectionSetup& s, Celsius Ts, Celsius Ta);

// ---- Radiation ------------------------------------------------------------------------------

// q_r = 17.8 D0 eps [((Ts + 273)/100)^4 - ((Ta + 273)/100)^4], W/m. Eq. (7a).
WPerM RadiatedHeatLoss(Metres D0, double emissivity, Celsius Ts, Celsius Ta);

// ---- The sun --------------------------------------------------------------------------------

// delta = 23.46 sin[(284 + N)/365 * 360], solar declination of day N (1 ... 365), degrees.
// Eq. (16b).
Degrees SolarDeclination(int N);

// Hc = arcsin[cos(Lat) cos(delta) cos(omega) + sin(Lat) sin(delta)], solar altitude at the hour
// angle omega (degrees, -15 per hour before noon), degrees. Eq. (16a).
Degrees SolarAltitude(Degrees Lat, Degrees delta, Degrees omega);

// chi = sin(omega) / (sin(Lat) cos(omega) - cos(Lat) tan(delta)), solar azimuth variable. Eq. (17b).
double SolarAzimuthVariable(Degrees Lat, Degrees delta, Degrees omega);

// C, the solar azimuth constant of the standard's table by the hour angle and the sign of chi,
// degrees: 0 or 180 before noon, 180 or 360 after.
Degrees SolarAzimuthConstant(Degrees omega, double chi);

// Zc = C + arctan(chi), solar azimuth from north, degrees. Eq. (17a).
Degrees SolarAzimuth(Degrees omega, double chi);

// Qs = A + B Hc + C Hc^2 + D Hc^3 + E Hc^4 + F Hc^5 + G Hc^6, total heat flux density at sea level
// on a surface normal to the sun's rays, W/m2, Hc in degrees, with the coefficients of the clear
// or of the industrial atmosphere; 0 with the sun below the horizon. Eq. (18).
WPerM2 SolarFluxAtSeaLevel(Degrees Hc, bool industrial);

// K_solar = 1 + 1.148e-4 He - 1.108e-8 He^2, elevation correction factor. Eq. (20).
double SolarElevationFactor(Metres He);

// Qse = K_solar Qs, W/m2. Eq. (19).
WPerM2 SolarFluxAtElevation(double Ksolar, WPerM2 Qs);

// theta = arccos[cos(Hc) cos(Zc - Zl)], effective angle of incidence of the sun's rays on a
// conductor of azimuth Zl, degrees. Eq. (9).
Degrees IncidenceAngle(Degrees Hc, Degrees Zc, Degrees Zl);

// sin(theta) of eq. (9) without the angle: sqrt(1 - cos(Hc)^2 cos(Zc - Zl)^2).
double SinIncidence(Degrees Hc, Degrees Zc, Degrees Zl);

// q_s = alpha Qse sin(theta) A', solar heat gain, W/m; A' = D0 the projected area of one metre,
// m2/m. Eq. (8).
WPerM SolarHeatGain(double absorptivity, WPerM2 Qse, Degrees theta, Metres Aprime);
// The same from sin(theta).
WPerM SolarHeatGainSin(double absorptivity, WPerM2 Qse, double sinTheta, Metres Aprime);

// ---- Resistance, rating, heat capacity -----------------------------------------------------

// R(Tavg) = [(R(T_high) - R(T_low)) / (T_high - T_low)] (Tavg - T_low) + R(T_low), Ohm/m.
// Eq. (10).
OhmPerM Resistance(Celsius Tavg, Celsius Tlow, OhmPerM Rlow, Celsius Thigh, OhmPerM Rhigh);

// I = sqrt((q_c + q_r - q_s) / R(Tc)), steady-state thermal rating, A. Eq. (2b). A loss smaller
// than the sun's gain, or a resistance that is not positive, is a calculation error.
Amperes SteadyStateRating(WPerM qc, WPerM qr, WPerM qs, OhmPerM R);

// mCp = m_Al Cp_Al + m_St Cp_St, heat capacity of one metre, J/(m C); masses in kg/m (the
// standard's sum over the conductor materials, clause 4.6).
JPerMK HeatCapacity(KgPerM mAl, KgPerM mSt);

// dTavg/dt = [R(Tavg) I^2 + q_s - q_c - q_r] / (m Cp), C/s: the non-steady heat balance. Eq. (11).
double TemperatureRate(WPerM qj, WPerM qs, WPerM qc, WPerM qr, JPerMK mCp);

}  // namespace qem::ieee738

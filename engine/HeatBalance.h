#pragma once
// Heat balance of one metre of conductor: Joule heating with a temperature-dependent
// resistance, solar heating, loss by convection and radiation; the steady conductor
// temperature and the heating curve. Currents are those of one conductor, A.
//
// The program's own method (the national method of its rules), its equations numbered as
// the comments below cite them ("QEM (n)"):
//   (1)  R(T) = ((T - 20) alfaR + 1) R20 / 1000                        resistance, Ohm/m
//   (2)  lambda = 0.0244 sqrt(1 + 0.0069 Ta)                           air conductivity, W/(m K)
//   (3)  nu = 1.328e-5 (1 + 0.0069 Ta)                                 air viscosity, m2/s
//   (4)  alpha_r = eps 5.67 [((Tc+273)/100)^4 - ((Ta+273)/100)^4]/(Tc - Ta)   radiation, W/(m2 K)
//   (5)  Re = V d / nu,  Gr = g d^3 (Tc - Ta)/(Ta + 273)/nu^2,  d = 1.33 D
//   (6)  Re_eff = sqrt((K Re)^2 + 0.5 Gr) from 1 m/s, K Re + sqrt(Gr) below; K by the wind angle
//   (7)  Nu = 0.437 Re_eff^0.5 | 0.218 Re_eff^0.6 (Re >= 1000) | 0.0201 Re_eff^0.8 (Re >= 2e5)
//   (8)  alpha_c = Nu lambda / d                                        convection, W/(m2 K)
//   (9)  h = 3.1415 (alpha_r + alpha_c) d                               loss coefficient, W/(m K)
//   (10) q(hs): the sky polynomials of the solar flux at sun elevation hs, W/m2
//   (11) K_alt = 0.116 log10(H) + 0.752 above 150 m, else 1             altitude factor
//   (12) F = sin(theta), cos(theta) = cos(Zs - Zl) cos(hs)              incidence on the conductor
//   (13) Ps = F a K_alt D X q / 100                                     solar gain, W/m
//   (14) T = Ta + (I^2 R(T) + Ps)/h(T)                                  steady temperature, C
//   (15) I = sqrt((h(T)(T - Ta) - Ps)/R(T))                             current at temperature, A
//   (16) C = c_Al M_Al + c_St M_St, c_Al = 886 (1 + 0.000534 T), c_St = 437 (1 + 0.001076 T)
//   (17) T' = T + (I^2 R + Ps - h (T - Ta)) dt 1000 / C                 heating step of dt seconds
// The span-record operations (the second half of this header) read the conductor, the place and
// the sky of a span and call these.
#include <array>
#include <utility>
#include <vector>

#include "engine/Units.h"
#include "model/QEMcom.h"

namespace qem {

// Surface emissivity and solar absorptivity of the conductor in the program's own method.
inline constexpr double kEmissivity = 0.6;
inline constexpr double kAbsorptivity = 0.6;
// Stefan-Boltzmann coefficient, W/(m2 K4), with temperatures in hundreds of kelvin.
inline constexpr double kStefanBoltzmann = 5.67;
// Absolute zero offset, K.
inline constexpr double kAbsZero = 273;
// Pi of the loss coefficient.
inline constexpr double kPiLoss = 3.1415;
// Effective diameter of convection and radiation, times the conductor diameter.
inline constexpr double kEffectiveDiameter = 1.33;
// Azimuth of the noon sun, degrees from north.
inline constexpr Degrees kNoonSunAzimuth = 180;

// Factor of the wind direction by the angle between the wind and the span axis, degrees.
inline constexpr std::array<std::pair<double, double>, 7> WindAngleTable = {
    {{20, 0.55}, {30, 0.67}, {40, 0.78}, {50, 0.88}, {60, 0.94}, {70, 0.98}, {80, 1.00}}};

// What the heat balance reads of a conductor.
struct ConductorThermal {
    Cm D = 0;             // outer diameter
    OhmPerKm R20 = 0;     // resistance at 20 C
    PerKelvin alfaR = 0;  // temperature coefficient of resistance
    KgfPerKm MAl = 0;     // aluminium mass, kg/km
    KgfPerKm MSt = 0;     // steel mass, kg/km
    double emissivity = kEmissivity;
    double absorptivity = kAbsorptivity;
};

// The conductor of a catalog entry with the program's emissivity and absorptivity.
ConductorThermal ThermalOf(const TyWire& wire);

// ---- Physical formulas -------------------------------------------------------------------

// K(angle): 0.55 at 20 degrees and below, 1.0 at 80 and above, linear between the table points.
double WindAngleFactor(Degrees angle);

// R(T) = ((T - 20) alfaR + 1) R20 / 1000, Ohm/m. QEM (1).
OhmPerM ResistanceAt(OhmPerKm R20, PerKelvin alfaR, Celsius T);

// lambda = 0.0244 sqrt(1 + 0.0069 Ta), W/(m K). QEM (2).
WPerMK AirConductivity(Celsius Ta);

// nu = 1.328e-5 (1 + 0.0069 Ta), m2/s. QEM (3).
M2PerS AirViscosity(Celsius Ta);

// alpha_r = eps 5.67 [((Tc+273)/100)^4 - ((Ta+273)/100)^4] / (Tc - Ta), W/(m2 K); 0 when Tc is
// less than 0.1 K above Ta. QEM (4).
WPerM2K RadiationCoef(double emissivity, Celsius Tc, Celsius Ta);

// alpha_c = Nu lambda / d with Re, Gr, Re_eff and Nu of QEM (5)-(8), W/(m2 K); d the effective
// diameter, m; angle between the wind and the conductor, degrees.
WPerM2K ConvectionCoef(Metres d, Celsius Tc, Celsius Ta, MPerS V, Degrees angle);

// h = 3.1415 (alpha_r + alpha_c) d, d = 1.33 D, W/(m K). QEM (9).
WPerMK HeatLossCoef(Cm D, double emissivity, Celsius Tc, Celsius Ta, MPerS V, Degrees angle);

// q(hs), W/m2: the flux by sky condition (0 clear, 1 cloudy, 2 overcast, else none) at sun
// elevation hs, degrees. QEM (10).
WPerM2 SkyFlux(Integer sky, Degrees hs);

// K_alt = 0.116 log10(H) + 0.752 above 150 m, else 1. QEM (11).
double AltitudeFactor(Metres H);

// F = sin(theta), cos(theta) = cos(Zs - Zl) cos(hs): the rays of a sun at elevation hs and
// azimuth Zs on a conductor of azimuth Zl (degrees from north), 0 ... 1. QEM (12).
double SunIncidence(Degrees hs, Degrees Zs, Degrees Zl);

// Ps = F a K_alt D X q / 100, W/m: flux q on a conductor of diameter D (cm). QEM (13).
WPerM SolarGain(double F, double absorptivity, double Kalt, Cm D, double X, WPerM2 q);

// Steady temperature, C: fixed point of T = Ta + (I^2 R(T) + Ps)/h(T) from Ta + 5, to 0.1 K, at
// most 100000 steps, stopped above 400 C. QEM (14).
Celsius ConductorTemp(const ConductorThermal& c, Celsius Ta, MPerS V, Degrees angle, WPerM Ps, Amperes I);

// C = c_Al M_Al + c_St M_St, J/(km K), masses in kg/km, at conductor temperature T. QEM (16).
JPerKmK HeatCapacityPerKm(KgfPerKm MAl, KgfPerKm MSt, Celsius T);

// T' = T + (P - h (T - Ta)) 60 dt 1000 / C: one explicit step of dt minutes from T with the
// heating P = I^2 R(T) + Ps (W/m), the loss coefficient h(T) (W/(m K)) and the heat capacity
// C(T) (J/(km K)), C; a zero C is a calculation error. QEM (17).
Celsius HeatingStep(Celsius T, Celsius Ta, WPerM P, WPerMK h, JPerKmK C, Minutes dt);

// The same step of the conductor c at current I in air Ta, wind V at the given angle, solar gain
// Ps: P, h and C of QEM (1), (4)-(9) and (16) at T. QEM (17).
Celsius HeatingStep(const ConductorThermal& c, Celsius Ta, MPerS V, Degrees angle, WPerM Ps, Celsius T, Amperes I,
                    Minutes dt);

struct HeatingState {
    Celsius T;      // temperature reached
    Celsius Tprev;  // temperature one step earlier
};

// The heating curve: from T0 at constant current I, explicit steps of 6 s of QEM (17),
// C dT/dt = I^2 R + Ps - h (T - Ta), until a step changes T by no more than tol or 100 minutes
// pass.
HeatingState HeatingCurve(const ConductorThermal& c, Celsius Ta, MPerS V, Degrees angle, WPerM Ps, Celsius T0,
                          Amperes I, Kelvin tol);

// The heating curve with every step: (time, min; conductor temperature, C) from (0, T0), one
// point each 0.1 min, exactly as HeatingCurve steps.
struct HeatingTrace {
    std::vector<std::pair<Minutes, Celsius>> points;
    HeatingState end;
};
HeatingTrace HeatingCurveTrace(const ConductorThermal& c, Celsius Ta, MPerS V, Degrees angle, WPerM Ps, Celsius T0,
                               Amperes I, Kelvin tol);

// ---- The same on a span record -----------------------------------------------------------

// h of the span's conductor, W/(m K).
WPerMK HeatLossCoef(const TySpan& span, Celsius Tc, Celsius Ta, MPerS V, Degrees angle);

// R(T) of the span's conductor, Ohm/m.
OhmPerM WireResistance(const TySpan& span, Celsius T);

// hs = 113.5 - latitude, degrees (single precision): the noon sun of the summer solstice.
Degrees NoonSunElevation(Degrees latitude);

// Ps of the span, W/m: the noon sun of the summer solstice at its latitude Fi, its sky Tzv,
// its altitude H1 and its bearing AngP, scaled by X.
WPerM SolarGain(const TySpan& span, double X);
// The same under the sky condition `sky` in place of the span's own.
WPerM SolarGain(const TySpan& span, Integer sky, double X);

// Ps of the span under a sun at elevation hs and azimuth Zs (degrees) with flux q, W/m.
WPerM SolarGainAt(const TySpan& span, Degrees hs, Degrees Zs, WPerM2 q);

// Steady temperature of the span's conductor under the noon sun, C.
Celsius ConductorTemp(const TySpan& span, Celsius Ta, MPerS V, Degrees angle, Amperes I);

// Heating from Tvv at constant current I in the span's regime (Vv, Alfv) under the noon sun.
HeatingState HeatingCurve(const TySpan& span, Amperes I, Kelvin tol);
HeatingTrace HeatingCurveTrace(const TySpan& span, Amperes I, Kelvin tol);

}  // namespace qem

#pragma once
// Heat balance of one metre of conductor: Joule heating with a temperature-dependent
// resistance, solar heating, loss by convection and radiation; the steady conductor
// temperature and the heating curve. Currents are those of one conductor, A.
#include <array>
#include <utility>
#include <vector>

#include "engine/Units.h"
#include "model/QEMcom.h"

namespace qem {

// Surface emissivity and solar absorptivity of the conductor.
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

// Factor of the wind direction by the angle between the wind and the span axis, degrees.
inline constexpr std::array<std::pair<double, double>, 7> WindAngleTable = {
    {{20, 0.55}, {30, 0.67}, {40, 0.78}, {50, 0.88}, {60, 0.94}, {70, 0.98}, {80, 1.00}}};

// K(angle): 0.55 at 20 degrees and below, 1.0 at 80 and above, linear between the table points.
double WindAngleFactor(Degrees angle);

// h = 3.1415 (alpha_r + alpha_c) d, W/(m K): radiation and convection at conductor temperature Tc,
// air Ta, wind V at the given angle; d = 1.33 D.
WPerMK HeatLossCoef(const TySpan& span, Celsius Tc, Celsius Ta, MPerS V, Degrees angle);

// R(T) = ((T - 20) alfaR + 1) R20 / 1000, Ohm/m.
OhmPerM WireResistance(const TySpan& span, Celsius T);

// Ps = F 0.6 K_alt D X q / 100, W/m: noon sun of the summer solstice on the conductor, scaled by X.
WPerM SolarGain(const TySpan& span, double X);

// Steady temperature, C: fixed point of T = Ta + (I^2 R(T) + Ps)/h(T), to 0.1 K.
Celsius ConductorTemp(const TySpan& span, Celsius Ta, MPerS V, Degrees angle, Amperes I);

struct HeatingState {
    Celsius T;      // temperature reached
    Celsius Tprev;  // temperature one step earlier
};

// Heating from Tvv at constant current I in the span's regime (Vv, Alfv): explicit steps of 6 s,
// C dT/dt = I^2 R + Ps - h (T - Tvv), until a step changes T by no more than tol or 100 minutes pass.
HeatingState HeatingCurve(const TySpan& span, Amperes I, Kelvin tol);

// The heating curve with every step: (time, min; conductor temperature, C) from (0, Tvv), one
// point each 0.1 min, exactly as HeatingCurve steps.
struct HeatingTrace {
    std::vector<std::pair<Minutes, Celsius>> points;
    HeatingState end;
};
HeatingTrace HeatingCurveTrace(const TySpan& span, Amperes I, Kelvin tol);

}  // namespace qem

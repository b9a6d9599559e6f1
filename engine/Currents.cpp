#include "engine/Currents.h"

#include <string>

#include "engine/CalcError.h"
#include "engine/HeatBalance.h"

namespace qem {

Amperes ConductorCurrent(const TySpan& span) {
    const double Iv = span.Iv;
    const int Mpr = span.Mpr;
    if (Mpr < 1) throw CalcError("current per conductor: conductors per phase " + std::to_string(Mpr));
    return Iv / Mpr;
}

Amperes CurrentAtTemp(const ConductorThermal& c, Celsius T, Celsius Ta, MPerS V, Degrees angle, WPerM Ps) {
    if (!(T >= Ta)) throw CalcError("allowable current: the air is warmer than the conductor limit temperature");
    const double h = HeatLossCoef(c.D, c.emissivity, T, Ta, V, angle);
    const double R = ResistanceAt(c.R20, c.alfaR, T);
    if (!(R > 0)) throw CalcError("allowable current: conductor resistance is not positive");
    return CheckedSqrt((h * (T - Ta) - Ps) / R, "allowable current (the sun heats more than the air can take)");
}

Amperes CurrentAtTemp(const TySpan& span, Celsius T, Celsius Ta, MPerS V, Degrees angle) {
    if (!(T >= Ta)) throw CalcError("allowable current: the air is warmer than the conductor limit temperature");
    return CurrentAtTemp(ThermalOf(span.Pr), T, Ta, V, angle, SolarGain(span, 1));
}

}  // namespace qem

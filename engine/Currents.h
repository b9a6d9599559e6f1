#pragma once
// Allowable currents of one conductor: the thermal limits invert the heat balance.
#include "engine/HeatBalance.h"
#include "engine/Units.h"
#include "model/QEMcom.h"

namespace qem {

// I = Iv / Mpr, A: the current of one conductor of a phase of Mpr conductors carrying the line
// current Iv. A phase without conductors is a calculation error.
Amperes ConductorCurrent(const TySpan& span);

// I = sqrt((h(T) (T - Ta) - Ps)/R(T)), A: the current that holds the conductor at T in air Ta,
// wind V at the given angle, solar gain Ps. No real root (the air as warm as T, or more sun than
// the air can take at T) is a calculation error. QEM (15).
Amperes CurrentAtTemp(const ConductorThermal& c, Celsius T, Celsius Ta, MPerS V, Degrees angle, WPerM Ps);

// The same for the span's conductor under the noon sun of its source data.
Amperes CurrentAtTemp(const TySpan& span, Celsius T, Celsius Ta, MPerS V, Degrees angle);

}  // namespace qem

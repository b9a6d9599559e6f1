#pragma once
// Conductor temperature at the moment of a sag measurement: the heating of the conductor
// from the air temperature under the measured current and weather, with the sun of the
// month of the measurement.
#include "engine/Units.h"
#include "model/IArray.h"
#include "model/QEMcom.h"

namespace qem {

// Share of the solstice noon sun by calendar month (1 = January).
inline constexpr IArray<Single, 1, 12> MonthSolarFactor = {
    {{0.68f, 0.71f, 0.88f, 0.89f, 0.99f, 1.0f, 1.0f, 0.9f, 0.81f, 0.77f, 0.69f, 0.65f}}};

// Calendar month 1..12 of a date-time counted in days since 30.12.1899 (the day is the whole
// part, the time of day the fraction). An empty date 0 is 30.12.1899, December.
int MonthOfDate(double time);

// Zamer[k].TPr := conductor temperature at measurement k (0 is taken as 1): 6 s heating steps
// from the measured air temperature under the measured current, wind and sky, with the sun of
// the month, until a step changes it by 0.01 K or less or 100 minutes pass; the value one step
// before the last. The span's sky condition is left as it was.
void ZamerConductorTemp(TySpan& span, int k);

}  // namespace qem

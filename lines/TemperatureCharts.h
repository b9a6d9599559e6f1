#pragma once
// The two charts of the page "График изменения температуры" as data, independent of any chart
// component: how the conductor warms at the span's current, and the steady conductor
// temperature against the current with the limits of the span report marked.
#include <string>
#include <vector>

#include "engine/SpanReport.h"
#include "engine/Units.h"
#include "model/QEMcom.h"

namespace qem {

struct ChartLine {
    std::vector<std::pair<double, double>> points;  // (x, y), ascending x
    std::string name;                               // legend text
};

// A horizontal (y = value) or vertical (x = value) line across a chart with its label.
struct ChartMark {
    double value = 0;
    std::string label;  // "Tmax = 90 °C"
};

struct TemperatureCharts {
    // Heating at the span's current: temperature over time (min) from the air temperature in
    // 6 s steps until it settles (0.01 K a step) or 100 minutes pass.
    ChartLine heating;
    double steadyTemp = 0;  // C: the temperature the conductor settles at
    double time95 = -1;     // min: 95 % of the rise reached; -1 when not within the curve
    ChartMark steadyMark;   // horizontal
    ChartMark time95Mark;   // vertical

    // Steady temperature against the current of one conductor, 0 ... beyond the maximum
    // allowable current, with the conductor's maximum and the long-term temperature
    // (horizontal) and the maximum, long-term and clearance-limited currents (vertical).
    ChartLine steady;
    std::vector<ChartMark> tempMarks;
    std::vector<ChartMark> currentMarks;
    double currentEnd = 0;  // A: the right end of the current axis
};

// The currents of the span report the charts mark, per conductor (A): maximum, long-term,
// by the ground clearance and by the clearance to each obstacle of the span.
struct ReportCurrents {
    Amperes IMax = 0, ILong = 0, IGround = 0;
    std::vector<std::pair<int, Amperes>> IObst;  // (obstacle number, current)
};

// The currents the charts mark, from the sections of the span report of `span`.
ReportCurrents ChartCurrents(const TySpan& span, const std::vector<SpanCurrents>& sections);

// The charts of the span in its regime (Tvv, Vv, Alfv, Tzv, Iv/Mpr). Calculation errors
// propagate (CalcError).
TemperatureCharts BuildTemperatureCharts(const TySpan& span, Celsius LongTermTemp, const ReportCurrents& c);

}  // namespace qem

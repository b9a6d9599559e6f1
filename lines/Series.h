#pragma once
// Calculation series over air temperature, wind speed and current, and the sweep over
// latitude and span orientation, of the current span: text tables for "111.txt".
#include <string>

#include <optional>

#include "engine/HeatModel.h"
#include "engine/Report.h"
#include "engine/Units.h"
#include "model/QEMcom.h"

namespace qem {

// The six fields of the group "Серия расчетов".
struct SeriesSettings {
    int N1 = 1, N2 = 1, N3 = 1;    // numbers of air temperatures, wind speeds, currents (1..100)
    float dT = 0, dV = 0, dI = 0;  // steps: C, m/s, A for the whole phase
};

struct SeriesOutcome {
    bool failed = false;  // a calculation error ended the table; the last line says where
    std::string error;
};

// A heat-balance model other than the program's own for the series: the model and the span's
// conductor as it reads it.
struct SeriesModel {
    HeatModel model = HeatModel::Qem;
    HeatConductor conductor;
};

// N1*N2*N3 rows, air temperature outermost, current innermost. The span is not changed. The
// rows are worked out in blocks on `jobs` threads and written in their order. A value of the
// span that the heat balance cannot use (engine/UsableValues.h) fails the table before its
// first row, naming the span and the value. With `model`, the conductor temperatures and the
// currents are that model's (engine/HeatModel.h, the regime's sun and sky), and a line above the
// table names it.
SeriesOutcome CalculationSeries(const TySpan& span, const SeriesSettings& s, Celsius LongTermTemp, Report& out,
                                unsigned jobs = 1, const std::optional<SeriesModel>& model = std::nullopt);

// "Модель нагрева: IEEE Std 738-2012, излучательная способность 0.80, поглощательная 0.80": the
// line that names the model of a table (Windows-1251 text: no Greek letters).
std::string SeriesModelLine(const SeriesModel& m);

// 19 latitudes x 19 orientations, one latitude a piece on `jobs` threads. The span is not changed.
SeriesOutcome OrientationSweep(const TySpan& span, Celsius LongTermTemp, Report& out, unsigned jobs = 1);

}  // namespace qem

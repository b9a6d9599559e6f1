#pragma once
// What the page "График изменения температуры" shows of the three heat-balance models beside the
// program's own curves (lines/TemperatureCharts.h), as data: the steady temperature against the
// current by IEEE Std 738 and CIGRE TB 601, and a chart of the short-time emergency: each
// model's temperature over time at its 30-minute current from the steady state at the span's
// present load, with the limit temperature and the 15- and 30-minute currents.
#include <optional>
#include <string>
#include <vector>

#include "engine/HeatModel.h"
#include "engine/ShortTime.h"
#include "lines/ShortTimeCommands.h"
#include "lines/TemperatureCharts.h"

namespace qem {

struct ModelEmergency {
    HeatModel model = HeatModel::Qem;
    Celsius T0 = 0;                   // steady temperature at the present load
    std::optional<Amperes> I15, I30;  // per conductor; none: no overload from the present load
    ChartLine trace;                  // at I30, from T0, to kEmergencyChartEnd
};

struct HeatModelCharts {
    // The steady temperature against the current by the standards, named by the model, over the
    // current axis of the program's own steady chart (its `currentEnd`), up to 400 C.
    std::vector<ChartLine> steady;
    // The emergency of each model, the program's own first.
    std::vector<ModelEmergency> emergency;
    ChartMark limitMark;     // horizontal: "Tдоп = 83 °C (габарит до препятствия 1)"
    ChartMark durationMark;  // vertical at 30 min
    double timeEnd = 0;      // min: the right end of the time axis
};

// The right end of the emergency chart's time axis, min.
inline constexpr Minutes kEmergencyChartEnd = 45;

// The legend text of a model's emergency: "IEEE Std 738-2012: I30 = 712 А, I15 = 760 А" or
// "…: перегрузка недопустима (T = 55 °C)".
std::string EmergencyLegend(const ModelEmergency& e);

// The charts of the span in its regime with the standards' conductor data of `standards` (its
// model is not used), the limit temperature from the sections of its span report and the current
// axis of `base`. Calculation errors propagate (CalcError).
HeatModelCharts BuildHeatModelCharts(const TySpan& span, const std::vector<SpanCurrents>& sections,
                                     const ModelChoice& standards, const TemperatureCharts& base);

}  // namespace qem

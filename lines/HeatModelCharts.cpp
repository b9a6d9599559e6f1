#include "lines/HeatModelCharts.h"

#include "engine/Currents.h"
#include "model/Format.h"

namespace qem {
namespace {

constexpr int kSteadyPoints = 120;
constexpr Minutes kTraceEvery = 0.5;

std::string Amps(const std::optional<Amperes>& I) { return I ? Format("%.0f", *I) + " А" : std::string("—"); }

}  // namespace

std::string EmergencyLegend(const ModelEmergency& e) {
    const std::string name = HeatModelTitle(e.model);
    if (!e.I30) return name + ": перегрузка недопустима (T = " + Format("%.0f", e.T0) + " °C)";
    return name + ": I30 = " + Amps(e.I30) + ", I15 = " + Amps(e.I15);
}

HeatModelCharts BuildHeatModelCharts(const TySpan& span, const std::vector<SpanCurrents>& sections,
                                     const ModelChoice& standards, const TemperatureCharts& base) {
    HeatModelCharts ch;
    const HeatWeather w = SpanRegimeWeather(span);
    const std::vector<Minutes> durations(std::begin(kShortTimeDurations), std::end(kShortTimeDurations));

    for (HeatModel m : {HeatModel::Ieee738, HeatModel::Cigre601}) {
        const HeatConductor c = standards.ConductorOf(span.Pr);
        ChartLine line;
        line.name = HeatModelTitle(m);
        for (int n = 0; n <= kSteadyPoints; ++n) {
            const Amperes I = base.currentEnd * n / kSteadyPoints;
            const Celsius T = SteadyTempOf(m, c, w, I);
            line.points.push_back({I, T});
            if (T >= 400) break;  // beyond the range of the charts
        }
        ch.steady.push_back(std::move(line));
    }

    const LimitTemperature limit = SpanLimitTemperature(span, sections);
    for (HeatModel m : kHeatModels) {
        const HeatConductor c = standards.ConductorOf(span.Pr);
        const SpanShortTime st = SpanShortTimeOf(m, c, span, sections, durations, std::nullopt);
        ModelEmergency e;
        e.model = m;
        e.T0 = st.T0;
        e.I15 = st.ratings[0].I;
        e.I30 = st.ratings[1].I;
        if (e.I30) e.trace.points = TempTrace(m, c, w, st.T0, *e.I30, kEmergencyChartEnd, kTraceEvery);
        e.trace.name = EmergencyLegend(e);
        ch.emergency.push_back(std::move(e));
    }
    ch.limitMark = {limit.T, "Tдоп = " + Format("%.0f", limit.T) + " °C" +
                                 (limit.what == "Tmax" ? std::string(" (Tmax)") : " (" + limit.what + ")")};
    ch.durationMark = {30, "30 мин"};
    ch.timeEnd = kEmergencyChartEnd;
    return ch;
}

}  // namespace qem

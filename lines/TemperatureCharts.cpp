#include "lines/TemperatureCharts.h"

#include <algorithm>

#include "engine/Currents.h"
#include "engine/HeatBalance.h"
#include "model/Format.h"

namespace qem {
namespace {

constexpr int kSteadyPoints = 120;
constexpr double kHeatingTol = 0.01;  // K a step: the curve runs until the conductor has settled

std::string Amps(const char* what, double I) { return std::string(what) + " = " + Format("%.0f", I) + " А"; }
std::string Degs(const char* what, double T) { return std::string(what) + " = " + Format("%.0f", T) + " °C"; }

}  // namespace

ReportCurrents ChartCurrents(const TySpan& span, const std::vector<SpanCurrents>& sections) {
    ReportCurrents c;
    if (sections.empty()) return c;
    c.IMax = sections.front().IMax;
    c.ILong = sections.front().ILong;
    c.IGround = sections.front().IGround;
    for (int k = 1; k <= int(sections.size()) && k <= span.NPrep; ++k)
        if (span.Prep[k].Lprep > 0.1f) c.IObst.push_back({k, sections[std::size_t(k - 1)].IObst});
    return c;
}

TemperatureCharts BuildTemperatureCharts(const TySpan& span, Celsius LongTermTemp, const ReportCurrents& c) {
    TemperatureCharts ch;
    const Amperes I = ConductorCurrent(span);
    const Celsius Ta = span.Tvv;

    // Heating: the trace of the heating curve, the steady temperature, 95 % of the rise.
    const HeatingTrace trace = HeatingCurveTrace(span, I, kHeatingTol);
    ch.heating.name = "Температура провода при " + Format("%.0f", I) + " А";
    ch.heating.points.assign(trace.points.begin(), trace.points.end());
    ch.steadyTemp = ConductorTemp(span, Ta, span.Vv, span.Alfv, I);
    ch.steadyMark = {ch.steadyTemp, "Tуст = " + Format("%.1f", ch.steadyTemp) + " °C"};
    const double rise95 = Ta + 0.95 * (ch.steadyTemp - Ta);
    for (std::size_t n = 1; n < ch.heating.points.size() && ch.steadyTemp - Ta > 0.1; ++n) {
        const auto [t0, T0] = ch.heating.points[n - 1];
        const auto [t1, T1] = ch.heating.points[n];
        if (T1 >= rise95 && T1 > T0) {
            ch.time95 = t0 + (t1 - t0) * (rise95 - T0) / (T1 - T0);
            break;
        }
    }
    if (ch.time95 >= 0) ch.time95Mark = {ch.time95, "95 % нагрева за " + Format("%.1f", ch.time95) + " мин"};

    // Steady temperature against the current, to a quarter beyond the largest marked current.
    double largest = std::max({c.IMax, c.ILong, c.IGround, I, 1.0});
    for (const auto& [k, Io] : c.IObst) largest = std::max(largest, Io);
    ch.currentEnd = 1.25 * largest;
    ch.steady.name = "Установившаяся температура провода";
    for (int n = 0; n <= kSteadyPoints; ++n) {
        const Amperes In = ch.currentEnd * n / kSteadyPoints;
        const Celsius T = ConductorTemp(span, Ta, span.Vv, span.Alfv, In);
        ch.steady.points.push_back({In, T});
        if (T >= 400) break;  // the heat balance holds no further
    }
    ch.tempMarks = {{span.Pr.TMax, Degs("Tmax", span.Pr.TMax)}, {LongTermTemp, Degs("Tдлит", LongTermTemp)}};
    ch.currentMarks = {{c.IMax, Amps("Iмакс", c.IMax)},
                       {c.ILong, Amps("Iдлит", c.ILong)},
                       {c.IGround, Amps("Iгаб (земля)", c.IGround)}};
    for (const auto& [k, Io] : c.IObst)
        ch.currentMarks.push_back({Io, Amps(("Iгаб (преп. " + std::to_string(k) + ")").c_str(), Io)});
    return ch;
}

}  // namespace qem

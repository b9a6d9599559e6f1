// The heat-balance models behind engine/HeatModel.h: the current at a given conductor temperature
// (closed form, the figure of an hourly rating of every span), the steady temperature (bisection)
// and a short-time rating, for АС 240/39 at latitude 55, clear sky, 20 C, 1 m/s across the span.
#include <benchmark/benchmark.h>

#include "engine/HeatModel.h"
#include "tests/core/MechanicsSpan.h"

using namespace qem;

namespace {

struct Case {
    TySpan span = qem::test::ThermalSpan(0);
    HeatConductor c = HeatConductorOf(span.Pr, 0.34);
    HeatWeather w = SpanRegimeWeather(span);
};

// Current at temperature: one evaluation a pass, the temperature varied so that nothing is
// folded away; items per second = evaluations per second on one core.
void BM_CurrentAtTemp(benchmark::State& state) {
    const HeatModel m = HeatModel(state.range(0));
    Case k;
    double T = 60;
    for (auto _ : state) {
        benchmark::DoNotOptimize(CurrentAtTempOf(m, k.c, k.w, T));
        T = T < 120 ? T + 0.01 : 60;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(HeatModelName(m));
}
BENCHMARK(BM_CurrentAtTemp)->ArgName("model")->Arg(0)->Arg(1)->Arg(2);

// The same with the weather of the instant prepared once (PreparedHeat): the conductor
// temperature alone varies, as in a rating at several limit temperatures.
void BM_CurrentAtTempPrepared(benchmark::State& state) {
    const HeatModel m = HeatModel(state.range(0));
    Case k;
    const PreparedHeat p(m, k.c, k.w);
    double T = 60;
    for (auto _ : state) {
        benchmark::DoNotOptimize(p.CurrentAtTemp(T));
        T = T < 120 ? T + 0.01 : 60;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(HeatModelName(m));
}
BENCHMARK(BM_CurrentAtTempPrepared)->ArgName("model")->Arg(0)->Arg(1)->Arg(2);

void BM_SteadyTemp(benchmark::State& state) {
    const HeatModel m = HeatModel(state.range(0));
    Case k;
    for (auto _ : state) benchmark::DoNotOptimize(SteadyTempOf(m, k.c, k.w, 600));
    state.SetLabel(HeatModelName(m));
}
BENCHMARK(BM_SteadyTemp)->ArgName("model")->Arg(0)->Arg(1)->Arg(2);

void BM_ShortTimeCurrent30(benchmark::State& state) {
    const HeatModel m = HeatModel(state.range(0));
    Case k;
    const Celsius T0 = SteadyTempOf(m, k.c, k.w, 400);
    for (auto _ : state) benchmark::DoNotOptimize(ShortTimeCurrent(m, k.c, k.w, T0, 90, 30));
    state.SetLabel(HeatModelName(m));
}
BENCHMARK(BM_ShortTimeCurrent30)->ArgName("model")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

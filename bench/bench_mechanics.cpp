// Per-call cost of the span mechanics: the state-change equation, the span state with its
// clearance scan, and the stress fits to measurements.
#include <benchmark/benchmark.h>

#include "engine/Loads.h"
#include "engine/StateChange.h"
#include "setup/InitialConditions.h"
#include "tests/core/MechanicsSpan.h"

using namespace qem;

namespace {

using qem::test::AC240;

// 300 m span, supports 25 m, support 2 on ground 6 m lower, a ten-point route profile and
// two obstacles.
TySpan ProfiledSpan() {
    TySpan s = qem::test::LevelSpan();
    s.H2 = 94;
    for (int i = 1; i <= 10; ++i) s.Zem[i] = {float(100 - 0.6 * i + (i % 3)), 27.0f * i};
    s.NPrep = 2;
    s.Prep[1] = {100, 7, 0, 0, 0, 9};
    s.Prep[2] = {210, 5, 0, 0, 0, 4};
    s.Zamer[1].Time = 45000;
    s.Zamer[1].HMid = 17.5f;
    s.Zamer[1].Tv = 20;
    s.LZam[1] = 90;
    s.LZam[2] = 210;
    s.HZam[1] = 14;
    s.HZam[2] = 12;
    return s;
}

void BM_StateStress(benchmark::State& state) {
    const TyWire w = AC240();
    const double g0 = WeightSpecificLoad(w);
    double t = 80;
    for (auto _ : state) {
        benchmark::DoNotOptimize(StateStress(w, 8, g0, 25, g0, t, 300, 6));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_StateStress);

void BM_SpanState(benchmark::State& state) {
    TySpan span = ProfiledSpan();
    SpanResult r;
    int k = 1;
    for (auto _ : state) {
        SpanState(span, k, 70, r);
        benchmark::DoNotOptimize(r);
        k = 3 - k;  // obstacles 1 and 2 in turn
    }
}
BENCHMARK(BM_SpanState);

void BM_FitSigmaOnePoint(benchmark::State& state) {
    TySpan span = ProfiledSpan();
    span.Zamer[1].V = state.range(0);  // wind at the measurement: the fit starts further off
    ZamerSag(span, 1);
    for (auto _ : state) benchmark::DoNotOptimize(FitSigmaOnePoint(span, 1));
}
BENCHMARK(BM_FitSigmaOnePoint)->Arg(0)->Arg(8);

void BM_FitSigmaTwoPoints(benchmark::State& state) {
    const TySpan span = ProfiledSpan();
    for (auto _ : state) benchmark::DoNotOptimize(FitSigmaTwoPoints(span, false));
}
BENCHMARK(BM_FitSigmaTwoPoints)->Unit(benchmark::kMillisecond);

}  // namespace

#include <benchmark/benchmark.h>

#include "engine/HeatBalance.h"
#include "tests/core/MechanicsSpan.h"

using namespace qem;

namespace {

// АС 240/39 at latitude 55, clear sky, 20 C, 1 m/s across the span.
TySpan Span240() { return qem::test::ThermalSpan(0); }

void BM_ConductorTemp(benchmark::State& state) {
    const TySpan s = Span240();
    const double I = static_cast<double>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(ConductorTemp(s, s.Tvv, s.Vv, s.Alfv, I));
}
BENCHMARK(BM_ConductorTemp)->ArgName("I")->Arg(300)->Arg(600)->Arg(900);

// 600 A, with the tolerances of the line report (0.1) and the allowable temperatures report (0.01).
void BM_HeatingCurve(benchmark::State& state, double tol) {
    const TySpan s = Span240();
    for (auto _ : state) benchmark::DoNotOptimize(HeatingCurve(s, 600, tol));
}
BENCHMARK_CAPTURE(BM_HeatingCurve, tol_0_1, 0.1);
BENCHMARK_CAPTURE(BM_HeatingCurve, tol_0_01, 0.01);

}  // namespace

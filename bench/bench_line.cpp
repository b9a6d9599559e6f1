// Whole-line calculations on a 110 kV line of 1000 spans of АС 240/39 (250-400 m, supports
// 20-30 m, a five-point route profile, a crossed line and a road in every span, 7-8 kgf/mm2 at
// 25 C, 25 C air, 600 A, clear sky): the line regime report with and without the reference
// states recomputed from the measurements, and the fourteen-temperature conductor rating; and
// one full clearance-current search on a span with a ten-point profile.
#include <benchmark/benchmark.h>

#include "engine/Clearance.h"
#include "engine/LineReport.h"
#include "lines/CalcCommands.h"
#include "lines/ComponentLimits.h"
#include "lines/LimitTable.h"
#include "platform/ScriptedDialogs.h"
#include "tests/core/SyntheticLine.h"

using namespace qem;

namespace {

constexpr int kSpans = 1000;

struct LineFixture {
    Norms norms = test::Norms110();
    CalcEnv env;
    TyLine line = test::UniformLine(kSpans);
    LineFixture() { env.norms = &norms; }
};

void BM_LineRegimeReport(benchmark::State& state) {
    LineFixture f;
    const bool recompute = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        TyLine line = f.line;  // the recomputation changes the reference states
        state.ResumeTiming();
        ScriptedDialogs dlg;
        Report out;
        RecomputeHook hook;
        if (recompute) hook = [&](TySpan& s) { RecomputeInitialConditions(s, f.env); };
        const LineRegimeOutcome o = LineRegimeReport(line, f.env, dlg, out, hook);
        if (o.end != LineRunEnd::Done) state.SkipWithError(o.error.c_str());
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_LineRegimeReport)->ArgName("recompute")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_ComponentLimits(benchmark::State& state) {
    LineFixture f;
    for (auto _ : state) {
        ScriptedDialogs dlg;
        const ComponentTable t = ComponentLimits(f.line, 70, false, dlg, [&](TyLine& l) {
            ScriptedDialogs quiet;
            Report out;
            return LineRegimeReport(l, f.env, quiet, out).minima;
        });
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_ComponentLimits)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

// The fourteen-temperature rating of the line conductor as the limit table and the exports
// run it, on one thread and on two.
void BM_RateLineConductorAll(benchmark::State& state) {
    LineFixture f;
    f.env.jobs = unsigned(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(RateLineConductorAll(f.line, f.env, false));
}
BENCHMARK(BM_RateLineConductorAll)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(3);

// 300 m span, supports 25 m, support 2 on ground 6 m lower, a ten-point route profile and two
// obstacles (a crossed 35 kV line and a road), 25 C, 1 m/s across, clear sky.
TySpan TenPointSpan() {
    TySpan s = test::UniformSpan(1);
    s.Lpr = 300;
    s.Si = 8;
    s.H1 = 100;
    s.H2 = 94;
    s.Hpr1 = s.Hpr2 = 25;
    for (int i = 1; i <= 10; ++i) s.Zem[i] = {float(100 - 0.6 * i + (i % 3)), 27.0f * i};
    s.Prep[1] = {100, 7, 0, 0, 0, 5};
    s.Prep[2] = {210, 0.5f, 0, 0, 0, 9};
    return s;
}

void BM_ClearanceCurrent(benchmark::State& state, ClearanceKind kind) {
    TySpan span = TenPointSpan();
    const double norm = kind == ClearanceKind::Ground ? 7 : 3;
    for (auto _ : state) {
        SpanResult r;
        benchmark::DoNotOptimize(ClearanceCurrent(span, 1, kind, norm, SearchVariant::Regime, r));
    }
}
BENCHMARK_CAPTURE(BM_ClearanceCurrent, ground, ClearanceKind::Ground)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ClearanceCurrent, obstacle, ClearanceKind::Obstacle)->Unit(benchmark::kMicrosecond);

}  // namespace

// Whole-network work with one thread and with several: the allowable temperatures of a
// network of 50 lines of 100 spans each (every line the 110 kV line of the line benchmarks),
// and a large calculation series. Arg = number of threads.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "lines/CalcCommands.h"
#include "lines/Series.h"
#include "model/Network.h"
#include "platform/ScriptedDialogs.h"
#include "tests/core/SyntheticLine.h"

using namespace qem;

namespace {

Network BenchNetwork(int lines, int spans) {
    Network net;
    for (int l = 0; l < lines; ++l) net.Lines.push_back(test::UniformLine(spans));
    net.CurLine = 1;
    return net;
}

void BM_AllowTempAll(benchmark::State& state) {
    Network net = BenchNetwork(50, 100);
    const Norms norms = test::Norms110();
    CalcEnv env;
    env.norms = &norms;
    env.jobs = unsigned(state.range(0));
    const std::string file = (std::filesystem::temp_directory_path() / "qembench-qemras.txt").string();
    for (auto _ : state) {
        ScriptedDialogs dlg;
        Report out;
        if (AllowTempCommand(net, env, dlg, file, true, out) != CommandEnd::Done) state.SkipWithError("failed");
        benchmark::DoNotOptimize(out);
    }
    std::filesystem::remove(file);
}
BENCHMARK(BM_AllowTempAll)->ArgName("jobs")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

void BM_Series(benchmark::State& state) {
    const TySpan span = test::UniformSpan(1);
    SeriesSettings st;
    st.N1 = 50, st.N2 = 20, st.N3 = 100;
    st.dT = 1, st.dV = 0.5f, st.dI = 10;
    for (auto _ : state) {
        Report out;
        if (CalculationSeries(span, st, 70, out, unsigned(state.range(0))).failed) state.SkipWithError("failed");
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_Series)->ArgName("jobs")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace

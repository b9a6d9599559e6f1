// Hourly ratings from weather (lines/HourlyRating.h): a year (8760 hours) of the sample network
// and of the benchmark network of 50 lines of 100 spans, with one and two threads, with the
// clearances of every span included; and, for comparison, the line calculation repeated for an
// hour (what rating each hour by the stepped current search would cost). Counters: span-hours
// per second. Arg 0 = threads; BM_RatingBenchYear Arg 1 = 1 with the limit table of every line
// (the static rating of each hour), 0 without.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "lines/HourlyRating.h"
#include "lines/LimitTable.h"
#include "model/AppData.h"
#include "model/NetworkFile.h"
#include "platform/FileSystem.h"
#include "platform/ScriptedDialogs.h"
#include "tests/core/SyntheticLine.h"

using namespace qem;
namespace fs = std::filesystem;

namespace {

const fs::path kData = fs::path(QEM_BIN_DIR) / "data";

const WeatherData& Year() {
    static const WeatherData w = ReadWeatherFile(PathToUtf8(kData / fs::u8path("Погода за год (синтетическая).csv")));
    return w;
}

void Run(benchmark::State& state, const std::vector<TyLine>& lines, const CalcEnv& env, bool withStatic) {
    std::vector<int> which;
    long long spans = 0;
    for (int l = 1; l <= int(lines.size()); ++l) which.push_back(l), spans += lines[std::size_t(l - 1)].NSpans();
    HourlyOptions o;
    o.longitude = *Year().longitude;
    o.staticRating = withStatic;
    long long spanHours = 0;
    for (auto _ : state) {
        ScriptedDialogs dlg;
        double sum = 0;
        const auto r = RateLinesHourly(
            lines, which, Year(), [&](const TyLine&) { return env; }, o, dlg,
            [&](const LineRatingResult&, const HourRating& h) { sum += h.DDTN; });
        for (const auto& l : r)
            if (l.summary.rated != l.summary.hours) state.SkipWithError("hours not rated");
        benchmark::DoNotOptimize(sum);
        spanHours += spans * (long long)Year().series[0].hours.size();
    }
    state.counters["span_hours_per_s"] = benchmark::Counter(double(spanHours), benchmark::Counter::kIsRate);
}

void BM_RatingSampleYear(benchmark::State& state) {
    static const AppData d = LoadAll(kData, false);
    static const std::vector<TyLine> lines = ReadNetwork(PathToUtf8(kData / fs::u8path("Пример сети.qem")));
    CalcEnv env{&d.norms, d.settings.LongTermTemp, ZamerMode::OnePoint, false, unsigned(state.range(0))};
    Run(state, lines, env, true);
}
BENCHMARK(BM_RatingSampleYear)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2);

void BM_RatingBenchYear(benchmark::State& state) {
    static const Norms norms = test::Norms110();
    static const std::vector<TyLine> lines(50, test::RatedLine(100));
    CalcEnv env;
    env.norms = &norms;
    env.jobs = unsigned(state.range(0));
    Run(state, lines, env, state.range(1) != 0);
}
BENCHMARK(BM_RatingBenchYear)
    ->ArgNames({"jobs", "static"})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// The naive way: the stepped line calculation of every line for one hour (the limit table's
// rating of one temperature), per hour of the benchmark network.
void BM_NaiveHourBench(benchmark::State& state) {
    static const Norms norms = test::Norms110();
    static const std::vector<TyLine> lines(50, test::RatedLine(100));
    CalcEnv env;
    env.norms = &norms;
    long long spanHours = 0;
    for (auto _ : state) {
        for (const TyLine& l : lines) {
            const ConductorRating r = RateLineConductor(l, env, 20);
            if (!r.rated()) state.SkipWithError(r.failure.c_str());
            spanHours += l.NSpans();
        }
    }
    state.counters["span_hours_per_s"] = benchmark::Counter(double(spanHours), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_NaiveHourBench)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

}  // namespace

// The spreadsheet export of all lines of a network of 50 lines of 100 spans (the 110 kV line of
// АС 240/39 of the line benchmarks, with busbar connections, buses and terminal equipment at
// both ends): 14 line calculations per line, every line's workbook and the summary. Beside it,
// the workbook side alone (the tables written and saved from ratings computed beforehand), to
// show what writing the workbooks costs next to the calculation.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "lines/Exports.h"
#include "lines/LimitTable.h"
#include "model/NetworkFile.h"
#include "platform/FileSystem.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Workbook.h"
#include "tests/core/SyntheticLine.h"

using namespace qem;
namespace fs = std::filesystem;

namespace {

constexpr int kLines = 50;
constexpr int kSpans = 100;

TyKO Equipment(const char* name, int amps) {
    TyKO k;
    k.Name.assign(name);
    k.FullName.assign(name);
    for (int e = 1; e <= 13; ++e) k.DDTN[e] = amps - 10 * e, k.ADTN[e] = amps + 200 - 10 * e;
    return k;
}

struct ExportFixture {
    fs::path dir;
    Norms norms = test::Norms110();
    CalcEnv env;
    Network net;
    ExportSettings settings;
    ExportFixture() {
        std::random_device rd;
        dir = fs::temp_directory_path() / ("qembench-export-" + std::to_string(rd()));
        fs::create_directories(dir);
        for (const char* t : {kLineTemplate, kSummaryTemplate})
            fs::copy_file(fs::path(QEM_BIN_DIR) / "data" / fs::u8path(t), dir / fs::u8path(t));
        env.norms = &norms;
        for (int i = 1; i <= kLines; ++i) {
            TyLine l = test::UniformLine(kSpans);
            l.NVL = i;
            l.From.assign("A" + std::to_string(i));
            l.To.assign("B" + std::to_string(i));
            l.Bus1 = l.Bus2 = l.Bus3 = l.Bus4 = test::CatalogWire(2);
            l.KOSwitch1 = l.KOSwitch2 = Equipment("Q", 2000);
            l.KODisc1 = l.KODisc2 = Equipment("QS", 1600);
            l.KOTrap1 = l.KOTrap2 = Equipment("W", 1000);
            l.KOCT1 = l.KOCT2 = Equipment("TA", 800);
            net.Lines.push_back(l);
        }
        net.CurLine = 1;
        net.NetFileName = PathToUtf8(dir / "net.qem");
        WriteNetwork(net);
        settings.dataDir = dir;
    }
    ~ExportFixture() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

void BM_ExportAllLines(benchmark::State& state) {
    ExportFixture f;
    f.env.jobs = unsigned(state.range(0));
    for (auto _ : state) {
        ScriptedDialogs dlg;
        const ExportResult r = ExportAllLines(f.net, f.env, f.settings, dlg);
        if (r.end != CommandEnd::Done || !r.unrated.empty()) state.SkipWithError("the export did not complete");
    }
}
BENCHMARK(BM_ExportAllLines)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(3);

void BM_ExportWorkbooksOnly(benchmark::State& state) {
    ExportFixture f;
    std::vector<ConductorRatings> ratings;
    for (const TyLine& l : f.net.Lines) ratings.push_back(*RateLineConductorAll(l, f.env, false));
    const Bytes lineTemplate = ReadWholeFile(PathToUtf8(f.dir / fs::u8path(kLineTemplate)));
    for (auto _ : state) {
        ScriptedDialogs dlg;
        Workbook summary = Workbook::Open(PathToUtf8(f.dir / fs::u8path(kSummaryTemplate)));
        for (int i = 0; i < kLines; ++i) {
            Workbook wb = Workbook::FromBytes(lineTemplate);
            CalculateAllLine(f.net.Lines[i], ratings[i], 70, false, dlg, wb.FirstSheet());
            CopyRange(wb.FirstSheet(), "A1:T5", summary.FirstSheet(), CellName(34 * i + 1, 1));
            wb.Save(PathToUtf8(f.dir / ("line" + std::to_string(i) + ".xlsx")));
        }
        summary.Save(PathToUtf8(f.dir / "summary.xlsx"));
    }
}
BENCHMARK(BM_ExportWorkbooksOnly)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

}  // namespace

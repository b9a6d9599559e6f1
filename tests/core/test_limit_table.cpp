// The whole-line limit table in the shipped template, the line conductor's ratings as
// independent calculations, and the three exports with their refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "ReportFixtures.h"
#include "TempFolder.h"
#include "lines/CalcCommands.h"
#include "lines/Exports.h"
#include "lines/LimitTable.h"
#include "model/AppData.h"
#include "model/Cp1251.h"
#include "model/NetworkFile.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Workbook.h"

using namespace qem;
namespace fs = std::filesystem;

namespace {

const fs::path kData = fs::path(QEM_BIN_DIR) / "data";

Workbook Template() { return Workbook::Open(PathToUtf8(kData / fs::u8path(kLineTemplate))); }

// Ratings of a conductor: ДДТН 900 - 10c, АДТН 1000 - 10c at the c-th temperature.
ConductorRatings Rated() {
    ConductorRatings r;
    for (int c = 0; c < kLimitTemps; ++c) {
        r[c].T = LimitTemp(c);
        r[c].DDTN = 900.4 - 10 * c;
        r[c].ADTN = 1000 - 10 * c;
    }
    return r;
}

TyKO Equipment(const char* name, int ddtn, int adtn) {
    TyKO k;
    k.Name.assign(Utf8ToCp1251(name));
    k.FullName.assign(Utf8ToCp1251(std::string(name) + " полное имя"));
    for (int e = 1; e <= 13; ++e) k.DDTN[e] = ddtn, k.ADTN[e] = adtn;
    return k;
}

// The line of the report tests with a second conductor per phase in span 1.
TyLine BareLine() {
    TyLine l = qem::test::TestLine();
    l.Spans = {qem::test::TwoObstacleSpan()};
    l.NVL = 17;
    return l;
}

std::set<std::string> Filled(const Sheet& s, int r1, int r2, int c1, int c2) {
    std::set<std::string> out;
    for (int r = r1; r <= r2; ++r)
        for (int c = c1; c <= c2; ++c)
            if (s.Value(r, c).kind != CellKind::Empty) out.insert(CellName(r, c));
    return out;
}

}  // namespace

// A line without cable insert, buses or equipment: the fixed cells, rows 5 and 6, T5; the work
// area emptied; rows 33 and 34 keep their formulas with the conductor's values as results.
TEST(LimitTable, BareLineGetsTheFixedCellsOnly) {
    Workbook wb = Template();
    Sheet& s = wb.FirstSheet();
    TyLine l = BareLine();
    l.NBus2 = 0;
    ScriptedDialogs dlg;
    const LimitTableOutcome o = CalculateAllLine(l, Rated(), 70, false, dlg, s);
    ASSERT_TRUE(o.written);
    EXPECT_TRUE(o.unrated.empty());
    EXPECT_EQ(l.NBus2, 1);  // the wire-count correction stays
    EXPECT_EQ(s.Value(5, 1).kind, CellKind::Number);
    EXPECT_EQ(s.Text("A5"), "17");
    EXPECT_EQ(s.Text("B5"), "ВЛ 110кВ ПС Лесная-ПС Озёрная");
    EXPECT_EQ(s.Text("C33"), "ВЛ 110кВ ПС Лесная-ПС Озёрная");
    EXPECT_EQ(s.Text("C9"), "ПС 110 кВ ПС Лесная");
    EXPECT_EQ(s.Text("C21"), "ПС 110 кВ ПС Озёрная");
    EXPECT_EQ(s.Text("E5"), "2x                           АС- 240/ 39");
    for (const char* c : {"E9", "E11", "E21", "E23"}) EXPECT_EQ(s.Text(c), "") << c;
    // "%5.0f" of the ratings, as numbers.
    EXPECT_EQ(s.Text("F5"), "900");
    EXPECT_EQ(s.Text("S5"), "770");
    EXPECT_EQ(s.Text("G6"), "990");
    std::set<std::string> rows56;
    for (int c = 6; c <= 19; ++c) rows56.insert(CellName(5, c)), rows56.insert(CellName(6, c));
    EXPECT_EQ(Filled(s, 5, 32, 6, 19), rows56);
    EXPECT_TRUE(Filled(s, 7, 32, 5, 5).empty());
    EXPECT_EQ(s.Formula(33, 6), "MIN(F5,F7,F9,F11,F13,F15,F17,F19,F21,F23,F25,F27,F29,F31)");
    EXPECT_EQ(s.Text("F33"), "900");
    EXPECT_EQ(s.Text("S34"), "870");
    EXPECT_EQ(s.Text("T5"), "ДДТН ограничивает: провод ВЛ. АДТН ограничивает: провод ВЛ.");
    EXPECT_TRUE(Filled(s, 35, 62, 1, 17).empty());
    EXPECT_EQ(o.limits.DDTN[0], 900);
    EXPECT_EQ(o.limits.ADTN[13], 870);
}

// Cable insert, buses and equipment: their rows, S = R, the tables' 500000 as empty cells, the
// type designations in column E, the line's limits and the limiting components.
TEST(LimitTable, ComponentsTheirRowsAndTheLimitingText) {
    Workbook wb = Template();
    Sheet& s = wb.FirstSheet();
    TyLine l = BareLine();
    l.CabDDTN = 520.5f;
    l.CabADTN = 0;  // no emergency limit of the cable insert
    l.Bus2 = qem::test::AC240();
    l.Bus2.Name.assign(Utf8ToCp1251("А-600"));
    l.NBus2 = 3;
    l.KOSwitch1 = Equipment("ВГ-110", 2000, 2000);
    l.KOCT2 = Equipment("ТТ-110", 800, 850);
    l.KOCT2.DDTN[1] = 500;          // the current transformer limits ДДТН at -20 C
    l.KOCT2.ADTN[13] = NoLimit;     // and has no АДТН at +40 and +45 C
    l.KOSwitch1.DDTN[4] = NoLimit;  // nor the switch ДДТН at -5 C
    ScriptedDialogs dlg;
    const LimitTableOutcome o = CalculateAllLine(l, Rated(), 70, false, dlg, s);
    ASSERT_TRUE(o.written);
    EXPECT_EQ(s.Text("E21"), "3 А-600");
    EXPECT_EQ(s.Text("E13"), "ВГ-110");
    EXPECT_EQ(s.Text("E31"), "ТТ-110");
    for (int c = 6; c <= 19; ++c) {
        EXPECT_EQ(s.Text(7, c), "520.5");
        EXPECT_EQ(s.Value(8, c).kind, CellKind::Empty);
        EXPECT_EQ(s.Value(21, c).kind, CellKind::Number);  // Bus2
        EXPECT_EQ(s.Value(23, c).kind, CellKind::Empty);   // Bus4 absent
    }
    EXPECT_EQ(s.Text("S13"), s.Text("R13"));
    EXPECT_EQ(s.Text("S13"), "2000");
    EXPECT_EQ(s.Value(13, 9).kind, CellKind::Empty);  // I13: -5 C, 500000
    EXPECT_EQ(s.Text("F31"), "500");
    EXPECT_EQ(s.Value(32, 18).kind, CellKind::Empty);  // R32, S32: 500000
    EXPECT_EQ(s.Value(32, 19).kind, CellKind::Empty);
    // ДДТН: the current transformer at -20 C (500), the cable insert (520.5) from -15 C on up to
    // where the conductor falls below it; АДТН: the conductor, and the transformer at 850.
    EXPECT_EQ(s.Text("F33"), "500");
    EXPECT_EQ(s.Text("G33"), "520.5");
    EXPECT_EQ(s.Text("S33"), "520.5");
    EXPECT_EQ(s.Text("F34"), "850");
    EXPECT_EQ(s.Text("S34"), "870");
    const std::string end2 = "трансформатор тока (ПС 110 кВ ПС Озёрная)";
    EXPECT_EQ(s.Text("T5"),
              "ДДТН ограничивает: кабельная вставка, " + end2 + ". АДТН ограничивает: провод ВЛ, " + end2 + ".");
    EXPECT_EQ(o.limits.ddtnText + o.limits.adtnText, s.Text("T5"));
}

// The line conductor in the limiting text: the span that limits it and why, at the
// temperatures where it limits the line, in runs of the same reason.
TEST(LimitTable, LimitingTextNamesTheConductorsSpanAndReason) {
    TyLine l = BareLine();
    l.CabDDTN = 850;  // the cable insert limits ДДТН up to +5 C, the conductor from +5 C on
    ConductorRatings r = Rated();
    for (int c = 0; c < kLimitTemps; ++c) {
        r[c].ddtnBy = c < 11 ? "пролёт 1 - 2: нагрев" : "пролёт 3 - 4: габарит до земли";
        r[c].adtnBy = "пролёт 5 - 6: габарит до препятствия 1 «ВЛ 110кВ»";
    }
    Workbook wb = Template();
    ScriptedDialogs dlg;
    const LimitTableOutcome o = CalculateAllLine(l, r, 70, false, dlg, wb.FirstSheet());
    ASSERT_TRUE(o.written);
    EXPECT_EQ(o.limits.ddtnText,
              "ДДТН ограничивает: провод ВЛ (пролёт 1 - 2: нагрев при +5…+30 °C; пролёт 3 - 4: габарит до земли при "
              "+35…+45 °C), кабельная вставка. ");
    EXPECT_EQ(o.limits.adtnText, "АДТН ограничивает: провод ВЛ (пролёт 5 - 6: габарит до препятствия 1 «ВЛ 110кВ»).");
    EXPECT_EQ(wb.FirstSheet().Text("T5"), o.limits.ddtnText + o.limits.adtnText);
    // Without the ratings' reasons the text is the template's own.
    EXPECT_EQ(CombineLimits(wb.FirstSheet()).adtnText, "АДТН ограничивает: провод ВЛ.");
}

// A conductor without a rating: rows 5 and 6 empty, never a value; the reason in T5; the
// message names the line and the temperature. A failing bus rating writes nothing.
TEST(LimitTable, UnratedConductorAndFailingBus) {
    Workbook wb = Template();
    Sheet& s = wb.FirstSheet();
    TyLine l = BareLine();
    ConductorRatings r = Rated();
    r[5].DDTN = r[5].ADTN = std::nullopt;
    r[5].failure = "Невозможно рассчитать напряжение в проводе, проверьте данные второго замера в пролёте № 3 - 4";
    ScriptedDialogs dlg;
    const LimitTableOutcome o = CalculateAllLine(l, r, 70, false, dlg, s);
    ASSERT_TRUE(o.written);
    EXPECT_TRUE(Filled(s, 5, 6, 6, 19).empty());
    EXPECT_EQ(s.Text("T5"), "Провод ВЛ не рассчитан: " + r[5].failure);
    EXPECT_EQ(o.message,
              "ВЛ 110 кВ ПС Лесная-ПС Озёрная: провод ВЛ не рассчитан при температуре воздуха 5 °C: " + r[5].failure);
    EXPECT_EQ(s.Value(33, 6).kind, CellKind::Empty);
    EXPECT_TRUE(dlg.shown.empty());

    Workbook wb2 = Template();
    TyLine hot = BareLine();
    hot.Bus3 = qem::test::AC240();
    hot.Bus1 = hot.Bus3;
    hot.Bus3.TMax = 30;  // below +35 C: the emergency rating has no real root
    hot.Bus1.TMax = 30;
    const LimitTableOutcome f = CalculateAllLine(hot, Rated(), 70, false, dlg, wb2.FirstSheet());
    EXPECT_FALSE(f.written);
    EXPECT_EQ(dlg.Texts(), (std::vector<std::string>{"Ошибка при расчёте ошиновки 1", "Ошибка при расчёте шины 1"}));
    EXPECT_EQ(wb2.FirstSheet().Text("B5"), "");
    EXPECT_EQ(hot.Bus1, hot.Bus3);
}

// Each temperature is rated on its own copy of the line and gives what the line calculation of
// the main window gives with every span at that temperature; the line itself is untouched.
TEST(LimitTable, RatingsAreIndependentCopiesOfTheLineCalculation) {
    AppData d = LoadAll(kData, false);
    Network net;
    net.NetFileName = PathToUtf8(kData / fs::u8path("Пример сети.qem"));
    ReadNetwork(net);
    net.CurLine = 1;
    CalcEnv env{&d.norms, d.settings.LongTermTemp, ZamerMode::OnePoint, false};
    const TyLine before = net.Line(1);
    const auto ratings = RateLineConductorAll(net.Line(1), env, false);
    ASSERT_TRUE(ratings);
    EXPECT_EQ(net.Line(1), before);
    for (int c : {0, 9, 13}) {
        Network at = net;
        for (auto& s : at.Line(1).Spans) s.Tvv = float(LimitTemp(c));
        ScriptedDialogs dlg;
        Report out;
        const LineCommandResult run = UncheckedLineRegimeCommand(at, env, dlg, out);
        const LineMinima& m = run.outcome.minima;
        const ConductorRating& r = (*ratings)[c];
        ASSERT_TRUE(r.rated()) << r.failure;
        EXPECT_EQ(*r.DDTN, std::min(m.LineILong, m.LineIClr));
        EXPECT_EQ(*r.ADTN, std::min(m.LineIMax, m.LineIClr));
        EXPECT_EQ(r.report.PlainText(), out.PlainText());
    }
    // A measurement check that fails: no rating, the check's message and span, at every temperature.
    TyLine bad = before;
    bad.Span(3).Zamer[1].HMid = 1000;
    const ConductorRating r = RateLineConductor(bad, env, 10);
    EXPECT_FALSE(r.rated());
    EXPECT_FALSE(r.DDTN || r.ADTN);
    EXPECT_EQ(r.span, 3);
    EXPECT_EQ(r.failure,
              "Невозможно рассчитать напряжение в проводе, проверьте данные замера в середине пролёта № 3 - 4");
    // Cancelled between temperatures.
    int steps = 0;
    EXPECT_FALSE(RateLineConductorAll(before, env, false, 1, [&](int) { return ++steps < 2; }));
    EXPECT_EQ(steps, 2);
}

// Lines of more than 1000 spans are rated like any other (no table of saved air temperatures):
// the spans of a sample line repeated to 1200 give that line's own rating.
TEST(LimitTable, LinesOfMoreThanAThousandSpans) {
    AppData d = LoadAll(kData, false);
    const CalcEnv env{&d.norms, d.settings.LongTermTemp, ZamerMode::OnePoint, false};
    const TyLine line = ReadNetwork(PathToUtf8(kData / fs::u8path("Пример сети.qem")))[0];
    TyLine longLine = line;
    while (longLine.NSpans() < 1200) longLine.Spans.push_back(line.Spans[longLine.Spans.size() % line.Spans.size()]);
    const ConductorRating own = RateLineConductor(line, env, 10), r = RateLineConductor(longLine, env, 10);
    ASSERT_TRUE(r.rated()) << r.failure;
    EXPECT_EQ(*r.DDTN, *own.DDTN);
    EXPECT_EQ(*r.ADTN, *own.ADTN);
}

namespace {

// A data folder with the shipped templates and a network of the given lines, open in `net`.
struct ExportFolder {
    qemtest::TempFolder dir;
    AppData data;
    Network net;
    CalcEnv env;
    ScriptedDialogs dlg;
    ExportSettings settings;
    explicit ExportFolder(std::vector<TyLine> lines) {
        for (const auto& e : fs::directory_iterator(kData))
            if (e.path().extension() == ".cat" || e.path().extension() == ".xlsx") fs::copy(e.path(), dir.path);
        data = LoadAll(dir.path, false);
        net.Lines = std::move(lines);
        net.CurLine = 1;
        net.NetFileName = PathToUtf8(dir / "сеть.qem");
        WriteNetwork(net);
        env = CalcEnv{&data.norms, 70, ZamerMode::OnePoint, false};
        settings.dataDir = dir.path;
    }
    std::set<std::string> Files() const {
        std::set<std::string> f;
        for (const auto& e : fs::directory_iterator(dir.path)) f.insert(PathToUtf8(e.path().filename()));
        return f;
    }
};

std::vector<TyLine> SampleLines() { return ReadNetwork(PathToUtf8(kData / fs::u8path("Пример сети.qem"))); }

}  // namespace

// Line names with characters a file name cannot hold ("ПС 110/10 Лесная" is a usual substation
// name) make a safe file name in the data folder, everything else kept; `out` is used as given.
TEST(Exports, LineNamesMakeSafeFileNames) {
    ExportFolder f(SampleLines());
    const struct {
        const char* from;
        const char* file;
    } cases[] = {
        {"ПС 110/10 Лесная", "ПС 110_10 Лесная ПС Северная.xlsx"},
        {"../ПС", "_ПС ПС Северная.xlsx"},
        {"ПС\tЮжная", "ПС_Южная ПС Северная.xlsx"},
        {"ПС:Южная*?", "ПС_Южная__ ПС Северная.xlsx"},
        {"a..b", "a..b ПС Северная.xlsx"},
        {"\\ПС \"А\" <1>|", "_ПС _А_ _1__ ПС Северная.xlsx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from);
        f.net.Line(1).From.assign(Utf8ToCp1251(c.from));
        EXPECT_EQ(LineWorkbookName(f.net.Line(1)), c.file);
        const ExportResult r = ExportLineTable(f.net, f.env, f.settings, f.dlg);
        ASSERT_EQ(r.end, CommandEnd::Done) << ::testing::PrintToString(f.dlg.Texts());
        EXPECT_EQ(r.written, std::vector<std::string>{PathToUtf8(f.dir / fs::u8path(c.file))});
    }
    // Nothing but blanks and dots: the name of an unnamed line; too long: cut between characters.
    f.net.Line(1).From.assign(Utf8ToCp1251(" ."));
    f.net.Line(1).To.assign(Utf8ToCp1251(". "));
    EXPECT_EQ(LineWorkbookName(f.net.Line(1)), "ВЛ без названия.xlsx");
    EXPECT_EQ(SafeFileName(std::string(300, 'x'), ".xlsx", "-").size(), 255u);
    EXPECT_EQ(SafeFileName(std::string(200, 'x') + std::string(100, '\xD0'), ".xlsx", "-").size() % 2, 1u);
    EXPECT_EQ(SafeFileName("con", ".xlsx", "-"), "con_.xlsx");
    EXPECT_EQ(SafeFileName("..", "", "-"), "-");
    // Given `out`, the export writes there whatever the line's names.
    f.net.Line(1).From.assign(Utf8ToCp1251("ПС 110/10 Лесная"));
    ExportSettings there = f.settings;
    there.out = PathToUtf8(f.dir / "своя.xlsx");
    EXPECT_EQ(ExportLineTable(f.net, f.env, there, f.dlg).written, std::vector<std::string>{there.out});
}

TEST(Exports, RefusalsWriteNothing) {
    ExportFolder f(SampleLines());
    const auto files = f.Files();
    // A line named like a template would overwrite it.
    f.net.Line(1).From.assign(Utf8ToCp1251("шаблон"));
    f.net.Line(1).To.assign(Utf8ToCp1251("экспорта2"));
    f.dlg.shown.clear();
    EXPECT_EQ(ExportLineTable(f.net, f.env, f.settings, f.dlg).end, CommandEnd::Stopped);
    ASSERT_EQ(f.dlg.shown.size(), 1u);
    EXPECT_EQ(f.dlg.shown[0].buttons, Buttons::Yes);
    EXPECT_EQ(f.Files(), files);
    // So would a line named like the summary: the all-lines export skips its workbook and says so.
    f.net.Line(1).From.assign(Utf8ToCp1251("Все_ВЛ"));
    f.net.Line(1).To.assign("");
    f.dlg.shown.clear();
    ExportSettings elsewhere = f.settings;
    elsewhere.out = PathToUtf8(f.dir / "сводка.xlsx");
    const ExportResult all = ExportAllLines(f.net, f.env, elsewhere, f.dlg);
    EXPECT_EQ(all.end, CommandEnd::Done);
    ASSERT_EQ(all.skipped.size(), 1u);
    EXPECT_EQ(all.skipped[0],
              "Файл «Все_ВЛ.xlsx» — книга другой выгрузки: книга линии ВЛ 110 кВ Все_ВЛ- не может "
              "занять его имя");
    EXPECT_FALSE(fs::exists(f.dir / fs::u8path(kSummaryWorkbook)));
    f.dlg.documents.clear();
    // The network file gone: "Файл не выбан", titled "ошибка".
    fs::remove(PathFromUtf8(f.net.NetFileName));
    f.dlg.shown.clear();
    EXPECT_EQ(ExportAllLines(f.net, f.env, f.settings, f.dlg).end, CommandEnd::Stopped);
    ASSERT_EQ(f.dlg.shown.size(), 1u);
    EXPECT_EQ(f.dlg.shown[0].text, "Файл не выбан");
    EXPECT_EQ(f.dlg.shown[0].title, "ошибка");
    EXPECT_TRUE(f.dlg.documents.empty());
}

TEST(Exports, WorkbooksAreWrittenWholeOrNotAtAll) {
    ExportFolder f(SampleLines());
    // Full export: the line's workbook, handed to the user; a second run replaces it.
    const std::string w1 = PathToUtf8(f.dir / "ПС Южная ПС Северная.xlsx");
    ExportResult r = ExportLineTable(f.net, f.env, f.settings, f.dlg);
    ASSERT_EQ(r.end, CommandEnd::Done) << ::testing::PrintToString(f.dlg.Texts());
    EXPECT_EQ(r.written, std::vector<std::string>{w1});
    EXPECT_EQ(f.dlg.documents, std::vector<std::string>{w1});
    EXPECT_FALSE(r.lineReport.lines.empty());
    Workbook::Open(w1).FirstSheet().Text("B5");
    // Minimal export: "2.xlsx" only.
    const std::string two = PathToUtf8(f.dir / "2.xlsx");
    fs::remove(PathFromUtf8(w1));
    r = ExportLineLimits(f.net, f.env, f.settings, f.dlg);
    ASSERT_EQ(r.end, CommandEnd::Done);
    EXPECT_EQ(r.written, std::vector<std::string>{two});
    EXPECT_FALSE(fs::exists(PathFromUtf8(w1)));
    const Workbook shortWb = Workbook::Open(two);
    EXPECT_EQ(shortWb.FirstSheet().Text("A4"), "ВЛ 110кВ ПС Южная-ПС Северная");
    EXPECT_EQ(shortWb.FirstSheet().Value(5, 15).kind, CellKind::Number);

    // All lines, cancelled after the first steps: no summary, the files as they were.
    const auto files = f.Files();
    f.dlg.cancelAfterProgress = true;
    f.dlg.shown.clear();
    r = ExportAllLines(f.net, f.env, f.settings, f.dlg);
    EXPECT_EQ(r.end, CommandEnd::Stopped);
    EXPECT_EQ(f.dlg.Texts(), std::vector<std::string>{"Выгрузка прервана пользователем: книга не записана"});
    EXPECT_EQ(f.Files(), files);
    f.dlg.cancelAfterProgress = false;
    f.dlg.progress.clear();

    // Cancelled once the first line's workbook was written: the message names it, and no
    // summary is written.
    struct CancelInLine2 : ScriptedDialogs {
        bool Cancelled() override { return !progress.empty() && progress.back() > kLimitTemps; }
    } late;
    r = ExportAllLines(f.net, f.env, f.settings, late);
    EXPECT_EQ(r.end, CommandEnd::Stopped);
    const std::string line1 = PathToUtf8(f.dir / "ПС Южная ПС Северная.xlsx");
    EXPECT_EQ(r.written, std::vector<std::string>{line1});
    EXPECT_EQ(late.Texts(), std::vector<std::string>{"Выгрузка прервана пользователем: сводная книга не записана. "
                                                     "Записаны книги линий:\n" +
                                                     line1});
    EXPECT_TRUE(fs::exists(PathFromUtf8(line1)));
    EXPECT_FALSE(fs::exists(f.dir / kSummaryWorkbook));
    fs::remove(PathFromUtf8(line1));

    // A summary that cannot be saved (its folder is missing): a message, no workbook.
    ExportSettings elsewhere = f.settings;
    elsewhere.out = PathToUtf8(f.dir / "нет папки" / "сводка.xlsx");
    f.dlg.shown.clear();
    r = ExportAllLines(f.net, f.env, elsewhere, f.dlg);
    EXPECT_EQ(r.end, CommandEnd::Failed);
    EXPECT_FALSE(fs::exists(PathFromUtf8(elsewhere.out)));

    // All lines: the summary named so no line's workbook can take it; the current line stays.
    f.net.CurLine = 2;
    f.dlg.documents.clear();
    r = ExportAllLines(f.net, f.env, f.settings, f.dlg);
    ASSERT_EQ(r.end, CommandEnd::Done);
    EXPECT_EQ(f.net.CurLine, 2);
    EXPECT_EQ(r.written.size(), 4u);
    EXPECT_EQ(f.dlg.documents, std::vector<std::string>{PathToUtf8(f.dir / kSummaryWorkbook)});
    const Workbook sum = Workbook::Open(f.dlg.documents[0]);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(sum.FirstSheet().Text(34 * i + 5, 2), LineTitle(f.net.Line(i + 1))) << i;

    // A missing template: a message naming it, nothing written.
    fs::remove(f.dir / fs::u8path(kShortTemplate));
    f.dlg.shown.clear();
    r = ExportLineLimits(f.net, f.env, f.settings, f.dlg);
    EXPECT_EQ(r.end, CommandEnd::Failed);
    ASSERT_FALSE(f.dlg.shown.empty());
    EXPECT_NE(f.dlg.shown.back().text.find(kShortTemplate), std::string::npos);
}

// Each block of the summary: the head of the line's table (A1:T5) where it always was, and under
// the conductor's row the line's own ДДТН and АДТН (rows 33 and 34 of its table) with what
// limits them beside, tall enough to be read whole.
TEST(Exports, SummaryShowsWhatEachLineMayCarry) {
    ExportFolder f(SampleLines());
    ASSERT_EQ(ExportAllLines(f.net, f.env, f.settings, f.dlg).end, CommandEnd::Done);
    const Workbook sum = Workbook::Open(PathToUtf8(f.dir / kSummaryWorkbook));
    const Sheet& s = sum.FirstSheet();
    for (int i = 1; i <= f.net.NLines(); ++i) {
        SCOPED_TRACE(i);
        const int top = 34 * (i - 1) + 1;
        const Workbook own = Workbook::Open(PathToUtf8(f.dir / fs::u8path(LineWorkbookName(f.net.Line(i)))));
        const Sheet& t = own.FirstSheet();
        for (int r = 1; r <= 5; ++r)
            for (int c = 1; c <= 20; ++c) EXPECT_EQ(s.Text(top + r - 1, c), t.Text(r, c)) << CellName(r, c);
        EXPECT_EQ(s.Text(top + 5, 4), "ВЛ в целом, ДДТН");
        EXPECT_EQ(s.Text(top + 6, 4), "ВЛ в целом, АДТН");
        EXPECT_EQ(s.Text(top + 5, 3), LineTitle(f.net.Line(i)));
        for (int c = 6; c <= 19; ++c) {
            EXPECT_EQ(s.Text(top + 5, c), t.Text(33, c));
            EXPECT_EQ(s.Text(top + 6, c), t.Text(34, c));
            EXPECT_EQ(s.Formula(top + 5, c), "");  // values: the component rows are not in the summary
        }
        const std::string t5 = s.Text(top + 4, 20);
        // Where the conductor limits the line, its span and reason are named.
        if (t5.find("провод ВЛ") != std::string::npos)
            EXPECT_NE(t5.find("провод ВЛ (пролёт "), std::string::npos) << t5;
        const auto merged = s.MergedRanges();
        for (int col : {1, 2, 20})
            EXPECT_NE(
                std::find_if(merged.begin(), merged.end(),
                             [&](const CellRange& m) {
                                 return m.first == CellAddress{top + 4, col} && m.last == CellAddress{top + 6, col};
                             }),
                merged.end())
                << col;
        for (int r = top + 7; r < top + 34; ++r)
            for (int c = 1; c <= 20; ++c) EXPECT_EQ(s.Value(r, c).kind, CellKind::Empty) << CellName(r, c);
    }
    // Sample line 1: its conductor carries 726 A at -20 C, the line only the cable insert's 520 A.
    EXPECT_EQ(s.Text("F5"), "726");
    EXPECT_EQ(s.Text("F6"), "520");
    EXPECT_NE(s.Text("T5").find("кабельная вставка"), std::string::npos);
}

// The all-lines export on two threads writes the same workbooks, cell for cell.
TEST(Exports, AllLinesOnTwoThreadsWriteWhatOneThreadWrites) {
    std::map<std::string, std::string> cells[2];
    for (unsigned jobs : {1u, 2u}) {
        ExportFolder f(SampleLines());
        f.env.jobs = jobs;
        ASSERT_EQ(ExportAllLines(f.net, f.env, f.settings, f.dlg).end, CommandEnd::Done);
        for (const std::string& file : f.Files()) {
            // The shipped templates (export and import) are not written by the export.
            if (fs::path(file).extension() != ".xlsx" || file.rfind("шаблон", 0) == 0 || file.rfind("Шаблон", 0) == 0)
                continue;
            const Workbook book = Workbook::Open(PathToUtf8(f.dir / file));
            const Sheet& sheet = book.FirstSheet();
            const CellAddress last = sheet.LastUsedCell();
            std::string& t = cells[jobs - 1][file];
            for (int r = 1; r <= last.row; ++r)
                for (int c = 1; c <= last.col; ++c) t += sheet.Text(r, c) + "|" + sheet.Formula(r, c) + ";";
        }
    }
    EXPECT_EQ(cells[0].size(), 4u);  // three lines and the summary
    EXPECT_EQ(cells[1], cells[0]);
}

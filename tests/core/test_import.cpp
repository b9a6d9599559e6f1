// The import of measured spans from the crews' workbooks (tests/core/data/import, written by
// LibreOffice Calc through make_fixtures.py there): reading the sheets, loading the rows into
// lines, the reference state of each span, and refusals that leave the network as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "engine/Geometry.h"
#include "engine/StateChange.h"
#include "lines/CalcCommands.h"
#include "model/AppData.h"
#include "model/Cp1251.h"
#include "model/NetworkFile.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Workbook.h"
#include "setup/ImportLoad.h"
#include "setup/ImportSheet.h"
#include "setup/ImportTemplate.h"
#include "setup/InitialConditions.h"
#include "TempFolder.h"

using namespace qem;
namespace fs = std::filesystem;

namespace {

const fs::path kData = fs::path(QEM_BIN_DIR) / "data";

std::string Fixture(const std::string& name) {
    return std::string(QEM_SOURCE_DIR) + "/tests/core/data/import/" + name;
}

const AppData& Data() {
    static const AppData d = LoadAll(kData, false);
    return d;
}
const WireCatalog& Wires() { return Data().wires; }
TyWire Wire1() { return Wires().Wires[1]; }

// Days since 30.12.1899 of a date and time.
double DateTime(int y, int m, int d, int hh, int mm) {
    using namespace std::chrono;
    const auto days = (sys_days(year(y) / m / d) - sys_days(year(1899) / 12 / 30)).count();
    return double(days) + (hh * 60 + mm) / 1440.0;
}

std::string Utf8(const ShortStr<5>& s) { return Cp1251ToUtf8(s.str()); }
template <int N>
std::string Utf8(const ShortStr<N>& s) { return Cp1251ToUtf8(s.str()); }

// A new network of the rows of a fixture, written into a temporary folder.
struct Imported {
    qemtest::TempFolder dir;
    Network net;
    ScriptedDialogs dlg;
    bool ok = false;

    Imported(const std::string& fixture, ImportPoints p, bool multi = false, ImportChoice choice = {}) {
        net.Now = [] { return 40000.0; };
        const ImportTable t = ReadImportWorkbook(Fixture(fixture), p, multi, Wires());
        if (choice.from.empty() && !multi) choice.from = "ПС Северная", choice.to = "ПС Южная";
        ok = ConfirmImport(net, t, choice, PathToUtf8(dir / "сеть.qem"), Wire1(), dlg);
    }
};

// The message an import shows, or "" when it succeeds.
std::string ImportMessage(const std::string& fixture, ImportPoints p) {
    try {
        Imported im(fixture, p);
        return im.ok ? "" : im.dlg.Texts().at(0);
    } catch (const ImportError& e) {
        return e.what();
    }
}

// The sag of the conductor at mid-span when the reference state is carried back to the
// conductor temperature of measurement 1, as the regime calculations carry it.
double SagAtMeasurement(TySpan span) {
    const TyZamer& z = span.Zamer[1];
    span.Vv = z.V;
    span.Alfv = z.Alf;
    SpanResult r;
    SpanState(span, 1, std::max(z.TPr, z.Tv), r);
    return r.SagMid;
}

}  // namespace

// The main one-point fixture: one span, one span in two rows with two crossed objects (the
// later row's values win), a blank row, and a span whose optional columns are empty and whose
// numbers are typed as text with a decimal comma; a note under the table is not a row.
TEST(ImportOnePoint, LoadsTheMainFixtureFieldByField) {
    Imported im("one_point.xlsx", ImportPoints::One);
    ASSERT_TRUE(im.ok) << im.dlg.Texts().at(0);
    ASSERT_EQ(im.net.NLines(), 1);
    const TyLine& l = im.net.Line(1);
    EXPECT_EQ(Utf8(l.From), "ПС Северная");
    EXPECT_EQ(Utf8(l.To), "ПС Южная");
    EXPECT_EQ(l.Uvl, 4);  // 110 kV
    EXPECT_EQ(l.NBus1, 1);
    EXPECT_TRUE(l.KOSwitch1.FullName.empty());
    ASSERT_EQ(l.NSpans(), 3);
    EXPECT_EQ(im.net.CurLine, 1);
    EXPECT_EQ(im.net.CurSpan[1], 3);
    EXPECT_EQ(im.net.NetFileName, PathToUtf8(im.dir / "сеть.qem"));
    EXPECT_EQ(ReadNetwork(im.net.NetFileName), im.net.Lines);

    const TySpan& a = l.Span(1);
    EXPECT_EQ(Utf8(a.Nop1), "1");
    EXPECT_EQ(Utf8(a.Nop2), "2");
    EXPECT_EQ(a.Mpr, 1);
    EXPECT_EQ(Utf8(a.Pr.Name), "АС");
    EXPECT_EQ(a.Pr.SAlN, 240);
    EXPECT_EQ(a.Pr.SStN, 32);
    EXPECT_GT(a.PrBreak, 0);
    EXPECT_EQ(a.TM, 1);
    EXPECT_EQ(a.Lpr, 250);
    EXPECT_EQ(a.Hpr1, 19);
    EXPECT_EQ(a.Hpr2, 19.5f);
    EXPECT_EQ(a.H1, 152);
    EXPECT_EQ(a.H2, 154);
    EXPECT_EQ(a.Zem[1].ZemL, 140);  // the lowest point is a route-profile point
    EXPECT_EQ(a.Zem[1].ZemH, 151.8f);
    EXPECT_EQ(a.Zem[2].ZemL, 0);
    EXPECT_EQ(a.M_middle_h, 151.8f);
    EXPECT_EQ(a.NPrep, 1);
    EXPECT_EQ(a.Prep[1], TyPrep{});
    EXPECT_EQ(a.Tvv, 20);
    EXPECT_EQ(a.Vv, 1.5f);
    EXPECT_EQ(a.Iv, 180);
    EXPECT_EQ(a.Alfv, 45);
    EXPECT_EQ(a.Tzv, 0);
    EXPECT_EQ(a.RegG, 2);
    EXPECT_EQ(a.RegV, 2);
    EXPECT_EQ(a.Fi, 55.7f);
    EXPECT_EQ(a.Res848, 152);  // the reserved fields keep the support and lowest-point elevations
    EXPECT_EQ(a.Res852, 154);
    EXPECT_EQ(a.Res860, 151.8f);
    EXPECT_EQ(a.RasUsl, 1);
    EXPECT_EQ(a.UseSea, 0);
    const TyZamer& za = a.Zamer[1];
    EXPECT_DOUBLE_EQ(za.Time, DateTime(2012, 6, 25, 10, 30));
    EXPECT_EQ(za.Tzv, 0);
    EXPECT_EQ(za.HMid, 16);
    EXPECT_EQ(za.I, 180);
    EXPECT_EQ(za.Tv, 20);
    EXPECT_EQ(za.V, 1.5f);
    EXPECT_EQ(za.Alf, 45);
    EXPECT_EQ(a.Zamer[2].Time, 0);

    const TySpan& b = l.Span(2);
    EXPECT_EQ(Utf8(b.Nop1), "2");
    EXPECT_EQ(Utf8(b.Nop2), "3");
    EXPECT_EQ(b.Mpr, 2);
    EXPECT_EQ(b.Pr, a.Pr);
    ASSERT_EQ(b.NPrep, 2);
    // "ВЛ 35кВ": the object clearance is derived from the ground clearance and the height.
    EXPECT_EQ(b.Prep[1], (TyPrep{80, 10, 5.5f, 153.6f, 15.5f, 5}));
    // "Здание, сооружение": the ground clearance is derived from the height and the object clearance.
    EXPECT_EQ(b.Prep[2], (TyPrep{200, 8, 7.5f, 0, 15.5f, 8}));
    // The later row's measurement: a date cell of the spreadsheet, its weather and regions.
    EXPECT_DOUBLE_EQ(b.Zamer[1].Time, DateTime(2012, 6, 25, 11, 15));
    EXPECT_EQ(b.Zamer[1].I, 185);
    EXPECT_EQ(b.Zamer[1].Tv, 21);
    EXPECT_EQ(b.Zamer[1].Tzv, 1);
    EXPECT_EQ(b.Iv, 185);
    EXPECT_EQ(b.Vv, 2);
    EXPECT_EQ(b.RegV, 3);

    const TySpan& c = l.Span(3);
    EXPECT_EQ(c.Lpr, 230.5f);
    EXPECT_EQ(c.TM, 1);
    EXPECT_EQ(c.H1, 0);
    EXPECT_EQ(c.H2, 0);
    EXPECT_EQ(c.Zem[1].ZemL, 0);  // no height above sea level: no profile point at sea level
    EXPECT_EQ(c.M_middle_h, 0);
    EXPECT_EQ(c.Res860, 0);
    EXPECT_EQ(c.Fi, 0);
    EXPECT_EQ(c.Zamer[1].HMid, 14.3f);
    EXPECT_EQ(c.Zamer[1].Tv, 19);
    EXPECT_EQ(c.Vv, 0.5f);
    EXPECT_EQ(c.Zamer[1].Tzv, 3);
}

// Each span's reference state reproduces its measurement: the sag implied by the measured
// height (chord at mid-span less the ground there less the height) is what the engine gives
// at the measured conductor temperature from the stored state.
TEST(ImportOnePoint, ReferenceStatesReproduceTheMeasuredSags) {
    Imported im("one_point.xlsx", ImportPoints::One);
    ASSERT_TRUE(im.ok);
    // Chord at mid-span, ground at mid-span (the profile through the lowest point), height.
    const double expectedSag[] = {(152 + 19 + 154 + 19.5) / 2.0 - (152 + (151.8 - 152) * 125 / 140.0) - 16,
                                  (154 + 19.5 + 153 + 20) / 2.0 - (154 + (153.1 - 154) * 130 / 150.0) - 15.3,
                                  18 - 14.3};
    for (int j = 1; j <= 3; ++j) {
        const TySpan& s = im.net.Line(1).Span(j);
        EXPECT_NEAR(s.Zamer[1].FZam, expectedSag[j - 1], 1e-4) << j;
        EXPECT_GT(s.Zamer[1].TPr, s.Zamer[1].Tv) << j;  // the conductor is warmed by its current
        EXPECT_EQ(s.Tv, 25);
        EXPECT_EQ(s.V, 0);
        EXPECT_EQ(s.Bg, 0);
        EXPECT_GT(s.Si, 4) << j;
        EXPECT_LT(s.Si, 10) << j;
        EXPECT_NEAR(SagAtMeasurement(s), s.Zamer[1].FZam, 0.05) << j;
    }
}

// The same sheets saved as .xls and as .xlsx give the same network.
TEST(ImportFormats, XlsAndXlsxGiveTheSameNetwork) {
    struct Case {
        const char* name;
        ImportPoints points;
        bool multi;
    } cases[] = {{"one_point", ImportPoints::One, false},
                 {"two_points", ImportPoints::Two, false},
                 {"multi_line", ImportPoints::One, true}};
    for (const Case& c : cases) {
        Imported x(std::string(c.name) + ".xlsx", c.points, c.multi), s(std::string(c.name) + ".xls", c.points, c.multi);
        ASSERT_TRUE(x.ok && s.ok) << c.name;
        EXPECT_EQ(x.net.Lines, s.net.Lines) << c.name;
        const ImportTable tx = ReadImportWorkbook(Fixture(std::string(c.name) + ".xlsx"), c.points, c.multi, Wires());
        const ImportTable ts = ReadImportWorkbook(Fixture(std::string(c.name) + ".xls"), c.points, c.multi, Wires());
        EXPECT_EQ(tx.cells, ts.cells) << c.name;
    }
}

// Two measured points per span: the points go into the two-point set, the lowest point's height
// above sea level into M_middle_h, and the stress is the two-point fit of the engine.
TEST(ImportTwoPoints, LoadsThePointsAndFitsTheStress) {
    // The headers the program shows and writes into the templates are the sheet's.
    for (const char* name : {"one_point.xlsx", "two_points.xlsx"}) {
        const ImportPoints p = name[0] == 'o' ? ImportPoints::One : ImportPoints::Two;
        const Workbook book = Workbook::Open(Fixture(name));
        for (int c = 1; c <= ImportColumnCount(p); ++c)
            EXPECT_EQ(book.FirstSheet().Text(1, c), ImportHeaders(p)[c - 1]) << name << " " << c;
    }
    Imported im("two_points.xlsx", ImportPoints::Two);
    ASSERT_TRUE(im.ok) << im.dlg.Texts().at(0);
    const TyLine& l = im.net.Line(1);
    ASSERT_EQ(l.NSpans(), 3);
    const TySpan& a = l.Span(1);
    EXPECT_EQ(a.HZam[1], 16.5f);
    EXPECT_EQ(a.HSeaZam[1], 151.9f);
    EXPECT_EQ(a.LZam[1], 60);
    EXPECT_EQ(a.HZam[2], 16.9f);
    EXPECT_EQ(a.HSeaZam[2], 152.8f);
    EXPECT_EQ(a.LZam[2], 190);
    EXPECT_EQ(a.LZam[3], 0);
    EXPECT_EQ(a.M_middle_h, 151.8f);
    EXPECT_EQ(a.Zamer[1].HMid, 0);
    EXPECT_EQ(a.Zamer[1].TPr, 24);  // the measured conductor temperature is kept
    EXPECT_EQ(l.Span(2).Prep[1], (TyPrep{120, 0, 15.4f, 153.3f, 15.4f, 9}));
    EXPECT_EQ(l.Span(3).HSeaZam[1], 0);
    for (const TySpan& s : l.Spans) {
        EXPECT_FLOAT_EQ(s.Si, static_cast<Single>(FitSigmaTwoPoints(s, false)));
        EXPECT_GT(s.Si, 3);
        EXPECT_LT(s.Si, 12);
        EXPECT_EQ(s.Tv, 25);
    }
}

// Several lines in one workbook: a row with an empty conductor column names the line of the
// rows below it.
TEST(ImportMultiLine, EachNamingRowStartsALine) {
    ImportChoice choice;
    choice.uvl = 3;  // 220 kV
    Imported im("multi_line.xlsx", ImportPoints::One, true, choice);
    ASSERT_TRUE(im.ok) << im.dlg.Texts().at(0);
    ASSERT_EQ(im.net.NLines(), 2);
    EXPECT_EQ(Utf8(im.net.Line(1).From), "ПС Северная");
    EXPECT_EQ(Utf8(im.net.Line(1).To), "ПС Южная");
    EXPECT_EQ(Utf8(im.net.Line(2).From), "ПС Южная");
    EXPECT_EQ(Utf8(im.net.Line(2).To), "ПС Западная");
    EXPECT_EQ(im.net.Line(1).NSpans(), 2);
    EXPECT_EQ(im.net.Line(2).NSpans(), 1);
    EXPECT_EQ(im.net.Line(1).Span(2).NPrep, 2);
    EXPECT_EQ(Utf8(im.net.Line(2).Span(1).Nop1), "3");
    EXPECT_EQ(im.net.Line(1).Uvl, 3);
    EXPECT_EQ(im.net.Line(2).Uvl, 3);
    EXPECT_EQ(im.net.CurLine, 2);

    const ImportTable t = ReadImportWorkbook(Fixture("multi_line.xlsx"), ImportPoints::One, true, Wires());
    EXPECT_EQ(t.DataRows(), 4);
    EXPECT_TRUE(t.rows[0].separator);
    EXPECT_EQ(t.rows[1].LineTo, "ПС Южная");
}

// Every message of a sheet that cannot be imported names the cell (row-column) at fault.
TEST(ImportErrors, EachSheetFaultIsNamed) {
    const std::string fix = "имеет неверный формат, исправьте ошибку и попробуйте снова импортировать данные";
    struct Case {
        const char* file;
        std::string message;
    } cases[] = {
        {"error_empty.xlsx", "Таблица пуста"},
        {"error_conductor.xlsx", "Провод: АС/241/32 не найден.Пролёт: 1 - 2. Ячейка 3-3 " + fix + "."},
        {"error_terrain.xlsx", "Тип местности не найден. Ячейка 3-4" + fix},
        {"error_obstacle.xlsx", "Тип препятсвия не найден. Ячейка 3-15" + fix},
        {"error_number.xlsx", "Ячейка 3-5" + fix},
        {"error_date.xlsx", "Ячейка 3-1" + fix},
        {"error_eleven.xlsx", "В пролёте № 1 - 2 больше 10 пересекаемых объектов: строка 13 не помещается, "
                              "исправьте ошибку и попробуйте снова импортировать данные"},
        {"error_length.xlsx",
         "Невозможно рассчитать напряжение в проводе: длина пролёта № 1 - 2 не больше нуля (строка 3)"},
        {"two_points_check.xlsx",
         "Невозможно рассчитать напряжение в проводе, проверьте данные первого замера в пролёте № 2 - 3 (строка 4)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ImportMessage(c.file, std::string(c.file).rfind("two", 0) == 0 ? ImportPoints::Two : ImportPoints::One),
                  c.message)
            << c.file;
    // A file that is no workbook.
    try {
        ReadImportBytes(Bytes{'j', 'u', 'n', 'k'}, ImportPoints::One, false, Wires());
        FAIL();
    } catch (const ImportError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("ошибка при открытии\n", 0), 0u) << e.what();
    }
}

namespace {

// The sample network, saved into a temporary folder, with its file's bytes.
struct SampleTarget {
    qemtest::TempFolder dir;
    Network net;
    Bytes before;
    ScriptedDialogs dlg;
    SampleTarget() {
        net.Now = [] { return 40000.0; };
        net.NetFileName = PathToUtf8(dir / "сеть.qem");
        fs::copy_file(kData / fs::u8path("Пример сети.qem"), PathFromUtf8(net.NetFileName));
        net.Lines = ReadNetwork(net.NetFileName);
        net.CurLine = 2;
        before = ReadWholeFile(net.NetFileName);
    }
    bool Import(const std::string& fixture, ImportPoints p, const ImportChoice& c, bool multi = false) {
        return ConfirmImport(net, ReadImportWorkbook(Fixture(fixture), p, multi, Wires()), c,
                             PathToUtf8(dir / "новая.qem"), Wire1(), dlg);
    }
    bool Unchanged() const { return ReadWholeFile(net.NetFileName) == before && net.Lines == ReadNetwork(net.NetFileName); }
};

}  // namespace

// Every refusal while loading leaves the network in memory and its file as they were.
TEST(ImportErrors, LoadingFailuresLeaveTheNetworkAsItWas) {
    for (const char* file : {"error_eleven.xlsx", "error_length.xlsx", "two_points_check.xlsx"}) {
        for (ImportMode mode : {ImportMode::AppendToNetwork, ImportMode::AppendToLine, ImportMode::NewNetwork}) {
            SampleTarget t;
            ImportChoice c;
            c.mode = mode;
            c.from = "ПС А";
            const auto lines = t.net.Lines;
            const int curLine = t.net.CurLine;
            EXPECT_FALSE(t.Import(file, file[0] == 't' ? ImportPoints::Two : ImportPoints::One, c)) << file;
            EXPECT_EQ(t.dlg.Texts().size(), 1u) << file;
            EXPECT_EQ(t.net.Lines, lines);
            EXPECT_EQ(t.net.CurLine, curLine);
            EXPECT_TRUE(t.Unchanged()) << file;
            EXPECT_FALSE(fs::exists(t.dir / "новая.qem")) << file;
        }
    }
}

// "Добавить к существующей сети ВЛ" appends a line; "Добавить к выбранной линии" appends the
// spans to the current line (taking the chosen voltage); both save the network file.
TEST(ImportModes, AppendToTheNetworkAndToTheSelectedLine) {
    {
        SampleTarget t;
        const auto lines = t.net.Lines;
        ImportChoice c;
        c.mode = ImportMode::AppendToNetwork;
        c.from = "ПС Новая";
        c.to = "ПС Старая";
        ASSERT_TRUE(t.Import("one_point.xlsx", ImportPoints::One, c));
        ASSERT_EQ(t.net.NLines(), int(lines.size()) + 1);
        EXPECT_TRUE(std::equal(lines.begin(), lines.end(), t.net.Lines.begin()));
        EXPECT_EQ(t.net.CurLine, t.net.NLines());
        EXPECT_EQ(Utf8(t.net.Lines.back().From), "ПС Новая");
        EXPECT_EQ(t.net.Lines.back().NSpans(), 3);
        EXPECT_EQ(ReadNetwork(t.net.NetFileName), t.net.Lines);
        // The same names again are refused, and nothing changes.
        const Bytes saved = ReadWholeFile(t.net.NetFileName);
        EXPECT_FALSE(t.Import("one_point.xlsx", ImportPoints::One, c));
        EXPECT_EQ(t.dlg.Texts().back(), kMsgLineExists);
        EXPECT_EQ(ReadWholeFile(t.net.NetFileName), saved);
    }
    {
        SampleTarget t;
        const auto lines = t.net.Lines;
        ImportChoice c;
        c.mode = ImportMode::AppendToLine;
        c.uvl = 3;
        ASSERT_TRUE(t.Import("two_points.xlsx", ImportPoints::Two, c));
        ASSERT_EQ(t.net.NLines(), int(lines.size()));
        const TyLine& l = t.net.Line(2);
        EXPECT_EQ(l.NSpans(), lines[1].NSpans() + 3);
        EXPECT_TRUE(std::equal(lines[1].Spans.begin(), lines[1].Spans.end(), l.Spans.begin()));
        EXPECT_TRUE(l.From.sameText(lines[1].From));
        EXPECT_EQ(l.KOSwitch1, lines[1].KOSwitch1);
        EXPECT_EQ(l.Uvl, 3);
        EXPECT_EQ(t.net.CurSpan[2], l.NSpans());
        EXPECT_EQ(t.net.Line(1), lines[0]);
        EXPECT_EQ(ReadNetwork(t.net.NetFileName), t.net.Lines);
    }
}

// A new network never replaces a file of the same name unless the user agrees.
TEST(ImportModes, NewNetworkAsksBeforeReplacingAFile) {
    SampleTarget t;
    const std::string other = PathToUtf8(t.dir / "новая.qem");
    fs::copy_file(PathFromUtf8(t.net.NetFileName), PathFromUtf8(other));
    ImportChoice c;
    t.dlg.answers = {Answer::No};
    EXPECT_FALSE(t.Import("one_point.xlsx", ImportPoints::One, c));
    EXPECT_EQ(ReadWholeFile(other), t.before);
    EXPECT_TRUE(t.Unchanged());
    ASSERT_EQ(t.dlg.shown.size(), 1u);
    EXPECT_EQ(t.dlg.shown[0].buttons, Buttons::YesNo);

    t.dlg.answers = {Answer::Yes};
    ASSERT_TRUE(t.Import("one_point.xlsx", ImportPoints::One, c));
    EXPECT_EQ(t.net.NetFileName, other);
    EXPECT_EQ(t.net.NLines(), 1);
    EXPECT_EQ(ReadNetwork(other), t.net.Lines);
    EXPECT_EQ(ReadWholeFile(PathToUtf8(t.dir / "сеть.qem")), t.before);  // the network that was open stays on disk

    EXPECT_THROW(ImportNewFilePath("/tmp", "  "), ImportError);
    EXPECT_THROW(ImportNewFilePath("/tmp", "a/b"), ImportError);
    EXPECT_EQ(ImportNewFilePath("/tmp", "Линия 5"), "/tmp/Линия 5.qem");
}

namespace {

// A one-row sheet of the crews' template whose example row has the given cells replaced.
ImportTable ReadExample(ImportPoints p, std::vector<std::pair<int, std::string>> cells, bool multi = false) {
    Workbook book = BuildImportTemplate(p);
    Sheet& s = book.FirstSheet();
    for (const auto& [col, text] : cells) s.SetText(kImportFirstRow, col, text);
    return ReadImportSheet(s, p, multi, Wires());
}

std::string ExampleError(std::vector<std::pair<int, std::string>> cells) {
    try {
        ReadExample(ImportPoints::One, std::move(cells));
        return "";
    } catch (const ImportError& e) {
        return e.what();
    }
}

}  // namespace

// How the cells of a row are taken: what a crew's spreadsheet holds is read, and a value that
// is wrong names its cell.
TEST(ImportCells, ValuesAreReadOrNamed) {
    auto row = [](std::vector<std::pair<int, std::string>> cells) {
        return ReadExample(ImportPoints::One, std::move(cells)).rows.at(0);
    };
    // Conductors: the count before any of the four x letters, blanks, a Latin letter for a
    // Cyrillic one, a decimal comma in a section.
    EXPECT_EQ(row({{3, "3 Х АС / 240 / 32"}}).Mpr, 3);
    EXPECT_EQ(row({{3, "2XАС/240/32"}}).Mpr, 2);
    EXPECT_EQ(Utf8(row({{3, "AC/240/32"}}).Pr.Name), "АС");
    EXPECT_EQ(row({{3, "АС/35/6,2"}}).Pr.SStN, 6.2f);
    EXPECT_EQ(row({{3, "А/95"}}).Pr.SStN, 0);  // an aluminium conductor without a steel part
    // Temperatures: air and conductor, or one for both.
    EXPECT_EQ(row({{22, "15/40"}}).TAir, 15);
    EXPECT_EQ(row({{22, "15/40"}}).TCond, 40);
    EXPECT_EQ(row({{22, "-5,5"}}).TCond, -5.5f);
    // Dates: hour.minute.day.month.year.
    EXPECT_DOUBLE_EQ(row({{1, "7.05.01.12.2019"}}).Time, DateTime(2019, 12, 1, 7, 5));
    // Numbers typed with a point or a comma, blanks around them.
    EXPECT_EQ(row({{5, " 250,5 "}}).Lpr, 250.5f);
    EXPECT_EQ(row({{26, ""}}).Fi, 0);  // optional
    EXPECT_EQ(row({{16, "90"}, {17, ""}, {18, "3"}, {19, "13"}}).GabZem, 16);

    const std::string fix = "имеет неверный формат, исправьте ошибку и попробуйте снова импортировать данные";
    struct Case {
        std::vector<std::pair<int, std::string>> cells;
        std::string message;
    } cases[] = {
        {{{1, "10.30.25.06.12"}}, "Ячейка 3-1" + fix},       // a two-digit year
        {{{1, "24.00.25.06.2012"}}, "Ячейка 3-1" + fix},     // no such hour
        {{{1, "10.30.31.06.2012"}}, "Ячейка 3-1" + fix},     // no such day
        {{{1, "41085.5"}}, "Ячейка 3-1" + fix},              // a number that is not a date cell
        {{{1, ""}}, "Ячейка 3-1" + fix},                     // a row of data without its date
        {{{2, "12"}}, "Ячейка 3-2" + fix},                   // one support
        {{{2, "123456-7"}}, "Ячейка 3-2" + fix},             // longer than a support number holds
        {{{3, "0хАС/240/32"}}, "Ячейка 3-3" + fix},          // no conductors
        {{{3, "АС/240/32/1"}}, "Провод: АС/240/32 не найден.Пролёт: 1 - 2. Ячейка 3-3 " + fix + "."},
        {{{3, "АС/24о/32"}}, "Провод: АС/24о/32 не найден.Пролёт: 1 - 2. Ячейка 3-3 " + fix + "."},
        {{{4, "0"}}, "Тип местности не найден. Ячейка 3-4" + fix},
        {{{4, "2,5"}}, "Тип местности не найден. Ячейка 3-4" + fix},
        {{{6, "TRUE"}}, "Ячейка 3-6" + fix},
        {{{6, "1 000"}}, "Ячейка 3-6" + fix},
        {{{21, ""}}, "Ячейка 3-21" + fix},                    // a required number left empty
        {{{22, "15/40/50"}}, "Ячейка 3-22" + fix},
        {{{25, "4"}}, "Ячейка 3-25" + fix},                   // sky condition 0..3
        {{{27, "8"}}, "Ячейка 3-27" + fix},                   // regions I..VII
        {{{15, "ВЛ 110кВ "}, {16, ""}}, "Ячейка 3-16" + fix},  // an object needs its distance
        {{{16, "260"}}, "длина до препятствия не может превышать длину пролёта. Ячейка 3-16" + fix},
        {{{17, ""}, {19, ""}}, "Ячейка 3-17" + fix},          // one height alone tells nothing
        {{{15, ""}}, "Тип препятсвия не найден. Ячейка 3-15" + fix},  // object data without a type
    };
    for (const Case& c : cases) EXPECT_EQ(ExampleError(c.cells), c.message) << c.cells[0].second;
}

// A blank row is passed over, a note under the table is not read, and in a workbook of several
// lines a row without a conductor but with data is a data row at fault, not a line name.
TEST(ImportCells, BlankRowsNotesAndLineNames) {
    Workbook book = BuildImportTemplate(ImportPoints::One);
    Sheet& s = book.FirstSheet();
    for (int c = 1; c <= 29; ++c) s.SetText(5, c, s.Text(3, c));
    s.SetText(5, 2, "2-3");
    s.SetText(7, 2, "Замеры выполнил: бригада № 3");
    const ImportTable t = ReadImportSheet(s, ImportPoints::One, false, Wires());
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[1].sheetRow, 5);
    EXPECT_EQ(t.cells.size(), 5u);  // the grid shows the sheet's rows 3..7
    EXPECT_EQ(t.cellRows.front(), 3);

    s.SetText(4, 1, "Участок 2");
    s.SetText(4, 2, "ПС Б");
    s.SetText(4, 5, "100");
    EXPECT_THROW(ReadImportSheet(s, ImportPoints::One, true, Wires()), ImportError);
    s.SetText(4, 5, "");
    const ImportTable m = ReadImportSheet(s, ImportPoints::One, true, Wires());
    ASSERT_EQ(m.rows.size(), 3u);
    EXPECT_TRUE(m.rows[1].separator);
    EXPECT_EQ(m.rows[2].LineFrom, "Участок 2");
    EXPECT_EQ(m.rows[0].LineFrom, "");
}

// The crews' templates: the headers of the layout, and an example row that imports into a
// span with a sensible reference state which the line calculation takes.
TEST(ImportTemplate, ExampleRowImportsIntoACalculableLine) {
    for (ImportPoints p : {ImportPoints::One, ImportPoints::Two}) {
        const Workbook shipped = Workbook::Open(PathToUtf8(kData / fs::u8path(ImportTemplateName(p))));
        const Sheet& s = shipped.FirstSheet();
        for (int c = 1; c <= ImportColumnCount(p); ++c) EXPECT_EQ(s.Text(1, c), ImportHeaders(p)[c - 1]);
        EXPECT_EQ(s.LastUsedCell(), (CellAddress{3, ImportColumnCount(p)}));

        Network net;
        ScriptedDialogs dlg;
        qemtest::TempFolder dir;
        ImportChoice c;
        c.from = "ПС А";
        c.to = "ПС Б";
        ASSERT_TRUE(ConfirmImport(net, ReadImportSheet(s, p, false, Wires()), c, PathToUtf8(dir / "t.qem"), Wire1(),
                                  dlg))
            << dlg.Texts().at(0);
        const TySpan& span = net.Line(1).Span(1);
        EXPECT_GT(span.Si, 4);
        EXPECT_LT(span.Si, 9);
        EXPECT_EQ(span.Prep[1].TPrp, 9);

        CalcEnv env;
        env.norms = &Data().norms;
        env.mode = p == ImportPoints::One ? ZamerMode::OnePoint : ZamerMode::TwoPoints;
        Report r;
        EXPECT_EQ(SBRasClick(net, env, dlg, r).end, CommandEnd::Done);
        EXPECT_TRUE(dlg.shown.empty()) << dlg.Texts().at(0);

        qemtest::TempFolder out;
        SaveImportTemplate(p, kData, PathToUtf8(out / "копия.xlsx"));
        EXPECT_EQ(ReadWholeFile(PathToUtf8(out / "копия.xlsx")), ReadWholeFile(PathToUtf8(kData / fs::u8path(ImportTemplateName(p)))));
    }
}

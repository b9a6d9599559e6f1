// The import of measured spans from the crews' workbooks (tests/core/data/import, written by
// LibreOffice Calc through make_fixtures.py there): reading the sheets, loading the rows into
// lines, the reference state of each span, and refusals that leave the network as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "TempFolder.h"
#include "engine/Geometry.h"
#include "engine/StateChange.h"
#include "lines/CalcCommands.h"
#include "model/AppData.h"
#include "model/Cp1251.h"
#include "model/NetworkFile.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Workbook.h"
#include "session/ImportCommands.h"
#include "session/LineList.h"
#include "setup/ImportLoad.h"
#include "setup/ImportSheet.h"
#include "setup/ImportTemplate.h"
#include "setup/InitialConditions.h"

using namespace qem;
namespace fs = std::filesystem;

namespace {

const fs::path kData = fs::path(QEM_BIN_DIR) / "data";

std::string Fixture(const std::string& name) { return std::string(QEM_SOURCE_DIR) + "/tests/core/data/import/" + name; }

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
std::string Utf8(const ShortStr<N>& s) {
    return Cp1251ToUtf8(s.str());
}

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
        const char* other;  // the same sheet in another format
    } cases[] = {{"one_point", ImportPoints::One, false, ".xls"},
                 {"two_points", ImportPoints::Two, false, ".xls"},
                 {"multi_line", ImportPoints::One, true, ".xls"},
                 // LibreOffice's own format.
                 {"one_point", ImportPoints::One, false, ".ods"},
                 // Formulas (a height copied from the cell beside it, a conductor from the row
                 // above, a height computed): their results, as the spreadsheet program stored them.
                 {"formulas", ImportPoints::One, false, ".xls"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + c.other);
        Imported x(std::string(c.name) + ".xlsx", c.points, c.multi),
            s(std::string(c.name) + c.other, c.points, c.multi);
        ASSERT_TRUE(x.ok && s.ok) << x.dlg.Texts().at(0) << s.dlg.Texts().at(0);
        EXPECT_EQ(x.net.Lines, s.net.Lines);
        const ImportTable tx = ReadImportWorkbook(Fixture(std::string(c.name) + ".xlsx"), c.points, c.multi, Wires());
        const ImportTable ts = ReadImportWorkbook(Fixture(std::string(c.name) + c.other), c.points, c.multi, Wires());
        EXPECT_EQ(tx.cells, ts.cells);
    }
    Imported f("formulas.xls", ImportPoints::One);
    ASSERT_TRUE(f.ok);
    const TyLine& l = f.net.Line(1);
    EXPECT_EQ(l.Span(1).Hpr2, l.Span(1).Hpr1);  // =F3
    EXPECT_EQ(l.Span(2).Pr, l.Span(1).Pr);      // =C3, a text
    EXPECT_EQ(l.Span(2).Hpr1, l.Span(1).Hpr1 - 1.5f);
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
    // The spans measured with every height above sea level read their points with them.
    EXPECT_EQ(a.UseSea, 1);
    EXPECT_EQ(l.Span(2).UseSea, 1);
    EXPECT_EQ(l.Span(3).UseSea, 0);
    for (const TySpan& s : l.Spans) {
        EXPECT_FLOAT_EQ(s.Si, static_cast<Single>(FitSigmaTwoPoints(s, s.UseSea == 1)));
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

// Every message of a sheet that cannot be imported names the cell at fault, as the program names
// it (row-column) and as the spreadsheet does ("E3"), and says what is wrong with it; a sheet
// that is not what the import expects says what it is.
TEST(ImportErrors, EachSheetFaultIsNamed) {
    const std::string fix = "имеет неверный формат, исправьте ошибку и попробуйте снова импортировать данные";
    const std::string again = ". Исправьте ошибку и попробуйте снова импортировать данные";
    struct Case {
        const char* file;
        ImportPoints points;
        bool multi;
        std::string message;
    } cases[] = {
        {"error_empty.xlsx", ImportPoints::One, false, "Таблица пуста"},
        {"error_conductor.xlsx", ImportPoints::One, false,
         "Провод: АС/241/32 не найден.Пролёт: 1 - 2. Ячейка 3-3 (C3) " + fix + "."},
        {"error_terrain.xlsx", ImportPoints::One, false,
         "Тип местности не найден. Ячейка 3-4 (D3) имеет неверный формат: в ячейке число 5, а в столбце «Тип "
         "метности» ожидается: число от 1 до 4: 1 — населённая, 2 — ненаселённая, 3 — труднодоступная местность, "
         "4 — недоступные склоны гор" +
             again},
        {"error_number.xlsx", ImportPoints::One, false,
         "Ячейка 3-5 (E3) имеет неверный формат: в ячейке текст «25o», а в столбце «расстояние между опорами» "
         "ожидается: число" +
             again},
        {"error_date.xlsx", ImportPoints::One, false,
         "Ячейка 3-1 (A3) имеет неверный формат: в ячейке текст «10.30.25.13.2012», а в столбце «Дата/время замера» "
         "ожидается: время и дата замера: ч.мм.дд.мм.гггг (например 10.30.25.06.2012) или ячейка с датой" +
             again},
        // Values in the wrong unit or beyond what overhead lines have.
        {"error_height_cm.xlsx", ImportPoints::One, false,
         "Ячейка 3-6 (F3) имеет неверный формат: высота подвеса провода 1850 м вне допустимых пределов 3…200 м "
         "(проверьте единицы измерения)" +
             again},
        {"error_span_26000.xlsx", ImportPoints::One, false,
         "Ячейка 3-5 (E3) имеет неверный формат: длина пролёта 26000 м вне допустимых пределов 10…2000 м "
         "(проверьте единицы измерения)" +
             again},
        {"error_length.xlsx", ImportPoints::One, false,
         "Ячейка 3-5 (E3) имеет неверный формат: длина пролёта 0 м вне допустимых пределов 10…2000 м "
         "(проверьте единицы измерения)" +
             again},
        // A merged cell, and a formula whose program stored no result.
        {"merged.xlsx", ImportPoints::One, false,
         "Ячейка 2-22 (V2) имеет неверный формат: ячейка входит в объединённые ячейки U2:V2 и пуста (значение "
         "объединённых ячеек — только в U2; разъедините их и заполните каждую ячейку), а в столбце «Температура "
         "воздуха/провода,C» ожидается: температура воздуха или воздуха/провода, °C (например 20 или 20/35)" +
             again},
        {"formulas_unsaved.xlsx", ImportPoints::One, false,
         "Ячейка 3-7 (G3) имеет неверный формат: в ячейке формула «=F3», её результат в файле не сохранён "
         "(замените формулу значением), а в столбце «Высота подвеса провода оп.2» ожидается: число" +
             again},
        // Sheets that are not what the import was told.
        {"two_points.xlsx", ImportPoints::One, false,
         "Лист «Замеры» заполнен по шаблону замеров по 2 точкам (заголовки в строке 1), а выбран импорт по 1 точке: "
         "загрузите книгу в окне «Импорт данных из Excel по 2 точкам»"},
        {"one_point.xlsx", ImportPoints::Two, false,
         "Лист «Замеры» заполнен по шаблону замеров по 1 точке (заголовки в строке 1), а выбран импорт по 2 точкам: "
         "загрузите книгу в окне «Импорт данных из Excel по 1 точке»"},
        {"multi_line.xlsx", ImportPoints::One, false,
         "Лист «Замеры», строка 3: «ПС Северная» — «ПС Южная» без данных замера, как строка с названием линии в "
         "книге нескольких линий. Если в книге несколько линий, отметьте «В файле Excel несколько линий» и "
         "импортируйте снова; иначе удалите строку"},
        {"one_point.xlsx", ImportPoints::One, true,
         "Лист «Замеры»: отмечено «В файле Excel несколько линий», но над строкой 3 с данными замера нет строки с "
         "названием линии (начало линии в столбце A, конец — в столбце B, остальные ячейки строки пусты)"},
        {"second_sheet.xlsx", ImportPoints::One, false,
         "Таблица пуста\nТаблица замеров — на листе «Замеры» (лист 2 книги), а импорт читает первый лист «Лист1»: "
         "сделайте лист «Замеры» первым и импортируйте снова."},
        {"no_headers.xlsx", ImportPoints::One, false,
         "Лист «Замеры»: в первых 10 строках нет строки заголовков. Ожидалась строка с заголовками шаблона замеров по "
         "1 точке: «Дата/время замера», «№ прл», «Марка пр», «Тип метности», «расстояние между опорами» и далее до "
         "столбца AC (29 столбцов), под ней — строка единиц измерения или сразу данные. Сохраните шаблон в окне "
         "импорта и перенесите в него данные"},
    };
    for (const Case& c : cases) {
        std::string msg;
        try {
            ReadImportWorkbook(Fixture(c.file), c.points, c.multi, Wires());
        } catch (const ImportError& e) {
            msg = e.what();
        }
        EXPECT_EQ(msg, c.message) << c.file;
    }
    // Loading refusals: an eleventh crossed object, the reference state that the data of a span do not give.
    EXPECT_EQ(ImportMessage("error_eleven.xlsx", ImportPoints::One),
              "В пролёте № 1 - 2 больше 10 пересекаемых объектов: строка 13 не помещается, "
              "исправьте ошибку и попробуйте снова импортировать данные");
    EXPECT_EQ(
        ImportMessage("two_points_check.xlsx", ImportPoints::Two),
        "Невозможно рассчитать напряжение в проводе, проверьте данные первого замера в пролёте № 2 - 3 (строка 4)");
    // A file that is no workbook.
    try {
        ReadImportBytes(Bytes{'j', 'u', 'n', 'k'}, ImportPoints::One, false, Wires());
        FAIL();
    } catch (const ImportError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("ошибка при открытии\n", 0), 0u) << e.what();
    }
    // A legacy workbook whose structure loops: refused at the reading process's limit.
    try {
        ReadImportWorkbook(std::string(QEM_SOURCE_DIR) + "/tests/core/data/workbooks/difat_loop.xls", ImportPoints::One,
                           false, Wires());
        FAIL();
    } catch (const ImportError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("ошибка при открытии\n", 0), 0u) << e.what();
        EXPECT_NE(std::string(e.what()).find("повреждена"), std::string::npos) << e.what();
    }
}

// The header row is found by its texts: a sheet whose units row was deleted starts its data in
// row 2, and its first span is read.
TEST(ImportHeaders, DataStartUnderTheHeaderRow) {
    const ImportTable t = ReadImportWorkbook(Fixture("units_deleted.xlsx"), ImportPoints::One, false, Wires());
    EXPECT_EQ(t.headerRow, 1);
    EXPECT_EQ(t.firstRow, 2);
    ASSERT_EQ(t.DataRows(), 2);
    EXPECT_EQ(t.rows[0].sheetRow, 2);
    EXPECT_EQ(Utf8(t.rows[0].Nop1), "1");
    EXPECT_EQ(t.cellRows.front(), 2);
    // With its units row, the sheet's data start in row 3.
    EXPECT_EQ(ReadImportWorkbook(Fixture("one_point.xlsx"), ImportPoints::One, false, Wires()).firstRow, 3);
}

// Older templates held their example row (span 1-2 crossing a road at 90 m) in row 3: it is
// never data. Kept above the crew's own span 1-2 it no longer merges into it; alone it leaves
// an empty table.
TEST(ImportExample, TheTemplatesExampleRowIsNeverData) {
    Imported im("old_template.xlsx", ImportPoints::One);
    ASSERT_TRUE(im.ok) << im.dlg.Texts().at(0);
    const TyLine& l = im.net.Line(1);
    ASSERT_EQ(l.NSpans(), 1);
    EXPECT_EQ(Utf8(l.Span(1).Nop1), "1");
    EXPECT_EQ(l.Span(1).Prep[1], TyPrep{});  // no road of the example
    EXPECT_DOUBLE_EQ(l.Span(1).Zamer[1].Time, DateTime(2023, 7, 12, 9, 15));
    const ImportTable t = ReadImportWorkbook(Fixture("old_template.xlsx"), ImportPoints::One, false, Wires());
    ASSERT_EQ(t.notes.size(), 1u);
    EXPECT_EQ(t.notes[0], "Строка 3 — пример заполнения из шаблона (пролёт 1-2, АС/240/32): она не импортирована.");
    EXPECT_EQ(ImportMessage("old_template_untouched.xlsx", ImportPoints::One), kMsgTableEmpty);
}

// Crossings at ground level (roads, railways) measured by the clearance between the conductor
// and the object alone: the object's height is 0 and the ground clearance the same.
TEST(ImportCrossings, GroundLevelCrossingsByTheirClearance) {
    Imported im("ground_crossings.xlsx", ImportPoints::One);
    ASSERT_TRUE(im.ok) << im.dlg.Texts().at(0);
    const TyLine& l = im.net.Line(1);
    ASSERT_EQ(l.NSpans(), 2);
    EXPECT_EQ(l.Span(1).Prep[1], (TyPrep{90, 0, 16, 0, 16, 9}));
    EXPECT_EQ(l.Span(2).Prep[1], (TyPrep{120, 0, 12.5f, 0, 12.5f, 10}));
}

// A two-point line on a hillside measured with the heights above sea level of its points: the
// spans read them (the option is on), so the line is rated on its real ground. Read without
// them, the measured clearances count from the lower support's ground and the conductor seems
// to hang far lower: no current by clearance and "НЕЛЬЗЯ".
TEST(ImportSeaHeights, TwoPointSpansUseTheHeightsTheCrewGave) {
    Imported im("two_points_sea.xlsx", ImportPoints::Two);
    ASSERT_TRUE(im.ok) << im.dlg.Texts().at(0);
    ASSERT_EQ(im.dlg.shown.size(), 1u);
    EXPECT_EQ(im.dlg.shown[0].text,
              "В пролётах 1 - 2, 2 - 3, 3 - 4, 4 - 5, 5 - 6, 6 - 7, 7 - 8, 8 - 9 замеры по двум точкам даны с высотами "
              "над уровнем моря: для них включено «Учитывать» высоту над уровнем моря.");
    CalcEnv env;
    env.norms = &Data().norms;
    env.mode = ZamerMode::TwoPoints;
    auto rate = [&](TyLine line, bool sea) {
        for (auto& s : line.Spans) s.UseSea = sea;
        CalcEnv e = env;
        e.seaLevel = sea;
        ScriptedDialogs quiet;
        Report r;
        return CalculateLine(line, e, quiet, r).outcome.minima;
    };
    const TyLine& l = im.net.Line(1);
    for (const TySpan& s : l.Spans) EXPECT_EQ(s.UseSea, 1);
    const LineMinima with = rate(l, true), without = rate(l, false);
    EXPECT_GT(with.LineIClr, 1000);
    EXPECT_EQ(without.LineIClr, 0);
    // The span report at the measured current.
    for (bool sea : {true, false}) {
        Network net = im.net;
        for (auto& s : net.Line(1).Spans) s.UseSea = sea;
        net.CurSpan[1] = 4;
        CalcEnv e = env;
        e.seaLevel = sea;
        ScriptedDialogs dlg;
        Report r;
        ASSERT_EQ(MeasuredSpanRegimeCommand(net, e, dlg, r).end, CommandEnd::Done);
        EXPECT_NE(r.PlainText().find(sea ? "МОЖНО" : "НЕЛЬЗЯ"), std::string::npos) << sea;
    }
    // A span with some of the heights only is named.
    Workbook book = Workbook::Open(Fixture("two_points_sea.xlsx"));
    book.FirstSheet().SetText(5, 18, "");
    const ImportTable t = ReadImportSheet(book.FirstSheet(), ImportPoints::Two, false, Wires());
    Network net;
    const auto notes = LoadImportRows(net, t, ImportChoice{ImportMode::NewNetwork, 4, "А", "Б"}, Wire1());
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[1],
              "Высоты над уровнем моря заданы не полностью, пролёты рассчитываются без них (замеры — от земли у "
              "нижней опоры):\nпролёт 3 - 4 (строка 5): нет высоты над уровнем моря в точке наименьшего "
              "габарита (столбец R)");
    EXPECT_EQ(net.Line(1).Span(3).UseSea, 0);
    EXPECT_EQ(net.Line(1).Span(4).UseSea, 1);
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
    bool Unchanged() const {
        return ReadWholeFile(net.NetFileName) == before && net.Lines == ReadNetwork(net.NetFileName);
    }
};

}  // namespace

// Every refusal while loading leaves the network in memory and its file as they were.
TEST(ImportErrors, LoadingFailuresLeaveTheNetworkAsItWas) {
    for (const char* file : {"error_eleven.xlsx", "two_points_check.xlsx"}) {
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
    c.from = "ПС А";
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

// The crews' template with a crew's row in the first data row: the template's example, taken
// on another day (the example itself is never data).
Workbook CrewSheet(ImportPoints p) {
    Workbook book = BuildImportTemplate(p, Wires());
    const Sheet& example = book.Worksheet(2);
    Sheet& s = book.FirstSheet();
    for (int c = 1; c <= ImportColumnCount(p); ++c) s.SetText(kImportFirstRow, c, example.Text(kImportFirstRow, c));
    s.SetText(kImportFirstRow, 1, "9.15.26.06.2012");
    return book;
}

// A one-row sheet of the crews' template whose row has the given cells replaced.
ImportTable ReadExample(ImportPoints p, std::vector<std::pair<int, std::string>> cells, bool multi = false) {
    Workbook book = CrewSheet(p);
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
// is wrong names its cell and says what is wrong with it.
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
    // A road measured by its clearance alone, and by its ground clearance alone.
    EXPECT_EQ(row({{17, ""}, {18, ""}}).GabZem, 16);
    EXPECT_EQ(row({{18, ""}, {19, ""}}).GabPrep, 16);
    // The plausible ranges hold their ends.
    EXPECT_EQ(row({{5, "2000"}, {6, "200"}, {7, "3"}}).Lpr, 2000);
    EXPECT_EQ(row({{21, "4000"}, {3, "2хАС/240/32"}}).I, 4000);  // two conductors of a phase

    const std::string fix = "имеет неверный формат, исправьте ошибку и попробуйте снова импортировать данные";
    // Each message: the cell as "3-N (XN)", then what is wrong with it.
    struct Case {
        std::vector<std::pair<int, std::string>> cells;
        std::string start, detail;
    } cases[] = {
        {{{1, "10.30.25.06.12"}}, "Ячейка 3-1 (A3)", "в ячейке текст «10.30.25.06.12»"},   // a two-digit year
        {{{1, "24.00.25.06.2012"}}, "Ячейка 3-1 (A3)", "ожидается: время и дата замера"},  // no such hour
        {{{1, "10.30.31.06.2012"}}, "Ячейка 3-1 (A3)", "ожидается: время и дата замера"},  // no such day
        {{{1, "41085.5"}}, "Ячейка 3-1 (A3)", "в ячейке число 41085.5"},          // a number that is not a date cell
        {{{1, ""}}, "Ячейка 3-1 (A3)", "ячейка пуста"},                           // a row of data without its date
        {{{2, "12"}}, "Ячейка 3-2 (B3)", "ожидается: номера двух опор пролёта"},  // one support
        {{{2, "123456-7"}}, "Ячейка 3-2 (B3)", "до 5 знаков каждый"},             // longer than a support number holds
        {{{3, "0хАС/240/32"}}, "Ячейка 3-3 (C3)", "число проводов в фазе от 1 до 20"},  // no conductors
        {{{3, ""}}, "Ячейка 3-3 (C3)", "ячейка пуста, а в столбце «Марка пр» ожидается: марка провода"},
        {{{3, "АС/240/32/1"}}, "Провод: АС/240/32 не найден.Пролёт: 1 - 2. Ячейка 3-3 (C3) " + fix + ".", ""},
        {{{3, "АС/24о/32"}}, "Провод: АС/24о/32 не найден.Пролёт: 1 - 2. Ячейка 3-3 (C3) " + fix + ".", ""},
        {{{4, "0"}}, "Тип местности не найден. Ячейка 3-4 (D3)", "в ячейке число 0"},
        {{{4, "2,5"}}, "Тип местности не найден. Ячейка 3-4 (D3)", "в ячейке число 2.5"},
        {{{6, "TRUE"}},
         "Ячейка 3-6 (F3)",
         "в ячейке текст «TRUE», а в столбце «Высота подвеса провода оп.1» "
         "ожидается: число"},
        {{{6, "1 000"}}, "Ячейка 3-6 (F3)", "в ячейке текст «1 000»"},
        {{{21, ""}}, "Ячейка 3-21 (U3)", "ячейка пуста, а в столбце «Ток ВЛ,А» ожидается: число"},
        {{{22, "15/40/50"}}, "Ячейка 3-22 (V3)", "ожидается: температура воздуха или воздуха/провода"},
        {{{25, "4"}}, "Ячейка 3-25 (Y3)", "ожидается: целое число от 0 до 3"},   // sky condition 0..3
        {{{27, "8"}}, "Ячейка 3-27 (AA3)", "ожидается: целое число от 1 до 7"},  // regions I..VII
        {{{15, "ВЛ 110кВ "}, {16, ""}}, "Ячейка 3-16 (P3)", "ячейка пуста"},     // an object needs its distance
        {{{16, "260"}},
         "длина до препятствия не может превышать длину пролёта. Ячейка 3-16 (P3)",
         "расстояние 260 м, а длина пролёта 250 м"},
        // A road needs one of its clearances; any other object two of its three heights.
        {{{17, ""}, {19, ""}},
         "Ячейка 3-17 (Q3)",
         "для пересекаемого объекта «Автомобильная дорога» на уровне земли нужен габарит от провода до земли в месте "
         "пересечения (Q3) или между проводом и объектом (S3); обе ячейки пусты"},
        {{{15, "Здание, сооружение"}, {17, ""}, {18, ""}},
         "Ячейка 3-17 (Q3)",
         "для пересекаемого объекта «Здание, сооружение» нужны два из трёх значений: габарит от провода до земли в "
         "месте пересечения (Q3), высота объекта (R3), габарит между проводом и объектом (S3); не заполнены Q3, R3"},
        {{{15, ""}}, "Тип препятсвия не найден. Ячейка 3-15 (O3)", "ячейка пуста, а в строке есть данные"},
        // Values beyond what an overhead line has.
        {{{6, "1850"}}, "Ячейка 3-6 (F3)", "высота подвеса провода 1850 м вне допустимых пределов 3…200 м"},
        {{{10, "1600"}}, "Ячейка 3-10 (J3)", "габарит 1600 м вне допустимых пределов 0.1…200 м"},
        {{{13, "300"}}, "Ячейка 3-13 (M3)", "расстояние от опоры 300 м вне допустимых пределов 0…250 м"},
        {{{18, "-2"}, {17, ""}}, "Ячейка 3-18 (R3)", "высота пересекаемого объекта -2 м вне допустимых пределов"},
        {{{21, "2500"}}, "Ячейка 3-21 (U3)", "ток ВЛ 2500 А вне допустимых пределов 0…2000 А"},
        {{{21, "4500"}, {3, "2хАС/240/32"}}, "Ячейка 3-21 (U3)", "0…4000 А (2 провода в фазе по 2000 А)"},
        {{{22, "70"}}, "Ячейка 3-22 (V3)", "температура воздуха 70 °C вне допустимых пределов -60…60 °C"},
        {{{22, "20/95"}}, "Ячейка 3-22 (V3)", "температура провода 95 °C вне допустимых пределов -60…90 °C"},
        {{{23, "75"}}, "Ячейка 3-23 (W3)", "скорость ветра 75 м/с вне допустимых пределов 0…60 м/с"},
        {{{26, "5557"}}, "Ячейка 3-26 (Z3)", "географическая широта 5557 град. с. ш. вне допустимых пределов 35…80"},
        {{{8, "15200"}}, "Ячейка 3-8 (H3)", "высота над уровнем моря 15200 м вне допустимых пределов -200…5000 м"},
    };
    for (const Case& c : cases) {
        const std::string msg = ExampleError(c.cells);
        EXPECT_EQ(msg.rfind(c.start, 0), 0u) << msg;
        EXPECT_NE(msg.find(c.detail), std::string::npos) << msg << "\n" << c.detail;
    }
}

// A blank row is passed over, a note under the table is not read, and in a workbook of several
// lines a row without a conductor but with data is a data row at fault, not a line name.
TEST(ImportCells, BlankRowsNotesAndLineNames) {
    Workbook book = CrewSheet(ImportPoints::One);
    Sheet& s = book.FirstSheet();
    for (int c = 1; c <= 29; ++c) s.SetText(5, c, s.Text(3, c));
    s.SetText(5, 2, "2-3");
    s.SetText(7, 2, "Замеры выполнил: бригада № 3");
    const ImportTable t = ReadImportSheet(s, ImportPoints::One, false, Wires());
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[1].sheetRow, 5);
    EXPECT_EQ(t.cells.size(), 5u);  // the grid shows the sheet's rows 3..7
    EXPECT_EQ(t.cellRows.front(), 3);

    // Several lines: row 3 names the first one, so row 5's data belong to it.
    EXPECT_THROW(ReadImportSheet(s, ImportPoints::One, true, Wires()), ImportError);  // data above any name
    for (int c = 1; c <= 29; ++c) s.SetText(3, c, "");
    s.SetText(3, 1, "ПС А");
    s.SetText(3, 2, "ПС Б");
    s.SetText(4, 1, "Участок 2");
    s.SetText(4, 2, "ПС В");
    s.SetText(4, 5, "100");
    EXPECT_THROW(ReadImportSheet(s, ImportPoints::One, true, Wires()), ImportError);  // data without a conductor
    s.SetText(4, 5, "");
    const ImportTable m = ReadImportSheet(s, ImportPoints::One, true, Wires());
    ASSERT_EQ(m.rows.size(), 3u);
    EXPECT_TRUE(m.rows[0].separator);
    EXPECT_EQ(m.rows[0].LineFrom, "ПС А");
    EXPECT_TRUE(m.rows[1].separator);
    EXPECT_EQ(m.rows[2].LineFrom, "Участок 2");
    EXPECT_EQ(m.rows[2].LineTo, "ПС В");
}

// The crews' templates: the headers of the layout over empty bordered data rows with drop-down
// lists, the example on a sheet of its own (which the import never reads) whose row imports into
// a span with a sensible reference state which the line calculation takes, the instruction,
// and the lists.
TEST(ImportTemplate, ExampleOnItsOwnSheetListsAndInstruction) {
    for (ImportPoints p : {ImportPoints::One, ImportPoints::Two}) {
        SCOPED_TRACE(ImportTemplateName(p));
        const Workbook shipped = Workbook::Open(PathToUtf8(kData / fs::u8path(ImportTemplateName(p))));
        ASSERT_EQ(shipped.SheetCount(), 4);
        const Sheet& s = shipped.FirstSheet();
        EXPECT_EQ(s.Name(), "Замеры");
        for (int c = 1; c <= ImportColumnCount(p); ++c) EXPECT_EQ(s.Text(1, c), ImportHeaders(p)[c - 1]);
        EXPECT_EQ(s.LastUsedCell(), (CellAddress{2, ImportColumnCount(p)}));  // no data row
        EXPECT_NE(s.Style(kImportFirstRow + 499, 1), 0);                      // bordered data rows
        const auto lists = s.ListValidations();
        ASSERT_EQ(lists.size(), 6u);
        const int type = p == ImportPoints::One ? 15 : 19;
        EXPECT_EQ(lists[0].range, CellName(3, type) + ":" + CellName(502, type));
        EXPECT_EQ(lists[0].source, "'Списки'!$A$2:$A$14");
        EXPECT_EQ(lists[2].range, "C3:C502");
        EXPECT_FALSE(lists[2].strict);  // "2хАС/240/32" too
        EXPECT_EQ(shipped.Worksheet(4).Name(), "Списки");
        EXPECT_EQ(shipped.Worksheet(4).Text("A11"), "Автомобильная дорога");
        EXPECT_EQ(shipped.Worksheet(4).Text("D2"), "А/16");
        EXPECT_EQ(shipped.Worksheet(3).Name(), "Инструкция");
        EXPECT_NE(shipped.Worksheet(3).Text("A11").find("«В файле Excel несколько линий»"), std::string::npos);
        const Sheet& example = shipped.Worksheet(2);
        EXPECT_EQ(example.Name(), kImportExampleSheet);

        // Imported untouched: an empty table, the example sheet named.
        try {
            ReadImportWorkbook(PathToUtf8(kData / fs::u8path(ImportTemplateName(p))), p, false, Wires());
            ADD_FAILURE();
        } catch (const ImportError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Таблица пуста\nЛист «Пример заполнения» — образец заполнения, он не импортируется.");
        }
        // The example row, in the crew's sheet on another day, is a calculable span.
        Network net;
        ScriptedDialogs dlg;
        qemtest::TempFolder dir;
        ImportChoice c;
        c.from = "ПС А";
        c.to = "ПС Б";
        Workbook crew = CrewSheet(p);
        ASSERT_TRUE(ConfirmImport(net, ReadImportSheet(crew.FirstSheet(), p, false, Wires()), c,
                                  PathToUtf8(dir / "t.qem"), Wire1(), dlg))
            << dlg.Texts().at(0);
        const TySpan& span = net.Line(1).Span(1);
        EXPECT_GT(span.Si, 4);
        EXPECT_LT(span.Si, 9);
        EXPECT_EQ(span.Prep[1].TPrp, 9);

        CalcEnv env;
        env.norms = &Data().norms;
        env.mode = p == ImportPoints::One ? ZamerMode::OnePoint : ZamerMode::TwoPoints;
        env.seaLevel = span.UseSea == 1;
        Report r;
        dlg.shown.clear();
        EXPECT_EQ(LineRegimeCommand(net, env, dlg, r).end, CommandEnd::Done);
        EXPECT_TRUE(dlg.shown.empty()) << dlg.Texts().at(0);

        qemtest::TempFolder out;
        SaveImportTemplate(p, kData, PathToUtf8(out / "копия.xlsx"), Wires());
        EXPECT_EQ(ReadWholeFile(PathToUtf8(out / "копия.xlsx")),
                  ReadWholeFile(PathToUtf8(kData / fs::u8path(ImportTemplateName(p)))));
    }
}

// A single new line without its names is refused; an imported line's number is visibly unset
// in the line list (and, in the exports, an empty cell).
TEST(ImportNames, NewLineNeedsItsNamesAndItsNumberIsUnset) {
    for (ImportMode mode : {ImportMode::NewNetwork, ImportMode::AppendToNetwork}) {
        SampleTarget t;
        ImportChoice c;
        c.mode = mode;
        EXPECT_FALSE(t.Import("one_point.xlsx", ImportPoints::One, c));
        ASSERT_EQ(t.dlg.Texts().size(), 1u);
        EXPECT_EQ(t.dlg.Texts()[0], kMsgNoLineNames);
        EXPECT_TRUE(t.Unchanged());
    }
    Imported im("one_point.xlsx", ImportPoints::One);
    ASSERT_TRUE(im.ok);
    EXPECT_EQ(im.net.Line(1).NVL, 0);
    EXPECT_EQ(LineListCell(im.net.Line(1), 1, 3), "—");
    ScriptedDialogs dlg;
    ASSERT_TRUE(EditLineListCell(im.net, 1, 3, "—", dlg));  // the shown text read back leaves it unset
    EXPECT_EQ(im.net.Line(1).NVL, 0);
    EXPECT_TRUE(dlg.shown.empty());
    EditLineListCell(im.net, 1, 3, "17", dlg);
    EXPECT_EQ(LineListCell(im.net.Line(1), 1, 3), "    17");
}

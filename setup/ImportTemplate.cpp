#include "setup/ImportTemplate.h"

#include <algorithm>
#include <variant>
#include <vector>

#include "model/Cp1251.h"
#include "model/TextGrid.h"
#include "platform/FileSystem.h"

namespace qem {
namespace {

// Data rows of the template, with borders, text formats and drop-down lists for the crews.
constexpr int kDataRows = 500;

// What a column holds: its hint (row 2), width in characters, the example value (row 3) and
// whether the column is formatted as text, so that the spreadsheet program keeps what is typed
// (the date column is not: a date typed there becomes a date cell, which the import takes).
struct Column {
    const char* hint;
    double width;
    std::variant<double, const char*> example;
    bool text = false;
};

// The example: a 250 m span of a 110 kV line with AC 240/32 over gently rising ground,
// crossing a road; the measured heights are those of a conductor at about 6 kgf/mm2.
const std::vector<Column> kOnePointColumns = {
    {"ч.мм.дд.мм.гггг или дата", 17, "10.30.25.06.2012"},
    {"опора-опора", 8, "1-2", true},
    {"[число х] марка/Al/St", 15, "АС/240/32", true},
    {"1 насел., 2 ненасел., 3 труднодост., 4 недост. склоны", 12, 2.0},
    {"м", 11, 250.0},
    {"м", 11, 19.0},
    {"м", 11, 19.5},
    {"м, можно не заполнять", 12, 152.0},
    {"м, можно не заполнять", 12, 154.0},
    {"м", 13, 16.0},
    {"м, можно не заполнять", 13, 151.8},
    {"м", 12, 15.8},
    {"м", 12, 140.0},
    {"м, можно не заполнять", 12, 151.8},
    {"из списка типов; пусто - нет объекта", 20, "Автомобильная дорога", true},
    {"м", 14, 90.0},
    {"м (два габарита из трёх)", 14, 16.0},
    {"м (0 - дорога)", 12, 0.0},
    {"м", 14, 16.0},
    {"м, можно не заполнять", 13, 151.9},
    {"А", 9, 180.0},
    {"воздух или воздух/провод", 13, "20/24", true},
    {"м/с", 8, 1.5},
    {"град. к оси ВЛ", 10, 45.0},
    {"0 ясно, 1 облачно, 2 пасмурно, 3 вечер/ночь", 12, 0.0},
    {"град., можно не заполнять", 11, 55.7},
    {"1..7", 9, 2.0},
    {"1..7", 9, 2.0},
    {"можно не заполнять", 24, "Габариты в норме", true},
};

const std::vector<Column> kTwoPointColumns = {
    kOnePointColumns[0],
    kOnePointColumns[1],
    kOnePointColumns[2],
    kOnePointColumns[3],
    kOnePointColumns[4],
    kOnePointColumns[5],
    kOnePointColumns[6],
    kOnePointColumns[7],
    kOnePointColumns[8],
    {"м", 13, 16.5},
    {"м, можно не заполнять", 13, 151.9},
    {"м, в первой половине пролёта", 14, 60.0},
    {"м", 13, 16.9},
    {"м, можно не заполнять", 13, 152.8},
    {"м, во второй половине пролёта", 14, 190.0},
    kOnePointColumns[11],
    kOnePointColumns[12],
    kOnePointColumns[13],
    kOnePointColumns[14],
    kOnePointColumns[15],
    kOnePointColumns[16],
    kOnePointColumns[17],
    kOnePointColumns[18],
    kOnePointColumns[19],
    kOnePointColumns[20],
    kOnePointColumns[21],
    kOnePointColumns[22],
    kOnePointColumns[23],
    kOnePointColumns[24],
    kOnePointColumns[25],
    kOnePointColumns[26],
    kOnePointColumns[27],
    kOnePointColumns[28],
};

}  // namespace

std::vector<std::string> ImportTemplateExampleRow(ImportPoints p) {
    std::vector<std::string> texts;
    for (const Column& c : p == ImportPoints::One ? kOnePointColumns : kTwoPointColumns)
        texts.push_back(std::holds_alternative<double>(c.example)
                            ? CellText(CellValue::Number(std::get<double>(c.example)))
                            : std::string(std::get<const char*>(c.example)));
    return texts;
}

const char* ImportTemplateName(ImportPoints p) {
    return p == ImportPoints::One ? kImportTemplateOnePoint : kImportTemplateTwoPoints;
}

namespace {

// The lists the drop-downs offer, on their own sheet: the obstacle types (A), the terrain types
// (B, C: their numbers and names) and the catalog's conductors (D).
constexpr const char* kListsSheet = "Списки";
constexpr const char* kInstructionSheet = "Инструкция";

// Conductor texts as the import reads them: "АС/240/32", "А/95" without steel; each once.
std::vector<std::string> ConductorTexts(const WireCatalog& wires) {
    std::vector<std::string> out;
    for (int k = 1; k <= wires.NWires; ++k) {
        const TyWire& w = wires.Wires[k];
        std::string t = Cp1251ToUtf8(w.Name.str()) + "/" + ShortestSingle(w.SAlN);
        if (w.SStN != 0) t += "/" + ShortestSingle(w.SStN);
        if (std::find(out.begin(), out.end(), t) == out.end()) out.push_back(t);
    }
    return out;
}

struct Styles {
    int head, hint, number, text, note, noteHead;
};

Styles AddStyles(Workbook& book) {
    CellStyle head;
    head.bold = true;
    head.wrap = true;
    head.border = true;
    head.fill = "DDEBF7";
    head.hAlign = CellStyle::HAlign::Center;
    head.vAlign = CellStyle::VAlign::Center;
    CellStyle hint = head;
    hint.bold = false;
    hint.italic = true;
    hint.fontSize = 8;
    hint.fill = "F2F2F2";
    CellStyle number;
    number.border = true;
    CellStyle text = number;
    text.numberFormat = "@";
    CellStyle note;
    note.wrap = true;
    note.vAlign = CellStyle::VAlign::Top;
    CellStyle noteHead = note;
    noteHead.bold = true;
    noteHead.fontSize = 11;
    return {book.AddStyle(head), book.AddStyle(hint), book.AddStyle(number),
            book.AddStyle(text), book.AddStyle(note), book.AddStyle(noteHead)};
}

// The two header rows, the column widths and the look of the data rows first..last.
void LayOut(Sheet& sheet, ImportPoints p, const Styles& st, int first, int last) {
    const auto& headers = ImportHeaders(p);
    const auto& columns = p == ImportPoints::One ? kOnePointColumns : kTwoPointColumns;
    for (int c = 1; c <= int(columns.size()); ++c) {
        const Column& col = columns[std::size_t(c - 1)];
        sheet.SetText(1, c, headers[std::size_t(c - 1)]);
        sheet.SetStyle(1, c, st.head);
        sheet.SetText(2, c, col.hint);
        sheet.SetStyle(2, c, st.hint);
        sheet.SetColumnWidth(c, col.width);
        for (int r = first; r <= last; ++r) sheet.SetStyle(r, c, col.text ? st.text : st.number);
    }
    sheet.SetRowHeight(1, 90);
    sheet.SetRowHeight(2, 48);
    sheet.FreezePanes("C3");
    PageSetup page;
    page.landscape = true;
    page.printTitleRows = "1:2";
    page.printTitleColumns = "A:B";
    sheet.SetPageSetup(page);
}

// The column of a field of the layout (1..), from its header.
int ColumnOf(ImportPoints p, const char* header) {
    const auto& h = ImportHeaders(p);
    for (std::size_t i = 0; i < h.size(); ++i)
        if (std::string_view(h[i]) == header) return int(i) + 1;
    return 0;
}

void Lists(Sheet& lists, const Styles& st, const std::vector<std::string>& wires) {
    lists.SetText(1, 1, "Тип пересекаемого объекта");
    lists.SetText(1, 2, "Тип местности");
    lists.SetText(1, 4, "Марка провода");
    for (int c = 1; c <= 4; ++c) lists.SetStyle(1, c, st.head);
    lists.Merge("B1:C1");
    for (int i = 0; i < kObstacleTypes; ++i) lists.SetText(i + 2, 1, kObstacleTypeText[std::size_t(i)]);
    const char* const terrain[] = {"населённая местность", "ненаселённая местность", "труднодоступная местность",
                                   "недоступные склоны гор"};
    for (int i = 0; i < 4; ++i) {
        lists.SetNumber(i + 2, 2, i + 1);
        lists.SetText(i + 2, 3, terrain[i]);
    }
    for (std::size_t i = 0; i < wires.size(); ++i) lists.SetText(int(i) + 2, 4, wires[i]);
    lists.SetColumnWidth(1, 24);
    lists.SetColumnWidth(2, 8);
    lists.SetColumnWidth(3, 28);
    lists.SetColumnWidth(4, 18);
}

void Validations(Sheet& sheet, ImportPoints p, int first, int last, std::size_t wires) {
    const std::string rows = std::to_string(first) + ":" + std::to_string(last);
    auto range = [&](int col) { return CellName(first, col) + ":" + CellName(last, col); };
    const std::string lists = std::string("'") + kListsSheet + "'!";
    sheet.AddListValidation({range(ColumnOf(p, "Тип пересекаемого объекта")),
                             lists + "$A$2:$A$" + std::to_string(kObstacleTypes + 1), true, "Пересекаемый объект",
                             "Выберите тип из списка; пустая ячейка — в пролёте нет пересекаемого объекта",
                             "Тип пересекаемого объекта выбирается из списка (лист «Списки»)"});
    sheet.AddListValidation(
        {range(4), lists + "$B$2:$B$5", true, "Тип местности",
         "1 — населённая, 2 — ненаселённая, 3 — труднодоступная местность, 4 — недоступные склоны гор",
         "Тип местности — число от 1 до 4"});
    if (wires > 0)
        sheet.AddListValidation({range(3), lists + "$D$2:$D$" + std::to_string(wires + 1), false, "Марка провода",
                                 "Выберите из каталога или впишите; несколько проводов в фазе: 2хАС/240/32", ""});
    sheet.AddListValidation({range(ColumnOf(p, "Погодные условия")), "\"0,1,2,3\"", true, "Погодные условия",
                             "0 — ясно, 1 — облачно, 2 — пасмурно, 3 — вечер или ночь",
                             "Погодные условия — 0, 1, 2 или 3"});
    for (const char* h : {"Район по гололёду", "Район по ветру"})
        sheet.AddListValidation(
            {range(ColumnOf(p, h)), "\"1,2,3,4,5,6,7\"", true, h, "Район от 1 до 7", "Район — число от 1 до 7"});
}

// The instruction: what goes where, the units, the layout of a workbook of several lines.
void Instruction(Sheet& s, ImportPoints p, const Styles& st) {
    const bool two = p == ImportPoints::Two;
    const std::vector<std::pair<bool, std::string>> lines = {
        {true, two ? "Замеры пролётов по двум точкам: как заполнить книгу"
                   : "Замеры пролётов по одной точке: как заполнить книгу"},
        {false,
         "Данные вносятся на лист «Замеры», начиная с третьей строки: одна строка — один пролёт. Первая строка — "
         "заголовки столбцов, вторая — единицы измерения; не удаляйте и не переставляйте их. Программа читает "
         "только первый лист книги. Лист «Пример заполнения» — образец, он не импортируется."},
        {true, "Столбцы"},
        {false,
         "A — дата и время замера: ч.мм.дд.мм.гггг (например 10.30.25.06.2012 — 10:30 25 июня 2012 г.) или "
         "ячейка с датой и временем. B — номера опор пролёта через дефис (12-13). C — марка провода, как в "
         "каталоге: марка/сечение алюминия/сечение стали (АС/240/32); при нескольких проводах в фазе — число и "
         "«х» (2хАС/240/32). D — тип местности: 1 — населённая, 2 — ненаселённая, 3 — труднодоступная, "
         "4 — недоступные склоны гор. E — длина пролёта; F, G — высоты подвеса провода на опорах 1 и 2 над "
         "землёй у опоры; H, I — высоты опор над уровнем моря (можно не заполнять)."},
        {false, two ? "J–O — два замера в пролёте: габарит от провода до земли, высота земли над уровнем моря и "
                      "расстояние от опоры 1 до точки замера (первая точка — в первой половине пролёта, вторая — во "
                      "второй). P–R — наименьший габарит до земли, расстояние до него от опоры 1 и высота земли там "
                      "над уровнем моря."
                    : "J — габарит от провода до земли в середине пролёта, K — высота земли там над уровнем моря. "
                      "L–N — наименьший габарит до земли, расстояние до него от опоры 1 и высота земли там над "
                      "уровнем моря."},
        {false, std::string(two ? "S–X" : "O–T") +
                    " — пересекаемый объект: тип из списка, расстояние от опоры 1, габарит от провода до земли в "
                    "месте пересечения, высота объекта, габарит между проводом и объектом, высота земли над уровнем "
                    "моря. Из трёх высот достаточно двух; у дороги, железной дороги, трамвайной и троллейбусной линии "
                    "высота объекта — 0, и достаточно одного габарита. Если объектов в пролёте несколько, каждый "
                    "записывается в свою строку с теми же номерами опор, остальные данные строки повторяются."},
        {false, std::string(two ? "Y–AG" : "U–AC") +
                    " — условия замера: ток ВЛ (А), температура воздуха или «воздуха/провода» (20 или 20/35, °C), "
                    "скорость ветра (м/с) и его направление к оси ВЛ (град.), погодные условия (0 — ясно, 1 — облачно, "
                    "2 — пасмурно, 3 — вечер или ночь), географическая широта (можно не заполнять), районы по гололёду "
                    "и по ветру (1–7), заключение (можно не заполнять)."},
        {true, "Единицы и пределы"},
        {false,
         "Длины, высоты и габариты — в метрах (не в сантиметрах), ток — в амперах, температуры — в °C. Значения "
         "вне пределов, возможных для ВЛ 6–750 кВ, не принимаются: длина пролёта 10–2000 м, высота подвеса "
         "3–200 м, габариты до 200 м, ток до 2000 А на провод фазы, температура воздуха от −60 до +60 °C, "
         "скорость ветра до 60 м/с, широта 35–80°."},
        {true, "Несколько линий в одной книге"},
        {false,
         "Перед строками пролётов каждой линии вставьте строку с её названием: начало линии в столбце A, конец — "
         "в столбце B, остальные ячейки строки пустые (например «ПС Северная» и «ПС Южная»). При импорте "
         "отметьте «В файле Excel несколько линий»."},
        {true, "Списки"},
        {false,
         "Типы пересекаемых объектов, типы местности и марки проводов каталога выбираются из раскрывающихся "
         "списков ячеек; сами списки — на листе «Списки»."},
    };
    // One column as wide as an A4 page stands.
    s.SetColumnWidth(1, 92);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int r = int(i) + 1;
        s.SetText(r, 1, lines[i].second);
        s.SetStyle(r, 1, lines[i].first ? st.noteHead : st.note);
        // Some ninety characters a line at this width: whole lines of text.
        const std::size_t textLines = 1 + Utf8Length(lines[i].second) / 90;
        s.SetRowHeight(r, lines[i].first ? 22 : 13 * double(textLines));
    }
    s.SetPageSetup(PageSetup{});
}

}  // namespace

Workbook BuildImportTemplate(ImportPoints p, const WireCatalog& wires) {
    const auto& columns = p == ImportPoints::One ? kOnePointColumns : kTwoPointColumns;
    Workbook book = Workbook::Create("Замеры");
    const Styles st = AddStyles(book);
    const int last = kImportFirstRow + kDataRows - 1;
    Sheet& data = book.FirstSheet();
    LayOut(data, p, st, kImportFirstRow, last);

    // The example on its own sheet, which the import never reads.
    Sheet& example = book.AddSheet(kImportExampleSheet);
    LayOut(example, p, st, kImportFirstRow, kImportFirstRow);
    for (int c = 1; c <= int(columns.size()); ++c) {
        const Column& col = columns[std::size_t(c - 1)];
        if (const double* v = std::get_if<double>(&col.example))
            example.SetNumber(kImportFirstRow, c, *v);
        else
            example.SetText(kImportFirstRow, c, std::get<const char*>(col.example));
    }
    example.SetText(kImportFirstRow + 2, 1,
                    "Образец: пролёт 1-2 длиной 250 м с проводом АС/240/32, пересекающий автомобильную дорогу в 90 м "
                    "от опоры 1. Этот лист не импортируется: данные вносите на лист «Замеры».");
    example.SetStyle(kImportFirstRow + 2, 1, st.note);
    example.Merge(CellName(kImportFirstRow + 2, 1) + ":" + CellName(kImportFirstRow + 2, 9));
    example.SetRowHeight(kImportFirstRow + 2, 30);

    Sheet& instruction = book.AddSheet(kInstructionSheet);
    Instruction(instruction, p, st);

    const std::vector<std::string> wireTexts = ConductorTexts(wires);
    Sheet& lists = book.AddSheet(kListsSheet);
    Lists(lists, st, wireTexts);
    Validations(data, p, kImportFirstRow, last, wireTexts.size());
    return book;
}

void SaveImportTemplate(ImportPoints p, const std::filesystem::path& dataDir, const std::string& file,
                        const WireCatalog& wires) {
    if (auto shipped = ReadFileIfExists(dataDir / PathFromUtf8(ImportTemplateName(p)))) {
        WriteFileAtomically(file, *shipped);
        return;
    }
    BuildImportTemplate(p, wires).Save(file);
}

}  // namespace qem

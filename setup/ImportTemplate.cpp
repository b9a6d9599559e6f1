#include "setup/ImportTemplate.h"

#include <variant>
#include <vector>

#include "platform/FileSystem.h"

namespace qem {
namespace {

// Data rows of the template whose text columns are formatted as text for the crews.
constexpr int kTextRows = 500;

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
    kOnePointColumns[0], kOnePointColumns[1], kOnePointColumns[2], kOnePointColumns[3], kOnePointColumns[4],
    kOnePointColumns[5], kOnePointColumns[6], kOnePointColumns[7], kOnePointColumns[8],
    {"м", 13, 16.5},
    {"м, можно не заполнять", 13, 151.9},
    {"м, в первой половине пролёта", 14, 60.0},
    {"м", 13, 16.9},
    {"м, можно не заполнять", 13, 152.8},
    {"м, во второй половине пролёта", 14, 190.0},
    kOnePointColumns[11], kOnePointColumns[12], kOnePointColumns[13], kOnePointColumns[14], kOnePointColumns[15],
    kOnePointColumns[16], kOnePointColumns[17], kOnePointColumns[18], kOnePointColumns[19], kOnePointColumns[20],
    kOnePointColumns[21], kOnePointColumns[22], kOnePointColumns[23], kOnePointColumns[24], kOnePointColumns[25],
    kOnePointColumns[26], kOnePointColumns[27], kOnePointColumns[28],
};

}  // namespace

const char* ImportTemplateName(ImportPoints p) {
    return p == ImportPoints::One ? kImportTemplateOnePoint : kImportTemplateTwoPoints;
}

Workbook BuildImportTemplate(ImportPoints p) {
    const auto& headers = ImportHeaders(p);
    const auto& columns = p == ImportPoints::One ? kOnePointColumns : kTwoPointColumns;
    Workbook book = Workbook::Create("Замеры");
    Sheet& sheet = book.FirstSheet();

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
    CellStyle plainText;
    plainText.numberFormat = "@";
    const int sHead = book.AddStyle(head), sHint = book.AddStyle(hint), sNumber = book.AddStyle(number),
              sText = book.AddStyle(text), sPlainText = book.AddStyle(plainText);

    for (int c = 1; c <= int(columns.size()); ++c) {
        const Column& col = columns[std::size_t(c - 1)];
        sheet.SetText(1, c, headers[std::size_t(c - 1)]);
        sheet.SetStyle(1, c, sHead);
        sheet.SetText(2, c, col.hint);
        sheet.SetStyle(2, c, sHint);
        if (const double* v = std::get_if<double>(&col.example))
            sheet.SetNumber(kImportFirstRow, c, *v);
        else
            sheet.SetText(kImportFirstRow, c, std::get<const char*>(col.example));
        sheet.SetStyle(kImportFirstRow, c, col.text ? sText : sNumber);
        sheet.SetColumnWidth(c, col.width);
        if (col.text)
            for (int r = kImportFirstRow + 1; r <= kImportFirstRow + kTextRows; ++r) sheet.SetStyle(r, c, sPlainText);
    }
    sheet.SetRowHeight(1, 90);
    sheet.SetRowHeight(2, 48);
    sheet.FreezePanes("C3");
    PageSetup page;
    page.landscape = true;
    page.printTitleRows = "1:2";
    sheet.SetPageSetup(page);
    return book;
}

void SaveImportTemplate(ImportPoints p, const std::filesystem::path& dataDir, const std::string& file) {
    if (auto shipped = ReadFileIfExists(dataDir / PathFromUtf8(ImportTemplateName(p)))) {
        WriteFileAtomically(file, *shipped);
        return;
    }
    BuildImportTemplate(p).Save(file);
}

}  // namespace qem

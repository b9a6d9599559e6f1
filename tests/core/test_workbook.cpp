// The workbook layer on workbooks written by LibreOffice Calc (tests/core/data/workbooks,
// made by make_fixtures.py there), on workbooks it writes itself, and on hostile packages.
#include <gtest/gtest.h>
#include <zip.h>

#include <pugixml.hpp>

#include <map>
#include <sstream>
#include <string>

#include "TempFolder.h"
#include "platform/Workbook.h"
#include "platform/WorkbookDetail.h"

using namespace qem;

namespace {

std::string Fixture(const std::string& name) {
    return std::string(QEM_SOURCE_DIR) + "/tests/core/data/workbooks/" + name;
}

using Parts = std::map<std::string, std::string>;

// A package of the given parts (deflated), as bytes.
Bytes Zip(const Parts& parts) {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &err);
    zip_source_keep(out);
    zip_t* za = zip_open_from_source(out, ZIP_TRUNCATE, &err);
    for (const auto& [name, text] : parts) {
        zip_source_t* s = zip_source_buffer(za, text.data(), text.size(), 0);
        zip_file_add(za, name.c_str(), s, ZIP_FL_ENC_UTF_8);
    }
    zip_close(za);
    zip_stat_t st;
    zip_source_stat(out, &st);
    zip_source_open(out);
    Bytes b(st.size);
    zip_source_read(out, b.data(), b.size());
    zip_source_close(out);
    zip_source_free(out);
    return b;
}

// Every part of a package.
Parts Unzip(const Bytes& bytes) {
    Parts parts;
    zip_error_t err;
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &err);
    zip_t* za = zip_open_from_source(src, ZIP_RDONLY, &err);
    for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(za, i, 0, &st);
        std::string data(st.size, '\0');
        zip_file_t* f = zip_fopen_index(za, i, 0);
        zip_fread(f, data.data(), data.size());
        zip_fclose(f);
        parts[st.name] = data;
    }
    zip_discard(za);
    return parts;
}

// The smallest package a spreadsheet program opens; `sheetData` is the content of the sheet.
Parts MinimalParts(const std::string& sheetData = "<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>") {
    const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    return {
        {"[Content_Types].xml",
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>"},
        {"_rels/.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             rel +
             "/officeDocument\" Target=\"xl/workbook.xml\"/>"
             "</Relationships>"},
        {"xl/workbook.xml", "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rel +
                                "\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             rel +
             "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
             "<Relationship Id=\"rId2\" Type=\"" +
             rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"},
        {"xl/worksheets/sheet1.xml",
         "<worksheet xmlns=\"" + main + "\"><sheetData>" + sheetData + "</sheetData></worksheet>"},
        {"xl/sharedStrings.xml", "<sst xmlns=\"" + main + "\"><si><t>один</t></si></sst>"},
    };
}

// The message of the WorkbookError that opening the bytes raises ("" when it opens).
std::string OpenError(const Bytes& bytes, const WorkbookLimits& limits = {}) {
    try {
        Workbook::FromBytes(bytes, limits, "hostile.xlsx");
    } catch (const WorkbookError& e) {
        return e.what();
    }
    return "";
}

// The XML element `name` (first of its name, anywhere) of a part, printed in one way.
std::string Element(const std::string& xml, const std::string& name) {
    pugi::xml_document doc;
    doc.load_string(xml.c_str());
    const pugi::xml_node n = doc.find_node([&](pugi::xml_node x) { return name == x.name(); });
    std::ostringstream o;
    if (n) n.print(o, "", pugi::format_raw);
    return o.str();
}

struct KindCase {
    const char* cell;
    CellKind kind;
    const char* text;
    bool date;
    bool formula;
};

// What LibreOffice wrote into kinds.xlsx and kinds.xls (make_fixtures.py).
const KindCase kKinds[] = {
    {"A1", CellKind::Text, "Текст", false, false},
    {"B1", CellKind::Number, "42", false, false},
    {"C1", CellKind::Number, "3.25", false, false},
    {"E1", CellKind::Number, "84", false, true},
    {"F1", CellKind::Number, "44259.2125810185", true, false},
    {"G1", CellKind::Number, "43832", true, false},
    {"H1", CellKind::Text, "Текст!", false, true},
    {"J1", CellKind::Text, "  пробелы  ", false, false},
    {"K1", CellKind::Text, "123", false, false},
    {"L1", CellKind::Number, "0.1", false, false},
    {"M1", CellKind::Number, "0.520833333333333", true, false},
    {"O1", CellKind::Number, "1234.5", false, false},
    {"A2", CellKind::Text, "Текст", false, false},
    {"E7", CellKind::Number, "-0.5", false, false},
    {"Q1", CellKind::Empty, "", false, false},
    {"Z50", CellKind::Empty, "", false, false},
};

// Every cell of kKinds read from the sheet as LibreOffice wrote it; `toTheSecond`: dates compared
// to the second (.xls keeps no finer), else as their text.
void ExpectKinds(const Sheet& s, bool toTheSecond) {
    for (const auto& k : kKinds) {
        SCOPED_TRACE(k.cell);
        const CellAddress a = ParseCell(k.cell);
        const CellValue v = s.Value(a.row, a.col);
        EXPECT_EQ(v.kind, k.kind);
        EXPECT_EQ(v.date, k.date);
        EXPECT_EQ(v.formula, k.formula);
        if (toTheSecond && k.date) {
            EXPECT_NEAR(v.number, std::stod(k.text), 1.0 / 86400);
        } else {
            EXPECT_EQ(CellText(v), k.text);
        }
    }
}

}  // namespace

TEST(Workbook, ReadsEveryCellKindLibreOfficeWrites) {
    const Workbook wb = Workbook::Open(Fixture("kinds.xlsx"));
    ASSERT_EQ(wb.SheetCount(), 2);
    const Sheet& s = wb.FirstSheet();
    EXPECT_EQ(s.Name(), "Замеры");
    ExpectKinds(s, false);
    // Booleans (LibreOffice writes them as TRUE()/FALSE() formulas) and a formula's error.
    EXPECT_EQ(s.Value(1, 4).kind, CellKind::Boolean);
    EXPECT_EQ(s.Text("D1"), "TRUE");
    EXPECT_EQ(s.Text("N1"), "FALSE");
    EXPECT_EQ(s.Value(1, 9).kind, CellKind::Error);
    EXPECT_EQ(s.Text("I1"), "#DIV/0!");
    EXPECT_EQ(s.Formula(1, 5), "B1*2");
    EXPECT_EQ(s.Value(1, 15).numberFormat, "#,##0.00");
    // The last cell holding a value; the formatted empty Z50 does not count.
    EXPECT_EQ(s.LastUsedCell(), (CellAddress{7, 16}));
    EXPECT_EQ(wb.Worksheet(2).Text("A1"), "второй лист");
}

// The workbooks the program reads but does not write: .xls through libfreexl, with the cached
// results of formulas from the file's own records, and .ods (LibreOffice's own format), each
// as LibreOffice saved the sheet of kinds.xlsx.
TEST(Workbook, ReadsLegacyXlsAndOpenDocumentLikeXlsx) {
    for (const char* file : {"kinds.xls", "kinds.ods"}) {
        SCOPED_TRACE(file);
        const Workbook wb = Workbook::Open(Fixture(file));
        EXPECT_TRUE(wb.ReadOnly());
        ASSERT_EQ(wb.SheetCount(), 2);
        const Sheet& s = wb.FirstSheet();
        EXPECT_EQ(s.Name(), "Замеры");
        ExpectKinds(s, true);
        // A formula's error; the truth values LibreOffice writes as TRUE()/FALSE() formulas.
        EXPECT_EQ(s.Value(1, 9).kind, CellKind::Error);
        EXPECT_EQ(s.Text("I1"), "#DIV/0!");
        EXPECT_TRUE(s.Value(1, 4).formula);
        EXPECT_EQ(s.Value(1, 4).number, 1);
        EXPECT_EQ(s.Value(1, 14).number, 0);
        EXPECT_EQ(s.LastUsedCell(), (CellAddress{7, 16}));
        EXPECT_EQ(wb.Worksheet(2).Text("A1"), "второй лист");
        Workbook copy = Workbook::Open(Fixture(file));
        EXPECT_THROW(copy.FirstSheet().SetText(1, 1, "x"), WorkbookError);
        EXPECT_THROW(copy.AddStyle(CellStyle{}), WorkbookError);
        EXPECT_THROW(copy.ToBytes(), WorkbookError);
    }
}

// A legacy workbook whose allocation-table chain comes back on itself makes libfreexl eat
// memory without bound: its reading process is stopped at its memory limit (under the
// sanitizers, which reserve their own address space, perhaps at its time limit first) and the
// file is refused as damaged, naming the limit reached.
TEST(Workbook, LegacyReaderIsBoundedInTimeAndMemory) {
    const Bytes loop = ReadWholeFile(Fixture("difat_loop.xls"));
    const std::string msg = OpenError(loop);
    EXPECT_NE(msg.find("повреждена"), std::string::npos) << msg;
    EXPECT_TRUE(msg.find("больше 256 МБ памяти") != std::string::npos || msg.find("дольше 5 с") != std::string::npos)
        << msg;
    WorkbookLimits tight;
    tight.maxReadMemory = 16u << 20;
    EXPECT_NE(OpenError(loop, tight).find("больше 16 МБ памяти"), std::string::npos) << OpenError(loop, tight);
    // Sound workbooks read well within both.
    EXPECT_EQ(OpenError(ReadWholeFile(Fixture("kinds.xls")), tight), "");
}

// Hostile OpenDocument packages: the same limits as for .xlsx, and repeated rows and cells that
// would expand beyond the cell limit or the sheet.
TEST(Workbook, HostileOpenDocumentIsRefused) {
    auto ods = [](const std::string& table, const std::string& doctype = "") {
        return Zip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                    {"content.xml",
                     "<?xml version=\"1.0\"?>" + doctype +
                         "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
                         "<office:spreadsheet><table:table table:name=\"Л\">" +
                         table + "</table:table></office:spreadsheet></office:body></office:document-content>"}});
    };
    const std::string value = "<table:table-cell office:value-type=\"float\" office:value=\"7\"/>";
    // What LibreOffice writes: trailing empty rows and cells repeated to the end of the sheet.
    const Workbook good =
        Workbook::FromBytes(ods("<table:table-row table:number-rows-repeated=\"2\"><table:table-cell "
                                "table:number-columns-repeated=\"3\"/>" +
                                value +
                                "<table:table-cell table:number-columns-repeated=\"16380\"/></table:table-row>"
                                "<table:table-row table:number-rows-repeated=\"1048574\"><table:table-cell "
                                "table:number-columns-repeated=\"16384\"/></table:table-row>"));
    EXPECT_EQ(good.FirstSheet().Text("D2"), "7");
    EXPECT_EQ(good.FirstSheet().LastUsedCell(), (CellAddress{2, 4}));
    struct Case {
        const char* what;
        Bytes bytes;
        std::string message;
    } cases[] = {
        {"a value repeated beyond the cell limit",
         ods("<table:table-row table:number-rows-repeated=\"100000\">"
             "<table:table-cell office:value-type=\"float\" office:value=\"1\" table:number-columns-repeated=\"100\"/>"
             "</table:table-row>"),
         "больше 1000000 ячеек"},
        {"a value beyond the last row",
         ods("<table:table-row table:number-rows-repeated=\"1048576\"/><table:table-row>" + value +
             "</table:table-row>"),
         "вне листа"},
        {"a value beyond the last column",
         ods("<table:table-row><table:table-cell table:number-columns-repeated=\"16384\"/>" + value +
             "</table:table-row>"),
         "вне листа"},
        {"a negative repeat count", ods("<table:table-row table:number-rows-repeated=\"-5\"/>"), "повторений"},
        {"entities", ods("", "<!DOCTYPE x [<!ENTITY a \"aaaa\">]>"), "DOCTYPE"},
        {"a number that does not read",
         ods("<table:table-row><table:table-cell office:value-type=\"float\" "
             "office:value=\"1e999\"/></table:table-row>"),
         "не число"},
        {"no tables", Zip({{"content.xml", "<office:document-content/>"}}), "нет листов"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string msg = OpenError(c.bytes);
        EXPECT_NE(msg.find(c.message), std::string::npos) << msg;
    }
    // Row groups nested without end.
    std::string deep;
    for (int i = 0; i < 100; ++i) deep += "<table:table-row-group>";
    for (int i = 0; i < 100; ++i) deep += "</table:table-row-group>";
    EXPECT_NE(OpenError(ods(deep)).find("вложены глубже"), std::string::npos);
}

TEST(Workbook, WrittenTextsBecomeNumbersTextsOrEmptyCells) {
    Workbook wb = Workbook::Open(Fixture("kinds.xlsx"));
    Sheet& s = wb.FirstSheet();
    s.SetText(1, 1, "  450");           // numeric text: a number
    s.SetText(1, 2, "12,5");            // decimal comma too
    s.SetText(1, 3, "Провод ВЛ");       // a text, over a number
    s.SetText(1, 5, "");                // empties the formula cell
    s.SetText("F9:H10", "500000");      // a range
    s.SetText(3, 1, " a\x01_x0041_ ");  // characters XML cannot hold survive
    const Workbook back = Workbook::FromBytes(wb.ToBytes());
    const Sheet& r = back.FirstSheet();
    EXPECT_EQ(r.Value(1, 1).kind, CellKind::Number);
    EXPECT_EQ(r.Text(1, 1), "450");
    EXPECT_EQ(r.Text(1, 2), "12.5");
    EXPECT_EQ(r.Value(1, 3).kind, CellKind::Text);
    EXPECT_EQ(r.Text(1, 3), "Провод ВЛ");
    EXPECT_EQ(r.Value(1, 5).kind, CellKind::Empty);
    EXPECT_EQ(r.Formula(1, 5), "");
    for (const char* c : {"F9", "G9", "H9", "F10", "H10"}) EXPECT_EQ(r.Text(c), "500000") << c;
    EXPECT_EQ(r.Text(3, 1), " a\x01_x0041_ ");
    // A date cell written over keeps its style, so a number written there is a date.
    Workbook wb2 = Workbook::Open(Fixture("kinds.xlsx"));
    wb2.FirstSheet().SetText(1, 7, "43900");
    EXPECT_TRUE(Workbook::FromBytes(wb2.ToBytes()).FirstSheet().Value(1, 7).date);
    // Not-a-number and texts too long for a cell are refused.
    EXPECT_THROW(s.SetNumber(1, 1, std::nan("")), WorkbookError);
    EXPECT_THROW(s.SetText(1, 1, std::string(kMaxCellTextChars + 1, 'x')), WorkbookError);
}

TEST(Workbook, TemplateRoundTripKeepsEverythingNotWritten) {
    const Bytes original = ReadWholeFile(Fixture("styled.xlsx"));
    Workbook wb = Workbook::FromBytes(original);
    Sheet& s = wb.FirstSheet();
    s.SetText(5, 2, "изменено");
    s.SetText(4, 3, "1");
    qemtest::TempFolder tmp;
    const std::string out = (tmp / "копия.xlsx").string();
    wb.Save(out);
    const Parts before = Unzip(original), after = Unzip(ReadWholeFile(out));
    for (const auto& [name, data] : before) {
        ASSERT_TRUE(after.count(name)) << name;
        if (name != "xl/worksheets/sheet1.xml" && name != "xl/workbook.xml") {
            EXPECT_EQ(after.at(name), data) << name;
        }
    }
    const std::string& a = after.at("xl/worksheets/sheet1.xml");
    const std::string& b = before.at("xl/worksheets/sheet1.xml");
    for (const char* e : {"cols", "mergeCells", "sheetViews", "pageSetup", "sheetFormatPr"}) {
        ASSERT_FALSE(Element(b, e).empty()) << e;
        EXPECT_EQ(Element(a, e), Element(b, e)) << e;
    }
    const Workbook back = Workbook::Open(out);
    const Sheet& r = back.FirstSheet();
    EXPECT_EQ(r.Formula(7, 3), "MIN(C4:C6)");
    EXPECT_EQ(r.Value(7, 3).numberFormat, "0.0");
    EXPECT_EQ(r.Value(4, 4).numberFormat, "#,##0");
    EXPECT_EQ(r.Text(5, 2), "изменено");
    EXPECT_EQ(r.Style(4, 3), s.Style(4, 3));
    // Spreadsheet programs recalculate the formulas over the changed cells when they open it.
    EXPECT_NE(after.at("xl/workbook.xml").find("fullCalcOnLoad=\"1\""), std::string::npos);
}

TEST(Workbook, CopiedBlockBringsValuesFormulasStylesAndMerges) {
    const Workbook src = Workbook::Open(Fixture("styled.xlsx"));
    Workbook dst = Workbook::Create("Сводка");
    dst.FirstSheet().SetText(36, 2, "перезаписать");
    CopyRange(src.FirstSheet(), "A1:E7", dst.FirstSheet(), "A35");
    const Workbook back = Workbook::FromBytes(dst.ToBytes());
    const Sheet& r = back.FirstSheet();
    EXPECT_EQ(r.Text("A35"), "Заголовок таблицы");
    EXPECT_EQ(r.Value(36, 2).kind, CellKind::Empty);  // an empty source cell empties its target
    EXPECT_EQ(r.Text("C37"), "−20");                  // texts stay texts
    EXPECT_EQ(r.Value(37, 3).kind, CellKind::Text);
    EXPECT_EQ(r.Text("C38"), "403");
    EXPECT_EQ(r.Value(38, 3).numberFormat, "#,##0");
    EXPECT_EQ(r.Formula(41, 4), "MIN(D38:D40)");
    EXPECT_EQ(r.Text("D41"), "404");
    EXPECT_EQ(r.Value(41, 4).numberFormat, "0.0");
    EXPECT_NE(r.Style(37, 1), 0);
    ASSERT_EQ(r.MergedRanges().size(), 1u);
    EXPECT_EQ(r.MergedRanges()[0].first, (CellAddress{35, 1}));
    EXPECT_EQ(r.MergedRanges()[0].last, (CellAddress{35, 5}));
}

TEST(Workbook, CreatedWorkbookKeepsStylesLayoutAndFormulas) {
    Workbook wb = Workbook::Create("Лист");
    CellStyle head;
    head.bold = true;
    head.fill = "DDEBF7";
    head.border = true;
    head.hAlign = CellStyle::HAlign::Center;
    head.wrap = true;
    CellStyle amps;
    amps.numberFormat = "0";
    const int h = wb.AddStyle(head), n = wb.AddStyle(amps);
    EXPECT_EQ(wb.AddStyle(head), h);  // an equal style is reused
    Sheet& s = wb.FirstSheet();
    s.SetText(1, 1, "Заголовок");
    s.SetStyle("A1:C1", h);
    s.Merge("A1:C1");
    EXPECT_THROW(s.Merge("B1:B2"), WorkbookError);
    s.SetColumnWidth(2, 30);
    s.SetColumnWidth(1, 5);
    s.SetRowHeight(1, 25);
    s.SetNumber(2, 1, 7);
    s.SetNumber(3, 1, 5);
    s.SetStyle(4, 1, n);
    s.SetFormula(4, 1, "MIN(A2:A3)", CellValue::Number(5));
    s.FreezePanes("B2");
    s.SetPageSetup({true, true, "1:1", "A:B"});
    // Drop-down lists: from the cells of another sheet and from a list of values.
    Sheet& lists = wb.AddSheet("Списки");
    lists.SetText(1, 1, "ВЛ 110кВ");
    lists.SetText(2, 1, "Здание, сооружение");
    const ListValidation types{"C2:C9",       "'Списки'!$A$1:$A$2", true,
                               "Тип объекта", "Выберите из списка", "Такого типа нет"};
    const ListValidation terrain{"D2:D9", "\"1,2,3,4\"", false, "", "1..4", ""};
    s.AddListValidation(types);
    s.AddListValidation(terrain);
    EXPECT_THROW(wb.AddSheet("списки"), WorkbookError);  // names differ in more than case
    EXPECT_THROW(wb.AddSheet("a/b"), WorkbookError);
    const Bytes bytes = wb.ToBytes();
    const Workbook back = Workbook::FromBytes(bytes);
    const Sheet& r = back.FirstSheet();
    EXPECT_EQ(r.Name(), "Лист");
    EXPECT_EQ(r.Formula(4, 1), "MIN(A2:A3)");
    EXPECT_EQ(r.Text(4, 1), "5");
    EXPECT_EQ(r.Value(4, 1).numberFormat, "0");
    EXPECT_EQ(r.Style(1, 2), h);
    ASSERT_EQ(r.MergedRanges().size(), 1u);
    const Parts parts = Unzip(bytes);
    const std::string& sheet = parts.at("xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find("<col min=\"1\" max=\"1\" width=\"5\""), std::string::npos);
    EXPECT_LT(sheet.find("<col min=\"1\""), sheet.find("<col min=\"2\""));  // columns in order
    EXPECT_NE(sheet.find("state=\"frozen\""), std::string::npos);
    EXPECT_NE(parts.at("xl/workbook.xml").find("'Лист'!$A:$B,'Лист'!$1:$1"), std::string::npos);
    ASSERT_EQ(back.SheetCount(), 2);
    EXPECT_EQ(back.Worksheet(2).Name(), "Списки");
    EXPECT_EQ(back.Worksheet(2).Text("A2"), "Здание, сооружение");
    EXPECT_EQ(r.ListValidations(), (std::vector<ListValidation>{types, terrain}));
    // Where the format puts them: after the merged cells, before the page margins.
    EXPECT_LT(sheet.find("<mergeCells"), sheet.find("<dataValidations count=\"2\">"));
    EXPECT_LT(sheet.find("<dataValidations"), sheet.find("<pageMargins"));
}

TEST(Workbook, HostilePackagesAreRefused) {
    // A part that inflates beyond the limit: refused from the directory, before it is read.
    Parts bomb = MinimalParts();
    bomb["xl/worksheets/sheet1.xml"] = std::string(40u << 20, ' ');
    const Bytes bombBytes = Zip(bomb);
    EXPECT_LT(bombBytes.size(), 1u << 20);
    EXPECT_NE(OpenError(bombBytes).find("больше 32 МБ"), std::string::npos);
    WorkbookLimits tight;
    tight.maxTotalSize = 1000;
    EXPECT_NE(OpenError(Zip(MinimalParts()), tight).find("содержимое пакета больше"), std::string::npos);

    struct Case {
        const char* what;
        std::string part, content, message;
    };
    const std::string main = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    const Case cases[] = {
        {"entity expansion", "xl/worksheets/sheet1.xml",
         "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;\">]>" + main +
             "<sheetData><row r=\"1\"><c r=\"A1\" "
             "t=\"inlineStr\"><is><t>&b;</t></is></c></row></sheetData></worksheet>",
         "DOCTYPE"},
        {"external entity", "xl/sharedStrings.xml",
         "<!DOCTYPE sst [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><sst><si><t>&x;</t></si></sst>", "DOCTYPE"},
        {"relationship leaving the package", "xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
         "Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
         "Target=\"../../../etc/passwd\"/></Relationships>",
         "выходит за пределы пакета"},
        {"part name leaving the package", "../evil.xml", "<x/>", "выходит за пределы пакета"},
        {"column beyond the sheet", "xl/worksheets/sheet1.xml",
         main + "<sheetData><row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row></sheetData></worksheet>", "вне листа"},
        {"row beyond the sheet", "xl/worksheets/sheet1.xml",
         main + "<sheetData><row r=\"1048577\"><c r=\"A1048577\"><v>1</v></c></row></sheetData></worksheet>",
         "вне листа"},
        {"shared string out of range", "xl/worksheets/sheet1.xml",
         main + "<sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c></row></sheetData></worksheet>",
         "общую строку «1», а их в книге 1"},
        {"number that does not read", "xl/worksheets/sheet1.xml",
         main + "<sheetData><row r=\"1\"><c r=\"A1\"><v>1e999</v></c></row></sheetData></worksheet>", "не число"},
        {"cells out of order", "xl/worksheets/sheet1.xml",
         main +
             "<sheetData><row r=\"1\"><c r=\"B1\"><v>1</v></c><c r=\"A1\"><v>2</v></c></row></sheetData></worksheet>",
         "не по порядку"},
        {"broken XML", "xl/workbook.xml", "<workbook><sheets>", "не читается"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Parts p = MinimalParts();
        p[c.part] = c.content;
        const std::string msg = OpenError(Zip(p));
        EXPECT_NE(msg.find(c.message), std::string::npos) << msg;
        EXPECT_NE(msg.find("hostile.xlsx"), std::string::npos) << msg;
    }
    // The minimal package itself opens.
    EXPECT_EQ(OpenError(Zip(MinimalParts())), "");

    // Truncated files and files that are no workbooks at all.
    const Bytes good = ReadWholeFile(Fixture("kinds.xlsx"));
    EXPECT_NE(OpenError(Bytes(good.begin(), good.begin() + good.size() / 2)), "");
    EXPECT_NE(OpenError(Bytes{'P', 'K', 3, 4, 0, 0}), "");
    const Bytes xls = ReadWholeFile(Fixture("kinds.xls"));
    EXPECT_NE(OpenError(Bytes(xls.begin(), xls.begin() + xls.size() / 3)), "");
    EXPECT_NE(OpenError(Bytes{'h', 'e', 'l', 'l', 'o'}).find("не является книгой Excel"), std::string::npos);
    EXPECT_NE(OpenError({}), "");
}

TEST(Workbook, DirectoryThatUnderstatesAPartIsNotTrusted) {
    // The directory says 10 bytes; the data inflate to far more. Reading stops at what the
    // directory promised and refuses the part.
    Parts p = MinimalParts();
    p["xl/worksheets/sheet1.xml"] = std::string(1u << 20, ' ');
    Bytes b = Zip(p);
    const std::string name = "xl/worksheets/sheet1.xml";
    auto patch = [&](std::size_t at) { b[at] = 10, b[at + 1] = 0, b[at + 2] = 0, b[at + 3] = 0; };
    for (std::size_t i = 0; i + 46 < b.size(); ++i) {
        if (b[i] == 'P' && b[i + 1] == 'K' && b[i + 2] == 3 && b[i + 3] == 4 &&
            std::string(b.begin() + i + 30, b.begin() + i + 30 + name.size()) == name)
            patch(i + 22);  // local header: uncompressed size
        if (b[i] == 'P' && b[i + 1] == 'K' && b[i + 2] == 1 && b[i + 3] == 2 &&
            std::string(b.begin() + i + 46, b.begin() + i + 46 + name.size()) == name)
            patch(i + 24);  // central directory: uncompressed size
    }
    EXPECT_NE(OpenError(b), "");
}

TEST(Workbook, NumericTextDateFormatsAndAddresses) {
    struct Num {
        const char* text;
        bool number;
        double value;
    };
    const Num nums[] = {{"  450", true, 450}, {"12,5", true, 12.5}, {"-1e3", true, -1000}, {"+.5", true, 0.5},
                        {"5.", true, 5},      {"1 000", false, 0},  {"", false, 0},        {"abc", false, 0},
                        {"12%", false, 0},    {"inf", false, 0},    {"1e999", false, 0},   {"0x1F", false, 0},
                        {"1,2,3", false, 0},  {"-", false, 0},      {"1e", false, 0}};
    for (const Num& n : nums) {
        double v = -7;
        EXPECT_EQ(NumericText(n.text, v), n.number) << n.text;
        if (n.number) {
            EXPECT_DOUBLE_EQ(v, n.value) << n.text;
        }
    }
    struct Fmt {
        const char* code;
        bool date;
    };
    const Fmt fmts[] = {{"dd\\.mm\\.yyyy", true},
                        {"General", false},
                        {"#,##0.00", false},
                        {"[h]:mm", true},
                        {"[Red]0.00", false},
                        {"\"дм\" 0", false},
                        {"0.00E+00", false},
                        {"mm:ss", true},
                        {"@", false},
                        {"[$-419]d mmmm yyyy", true},
                        {"0;[Red]-0", false}};
    for (const Fmt& f : fmts) EXPECT_EQ(wbdetail::IsDateFormat(f.code), f.date) << f.code;
    EXPECT_EQ(ColumnName(1), "A");
    EXPECT_EQ(ColumnName(20), "T");
    EXPECT_EQ(ColumnName(27), "AA");
    EXPECT_EQ(ColumnName(kMaxSheetColumns), "XFD");
    EXPECT_EQ(ParseRange("$F$7:S7").last, (CellAddress{7, 19}));
    EXPECT_THROW(ParseCell("XFE1"), WorkbookError);
    EXPECT_THROW(ParseCell("A0"), WorkbookError);
    EXPECT_THROW(ParseRange("F7:"), WorkbookError);
    EXPECT_DOUBLE_EQ(*wbdetail::DateTimeFromText("2021-03-04 05:06:07"), 44259 + (5 * 3600 + 6 * 60 + 7) / 86400.0);
    EXPECT_DOUBLE_EQ(*wbdetail::DateTimeFromText("1899-12-30"), 0);
    EXPECT_FALSE(wbdetail::DateTimeFromText("2021-13-01"));
}

TEST(Workbook, MovedFormulas) {
    struct Case {
        const char* formula;
        int rows, cols;
        const char* moved;
    };
    const Case cases[] = {
        {"MIN(F5,F7,F9)", 0, 1, "MIN(G5,G7,G9)"},
        {"MIN(C4:C6)", 31, 0, "MIN(C35:C37)"},
        {"$A$1+A$1+$A1", 2, 2, "$A$1+C$1+$A3"},
        {"SUM(A:A)+SUM($B:C)", 0, 1, "SUM(B:B)+SUM($B:D)"},
        {"SUM(1:3)", 2, 0, "SUM(3:5)"},
        {"'Лист 1'!B2&\"A1\"", 1, 0, "'Лист 1'!B3&\"A1\""},
        {"LOG10(A1)*1.5E+3", 1, 0, "LOG10(A2)*1.5E+3"},
        {"A1", -1, 0, "#REF!"},
        {"IF(Q35=\"\",\"\",\"ДДТН: \"&LEFT(C35,LEN(C35)-2))", 1, 0,
         "IF(Q36=\"\",\"\",\"ДДТН: \"&LEFT(C36,LEN(C36)-2))"},
    };
    for (const Case& c : cases) EXPECT_EQ(MoveFormula(c.formula, c.rows, c.cols), c.moved) << c.formula;
}

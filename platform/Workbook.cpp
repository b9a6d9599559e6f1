// Workbooks: the Office Open XML package (libzip), its XML parts (pugixml), the worksheets
// of .xlsx workbooks, and the read-only worksheets of legacy .xls workbooks (libfreexl).
#include "platform/Workbook.h"

#include <sys/mman.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <set>
#include <unordered_map>

#include <freexl.h>

#include "platform/WorkbookDetail.h"

namespace qem {

using namespace wbdetail;

namespace {

const char* const kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* const kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char* const kPkgRelNs = "http://schemas.openxmlformats.org/package/2006/relationships";
const char* const kRelOfficeDocument = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
const char* const kRelWorksheet = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
const char* const kRelStyles = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
const char* const kRelSharedStrings =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings";
const char* const kRelCalcChain = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/calcChain";
const char* const kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

std::string Lower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return r;
}

// Element names without their namespace prefix; the files of some programs use "x:c".
std::string_view LocalName(const char* name) {
    std::string_view n(name);
    const auto colon = n.find(':');
    return colon == std::string_view::npos ? n : n.substr(colon + 1);
}
bool Is(pugi::xml_node n, std::string_view local) { return n.type() == pugi::node_element && LocalName(n.name()) == local; }
pugi::xml_node Child(pugi::xml_node n, std::string_view local) {
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
        if (Is(c, local)) return c;
    return {};
}
// The prefix ("x:" or "") of an element, for the elements made next to it.
std::string Prefix(pugi::xml_node n) {
    std::string_view name(n.name());
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? "" : std::string(name.substr(0, colon + 1));
}
// An attribute "r:id" whatever the prefix of the relationships namespace.
pugi::xml_attribute RelId(pugi::xml_node n) {
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
        std::string_view name(a.name());
        if (name.size() > 3 && name.substr(name.size() - 3) == ":id") return a;
    }
    return {};
}

// Text of <t> elements below n (rich-text runs joined, phonetic runs left out).
void CollectText(pugi::xml_node n, std::string& out) {
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
        if (Is(c, "t")) {
            out += c.text().get();
        } else if (Is(c, "r")) {
            CollectText(c, out);
        }
    }
}

std::string Serialize(const pugi::xml_document& doc) {
    struct Writer : pugi::xml_writer {
        std::string s;
        void write(const void* data, size_t size) override { s.append(static_cast<const char*>(data), size); }
    } w;
    w.s = kXmlDeclaration;
    doc.save(w, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return std::move(w.s);
}

std::string Serialize(pugi::xml_node n) {
    struct Writer : pugi::xml_writer {
        std::string s;
        void write(const void* data, size_t size) override { s.append(static_cast<const char*>(data), size); }
    } w;
    n.print(w, "", pugi::format_raw, pugi::encoding_utf8);
    return std::move(w.s);
}

bool ParseInt(std::string_view s, long long& v) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool ParseDouble(std::string_view s, double& v) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\n' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\n' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(v);
}

std::string MiB(std::uint64_t n) { return std::to_string((n + (1 << 20) - 1) >> 20) + " МБ"; }

// Element order of a worksheet, for elements the program adds.
const char* const kWorksheetOrder[] = {
    "sheetPr",         "dimension",       "sheetViews",      "sheetFormatPr",  "cols",
    "sheetData",       "sheetCalcPr",     "sheetProtection", "protectedRanges", "scenarios",
    "autoFilter",      "sortState",       "dataConsolidate", "customSheetViews", "mergeCells",
    "phoneticPr",      "conditionalFormatting", "dataValidations", "hyperlinks", "printOptions",
    "pageMargins",     "pageSetup",       "headerFooter",    "rowBreaks",      "colBreaks",
    "customProperties", "cellWatches",    "ignoredErrors",   "smartTags",      "drawing",
    "legacyDrawing",   "legacyDrawingHF", "picture",         "oleObjects",     "controls",
    "webPublishItems", "tableParts",      "extLst"};
const char* const kWorkbookOrder[] = {"fileVersion", "fileSharing", "workbookPr", "workbookProtection", "bookViews",
                                      "sheets", "functionGroups", "externalReferences", "definedNames", "calcPr",
                                      "oleSize", "customWorkbookViews", "pivotCaches", "smartTagPr", "smartTagTypes",
                                      "webPublishing", "fileRecoveryPr", "webPublishObjects", "extLst"};
const char* const kStylesOrder[] = {"numFmts", "fonts", "fills", "borders", "cellStyleXfs", "cellXfs",
                                    "cellStyles", "dxfs", "tableStyles", "colors", "extLst"};

template <std::size_t N>
int OrderOf(const char* const (&order)[N], std::string_view local) {
    for (std::size_t i = 0; i < N; ++i)
        if (local == order[i]) return int(i);
    return int(N);
}

// The child `local` of parent, made in its place of `order` when missing.
template <std::size_t N>
pugi::xml_node EnsureChild(pugi::xml_node parent, std::string_view local, const char* const (&order)[N]) {
    if (pugi::xml_node c = Child(parent, local)) return c;
    const int rank = OrderOf(order, local);
    const std::string name = Prefix(parent) + std::string(local);
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && OrderOf(order, LocalName(c.name())) > rank)
            return parent.insert_child_before(name.c_str(), c);
    return parent.append_child(name.c_str());
}

// The style lists of a workbook: number formats, and per cell format its number format id.
struct StyleTable {
    std::map<int, std::string> numFmts;
    std::vector<int> xfNumFmt;
    std::string FormatCode(int xf) const {
        const int id = xf >= 0 && xf < int(xfNumFmt.size()) ? xfNumFmt[std::size_t(xf)] : 0;
        const auto it = numFmts.find(id);
        if (it != numFmts.end()) return it->second;
        const std::string b = BuiltinNumberFormat(id);
        return b.empty() ? "General" : b;
    }
    bool IsDate(int xf) const {
        const int id = xf >= 0 && xf < int(xfNumFmt.size()) ? xfNumFmt[std::size_t(xf)] : 0;
        const auto it = numFmts.find(id);
        if (it != numFmts.end()) return IsDateFormat(it->second);
        return IsBuiltinDateFormat(id);
    }
};

class XlsxSheet;
class XlsSheet;

}  // namespace

struct Workbook::Impl {
    std::string name;  // for messages
    WorkbookLimits limits;
    bool xls = false;
    std::vector<std::unique_ptr<Sheet>> sheets;

    // .xlsx
    std::vector<std::string> order;            // part names in package order
    std::map<std::string, std::string> parts;  // lower-case name -> name
    std::map<std::string, Bytes> data;         // name -> bytes
    std::string workbookPath, stylesPath, relsPath;
    pugi::xml_document workbookDoc, stylesDoc, relsDoc, typesDoc;
    bool workbookDirty = false, stylesDirty = false, relsDirty = false, typesDirty = false;
    std::vector<std::string> sharedStrings;
    StyleTable styles;
    bool date1904 = false;

    [[noreturn]] void Refuse(const std::string& why) const {
        throw WorkbookError("Книга " + Quoted(name) + " не открыта: " + why);
    }
    [[noreturn]] void Damaged(const std::string& why) const {
        throw WorkbookError("Книга " + Quoted(name) + " повреждена: " + why);
    }

    const Bytes* Find(const std::string& part) const {
        const auto it = parts.find(Lower(part));
        return it == parts.end() ? nullptr : &data.at(it->second);
    }
    void ReadZip(const Bytes& bytes);
    void ParseXml(const std::string& part, pugi::xml_document& doc) const;
    std::string Resolve(const std::string& source, std::string_view target) const;
    std::string RelsOf(const std::string& part) const;
    void Load();
    void LoadStyles();
    void LoadSharedStrings(const std::string& part);
    void LoadXls(const Bytes& bytes);
    int AddStyleXml(const CellStyle& st);
    int NumFmtId(const std::string& code);
    int ImportStyle(const Impl& src, int xf, std::map<int, int>& cache);
    void SetPart(const std::string& part, std::string bytes);
    void RemovePart(const std::string& part);
    Bytes Package() const;
};

namespace {

// ---------------------------------------------------------------------------------------
// Worksheet of an .xlsx workbook: the XML of the part, with an index of its rows and cells.

class XlsxSheet : public Sheet {
public:
    XlsxSheet(Workbook::Impl& wb, std::string name, std::string part) : wb_(wb), name_(std::move(name)), part_(std::move(part)) {
        wb_.ParseXml(part_, doc_);
        root_ = doc_.document_element();
        if (!Is(root_, "worksheet")) wb_.Damaged("часть " + Quoted(part_) + " не является листом");
        data_ = Child(root_, "sheetData");
        if (!data_) data_ = EnsureChild(root_, "sheetData", kWorksheetOrder);
        Index();
    }

    std::string Name() const override { return name_; }
    const std::string& Part() const { return part_; }
    Workbook::Impl& Book() const { return wb_; }
    bool Dirty() const { return dirty_; }

    CellValue Value(int row, int col) const override {
        CheckAddress(row, col);
        const pugi::xml_node c = Cell(row, col);
        return c ? Read(c) : CellValue{CellKind::Empty, 0, "", false, false, "General"};
    }

    CellAddress LastUsedCell() const override {
        CellAddress last{1, 1};
        for (const auto& [r, row] : rows_)
            for (const auto& [col, c] : row.cells)
                if (HoldsValue(c)) last.row = std::max(last.row, r), last.col = std::max(last.col, col);
        return last;
    }

    void SetText(int row, int col, std::string_view utf8) override {
        double v = 0;
        if (utf8.empty()) return Clear(row, col);
        if (NumericText(utf8, v)) return SetNumber(row, col, v);
        const std::string text = ValidUtf8(utf8);
        if (Utf8Length(text) > kMaxCellTextChars)
            throw WorkbookError("Текст для ячейки " + CellName(row, col) + " длиннее " +
                                std::to_string(kMaxCellTextChars) + " знаков");
        pugi::xml_node c = Reset(row, col);
        c.append_attribute("t") = "inlineStr";
        pugi::xml_node t = c.append_child((pre_ + "is").c_str()).append_child((pre_ + "t").c_str());
        SetT(t, text);
    }

    void SetNumber(int row, int col, double v) override {
        if (!std::isfinite(v)) throw WorkbookError("В ячейку " + CellName(row, col) + " не записывается не-число");
        pugi::xml_node c = Reset(row, col);
        c.append_child((pre_ + "v").c_str()).text().set(ShortestDouble(v).c_str());
    }

    void SetFormula(int row, int col, std::string_view formula, const CellValue& result) override {
        pugi::xml_node c = Reset(row, col);
        c.append_child((pre_ + "f").c_str()).text().set(ValidUtf8(formula).c_str());
        WriteResult(c, result);
    }

    std::string Formula(int row, int col) const override {
        CheckAddress(row, col);
        const pugi::xml_node c = Cell(row, col);
        const pugi::xml_node f = c ? Child(c, "f") : pugi::xml_node();
        if (!f) return "";
        const std::string own = f.text().get();
        if (std::string_view(f.attribute("t").value()) != "shared" || !own.empty()) return own;
        // A cell of a shared formula: the formula of its first cell, moved.
        const auto it = sharedMasters_.find(f.attribute("si").as_llong(-1));
        if (it == sharedMasters_.end()) return "";
        const CellAddress m = it->second;
        return MoveFormula(Child(Cell(m.row, m.col), "f").text().get(), row - m.row, col - m.col);
    }

    void SetFormulaResult(int row, int col, const CellValue& result) override {
        CheckAddress(row, col);
        pugi::xml_node c = Cell(row, col);
        if (!c || !Child(c, "f")) throw WorkbookError("В ячейке " + CellName(row, col) + " нет формулы");
        Touch();
        c.remove_attribute("t");
        while (pugi::xml_node v = Child(c, "v")) c.remove_child(v);
        while (pugi::xml_node is = Child(c, "is")) c.remove_child(is);
        WriteResult(c, result);
    }

    int Style(int row, int col) const override {
        CheckAddress(row, col);
        const pugi::xml_node c = Cell(row, col);
        return c ? c.attribute("s").as_int(0) : 0;
    }

    void SetStyle(int row, int col, int style) override {
        if (style < 0 || style >= int(wb_.styles.xfNumFmt.size()))
            throw WorkbookError("Нет стиля ячеек № " + std::to_string(style));
        pugi::xml_node c = Make(row, col);
        Touch();
        if (pugi::xml_attribute s = c.attribute("s"))
            s = style;
        else
            c.insert_attribute_after("s", c.attribute("r")) = style;
    }

    void SetColumnWidth(int col, double chars) override {
        CheckAddress(1, col);
        Touch();
        pugi::xml_node cols = EnsureChild(root_, "cols", kWorksheetOrder);
        for (pugi::xml_node c = cols.first_child(); c; c = c.next_sibling()) {
            if (!Is(c, "col")) continue;
            const int mn = c.attribute("min").as_int(), mx = c.attribute("max").as_int();
            if (col < mn) {
                SetWidth(cols.insert_child_before((pre_ + "col").c_str(), c), col, chars);
                return;
            }
            if (col > mx) continue;
            // Split the run [mn, mx] around col.
            if (mn < col) {
                pugi::xml_node before = cols.insert_copy_before(c, c);
                before.attribute("max") = col - 1;
            }
            if (col < mx) {
                pugi::xml_node after = cols.insert_copy_after(c, c);
                after.attribute("min") = col + 1;
            }
            c.attribute("min") = col;
            c.attribute("max") = col;
            SetWidth(c, col, chars);
            return;
        }
        SetWidth(cols.append_child((pre_ + "col").c_str()), col, chars);
    }

    void SetRowHeight(int row, double points) override {
        CheckAddress(row, 1);
        Touch();
        pugi::xml_node r = MakeRow(row);
        SetAttr(r, "ht", ShortestDouble(points));
        SetAttr(r, "customHeight", "1");
    }

    void Merge(std::string_view range) override {
        const CellRange r = ParseRange(range);
        for (const CellRange& m : MergedRanges())
            if (!(r.last.row < m.first.row || m.last.row < r.first.row || r.last.col < m.first.col ||
                  m.last.col < r.first.col))
                throw WorkbookError("Диапазон " + std::string(range) + " пересекает объединённые ячейки");
        Touch();
        pugi::xml_node list = EnsureChild(root_, "mergeCells", kWorksheetOrder);
        list.append_child((pre_ + "mergeCell").c_str()).append_attribute("ref") = RangeText(r).c_str();
        SetAttr(list, "count", std::to_string(MergedRanges().size()));
    }

    std::vector<CellRange> MergedRanges() const override {
        std::vector<CellRange> out;
        for (pugi::xml_node m = Child(Child(root_, "mergeCells"), "mergeCell"); m; m = m.next_sibling()) {
            if (!Is(m, "mergeCell")) continue;
            try {
                out.push_back(ParseRange(m.attribute("ref").value()));
            } catch (const WorkbookError&) {
            }
        }
        return out;
    }

    void FreezePanes(std::string_view cell) override {
        const CellAddress a = ParseCell(cell);
        Touch();
        pugi::xml_node views = EnsureChild(root_, "sheetViews", kWorksheetOrder);
        pugi::xml_node view = Child(views, "sheetView");
        if (!view) {
            view = views.append_child((pre_ + "sheetView").c_str());
            view.append_attribute("workbookViewId") = 0;
        }
        for (pugi::xml_node c = view.first_child(); c;) {
            pugi::xml_node next = c.next_sibling();
            if (Is(c, "pane") || Is(c, "selection")) view.remove_child(c);
            c = next;
        }
        if (a.row == 1 && a.col == 1) return;
        const char* pane = a.row > 1 && a.col > 1 ? "bottomRight" : a.row > 1 ? "bottomLeft" : "topRight";
        pugi::xml_node p = view.prepend_child((pre_ + "pane").c_str());
        if (a.col > 1) p.append_attribute("xSplit") = a.col - 1;
        if (a.row > 1) p.append_attribute("ySplit") = a.row - 1;
        p.append_attribute("topLeftCell") = CellName(a.row, a.col).c_str();
        p.append_attribute("activePane") = pane;
        p.append_attribute("state") = "frozen";
        pugi::xml_node s = view.insert_child_after((pre_ + "selection").c_str(), p);
        s.append_attribute("pane") = pane;
        s.append_attribute("activeCell") = CellName(a.row, a.col).c_str();
        s.append_attribute("sqref") = CellName(a.row, a.col).c_str();
    }

    void SetPageSetup(const PageSetup& setup) override {
        Touch();
        if (!Child(root_, "pageMargins")) {
            pugi::xml_node m = EnsureChild(root_, "pageMargins", kWorksheetOrder);
            for (auto [k, v] : {std::pair{"left", "0.5"}, {"right", "0.5"}, {"top", "0.6"}, {"bottom", "0.6"},
                                {"header", "0.3"}, {"footer", "0.3"}})
                m.append_attribute(k) = v;
        }
        pugi::xml_node ps = EnsureChild(root_, "pageSetup", kWorksheetOrder);
        SetAttr(ps, "paperSize", "9");
        SetAttr(ps, "orientation", setup.landscape ? "landscape" : "portrait");
        if (setup.fitToWidth) {
            SetAttr(ps, "fitToWidth", "1");
            SetAttr(ps, "fitToHeight", "0");
            pugi::xml_node pr = EnsureChild(root_, "sheetPr", kWorksheetOrder);
            const char* const prOrder[] = {"tabColor", "outlinePr", "pageSetUpPr"};
            SetAttr(EnsureChild(pr, "pageSetUpPr", prOrder), "fitToPage", "1");
        }
        if (!setup.printTitleRows.empty()) SetPrintTitles(setup.printTitleRows);
    }

    // Writing support for CopyRange.
    pugi::xml_node CellNode(int row, int col) const { return Cell(row, col); }
    pugi::xml_node Reset(int row, int col) {
        pugi::xml_node c = Make(row, col);
        Touch();
        UnshareFormula(c, row, col);
        c.remove_attribute("t");
        c.remove_attribute("cm");
        c.remove_attribute("vm");
        for (pugi::xml_node k = c.first_child(); k;) {
            pugi::xml_node next = k.next_sibling();
            if (!Is(k, "extLst")) c.remove_child(k);
            k = next;
        }
        return c;
    }
    void Clear(int row, int col) {
        CheckAddress(row, col);
        if (!Cell(row, col)) return;
        pugi::xml_node c = Reset(row, col);
        if (c.attribute("s").as_int(0) == 0 && !c.first_child()) Remove(row, col);
    }

    // Before saving: the used range in <dimension>.
    void UpdateDimension() {
        int r1 = 0, r2 = 0, c1 = 0, c2 = 0;
        for (const auto& [r, row] : rows_)
            for (const auto& [col, c] : row.cells) {
                if (!r1) r1 = r2 = r, c1 = c2 = col;
                r1 = std::min(r1, r), r2 = std::max(r2, r), c1 = std::min(c1, col), c2 = std::max(c2, col);
            }
        pugi::xml_node d = EnsureChild(root_, "dimension", kWorksheetOrder);
        const std::string ref = r1 ? RangeText({{r1, c1}, {r2, c2}}) : "A1";
        SetAttr(d, "ref", ref);
    }
    std::string Xml() const { return Serialize(doc_); }

    static CellValue ReadCell(const Workbook::Impl& wb, pugi::xml_node c) {
        CellValue v;
        const int s = c.attribute("s").as_int(0);
        v.numberFormat = wb.styles.FormatCode(s);
        const pugi::xml_node f = Child(c, "f");
        v.formula = bool(f);
        const std::string_view t = c.attribute("t").value();
        const pugi::xml_node vn = Child(c, "v");
        const char* text = vn.text().get();
        if (t == "inlineStr") {
            std::string s2;
            CollectText(Child(c, "is"), s2);
            v.kind = CellKind::Text;
            v.text = DecodeXString(s2);
            return v;
        }
        if (!vn) return v;
        if (t == "s") {
            long long i = -1;
            ParseInt(text, i);  // checked when the sheet was opened
            v.kind = CellKind::Text;
            v.text = wb.sharedStrings.at(std::size_t(i));
        } else if (t == "str") {
            v.kind = CellKind::Text;
            v.text = DecodeXString(text);
        } else if (t == "b") {
            v.kind = CellKind::Boolean;
            v.number = std::string_view(text) == "1" || Lower(text) == "true" ? 1 : 0;
        } else if (t == "e") {
            v.kind = CellKind::Error;
            v.text = text;
        } else if (t == "d") {
            v.kind = CellKind::Number;
            v.number = DateTimeFromText(text).value_or(0);
            v.date = true;
        } else {
            v.kind = CellKind::Number;
            ParseDouble(text, v.number);  // checked when the sheet was opened
            v.date = wb.styles.IsDate(s);
            if (v.date && wb.date1904) v.number += 1462;
        }
        return v;
    }

private:
    struct Row {
        pugi::xml_node node;
        std::map<int, pugi::xml_node> cells;
    };

    CellValue Read(pugi::xml_node c) const { return ReadCell(wb_, c); }

    static bool HoldsValue(pugi::xml_node c) { return Child(c, "v") || Child(c, "is") || Child(c, "f"); }

    static std::string RangeText(const CellRange& r) {
        return r.first == r.last ? CellName(r.first.row, r.first.col)
                                 : CellName(r.first.row, r.first.col) + ":" + CellName(r.last.row, r.last.col);
    }
    static void SetAttr(pugi::xml_node n, const char* name, const std::string& v) {
        pugi::xml_attribute a = n.attribute(name);
        if (!a) a = n.append_attribute(name);
        a = v.c_str();
    }
    void SetWidth(pugi::xml_node c, int col, double chars) {
        SetAttr(c, "min", std::to_string(col));
        SetAttr(c, "max", std::to_string(col));
        SetAttr(c, "width", ShortestDouble(chars));
        SetAttr(c, "customWidth", "1");
    }
    void SetT(pugi::xml_node t, const std::string& text) {
        const std::string enc = EncodeXString(text);
        if (!enc.empty() && (enc.front() == ' ' || enc.back() == ' ' || enc.find_first_of("\n\t\r") != std::string::npos))
            t.append_attribute("xml:space") = "preserve";
        t.text().set(enc.c_str());
    }
    void WriteResult(pugi::xml_node c, const CellValue& r) {
        switch (r.kind) {
            case CellKind::Empty: return;
            case CellKind::Number:
                if (!std::isfinite(r.number)) throw WorkbookError("Результат формулы — не число");
                c.append_child((pre_ + "v").c_str()).text().set(ShortestDouble(r.number).c_str());
                return;
            case CellKind::Text:
                c.append_attribute("t") = "str";
                SetT(c.append_child((pre_ + "v").c_str()), ValidUtf8(r.text));
                return;
            case CellKind::Boolean:
                c.append_attribute("t") = "b";
                c.append_child((pre_ + "v").c_str()).text().set(r.number != 0 ? "1" : "0");
                return;
            case CellKind::Error:
                c.append_attribute("t") = "e";
                c.append_child((pre_ + "v").c_str()).text().set(r.text.c_str());
                return;
        }
    }

    void Touch() { dirty_ = true; }

    static void CheckAddress(int row, int col) {
        if (row < 1 || row > kMaxSheetRows || col < 1 || col > kMaxSheetColumns)
            throw WorkbookError("Ячейка (" + std::to_string(row) + ", " + std::to_string(col) + ") вне листа");
    }

    pugi::xml_node Cell(int row, int col) const {
        const auto r = rows_.find(row);
        if (r == rows_.end()) return {};
        const auto c = r->second.cells.find(col);
        return c == r->second.cells.end() ? pugi::xml_node() : c->second;
    }

    pugi::xml_node MakeRow(int row) {
        auto it = rows_.find(row);
        if (it != rows_.end()) return it->second.node;
        const auto next = rows_.upper_bound(row);
        pugi::xml_node n = next == rows_.end() ? data_.append_child((pre_ + "row").c_str())
                                               : data_.insert_child_before((pre_ + "row").c_str(), next->second.node);
        n.append_attribute("r") = row;
        rows_[row].node = n;
        return n;
    }

    pugi::xml_node Make(int row, int col) {
        CheckAddress(row, col);
        if (pugi::xml_node c = Cell(row, col)) return c;
        if (++cellCount_ > wb_.limits.maxCells)
            throw WorkbookError("На листе " + Quoted(name_) + " больше " + std::to_string(wb_.limits.maxCells) + " ячеек");
        pugi::xml_node r = MakeRow(row);
        r.remove_attribute("spans");
        Row& slot = rows_[row];
        const auto next = slot.cells.upper_bound(col);
        pugi::xml_node c = next == slot.cells.end() ? r.append_child((pre_ + "c").c_str())
                                                    : r.insert_child_before((pre_ + "c").c_str(), next->second);
        c.append_attribute("r") = CellName(row, col).c_str();
        slot.cells[col] = c;
        return c;
    }

    void Remove(int row, int col) {
        Row& slot = rows_[row];
        const auto it = slot.cells.find(col);
        if (it == slot.cells.end()) return;
        slot.node.remove_child(it->second);
        slot.cells.erase(it);
        --cellCount_;
    }

    // Before the cell changes: when it carries the formula of a shared group, every other cell
    // of the group gets its own formula.
    void UnshareFormula(pugi::xml_node c, int row, int col) {
        const pugi::xml_node f = Child(c, "f");
        if (!f || std::string_view(f.attribute("t").value()) != "shared" || f.text().empty()) return;
        const long long si = f.attribute("si").as_llong(-1);
        const std::string master = f.text().get();
        for (auto& [r, slot] : rows_)
            for (auto& [k, cell] : slot.cells) {
                pugi::xml_node g = Child(cell, "f");
                if (!g || cell == c || std::string_view(g.attribute("t").value()) != "shared" ||
                    g.attribute("si").as_llong(-2) != si)
                    continue;
                g.remove_attribute("t");
                g.remove_attribute("si");
                g.remove_attribute("ref");
                g.text().set(MoveFormula(master, r - row, k - col).c_str());
            }
        sharedMasters_.erase(si);
    }

    void SetPrintTitles(const std::string& rows) {
        pugi::xml_node wbRoot = wb_.workbookDoc.document_element();
        int index = 0;
        for (pugi::xml_node s = Child(Child(wbRoot, "sheets"), "sheet"); s; s = s.next_sibling(), ++index)
            if (s.attribute("name").value() == name_) break;
        pugi::xml_node names = EnsureChild(wbRoot, "definedNames", kWorkbookOrder);
        pugi::xml_node dn;
        for (pugi::xml_node n = names.first_child(); n; n = n.next_sibling())
            if (std::string_view(n.attribute("name").value()) == "_xlnm.Print_Titles" &&
                n.attribute("localSheetId").as_int(-1) == index)
                dn = n;
        if (!dn) {
            dn = names.append_child((Prefix(wbRoot) + "definedName").c_str());
            dn.append_attribute("name") = "_xlnm.Print_Titles";
            dn.append_attribute("localSheetId") = index;
        }
        const auto colon = rows.find(':');
        std::string quoted;
        for (char ch : name_) quoted += ch == '\'' ? std::string("''") : std::string(1, ch);
        const std::string ref = "'" + quoted + "'!$" + rows.substr(0, colon) + ":$" +
                                (colon == std::string::npos ? rows : rows.substr(colon + 1));
        dn.text().set(ref.c_str());
        wb_.workbookDirty = true;
    }

    // The index of rows and cells; every row and cell gets its explicit reference, and the
    // file is refused when a reference lies outside the sheet, comes twice or out of order, a
    // number does not read, or a shared string does not exist.
    void Index() {
        pre_ = Prefix(root_);
        int prevRow = 0;
        for (pugi::xml_node r = data_.first_child(); r; r = r.next_sibling()) {
            if (!Is(r, "row")) continue;
            long long rn = prevRow + 1;
            if (pugi::xml_attribute a = r.attribute("r")) {
                if (!ParseInt(a.value(), rn)) wb_.Damaged("номер строки " + Quoted(a.value()) + " на листе " + Quoted(name_));
            } else {
                r.append_attribute("r") = rn;
            }
            if (rn < 1 || rn > kMaxSheetRows) wb_.Refuse("строка " + std::to_string(rn) + " вне листа " + Quoted(name_));
            if (rn <= prevRow) wb_.Damaged("строки листа " + Quoted(name_) + " повторяются или не по порядку");
            prevRow = int(rn);
            Row& slot = rows_[int(rn)];
            slot.node = r;
            int prevCol = 0;
            for (pugi::xml_node c = r.first_child(); c; c = c.next_sibling()) {
                if (!Is(c, "c")) continue;
                int col = prevCol + 1;
                if (pugi::xml_attribute a = c.attribute("r")) {
                    long long rr = 0, cc = 0;
                    std::string_view ref(a.value());
                    std::size_t i = 0;
                    while (i < ref.size() && ((ref[i] >= 'A' && ref[i] <= 'Z') || (ref[i] >= 'a' && ref[i] <= 'z'))) {
                        cc = cc * 26 + ((ref[i] | 0x20) - 'a' + 1);
                        if (++i > 3) break;
                    }
                    if (i == 0 || i > 3 || !ParseInt(ref.substr(i), rr) || rr < 1 || rr > kMaxSheetRows || cc < 1 ||
                        cc > kMaxSheetColumns)
                        wb_.Refuse("ссылка на ячейку " + Quoted(ValidUtf8(ref)) + " вне листа " + Quoted(name_));
                    if (rr != rn) wb_.Damaged("ячейка " + std::string(ref) + " лежит в строке " + std::to_string(rn));
                    col = int(cc);
                } else {
                    if (col > kMaxSheetColumns) wb_.Refuse("ячейка вне листа " + Quoted(name_));
                    c.append_attribute("r") = CellName(int(rn), col).c_str();
                }
                if (col <= prevCol) wb_.Damaged("ячейки строки " + std::to_string(rn) + " повторяются или не по порядку");
                prevCol = col;
                if (++cellCount_ > wb_.limits.maxCells)
                    wb_.Refuse("на листе " + Quoted(name_) + " больше " + std::to_string(wb_.limits.maxCells) + " ячеек");
                slot.cells[col] = c;
                Check(c, int(rn), col);
            }
        }
    }

    void Check(pugi::xml_node c, int row, int col) {
        const std::string_view t = c.attribute("t").value();
        const pugi::xml_node v = Child(c, "v");
        const char* text = v.text().get();
        if (const pugi::xml_node f = Child(c, "f"); f && std::string_view(f.attribute("t").value()) == "shared" &&
                                                     !f.text().empty())
            sharedMasters_[f.attribute("si").as_llong(-1)] = {row, col};
        if (!v) return;
        if (t == "s") {
            long long i = -1;
            if (!ParseInt(text, i) || i < 0 || i >= (long long)wb_.sharedStrings.size())
                wb_.Refuse("ячейка " + CellName(row, col) + " ссылается на общую строку " + Quoted(ValidUtf8(text)) +
                           ", а их в книге " + std::to_string(wb_.sharedStrings.size()));
        } else if (t.empty() || t == "n") {
            double d = 0;
            if (!ParseDouble(text, d))
                wb_.Damaged("в ячейке " + CellName(row, col) + " не число " + Quoted(ValidUtf8(text)));
        }
    }

    Workbook::Impl& wb_;
    std::string name_, part_;
    pugi::xml_document doc_;
    pugi::xml_node root_, data_;
    std::string pre_;
    std::map<int, Row> rows_;
    std::map<long long, CellAddress> sharedMasters_;  // shared formula index -> its first cell
    std::uint64_t cellCount_ = 0;
    bool dirty_ = false;
};

// ---------------------------------------------------------------------------------------
// Worksheet of a legacy .xls workbook, read whole when opened.

class XlsSheet : public Sheet {
public:
    XlsSheet(std::string name, std::map<std::pair<int, int>, CellValue> cells)
        : name_(std::move(name)), cells_(std::move(cells)) {}
    std::string Name() const override { return name_; }
    CellValue Value(int row, int col) const override {
        const auto it = cells_.find({row, col});
        return it == cells_.end() ? CellValue{} : it->second;
    }
    CellAddress LastUsedCell() const override {
        CellAddress last{1, 1};
        for (const auto& [rc, v] : cells_) last.row = std::max(last.row, rc.first), last.col = std::max(last.col, rc.second);
        return last;
    }
    void SetText(int, int, std::string_view) override { ReadOnly(); }
    void SetNumber(int, int, double) override { ReadOnly(); }
    void SetFormula(int, int, std::string_view, const CellValue&) override { ReadOnly(); }
    std::string Formula(int, int) const override { return ""; }
    void SetFormulaResult(int, int, const CellValue&) override { ReadOnly(); }
    int Style(int, int) const override { return 0; }
    void SetStyle(int, int, int) override { ReadOnly(); }
    void SetColumnWidth(int, double) override { ReadOnly(); }
    void SetRowHeight(int, double) override { ReadOnly(); }
    void Merge(std::string_view) override { ReadOnly(); }
    std::vector<CellRange> MergedRanges() const override { return {}; }
    void FreezePanes(std::string_view) override { ReadOnly(); }
    void SetPageSetup(const PageSetup&) override { ReadOnly(); }

private:
    [[noreturn]] static void ReadOnly() {
        throw WorkbookError("Книга в формате .xls открыта только для чтения: изменения не сохраняются");
    }
    std::string name_;
    std::map<std::pair<int, int>, CellValue> cells_;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// The package.

void Workbook::Impl::ReadZip(const Bytes& bytes) {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &err);
    if (!src) Damaged("архив не читается");
    zip_t* za = zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &err);
    if (!za) {
        zip_source_free(src);
        const std::string why = zip_error_strerror(&err);
        zip_error_fini(&err);
        Damaged("архив не читается (" + why + ")");
    }
    struct Closer {
        zip_t* za;
        ~Closer() { zip_discard(za); }
    } closer{za};
    const zip_int64_t n = zip_get_num_entries(za, 0);
    if (n < 0 || std::uint64_t(n) > limits.maxParts)
        Refuse("в пакете больше " + std::to_string(limits.maxParts) + " частей");
    std::uint64_t total = 0;
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(za, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME) ||
            !(st.valid & ZIP_STAT_SIZE))
            Damaged("оглавление архива не читается");
        std::string raw(st.name);
        if (!raw.empty() && raw.back() == '/') continue;  // a folder entry
        // Part names are paths inside the package: no absolute paths, no "..", no back slashes.
        std::string norm;
        try {
            norm = Resolve("", "/" + raw);
        } catch (const WorkbookError&) {
            Refuse("путь части " + Quoted(ValidUtf8(raw)) + " выходит за пределы пакета");
        }
        if (raw.front() == '/' || raw.find('\\') != std::string::npos || norm != raw)
            Refuse("путь части " + Quoted(ValidUtf8(raw)) + " выходит за пределы пакета");
        if (st.size > limits.maxPartSize)
            Refuse("часть " + Quoted(ValidUtf8(raw)) + " больше " + MiB(limits.maxPartSize) + " в распакованном виде");
        total += st.size;
        if (total > limits.maxTotalSize) Refuse("содержимое пакета больше " + MiB(limits.maxTotalSize) + " в распакованном виде");
        if (parts.count(Lower(raw))) Damaged("часть " + Quoted(ValidUtf8(raw)) + " повторяется");
        Bytes buf(std::size_t(st.size));
        zip_file_t* f = zip_fopen_index(za, zip_uint64_t(i), 0);
        if (!f) Damaged("часть " + Quoted(ValidUtf8(raw)) + " не читается");
        std::size_t got = 0;
        bool ok = true;
        while (got < buf.size()) {
            const zip_int64_t k = zip_fread(f, buf.data() + got, buf.size() - got);
            if (k <= 0) {
                ok = false;
                break;
            }
            got += std::size_t(k);
        }
        std::uint8_t extra = 0;
        if (ok && zip_fread(f, &extra, 1) != 0) ok = false;  // more data than the directory says
        zip_fclose(f);
        if (!ok) Damaged("часть " + Quoted(ValidUtf8(raw)) + " не распаковывается");
        parts[Lower(raw)] = raw;
        order.push_back(raw);
        data[raw] = std::move(buf);
    }
}

void Workbook::Impl::ParseXml(const std::string& part, pugi::xml_document& doc) const {
    const Bytes* b = Find(part);
    if (!b) Damaged("нет части " + Quoted(part));
    const pugi::xml_parse_result r = doc.load_buffer(b->data(), b->size(),
                                                     pugi::parse_default | pugi::parse_ws_pcdata_single |
                                                         pugi::parse_doctype);
    if (!r) Damaged("XML части " + Quoted(part) + " не читается (" + r.description() + ")");
    // A document type can declare entities: such files are not workbooks of any program.
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_doctype) Refuse("XML части " + Quoted(part) + " объявляет DOCTYPE или сущности");
}

std::string Workbook::Impl::Resolve(const std::string& source, std::string_view target) const {
    std::vector<std::string> segs;
    auto push = [&](std::string_view path) {
        std::size_t i = 0;
        while (i <= path.size()) {
            const std::size_t j = std::min(path.find('/', i), path.size());
            const std::string_view seg = path.substr(i, j - i);
            if (seg == "..") {
                if (segs.empty()) Refuse("путь части " + Quoted(ValidUtf8(target)) + " выходит за пределы пакета");
                segs.pop_back();
            } else if (!seg.empty() && seg != ".") {
                segs.emplace_back(seg);
            }
            i = j + 1;
        }
    };
    if (target.empty() || target.front() != '/') push(source.substr(0, source.rfind('/') == std::string::npos ? 0 : source.rfind('/')));
    push(target);
    std::string out;
    for (const auto& s : segs) out += (out.empty() ? "" : "/") + s;
    return out;
}

std::string Workbook::Impl::RelsOf(const std::string& part) const {
    const auto slash = part.rfind('/');
    return slash == std::string::npos ? "_rels/" + part + ".rels"
                                      : part.substr(0, slash) + "/_rels/" + part.substr(slash + 1) + ".rels";
}

void Workbook::Impl::Load() {
    if (!Find("[Content_Types].xml")) Damaged("нет части [Content_Types].xml");
    ParseXml("[Content_Types].xml", typesDoc);
    pugi::xml_document root;
    ParseXml("_rels/.rels", root);
    for (pugi::xml_node r : root.document_element().children())
        if (Is(r, "Relationship") && std::string_view(r.attribute("Type").value()) == kRelOfficeDocument &&
            std::string_view(r.attribute("TargetMode").value()) != "External")
            workbookPath = Resolve("", r.attribute("Target").value());
    if (workbookPath.empty()) Damaged("нет ссылки на книгу в _rels/.rels");
    ParseXml(workbookPath, workbookDoc);
    const pugi::xml_node wb = workbookDoc.document_element();
    if (!Is(wb, "workbook")) Damaged("часть " + Quoted(workbookPath) + " не является книгой");
    const std::string_view d1904 = Child(wb, "workbookPr").attribute("date1904").value();
    date1904 = d1904 == "1" || d1904 == "true";

    relsPath = RelsOf(workbookPath);
    ParseXml(relsPath, relsDoc);
    std::map<std::string, std::pair<std::string, std::string>> rels;  // id -> type, part
    for (pugi::xml_node r : relsDoc.document_element().children()) {
        if (!Is(r, "Relationship") || std::string_view(r.attribute("TargetMode").value()) == "External") continue;
        const std::string type = r.attribute("Type").value();
        const std::string target = Resolve(workbookPath, r.attribute("Target").value());
        rels[r.attribute("Id").value()] = {type, target};
        if (type == kRelStyles) stylesPath = target;
        if (type == kRelSharedStrings) LoadSharedStrings(target);
    }
    LoadStyles();
    for (pugi::xml_node s = Child(Child(wb, "sheets"), "sheet"); s; s = s.next_sibling()) {
        if (!Is(s, "sheet")) continue;
        const auto it = rels.find(RelId(s).value());
        if (it == rels.end() || it->second.first != kRelWorksheet) continue;  // chart sheets and the like
        sheets.push_back(std::make_unique<XlsxSheet>(*this, s.attribute("name").value(), it->second.second));
    }
    if (sheets.empty()) Damaged("в книге нет листов");
}

void Workbook::Impl::LoadStyles() {
    if (stylesPath.empty() || !Find(stylesPath)) {
        // A workbook without styles: one default cell format, made when a style is added.
        styles.xfNumFmt = {0};
        return;
    }
    ParseXml(stylesPath, stylesDoc);
    const pugi::xml_node ss = stylesDoc.document_element();
    for (pugi::xml_node f = Child(Child(ss, "numFmts"), "numFmt"); f; f = f.next_sibling())
        if (Is(f, "numFmt")) styles.numFmts[f.attribute("numFmtId").as_int(-1)] = f.attribute("formatCode").value();
    for (pugi::xml_node x = Child(Child(ss, "cellXfs"), "xf"); x; x = x.next_sibling())
        if (Is(x, "xf")) styles.xfNumFmt.push_back(x.attribute("numFmtId").as_int(0));
    if (styles.xfNumFmt.empty()) styles.xfNumFmt = {0};
}

void Workbook::Impl::LoadSharedStrings(const std::string& part) {
    if (!Find(part)) return;
    pugi::xml_document doc;
    ParseXml(part, doc);
    for (pugi::xml_node si = Child(doc.document_element(), "si"); si; si = si.next_sibling()) {
        if (!Is(si, "si")) continue;
        std::string s;
        CollectText(si, s);
        sharedStrings.push_back(DecodeXString(s));
    }
}

void Workbook::Impl::LoadXls(const Bytes& bytes) {
    xls = true;
    // libfreexl reads files only: the bytes go to an anonymous in-memory file.
    const int fd = memfd_create("qem-xls", MFD_CLOEXEC);
    if (fd < 0) Damaged("нет памяти для чтения файла .xls");
    struct Fd {
        int fd;
        ~Fd() { close(fd); }
    } guard{fd};
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t k = write(fd, bytes.data() + done, bytes.size() - done);
        if (k <= 0) Damaged("нет памяти для чтения файла .xls");
        done += std::size_t(k);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    const void* h = nullptr;
    const int rc = freexl_open(path.c_str(), &h);
    struct Handle {
        const void* h;
        ~Handle() {
            if (h) freexl_close(h);
        }
    } handle{h};
    if (rc != FREEXL_OK) Damaged("файл .xls не читается (код libfreexl " + std::to_string(rc) + ")");
    unsigned int count = 0;
    if (freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || count == 0) Damaged("в книге нет листов");
    unsigned int mode = 0;
    freexl_get_info(h, FREEXL_BIFF_DATEMODE, &mode);
    for (unsigned short i = 0; i < count && i < 256; ++i) {
        const char* sheetName = nullptr;
        if (freexl_get_worksheet_name(h, i, &sheetName) != FREEXL_OK) Damaged("имя листа не читается");
        if (freexl_select_active_worksheet(h, i) != FREEXL_OK) Damaged("лист не читается");
        unsigned int rows = 0;
        unsigned short cols = 0;
        if (freexl_worksheet_dimensions(h, &rows, &cols) != FREEXL_OK) Damaged("размер листа не читается");
        if (rows > unsigned(kMaxSheetRows) || cols > unsigned(kMaxSheetColumns))
            Refuse("лист " + Quoted(ValidUtf8(sheetName ? sheetName : "")) + " больше допустимого");
        std::map<std::pair<int, int>, CellValue> cells;
        for (unsigned int r = 0; r < rows; ++r)
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(h, r, c, &v) != FREEXL_OK) Damaged("ячейка не читается");
                CellValue cv;
                switch (v.type) {
                    case FREEXL_CELL_INT: cv = CellValue::Number(v.value.int_value); break;
                    case FREEXL_CELL_DOUBLE: cv = CellValue::Number(v.value.double_value); break;
                    case FREEXL_CELL_TEXT:
                    case FREEXL_CELL_SST_TEXT: cv = CellValue::Text(ValidUtf8(v.value.text_value ? v.value.text_value : "")); break;
                    case FREEXL_CELL_DATE:
                    case FREEXL_CELL_DATETIME:
                    case FREEXL_CELL_TIME: {
                        const auto d = DateTimeFromText(v.value.text_value ? v.value.text_value : "");
                        if (!d) Damaged("дата ячейки не читается");
                        cv = CellValue::Number(*d);
                        cv.date = true;
                        break;
                    }
                    default: continue;
                }
                if (cells.size() >= limits.maxCells)
                    Refuse("на листе больше " + std::to_string(limits.maxCells) + " ячеек");
                cells[{int(r) + 1, int(c) + 1}] = std::move(cv);
            }
        sheets.push_back(std::make_unique<XlsSheet>(ValidUtf8(sheetName ? sheetName : ""), std::move(cells)));
    }
}

void Workbook::Impl::SetPart(const std::string& part, std::string bytes) {
    if (!parts.count(Lower(part))) {
        parts[Lower(part)] = part;
        order.push_back(part);
    }
    data[parts[Lower(part)]] = Bytes(bytes.begin(), bytes.end());
}

void Workbook::Impl::RemovePart(const std::string& part) {
    const auto it = parts.find(Lower(part));
    if (it == parts.end()) return;
    data.erase(it->second);
    order.erase(std::remove(order.begin(), order.end(), it->second), order.end());
    parts.erase(it);
}

Bytes Workbook::Impl::Package() const {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &err);
    if (!out) throw WorkbookError("Не удалось собрать книгу " + Quoted(name));
    zip_source_keep(out);
    struct Source {
        zip_source_t* s;
        ~Source() { zip_source_free(s); }
    } keep{out};
    zip_t* za = zip_open_from_source(out, ZIP_TRUNCATE, &err);
    if (!za) throw WorkbookError("Не удалось собрать книгу " + Quoted(name));
    // [Content_Types].xml first, as spreadsheet programs write it.
    std::vector<std::string> names{"[Content_Types].xml"};
    for (const auto& p : order)
        if (p != "[Content_Types].xml") names.push_back(p);
    for (const auto& p : names) {
        const Bytes& b = data.at(p);
        zip_source_t* s = zip_source_buffer(za, b.data(), b.size(), 0);
        if (!s || zip_file_add(za, p.c_str(), s, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) {
            if (s) zip_source_free(s);
            zip_discard(za);
            throw WorkbookError("Не удалось собрать книгу " + Quoted(name));
        }
    }
    if (zip_close(za) != 0) {
        zip_discard(za);
        throw WorkbookError("Не удалось собрать книгу " + Quoted(name));
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(out, &st) != 0 || zip_source_open(out) != 0)
        throw WorkbookError("Не удалось собрать книгу " + Quoted(name));
    Bytes bytes(std::size_t(st.size));
    const zip_int64_t k = zip_source_read(out, bytes.data(), bytes.size());
    zip_source_close(out);
    if (k != zip_int64_t(bytes.size())) throw WorkbookError("Не удалось собрать книгу " + Quoted(name));
    return bytes;
}

// ---------------------------------------------------------------------------------------
// Styles.

namespace {

const char* const kEmptyStyles =
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font><sz val=\"10\"/><name val=\"Arial\"/><family val=\"2\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
    "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
    "</styleSheet>";

// Index of an element equal to `xml` among the children `local` of list, appended when none
// is; the count attribute follows.
int FindOrAdd(pugi::xml_node list, std::string_view local, const std::string& xml) {
    pugi::xml_document tmp;
    tmp.load_string(xml.c_str(), pugi::parse_default | pugi::parse_ws_pcdata_single);
    const std::string wanted = Serialize(tmp.first_child());
    int i = 0;
    for (pugi::xml_node c = list.first_child(); c; c = c.next_sibling()) {
        if (!Is(c, local)) continue;
        if (Serialize(c) == wanted) return i;
        ++i;
    }
    list.append_copy(tmp.first_child());
    pugi::xml_attribute count = list.attribute("count");
    if (!count) count = list.append_attribute("count");
    count = i + 1;
    return i;
}

std::string EscapeAttr(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

bool IsColour(const std::string& c) {
    return c.size() == 6 && std::all_of(c.begin(), c.end(), [](char ch) { return std::isxdigit(static_cast<unsigned char>(ch)); });
}

}  // namespace

int Workbook::Impl::AddStyleXml(const CellStyle& st) {
    if (!stylesDoc.document_element()) {
        // A workbook without a styles part gets one.
        stylesDoc.load_string(kEmptyStyles);
        stylesPath = Resolve(workbookPath, "styles.xml");
        pugi::xml_node rel = relsDoc.document_element().append_child("Relationship");
        int id = 1;
        std::set<std::string> ids;
        for (pugi::xml_node r : relsDoc.document_element().children()) ids.insert(r.attribute("Id").value());
        while (ids.count("rId" + std::to_string(id))) ++id;
        rel.append_attribute("Id") = ("rId" + std::to_string(id)).c_str();
        rel.append_attribute("Type") = kRelStyles;
        rel.append_attribute("Target") = "styles.xml";
        pugi::xml_node o = typesDoc.document_element().append_child("Override");
        o.append_attribute("PartName") = ("/" + stylesPath).c_str();
        o.append_attribute("ContentType") = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";
        relsDirty = typesDirty = true;
    }
    if ((!st.fontColor.empty() && !IsColour(st.fontColor)) || (!st.fill.empty() && !IsColour(st.fill)))
        throw WorkbookError("Цвет задаётся шестью шестнадцатеричными цифрами RRGGBB");
    pugi::xml_node ss = stylesDoc.document_element();
    stylesDirty = true;

    const int numFmt = NumFmtId(st.numberFormat);
    std::string font = "<font>";
    if (st.bold) font += "<b/>";
    if (st.italic) font += "<i/>";
    font += "<sz val=\"" + ShortestDouble(st.fontSize) + "\"/>";
    if (!st.fontColor.empty()) font += "<color rgb=\"FF" + st.fontColor + "\"/>";
    font += "<name val=\"" + EscapeAttr(st.fontName) + "\"/><family val=\"2\"/></font>";
    const int fontId = FindOrAdd(EnsureChild(ss, "fonts", kStylesOrder), "font", font);

    int fillId = 0;
    if (!st.fill.empty())
        fillId = FindOrAdd(EnsureChild(ss, "fills", kStylesOrder), "fill",
                           "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FF" + st.fill +
                               "\"/><bgColor indexed=\"64\"/></patternFill></fill>");

    const std::string side = st.border ? " style=\"thin\"><color indexed=\"64\"/>" : ">";
    auto edge = [&](const char* e) {
        return st.border ? "<" + std::string(e) + side + "</" + e + ">" : "<" + std::string(e) + "/>";
    };
    const int borderId = FindOrAdd(EnsureChild(ss, "borders", kStylesOrder), "border",
                                   "<border>" + edge("left") + edge("right") + edge("top") + edge("bottom") +
                                       "<diagonal/></border>");

    std::string xf = "<xf numFmtId=\"" + std::to_string(numFmt) + "\" fontId=\"" + std::to_string(fontId) +
                     "\" fillId=\"" + std::to_string(fillId) + "\" borderId=\"" + std::to_string(borderId) +
                     "\" xfId=\"0\"";
    if (numFmt) xf += " applyNumberFormat=\"1\"";
    xf += " applyFont=\"1\"";
    if (fillId) xf += " applyFill=\"1\"";
    if (st.border) xf += " applyBorder=\"1\"";
    const bool align = st.hAlign != CellStyle::HAlign::General || st.vAlign != CellStyle::VAlign::Bottom || st.wrap;
    if (align) {
        xf += " applyAlignment=\"1\"><alignment";
        static const char* const h[] = {"general", "left", "center", "right"};
        static const char* const v[] = {"bottom", "center", "top"};
        if (st.hAlign != CellStyle::HAlign::General) xf += std::string(" horizontal=\"") + h[int(st.hAlign)] + "\"";
        if (st.vAlign != CellStyle::VAlign::Bottom) xf += std::string(" vertical=\"") + v[int(st.vAlign)] + "\"";
        if (st.wrap) xf += " wrapText=\"1\"";
        xf += "/></xf>";
    } else {
        xf += "/>";
    }
    const int index = FindOrAdd(EnsureChild(ss, "cellXfs", kStylesOrder), "xf", xf);
    if (index >= int(styles.xfNumFmt.size())) styles.xfNumFmt.push_back(numFmt);
    return index;
}

int Workbook::Impl::NumFmtId(const std::string& code) {
    // Built-in when the code is one, else a custom id from 164 on.
    for (int id = 0; id < 50; ++id)
        if (BuiltinNumberFormat(id) == code && !code.empty()) return id;
    for (const auto& [id, c] : styles.numFmts)
        if (c == code) return id;
    int id = 164;
    while (styles.numFmts.count(id)) ++id;
    pugi::xml_node ss = stylesDoc.document_element();
    pugi::xml_node list = EnsureChild(ss, "numFmts", kStylesOrder);
    pugi::xml_node f = list.append_child((Prefix(ss) + "numFmt").c_str());
    f.append_attribute("numFmtId") = id;
    f.append_attribute("formatCode") = code.c_str();
    styles.numFmts[id] = code;
    pugi::xml_attribute count = list.attribute("count");
    if (!count) count = list.append_attribute("count");
    count = int(std::count_if(list.begin(), list.end(), [](pugi::xml_node n) { return Is(n, "numFmt"); }));
    stylesDirty = true;
    return id;
}

int Workbook::Impl::ImportStyle(const Impl& src, int xf, std::map<int, int>& cache) {
    if (&src == this) return xf;
    if (const auto it = cache.find(xf); it != cache.end()) return it->second;
    const pugi::xml_node sss = src.stylesDoc.document_element();
    pugi::xml_node from;
    int i = 0;
    for (pugi::xml_node x = Child(Child(sss, "cellXfs"), "xf"); x; x = x.next_sibling())
        if (Is(x, "xf") && i++ == xf) from = x;
    if (!from) return cache[xf] = 0;
    if (!stylesDoc.document_element()) AddStyleXml(CellStyle{});  // makes the styles part
    pugi::xml_node ss = stylesDoc.document_element();
    stylesDirty = true;
    pugi::xml_document tmp;
    pugi::xml_node copy = tmp.append_copy(from);
    // The pieces the format names, found or added in this workbook.
    auto piece = [&](const char* list, const char* item, const char* attr) {
        const int id = copy.attribute(attr).as_int(0);
        int k = 0;
        for (pugi::xml_node p = Child(Child(sss, list), item); p; p = p.next_sibling())
            if (Is(p, item) && k++ == id) {
                copy.attribute(attr) = FindOrAdd(EnsureChild(ss, list, kStylesOrder), item, Serialize(p));
                return;
            }
        if (copy.attribute(attr)) copy.attribute(attr) = 0;
    };
    piece("fonts", "font", "fontId");
    piece("fills", "fill", "fillId");
    piece("borders", "border", "borderId");
    const int numFmt = copy.attribute("numFmtId").as_int(0);
    if (numFmt >= 164) {
        const auto code = src.styles.numFmts.find(numFmt);
        copy.attribute("numFmtId") = NumFmtId(code == src.styles.numFmts.end() ? "General" : code->second);
    }
    if (copy.attribute("xfId")) copy.attribute("xfId") = 0;
    const int index = FindOrAdd(EnsureChild(ss, "cellXfs", kStylesOrder), "xf", Serialize(copy));
    if (index >= int(styles.xfNumFmt.size())) styles.xfNumFmt.push_back(copy.attribute("numFmtId").as_int(0));
    return cache[xf] = index;
}

// ---------------------------------------------------------------------------------------
// Workbook.

Workbook::Workbook(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Workbook::Workbook(Workbook&&) noexcept = default;
Workbook& Workbook::operator=(Workbook&&) noexcept = default;
Workbook::~Workbook() = default;

Workbook Workbook::Open(const std::string& path, const WorkbookLimits& limits) {
    std::error_code ec;
    const auto p = PathFromUtf8(path);
    const auto size = std::filesystem::file_size(p, ec);
    if (!ec && size > limits.maxFileSize)
        throw WorkbookError("Книга " + Quoted(path) + " не открыта: файл больше " + MiB(limits.maxFileSize));
    return FromBytes(ReadWholeFile(path), limits, path);
}

Workbook Workbook::FromBytes(const Bytes& bytes, const WorkbookLimits& limits, const std::string& name) {
    auto impl = std::make_unique<Impl>();
    impl->name = name.empty() ? "(из памяти)" : name;
    impl->limits = limits;
    if (bytes.size() > limits.maxFileSize) impl->Refuse("файл больше " + MiB(limits.maxFileSize));
    static const std::uint8_t kZip[] = {'P', 'K', 3, 4};
    static const std::uint8_t kCfb[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (bytes.size() >= 4 && std::equal(kZip, kZip + 4, bytes.begin())) {
        impl->ReadZip(bytes);
        impl->Load();
    } else if (bytes.size() >= 8 && std::equal(kCfb, kCfb + 8, bytes.begin())) {
        impl->LoadXls(bytes);
    } else {
        throw WorkbookError("Файл " + Quoted(impl->name) + " не является книгой Excel (.xlsx или .xls)");
    }
    return Workbook(std::move(impl));
}

Workbook Workbook::Create(const std::string& sheetName) {
    auto impl = std::make_unique<Impl>();
    impl->name = "(новая книга)";
    std::string escaped = EscapeAttr(ValidUtf8(sheetName));
    impl->SetPart("[Content_Types].xml",
                  std::string(kXmlDeclaration) +
                      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                      "<Override PartName=\"/xl/workbook.xml\" "
                      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                      "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
                      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
                      "<Override PartName=\"/xl/styles.xml\" "
                      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
                      "</Types>");
    impl->SetPart("_rels/.rels", std::string(kXmlDeclaration) + "<Relationships xmlns=\"" + kPkgRelNs +
                                     "\"><Relationship Id=\"rId1\" Type=\"" + kRelOfficeDocument +
                                     "\" Target=\"xl/workbook.xml\"/></Relationships>");
    impl->SetPart("xl/workbook.xml", std::string(kXmlDeclaration) + "<workbook xmlns=\"" + kMainNs +
                                         "\" xmlns:r=\"" + kRelNs +
                                         "\"><workbookPr/><bookViews><workbookView/></bookViews><sheets><sheet name=\"" +
                                         escaped +
                                         "\" sheetId=\"1\" r:id=\"rId1\"/></sheets><calcPr fullCalcOnLoad=\"1\"/></workbook>");
    impl->SetPart("xl/_rels/workbook.xml.rels",
                  std::string(kXmlDeclaration) + "<Relationships xmlns=\"" + kPkgRelNs + "\"><Relationship Id=\"rId1\" Type=\"" +
                      kRelWorksheet + "\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" +
                      kRelStyles + "\" Target=\"styles.xml\"/></Relationships>");
    impl->SetPart("xl/worksheets/sheet1.xml",
                  std::string(kXmlDeclaration) + "<worksheet xmlns=\"" + kMainNs + "\" xmlns:r=\"" + kRelNs +
                      "\"><dimension ref=\"A1\"/><sheetViews><sheetView workbookViewId=\"0\"/></sheetViews>"
                      "<sheetFormatPr defaultRowHeight=\"12.75\"/><sheetData/>"
                      "<pageMargins left=\"0.5\" right=\"0.5\" top=\"0.6\" bottom=\"0.6\" header=\"0.3\" footer=\"0.3\"/>"
                      "</worksheet>");
    impl->SetPart("xl/styles.xml", std::string(kXmlDeclaration) + kEmptyStyles);
    impl->Load();
    return Workbook(std::move(impl));
}

int Workbook::SheetCount() const { return int(impl_->sheets.size()); }

Sheet& Workbook::Worksheet(int i) {
    if (i < 1 || i > SheetCount()) throw WorkbookError("В книге нет листа № " + std::to_string(i));
    return *impl_->sheets[std::size_t(i - 1)];
}

const Sheet& Workbook::Worksheet(int i) const { return const_cast<Workbook*>(this)->Worksheet(i); }

bool Workbook::ReadOnly() const { return impl_->xls; }

int Workbook::AddStyle(const CellStyle& style) {
    if (impl_->xls) throw WorkbookError("Книга в формате .xls открыта только для чтения: изменения не сохраняются");
    return impl_->AddStyleXml(style);
}

Bytes Workbook::ToBytes() const {
    Impl& w = *impl_;
    if (w.xls) throw WorkbookError("Книга в формате .xls открыта только для чтения: изменения не сохраняются");
    bool changed = false;
    for (auto& s : w.sheets) {
        auto& x = static_cast<XlsxSheet&>(*s);
        if (!x.Dirty()) continue;
        changed = true;
        x.UpdateDimension();
        w.SetPart(x.Part(), x.Xml());
    }
    if (changed) {
        // Values changed under the formulas: spreadsheet programs recalculate when they open
        // the file, and the calculation chain, which may name cells without formulas now, goes.
        pugi::xml_node wb = w.workbookDoc.document_element();
        pugi::xml_node calc = EnsureChild(wb, "calcPr", kWorkbookOrder);
        if (!calc.attribute("fullCalcOnLoad")) calc.append_attribute("fullCalcOnLoad");
        calc.attribute("fullCalcOnLoad") = "1";
        w.workbookDirty = true;
        for (pugi::xml_node r = w.relsDoc.document_element().first_child(); r;) {
            pugi::xml_node next = r.next_sibling();
            if (std::string_view(r.attribute("Type").value()) == kRelCalcChain) {
                w.RemovePart(w.Resolve(w.workbookPath, r.attribute("Target").value()));
                w.relsDoc.document_element().remove_child(r);
                w.relsDirty = true;
                for (pugi::xml_node o = w.typesDoc.document_element().first_child(); o;) {
                    pugi::xml_node on = o.next_sibling();
                    if (std::string_view(o.attribute("ContentType").value()).find("calcChain") != std::string_view::npos) {
                        w.typesDoc.document_element().remove_child(o);
                        w.typesDirty = true;
                    }
                    o = on;
                }
            }
            r = next;
        }
    }
    if (w.workbookDirty) w.SetPart(w.workbookPath, Serialize(w.workbookDoc));
    if (w.stylesDirty) w.SetPart(w.stylesPath, Serialize(w.stylesDoc));
    if (w.relsDirty) w.SetPart(w.relsPath, Serialize(w.relsDoc));
    if (w.typesDirty) w.SetPart("[Content_Types].xml", Serialize(w.typesDoc));
    return w.Package();
}

void Workbook::Save(const std::string& path) const { WriteFileAtomically(path, ToBytes()); }

// ---------------------------------------------------------------------------------------
// Copying blocks.

void CopyRange(const Sheet& from, std::string_view range, Sheet& to, std::string_view at) {
    const CellRange r = ParseRange(range);
    const CellAddress a = ParseCell(at);
    const int dr = a.row - r.first.row, dc = a.col - r.first.col;
    if (r.last.row + dr > kMaxSheetRows || r.last.col + dc > kMaxSheetColumns)
        throw WorkbookError("Блок " + std::string(range) + " не помещается на лист с ячейки " + std::string(at));
    auto* target = dynamic_cast<XlsxSheet*>(&to);
    if (!target) throw WorkbookError("Книга в формате .xls открыта только для чтения: изменения не сохраняются");
    const auto* source = dynamic_cast<const XlsxSheet*>(&from);
    std::map<int, int> styleCache;
    for (int row = r.first.row; row <= r.last.row; ++row)
        for (int col = r.first.col; col <= r.last.col; ++col) {
            const int tr = row + dr, tc = col + dc;
            const CellValue v = from.Value(row, col);
            const std::string f = from.Formula(row, col);
            const int style = source ? target->Book().ImportStyle(source->Book(), from.Style(row, col), styleCache) : 0;
            if (!f.empty()) {
                CellValue result = v;
                if (v.date && target->Book().date1904) result.number -= 1462;
                target->SetFormula(tr, tc, MoveFormula(f, dr, dc), result);
            } else if (v.kind == CellKind::Empty) {
                target->Clear(tr, tc);
            } else if (v.kind == CellKind::Text) {
                // A text stays a text even when it reads as a number.
                pugi::xml_node c = target->Reset(tr, tc);
                c.append_attribute("t") = "inlineStr";
                const std::string pre = Prefix(c);
                pugi::xml_node t = c.append_child((pre + "is").c_str()).append_child((pre + "t").c_str());
                const std::string enc = EncodeXString(v.text);
                if (!enc.empty() && (enc.front() == ' ' || enc.back() == ' ' || enc.find_first_of("\n\t\r") != std::string::npos))
                    t.append_attribute("xml:space") = "preserve";
                t.text().set(enc.c_str());
            } else if (v.kind == CellKind::Number) {
                double n = v.number;  // dates are read counted from 1900
                if (v.date && target->Book().date1904) n -= 1462;
                target->SetNumber(tr, tc, n);
            } else {
                pugi::xml_node c = target->Reset(tr, tc);
                c.append_attribute("t") = v.kind == CellKind::Boolean ? "b" : "e";
                c.append_child((Prefix(c) + "v").c_str()).text().set(v.kind == CellKind::Boolean ? (v.number ? "1" : "0")
                                                                                               : v.text.c_str());
            }
            if (style != 0 || to.Style(tr, tc) != 0) to.SetStyle(tr, tc, style);
        }
    for (const CellRange& m : from.MergedRanges())
        if (m.first.row >= r.first.row && m.last.row <= r.last.row && m.first.col >= r.first.col &&
            m.last.col <= r.last.col) {
            const std::string ref = CellName(m.first.row + dr, m.first.col + dc) + ":" +
                                    CellName(m.last.row + dr, m.last.col + dc);
            bool present = false;
            for (const CellRange& t : to.MergedRanges())
                present = present || (t.first == CellAddress{m.first.row + dr, m.first.col + dc} &&
                                      t.last == CellAddress{m.last.row + dr, m.last.col + dc});
            if (!present) to.Merge(ref);
        }
}

}  // namespace qem

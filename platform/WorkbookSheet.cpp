// Worksheets of .xlsx workbooks: reading cells, writing values, formulas, styles and layout,
// and copying blocks between workbooks.
#include "platform/WorkbookSheet.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/WorkbookDetail.h"
#include "platform/WorkbookImpl.h"
#include "platform/WorkbookPackage.h"

namespace qem {

using namespace wbdetail;

namespace {

// ---------------------------------------------------------------------------------------
// Worksheet of an .xlsx workbook: the XML of the part, with an index of its rows and cells.

class XlsxSheet : public Sheet {
public:
    XlsxSheet(Workbook::Impl& wb, std::string name, std::string part)
        : wb_(wb), name_(std::move(name)), part_(std::move(part)) {
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
        std::string own = f.text().get();
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

    void AddListValidation(const ListValidation& v) override {
        const CellRange r = ParseRange(v.range);
        if (v.source.empty()) throw WorkbookError("Список значений для " + v.range + " пуст");
        // The lengths spreadsheet programs accept.
        if (Utf8Length(v.title) > 32 || Utf8Length(v.prompt) > 255 || Utf8Length(v.error) > 225 ||
            Utf8Length(v.source) > 255)
            throw WorkbookError("Подсказка или список значений для " + v.range + " длиннее допустимого");
        Touch();
        pugi::xml_node list = EnsureChild(root_, "dataValidations", kWorksheetOrder);
        pugi::xml_node d = list.append_child((pre_ + "dataValidation").c_str());
        d.append_attribute("type") = "list";
        d.append_attribute("allowBlank") = "1";
        d.append_attribute("showInputMessage") = "1";
        d.append_attribute("showErrorMessage") = v.strict ? "1" : "0";
        if (!v.strict) d.append_attribute("errorStyle") = "information";
        if (!v.title.empty()) d.append_attribute("promptTitle") = ValidUtf8(v.title).c_str();
        if (!v.prompt.empty()) d.append_attribute("prompt") = ValidUtf8(v.prompt).c_str();
        if (!v.error.empty()) {
            d.append_attribute("errorTitle") = "Значение не из списка";
            d.append_attribute("error") = ValidUtf8(v.error).c_str();
        }
        d.append_attribute("sqref") = RangeText(r).c_str();
        std::string source = ValidUtf8(v.source);
        if (!source.empty() && source.front() == '=') source.erase(0, 1);
        d.append_child((pre_ + "formula1").c_str()).text().set(source.c_str());
        SetAttr(list, "count", std::to_string(ListValidations().size()));
    }

    std::vector<ListValidation> ListValidations() const override {
        std::vector<ListValidation> out;
        for (pugi::xml_node d = Child(Child(root_, "dataValidations"), "dataValidation"); d; d = d.next_sibling()) {
            if (!Is(d, "dataValidation") || std::string_view(d.attribute("type").value()) != "list") continue;
            ListValidation v;
            v.range = d.attribute("sqref").value();
            v.source = Child(d, "formula1").text().get();
            v.strict = d.attribute("showErrorMessage").as_bool(false) &&
                       std::string_view(d.attribute("errorStyle").value()) != "information" &&
                       std::string_view(d.attribute("errorStyle").value()) != "warning";
            v.title = d.attribute("promptTitle").value();
            v.prompt = d.attribute("prompt").value();
            v.error = d.attribute("error").value();
            out.push_back(std::move(v));
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
            for (auto [k, v] : {std::pair{"left", "0.5"},
                                {"right", "0.5"},
                                {"top", "0.6"},
                                {"bottom", "0.6"},
                                {"header", "0.3"},
                                {"footer", "0.3"}})
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
        if (!setup.printTitleRows.empty() || !setup.printTitleColumns.empty())
            SetPrintTitles(setup.printTitleRows, setup.printTitleColumns);
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
        if (!vn || (v.formula && vn.text().empty())) return v;
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
        if (!enc.empty() &&
            (enc.front() == ' ' || enc.back() == ' ' || enc.find_first_of("\n\t\r") != std::string::npos))
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
            throw WorkbookError("На листе " + Quoted(name_) + " больше " + std::to_string(wb_.limits.maxCells) +
                                " ячеек");
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

    void SetPrintTitles(const std::string& rows, const std::string& columns) {
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
        std::string quoted;
        for (char ch : name_) quoted += ch == '\'' ? std::string("''") : std::string(1, ch);
        // "'Лист'!$A:$B,'Лист'!$1:$2": the columns first, as spreadsheet programs write it.
        auto part = [&](const std::string& span) {
            const auto colon = span.find(':');
            return "'" + quoted + "'!$" + span.substr(0, colon) + ":$" +
                   (colon == std::string::npos ? span : span.substr(colon + 1));
        };
        std::string ref;
        if (!columns.empty()) ref = part(columns);
        if (!rows.empty()) ref += (ref.empty() ? "" : ",") + part(rows);
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
                if (!ParseInt(a.value(), rn))
                    wb_.Damaged("номер строки " + Quoted(a.value()) + " на листе " + Quoted(name_));
            } else {
                r.append_attribute("r") = rn;
            }
            if (rn < 1 || rn > kMaxSheetRows)
                wb_.Refuse("строка " + std::to_string(rn) + " вне листа " + Quoted(name_));
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
                if (col <= prevCol)
                    wb_.Damaged("ячейки строки " + std::to_string(rn) + " повторяются или не по порядку");
                prevCol = col;
                if (++cellCount_ > wb_.limits.maxCells)
                    wb_.Refuse("на листе " + Quoted(name_) + " больше " + std::to_string(wb_.limits.maxCells) +
                               " ячеек");
                slot.cells[col] = c;
                Check(c, int(rn), col);
            }
        }
    }

    void Check(pugi::xml_node c, int row, int col) {
        const std::string_view t = c.attribute("t").value();
        const pugi::xml_node v = Child(c, "v");
        const char* text = v.text().get();
        if (const pugi::xml_node f = Child(c, "f");
            f && std::string_view(f.attribute("t").value()) == "shared" && !f.text().empty())
            sharedMasters_[f.attribute("si").as_llong(-1)] = {row, col};
        // A formula whose program stored no result: <v/> empty.
        if (!v || (Child(c, "f") && v.text().empty())) return;
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

}  // namespace

namespace wbdetail {

std::unique_ptr<Sheet> OpenXlsxSheet(Workbook::Impl& wb, std::string name, std::string part) {
    return std::make_unique<XlsxSheet>(wb, std::move(name), std::move(part));
}

bool StoreXlsxSheet(Sheet& sheet) {
    auto& x = static_cast<XlsxSheet&>(sheet);
    if (!x.Dirty()) return false;
    x.UpdateDimension();
    x.Book().SetPart(x.Part(), x.Xml());
    return true;
}

}  // namespace wbdetail

// ---------------------------------------------------------------------------------------
// Copying blocks.

void CopyRange(const Sheet& from, std::string_view range, Sheet& to, std::string_view at) {
    const CellRange r = ParseRange(range);
    const CellAddress a = ParseCell(at);
    const int dr = a.row - r.first.row, dc = a.col - r.first.col;
    if (r.last.row + dr > kMaxSheetRows || r.last.col + dc > kMaxSheetColumns)
        throw WorkbookError("Блок " + std::string(range) + " не помещается на лист с ячейки " + std::string(at));
    auto* target = dynamic_cast<XlsxSheet*>(&to);
    if (!target) {
        to.SetStyle(1, 1, 0);  // a sheet read only refuses it with its own message
        throw WorkbookError("Лист " + Quoted(to.Name()) + " не изменяется");
    }
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
                if (!enc.empty() &&
                    (enc.front() == ' ' || enc.back() == ' ' || enc.find_first_of("\n\t\r") != std::string::npos))
                    t.append_attribute("xml:space") = "preserve";
                t.text().set(enc.c_str());
            } else if (v.kind == CellKind::Number) {
                double n = v.number;  // dates are read counted from 1900
                if (v.date && target->Book().date1904) n -= 1462;
                target->SetNumber(tr, tc, n);
            } else {
                pugi::xml_node c = target->Reset(tr, tc);
                c.append_attribute("t") = v.kind == CellKind::Boolean ? "b" : "e";
                c.append_child((Prefix(c) + "v").c_str())
                    .text()
                    .set(v.kind == CellKind::Boolean ? (v.number != 0 ? "1" : "0") : v.text.c_str());
            }
            if (style != 0 || to.Style(tr, tc) != 0) to.SetStyle(tr, tc, style);
        }
    for (const CellRange& m : from.MergedRanges())
        if (m.first.row >= r.first.row && m.last.row <= r.last.row && m.first.col >= r.first.col &&
            m.last.col <= r.last.col) {
            const std::string ref =
                CellName(m.first.row + dr, m.first.col + dc) + ":" + CellName(m.last.row + dr, m.last.col + dc);
            bool present = false;
            for (const CellRange& t : to.MergedRanges())
                present = present || (t.first == CellAddress{m.first.row + dr, m.first.col + dc} &&
                                      t.last == CellAddress{m.last.row + dr, m.last.col + dc});
            if (!present) to.Merge(ref);
        }
}

}  // namespace qem

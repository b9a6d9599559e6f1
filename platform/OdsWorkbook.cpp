// OpenDocument spreadsheets: the tables of content.xml (pugixml) from the package read by
// platform/WorkbookPackage.h.
#include "platform/OdsWorkbook.h"

#include <cmath>
#include <map>
#include <optional>
#include <pugixml.hpp>

#include "platform/ReadOnlySheet.h"
#include "platform/WorkbookDetail.h"
#include "platform/WorkbookImpl.h"

namespace qem {

using namespace wbdetail;

namespace {

constexpr std::string_view kOfficeNs = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view kTableNs = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr std::string_view kTextNs = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr std::string_view kCalcExtNs = "urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0";

// How deep tables nest their row groups and texts their spans, at most.
constexpr int kMaxDepth = 64;

// Attributes by namespace and local name, the prefixes as the document's root declares them.
class Names {
public:
    explicit Names(pugi::xml_node root) {
        for (pugi::xml_attribute a = root.first_attribute(); a; a = a.next_attribute()) {
            const std::string_view n = a.name();
            if (n.rfind("xmlns:", 0) == 0) prefixes_[std::string(n.substr(6))] = a.value();
        }
    }
    const char* Attr(pugi::xml_node n, std::string_view ns, std::string_view local) const {
        for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
            const std::string_view name = a.name();
            const auto colon = name.find(':');
            if (colon == std::string_view::npos || name.substr(colon + 1) != local) continue;
            const auto it = prefixes_.find(std::string(name.substr(0, colon)));
            if (it != prefixes_.end() && it->second == ns) return a.value();
        }
        return nullptr;
    }

private:
    std::map<std::string, std::string> prefixes_;
};

class OdsReader {
public:
    OdsReader(const ZipPackage& pkg, const Names& names) : pkg_(pkg), n_(names) {}

    std::unique_ptr<Sheet> Table(pugi::xml_node table) {
        const char* name = n_.Attr(table, kTableNs, "name");
        cells_.clear();
        merged_.clear();
        row_ = 1;
        Rows(table, 0);
        return std::make_unique<ReadOnlySheet>(ValidUtf8(name ? name : ""), std::move(cells_), std::move(merged_),
                                               ".ods");
    }

private:
    // A repeat count: 1 when absent.
    long long Count(pugi::xml_node n, std::string_view attr) const {
        const char* v = n_.Attr(n, kTableNs, attr);
        if (!v) return 1;
        long long k = 0;
        if (!ParseInt(v, k) || k < 1) pkg_.Damaged("число повторений " + Quoted(ValidUtf8(v)) + " в content.xml");
        return k;
    }

    void Rows(pugi::xml_node parent, int depth) {
        if (depth > kMaxDepth) pkg_.Refuse("группы строк в content.xml вложены глубже " + std::to_string(kMaxDepth));
        for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
            if (Is(c, "table-row"))
                Row(c);
            else if (Is(c, "table-row-group") || Is(c, "table-header-rows") || Is(c, "table-rows"))
                Rows(c, depth + 1);
        }
    }

    void Row(pugi::xml_node row) {
        const long long repeat = Count(row, "number-rows-repeated");
        // The cells of one repetition of the row: (first column, repeat, value, spans).
        struct Cell {
            long long col, repeat;
            CellValue value;
            long long rows, cols;  // merged area from the cell
        };
        std::vector<Cell> cells;
        long long col = 1;
        for (pugi::xml_node c = row.first_child(); c; c = c.next_sibling()) {
            const bool covered = Is(c, "covered-table-cell");
            if (!covered && !Is(c, "table-cell")) continue;
            const long long k = Count(c, "number-columns-repeated");
            if (!covered) {
                std::optional<CellValue> v = Value(c);
                const long long rs = Count(c, "number-rows-spanned"), cs = Count(c, "number-columns-spanned");
                if (v || rs > 1 || cs > 1) {
                    if (col > kMaxSheetColumns) pkg_.Refuse("ячейка вне листа в content.xml");
                    cells.push_back({col, k, v.value_or(CellValue{}), rs, cs});
                }
            }
            col += std::min<long long>(k, kMaxSheetColumns + 1LL);
        }
        if (cells.empty()) {
            row_ += std::min<long long>(repeat, kMaxSheetRows + 1LL);
            return;
        }
        for (long long r = 0; r < repeat; ++r, ++row_) {
            if (row_ > kMaxSheetRows) pkg_.Refuse("строка вне листа в content.xml");
            for (const Cell& c : cells)
                for (long long i = 0; i < c.repeat && c.col + i <= kMaxSheetColumns; ++i) {
                    const int at = int(c.col + i);
                    if (++stored_ > pkg_.limits.maxCells)
                        pkg_.Refuse("на листе больше " + std::to_string(pkg_.limits.maxCells) + " ячеек");
                    if (c.value.kind != CellKind::Empty || c.value.formula) cells_[{int(row_), at}] = c.value;
                    if (c.rows > 1 || c.cols > 1)
                        merged_.push_back({{int(row_), at},
                                           {int(std::min<long long>(row_ + c.rows - 1, kMaxSheetRows)),
                                            int(std::min<long long>(at + c.cols - 1, kMaxSheetColumns))}});
                }
        }
    }

    // The value of a cell; nullopt for an empty cell without a formula.
    std::optional<CellValue> Value(pugi::xml_node c) const {
        CellValue v;
        v.formula = n_.Attr(c, kTableNs, "formula") != nullptr;
        const char* type = n_.Attr(c, kOfficeNs, "value-type");
        const char* ext = n_.Attr(c, kCalcExtNs, "value-type");
        const std::string_view t = type ? type : "";
        auto attr = [&](std::string_view local) {
            const char* a = n_.Attr(c, kOfficeNs, local);
            return std::string_view(a ? a : "");
        };
        if (ext && std::string_view(ext) == "error") {
            v.kind = CellKind::Error;
            v.text = Paragraphs(c);
        } else if (t == "float" || t == "percentage" || t == "currency") {
            v.kind = CellKind::Number;
            if (!ParseDouble(attr("value"), v.number))
                pkg_.Damaged("в ячейке не число " + Quoted(ValidUtf8(attr("value"))) + " в content.xml");
        } else if (t == "date") {
            const auto d = DateTimeFromText(attr("date-value"));
            if (!d) pkg_.Damaged("дата " + Quoted(ValidUtf8(attr("date-value"))) + " в content.xml не читается");
            v.kind = CellKind::Number;
            v.number = *d;
            v.date = true;
        } else if (t == "time") {
            const auto d = Duration(attr("time-value"));
            if (!d) pkg_.Damaged("время " + Quoted(ValidUtf8(attr("time-value"))) + " в content.xml не читается");
            v.kind = CellKind::Number;
            v.number = *d;
            v.date = true;
        } else if (t == "boolean") {
            v.kind = CellKind::Boolean;
            v.number = attr("boolean-value") == "true" || attr("boolean-value") == "1" ? 1 : 0;
        } else if (t == "string") {
            v.kind = CellKind::Text;
            const char* s = n_.Attr(c, kOfficeNs, "string-value");
            v.text = s ? ValidUtf8(s) : Paragraphs(c);
        } else if (!type) {
            // Producers other than LibreOffice may leave the type out of a text cell.
            const std::string text = Paragraphs(c);
            if (!text.empty()) v.kind = CellKind::Text, v.text = text;
        }
        if (v.kind == CellKind::Empty && !v.formula) return std::nullopt;
        if (v.kind == CellKind::Text && Utf8Length(v.text) > kMaxCellTextChars)
            pkg_.Refuse("текст ячейки длиннее " + std::to_string(kMaxCellTextChars) + " знаков");
        return v;
    }

    // "PT12H30M00S" (with an optional day part and a fraction of a second) as days.
    static std::optional<double> Duration(std::string_view s) {
        bool negative = false;
        if (!s.empty() && s.front() == '-') negative = true, s.remove_prefix(1);
        if (s.empty() || s.front() != 'P') return std::nullopt;
        s.remove_prefix(1);
        double days = 0;
        bool time = false, any = false;
        while (!s.empty()) {
            if (s.front() == 'T') {
                time = true;
                s.remove_prefix(1);
                continue;
            }
            std::size_t i = 0;
            while (i < s.size() && ((s[i] >= '0' && s[i] <= '9') || s[i] == '.')) ++i;
            if (i == 0 || i == s.size()) return std::nullopt;
            double x = 0;
            if (!ParseDouble(s.substr(0, i), x)) return std::nullopt;
            const char unit = s[i];
            if (unit == 'D' && !time)
                days += x;
            else if (unit == 'H' && time)
                days += x / 24;
            else if (unit == 'M' && time)
                days += x / 1440;
            else if (unit == 'S' && time)
                days += x / 86400;
            else
                return std::nullopt;
            any = true;
            s.remove_prefix(i + 1);
        }
        if (!any) return std::nullopt;
        return negative ? -days : days;
    }

    // The text of a cell: its paragraphs, one a line (annotations left out).
    std::string Paragraphs(pugi::xml_node c) const {
        std::string out;
        bool first = true;
        for (pugi::xml_node p = c.first_child(); p; p = p.next_sibling()) {
            if (!Is(p, "p") && !Is(p, "h")) continue;
            if (!first) out += '\n';
            first = false;
            Text(p, out, 0);
        }
        return ValidUtf8(out);
    }

    void Text(pugi::xml_node n, std::string& out, int depth) const {
        if (depth > kMaxDepth) pkg_.Refuse("текст ячейки в content.xml вложен глубже " + std::to_string(kMaxDepth));
        for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
            if (out.size() > 4 * kMaxCellTextChars)
                pkg_.Refuse("текст ячейки длиннее " + std::to_string(kMaxCellTextChars) + " знаков");
            if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) {
                out += c.value();
            } else if (Is(c, "s")) {
                const char* k = n_.Attr(c, kTextNs, "c");
                long long count = 1;
                if (k && (!ParseInt(k, count) || count < 0)) count = 1;
                out.append(std::size_t(std::min<long long>(count, kMaxCellTextChars)), ' ');
            } else if (Is(c, "tab")) {
                out += '\t';
            } else if (Is(c, "line-break")) {
                out += '\n';
            } else if (Is(c, "annotation") || Is(c, "note")) {
                continue;
            } else if (c.type() == pugi::node_element) {
                Text(c, out, depth + 1);
            }
        }
    }

    const ZipPackage& pkg_;
    const Names& n_;
    std::map<std::pair<int, int>, CellValue> cells_;
    std::vector<CellRange> merged_;
    long long row_ = 1;
    std::uint64_t stored_ = 0;
};

}  // namespace

namespace wbdetail {

std::vector<std::unique_ptr<Sheet>> ReadOdsSheets(const ZipPackage& pkg) {
    if (const Bytes* m = pkg.Find("mimetype")) {
        const std::string type(m->begin(), m->end());
        if (type.rfind("application/vnd.oasis.opendocument.spreadsheet", 0) != 0)
            pkg.Refuse("пакет OpenDocument не является электронной таблицей (" + ValidUtf8(type) + ")");
    }
    pugi::xml_document doc;
    pkg.ParseXml("content.xml", doc);
    const pugi::xml_node root = doc.document_element();
    if (!Is(root, "document-content")) pkg.Damaged("часть content.xml не является содержимым документа");
    const Names names(root);
    OdsReader reader(pkg, names);
    std::vector<std::unique_ptr<Sheet>> sheets;
    const pugi::xml_node body = Child(Child(root, "body"), "spreadsheet");
    for (pugi::xml_node t = body.first_child(); t; t = t.next_sibling())
        if (Is(t, "table")) sheets.push_back(reader.Table(t));
    if (sheets.empty()) pkg.Damaged("в книге нет листов");
    return sheets;
}

}  // namespace wbdetail

void Workbook::Impl::LoadOds() {
    readOnlyFormat = ".ods";
    sheets = ReadOdsSheets(*this);
}

}  // namespace qem

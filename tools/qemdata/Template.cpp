#include "tools/qemdata/Template.h"

#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Workbook.h"

namespace qemdata {
namespace {

using qem::CellRange;
using qem::CellStyle;

// The words of a line: `words` first ones split at blanks, the rest of the line as the last.
std::vector<std::string> Split(const std::string& line, std::size_t words) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        if (out.size() + 1 == words) {
            std::size_t e = line.size();
            while (e > i && (line[e - 1] == ' ' || line[e - 1] == '\t' || line[e - 1] == '\r')) --e;
            out.push_back(line.substr(i, e - i));
            break;
        }
        std::size_t j = i;
        if (line[i] == '"') {
            j = line.find('"', i + 1);
            if (j == std::string::npos) j = line.size();
            out.push_back(line.substr(i + 1, j - i - 1));
            i = j + 1;
            continue;
        }
        while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
        out.push_back(line.substr(i, j - i));
        i = j;
    }
    return out;
}

// "F:S" or "B" as a column range; "5:34" or "3" as a row range.
std::pair<int, int> Span(const std::string& s, bool columns) {
    const auto colon = s.find(':');
    const std::string a = s.substr(0, colon), b = colon == std::string::npos ? a : s.substr(colon + 1);
    if (columns) return {qem::ParseCell(a + "1").col, qem::ParseCell(b + "1").col};
    return {qem::ParseCell("A" + a).row, qem::ParseCell("A" + b).row};
}

// {c}, {r}, {r+K}, {r-K} of a formula for the cell (row, col).
std::string Expand(const std::string& f, int row, int col) {
    std::string out;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '{') {
            out += f[i];
            continue;
        }
        const auto end = f.find('}', i);
        if (end == std::string::npos) throw TemplateError("unclosed {");
        const std::string key = f.substr(i + 1, end - i - 1);
        if (key == "c") {
            out += qem::ColumnName(col);
        } else if (!key.empty() && key[0] == 'r') {
            int v = row;
            if (key.size() > 1) v += std::stoi(key.substr(1));
            out += std::to_string(v);
        } else {
            throw TemplateError("unknown placeholder {" + key + "}");
        }
        i = end;
    }
    return out;
}

CellStyle ParseStyle(const std::vector<std::string>& w) {
    CellStyle st;
    for (std::size_t i = 2; i < w.size(); ++i) {
        const std::string& o = w[i];
        const auto eq = o.find('=');
        const std::string key = o.substr(0, eq), value = eq == std::string::npos ? "" : o.substr(eq + 1);
        if (key == "font")
            st.fontSize = std::stod(value);
        else if (key == "name")
            st.fontName = value;
        else if (key == "bold")
            st.bold = true;
        else if (key == "italic")
            st.italic = true;
        else if (key == "color")
            st.fontColor = value;
        else if (key == "fill")
            st.fill = value;
        else if (key == "left")
            st.hAlign = CellStyle::HAlign::Left;
        else if (key == "center")
            st.hAlign = CellStyle::HAlign::Center;
        else if (key == "right")
            st.hAlign = CellStyle::HAlign::Right;
        else if (key == "top")
            st.vAlign = CellStyle::VAlign::Top;
        else if (key == "middle")
            st.vAlign = CellStyle::VAlign::Center;
        else if (key == "bottom")
            st.vAlign = CellStyle::VAlign::Bottom;
        else if (key == "wrap")
            st.wrap = true;
        else if (key == "border")
            st.border = true;
        else if (key == "format")
            st.numberFormat = value;
        else
            throw TemplateError("unknown style option " + o);
    }
    return st;
}

}  // namespace

std::string MakeTemplate(const std::filesystem::path& description, const std::filesystem::path& outDir) {
    std::ifstream in(description);
    if (!in) throw TemplateError(qem::PathText(description) + ": cannot be read");
    std::string fileName;
    std::optional<qem::Workbook> wb;
    std::map<std::string, int> styles;
    std::string line;
    int lineNo = 0;
    try {
        while (std::getline(in, line)) {
            ++lineNo;
            const auto first = Split(line, 2);
            if (first.empty() || first[0][0] == '#') continue;
            const std::string& cmd = first[0];
            if (cmd == "workbook") {
                if (first.size() < 2) throw TemplateError("workbook needs a file name");
                fileName = first[1];
                continue;
            }
            if (cmd == "sheet") {
                if (first.size() < 2) throw TemplateError("sheet needs a name");
                wb.emplace(qem::Workbook::Create(first[1]));
                continue;
            }
            if (!wb) throw TemplateError("sheet must come first");
            qem::Sheet& s = wb->FirstSheet();
            auto style = [&](const std::string& id) {
                if (id == "-") return 0;
                const auto it = styles.find(id);
                if (it == styles.end()) throw TemplateError("unknown style " + id);
                return it->second;
            };
            auto styleRange = [&](const CellRange& r, int st) {
                if (st == 0) return;
                for (int row = r.first.row; row <= r.last.row; ++row)
                    for (int col = r.first.col; col <= r.last.col; ++col) s.SetStyle(row, col, st);
            };
            if (cmd == "style") {
                const auto w = Split(line, 1000);
                if (w.size() < 2) throw TemplateError("style needs a name");
                styles[w[1]] = wb->AddStyle(ParseStyle(w));
            } else if (cmd == "width") {
                const auto w = Split(line, 3);
                if (w.size() != 3) throw TemplateError("width COLUMNS CHARS");
                const auto [a, b] = Span(w[1], true);
                for (int c = a; c <= b; ++c) s.SetColumnWidth(c, std::stod(w[2]));
            } else if (cmd == "height") {
                const auto w = Split(line, 3);
                if (w.size() != 3) throw TemplateError("height ROWS POINTS");
                const auto [a, b] = Span(w[1], false);
                for (int r = a; r <= b; ++r) s.SetRowHeight(r, std::stod(w[2]));
            } else if (cmd == "text") {
                const auto w = Split(line, 4);
                if (w.size() != 4) throw TemplateError("text RANGE STYLE TEXT");
                const CellRange r = qem::ParseRange(w[1]);
                styleRange(r, style(w[2]));
                s.SetText(r.first.row, r.first.col, w[3]);
            } else if (cmd == "number") {
                const auto w = Split(line, 1000);
                if (w.size() < 4 || w.size() > 5) throw TemplateError("number RANGE STYLE START [STEP]");
                const CellRange r = qem::ParseRange(w[1]);
                styleRange(r, style(w[2]));
                double v = std::stod(w[3]);
                const double step = w.size() == 5 ? std::stod(w[4]) : 0;
                for (int row = r.first.row; row <= r.last.row; ++row)
                    for (int col = r.first.col; col <= r.last.col; ++col, v += step) s.SetNumber(row, col, v);
            } else if (cmd == "formula") {
                auto w = Split(line, 4);
                int step = 1;
                if (w.size() >= 3 && w[2].rfind("step=", 0) == 0) {
                    step = std::stoi(w[2].substr(5));
                    w = Split(line, 5);
                    w.erase(w.begin() + 2);
                }
                if (w.size() != 4 || w[3].empty() || w[3][0] != '=' || step < 1)
                    throw TemplateError("formula RANGE [step=N] STYLE =FORMULA");
                const CellRange r = qem::ParseRange(w[1]);
                const int st = style(w[2]);
                for (int row = r.first.row; row <= r.last.row; row += step)
                    for (int col = r.first.col; col <= r.last.col; ++col) {
                        if (st) s.SetStyle(row, col, st);
                        s.SetFormula(row, col, Expand(w[3].substr(1), row, col), qem::CellValue{});
                    }
            } else if (cmd == "fill") {
                const auto w = Split(line, 3);
                if (w.size() != 3) throw TemplateError("fill RANGE STYLE");
                styleRange(qem::ParseRange(w[1]), style(w[2]));
            } else if (cmd == "merge") {
                const auto w = Split(line, 2);
                if (w.size() != 2) throw TemplateError("merge RANGE");
                s.Merge(w[1]);
            } else if (cmd == "freeze") {
                const auto w = Split(line, 2);
                if (w.size() != 2) throw TemplateError("freeze CELL");
                s.FreezePanes(w[1]);
            } else if (cmd == "page") {
                qem::PageSetup p;
                const auto w = Split(line, 1000);
                for (std::size_t i = 1; i < w.size(); ++i) {
                    if (w[i] == "landscape")
                        p.landscape = true;
                    else if (w[i] == "fit")
                        p.fitToWidth = true;
                    else if (w[i].rfind("titles=", 0) == 0)
                        p.printTitleRows = w[i].substr(7);
                    else
                        throw TemplateError("unknown page option " + w[i]);
                }
                s.SetPageSetup(p);
            } else {
                throw TemplateError("unknown command " + cmd);
            }
        }
    } catch (const std::exception& e) {
        throw TemplateError(qem::PathText(description) + ": line " + std::to_string(lineNo) + ": " + e.what());
    }
    if (!wb || fileName.empty()) throw TemplateError(qem::PathText(description) + ": no workbook or sheet named");
    wb->Save(qem::PathToUtf8(outDir / qem::PathFromUtf8(fileName)));
    return fileName;
}

}  // namespace qemdata

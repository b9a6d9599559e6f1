#include "tools/qemdata/Csv.h"

#include <fstream>
#include <sstream>

#include "model/TextGrid.h"

namespace qemdata {

void CsvTable::require(const std::vector<std::string>& columns) const {
    for (const auto& c : columns) {
        bool found = false;
        for (const auto& h : header) found |= h == c;
        if (!found) throw CsvError(file + ": no column \"" + c + "\"");
    }
}

CsvTable ReadCsv(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw CsvError(file.string() + ": cannot be opened");
    std::stringstream ss;
    ss << in.rdbuf();
    std::string text = ss.str();
    if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);

    CsvTable t;
    t.file = file.filename().string();
    std::vector<std::vector<std::string>> records;
    std::vector<int> lines;
    std::vector<std::string> rec;
    std::string cell;
    bool quoted = false, any = false;
    int line = 1, recLine = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (quoted) {
            if (ch == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    cell += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (ch == '\n') ++line;
                cell += ch;
            }
            continue;
        }
        if (ch == '"') {
            quoted = true;
            any = true;
        } else if (ch == ',') {
            rec.push_back(cell);
            cell.clear();
            any = true;
        } else if (ch == '\r') {
        } else if (ch == '\n') {
            if (any || !cell.empty()) {
                rec.push_back(cell);
                records.push_back(rec);
                lines.push_back(recLine);
            }
            rec.clear();
            cell.clear();
            any = false;
            recLine = ++line;
        } else {
            cell += ch;
            any = true;
        }
    }
    if (quoted) throw CsvError(t.file + ": unclosed quote in the record of line " + std::to_string(recLine));
    if (any || !cell.empty()) {
        rec.push_back(cell);
        records.push_back(rec);
        lines.push_back(recLine);
    }
    if (records.empty()) throw CsvError(t.file + ": empty file");
    t.header = records[0];
    for (std::size_t r = 1; r < records.size(); ++r) {
        if (records[r].size() > t.header.size())
            throw CsvError(t.file + ": line " + std::to_string(lines[r]) + " has more cells than the header");
        CsvRow row;
        row.line = lines[r];
        for (std::size_t c = 0; c < records[r].size(); ++c) row.cells[t.header[c]] = records[r][c];
        t.rows.push_back(std::move(row));
    }
    return t;
}

const std::string& Cell(const CsvRow& row, const std::string& column) {
    static const std::string empty;
    auto it = row.cells.find(column);
    return it == row.cells.end() ? empty : it->second;
}

bool Number(const CsvTable& t, const CsvRow& row, const std::string& column, double& value) {
    const std::string& s = Cell(row, column);
    if (s.find_first_not_of(" \t") == std::string::npos) return false;
    if (s.find(',') != std::string::npos || !qem::ParseReal(s, value))
        throw CsvError(t.file + ": line " + std::to_string(row.line) + ", column " + column + ": \"" + s +
                       "\" is not a number");
    return true;
}

}  // namespace qemdata

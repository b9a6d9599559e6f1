// Cell addresses, cell texts, numeric text, number formats, dates and formula references of
// the workbook layer.
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/CivilTime.h"
#include "platform/Workbook.h"
#include "platform/WorkbookDetail.h"

namespace qem {
namespace wbdetail {
namespace {

bool IsAsciiAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

bool ReadInt(std::string_view s, std::size_t& i, int digits, int& v) {
    if (i + digits > s.size()) return false;
    v = 0;
    for (int k = 0; k < digits; ++k) {
        if (!IsDigit(s[i + k])) return false;
        v = v * 10 + (s[i + k] - '0');
    }
    i += digits;
    return true;
}

// "hh:mm:ss" (seconds may carry a fraction) at i as a fraction of a day.
bool ReadTime(std::string_view s, std::size_t& i, double& frac) {
    int h = 0, m = 0, sec = 0;
    if (!ReadInt(s, i, 2, h) || i >= s.size() || s[i++] != ':' || !ReadInt(s, i, 2, m)) return false;
    double fsec = 0;
    if (i < s.size() && s[i] == ':') {
        ++i;
        if (!ReadInt(s, i, 2, sec)) return false;
        fsec = sec;
        if (i < s.size() && s[i] == '.') {
            double scale = 0.1;
            for (++i; i < s.size() && IsDigit(s[i]); ++i, scale /= 10) fsec += (s[i] - '0') * scale;
        }
    }
    if (h > 24 || m > 59 || fsec >= 61) return false;
    frac = (h * 3600.0 + m * 60.0 + fsec) / 86400.0;
    return true;
}

}  // namespace

std::string BuiltinNumberFormat(int id) {
    switch (id) {
        case 0: return "General";
        case 1: return "0";
        case 2: return "0.00";
        case 3: return "#,##0";
        case 4: return "#,##0.00";
        case 9: return "0%";
        case 10: return "0.00%";
        case 11: return "0.00E+00";
        case 12: return "# ?/?";
        case 13: return "# ?\?/?\?";
        case 14: return "mm-dd-yy";
        case 15: return "d-mmm-yy";
        case 16: return "d-mmm";
        case 17: return "mmm-yy";
        case 18: return "h:mm AM/PM";
        case 19: return "h:mm:ss AM/PM";
        case 20: return "h:mm";
        case 21: return "h:mm:ss";
        case 22: return "m/d/yy h:mm";
        case 37: return "#,##0 ;(#,##0)";
        case 38: return "#,##0 ;[Red](#,##0)";
        case 39: return "#,##0.00;(#,##0.00)";
        case 40: return "#,##0.00;[Red](#,##0.00)";
        case 45: return "mm:ss";
        case 46: return "[h]:mm:ss";
        case 47: return "mmss.0";
        case 48: return "##0.0E+0";
        case 49: return "@";
        default: return "";
    }
}

bool IsBuiltinDateFormat(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

bool IsDateFormat(std::string_view code) {
    // The first section is the one of positive numbers.
    bool inQuote = false;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (inQuote) {
            if (c == '"') inQuote = false;
            continue;
        }
        switch (c) {
            case '"': inQuote = true; break;
            case '\\':
            case '_':
            case '*': ++i; break;  // the next character is literal or a fill
            case ';': return false;
            case '[': {
                const std::size_t end = code.find(']', i);
                if (end == std::string_view::npos) return false;
                std::string inner;
                for (std::size_t k = i + 1; k < end; ++k) inner += Upper(code[k]);
                if (!inner.empty() && inner.find_first_not_of("HMS") == std::string::npos)
                    return true;  // [h] [mm] [ss]
                i = end;
                break;
            }
            default: {
                const char u = Upper(c);
                if (u == 'G' && code.substr(i).size() >= 7) {
                    std::string word;
                    for (std::size_t k = i; k < i + 7; ++k) word += Upper(code[k]);
                    if (word == "GENERAL") {
                        i += 6;
                        break;
                    }
                }
                if (u == 'D' || u == 'M' || u == 'Y' || u == 'H' || u == 'S') return true;
            }
        }
    }
    return false;
}

std::optional<double> DateTimeFromText(std::string_view s) {
    std::size_t i = 0;
    double frac = 0;
    if (s.size() >= 3 && s[2] == ':') {
        if (!ReadTime(s, i, frac) || i != s.size()) return std::nullopt;
        return frac;
    }
    int y = 0, m = 0, d = 0;
    if (!ReadInt(s, i, 4, y) || i >= s.size() || s[i++] != '-' || !ReadInt(s, i, 2, m) || i >= s.size() ||
        s[i++] != '-' || !ReadInt(s, i, 2, d))
        return std::nullopt;
    if (m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
    if (i < s.size()) {
        if (s[i] != 'T' && s[i] != ' ') return std::nullopt;
        ++i;
        if (!ReadTime(s, i, frac)) return std::nullopt;
        if (i < s.size() && s[i] == 'Z') ++i;
        if (i != s.size()) return std::nullopt;
    }
    const long long days = DaysFromCivil(y, unsigned(m), unsigned(d)) - DaysFromCivil(1899, 12, 30);
    return double(days) + frac;
}

std::string DecodeXString(std::string_view s) {
    if (s.find("_x") == std::string_view::npos) return std::string(s);
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '_' && i + 6 < s.size() && s[i + 1] == 'x' && s[i + 6] == '_') {
            unsigned v = 0;
            const auto r = std::from_chars(s.data() + i + 2, s.data() + i + 6, v, 16);
            if (r.ec == std::errc() && r.ptr == s.data() + i + 6) {
                // The code unit as UTF-8 (surrogates are not characters: left as U+FFFD).
                if (v >= 0xD800 && v <= 0xDFFF) v = 0xFFFD;
                if (v < 0x80) {
                    out += char(v);
                } else if (v < 0x800) {
                    out += char(0xC0 | (v >> 6));
                    out += char(0x80 | (v & 0x3F));
                } else {
                    out += char(0xE0 | (v >> 12));
                    out += char(0x80 | ((v >> 6) & 0x3F));
                    out += char(0x80 | (v & 0x3F));
                }
                i += 6;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::string EncodeXString(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    char buf[8];
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const bool literalEscape = c == '_' && i + 6 < utf8.size() && utf8[i + 1] == 'x' && utf8[i + 6] == '_' &&
                                   std::isxdigit(static_cast<unsigned char>(utf8[i + 2])) &&
                                   std::isxdigit(static_cast<unsigned char>(utf8[i + 3])) &&
                                   std::isxdigit(static_cast<unsigned char>(utf8[i + 4])) &&
                                   std::isxdigit(static_cast<unsigned char>(utf8[i + 5]));
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || literalEscape) {
            std::snprintf(buf, sizeof buf, "_x%04X_", unsigned(c));
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out;
}

std::string ValidUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        bool ok = n > 0 && i + n <= s.size();
        unsigned cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; ok && k < n; ++k) {
            const unsigned char cc = static_cast<unsigned char>(s[i + k]);
            ok = (cc >> 6) == 2;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (ok) {
            const unsigned minimum = n == 2 ? 0x80 : n == 3 ? 0x800 : n == 4 ? 0x10000 : 0;
            ok = cp >= minimum && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        }
        if (ok) {
            out.append(s.substr(i, n));
            i += n;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return out;
}

std::size_t Utf8Length(std::string_view s) {
    std::size_t n = 0;
    for (char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

std::string ShortestDouble(double v) {
    if (v == 0) return "0";  // also -0
    // Plain decimals for the numbers of tables, exponents only for the very small and large.
    const double a = std::fabs(v);
    const auto fmt = a >= 1e-6 && a < 1e16 ? std::chars_format::fixed : std::chars_format::scientific;
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, fmt);
    return std::string(buf, r.ptr);
}

}  // namespace wbdetail

using namespace wbdetail;

CellValue CellValue::Number(double v) {
    CellValue c;
    c.kind = CellKind::Number;
    c.number = v;
    return c;
}

CellValue CellValue::Text(std::string utf8) {
    CellValue c;
    c.kind = CellKind::Text;
    c.text = std::move(utf8);
    return c;
}

std::string CellText(const CellValue& v) {
    switch (v.kind) {
        case CellKind::Empty: return "";
        case CellKind::Number: return ShortestDouble(v.number);
        case CellKind::Text:
        case CellKind::Error: return v.text;
        case CellKind::Boolean: return v.number != 0 ? "TRUE" : "FALSE";
    }
    return "";
}

bool NumericText(std::string_view text, double& value) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t b = 0, e = text.size();
    while (b < e && blank(text[b])) ++b;
    while (e > b && blank(text[e - 1])) --e;
    std::string s(text.substr(b, e - b));
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t intDigits = 0, fracDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++intDigits;
    if (i < s.size() && (s[i] == '.' || s[i] == ',')) {
        s[i] = '.';
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++fracDigits;
    }
    if (intDigits + fracDigits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && IsDigit(s[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    if (i != s.size()) return false;
    const char* first = s.data() + (s[0] == '+' ? 1 : 0);
    double v = 0;
    const auto r = std::from_chars(first, s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

std::string ColumnName(int col) {
    std::string s;
    for (; col > 0; col = (col - 1) / 26) s += char('A' + (col - 1) % 26);
    return std::string(s.rbegin(), s.rend());
}

std::string CellName(int row, int col) { return ColumnName(col) + std::to_string(row); }

namespace {

// A cell reference "$A$1" at the start of s: the address and the characters it takes; 0 when
// s does not start with one (the row and column are not checked against the sheet).
std::size_t ReadCellRef(std::string_view s, long long& row, long long& col, bool& absRow, bool& absCol) {
    std::size_t i = 0;
    absCol = i < s.size() && s[i] == '$';
    if (absCol) ++i;
    col = 0;
    std::size_t letters = 0;
    while (i < s.size() && IsAsciiAlpha(s[i]) && letters < 4) col = col * 26 + (Upper(s[i]) - 'A' + 1), ++i, ++letters;
    if (letters == 0 || letters > 3) return 0;
    absRow = i < s.size() && s[i] == '$';
    if (absRow) ++i;
    row = 0;
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i]) && digits < 8) row = row * 10 + (s[i] - '0'), ++i, ++digits;
    if (digits == 0 || (i < s.size() && IsDigit(s[i]))) return 0;
    return i;
}

}  // namespace

CellAddress ParseCell(std::string_view a1) {
    long long row = 0, col = 0;
    bool ar = false, ac = false;
    const std::size_t n = ReadCellRef(a1, row, col, ar, ac);
    if (n == 0 || n != a1.size() || row < 1 || row > kMaxSheetRows || col < 1 || col > kMaxSheetColumns)
        throw WorkbookError("Неверный адрес ячейки «" + ValidUtf8(a1) + "»");
    return {int(row), int(col)};
}

CellRange ParseRange(std::string_view a1) {
    const std::size_t colon = a1.find(':');
    CellRange r;
    r.first = ParseCell(a1.substr(0, colon));
    r.last = colon == std::string_view::npos ? r.first : ParseCell(a1.substr(colon + 1));
    if (r.last.row < r.first.row) std::swap(r.last.row, r.first.row);
    if (r.last.col < r.first.col) std::swap(r.last.col, r.first.col);
    return r;
}

std::string MoveFormula(std::string_view f, int rows, int cols) {
    auto identChar = [](char c) {
        return IsAsciiAlpha(c) || IsDigit(c) || c == '_' || c == '.' || c == '$' || c == '\\' ||
               static_cast<unsigned char>(c) >= 0x80;
    };
    auto moveCol = [&](long long c, bool abs) { return abs ? c : c + cols; };
    auto moveRow = [&](long long r, bool abs) { return abs ? r : r + rows; };
    // A lone column ("$B") or row ("12") of a whole-column or whole-row range.
    auto lineRef = [&](std::string_view tok, bool column, std::string& out) {
        std::size_t i = 0;
        const bool abs = !tok.empty() && tok[0] == '$';
        if (abs) ++i;
        long long v = 0;
        std::size_t n = 0;
        for (; i < tok.size(); ++i, ++n) {
            if (column ? !IsAsciiAlpha(tok[i]) : !IsDigit(tok[i])) return false;
            v = column ? v * 26 + (Upper(tok[i]) - 'A' + 1) : v * 10 + (tok[i] - '0');
            if (n > 7) return false;
        }
        if (n == 0) return false;
        const long long moved = column ? moveCol(v, abs) : moveRow(v, abs);
        const long long limit = column ? kMaxSheetColumns : kMaxSheetRows;
        if (moved < 1 || moved > limit) {
            out = "#REF!";
        } else {
            out.clear();
            if (abs) out += '$';
            out += column ? ColumnName(int(moved)) : std::to_string(moved);
        }
        return true;
    };
    std::string out;
    std::size_t i = 0;
    while (i < f.size()) {
        const char c = f[i];
        if (c == '"' || c == '\'') {  // text, quoted sheet name
            std::size_t j = i + 1;
            while (j < f.size()) {
                if (f[j] == c) {
                    if (j + 1 < f.size() && f[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out.append(f.substr(i, j + 1 - i));
            i = j + 1;
            continue;
        }
        if (c == '[') {  // structured reference or external workbook
            int depth = 0;
            std::size_t j = i;
            for (; j < f.size(); ++j) {
                if (f[j] == '[') ++depth;
                if (f[j] == ']' && --depth == 0) break;
            }
            out.append(f.substr(i, j + 1 - i));
            i = j + 1;
            continue;
        }
        if (IsDigit(c) && !(i > 0 && identChar(f[i - 1]))) {
            // A number, or the first row of a row range "3:5".
            std::size_t j = i;
            while (j < f.size() && IsDigit(f[j])) ++j;
            if (j < f.size() && f[j] == ':') {
                std::size_t k = j + 1;
                if (k < f.size() && f[k] == '$') ++k;
                std::size_t m = k;
                while (m < f.size() && IsDigit(f[m])) ++m;
                std::string a, b;
                if (m > k && !(m < f.size() && identChar(f[m])) && lineRef(f.substr(i, j - i), false, a) &&
                    lineRef(f.substr(j + 1, m - j - 1), false, b)) {
                    out.append(a).append(":").append(b);
                    i = m;
                    continue;
                }
            }
            // A plain number with its fraction and exponent.
            if (j < f.size() && f[j] == '.') {
                ++j;
                while (j < f.size() && IsDigit(f[j])) ++j;
            }
            if (j < f.size() && (f[j] == 'E' || f[j] == 'e')) {
                std::size_t k = j + 1;
                if (k < f.size() && (f[k] == '+' || f[k] == '-')) ++k;
                if (k < f.size() && IsDigit(f[k])) {
                    j = k;
                    while (j < f.size() && IsDigit(f[j])) ++j;
                }
            }
            out.append(f.substr(i, j - i));
            i = j;
            continue;
        }
        if (identChar(c)) {
            std::size_t j = i;
            while (j < f.size() && identChar(f[j])) ++j;
            const std::string_view tok = f.substr(i, j - i);
            const bool call = j < f.size() && f[j] == '(';
            const bool sheet = j < f.size() && f[j] == '!';
            long long row = 0, col = 0;
            bool ar = false, ac = false;
            if (!call && !sheet && ReadCellRef(tok, row, col, ar, ac) == tok.size()) {
                const long long r2 = moveRow(row, ar), c2 = moveCol(col, ac);
                if (r2 < 1 || r2 > kMaxSheetRows || c2 < 1 || c2 > kMaxSheetColumns) {
                    out += "#REF!";
                } else {
                    if (ac) out += '$';
                    out += ColumnName(int(c2));
                    if (ar) out += '$';
                    out += std::to_string(r2);
                }
                i = j;
                continue;
            }
            // A whole-column range "B:D".
            if (!call && !sheet && j < f.size() && f[j] == ':') {
                std::size_t m = j + 1;
                while (m < f.size() && identChar(f[m])) ++m;
                std::string a, b;
                if (lineRef(tok, true, a) && lineRef(f.substr(j + 1, m - j - 1), true, b)) {
                    out.append(a).append(":").append(b);
                    i = m;
                    continue;
                }
            }
            out.append(tok);
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

std::string Sheet::Text(std::string_view cell) const {
    const CellAddress a = ParseCell(cell);
    return Text(a.row, a.col);
}

void Sheet::SetText(std::string_view range, std::string_view utf8) {
    const CellRange r = ParseRange(range);
    for (int row = r.first.row; row <= r.last.row; ++row)
        for (int col = r.first.col; col <= r.last.col; ++col) SetText(row, col, utf8);
}

void Sheet::SetStyle(std::string_view range, int style) {
    const CellRange r = ParseRange(range);
    for (int row = r.first.row; row <= r.last.row; ++row)
        for (int col = r.first.col; col <= r.last.col; ++col) SetStyle(row, col, style);
}

}  // namespace qem

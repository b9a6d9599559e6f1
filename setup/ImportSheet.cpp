#include "setup/ImportSheet.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>
#include <tuple>

#include "model/Cp1251.h"
#include "model/TextGrid.h"
#include "platform/Workbook.h"
#include "setup/ImportTemplate.h"

namespace qem {
namespace {

const std::vector<const char*> kOnePointHeaders = {
    "Дата/время замера",
    "№ прл",
    "Марка пр",
    "Тип метности",
    "расстояние между опорами",
    "Высота подвеса провода оп.1",
    "Высота подвеса провода оп.2",
    "Высота опоры над уровнем моря оп.1",
    "Высота опоры над уровнем моря оп.2",
    "Габарит о проводо до земли в середине пролёта",
    "Высота над уровнем моря в середине пролёта",
    "Габарит от провода до земли (мин),м",
    "Расстояние от опоры № (мин),м",
    "Высота над уровнем моря,м",
    "Тип пересекаемого объекта",
    "Расстояние от опоры № до пересекаемого объекта,м",
    "Габарит от провода пер. ВЛ до земли в месте пер.,м",
    "Высота пересекаемого объекта,м",
    "Габарит между проводом и пересекаемым объектом,м",
    "Высота над уровнем моря в месте пересечения,М",
    "Ток ВЛ,А",
    "Температура воздуха/провода,C",
    "Ветер,м/с",
    "Направление ветра, град",
    "Погодные условия",
    "Географическая широта",
    "Район по гололёду",
    "Район по ветру",
    "Заключение",
};

// The two-point layout: columns 1..9 as above (with their own spelling of columns 4 and 5),
// the two measured points in place of the mid-span columns, then columns 12..29 as above.
std::vector<const char*> TwoPointHeaders() {
    std::vector<const char*> h(kOnePointHeaders.begin(), kOnePointHeaders.begin() + 9);
    h[3] = "Тип местности";
    h[4] = "Расстояние между опорами";
    h.insert(h.end(), {"Габарит от провода до земли в точке №1, м", "Высота над уровнем моря в точке №1, м",
                       "Расстояние от опоры № ___, до точки №1, м", "Габарит от провода до земли в точке №2, м",
                       "Высота над уровнем моря в точке №2, м", "Расстояние от опоры № ___, до точки №2, м"});
    h.insert(h.end(), kOnePointHeaders.begin() + 11, kOnePointHeaders.end());
    return h;
}

const std::vector<const char*> kTwoPointHeaders = TwoPointHeaders();

// Column numbers of the fields that follow the common columns 1..9; the two layouts differ
// only in where these lie.
struct Layout {
    int columns;
    int HMid, HSeaMid;                                   // one point (0: none)
    int HZam1, HSeaZam1, LZam1, HZam2, HSeaZam2, LZam2;  // two points (0: none)
    int GabMin, LMin, HSeaMin;
    int Type, Lprep, GabZem, Hprep, GabPrep, HSeaPrep;
    int I, Temp, V, Alf, Tzv, Fi, RegG, RegV, Concl;
};

constexpr Layout kOnePoint{29, 10, 11, 0,  0,  0,  0,  0,  0,  12, 13, 14, 15, 16,
                           17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29};
constexpr Layout kTwoPoints{33, 0,  0,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                            21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33};

const Layout& LayoutOf(ImportPoints p) { return p == ImportPoints::One ? kOnePoint : kTwoPoints; }

const std::string kFixIt = "имеет неверный формат, исправьте ошибку и попробуйте снова импортировать данные";
const std::string kTryAgain = "Исправьте ошибку и попробуйте снова импортировать данные";

std::string CellRef(int row, int col) { return std::to_string(row) + "-" + std::to_string(col); }

// The cell as the program's messages name it and as the spreadsheet does: "5-21 (U5)".
std::string CellId(int row, int col) { return CellRef(row, col) + " (" + CellName(row, col) + ")"; }

// "Ячейка 5-21 (U5) имеет неверный формат: <what is wrong>. Исправьте ошибку и ...".
std::string BadCell(int row, int col, const std::string& why) {
    return "Ячейка " + CellId(row, col) + " имеет неверный формат: " + why + ". " + kTryAgain;
}

// A number as the messages write it.
std::string Num(double v) { return ShortestSingle(static_cast<float>(v)); }

// "<what> 1850 м вне допустимых пределов 3…200 м".
std::string OutOfRange(const ImportRange& r, double v, double hi) {
    return std::string(r.what) + " " + Num(v) + " " + r.unit + " вне допустимых пределов " + Num(r.lo) + "…" + Num(hi) +
           " " + r.unit + " (проверьте единицы измерения)";
}

// Blanks a crew's sheet puts around texts: spaces, tabs, line breaks, no-break spaces.
std::string Trim(std::string_view s) {
    auto ascii = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    auto nbsp = [&](std::size_t i) { return i + 1 < s.size() && s[i] == '\xC2' && s[i + 1] == '\xA0'; };
    std::size_t b = 0, e = s.size();
    for (;;) {
        if (b < e && ascii(s[b]))
            ++b;
        else if (b + 1 < e && nbsp(b))
            b += 2;
        else
            break;
    }
    for (;;) {
        if (e > b && ascii(s[e - 1]))
            --e;
        else if (e >= b + 2 && nbsp(e - 2))
            e -= 2;
        else
            break;
    }
    return std::string(s.substr(b, e - b));
}

// Splits at every occurrence of any of the separators (UTF-8 texts).
std::vector<std::string> Split(const std::string& s, std::initializer_list<std::string_view> seps) {
    std::vector<std::string> parts;
    std::size_t start = 0, i = 0;
    while (i < s.size()) {
        std::size_t len = 0;
        for (auto sep : seps)
            if (s.compare(i, sep.size(), sep) == 0) {
                len = sep.size();
                break;
            }
        if (len) {
            parts.push_back(s.substr(start, i - start));
            i += len;
            start = i;
        } else {
            ++i;
        }
    }
    parts.push_back(s.substr(start));
    return parts;
}

bool FitsSingle(double v) { return std::isfinite(v) && std::fabs(v) <= std::numeric_limits<float>::max(); }

// A number typed as text: a point or a comma as decimal separator, blanks around it.
bool TextNumber(const std::string& text, double& v) { return NumericText(Trim(text), v) && FitsSingle(v); }

// An integer typed as text or held as a number with no fraction.
bool WholeNumber(double v, int& out) {
    if (!(std::fabs(v) < 2e9) || v != std::floor(v)) return false;
    out = static_cast<int>(v);
    return true;
}

// Days since 30.12.1899 of a calendar date and time; false when there is no such date.
bool EncodeDateTime(int year, int month, int day, int hour, int minute, double& time) {
    using namespace std::chrono;
    if (year < 1900 || year > 9999 || hour < 0 || hour > 23 || minute < 0 || minute > 59) return false;
    const year_month_day ymd{std::chrono::year(year), std::chrono::month(unsigned(month)),
                             std::chrono::day(unsigned(day))};
    if (month < 1 || month > 12 || day < 1 || !ymd.ok()) return false;
    const auto days = (sys_days(ymd) - sys_days(std::chrono::year(1899) / 12 / 30)).count();
    time = double(days) + (hour * 60 + minute) / 1440.0;
    return true;
}

// Lower case (Latin and Cyrillic, ё as е) and single blanks: how header texts compare.
std::string NormHeader(std::string_view utf8) {
    std::string out;
    bool blank = false;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = !out.empty();
            continue;
        }
        if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) == 0xA0) {
            blank = !out.empty();
            ++i;
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        if (c >= 'A' && c <= 'Z') {
            out += char(c - 'A' + 'a');
        } else if ((c == 0xD0 || c == 0xD1) && i + 1 < utf8.size()) {
            unsigned cp = ((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F);
            if (cp >= 0x410 && cp <= 0x42F) cp += 0x20;
            if (cp == 0x401 || cp == 0x451) cp = 0x435;  // ё, Ё as е
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
            ++i;
        } else {
            out += char(c);
        }
    }
    return out;
}

// What a cell holds, for a message: "ячейка пуста", "в ячейке текст «25o»", ...
std::string Holds(const Sheet& sheet, int row, int col) {
    const CellValue v = sheet.Value(row, col);
    const std::string formula = v.formula ? sheet.Formula(row, col) : "";
    const std::string f = formula.empty() ? "формула" : "формула «=" + formula + "»";
    switch (v.kind) {
        case CellKind::Empty: {
            if (v.formula) return "в ячейке " + f + ", её результат в файле не сохранён (замените формулу значением)";
            for (const CellRange& m : sheet.MergedRanges())
                if (row >= m.first.row && row <= m.last.row && col >= m.first.col && col <= m.last.col &&
                    !(m.first == CellAddress{row, col}))
                    return "ячейка входит в объединённые ячейки " + CellName(m.first.row, m.first.col) + ":" +
                           CellName(m.last.row, m.last.col) + " и пуста (значение объединённых ячеек — только в " +
                           CellName(m.first.row, m.first.col) + "; разъедините их и заполните каждую ячейку)";
            return "ячейка пуста";
        }
        case CellKind::Number:
            if (v.date) return std::string("в ячейке ") + (v.formula ? f + " с результатом — дата" : "дата");
            return "в ячейке " + (v.formula ? f + " с результатом " : std::string("число ")) + Num(v.number);
        case CellKind::Text:
            return "в ячейке " + (v.formula ? f + " с результатом — текст «" : std::string("текст «")) + Trim(v.text) +
                   "»";
        case CellKind::Boolean:
            return "в ячейке " + (v.formula ? f + " с результатом " : std::string("логическое значение ")) +
                   (v.number != 0 ? "ИСТИНА" : "ЛОЖЬ");
        case CellKind::Error: return "в ячейке " + (v.formula ? f + " с ошибкой " : std::string("ошибка ")) + v.text;
    }
    return "";
}

// The cells of one sheet row, read the way every column of a crew's sheet is read.
class RowCells {
public:
    RowCells(const Sheet& sheet, int row, int columns, ImportPoints points)
        : sheet_(sheet), row_(row), columns_(columns), points_(points) {}
    int row() const { return row_; }

    CellValue value(int col) const { return sheet_.Value(row_, col); }
    // The cell as text without surrounding blanks; a number as its shortest decimal text.
    std::string text(int col) const { return Trim(CellText(value(col))); }
    bool empty(int col) const { return text(col).empty(); }
    bool emptyFrom(int first) const {
        for (int c = first; c <= columns_; ++c)
            if (!empty(c)) return false;
        return true;
    }

    // "<what the cell holds>, а в столбце «header» ожидается: <expected>".
    std::string why(int col, const std::string& expected) const {
        const auto& headers = ImportHeaders(points_);
        const std::string header = col >= 1 && col <= int(headers.size()) ? headers[std::size_t(col - 1)] : "";
        return Holds(sheet_, row_, col) + ", а в столбце «" + header + "» ожидается: " + expected;
    }
    [[noreturn]] void fail(int col, const std::string& expected) const {
        throw ImportError(BadCell(row_, col, why(col, expected)));
    }
    [[noreturn]] void failRange(int col, const ImportRange& r, double v, double hi) const {
        throw ImportError(BadCell(row_, col, OutOfRange(r, v, hi)));
    }

    // A number: a numeric cell or a text with a decimal point or comma. A date, a truth value,
    // an error or any other text is the format message.
    double number(int col) const {
        const CellValue v = value(col);
        double x = 0;
        if (v.kind == CellKind::Number && !v.date && FitsSingle(v.number)) return v.number;
        if (v.kind == CellKind::Text && TextNumber(v.text, x)) return x;
        fail(col, "число");
    }
    Single single(int col) const { return static_cast<Single>(number(col)); }
    // A number within the plausible range of its quantity (hi < lo: the range's own upper end).
    Single within(int col, const ImportRange& r, double hi = -1e300) const {
        const double top = hi < r.lo ? r.hi : hi;
        const double v = number(col);
        if (!(v >= r.lo && v <= top)) failRange(col, r, v, top);
        return static_cast<Single>(v);
    }
    // An optional number: read only when the cell is not empty.
    bool optional(int col, Single& field, const ImportRange* r = nullptr) const {
        if (col == 0 || empty(col)) return false;
        field = r ? within(col, *r) : single(col);
        return true;
    }
    // A number whose empty cell stands for 0.
    Single orZero(int col) const { return empty(col) ? 0.0f : single(col); }
    // A whole number within [lo, hi].
    int integer(int col, int lo, int hi) const {
        int n = 0;
        const std::string expected = "целое число от " + std::to_string(lo) + " до " + std::to_string(hi);
        if (!WholeNumber(number(col), n) || n < lo || n > hi) fail(col, expected);
        return n;
    }

private:
    const Sheet& sheet_;
    int row_;
    int columns_;
    ImportPoints points_;
};

// Column 1: "hour.minute.day.month.year", or a date cell of the spreadsheet.
double ReadTime(const RowCells& r) {
    const CellValue v = r.value(1);
    // A date cell, to the second (.xls and .xlsx files store the same moment a little apart).
    if (v.kind == CellKind::Number && v.date && v.number > 0 && v.number < 2958466)
        return std::round(v.number * 86400.0) / 86400.0;
    if (v.kind == CellKind::Text) {
        const auto parts = Split(Trim(v.text), {"."});
        int n[5] = {};
        bool ok = parts.size() == 5;
        for (std::size_t i = 0; ok && i < 5; ++i) {
            double x = 0;
            const std::string p = Trim(parts[i]);
            ok = !p.empty() && p.find_first_not_of("0123456789") == std::string::npos && TextNumber(p, x) &&
                 WholeNumber(x, n[i]);
        }
        double time = 0;
        if (ok && EncodeDateTime(n[4], n[3], n[2], n[0], n[1], time)) return time;
    }
    r.fail(1, "время и дата замера: ч.мм.дд.мм.гггг (например 10.30.25.06.2012) или ячейка с датой");
}

// Column 2: "a-b", the numbers of the span's two supports (up to five characters each).
void ReadSpanNumbers(const RowCells& r, TyDataImportExcel& d) {
    const auto parts = Split(r.text(2), {"-"});
    const char* expected = "номера двух опор пролёта через «-», до 5 знаков каждый (например 12-13)";
    if (parts.size() != 2) r.fail(2, expected);
    const std::string a = Utf8ToCp1251(Trim(parts[0])), b = Utf8ToCp1251(Trim(parts[1]));
    if (a.empty() || b.empty() || a.size() > 5 || b.size() > 5) r.fail(2, expected);
    d.Nop1.assign(a);
    d.Nop2.assign(b);
}

// A section as the conductor message writes it: the number read, or the text as typed.
std::string SectionText(const std::string& typed, bool read, Single v) { return read ? ShortestSingle(v) : typed; }

// Column 3: "[M x] name/aluminium/steel" with x any of x, X, х, Х; the catalog conductor.
void ReadConductor(const RowCells& r, const WireCatalog& cat, TyDataImportExcel& d) {
    const std::string text = r.text(3);
    if (text.empty() || r.value(3).kind != CellKind::Text)
        r.fail(3, "марка провода: [число проводов х] марка/сечение алюминия/сечение стали (например 2хАС/240/32)");
    const auto byCount = Split(text, {"x", "X", "х", "Х"});
    std::string wire = text;
    d.Mpr = 1;
    if (byCount.size() == 2) {
        double m = 0;
        int mpr = 0;
        if (!TextNumber(byCount[0], m) || !WholeNumber(m, mpr) || mpr < 1 || mpr > 20)
            r.fail(3, "число проводов в фазе от 1 до 20 перед «х» (например 2хАС/240/32)");
        d.Mpr = mpr;
        wire = Trim(byCount[1]);
    }
    const auto parts = Split(wire, {"/"});
    const std::string name = Trim(parts[0]);
    std::string typedAl = parts.size() > 1 ? Trim(parts[1]) : "", typedSt = parts.size() > 2 ? Trim(parts[2]) : "";
    double al = 0, st = 0;
    const bool alRead = TextNumber(typedAl, al);
    // Without a steel part the conductor has no steel (an aluminium conductor "А/95").
    const bool stRead = parts.size() == 2 ? true : TextNumber(typedSt, st);
    const int k = parts.size() >= 2 && parts.size() <= 3 && alRead && stRead
                      ? FindImportWire(cat, name, static_cast<Single>(al), static_cast<Single>(st))
                      : 0;
    if (k == 0)
        throw ImportError("Провод: " + name + "/" + SectionText(typedAl, alRead, Single(al)) + "/" +
                          SectionText(typedSt, stRead, Single(st)) + " не найден." +
                          "Пролёт: " + Cp1251ToUtf8(d.Nop1.str()) + " - " + Cp1251ToUtf8(d.Nop2.str()) + ". Ячейка " +
                          CellId(r.row(), 3) + " " + kFixIt + ".");
    d.Pr = cat.Wires[k];
    d.PrBreak = cat.WireBreak[k];
}

// Column 4: terrain type 1..4, stored as 0..3.
void ReadTerrain(const RowCells& r, TyDataImportExcel& d) {
    double x = 0;
    int t = 0;
    const CellValue v = r.value(4);
    const bool read = (v.kind == CellKind::Number && !v.date && (x = v.number, true)) ||
                      (v.kind == CellKind::Text && TextNumber(v.text, x));
    if (!read || !WholeNumber(x, t) || t < 1 || t > 4)
        throw ImportError("Тип местности не найден. " +
                          BadCell(r.row(), 4,
                                  r.why(4,
                                        "число от 1 до 4: 1 — населённая, 2 — ненаселённая, 3 — труднодоступная "
                                        "местность, 4 — недоступные склоны гор")));
    d.TM = t - 1;
}

// The list of obstacle types, for the messages.
std::string ObstacleTypes() {
    std::string s;
    for (int i = 0; i < kObstacleTypes; ++i) s += std::string(i ? ", " : "") + "«" + kObstacleTypeText[i] + "»";
    return s;
}

// Crossed objects at ground level: roads, railways, tram and trolleybus lines.
bool AtGroundLevel(int type) { return type >= 9 && type <= 12; }

// The crossed object: its type by name, its distance and heights, the missing height derived.
void ReadObstacle(const RowCells& r, const Layout& L, TyDataImportExcel& d) {
    const std::string type = r.text(L.Type);
    if (type.empty()) {
        // Measurements of an object whose type is not given would be lost: ask for the type.
        for (int c : {L.Lprep, L.GabZem, L.Hprep, L.GabPrep, L.HSeaPrep})
            if (!r.empty(c) && r.number(c) != 0)
                throw ImportError("Тип препятсвия не найден. " +
                                  BadCell(r.row(), L.Type,
                                          "ячейка пуста, а в строке есть данные пересекаемого объекта (ячейка " +
                                              CellName(r.row(), c) + "): нужен тип объекта — один из " +
                                              ObstacleTypes()));
        return;
    }
    int t = -1;
    for (int i = 0; i < kObstacleTypes; ++i)
        if (type == kObstacleTypeText[i]) t = i;
    if (t < 0)
        throw ImportError("Тип препятсвия не найден. " +
                          BadCell(r.row(), L.Type, r.why(L.Type, "один из типов " + ObstacleTypes())));
    d.obstacle = true;
    d.TPrp = t;
    d.Lprep = r.orZero(L.Lprep);
    d.GabZem = r.orZero(L.GabZem);
    d.Hprep = r.orZero(L.Hprep);
    d.GabPrep = r.orZero(L.GabPrep);
    r.optional(L.HSeaPrep, d.HSeaPrep, &kRangeSeaHeight);
    // An object lies inside the span.
    if (!(d.Lprep > 0)) r.fail(L.Lprep, "расстояние от опоры до пересекаемого объекта больше 0 и меньше длины пролёта");
    if (d.Lpr > 0 && !(d.Lprep < d.Lpr))
        throw ImportError(
            "длина до препятствия не может превышать длину пролёта. " +
            BadCell(r.row(), L.Lprep, "расстояние " + Num(d.Lprep) + " м, а длина пролёта " + Num(d.Lpr) + " м"));
    for (auto [col, v, range] : {std::tuple{L.GabZem, d.GabZem, &kRangeClearance},
                                 {L.GabPrep, d.GabPrep, &kRangeClearance},
                                 {L.Hprep, d.Hprep, &kRangeObjectHeight}})
        if (v != 0 && !(v >= range->lo && v <= range->hi)) r.failRange(col, *range, v, range->hi);
    // Two of the three heights determine the third; an object at ground level has the height 0,
    // so its clearance alone determines it. With one alone any other object is unknown.
    const bool ground = AtGroundLevel(t);
    const int given = (d.GabZem != 0) + (d.Hprep != 0 || ground) + (d.GabPrep != 0);
    if (given < 2) {
        const int gz = L.GabZem, hp = L.Hprep, gp = L.GabPrep;
        if (ground)
            throw ImportError(BadCell(r.row(), gz,
                                      "для пересекаемого объекта «" + type +
                                          "» на уровне земли нужен габарит от провода до земли в месте пересечения (" +
                                          CellName(r.row(), gz) + ") или между проводом и объектом (" +
                                          CellName(r.row(), gp) + "); обе ячейки пусты"));
        std::string missing;
        for (auto [col, v] : {std::pair{gz, d.GabZem}, {hp, d.Hprep}, {gp, d.GabPrep}})
            if (v == 0) missing += (missing.empty() ? "" : ", ") + CellName(r.row(), col);
        throw ImportError(BadCell(r.row(), d.GabZem == 0 ? gz : hp,
                                  "для пересекаемого объекта «" + type +
                                      "» нужны два из трёх значений: габарит от провода до земли в месте "
                                      "пересечения (" +
                                      CellName(r.row(), gz) + "), высота объекта (" + CellName(r.row(), hp) +
                                      "), габарит между проводом и объектом (" + CellName(r.row(), gp) +
                                      "); не заполнены " + missing));
    }
    if (ground && d.Hprep == 0 && (d.GabZem == 0 || d.GabPrep == 0)) {
        // At ground level the clearance to the object is the clearance to the ground.
        if (d.GabZem == 0)
            d.GabZem = d.GabPrep;
        else
            d.GabPrep = d.GabZem;
        return;
    }
    if (d.GabZem == 0) d.GabZem = d.Hprep + d.GabPrep;
    if (d.Hprep == 0) d.Hprep = d.GabZem - d.GabPrep;
    if (d.GabPrep == 0) d.GabPrep = d.GabZem - d.Hprep;
}

// "air/conductor" temperatures; one value is both.
void ReadTemperatures(const RowCells& r, int col, TyDataImportExcel& d) {
    const CellValue v = r.value(col);
    const char* expected = "температура воздуха или воздуха/провода, °C (например 20 или 20/35)";
    double air = 0, cond = 0;
    if (v.kind == CellKind::Number && !v.date && FitsSingle(v.number)) {
        air = cond = v.number;
    } else {
        if (v.kind != CellKind::Text) r.fail(col, expected);
        const auto parts = Split(Trim(v.text), {"/"});
        if (parts.size() > 2 || !TextNumber(parts[0], air)) r.fail(col, expected);
        cond = air;
        if (parts.size() == 2 && !TextNumber(parts[1], cond)) r.fail(col, expected);
    }
    if (!(air >= kRangeAirTemp.lo && air <= kRangeAirTemp.hi)) r.failRange(col, kRangeAirTemp, air, kRangeAirTemp.hi);
    // No conductor is measured above its own limit; a catalog entry without one: 250 C.
    const double tmax = d.Pr.TMax > 0 ? d.Pr.TMax : 250;
    if (!(cond >= kRangeConductorTemp.lo && cond <= tmax)) r.failRange(col, kRangeConductorTemp, cond, tmax);
    d.TAir = static_cast<Single>(air);
    d.TCond = static_cast<Single>(cond);
}

// A distance from support 1 within the span.
Single WithinSpan(const RowCells& r, int col, const TyDataImportExcel& d) {
    return r.within(col, kRangeDistance, d.Lpr);
}

// One data row.
TyDataImportExcel ReadDataRow(const RowCells& r, const Layout& L, ImportPoints points, const WireCatalog& cat) {
    TyDataImportExcel d;
    d.sheetRow = r.row();
    d.Time = ReadTime(r);
    ReadSpanNumbers(r, d);
    ReadConductor(r, cat, d);
    ReadTerrain(r, d);
    d.Lpr = r.within(5, kRangeSpanLength);
    d.Hpr1 = r.within(6, kRangeSuspension);
    d.Hpr2 = r.within(7, kRangeSuspension);
    r.optional(8, d.H1, &kRangeSeaHeight);
    r.optional(9, d.H2, &kRangeSeaHeight);
    if (points == ImportPoints::One) {
        d.HMid = r.within(L.HMid, kRangeClearance);
        r.optional(L.HSeaMid, d.HSeaMid, &kRangeSeaHeight);
    } else {
        d.HZam1 = r.within(L.HZam1, kRangeClearance);
        r.optional(L.HSeaZam1, d.HSeaZam1, &kRangeSeaHeight);
        d.LZam1 = WithinSpan(r, L.LZam1, d);
        d.HZam2 = r.within(L.HZam2, kRangeClearance);
        r.optional(L.HSeaZam2, d.HSeaZam2, &kRangeSeaHeight);
        d.LZam2 = WithinSpan(r, L.LZam2, d);
    }
    d.GabMin = r.within(L.GabMin, kRangeClearance);
    d.LMin = WithinSpan(r, L.LMin, d);
    d.hasHSeaMin = r.optional(L.HSeaMin, d.HSeaMin, &kRangeSeaHeight);
    ReadObstacle(r, L, d);
    {
        const double i = r.number(L.I), top = kRangeCurrent.hi * d.Mpr;
        if (!(i >= kRangeCurrent.lo && i <= top)) {
            const std::string per =
                d.Mpr > 1 ? " (" + std::to_string(d.Mpr) + " провода в фазе по " + Num(kRangeCurrent.hi) + " А)" : "";
            throw ImportError(BadCell(r.row(), L.I,
                                      "ток ВЛ " + Num(i) + " А вне допустимых пределов " + Num(kRangeCurrent.lo) + "…" +
                                          Num(top) + " А" + per + " (проверьте единицы измерения)"));
        }
        d.I = static_cast<Single>(i);
    }
    ReadTemperatures(r, L.Temp, d);
    d.V = r.within(L.V, kRangeWind);
    d.Alf = r.within(L.Alf, kRangeWindDirection);
    d.Tzv = r.integer(L.Tzv, 0, 3);
    // The latitude is optional: an empty cell, or 0, leaves it unset.
    if (!r.empty(L.Fi) && r.number(L.Fi) != 0) d.Fi = r.within(L.Fi, kRangeLatitude);
    d.RegG = r.integer(L.RegG, 1, 7);
    d.RegV = r.integer(L.RegV, 1, 7);
    if (!r.empty(L.Concl)) d.Concl = r.text(L.Concl);
    return d;
}

// The text a cell shows in the window's grid: a date as a date.
std::string GridText(const CellValue& v) {
    if (v.kind == CellKind::Number && v.date) {
        const double days = std::floor(v.number);
        const long long minutes = std::llround((v.number - days) * 1440.0);
        using namespace std::chrono;
        const year_month_day ymd{sys_days(std::chrono::year(1899) / 12 / 30) + std::chrono::days(long(days))};
        char buf[40];
        std::snprintf(buf, sizeof buf, "%02u.%02u.%04d %02lld:%02lld", unsigned(ymd.day()), unsigned(ymd.month()),
                      int(ymd.year()), minutes / 60 % 24, minutes % 60);
        return buf;
    }
    return CellText(v);
}

}  // namespace

int ImportColumnCount(ImportPoints p) { return LayoutOf(p).columns; }

const std::vector<const char*>& ImportHeaders(ImportPoints p) {
    return p == ImportPoints::One ? kOnePointHeaders : kTwoPointHeaders;
}

int ImportTable::DataRows() const {
    int n = 0;
    for (const auto& r : rows) n += !r.separator;
    return n;
}

int FindImportWire(const WireCatalog& cat, const std::string& nameUtf8, Single sAl, Single sSt) {
    auto find = [&](const std::string& cp1251) {
        for (int k = 1; k <= cat.NWires; ++k) {
            const TyWire& w = cat.Wires[k];
            if (w.Name.str() == cp1251 && w.SAlN == sAl && w.SStN == sSt) return k;
        }
        return 0;
    };
    const std::string name = Utf8ToCp1251(nameUtf8);
    if (int k = find(name)) return k;
    // Latin letters that look like Cyrillic ones, as a keyboard in the wrong layout types them.
    static const std::string_view kLatin = "AaBCcEeHKMOoPpTXxy";
    static const char* const kCyrillic[] = {"А", "а", "В", "С", "с", "Е", "е", "Н", "К",
                                            "М", "О", "о", "Р", "р", "Т", "Х", "х", "у"};
    std::string mapped;
    for (char c : nameUtf8) {
        const auto i = kLatin.find(c);
        mapped += i == std::string_view::npos ? std::string(1, c) : std::string(kCyrillic[i]);
    }
    return mapped == nameUtf8 ? 0 : find(Utf8ToCp1251(mapped));
}

namespace {

// Cells of a row that must carry the layout's header texts for the row to be the header row.
constexpr int kMinHeaderMatches = 3;

const char* LayoutName(ImportPoints p) { return p == ImportPoints::One ? "по 1 точке" : "по 2 точкам"; }
const char* WindowName(ImportPoints p) {
    return p == ImportPoints::One ? "Импорт данных из Excel по 1 точке" : "Импорт данных из Excel по 2 точкам";
}

// Cells of the row whose texts are the layout's headers in their columns.
int HeaderScore(const Sheet& sheet, int row, ImportPoints p) {
    const auto& headers = ImportHeaders(p);
    int n = 0;
    for (int c = 1; c <= int(headers.size()); ++c) {
        const CellValue v = sheet.Value(row, c);
        n += v.kind == CellKind::Text && NormHeader(v.text) == NormHeader(headers[std::size_t(c - 1)]);
    }
    return n;
}

struct HeaderRow {
    int row = 0;           // 0: none among the first rows
    int one = 0, two = 0;  // header cells of each layout it carries
};

HeaderRow FindHeaderRow(const Sheet& sheet, int lastRow) {
    for (int row = 1; row <= std::min(kImportHeaderSearchRows, lastRow); ++row) {
        const HeaderRow h{row, HeaderScore(sheet, row, ImportPoints::One), HeaderScore(sheet, row, ImportPoints::Two)};
        if (std::max(h.one, h.two) >= kMinHeaderMatches) return h;
    }
    return {};
}

// A row of units or hints under the headers: nothing in it reads as a number.
bool UnitsRow(const Sheet& sheet, int row, int columns) {
    for (int c = 1; c <= columns; ++c) {
        const CellValue v = sheet.Value(row, c);
        double x = 0;
        if (v.kind == CellKind::Number || v.kind == CellKind::Boolean) return false;
        if (v.kind == CellKind::Text && TextNumber(v.text, x)) return false;
    }
    return true;
}

// "Лист «Замеры»" for the messages about a sheet.
std::string SheetNamed(const Sheet& sheet) { return "Лист «" + sheet.Name() + "»"; }

[[noreturn]] void NoHeaderRow(const Sheet& sheet, ImportPoints p) {
    const auto& h = ImportHeaders(p);
    std::string first;
    for (int c = 0; c < 5; ++c) first += std::string(c ? ", " : "") + "«" + h[std::size_t(c)] + "»";
    throw ImportError(SheetNamed(sheet) + ": в первых " + std::to_string(kImportHeaderSearchRows) +
                          " строках нет строки заголовков. Ожидалась строка с заголовками шаблона замеров " +
                          LayoutName(p) + ": " + first + " и далее до столбца " + ColumnName(int(h.size())) + " (" +
                          std::to_string(h.size()) +
                          " столбцов), под ней — строка единиц измерения или сразу данные. Сохраните шаблон в "
                          "окне импорта и перенесите в него данные",
                      ImportError::Kind::NoTable);
}

// Column 1 holds what could be a time of measurement (a number, or five numbers with points).
bool LooksLikeTime(const RowCells& r) {
    const CellValue v = r.value(1);
    if (v.kind == CellKind::Number) return true;
    return Split(r.text(1), {"."}).size() == 5;
}

// The example row of the templates, as a template written before the example had its own
// sheet holds it in its first data row.
bool ExampleRow(const RowCells& r, const std::vector<std::string>& example) {
    for (int c = 1; c <= int(example.size()); ++c)
        if (r.text(c) != example[std::size_t(c - 1)]) return false;
    return true;
}

}  // namespace

ImportTable ReadImportSheet(const Sheet& sheet, ImportPoints points, bool multi, const WireCatalog& cat) {
    const Layout& L = LayoutOf(points);
    ImportTable t;
    t.points = points;
    t.multi = multi;
    t.sheet = sheet.Name();
    const CellAddress last = sheet.LastUsedCell();
    if (last.col == 1) throw ImportError(kMsgTableEmpty, ImportError::Kind::NoTable);

    // The header row, and the layout its texts are of.
    const HeaderRow h = FindHeaderRow(sheet, last.row);
    if (h.row == 0) NoHeaderRow(sheet, points);
    const int own = points == ImportPoints::One ? h.one : h.two, other = points == ImportPoints::One ? h.two : h.one;
    if (other > own) {
        const ImportPoints p = points == ImportPoints::One ? ImportPoints::Two : ImportPoints::One;
        throw ImportError(SheetNamed(sheet) + " заполнен по шаблону замеров " + LayoutName(p) +
                          " (заголовки в строке " + std::to_string(h.row) + "), а выбран импорт " + LayoutName(points) +
                          ": загрузите книгу в окне «" + WindowName(p) + "»");
    }
    t.headerRow = h.row;
    t.firstRow = h.row + 1;
    if (t.firstRow <= last.row && UnitsRow(sheet, t.firstRow, L.columns)) ++t.firstRow;

    const std::vector<std::string> example = ImportTemplateExampleRow(points);
    std::string from, to;
    bool named = false;
    for (int row = t.firstRow; row <= last.row; ++row) {
        const RowCells r(sheet, row, L.columns, points);
        const bool namesLine = r.empty(3) && r.emptyFrom(4) && !r.empty(1);
        if (multi && namesLine) {
            // A row naming the line of the rows below it.
            from = r.text(1);
            to = r.text(2);
            named = true;
            TyDataImportExcel sep;
            sep.sheetRow = row;
            sep.separator = true;
            sep.LineFrom = from;
            sep.LineTo = to;
            t.rows.push_back(sep);
            continue;
        }
        // A blank row, or a heading or note beside the support numbers, holds no measurement.
        if (r.empty(1) && r.emptyFrom(3)) continue;
        if (ExampleRow(r, example)) {
            t.notes.push_back("Строка " + std::to_string(row) + " — пример заполнения из шаблона (пролёт " + r.text(2) +
                              ", " + r.text(3) + "): она не импортирована.");
            continue;
        }
        if (!multi && namesLine && !LooksLikeTime(r))
            throw ImportError(SheetNamed(sheet) + ", строка " + std::to_string(row) + ": «" + r.text(1) + "» — «" +
                              r.text(2) +
                              "» без данных замера, как строка с названием линии в книге нескольких линий. "
                              "Если в книге несколько линий, отметьте «В файле Excel несколько линий» и "
                              "импортируйте снова; иначе удалите строку");
        if (multi && !named)
            throw ImportError(SheetNamed(sheet) + ": отмечено «В файле Excel несколько линий», но над строкой " +
                              std::to_string(row) +
                              " с данными замера нет строки с названием линии (начало линии в столбце A, конец — в "
                              "столбце B, остальные ячейки строки пусты)");
        TyDataImportExcel d = ReadDataRow(r, L, points, cat);
        d.LineFrom = from;
        d.LineTo = to;
        t.rows.push_back(std::move(d));
    }
    if (t.DataRows() == 0) throw ImportError(kMsgTableEmpty, ImportError::Kind::NoTable);

    const int shown = std::min(last.row, t.firstRow - 1 + kImportGridRows);
    for (int row = t.firstRow; row <= shown; ++row) {
        std::vector<std::string> cells;
        for (int c = 1; c <= L.columns; ++c) cells.push_back(GridText(sheet.Value(row, c)));
        t.cells.push_back(std::move(cells));
        t.cellRows.push_back(row);
    }
    return t;
}

namespace {

// Opens a workbook; any failure is "ошибка при открытии" with the reason below it. A first
// sheet without a table, in a workbook whose later sheet holds one, names that sheet.
template <class OpenFn>
ImportTable ReadOpened(OpenFn open, ImportPoints points, bool multi, const WireCatalog& cat) {
    std::optional<Workbook> book;
    try {
        book.emplace(open());
        if (book->SheetCount() < 1) throw WorkbookError("в книге нет ни одного листа");
    } catch (const std::exception& e) {
        throw ImportError(std::string(kMsgOpenFailed) + "\n" + e.what());
    }
    try {
        return ReadImportSheet(book->FirstSheet(), points, multi, cat);
    } catch (const ImportError& e) {
        if (e.kind != ImportError::Kind::NoTable) throw;
        std::string more;
        for (int i = 2; i <= book->SheetCount(); ++i) {
            const Sheet& s = book->Worksheet(i);
            if (s.Name() == kImportExampleSheet) {
                more += "\nЛист «" + s.Name() + "» — образец заполнения, он не импортируется.";
                continue;
            }
            const CellAddress last = s.LastUsedCell();
            const HeaderRow h = FindHeaderRow(s, last.row);
            if (h.row == 0) continue;
            const int first = h.row + 1 + (h.row + 1 <= last.row && UnitsRow(s, h.row + 1, ImportColumnCount(points)));
            if (last.row < first) continue;  // headers alone
            throw ImportError(std::string(e.what()) + "\nТаблица замеров — на листе «" + s.Name() + "» (лист " +
                              std::to_string(i) + " книги), а импорт читает первый лист «" + book->FirstSheet().Name() +
                              "»: сделайте лист «" + s.Name() + "» первым и импортируйте снова.");
        }
        if (more.empty()) throw;
        throw ImportError(std::string(e.what()) + more, e.kind);
    }
}

}  // namespace

ImportTable ReadImportWorkbook(const std::string& path, ImportPoints points, bool multi, const WireCatalog& cat) {
    return ReadOpened([&] { return Workbook::Open(path); }, points, multi, cat);
}

ImportTable ReadImportBytes(const Bytes& bytes, ImportPoints points, bool multi, const WireCatalog& cat) {
    return ReadOpened([&] { return Workbook::FromBytes(bytes); }, points, multi, cat);
}

}  // namespace qem

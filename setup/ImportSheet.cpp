#include "setup/ImportSheet.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

#include "model/Cp1251.h"
#include "model/TextGrid.h"
#include "platform/Workbook.h"

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
    int HMid, HSeaMid;                                      // one point (0: none)
    int HZam1, HSeaZam1, LZam1, HZam2, HSeaZam2, LZam2;     // two points (0: none)
    int GabMin, LMin, HSeaMin;
    int Type, Lprep, GabZem, Hprep, GabPrep, HSeaPrep;
    int I, Temp, V, Alf, Tzv, Fi, RegG, RegV, Concl;
};

constexpr Layout kOnePoint{29, 10, 11, 0, 0, 0, 0, 0, 0, 12, 13, 14, 15, 16, 17,
                           18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29};
constexpr Layout kTwoPoints{33, 0,  0,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
                            22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33};

const Layout& LayoutOf(ImportPoints p) { return p == ImportPoints::One ? kOnePoint : kTwoPoints; }

const std::string kFixIt = "имеет неверный формат, исправьте ошибку и попробуйте снова импортировать данные";

std::string CellRef(int row, int col) { return std::to_string(row) + "-" + std::to_string(col); }

// "Ячейка r-cимеет неверный формат, ..." (the texts join without a blank, as the program has
// always written them).
std::string BadCell(int row, int col) { return "Ячейка " + CellRef(row, col) + kFixIt; }

// Blanks a crew's sheet puts around texts: spaces, tabs, line breaks, no-break spaces.
std::string Trim(std::string_view s) {
    auto ascii = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    auto nbsp = [&](std::size_t i) { return i + 1 < s.size() && s[i] == '\xC2' && s[i + 1] == '\xA0'; };
    std::size_t b = 0, e = s.size();
    for (;;) {
        if (b < e && ascii(s[b])) ++b;
        else if (b + 1 < e && nbsp(b)) b += 2;
        else break;
    }
    for (;;) {
        if (e > b && ascii(s[e - 1])) --e;
        else if (e >= b + 2 && nbsp(e - 2)) e -= 2;
        else break;
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
    const year_month_day ymd{std::chrono::year(year), std::chrono::month(unsigned(month)), std::chrono::day(unsigned(day))};
    if (month < 1 || month > 12 || day < 1 || !ymd.ok()) return false;
    const auto days = (sys_days(ymd) - sys_days(std::chrono::year(1899) / 12 / 30)).count();
    time = double(days) + (hour * 60 + minute) / 1440.0;
    return true;
}

// The cells of one sheet row, read the way every column of a crew's sheet is read.
class RowCells {
public:
    RowCells(const Sheet& sheet, int row, int columns) : sheet_(sheet), row_(row), columns_(columns) {}
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

    // A number: a numeric cell or a text with a decimal point or comma. A date, a truth value,
    // an error or any other text is the format message.
    double number(int col) const {
        const CellValue v = value(col);
        double x = 0;
        if (v.kind == CellKind::Number && !v.date && FitsSingle(v.number)) return v.number;
        if (v.kind == CellKind::Text && TextNumber(v.text, x)) return x;
        throw ImportError(BadCell(row_, col));
    }
    Single single(int col) const { return static_cast<Single>(number(col)); }
    // An optional number: read only when the cell is not empty.
    bool optional(int col, Single& field) const {
        if (col == 0 || empty(col)) return false;
        field = single(col);
        return true;
    }
    // A number whose empty cell stands for 0.
    Single orZero(int col) const { return empty(col) ? 0.0f : single(col); }
    // A whole number within [lo, hi].
    int integer(int col, int lo, int hi) const {
        int n = 0;
        if (!WholeNumber(number(col), n) || n < lo || n > hi) throw ImportError(BadCell(row_, col));
        return n;
    }

private:
    const Sheet& sheet_;
    int row_;
    int columns_;
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
    throw ImportError(BadCell(r.row(), 1));
}

// Column 2: "a-b", the numbers of the span's two supports (up to five characters each).
void ReadSpanNumbers(const RowCells& r, TyDataImportExcel& d) {
    const auto parts = Split(r.text(2), {"-"});
    if (parts.size() != 2) throw ImportError(BadCell(r.row(), 2));
    const std::string a = Utf8ToCp1251(Trim(parts[0])), b = Utf8ToCp1251(Trim(parts[1]));
    if (a.empty() || b.empty() || a.size() > 5 || b.size() > 5) throw ImportError(BadCell(r.row(), 2));
    d.Nop1.assign(a);
    d.Nop2.assign(b);
}

// A section as the conductor message writes it: the number read, or the text as typed.
std::string SectionText(const std::string& typed, bool read, Single v) { return read ? ShortestSingle(v) : typed; }

// Column 3: "[M x] name/aluminium/steel" with x any of x, X, х, Х; the catalog conductor.
void ReadConductor(const RowCells& r, const WireCatalog& cat, TyDataImportExcel& d) {
    const std::string text = r.text(3);
    const auto byCount = Split(text, {"x", "X", "х", "Х"});
    std::string wire = text;
    d.Mpr = 1;
    if (byCount.size() == 2) {
        double m = 0;
        int mpr = 0;
        if (!TextNumber(byCount[0], m) || !WholeNumber(m, mpr) || mpr < 1 || mpr > 20)
            throw ImportError(BadCell(r.row(), 3));
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
                          SectionText(typedSt, stRead, Single(st)) + " не найден." + "Пролёт: " +
                          Cp1251ToUtf8(d.Nop1.str()) + " - " + Cp1251ToUtf8(d.Nop2.str()) + ". Ячейка " +
                          CellRef(r.row(), 3) + " " + kFixIt + ".");
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
        throw ImportError("Тип местности не найден. " + BadCell(r.row(), 4));
    d.TM = t - 1;
}

// The crossed object: its type by name, its distance and heights, the missing height derived.
void ReadObstacle(const RowCells& r, const Layout& L, TyDataImportExcel& d) {
    const std::string type = r.text(L.Type);
    const std::string typeMsg = "Тип препятсвия не найден. " + BadCell(r.row(), L.Type);
    if (type.empty()) {
        // Measurements of an object whose type is not given would be lost: ask for the type.
        for (int c : {L.Lprep, L.GabZem, L.Hprep, L.GabPrep, L.HSeaPrep})
            if (!r.empty(c) && r.number(c) != 0) throw ImportError(typeMsg);
        return;
    }
    int t = -1;
    for (int i = 0; i < kObstacleTypes; ++i)
        if (type == kObstacleTypeText[i]) t = i;
    if (t < 0) throw ImportError(typeMsg);
    d.obstacle = true;
    d.TPrp = t;
    d.Lprep = r.orZero(L.Lprep);
    d.GabZem = r.orZero(L.GabZem);
    d.Hprep = r.orZero(L.Hprep);
    d.GabPrep = r.orZero(L.GabPrep);
    r.optional(L.HSeaPrep, d.HSeaPrep);
    // An object lies inside the span.
    if (!(d.Lprep > 0)) throw ImportError(BadCell(r.row(), L.Lprep));
    if (d.Lpr > 0 && !(d.Lprep < d.Lpr))
        throw ImportError("длина до препятствия не может превышать длину пролёта. " + BadCell(r.row(), L.Lprep));
    // Two of the three heights determine the third; with one alone the object is unknown.
    const int given = (d.GabZem != 0) + (d.Hprep != 0) + (d.GabPrep != 0);
    if (given < 2) {
        throw ImportError(BadCell(r.row(), d.GabZem == 0 ? L.GabZem : (d.Hprep == 0 ? L.Hprep : L.GabPrep)));
    }
    if (d.GabZem == 0) d.GabZem = d.Hprep + d.GabPrep;
    if (d.Hprep == 0) d.Hprep = d.GabZem - d.GabPrep;
    if (d.GabPrep == 0) d.GabPrep = d.GabZem - d.Hprep;
}

// "air/conductor" temperatures; one value is both.
void ReadTemperatures(const RowCells& r, int col, TyDataImportExcel& d) {
    const CellValue v = r.value(col);
    if (v.kind == CellKind::Number && !v.date && FitsSingle(v.number)) {
        d.TAir = d.TCond = static_cast<Single>(v.number);
        return;
    }
    if (v.kind != CellKind::Text) throw ImportError(BadCell(r.row(), col));
    const auto parts = Split(Trim(v.text), {"/"});
    double air = 0, cond = 0;
    if (parts.size() > 2 || !TextNumber(parts[0], air)) throw ImportError(BadCell(r.row(), col));
    cond = air;
    if (parts.size() == 2 && !TextNumber(parts[1], cond)) throw ImportError(BadCell(r.row(), col));
    d.TAir = static_cast<Single>(air);
    d.TCond = static_cast<Single>(cond);
}

// One data row.
TyDataImportExcel ReadDataRow(const RowCells& r, const Layout& L, ImportPoints points, const WireCatalog& cat) {
    TyDataImportExcel d;
    d.sheetRow = r.row();
    d.Time = ReadTime(r);
    ReadSpanNumbers(r, d);
    ReadConductor(r, cat, d);
    ReadTerrain(r, d);
    d.Lpr = r.single(5);
    d.Hpr1 = r.single(6);
    d.Hpr2 = r.single(7);
    r.optional(8, d.H1);
    r.optional(9, d.H2);
    if (points == ImportPoints::One) {
        d.HMid = r.single(L.HMid);
        r.optional(L.HSeaMid, d.HSeaMid);
    } else {
        d.HZam1 = r.single(L.HZam1);
        r.optional(L.HSeaZam1, d.HSeaZam1);
        d.LZam1 = r.single(L.LZam1);
        d.HZam2 = r.single(L.HZam2);
        r.optional(L.HSeaZam2, d.HSeaZam2);
        d.LZam2 = r.single(L.LZam2);
    }
    d.GabMin = r.single(L.GabMin);
    d.LMin = r.single(L.LMin);
    d.hasHSeaMin = r.optional(L.HSeaMin, d.HSeaMin);
    ReadObstacle(r, L, d);
    d.I = r.single(L.I);
    ReadTemperatures(r, L.Temp, d);
    d.V = r.single(L.V);
    d.Alf = r.single(L.Alf);
    d.Tzv = r.integer(L.Tzv, 0, 3);
    r.optional(L.Fi, d.Fi);
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
    static const char* const kCyrillic[] = {"А", "а", "В", "С", "с", "Е", "е", "Н", "К", "М",
                                            "О", "о", "Р", "р", "Т", "Х", "х", "у"};
    std::string mapped;
    for (char c : nameUtf8) {
        const auto i = kLatin.find(c);
        mapped += i == std::string_view::npos ? std::string(1, c) : std::string(kCyrillic[i]);
    }
    return mapped == nameUtf8 ? 0 : find(Utf8ToCp1251(mapped));
}

ImportTable ReadImportSheet(const Sheet& sheet, ImportPoints points, bool multi, const WireCatalog& cat) {
    const Layout& L = LayoutOf(points);
    ImportTable t;
    t.points = points;
    t.multi = multi;
    const CellAddress last = sheet.LastUsedCell();
    if (last.col == 1) throw ImportError(kMsgTableEmpty);

    std::string from, to;
    for (int row = kImportFirstRow; row <= last.row; ++row) {
        const RowCells r(sheet, row, L.columns);
        if (multi && r.empty(3) && r.emptyFrom(4) && !r.empty(1)) {
            // A row naming the line of the rows below it.
            from = r.text(1);
            to = r.text(2);
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
        TyDataImportExcel d = ReadDataRow(r, L, points, cat);
        d.LineFrom = from;
        d.LineTo = to;
        t.rows.push_back(std::move(d));
    }
    if (t.DataRows() == 0) throw ImportError(kMsgTableEmpty);

    const int shown = std::min(last.row, kImportFirstRow - 1 + kImportGridRows);
    for (int row = kImportFirstRow; row <= shown; ++row) {
        std::vector<std::string> cells;
        for (int c = 1; c <= L.columns; ++c) cells.push_back(GridText(sheet.Value(row, c)));
        t.cells.push_back(std::move(cells));
        t.cellRows.push_back(row);
    }
    return t;
}

namespace {

// Opens a workbook; any failure is "ошибка при открытии" with the reason below it.
template <class OpenFn>
ImportTable ReadOpened(OpenFn open, ImportPoints points, bool multi, const WireCatalog& cat) {
    std::optional<Workbook> book;
    try {
        book.emplace(open());
        if (book->SheetCount() < 1) throw WorkbookError("в книге нет ни одного листа");
    } catch (const std::exception& e) {
        throw ImportError(std::string(kMsgOpenFailed) + "\n" + e.what());
    }
    return ReadImportSheet(book->FirstSheet(), points, multi, cat);
}

}  // namespace

ImportTable ReadImportWorkbook(const std::string& path, ImportPoints points, bool multi, const WireCatalog& cat) {
    return ReadOpened([&] { return Workbook::Open(path); }, points, multi, cat);
}

ImportTable ReadImportBytes(const Bytes& bytes, ImportPoints points, bool multi, const WireCatalog& cat) {
    return ReadOpened([&] { return Workbook::FromBytes(bytes); }, points, multi, cat);
}

}  // namespace qem

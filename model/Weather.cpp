#include "model/Weather.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

#include "model/Cp1251.h"
#include "platform/CivilTime.h"
#include "platform/Workbook.h"

namespace qem {
namespace {

// A cell as the reader takes it: its text, and for a workbook cell holding a number the number
// (a date cell: days since 30.12.1899).
struct Cell {
    std::string text;
    std::optional<double> number;
    bool date = false;
};
struct Row {
    int number = 0;  // row of the file, from 1
    std::vector<Cell> cells;
};

enum class Column { Time, Ta, V, Direction, Sky, Cloud, Irradiance, IceWall, IceDensity, Line };

// Header names of each column, lower case, 'ё' as 'е', without the unit.
const std::pair<Column, std::vector<const char*>> kNames[] = {
    {Column::Time, {"время", "дата и время", "дата/время", "дата время", "time", "datetime", "date time", "timestamp"}},
    {Column::Ta, {"температура воздуха", "температура", "t воздуха", "tв", "air temperature", "temperature", "ta"}},
    {Column::V, {"скорость ветра", "ветер", "wind speed", "wind", "v"}},
    {Column::Direction, {"направление ветра", "направление", "wind direction", "direction", "dir"}},
    {Column::Sky, {"состояние неба", "небо", "sky condition", "sky"}},
    {Column::Cloud, {"облачность", "cloud cover", "cloud", "clouds"}},
    {Column::Irradiance,
     {"солнечная радиация", "суммарная радиация", "радиация", "irradiance", "global irradiance", "ghi",
      "solar radiation"}},
    {Column::IceWall, {"стенка гололеда", "толщина стенки гололеда", "гололед", "ice wall", "ice thickness", "ice"}},
    {Column::IceDensity, {"плотность гололеда", "ice density"}},
    {Column::Line, {"линия", "вл", "line"}},
};

const char* ColumnTitle(Column c) {
    switch (c) {
        case Column::Time: return "время";
        case Column::Ta: return "температура воздуха";
        case Column::V: return "скорость ветра";
        case Column::Direction: return "направление ветра";
        case Column::Sky: return "состояние неба";
        case Column::Cloud: return "облачность";
        case Column::Irradiance: return "солнечная радиация";
        case Column::IceWall: return "стенка гололёда";
        case Column::IceDensity: return "плотность гололёда";
        case Column::Line: return "линия";
    }
    return "";
}

std::string Trim(std::string_view s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) return "";
    const auto e = s.find_last_not_of(" \t\r\n");
    return std::string(s.substr(b, e - b + 1));
}

// Lower case of Russian and Latin letters, 'ё' as 'е', blanks trimmed.
std::string Folded(std::string_view utf8) {
    std::string c = Utf8ToCp1251(Trim(utf8));
    for (char& ch : c) {
        unsigned char u = static_cast<unsigned char>(ch);
        if (u >= 'A' && u <= 'Z')
            u = u - 'A' + 'a';
        else if (u >= 0xC0 && u <= 0xDF)
            u = u + 0x20;
        else if (u == 0xA8 || u == 0xB8)
            u = 0xE5;  // Ё, ё as е
        ch = static_cast<char>(u);
    }
    return Cp1251ToUtf8(c);
}

// The header name without its unit: "Температура воздуха, °C" and "Wind speed (m/s)" name the
// column by what stands before the comma or bracket.
std::string HeaderName(std::string_view text) {
    std::string s = Folded(text);
    const auto cut = s.find_first_of(",([");
    if (cut != std::string::npos) s = Trim(std::string_view(s).substr(0, cut));
    return s;
}

std::optional<Column> ColumnOf(const std::string& name) {
    for (const auto& [c, names] : kNames)
        for (const char* n : names)
            if (name == n) return c;
    return std::nullopt;
}

// A decimal number with a point or a comma; nothing else in the text.
std::optional<double> Number(std::string_view text) {
    std::string s = Trim(text);
    if (s.empty()) return std::nullopt;
    if (s[0] == '+') s.erase(0, 1);
    std::replace(s.begin(), s.end(), ',', '.');
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

bool ValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 9;
        if (n == 9 || i + n >= s.size() + (n == 0 ? 1 : 0)) return false;
        for (std::size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
        i += n + 1;
    }
    return true;
}

// The fields of one CSV line (quotes as in RFC 4180).
std::vector<std::string> Fields(std::string_view line, char sep) {
    std::vector<std::string> out;
    std::string f;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"')
                f += '"', ++i;
            else if (c == '"')
                quoted = false;
            else
                f += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == sep) {
            out.push_back(f), f.clear();
        } else {
            f += c;
        }
    }
    out.push_back(f);
    return out;
}

// "+3", "3", "-2.5", "+03:00", "UTC+3": hours east of UTC.
std::optional<double> OffsetHours(std::string_view text) {
    std::string s = Folded(text);
    if (s.rfind("utc", 0) == 0 || s.rfind("gmt", 0) == 0) s = Trim(std::string_view(s).substr(3));
    if (s.empty()) return std::nullopt;
    const auto colon = s.find(':');
    if (colon == std::string::npos) return Number(s);
    const auto h = Number(s.substr(0, colon)), m = Number(s.substr(colon + 1));
    if (!h || !m || *m < 0 || *m >= 60) return std::nullopt;
    return *h + (s[0] == '-' ? -*m : *m) / 60.0;
}

struct Reader {
    const std::string& name;
    const WeatherReadOptions& options;
    WeatherData data;
    std::map<Column, int> col;  // column index of each column present
    std::vector<std::string> titles;

    [[noreturn]] void Fail(int row, const std::string& what) const {
        throw WeatherError("Файл погоды " + Quoted(name) + ", строка " + std::to_string(row) + ": " + what);
    }
    [[noreturn]] void Fail(int row, Column c, const std::string& what) const {
        const int i = col.at(c);
        throw WeatherError("Файл погоды " + Quoted(name) + ", строка " + std::to_string(row) + ", столбец " +
                           std::to_string(i + 1) + " («" + titles[std::size_t(i)] + "»): " + what);
    }

    // A '#' line before the header: the station or a note.
    void Meta(int row, const std::string& text) {
        std::string body = Trim(std::string_view(text).substr(1));
        const auto sep = body.find_first_of(":=");
        const std::string key = sep == std::string::npos ? "" : HeaderName(body.substr(0, sep));
        const std::string value = sep == std::string::npos ? "" : Trim(body.substr(sep + 1));
        auto number = [&](double lo, double hi) {
            const auto v = Number(value);
            if (!v || *v < lo || *v > hi)
                Fail(row, "«" + value + "» — не " + (key.empty() ? std::string("число") : "значение «" + key + "»") +
                              " (" + Format(lo) + " … " + Format(hi) + ")");
            return *v;
        };
        if (key == "широта" || key == "latitude" || key == "lat")
            data.latitude = number(-90, 90);
        else if (key == "долгота" || key == "longitude" || key == "lon")
            data.longitude = number(-180, 180);
        else if (key == "смещение utc" || key == "utc offset" || key == "utc_offset" || key == "utc-offset" ||
                 key == "часовой пояс" || key == "time zone") {
            const auto h = OffsetHours(value);
            if (!h || *h < -14 || *h > 14) Fail(row, "«" + value + "» — не смещение от UTC (−14 … +14 ч)");
            data.utcOffsetHours = *h;
        } else if (!body.empty()) {
            data.notes.push_back(body);
        }
    }
    static std::string Format(double v) {
        char b[32];
        const auto r = std::to_chars(b, b + sizeof b, v);
        return std::string(b, r.ptr);
    }

    void Header(const Row& r) {
        for (std::size_t i = 0; i < r.cells.size(); ++i) {
            const std::string t = Trim(r.cells[i].text);
            titles.push_back(t);
            if (t.empty()) continue;
            const auto c = ColumnOf(HeaderName(t));
            if (!c)
                throw WeatherError("Файл погоды " + Quoted(name) + ", строка " + std::to_string(r.number) +
                                   ", столбец " + std::to_string(i + 1) + ": неизвестный столбец «" + t +
                                   "» (см. описание формата файла погоды)");
            if (col.count(*c))
                throw WeatherError("Файл погоды " + Quoted(name) + ", строка " + std::to_string(r.number) +
                                   ", столбец " + std::to_string(i + 1) + ": столбец «" + ColumnTitle(*c) +
                                   "» уже есть (столбец " + std::to_string(col[*c] + 1) + ")");
            col[*c] = int(i);
        }
        for (Column c : {Column::Time, Column::Ta, Column::V, Column::Direction})
            if (!col.count(c))
                throw WeatherError("Файл погоды " + Quoted(name) + ", строка " + std::to_string(r.number) +
                                   ": нет столбца «" + ColumnTitle(c) + "»");
        if (col.count(Column::Sky) && col.count(Column::Cloud))
            throw WeatherError("Файл погоды " + Quoted(name) + ", строка " + std::to_string(r.number) +
                               ": столбцы «состояние неба» и «облачность» вместе — оставьте один");
        if (col.count(Column::IceWall) != col.count(Column::IceDensity))
            throw WeatherError("Файл погоды " + Quoted(name) + ", строка " + std::to_string(r.number) +
                               ": стенка и плотность гололёда задаются вместе");
        data.hasSky = col.count(Column::Sky) > 0;
        data.hasCloud = col.count(Column::Cloud) > 0;
        data.hasIrradiance = col.count(Column::Irradiance) > 0;
        data.hasIce = col.count(Column::IceWall) > 0;
        data.hasLine = col.count(Column::Line) > 0;
    }

    const Cell& At(const Row& r, Column c) const {
        static const Cell empty;
        const int i = col.at(c);
        return std::size_t(i) < r.cells.size() ? r.cells[std::size_t(i)] : empty;
    }

    double Value(const Row& r, Column c, double lo, double hi, const char* unit) const {
        const Cell& cell = At(r, c);
        std::optional<double> v = cell.number;
        if (!v) {
            if (Trim(cell.text).empty()) Fail(r.number, c, "пустая ячейка");
            v = Number(cell.text);
            if (!v) Fail(r.number, c, "«" + Trim(cell.text) + "» — не число");
        }
        if (!(*v >= lo && *v <= hi))
            Fail(r.number, c,
                 Format(*v) + " вне допустимого диапазона " + Format(lo) + " … " + Format(hi) + " " + unit);
        return *v;
    }

    // The time of the row, UTC, and its offset.
    std::pair<std::int64_t, int> Time(const Row& r) const {
        const Cell& cell = At(r, Column::Time);
        std::optional<double> offset = options.utcOffsetHours ? options.utcOffsetHours : data.utcOffsetHours;
        auto needOffset = [&] {
            if (!offset)
                Fail(r.number, Column::Time,
                     "время без смещения от UTC: укажите его во времени (+03:00), строкой заголовка «# Смещение UTC: "
                     "+3» или в параметрах расчёта");
            return int(std::lround(*offset * 60));
        };
        if (cell.number && cell.date) {
            // Days since 30.12.1899, local time; to the whole minute.
            const double minutes = std::round(*cell.number * 1440);
            const int off = needOffset();
            const std::int64_t local = (std::int64_t(minutes) - std::int64_t(25569) * 1440) * 60;
            return {local - std::int64_t(off) * 60, off};
        }
        const std::string t = Trim(cell.text.empty() && cell.number ? Format(*cell.number) : cell.text);
        if (t.empty()) Fail(r.number, Column::Time, "пустая ячейка");
        auto bad = [&]() -> std::pair<std::int64_t, int> {
            Fail(r.number, Column::Time,
                 "«" + t + "» — не время (2024-07-01T14:00, 2024-07-01 14:00+03:00, 01.07.2024 14:00)");
        };
        auto digits = [&](std::size_t at, std::size_t n, int& v) {
            if (at + n > t.size()) return false;
            v = 0;
            for (std::size_t i = at; i < at + n; ++i) {
                if (t[i] < '0' || t[i] > '9') return false;
                v = v * 10 + (t[i] - '0');
            }
            return true;
        };
        int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
        std::size_t p;
        if (digits(0, 4, y) && t.size() > 4 && t[4] == '-') {  // 2024-07-01
            if (!digits(5, 2, mo) || t.size() < 10 || t[7] != '-' || !digits(8, 2, d)) bad();
            p = 10;
        } else if (digits(0, 2, d) && t.size() > 2 && t[2] == '.') {  // 01.07.2024
            if (!digits(3, 2, mo) || t.size() < 10 || t[5] != '.' || !digits(6, 4, y)) bad();
            p = 10;
        } else {
            bad();
        }
        if (p >= t.size() || (t[p] != 'T' && t[p] != 't' && t[p] != ' ')) bad();
        ++p;
        if (!digits(p, 2, h) || p + 2 >= t.size() || t[p + 2] != ':' || !digits(p + 3, 2, mi)) bad();
        p += 5;
        if (p < t.size() && t[p] == ':') {
            if (!digits(p + 1, 2, s)) bad();
            p += 3;
        }
        if (!IsValidDate(y, unsigned(mo), unsigned(d)) || h > 23 || mi > 59 || s > 59) bad();
        int off;
        const std::string rest = Trim(std::string_view(t).substr(p));
        if (rest.empty()) {
            off = needOffset();
        } else if (rest == "Z" || rest == "z") {
            off = 0;
        } else {
            const auto o = (rest[0] == '+' || rest[0] == '-') ? OffsetHours(rest) : std::nullopt;
            if (!o || *o < -14 || *o > 14) bad();
            off = int(std::lround(*o * 60));
        }
        const std::int64_t local =
            DaysFromCivil(y, unsigned(mo), unsigned(d)) * 86400 + std::int64_t(h) * 3600 + std::int64_t(mi) * 60 + s;
        return {local - std::int64_t(off) * 60, off};
    }

    void Hour(const Row& r) {
        WeatherHour w;
        w.row = r.number;
        std::tie(w.utc, w.offsetMinutes) = Time(r);
        w.Ta = Value(r, Column::Ta, -60, 60, "°C");
        w.V = Value(r, Column::V, 0, 60, "м/с");
        w.direction = Value(r, Column::Direction, 0, 360, "°");
        if (data.hasSky) {
            w.sky = int(Value(r, Column::Sky, 0, 3, ""));
            if (w.sky != Value(r, Column::Sky, 0, 3, "")) Fail(r.number, Column::Sky, "состояние неба — целое 0 … 3");
        }
        if (data.hasCloud) w.sky = SkyOfCloudCover(Value(r, Column::Cloud, 0, 100, "%"));
        if (data.hasIrradiance) w.irradiance = Value(r, Column::Irradiance, 0, 1500, "Вт/м²");
        if (data.hasIce) {
            w.iceWall = Value(r, Column::IceWall, 0, 10, "см");
            w.iceDensity = Value(r, Column::IceDensity, 0, 1, "г/см³");
            if (w.iceWall > 0 && !(w.iceDensity > 0))
                Fail(r.number, Column::IceDensity, "стенка гололёда без плотности");
        }
        std::string line;
        if (data.hasLine) {
            line = Trim(At(r, Column::Line).text);
            if (line.empty() && At(r, Column::Line).number) line = Format(*At(r, Column::Line).number);
            if (line.empty()) Fail(r.number, Column::Line, "пустая ячейка");
        }
        auto it = std::find_if(data.series.begin(), data.series.end(),
                               [&](const WeatherSeries& s) { return s.line == line; });
        if (it == data.series.end()) {
            data.series.push_back({line, r.number, {}});
            it = data.series.end() - 1;
        }
        if (!it->hours.empty()) {
            const WeatherHour& prev = it->hours.back();
            const std::string at = WeatherTimeText(w.utc, w.offsetMinutes);
            const std::string before =
                WeatherTimeText(prev.utc, prev.offsetMinutes) + " (строка " + std::to_string(prev.row) + ")";
            const std::int64_t step = w.utc - prev.utc;
            if (step == 0) Fail(r.number, Column::Time, "час " + at + " повторяет " + before);
            if (step < 0) Fail(r.number, Column::Time, "час " + at + " раньше предыдущего " + before);
            if (step % 3600 != 0)
                Fail(r.number, Column::Time, "шаг от " + before + " до " + at + " — не целое число часов");
            if (step > 3600)
                Fail(r.number, Column::Time,
                     "пропуск: после " + before + " идёт " + at + " (нет " + std::to_string(step / 3600 - 1) + " ч)");
        }
        it->hours.push_back(w);
    }

    WeatherData Run(const std::vector<Row>& rows) {
        data.file = name;
        std::size_t i = 0;
        for (; i < rows.size(); ++i) {
            const Row& r = rows[i];
            const std::string first = r.cells.empty() ? "" : Trim(r.cells[0].text);
            const bool blank = std::all_of(r.cells.begin(), r.cells.end(),
                                           [](const Cell& c) { return Trim(c.text).empty() && !c.number; });
            if (blank) continue;
            if (!first.empty() && first[0] == '#') {
                std::string text = r.cells[0].text;
                for (std::size_t k = 1; k < r.cells.size(); ++k)
                    if (!Trim(r.cells[k].text).empty()) text += " " + Trim(r.cells[k].text);
                Meta(r.number, Trim(text));
                continue;
            }
            break;
        }
        if (i == rows.size()) throw WeatherError("Файл погоды " + Quoted(name) + ": нет строки заголовка со столбцами");
        Header(rows[i]);
        for (++i; i < rows.size(); ++i) {
            const Row& r = rows[i];
            const bool blank = std::all_of(r.cells.begin(), r.cells.end(),
                                           [](const Cell& c) { return Trim(c.text).empty() && !c.number; });
            if (!blank) Hour(r);
        }
        if (data.series.empty()) throw WeatherError("Файл погоды " + Quoted(name) + ": нет ни одного часа");
        return std::move(data);
    }
};

}  // namespace

int SkyOfCloudCover(double percent) { return percent <= 25 ? 0 : percent < 75 ? 1 : 2; }

std::size_t WeatherData::HourCount() const {
    std::size_t n = 0;
    for (const auto& s : series) n += s.hours.size();
    return n;
}

std::string WeatherTimeText(std::int64_t utc, int offsetMinutes) {
    const std::int64_t local = utc + std::int64_t(offsetMinutes) * 60;
    const std::int64_t day = local >= 0 ? local / 86400 : -((-local + 86399) / 86400);
    const std::int64_t sec = local - day * 86400;
    const CivilDate d = CivilFromDays(day);
    char b[48];
    const int a = std::abs(offsetMinutes);
    std::snprintf(b, sizeof b, "%04lld-%02u-%02uT%02d:%02d%c%02d:%02d", d.year, d.month, d.day, int(sec / 3600),
                  int(sec / 60 % 60), offsetMinutes < 0 ? '-' : '+', a / 60, a % 60);
    return b;
}

WeatherData ParseWeatherCsv(std::string_view bytes, const std::string& name, const WeatherReadOptions& options) {
    std::string text;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        text = std::string(bytes.substr(3));
    else if (ValidUtf8(bytes))
        text = std::string(bytes);
    else
        text = Cp1251ToUtf8(bytes);
    std::vector<std::string> lines;
    for (std::size_t p = 0; p <= text.size();) {
        auto e = text.find('\n', p);
        if (e == std::string::npos) e = text.size();
        std::string l = text.substr(p, e - p);
        if (!l.empty() && l.back() == '\r') l.pop_back();
        lines.push_back(l);
        p = e + 1;
    }
    // The separator of the header row: the first line that is not a '#' line or blank.
    char sep = ',';
    for (const auto& l : lines) {
        const std::string t = Trim(l);
        if (t.empty() || t[0] == '#') continue;
        sep = t.find(';') != std::string::npos ? ';' : t.find('\t') != std::string::npos ? '\t' : ',';
        break;
    }
    std::vector<Row> rows;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Row r;
        r.number = int(i) + 1;
        const std::string t = Trim(lines[i]);
        if (!t.empty() && t[0] == '#')
            r.cells.push_back({t, std::nullopt, false});
        else
            for (auto& f : Fields(lines[i], sep)) r.cells.push_back({f, std::nullopt, false});
        rows.push_back(std::move(r));
    }
    Reader reader{name, options, {}, {}, {}};
    return reader.Run(rows);
}

WeatherData ParseWeatherSheet(const Sheet& sheet, const std::string& name, const WeatherReadOptions& options) {
    const CellAddress last = sheet.LastUsedCell();
    std::vector<Row> rows;
    for (int r = 1; r <= last.row; ++r) {
        Row row;
        row.number = r;
        for (int c = 1; c <= last.col; ++c) {
            const CellValue v = sheet.Value(r, c);
            Cell cell;
            if (v.kind == CellKind::Number) {
                cell.number = v.number;
                cell.date = v.date;
            } else {
                cell.text = CellText(v);
            }
            row.cells.push_back(std::move(cell));
        }
        rows.push_back(std::move(row));
    }
    Reader reader{name, options, {}, {}, {}};
    return reader.Run(rows);
}

WeatherData ReadWeatherFile(const std::string& path, const WeatherReadOptions& options) {
    const std::string name = PathToUtf8(PathFromUtf8(path).filename());
    std::string ext = PathToUtf8(PathFromUtf8(path).extension());
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".xlsx" || ext == ".xls") {
        const Workbook wb = Workbook::Open(path);
        return ParseWeatherSheet(wb.FirstSheet(), name, options);
    }
    const Bytes b = ReadWholeFile(path);
    return ParseWeatherCsv(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()), name, options);
}

}  // namespace qem

// qemcli rating: hourly ДДТН and АДТН of lines from a weather file (lines/HourlyRating.h).
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/qemcli/Session.h"
#include "lines/HourlyRating.h"
#include "model/Cp1251.h"
#include "model/Format.h"
#include "model/Weather.h"
#include "platform/FileSystem.h"
#include "platform/Workbook.h"

namespace qem::cli {
namespace {

std::string Amps(double v) { return JsonDouble(std::round(v * 10) / 10); }
std::string OptAmps(const std::optional<double>& v) { return v ? Amps(*v) : "null"; }
std::string OptText(const std::string& s) { return s.empty() ? "null" : JsonString(s); }

std::string HourJson(const HourRating& h, std::optional<Minutes> shortTime) {
    std::ostringstream o;
    o << "{\"Time\":" << JsonString(WeatherTimeText(h.utc, h.offsetMinutes)) << ",\"Ta\":" << JsonSingle(float(h.Ta));
    if (!h.rated) {
        o << ",\"DDTN\":null,\"ADTN\":null,\"Error\":" << JsonString(h.failure);
    } else {
        o << ",\"DDTN\":" << Amps(h.DDTN) << ",\"ADTN\":" << Amps(h.ADTN)
          << ",\"Limit\":" << JsonString(h.ddtnLimit.component) << ",\"Span\":" << OptText(h.ddtnLimit.spanText)
          << ",\"Cause\":" << JsonString(h.ddtnLimit.cause) << ",\"ADTNLimit\":" << JsonString(h.adtnLimit.component)
          << ",\"ADTNSpan\":" << OptText(h.adtnLimit.spanText) << ",\"ADTNCause\":" << JsonString(h.adtnLimit.cause)
          << ",\"ConductorDDTN\":" << Amps(h.conductorDDTN) << ",\"ConductorADTN\":" << Amps(h.conductorADTN);
    }
    if (shortTime) {
        o << ",\"ShortTime\":{\"Minutes\":" << JsonDouble(*shortTime) << ",\"I\":" << OptAmps(h.shortTime);
        if (h.rated)
            o << ",\"Span\":" << OptText(h.shortTimeLimit.spanText) << ",\"Cause\":" << OptText(h.shortTimeLimit.cause);
        o << "}";
    }
    o << ",\"StaticDDTN\":" << OptAmps(h.staticDDTN) << ",\"StaticADTN\":" << OptAmps(h.staticADTN) << "}";
    return o.str();
}

std::string SummaryJson(const LineSummary& s) {
    std::ostringstream o;
    auto share = [](double v) { return JsonDouble(std::round(v * 10000) / 10000); };
    o << "{\"Hours\":" << s.hours << ",\"Rated\":" << s.rated;
    if (s.rated > 0)
        o << ",\"LeastDDTN\":" << Amps(s.least) << ",\"MeanDDTN\":" << Amps(s.mean)
          << ",\"GreatestDDTN\":" << Amps(s.greatest) << ",\"LeastADTN\":" << Amps(s.leastADTN)
          << ",\"MeanADTN\":" << Amps(s.meanADTN) << ",\"GreatestADTN\":" << Amps(s.greatestADTN)
          << ",\"HeatShare\":" << share(s.heatShare) << ",\"ClearanceShare\":" << share(s.clearanceShare)
          << ",\"EquipmentShare\":" << share(s.equipmentShare);
    o << ",\"MeanGain\":" << (s.meanGain ? share(*s.meanGain) : "null") << ",\"MeanGainA\":" << OptAmps(s.meanGainA)
      << ",\"WeakestSpans\":[";
    for (std::size_t i = 0; i < s.weakest.size(); ++i)
        o << (i ? "," : "") << "{\"Span\":" << JsonString(s.weakest[i].spanText) << ",\"Hours\":" << s.weakest[i].hours
          << "}";
    o << "]";
    if (s.leastShortTime)
        o << ",\"LeastShortTime\":" << Amps(*s.leastShortTime) << ",\"MeanShortTime\":" << Amps(*s.meanShortTime)
          << ",\"ShortTimeHours\":" << s.shortTimeHours;
    o << ",\"Failure\":" << OptText(s.failure) << ",\"FirstUnrated\":" << OptText(s.firstUnrated) << "}";
    return o.str();
}

// Hours into a CSV file (Windows-1251, ';', decimal comma, CR LF), written as they come into a
// temporary file that replaces the file at the end.
class CsvOut {
public:
    CsvOut(const std::string& path, std::optional<Minutes> shortTime)
        : path_(path), tmp_(path + ".tmp"), shortTime_(shortTime) {
        out_.open(PathFromUtf8(tmp_), std::ios::binary);
        if (!out_) throw FileError("Не удалось записать файл " + Quoted(tmp_));
        std::string head;
        for (const std::string& c : HourColumns(shortTime)) head += (head.empty() ? "" : ";") + c;
        Line(head);
    }
    void Hour(const LineRatingResult& l, const HourRating& h) {
        std::string s;
        bool first = true;
        for (auto& [t, v] : HourCells(l, h, shortTime_)) {
            std::string cell = t;
            if (v)
                for (char& ch : cell)
                    if (ch == '.') ch = ',';
            if (!v && (cell.find(';') != std::string::npos || cell.find('"') != std::string::npos)) {
                std::string q = "\"";
                for (char ch : cell) q += ch == '"' ? std::string("\"\"") : std::string(1, ch);
                cell = q + "\"";
            }
            s += (first ? "" : ";") + cell;
            first = false;
        }
        Line(s);
    }
    void Close() {
        out_.close();
        if (!out_) throw FileError("Не удалось записать файл " + Quoted(tmp_));
        std::filesystem::rename(PathFromUtf8(tmp_), PathFromUtf8(path_));
    }
    ~CsvOut() {
        if (out_.is_open()) {
            out_.close();
            std::error_code e;
            std::filesystem::remove(PathFromUtf8(tmp_), e);
        }
    }

private:
    void Line(const std::string& utf8) { out_ << Utf8ToCp1251(utf8) << "\r\n"; }
    std::string path_, tmp_;
    std::optional<Minutes> shortTime_;
    std::ofstream out_;
};

int RatingCmd(const Args& a) {
    if (a.positional.size() != 1) throw UsageError("expects one network file");
    if (!a.has("weather")) throw UsageError("--weather FILE is required");
    if (a.has("line") == a.has("all")) throw UsageError("give --line L or --all");
    Session s;
    OpenSession(s, a, a.positional[0]);
    std::vector<int> which;
    if (a.has("all")) {
        for (int l = 1; l <= s.net.NLines(); ++l) which.push_back(l);
    } else {
        SelectLine(s, a);
        which.push_back(s.net.CurLine);
    }
    WeatherReadOptions wo;
    if (a.has("utc-offset")) {
        const double h = a.getReal("utc-offset");
        if (h < -14 || h > 14) throw UsageError("--utc-offset must be -14..14 hours");
        wo.utcOffsetHours = h;
    }
    HourlyOptions o;
    o.ambientOnly = a.has("ambient-only");
    if (const std::optional<ModelChoice> model = ModelOption(s, a)) {
        o.model = model->model;
        o.conductorOf = [model = *model](const TyWire& w) { return model.ConductorOf(w); };
    }
    if (a.has("duration")) {
        const double d = a.getReal("duration");
        if (!(d >= 1 && d <= kTransientHorizon))
            throw UsageError("--duration must be 1.." + std::to_string(int(kTransientHorizon)) + " minutes");
        o.duration = d;
    }
    if (a.has("load")) {
        if (!o.duration) throw UsageError("--load goes with --duration");
        const double I = a.getReal("load");
        if (!(I >= 0 && I <= 100000)) throw UsageError("--load must be a phase current of 0..100000 A");
        o.load = I;
    }
    const std::string sun = a.get("sun", "hourly");
    if (sun == "classic")
        o.sun = SunRule::Classic;
    else if (sun != "hourly")
        throw UsageError("--sun must be classic or hourly");
    WeatherData w;
    try {
        w = ReadWeatherFile(a.get("weather"), wo);
        if (a.has("lat")) w.latitude = a.getReal("lat");
        if (a.has("lon")) w.longitude = a.getReal("lon");
        if (o.sun == SunRule::Hourly && !w.longitude)
            throw WeatherError("Файл погоды " + Quoted(w.file) +
                               ": не задана долгота станции (строка заголовка «# Долгота: 37.6» или --lon) — "
                               "без неё не найти положение солнца (или --sun classic)");
        if (w.longitude && (*w.longitude < -180 || *w.longitude > 180)) throw UsageError("--lon must be -180..180");
        WeatherSeriesOfLines(s.net.Lines, w);
    } catch (const FileError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    o.longitude = w.longitude.value_or(0);

    const std::string out = a.get("out");
    std::string ext = PathToUtf8(PathFromUtf8(out).extension());
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (!out.empty() && ext != ".csv" && ext != ".xlsx") throw UsageError("--out must name a .csv or .xlsx file");
    std::optional<CsvOut> csv;
    std::optional<HourlyWorkbook> xlsx;
    if (ext == ".csv") csv.emplace(out, o.duration);
    if (ext == ".xlsx") xlsx.emplace(o.duration);
    const bool json = a.has("json");
    const bool modelAsked = a.has("model") || a.has("emissivity") || a.has("absorptivity");
    if (json)
        std::cout << "{" << (modelAsked ? "\"Model\":" + JsonString(HeatModelName(o.model)) + "," : "")
                  << "\"Lines\":[";
    if (!json && modelAsked) std::cout << "Модель нагрева: " << HeatModelTitle(o.model) << "\n";
    int lineNo = 0, hourNo = 0;
    bool all = true;
    auto envOf = [&](const TyLine& line) {
        ApplyChoices(s, a, line.Span(1));
        return s.env;
    };
    const std::vector<LineRatingResult> results = RateLinesHourly(
        s.net.Lines, which, w,
        [&](const TyLine& line) {
            if (line.NSpans() > 0) return envOf(line);
            return s.env;
        },
        o, s.dlg,
        [&](const LineRatingResult& l, const HourRating& h) {
            if (json) {
                if (hourNo == 0)
                    std::cout << (lineNo ? "," : "") << "{\"Line\":" << l.line << ",\"Name\":" << JsonString(l.name)
                              << ",\"Hours\":[";
                std::cout << (hourNo ? "," : "") << HourJson(h, o.duration);
            }
            ++hourNo;
            if (csv) csv->Hour(l, h);
            if (xlsx) xlsx->Add(l, h);
            all = all && h.rated;
        },
        [&](const LineRatingResult& l) {
            if (json) {
                if (hourNo == 0)
                    std::cout << (lineNo ? "," : "") << "{\"Line\":" << l.line << ",\"Name\":" << JsonString(l.name)
                              << ",\"Hours\":[";
                std::cout << "],\"Summary\":" << SummaryJson(l.summary) << "}";
            }
            ++lineNo;
            hourNo = 0;
            all = all && l.summary.failure.empty();
        });
    if (json) std::cout << "]}\n";
    if (csv) csv->Close();
    if (xlsx) xlsx->Save(out);
    if (!json)
        for (const auto& r : results)
            for (const std::string& t : SummaryText(r)) std::cout << t << "\n";
    for (const auto& r : results)
        if (!r.summary.failure.empty())
            std::cerr << "ВЛ " << r.line << " " << r.name << ": " << r.summary.failure << "\n";
    return all && int(results.size()) == int(which.size()) ? 0 : 1;
}

const Registrar r(
    {"rating",
     "rating NET.qem --weather FILE (--line L | --all) [--ambient-only] [--sun classic|hourly] "
     "[--utc-offset H] [--lat X --lon Y] [--out FILE.csv|FILE.xlsx] [--json] [--jobs N] [--mode one|two] "
     "[--sea|--no-sea] [--model qem|ieee738|cigre601] [--emissivity E] [--absorptivity A] [--duration MIN [--load A]]",
     "hourly ДДТН and АДТН of lines from weather: every span by heat and by clearance, the terminal "
     "equipment, the limiting component, span and cause, and a summary per line; --model the heat model of "
     "the spans and busbars; --duration the line's short-time current for MIN minutes at each hour from "
     "the present load (--load A, a phase current; else each span's measured current)",
     {"all", "ambient-only"},
     RatingCmd});

}  // namespace
}  // namespace qem::cli

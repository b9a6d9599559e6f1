#pragma once
// Hourly ratings of lines from weather: for every hour, the line's ДДТН and АДТН as the line
// calculation and the component limits define them, with the hour's weather in every span in
// place of its source data (air temperature, wind speed and direction, sky, ice) and the sun of
// the hour; with the limiting component, span and cause.
//
// How it is fast. The clearance of a span depends on the hour only through the conductor
// temperature and the mechanical load (wind speed, ice). So for each span and each distinct load
// of the weather the conductor temperature at which the first clearance (to the ground or to an
// obstacle) reaches its norm is found once, by a bracketed search on the conductor temperature
// with the span's own states (PreparedSpan); each hour's clearance-limited current then follows
// in closed form from the heat balance at that temperature. What does not depend on the hour
// (sea-level points, the reference state from the measurements, the norms) is done once per
// line. The line calculation's stepped current search (1 A, 0.1 K) gives the same currents
// within 2 A.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/CalcEnv.h"
#include "engine/HeatBalance.h"
#include "engine/HeatModel.h"
#include "engine/Report.h"
#include "lines/ComponentLimits.h"
#include "model/QEMcom.h"
#include "model/Weather.h"
#include "platform/Dialogs.h"

namespace qem {

enum class SunRule {
    Classic,  // the noon sun of the summer solstice at every hour, as the limit table
    Hourly,   // the sun's position at the hour (engine/SolarPosition.h)
};

// The acute angle between a wind from `direction` (degrees from north) and a span of bearing
// `bearing` (degrees from north, 0 ... 180), degrees 0 ... 90.
Degrees WindToSpanAngle(Degrees direction, Degrees bearing);

// One conductor in one hour, as a heat model sees it.
struct HeatCase {
    ConductorThermal conductor;
    Metres altitude = 0;       // of the span (H1), for the sun
    Degrees bearing = 0;       // of the span from north (AngP)
    Celsius Ta = 0;            // air
    MPerS V = 0;               // wind speed
    Degrees windAngle = 90;    // between the wind and the span
    Degrees sunElevation = 0;  // the sun: elevation above the horizon, azimuth from north
    Degrees sunAzimuth = 180;
    Integer sky = 0;         // 0 clear, 1 cloudy, 2 overcast, 3 evening or night (no sun)
    WPerM2 irradiance = -1;  // measured global irradiance; below 0 none
    HeatModel model = HeatModel::Qem;
    HeatConductor standard;  // the conductor as the standards' models read it (HeatModel.h)
};

// The weather and sun of the case as the heat models read them.
HeatWeather HeatWeatherOf(const HeatCase& c);

// The heat part of the hourly rating: the one call a heat model answers.
struct HeatPart {
    // Current of one conductor at which its steady temperature is T, A; nothing when no current
    // holds it there (the air is warmer than T, or the sun heats it beyond T).
    std::optional<Amperes> (*currentAt)(const HeatCase& c, Celsius T) = nullptr;
    // Steady temperature of one conductor at current I, C.
    Celsius (*steadyTemp)(const HeatCase& c, Amperes I) = nullptr;
};
// The program's own heat balance (engine/HeatBalance.h): QEM (14) and (15) with the solar gain
// QEM (13) of the sky polynomials at the sun's elevation, or, with a measured irradiance G, the
// gain a D G of a conductor lit by the global radiation (CIGRE TB 207, 2002).
HeatPart QemHeatPart();
// The model's balance (engine/HeatModel.h) of c.model with the conductor c.standard: IEEE Std 738
// or CIGRE TB 601 (the program's own method as QemHeatPart, through its HeatModel entry).
HeatPart ModelHeatPart();
// The heat part of a model: QemHeatPart for the program's own, else ModelHeatPart.
HeatPart HeatPartOf(HeatModel m);

struct HourlyOptions {
    bool ambientOnly = false;  // only the air temperature and the sun change by the hour
    SunRule sun = SunRule::Hourly;
    double longitude = 0;              // of the station, degrees east (the hourly sun)
    int zamer = 1;                     // the measurement whose conductor temperature the reference state takes
    HeatModel model = HeatModel::Qem;  // the heat model of the spans and busbars (HeatPartOf)
    // The catalog entry as the standards' models read it (lines/ShortTimeCommands.h ModelChoice);
    // empty: HeatConductorOf(wire) with the standards' default surface factors.
    std::function<HeatConductor(const TyWire&)> conductorOf;
    bool staticRating = true;  // the limit table's value at each hour (14 line calculations per line)
    // The line's short-time rating at each hour: the largest phase current for this many minutes
    // (1 ... kTransientHorizon) from the steady state at the present load, in the hour's weather,
    // without any span passing its limit temperature (TMax, or below it the conductor temperature
    // at which the clearance of the hour's load reaches its norm), by the model of the cases.
    std::optional<Minutes> duration;
    // The present load of the short-time rating, a phase current; without it each span's own
    // measured current (Iv), as the span report's short-time answer takes it.
    std::optional<Amperes> load;
};

// Why an hour has the value it has.
struct RatingLimit {
    std::string component;  // "провод ВЛ", "кабельная вставка", "ошиновка (ПС 110 кВ А)", ...
    int span = 0;          // the limiting span of the conductor, from 1; 0 for another component
    std::string spanText;  // "12 - 13"
    std::string cause;  // "нагрев", "габарит до земли", "габарит до препятствия 2", "габарит при гололёде",
                        // "оборудование"
};

struct HourRating {
    std::int64_t utc = 0;
    int offsetMinutes = 0;
    Celsius Ta = 0;
    bool rated = false;
    std::string failure;        // why the hour has no rating
    double DDTN = 0, ADTN = 0;  // of the line, phase A
    RatingLimit ddtnLimit, adtnLimit;
    double conductorDDTN = 0, conductorADTN = 0;   // of the line conductor
    std::optional<double> staticDDTN, staticADTN;  // the limit table at the tabulated temperature at or above Ta
    // With HourlyOptions::duration: the line's short-time current (phase) and the span that sets
    // it; no current where a span's present load already holds it at its limit (that span named)
    // or the hour is not rated.
    std::optional<double> shortTime;
    RatingLimit shortTimeLimit;
};

struct SpanCount {
    int span = 0;
    std::string spanText;
    int hours = 0;
};

struct LineSummary {
    int hours = 0, rated = 0;
    double least = 0, mean = 0, greatest = 0;  // ДДТН over the rated hours
    double leastADTN = 0, meanADTN = 0, greatestADTN = 0;
    double heatShare = 0, clearanceShare = 0, equipmentShare = 0;  // of the rated hours, by the ДДТН's cause
    std::optional<double> meanGain;                                // mean of DDTN / StaticDDTN - 1 where both
    std::optional<double> meanGainA;                               // mean of DDTN - StaticDDTN, A
    std::optional<double> leastShortTime, meanShortTime;           // of the hours with a short-time current
    int shortTimeHours = 0;
    std::vector<SpanCount> weakest;  // spans limiting the ДДТН most often, at most 5
    std::string failure;             // the line is not rated at all
    std::string firstUnrated;        // the first unrated hour's reason
};

struct LineRatingResult {
    int line = 0;  // from 1
    std::string name;
    LineSummary summary;
};

// The weather series of each line (index into weather.series) or -1 without one; a line
// column naming no line of the network is refused (WeatherError naming the row and column).
std::vector<int> WeatherSeriesOfLines(const std::vector<TyLine>& lines, const WeatherData& weather);

// Rates lines `which` (from 1) of `lines` hour by hour. Each hour goes to `onHour` as soon as it
// is known, in order (the line, then its hours); only the summaries are kept. `envOf(line)` is
// the calculation environment of a line (its measurement mode and sea-level choice). Lines and
// hours are worked out on env.jobs threads; the results do not depend on their number. Cancelled
// through dlg between blocks of hours (the lines done so far are returned); progress counts hours.
// `onLine` is called with each line's summary after its hours.
std::vector<LineRatingResult> RateLinesHourly(
    const std::vector<TyLine>& lines, const std::vector<int>& which, const WeatherData& weather,
    const std::function<CalcEnv(const TyLine&)>& envOf, const HourlyOptions& options, Dialogs& dlg,
    const std::function<void(const LineRatingResult&, const HourRating&)>& onHour,
    const std::function<void(const LineRatingResult&)>& onLine = {});

// The summary as text lines (Russian, UTF-8).
std::vector<std::string> SummaryText(const LineRatingResult& r);

// The table of hours as the command's CSV and workbook and the window's export have it: the
// column titles, and one hour's cells (the number where the cell is a number, rounded as shown).
struct HourCell {
    std::string text;
    std::optional<double> number;
};
// With a short-time duration two more columns: its current and its span.
std::vector<std::string> HourColumns(std::optional<Minutes> shortTime = std::nullopt);
std::vector<HourCell> HourCells(const LineRatingResult& line, const HourRating& h,
                                std::optional<Minutes> shortTime = std::nullopt);

// Hours into the sheet "Часы" of a new workbook, saved at the end (platform/Workbook.h).
class HourlyWorkbook {
public:
    explicit HourlyWorkbook(std::optional<Minutes> shortTime = std::nullopt);
    ~HourlyWorkbook();
    void Add(const LineRatingResult& line, const HourRating& h);
    void Save(const std::string& path) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The line's hours on paper: the summary, then a fixed-width table of every hour (up to 240
// hours) or of every day (its least ДДТН and АДТН with their hours and limits).
Report HourlyReport(const LineRatingResult& line, const std::vector<HourRating>& hours);

}  // namespace qem

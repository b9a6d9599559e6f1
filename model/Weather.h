#pragma once
// Hourly weather for the hourly line ratings: a table of consecutive hours (time, air
// temperature, wind speed and direction; optionally the sky, cloud cover, measured global
// irradiance, ice wall and density, and the line a row belongs to) read from a CSV text or the
// first sheet of a workbook.
//
// CSV: UTF-8 (with or without BOM) or Windows-1251; the separator ';', tab or ','; numbers with
// a decimal point or comma; the header row names the columns in Russian or English (the unit
// after a comma or in brackets is ignored). Lines before the header that start with '#' carry
// the station: "# Широта: 55.75" / "# latitude: 55.75", "# Долгота" / "# longitude", "# Смещение
// UTC: +3" / "# UTC offset: +3"; any other such line is a note. A workbook holds the same rows
// in its first sheet (times as date cells or as text).
//
// Every value is checked: a row that is not the hour after the previous one of its line (a
// gap, a repeated or an earlier hour), a cell that is empty or not a number, or a value out of
// its range (air -60 ... +60 C, wind 0 ... 60 m/s, direction 0 ... 360, sky 0 ... 3, cloud
// cover 0 ... 100 %, irradiance 0 ... 1500 W/m2, ice wall 0 ... 10 cm, density 0 ... 1 g/cm3,
// a wall without a density) refuses the whole file with a WeatherError naming the file, the row
// and the column. Nothing is filled in.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace qem {

class Sheet;

class WeatherError : public FileError {
public:
    explicit WeatherError(const std::string& what) : FileError(what) {}
};

// Cloud cover, %, as a sky condition of the heat balance: up to 25 % (two oktas) clear (0),
// below 75 % cloudy (1), from 75 % (six oktas) overcast (2).
int SkyOfCloudCover(double percent);

struct WeatherHour {
    std::int64_t utc = 0;    // the hour's start, seconds from 1970-01-01 00:00 UTC
    int offsetMinutes = 0;   // the file's local time is UTC plus this
    int row = 0;             // row of the file, from 1 (for messages)
    double Ta = 0;           // air temperature, C
    double V = 0;            // wind speed, m/s
    double direction = 0;    // where the wind comes from, degrees from north
    int sky = -1;            // sky condition 0 ... 3 (given or from the cloud cover); -1 none
    double irradiance = -1;  // measured global irradiance, W/m2; -1 none
    double iceWall = 0;      // cm; 0 no ice
    double iceDensity = 0;   // g/cm3
    bool ice() const { return iceWall > 0; }
};

// The hours of one line (or of every line when the file has no line column), consecutive.
struct WeatherSeries {
    std::string line;  // the line column's text ("2", "ПС А-ПС Б"); empty: every line
    int firstRow = 0;  // row of its first hour
    std::vector<WeatherHour> hours;
};

struct WeatherData {
    std::string file;                           // the name the messages use
    std::optional<double> latitude, longitude;  // the station, degrees (north, east positive)
    std::optional<double> utcOffsetHours;       // of the file's header
    std::vector<std::string> notes;             // the other '#' lines
    bool hasSky = false, hasCloud = false, hasIrradiance = false, hasIce = false, hasLine = false;
    std::vector<WeatherSeries> series;  // in the order of their first rows
    std::size_t HourCount() const;
};

struct WeatherReadOptions {
    // Offset of times written without one, hours; over the file's own header.
    std::optional<double> utcOffsetHours;
};

// "2024-07-01T14:00+03:00": the hour as local time of its offset.
std::string WeatherTimeText(std::int64_t utc, int offsetMinutes);

// The weather of a CSV text; `name` is the file named in the messages.
WeatherData ParseWeatherCsv(std::string_view bytes, const std::string& name, const WeatherReadOptions& options = {});
// The weather of the first sheet of a workbook.
WeatherData ParseWeatherSheet(const Sheet& sheet, const std::string& name, const WeatherReadOptions& options = {});
// A .csv (or .txt) or .xlsx/.xls file, by its extension.
WeatherData ReadWeatherFile(const std::string& path, const WeatherReadOptions& options = {});

}  // namespace qem

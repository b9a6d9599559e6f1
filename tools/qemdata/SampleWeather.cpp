#include "tools/qemdata/SampleWeather.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "model/Cp1251.h"
#include "model/Weather.h"
#include "platform/CivilTime.h"

namespace qem {
namespace {

constexpr double kPi = 3.14159265358979323846;

// A fixed-seed generator: the files are the same on every build.
struct Random {
    std::uint64_t s;
    double uniform() {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        return (double(s >> 11) + 0.5) / double(1ULL << 53);
    }
    // Standard normal (Box-Muller).
    double normal() { return std::sqrt(-2 * std::log(uniform())) * std::cos(2 * kPi * uniform()); }
};

// The weather model, hour by hour:
//   air  Ta = 5.8 + 13.5 cos(2 pi (d - 200)/365.25) + A(d) cos(2 pi (h - 15)/24) + n_T,
//        the daily swing A = 4.5 + 2.5 cos(2 pi (d - 180)/365.25) K shrunk by clouds, n_T a
//        synoptic anomaly AR(1) with an hourly factor 0.995 and a spread of 4 K;
//   wind V = 3.0 + 1.0 cos(2 pi (h - 14)/24) + 0.8 cos(2 pi (d - 15)/365.25) + n_V, n_V AR(1)
//        (0.97, spread 1.8 m/s), not below 0, to 0.1 m/s; direction a random walk (12 deg an
//        hour) drawn towards the prevailing south-west (225 deg);
//   clouds a logistic of an AR(1) (0.98), to 10 %;
//   ice  from -6 to -0.5 C under clouds of 90 % or more while a wet spell lasts: the wall grows
//        0.05 cm an hour up to 1.5 cm, density 0.9 g/cm3; it goes when the air warms above 0 C.
struct Model {
    Random rnd{20250101};
    double nT = 0, nV = 0, dir = 225, cloud = 0, wet = 0, wall = 0;

    struct Hour {
        double Ta, V, dir, cloud, wall;
    };
    Hour Next(double day, double hour) {
        nT = 0.995 * nT + 4.0 * std::sqrt(1 - 0.995 * 0.995) * rnd.normal();
        nV = 0.97 * nV + 1.8 * std::sqrt(1 - 0.97 * 0.97) * rnd.normal();
        cloud = 0.98 * cloud + std::sqrt(1 - 0.98 * 0.98) * 1.6 * rnd.normal();
        wet = 0.97 * wet + std::sqrt(1 - 0.97 * 0.97) * rnd.normal();
        dir += 12 * rnd.normal() + 0.05 * std::remainder(225 - dir, 360);
        dir = std::fmod(dir + 360, 360);
        const double c = std::round(100 / (1 + std::exp(-cloud)) / 10) * 10;
        const double swing = (4.5 + 2.5 * std::cos(2 * kPi * (day - 180) / 365.25)) * (1 - 0.6 * c / 100);
        const double Ta = std::clamp(
            5.8 + 13.5 * std::cos(2 * kPi * (day - 200) / 365.25) + swing * std::cos(2 * kPi * (hour - 15) / 24) + nT,
            -45.0, 40.0);
        const double V = std::max(
            0.0, 3.0 + 1.0 * std::cos(2 * kPi * (hour - 14) / 24) + 0.8 * std::cos(2 * kPi * (day - 15) / 365.25) + nV);
        if (Ta > 0)
            wall = 0;
        else if (Ta >= -6 && Ta <= -0.5 && c >= 90 && wet > 1.0)
            wall = std::min(1.5, wall + 0.05);
        return {std::round(Ta * 10) / 10, std::round(V * 10) / 10, std::round(dir), c, std::round(wall * 100) / 100};
    }
};

std::string Num(double v, int decimals, char point) {
    char b[32];
    std::snprintf(b, sizeof b, "%.*f", decimals, v);
    std::string s = b;
    if (s == "-0" || s == "-0.0" || s == "-0.00") s.erase(0, 1);
    for (char& ch : s)
        if (ch == '.') ch = point;
    return s;
}

std::string LocalText(std::int64_t local, bool iso) {
    const std::int64_t day = local / 86400, sec = local % 86400;
    const CivilDate d = CivilFromDays(day);
    char b[32];
    if (iso)
        std::snprintf(b, sizeof b, "%04lld-%02u-%02uT%02d:00", d.year, d.month, d.day, int(sec / 3600));
    else
        std::snprintf(b, sizeof b, "%04lld-%02u-%02u %02d:00", d.year, d.month, d.day, int(sec / 3600));
    return b;
}

}  // namespace

std::string SampleYearWeather() {
    std::string t;
    auto line = [&](const std::string& s) { t += s + "\r\n"; };
    line(
        "# Синтетическая погода для примера сети: модель суточного и сезонного хода (tools/qemdata/SampleWeather.cpp), "
        "не наблюдения");
    line("# Широта: 55");
    line("# Долгота: 37,6");
    line("# Смещение UTC: +3");
    line(
        "Время;Температура воздуха, °C;Скорость ветра, м/с;Направление ветра, °;Облачность, %;"
        "Стенка гололёда, см;Плотность гололёда, г/см3");
    Model m;
    const std::int64_t start = DaysFromCivil(2025, 1, 1) * 86400;
    for (int i = 0; i < 8760; ++i) {
        const std::int64_t local = start + std::int64_t(i) * 3600;
        const double day = double(i / 24) + 1, hour = i % 24;
        const Model::Hour h = m.Next(day, hour);
        line(LocalText(local, false) + ";" + Num(h.Ta, 1, ',') + ";" + Num(h.V, 1, ',') + ";" + Num(h.dir, 0, ',') +
             ";" + Num(h.cloud, 0, ',') + ";" + Num(h.wall, 2, ',') + ";" + (h.wall > 0 ? "0,9" : "0"));
    }
    return Utf8ToCp1251(t);
}

std::string SampleForecastWeather() {
    std::string t;
    auto line = [&](const std::string& s) { t += s + "\n"; };
    line("# Example 240-hour forecast for the sample network (synthetic: tools/qemdata/SampleWeather.cpp)");
    line("# latitude: 55");
    line("# longitude: 37.6");
    line("time,air temperature (C),wind speed (m/s),wind direction (deg),sky condition");
    Model m;
    m.nT = 6;  // a hot spell
    m.nV = -1.5;
    const std::int64_t start = DaysFromCivil(2025, 7, 14) * 86400;
    for (int i = 0; i < 240; ++i) {
        const double day = 195 + double(i / 24), hour = i % 24;
        const Model::Hour h = m.Next(day, hour);
        const int sky = hour < 4 || hour >= 22 ? 3 : SkyOfCloudCover(h.cloud);
        line(LocalText(start + std::int64_t(i) * 3600, true) + "+03:00," + Num(h.Ta, 1, '.') + "," + Num(h.V, 1, '.') +
             "," + Num(h.dir, 0, '.') + "," + std::to_string(sky));
    }
    return t;
}

}  // namespace qem

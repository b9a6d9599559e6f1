#pragma once
// The sample weather files shipped with the program for the hourly ratings of the sample network
// (latitude 55 N, longitude 37.6 E, local time UTC+3). Synthetic, from a documented model of the
// daily and seasonal cycles with persistent random weather (tools/qemdata/SampleWeather.cpp);
// deterministic: the same bytes on every build.
#include <string>

namespace qem {

inline constexpr const char* kSampleYearWeatherFile = "Погода за год (синтетическая).csv";
inline constexpr const char* kSampleForecastFile = "Прогноз на 240 ч (пример).csv";

// A year (2025, 8760 hours) in Windows-1251 with ';', decimal commas and Russian headers: time
// without offset (the header says UTC+3), air temperature, wind speed and direction, cloud cover,
// ice wall and density.
std::string SampleYearWeather();

// 240 hours from 14.07.2025 00:00 (a hot spell) in UTF-8 with ',' and English headers, times
// with their offset, the sky condition 0 ... 3.
std::string SampleForecastWeather();

}  // namespace qem

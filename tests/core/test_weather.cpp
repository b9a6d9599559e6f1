// The weather file of the hourly ratings: what it accepts, and every refusal naming the row and
// column.
#include <gtest/gtest.h>

#include "TempFolder.h"
#include "model/Cp1251.h"
#include "model/Weather.h"
#include "platform/CivilTime.h"
#include "platform/Workbook.h"

using namespace qem;

namespace {

std::int64_t Utc(int y, unsigned m, unsigned d, int h) { return DaysFromCivil(y, m, d) * 86400 + h * 3600; }

std::string Refusal(const std::string& csv, WeatherReadOptions o = {}) {
    try {
        ParseWeatherCsv(csv, "w.csv", o);
    } catch (const WeatherError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

// The same two hours in the two usual dialects: Windows-1251 with ';' and decimal commas and
// Russian headers with the offset in the header; UTF-8 with ',' and English headers and the
// offset in the times; and as a workbook with date cells.
TEST(Weather, ReadsBothDialectsAndWorkbooks) {
    const std::string ru = Utf8ToCp1251(
        "# Синтетика\r\n# Широта: 55,5\r\n# Долгота: 37,6\r\n# Смещение UTC: +3\r\n"
        "Время;Температура воздуха, °C;Скорость ветра, м/с;Направление ветра, °;Облачность, %;Стенка гололёда, см;"
        "Плотность гололёда, г/см3\r\n"
        "2025-01-01 00:00;-7,8;3,4;217;40;0;0\r\n01.01.2025 01:00;-8,1;3;209;90;0,5;0,9\r\n");
    const std::string en =
        "\xEF\xBB\xBF# latitude: 55.5\n# longitude: 37.6\ntime,air temperature (C),wind speed (m/s),wind direction "
        "(deg),"
        "sky,irradiance\n2025-01-01T00:00+03:00,-7.8,3.4,217,1,0\n2024-12-31T22:00Z,-8.1,3,209,2,12.5\n";
    for (const std::string& text : {ru, en}) {
        const WeatherData w = ParseWeatherCsv(text, "w.csv");
        ASSERT_EQ(w.series.size(), 1u);
        const auto& h = w.series[0].hours;
        ASSERT_EQ(h.size(), 2u);
        EXPECT_EQ(*w.latitude, 55.5);
        EXPECT_EQ(*w.longitude, 37.6);
        EXPECT_EQ(h[0].utc, Utc(2024, 12, 31, 21));
        EXPECT_EQ(h[1].utc, Utc(2024, 12, 31, 22));
        EXPECT_EQ(h[0].Ta, -7.8);
        EXPECT_EQ(h[1].V, 3);
        EXPECT_EQ(h[1].direction, 209);
        EXPECT_EQ(WeatherTimeText(h[0].utc, h[0].offsetMinutes), "2025-01-01T00:00+03:00");
    }
    const WeatherData r = ParseWeatherCsv(ru, "w.csv");
    EXPECT_EQ(r.series[0].hours[0].sky, 1);  // 40 % of clouds
    EXPECT_EQ(r.series[0].hours[1].sky, 2);  // 90 %
    EXPECT_TRUE(r.series[0].hours[1].ice());
    EXPECT_EQ(r.notes, std::vector<std::string>{"Синтетика"});
    const WeatherData e = ParseWeatherCsv(en, "w.csv");
    EXPECT_EQ(e.series[0].hours[1].irradiance, 12.5);
    EXPECT_EQ(e.series[0].hours[1].offsetMinutes, 0);

    Workbook wb = Workbook::Create("Погода");
    Sheet& s = wb.FirstSheet();
    const char* head[] = {"Время", "Температура воздуха", "Скорость ветра", "Направление ветра", "Линия"};
    for (int c = 0; c < 5; ++c) s.SetText(1, c + 1, head[c]);
    for (int r = 0; r < 2; ++r) {
        s.SetText(r + 2, 1, "2025-01-01T0" + std::to_string(r) + ":00+03:00");
        s.SetNumber(r + 2, 2, -7.8);
        s.SetNumber(r + 2, 3, 3);
        s.SetNumber(r + 2, 4, 200);
        s.SetNumber(r + 2, 5, 2);
    }
    qemtest::TempFolder dir;
    const std::string file = PathToUtf8(dir / "погода.xlsx");
    wb.Save(file);
    const WeatherData x = ReadWeatherFile(file);
    ASSERT_EQ(x.series.size(), 1u);
    EXPECT_EQ(x.series[0].line, "2");
    EXPECT_EQ(x.series[0].hours[1].utc, Utc(2024, 12, 31, 22));
}

// Each kind of bad input refuses the whole file with the row and the column.
TEST(Weather, RefusesBadRowsNamingRowAndColumn) {
    const std::string head = "time,air temperature,wind speed,wind direction\n";
    const std::string ok = "2025-07-01T10:00+03:00,20,2,90\n";
    struct Case {
        std::string text;
        const char* message;
    } cases[] = {
        {head + ok + "2025-07-01T12:00+03:00,20,2,90\n",
         "строка 3, столбец 1 («time»): пропуск: после 2025-07-01T10:00+03:00 (строка 2) идёт 2025-07-01T12:00+03:00 "
         "(нет 1 ч)"},
        {head + ok + ok,
         "строка 3, столбец 1 («time»): час 2025-07-01T10:00+03:00 повторяет 2025-07-01T10:00+03:00 (строка 2)"},
        {head + ok + "2025-07-01T09:00+03:00,20,2,90\n",
         "строка 3, столбец 1 («time»): час 2025-07-01T09:00+03:00 раньше"},
        {head + ok + "2025-07-01T10:30+03:00,20,2,90\n", "строка 3, столбец 1 («time»): шаг от"},
        {head + "2025-07-01T10:00,20,2,90\n", "строка 2, столбец 1 («time»): время без смещения от UTC"},
        {head + "2025-02-30T10:00Z,20,2,90\n", "строка 2, столбец 1 («time»): «2025-02-30T10:00Z» — не время"},
        {head + "2025-07-01T10:00Z,abc,2,90\n", "строка 2, столбец 2 («air temperature»): «abc» — не число"},
        {head + "2025-07-01T10:00Z,,2,90\n", "строка 2, столбец 2 («air temperature»): пустая ячейка"},
        {head + "2025-07-01T10:00Z,61,2,90\n",
         "строка 2, столбец 2 («air temperature»): 61 вне допустимого диапазона -60 … 60 °C"},
        {head + "2025-07-01T10:00Z,-61,2,90\n", "строка 2, столбец 2 («air temperature»): -61 вне"},
        {head + "2025-07-01T10:00Z,20,-1,90\n",
         "строка 2, столбец 3 («wind speed»): -1 вне допустимого диапазона 0 … 60 м/с"},
        {head + "2025-07-01T10:00Z,20,61,90\n", "строка 2, столбец 3 («wind speed»): 61 вне"},
        {head + "2025-07-01T10:00Z,20,2,361\n",
         "строка 2, столбец 4 («wind direction»): 361 вне допустимого диапазона 0 … 360"},
        {head + "2025-07-01T10:00Z,20,2\n", "строка 2, столбец 4 («wind direction»): пустая ячейка"},
        {"time,air temperature,wind speed,wind direction,sky\n2025-07-01T10:00Z,20,2,90,1.5\n",
         "строка 2, столбец 5 («sky»): состояние неба — целое 0 … 3"},
        {"time,air temperature,wind speed,wind direction,cloud cover\n2025-07-01T10:00Z,20,2,90,120\n",
         "строка 2, столбец 5 («cloud cover»): 120 вне"},
        {"time,air temperature,wind speed,wind direction,ice wall,ice density\n2025-07-01T10:00Z,-2,2,90,1,0\n",
         "строка 2, столбец 6 («ice density»): стенка гололёда без плотности"},
        {"time,air temperature,wind,direction,speed\n", "строка 1, столбец 5: неизвестный столбец «speed»"},
        {"time,air temperature,wind speed\n" + ok, "строка 1: нет столбца «направление ветра»"},
        {"time,air temperature,wind speed,wind direction,wind\n",
         "строка 1, столбец 5: столбец «скорость ветра» уже есть"},
        {"# UTC offset: +30\n" + head + ok, "строка 1: «+30» — не смещение от UTC"},
        {head, "нет ни одного часа"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string m = Refusal(c.text);
        EXPECT_EQ(m.rfind("Файл погоды «w.csv»", 0), 0u) << m;
        EXPECT_NE(m.find(c.message), std::string::npos) << m;
    }
    // Hours of different lines are each their own sequence; a time without offset takes the
    // one given from outside over the file's.
    const std::string lines =
        "# UTC offset: +5\ntime,air temperature,wind speed,wind direction,line\n"
        "2025-07-01T10:00,20,2,90,1\n2025-07-01T10:00,21,2,90,2\n2025-07-01T11:00,20,2,90,1\n";
    WeatherReadOptions o;
    o.utcOffsetHours = 3;
    const WeatherData w = ParseWeatherCsv(lines, "w.csv", o);
    ASSERT_EQ(w.series.size(), 2u);
    EXPECT_EQ(w.series[0].hours.size(), 2u);
    EXPECT_EQ(w.series[1].hours[0].utc, Utc(2025, 7, 1, 7));
}

TEST(Weather, CloudCoverAsSky) {
    EXPECT_EQ(SkyOfCloudCover(0), 0);
    EXPECT_EQ(SkyOfCloudCover(25), 0);
    EXPECT_EQ(SkyOfCloudCover(30), 1);
    EXPECT_EQ(SkyOfCloudCover(74.9), 1);
    EXPECT_EQ(SkyOfCloudCover(75), 2);
    EXPECT_EQ(SkyOfCloudCover(100), 2);
}

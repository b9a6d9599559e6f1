// Hourly ratings from weather against their definition: the line calculation and the limit
// table with the hour's weather in every span.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "engine/Currents.h"
#include "engine/Geometry.h"
#include "engine/HeatModel.h"
#include "engine/LineReport.h"
#include "engine/SolarPosition.h"
#include "lines/CalcCommands.h"
#include "lines/Exports.h"
#include "lines/HourlyRating.h"
#include "lines/LimitTable.h"
#include "model/AppData.h"
#include "model/Cp1251.h"
#include "model/NetworkFile.h"
#include "platform/CivilTime.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Workbook.h"
#include "setup/InitialConditions.h"

using namespace qem;
namespace fs = std::filesystem;

namespace {

const fs::path kData = fs::path(QEM_BIN_DIR) / "data";
constexpr double kLongitude = 37.6;

struct Sample {
    AppData data = LoadAll(kData, false);
    std::vector<TyLine> lines = ReadNetwork(PathToUtf8(kData / fs::u8path("Пример сети.qem")));
    CalcEnv env{&data.norms, data.settings.LongTermTemp, ZamerMode::OnePoint, false, 1};
};

WeatherHour Hour(std::int64_t utc, double Ta, double V, double dir, int sky = -1) {
    WeatherHour h;
    h.utc = utc, h.offsetMinutes = 180, h.Ta = Ta, h.V = V, h.direction = dir, h.sky = sky;
    return h;
}

std::int64_t Utc(int y, unsigned m, unsigned d, int hourUtc) { return DaysFromCivil(y, m, d) * 86400 + hourUtc * 3600; }

std::vector<HourRating> Rate(const std::vector<TyLine>& lines, int line, const std::vector<WeatherHour>& hours,
                             const CalcEnv& env, HourlyOptions o) {
    WeatherData w;
    w.file = "test";
    w.series.push_back({"", 1, hours});
    ScriptedDialogs dlg;
    std::vector<HourRating> out;
    RateLinesHourly(
        lines, {line}, w, [&](const TyLine&) { return env; }, o, dlg,
        [&](const LineRatingResult&, const HourRating& h) { out.push_back(h); });
    return out;
}

// The line prepared as the line calculation prepares it, kept: the temporary sea-level points
// and the reference states from the measurements.
struct PreparedLine {
    TyLine line;
    std::vector<std::unique_ptr<SeaLevelPointsGuard>> points;
    PreparedLine(const TyLine& source, const CalcEnv& env) : line(LimitLine(source, false)) {
        for (auto& s : line.Spans) points.push_back(std::make_unique<SeaLevelPointsGuard>(s, env.mode));
        for (auto& s : line.Spans) {
            EXPECT_EQ(CheckZamerData(s, 0), "");
            RecomputeInitialConditions(s, env, 1);
        }
    }
};

// The definition at one hour: the line calculation on a copy of the prepared line with the hour's
// weather in every span; the hour's sun given to the classic rule by a latitude whose noon sun
// stands at the hour's elevation and a bearing turned by the sun's azimuth.
ConductorRating Definition(const PreparedLine& p, const WeatherHour& h, const CalcEnv& env, SunRule sun) {
    TyLine at = p.line;
    for (auto& s : at.Spans) {
        s.Tvv = float(h.Ta);
        s.Vv = float(h.V);
        s.Alfv = float(WindToSpanAngle(h.direction, s.AngP));
        s.Bgv = 0, s.Gamma = 0;
        s.Tzv = h.sky >= 0 ? h.sky : s.Tzv;
        if (sun == SunRule::Hourly) {
            const SunPosition pos = SunAt(h.utc, s.Fi, kLongitude);
            if (pos.elevation <= 0) {
                s.Tzv = 3;
            } else {
                s.Fi = float(113.5 - pos.elevation);
                s.AngP = float(s.AngP + 180 - pos.azimuth);
            }
        }
    }
    ScriptedDialogs quiet;
    Report out;
    const LineRegimeOutcome o = LineRegimeReport(at, env, quiet, out);
    EXPECT_EQ(o.end, LineRunEnd::Done) << o.error;
    return RatingFromMinima(h.Ta, o.minima, at.NSpans());
}

}  // namespace

// With the air temperature alone changing and the noon sun, each hour at a limit temperature is
// that column of the line's limit table: rows 33 and 34 (the template's result), and rows 5 and 6
// for the line conductor, within the 2 A of the stepped search.
TEST(HourlyRating, AmbientOnlyClassicIsTheLimitTable) {
    Sample s;
    std::vector<WeatherHour> hours;
    for (int c = 0; c < kLimitTemps; ++c) hours.push_back(Hour(Utc(2025, 1, 1, c), LimitTemp(c), 7, 45));
    HourlyOptions o;
    o.ambientOnly = true;
    o.sun = SunRule::Classic;
    for (int l = 1; l <= int(s.lines.size()); ++l) {
        SCOPED_TRACE(l);
        TyLine line = s.lines[std::size_t(l - 1)];
        const auto ratings = RateLineConductorAll(line, s.env, false);
        ASSERT_TRUE(ratings);
        Workbook wb = Workbook::Open(PathToUtf8(kData / fs::u8path(kLineTemplate)));
        ScriptedDialogs dlg;
        const LimitTableOutcome table =
            CalculateAllLine(line, *ratings, s.env.LongTermTemp, false, dlg, wb.FirstSheet());
        ASSERT_TRUE(table.written);
        const std::vector<HourRating> r = Rate(s.lines, l, hours, s.env, o);
        ASSERT_EQ(r.size(), hours.size());
        for (int c = 0; c < kLimitTemps; ++c) {
            SCOPED_TRACE(LimitTemp(c));
            ASSERT_TRUE(r[c].rated) << r[c].failure;
            EXPECT_NEAR(r[c].DDTN, table.limits.DDTN[c], 2);
            EXPECT_NEAR(r[c].ADTN, table.limits.ADTN[c], 2);
            EXPECT_NEAR(r[c].conductorDDTN, *(*ratings)[c].DDTN, 2);
            EXPECT_NEAR(r[c].conductorADTN, *(*ratings)[c].ADTN, 2);
            EXPECT_EQ(r[c].staticDDTN, table.limits.DDTN[c]);
        }
    }
}

// Every span of the sample network alone, at hours of sun and of night, of calm and of strong
// wind, in summer and winter: the hourly rating of its conductor is the line calculation's with
// the hour's weather, within 2 A.
TEST(HourlyRating, EverySpanAsTheLineCalculationWithTheHoursWeather) {
    Sample s;
    const std::vector<WeatherHour> hours = {
        Hour(Utc(2025, 6, 21, 9), 32, 0.6, 90),       // noon sun, calm across
        Hour(Utc(2025, 6, 21, 5), 24, 1.5, 10),       // morning sun, wind along the spans
        Hour(Utc(2025, 7, 15, 13), 38, 3.2, 200),     // afternoon
        Hour(Utc(2025, 7, 15, 22), 18, 0.3, 300),     // night, almost calm
        Hour(Utc(2025, 1, 10, 9), -18, 12.0, 45),     // winter noon, strong wind
        Hour(Utc(2025, 3, 20, 15), 5, 25.0, 135, 1),  // evening, storm, cloudy
        Hour(Utc(2025, 8, 1, 11), 44, 0.0, 0, 2),     // hot, no wind, overcast
    };
    HourlyOptions o;
    o.longitude = kLongitude;
    o.staticRating = false;
    int clearanceBound = 0, heatBound = 0;
    double worst = 0;
    for (int l = 1; l <= int(s.lines.size()); ++l) {
        for (int j = 1; j <= s.lines[std::size_t(l - 1)].NSpans(); ++j) {
            TyLine one = s.lines[std::size_t(l - 1)];
            one.Spans = {one.Span(j)};
            one.Bus1 = one.Bus2 = one.Bus3 = one.Bus4 = TyWire{};
            one.CabDDTN = one.CabADTN = 0;
            for (TyKO* k : {&one.KOSwitch1, &one.KODisc1, &one.KOTrap1, &one.KOCT1, &one.KOSwitch2, &one.KODisc2,
                            &one.KOTrap2, &one.KOCT2})
                *k = TyKO{};
            const PreparedLine p(one, s.env);
            const std::vector<HourRating> r = Rate({one}, 1, hours, s.env, o);
            for (std::size_t i = 0; i < hours.size(); ++i) {
                SCOPED_TRACE(testing::Message() << "line " << l << " span " << j << " hour " << i);
                const ConductorRating d = Definition(p, hours[i], s.env, SunRule::Hourly);
                ASSERT_TRUE(r[i].rated) << r[i].failure;
                EXPECT_NEAR(r[i].conductorDDTN, *d.DDTN, 2);
                EXPECT_NEAR(r[i].conductorADTN, *d.ADTN, 2);
                worst =
                    std::max({worst, std::fabs(r[i].conductorDDTN - *d.DDTN), std::fabs(r[i].conductorADTN - *d.ADTN)});
                (r[i].ddtnLimit.cause == "нагрев" ? heatBound : clearanceBound)++;
            }
        }
    }
    // The sample holds both kinds of spans.
    EXPECT_GT(clearanceBound, 0);
    EXPECT_GT(heatBound, 0);
    std::cout << "largest difference " << worst << " A; clearance-bound " << clearanceBound << ", heat-bound "
              << heatBound << "\n";
}

// The standards' models and the short-time current. Each span of the sample alone: where heat
// limits it, its conductor's hourly ДДТН and АДТН are the model's current at LongTermTemp and TMax
// in the hour's weather, and its 30-minute current is the model's short-time current from the
// steady state at its measured current up to TMax. The whole line: the least over its spans of
// what each gives alone (the spans whose steady current at their limit lies above the least found
// are passed over, so this checks that none of them would have set it).
TEST(HourlyRating, HeatModelsAndShortTimeCurrentAsTheirDefinition) {
    Sample s;
    const std::vector<WeatherHour> hours = {
        Hour(Utc(2025, 6, 21, 9), 32, 0.6, 90),
        Hour(Utc(2025, 7, 15, 22), 18, 0.3, 300),
        Hour(Utc(2025, 1, 10, 9), -18, 12.0, 45),
        Hour(Utc(2025, 8, 1, 11), 35, 1.0, 0, 2),
    };
    for (const HeatModel m : {HeatModel::Ieee738, HeatModel::Cigre601, HeatModel::Qem}) {
        HourlyOptions o;
        o.longitude = kLongitude;
        o.staticRating = false;
        o.model = m;
        o.duration = 30;
        int heatBound = 0, shortTimes = 0;
        for (int l = 1; l <= int(s.lines.size()); ++l) {
            const TyLine& line = s.lines[std::size_t(l - 1)];
            std::vector<std::vector<HourRating>> alone;
            for (int j = 1; j <= line.NSpans(); ++j) {
                TyLine one = line;
                one.Spans = {one.Span(j)};
                alone.push_back(Rate({one}, 1, hours, s.env, o));
                const TySpan& span = one.Span(1);
                const HeatConductor c = HeatConductorOf(span.Pr);
                for (std::size_t i = 0; i < hours.size(); ++i) {
                    SCOPED_TRACE(testing::Message()
                                 << HeatModelName(m) << " line " << l << " span " << j << " hour " << i);
                    const HourRating& r = alone.back()[i];
                    ASSERT_TRUE(r.rated) << r.failure;
                    HeatWeather w;
                    w.Ta = float(hours[i].Ta), w.V = float(hours[i].V);
                    w.windAngle = float(WindToSpanAngle(hours[i].direction, span.AngP));
                    w.elevation = span.H1, w.lineAzimuth = span.AngP;
                    w.sun = SunAt(hours[i].utc, span.Fi, kLongitude);
                    w.sky = hours[i].sky >= 0 ? hours[i].sky : (span.Tzv == 3 ? 0 : span.Tzv);
                    if (r.adtnLimit.component == "провод ВЛ" && r.adtnLimit.cause == "нагрев") {
                        ++heatBound;
                        EXPECT_NEAR(r.conductorADTN, span.Mpr * CurrentAtTempOf(m, c, w, span.Pr.TMax), 1e-3);
                        if (r.ddtnLimit.cause == "нагрев")
                            EXPECT_NEAR(r.conductorDDTN, span.Mpr * CurrentAtTempOf(m, c, w, s.env.LongTermTemp), 1e-3);
                        if (r.shortTimeLimit.cause == "нагрев") {
                            const Celsius T0 = SteadyTempOf(m, c, w, ConductorCurrent(span));
                            const std::optional<Amperes> I = ShortTimeCurrent(m, c, w, T0, span.Pr.TMax, 30);
                            ASSERT_TRUE(I && r.shortTime);
                            EXPECT_NEAR(*r.shortTime, span.Mpr * *I, 0.02);
                            // No less than what it carries for good at TMax.
                            EXPECT_GE(*r.shortTime, r.conductorADTN - 0.02);
                            ++shortTimes;
                        }
                    }
                }
            }
            const std::vector<HourRating> whole = Rate(s.lines, l, hours, s.env, o);
            for (std::size_t i = 0; i < hours.size(); ++i) {
                SCOPED_TRACE(testing::Message() << HeatModelName(m) << " line " << l << " hour " << i);
                std::optional<double> least;
                bool none = false;
                for (const auto& a : alone) {
                    if (!a[i].shortTime)
                        none = true;
                    else if (!least || *a[i].shortTime < *least)
                        least = a[i].shortTime;
                }
                ASSERT_TRUE(whole[i].rated) << whole[i].failure;
                if (none) {
                    EXPECT_FALSE(whole[i].shortTime);
                } else {
                    ASSERT_TRUE(whole[i].shortTime);
                    EXPECT_DOUBLE_EQ(*whole[i].shortTime, *least);
                    const int j = whole[i].shortTimeLimit.span;
                    ASSERT_GE(j, 1);
                    EXPECT_DOUBLE_EQ(*alone[std::size_t(j - 1)][i].shortTime, *least);
                }
            }
        }
        EXPECT_GT(heatBound, 0) << HeatModelName(m);
        EXPECT_GT(shortTimes, 0) << HeatModelName(m);
    }
}

// An hour with ice: the clearances are checked once under the ice at the air temperature; where
// one fails the line has 0 A by "габарит при гололёде", where all hold heat and equipment rate it.
TEST(HourlyRating, IceHoursCheckTheClearancesUnderIce) {
    Sample s;
    HourlyOptions o;
    o.longitude = kLongitude;
    o.staticRating = false;
    WeatherHour bare = Hour(Utc(2025, 1, 10, 9), -4, 2, 90);
    WeatherHour light = bare, heavy = bare;
    light.iceWall = 0.2, light.iceDensity = 0.9;
    heavy.iceWall = 4, heavy.iceDensity = 0.9;
    for (int l = 1; l <= 3; ++l) {
        SCOPED_TRACE(l);
        const auto r = Rate(s.lines, l, {bare, light, heavy}, s.env, o);
        ASSERT_TRUE(r[0].rated && r[1].rated && r[2].rated);
        EXPECT_EQ(r[2].conductorDDTN, 0);
        EXPECT_EQ(r[2].ddtnLimit.cause, "габарит при гололёде");
        EXPECT_NE(r[2].ddtnLimit.span, 0);
        if (r[1].ddtnLimit.cause != "габарит при гололёде") {
            // The light ice holds: the conductor is rated by its heat alone (no clearance search).
            EXPECT_GE(r[1].conductorDDTN, r[0].conductorDDTN);
            EXPECT_EQ(r[1].ddtnLimit.component == "провод ВЛ" ? r[1].ddtnLimit.cause : "нагрев", "нагрев");
        }
    }
}

// Lines and blocks of hours on any number of threads give the same hours.
TEST(HourlyRating, SameHoursOnAnyNumberOfThreads) {
    Sample s;
    const WeatherData w = ReadWeatherFile(PathToUtf8(kData / fs::u8path("Погода за год (синтетическая).csv")));
    HourlyOptions o;
    o.longitude = *w.longitude;
    o.staticRating = false;
    std::vector<std::string> runs[2];
    for (unsigned jobs : {1u, 2u}) {
        CalcEnv env = s.env;
        env.jobs = jobs;
        ScriptedDialogs dlg;
        WeatherData part = w;
        part.series[0].hours.resize(900);
        RateLinesHourly(
            s.lines, {1, 2, 3}, part, [&](const TyLine&) { return env; }, o, dlg,
            [&](const LineRatingResult& l, const HourRating& h) {
                runs[jobs - 1].push_back(std::to_string(l.line) + " " + std::to_string(h.DDTN) + " " +
                                         std::to_string(h.ADTN) + " " + h.ddtnLimit.spanText + h.ddtnLimit.cause +
                                         h.failure);
            });
    }
    EXPECT_EQ(runs[0].size(), 2700u);
    EXPECT_EQ(runs[0], runs[1]);
}

TEST(HourlyRating, WeatherOfAnUnknownLineIsRefused) {
    Sample s;
    WeatherData w;
    w.file = "w.csv";
    w.hasLine = true;
    w.series = {{"ПС Южная-ПС Северная", 2, {}}, {"2", 3, {}}, {"7", 9, {}}};
    try {
        WeatherSeriesOfLines(s.lines, w);
        FAIL();
    } catch (const WeatherError& e) {
        EXPECT_STREQ(e.what(),
                     "Файл погоды «w.csv», строка 9, столбец «линия»: линии «7» нет в сети (номер линии или "
                     "«Начало-Конец»)");
    }
    w.series.pop_back();
    EXPECT_EQ(WeatherSeriesOfLines(s.lines, w), (std::vector<int>{0, 1, -1}));
}

// The wind to a span: the acute angle between the wind's direction and the span's bearing read
// from north 0 ... 180 (stored 0 ... 90 keep their meaning).
TEST(HourlyRating, WindToSpanAngle) {
    EXPECT_EQ(WindToSpanAngle(0, 0), 0);
    EXPECT_EQ(WindToSpanAngle(180, 0), 0);
    EXPECT_EQ(WindToSpanAngle(90, 0), 90);
    EXPECT_EQ(WindToSpanAngle(270, 30), 60);
    EXPECT_EQ(WindToSpanAngle(10, 170), 20);
    EXPECT_EQ(WindToSpanAngle(350, 20), 30);
    EXPECT_EQ(WindToSpanAngle(45, 135), 90);
}

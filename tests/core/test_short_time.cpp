// The data of the standards' models beside the catalog (heatmodels.txt), the limit temperature
// and the short-time ratings of spans and lines, and the series by a model.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "engine/Clearance.h"
#include "engine/HeatBalance.h"
#include "engine/ShortTime.h"
#include "lines/Series.h"
#include "lines/ShortTimeCommands.h"
#include "model/AppData.h"
#include "model/Cp1251.h"
#include "model/NetworkFile.h"
#include "platform/ScriptedDialogs.h"
#include "tests/core/MechanicsSpan.h"
#include "tests/core/TempFolder.h"

using namespace qem;
namespace fs = std::filesystem;
using qemtest::TempFolder;

namespace {

const fs::path kData = fs::path(QEM_BIN_DIR) / "data";

Bytes B(const std::string& utf8) {
    const std::string t = Utf8ToCp1251(utf8);
    return Bytes(t.begin(), t.end());
}

}  // namespace

TEST(HeatModelData, ReadsWritesAndNamesTheBadLine) {
    const HeatModelData d =
        DecodeHeatModelData(B("# заметка\r\n\r\nEmissivity;0,5\r\nАС;240;32;3.6\r\nА;50;0;3\n"), "f");
    EXPECT_EQ(d.emissivity, 0.5);
    EXPECT_EQ(d.absorptivity, 0.8);
    ASSERT_EQ(d.strands.size(), 2u);
    const std::string text = EncodeHeatModelData(d);  // Windows-1251 already
    EXPECT_EQ(DecodeHeatModelData(Bytes(text.begin(), text.end()), "f"), d);
    EXPECT_NE(text.find("\r\nEmissivity;0.5\r\n"), std::string::npos);
    TyWire w;
    w.Name.assign(Utf8ToCp1251("АС"));
    w.SAlN = 240, w.SStN = 32;
    EXPECT_DOUBLE_EQ(OuterStrandOf(d, w), 0.36);
    w.SStN = 39;
    EXPECT_EQ(OuterStrandOf(d, w), 0);
    const struct {
        const char* text;
        const char* says;
    } bad[] = {{"Emissivity;1.2\r\n", "строка 1: излучательная"},
               {"# x\r\nAbsorptivity;0\r\n", "строка 2: поглощательная"},
               {"АС;240;32\r\n", "строка 1: ожидается"},
               {"АС;240;32;0\r\n", "диаметр наружной проволоки"},
               {"АС;сорок;32;3\r\n", "сечения"}};
    for (const auto& c : bad) {
        try {
            DecodeHeatModelData(B(c.text), "heatmodels.txt");
            ADD_FAILURE() << c.text;
        } catch (const DataFileError& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("heatmodels.txt"), std::string::npos);
        }
    }
    TempFolder dir;
    EXPECT_EQ(LoadHeatModelData(dir.path), HeatModelData{});  // no file: the defaults
}

// Every conductor of the shipped catalog has its outer strand, thinner than the conductor.
TEST(HeatModelData, ShippedFileCoversTheCatalog) {
    const AppData d = LoadAll(kData, false);
    ASSERT_GE(d.wires.NWires, 38);
    for (int k = 1; k <= d.wires.NWires; ++k) {
        const TyWire& w = d.wires.Wires[k];
        const double dOuter = OuterStrandOf(d.heat, w);
        EXPECT_GT(dOuter, 0) << Cp1251ToUtf8(w.Name.str()) << " " << w.SAlN << "/" << w.SStN;
        EXPECT_LT(dOuter, w.D / 2);
    }
    EXPECT_EQ(d.heat.emissivity, kStandardEmissivity);
    EXPECT_EQ(d.heat.absorptivity, kStandardAbsorptivity);
}

TEST(HeatModelData, SurfaceFactorsOfTheDialogAreCheckedAndWritten) {
    TempFolder dir;
    AppData d;
    d.dataDir = dir.path;
    d.heat.strands.push_back({"X", 1, 2, 3});
    ScriptedDialogs dlg;
    EXPECT_FALSE(SetSurfaceFactors(d, 1.5, 0.5, dlg));
    ASSERT_EQ(dlg.shown.size(), 1u);
    EXPECT_NE(dlg.shown[0].text.find("Излучательная"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / kHeatModelFileName));
    EXPECT_TRUE(SetSurfaceFactors(d, 0.7, 0.6, dlg));
    EXPECT_EQ(LoadHeatModelData(dir.path), d.heat);
    EXPECT_EQ(d.heat.emissivity, 0.7);
    EXPECT_EQ(d.heat.strands.size(), 1u);
}

// The limit temperature: TMax, or the temperature at the largest current the clearance search
// admits when it is lower, or the step-down temperature when it admits none; ice: TMax.
TEST(ShortTime, LimitTemperatureIsTMaxOrTheClearance) {
    TySpan s = test::ThermalSpan(0);
    s.Pr.TMax = 90;
    s.NPrep = 2;
    s.Prep[1].Lprep = 50;
    s.Prep[2].Lprep = 0.05f;  // at the support: no search
    std::vector<SpanCurrents> sec(2);
    sec[0].IGround = 5000 - 1, sec[0].IObst = 5000 - 1;
    sec[1].IObst = 10, sec[1].TObst = -20;
    EXPECT_EQ(SpanLimitTemperature(s, sec).what, "Tmax");
    sec[0].IObst = 400;
    LimitTemperature lim = SpanLimitTemperature(s, sec);
    EXPECT_EQ(lim.what, "габарит до препятствия 1");
    EXPECT_EQ(lim.T, ConductorTemp(s, s.Tvv, s.Vv, s.Alfv, 400));
    sec[0].IGround = 0, sec[0].TGround = 12;
    lim = SpanLimitTemperature(s, sec);
    EXPECT_EQ(lim.what, "габарит до земли");
    EXPECT_EQ(lim.T, 12);
    // The conductor at the present load is warmer than the clearance allows: no overload.
    s.Iv = 300;
    const SpanShortTime st = SpanShortTimeOf(HeatModel::Ieee738, HeatConductorOf(s.Pr), s, sec, {15}, 900.0);
    EXPECT_FALSE(st.ratings[0].I);
    ASSERT_TRUE(st.timeToTMax);
    s.Bgv = 0.5f;  // ice: no clearance search
    EXPECT_EQ(SpanLimitTemperature(s, sec).what, "Tmax");
}

// The line's answer is the least phase current of its spans, named by span, or none when one
// span has no overload; the time to TMax the first span's.
TEST(ShortTime, LineAnswerOfTheSampleLines) {
    AppData data = LoadAll(kData, false);
    Network net;
    net.Lines = ReadNetwork(PathToUtf8(kData / fs::u8path("Пример сети.qem")));
    RefreshConductors(net.Lines, data.wires);
    net.ResetCurSpans();
    CalcEnv env;
    env.norms = &data.norms;
    ScriptedDialogs dlg;
    int seenSome = 0;
    for (int l = 1; l <= net.NLines(); ++l) {
        net.CurLine = l;
        const TyLine& line = net.Line(l);
        const ModelChoice choice = ModelChoice::From(HeatModel::Cigre601, data.heat);
        const std::optional<LineShortTime> r =
            LineShortTimeCommand(net, env, dlg, choice, ShortTimeDurations(20), 2000.0);
        ASSERT_TRUE(r) << (dlg.shown.empty() ? "" : dlg.shown.back().text);
        ASSERT_EQ(r->ratings.size(), 3u);
        ASSERT_EQ(int(r->spans.size()), line.NSpans());
        for (const auto& rating : r->ratings) {
            std::optional<Amperes> least;
            bool none = false;
            for (int j = 1; j <= line.NSpans(); ++j) {
                const auto it = std::find_if(r->spans[j - 1].ratings.begin(), r->spans[j - 1].ratings.end(),
                                             [&](const ShortTimeRating& x) { return x.duration == rating.duration; });
                if (!it->I)
                    none = true;
                else if (!least || *it->I * line.Span(j).Mpr < *least)
                    least = *it->I * line.Span(j).Mpr;
            }
            if (none) {
                EXPECT_FALSE(rating.I);
            } else {
                ASSERT_TRUE(rating.I);
                EXPECT_DOUBLE_EQ(*rating.I, *least);
                const SpanShortTime& named = r->spans[rating.span - 1];
                const auto it = std::find_if(named.ratings.begin(), named.ratings.end(),
                                             [&](const ShortTimeRating& x) { return x.duration == rating.duration; });
                EXPECT_DOUBLE_EQ(*it->I * line.Span(rating.span).Mpr, *least);
                ++seenSome;
            }
        }
        // Shorter times allow more; the step reaches TMax first in the span named.
        for (const SpanShortTime& st : r->spans)
            if (st.ratings[0].I) {
                EXPECT_GE(*st.ratings[0].I, *st.ratings[2].I);
            }
        if (r->timeToTMax) {
            for (const SpanShortTime& st : r->spans)
                if (st.timeToTMax) {
                    EXPECT_GE(*st.timeToTMax, *r->timeToTMax);
                }
            EXPECT_EQ(r->spans[r->firstSpan - 1].timeToTMax, r->timeToTMax);
        }
    }
    EXPECT_GT(seenSome, 0);
    EXPECT_TRUE(dlg.shown.empty());
}

// The series by the program's own method chosen explicitly gives the rows of the plain series,
// under a line that names the method.
TEST(ShortTime, SeriesByTheProgramsMethodIsThePlainSeries) {
    TySpan s = test::ThermalSpan(0);
    s.Iv = 300;
    SeriesSettings st;
    st.N1 = 3, st.dT = 10, st.N3 = 3, st.dI = 150;
    Report plain, own, ieee;
    CalculationSeries(s, st, 70, plain);
    CalculationSeries(s, st, 70, own, 1, SeriesModel{HeatModel::Qem, HeatConductorOf(s.Pr)});
    CalculationSeries(s, st, 70, ieee, 1, SeriesModel{HeatModel::Ieee738, HeatConductorOf(s.Pr, 0.34)});
    ASSERT_EQ(own.lines.size(), plain.lines.size() + 1);
    EXPECT_EQ(own.lines[0].text, "Модель нагрева: Методика программы");
    for (std::size_t i = 0; i < plain.lines.size(); ++i) EXPECT_EQ(own.lines[i + 1].text, plain.lines[i].text);
    EXPECT_EQ(ieee.lines[0].text,
              "Модель нагрева: IEEE Std 738-2012, излучательная способность 0.80, поглощательная 0.80");
    EXPECT_NE(ieee.lines[4].text, plain.lines[3].text);
}

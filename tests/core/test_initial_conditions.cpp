// Reference state of a span from measurements.
#include <gtest/gtest.h>

#include <cmath>

#include "MechanicsSpan.h"
#include "engine/Loads.h"
#include "engine/StateChange.h"
#include "setup/InitialConditions.h"

using namespace qem;
using namespace qem::test;

namespace {

const std::string kWhere = "12 - 13";
const std::string kA =
    "Невозможно рассчитать напряжение в проводе, проверьте данные первого замера в пролёте № " + kWhere;
const std::string kB =
    "Невозможно рассчитать напряжение в проводе, проверьте данные второго замера в пролёте № " + kWhere;
const std::string kC =
    "Невозможно рассчитать напряжение в проводе, проверьте данные замера в середине пролёта № " + kWhere;

// A span with one mid-span measurement in slot 1.
TySpan Measured(float H2, float HMid, float windAtMeasurement = 0) {
    TySpan s = LevelSpan();
    s.H2 = H2;
    s.Zamer[1].Time = 45000.5;
    s.Zamer[1].HMid = HMid;
    s.Zamer[1].Tv = 20;
    s.Zamer[1].V = windAtMeasurement;
    return s;
}

// Height of the conductor at distance x from support 1 above the base of support 2 (the
// lower one), for a catenary of parameter a, from the closed form.
double HeightAboveSupport2(const TySpan& s, double a, double x) {
    const double L = s.Lpr, h = (s.H1 + s.Hpr1) - (s.H2 + s.Hpr2);
    const double d1 = ClosedFormD1(a, L, h);
    return (s.H1 + s.Hpr1) - a * std::cosh(d1 / a) + a * std::cosh((x - d1) / a) - s.H2;
}

}  // namespace

TEST(LatestZamer, GreatestTimeAndTiesKeepTheLowerSlot) {
    TySpan s = LevelSpan();
    EXPECT_EQ(LatestZamer(s), 1);  // no measurement
    s.Zamer[3].Time = 100;
    s.Zamer[5].Time = 200;
    s.Zamer[7].Time = 200;
    EXPECT_EQ(LatestZamer(s), 5);
    s.Zamer[10].Time = 200.001;
    EXPECT_EQ(LatestZamer(s), 10);
}

TEST(ZamerSag, SagBelowTheChordAtMidSpan) {
    TySpan s = LevelSpan();
    s.H1 = 100;
    s.H2 = 80;
    s.Hpr2 = 27;
    s.Zamer[2].HMid = 20;
    ZamerSag(s, 2);
    EXPECT_FLOAT_EQ(s.Zamer[2].FZam, 26 - 20);  // (Hpr1 + Hpr2)/2 - HMid without profile
    s.Zem[1] = {95, 150};                       // the ground at mid-span from the profile
    ZamerSag(s, 2);
    EXPECT_FLOAT_EQ(s.Zamer[2].FZam, (125 + 107) / 2.0 - 95 - 20);
}

TEST(FitSigmaOnePoint, ReproducesTheMeasuredSag) {
    struct Case {
        float H2, HMid, V;
    };
    for (const Case c : {Case{100, 20.5f, 0}, Case{90, 21, 0}, Case{120, 19, 8}}) {
        SCOPED_TRACE(::testing::Message() << "H2 " << c.H2 << " V " << c.V);
        TySpan s = Measured(c.H2, c.HMid, c.V);
        ZamerSag(s, 1);
        const double f = s.Zamer[1].FZam;
        const double sigma = FitSigmaOnePoint(s, 1);
        const double gamma1 = SpecificLoad(s.Pr, 0, 0, c.V, 300);
        const double h = (s.H1 + s.Hpr1) - (s.H2 + s.Hpr2);
        EXPECT_NEAR(MidSpanSag(sigma / gamma1, 300, h), f, 0.01);
        EXPECT_GT(sigma, 5);
        EXPECT_LT(sigma, 15);
    }
}

TEST(FitSigmaOnePoint, SagNotAboveZeroIsAClearError) {
    for (float HMid : {25.0f, 27.0f}) {
        TySpan s = Measured(100, HMid);
        ZamerSag(s, 1);
        try {
            FitSigmaOnePoint(s, 1);
            ADD_FAILURE() << "no error for a sag of " << s.Zamer[1].FZam;
        } catch (const MeasurementError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Невозможно рассчитать напряжение в проводе: стрела провеса по замеру в пролёте № 12 - 13 не "
                      "больше нуля");
        }
    }
    TySpan s = Measured(100, 25);
    s.Si = 6;
    ZamerSag(s, 1);
    EXPECT_THROW(ComputeInitialConditions(s, ZamerMode::OnePoint, false), CalcError);
    EXPECT_EQ(s.Si, 6);  // nothing stored
    TySpan noLength = Measured(100, 20);
    ZamerSag(noLength, 1);
    noLength.Lpr = 0;
    EXPECT_THROW(FitSigmaOnePoint(noLength, 1), MeasurementError);
}

TEST(FitSigmaTwoPoints, ReproducesTheMeasuredHeights) {
    TySpan s = LevelSpan();
    s.H2 = 94;  // support 2 is the lower one
    const double gamma = AC240Weight(), aTrue = 7.0 / gamma;
    s.LZam[1] = 80;
    s.LZam[2] = 220;
    s.HZam[1] = static_cast<float>(HeightAboveSupport2(s, aTrue, 80));
    s.HZam[2] = static_cast<float>(HeightAboveSupport2(s, aTrue, 220));
    const double sigma = FitSigmaTwoPoints(s, false);
    EXPECT_NEAR(sigma, 7, 0.002);
    EXPECT_NEAR(HeightAboveSupport2(s, sigma / gamma, 80), s.HZam[1], 0.002);
    EXPECT_NEAR(HeightAboveSupport2(s, sigma / gamma, 220), s.HZam[2], 0.002);

    // The same point read as a clearance above its own ground, 3 m above support 2's base.
    TySpan sea = s;
    sea.HSeaZam[1] = 97;
    sea.HZam[1] = s.HZam[1] - 3;
    sea.HSeaZam[2] = 94;
    EXPECT_NEAR(FitSigmaTwoPoints(sea, true), sigma, 1e-4);

    // Only the second point measured: its own fit.
    TySpan one = s;
    one.LZam[1] = 0;
    EXPECT_NEAR(FitSigmaTwoPoints(one, false), 7, 0.002);

    TySpan none = s;
    none.LZam[1] = none.LZam[2] = 0;
    EXPECT_THROW(FitSigmaTwoPoints(none, false), MeasurementError);
}

TEST(ComputeInitialConditions, OnePointCarriesTheFitTo25Degrees) {
    TySpan s = Measured(100, 20.5f);
    s.Tv = -3;
    s.V = 4;
    s.Bg = 1;
    ZamerSag(s, 1);
    const double sigma1 = FitSigmaOnePoint(s, 1);
    const double g = AC240Weight();
    struct Case {
        float Tv, TPr;
        double t1;  // temperature of the measured state
    };
    // The conductor temperature counts when it is known and above the air.
    for (const Case c : {Case{25, 0, 25}, Case{20, 60, 60}, Case{20, 10, 20}, Case{-10, -5, -10}}) {
        SCOPED_TRACE(::testing::Message() << "Tv " << c.Tv << " TPr " << c.TPr);
        TySpan t = s;
        t.Zamer[1].Tv = c.Tv;
        t.Zamer[1].TPr = c.TPr;
        ComputeInitialConditions(t, ZamerMode::OnePoint, false);
        EXPECT_EQ(t.Tv, 25);
        EXPECT_EQ(t.V, 0);
        EXPECT_EQ(t.Bg, 0);
        const double Si = t.Si;
        EXPECT_NEAR(Si, StateStress(s.Pr, sigma1, g, c.t1, g, 25, 300, 0), 1e-5);
        if (c.t1 == 25) {
            EXPECT_NEAR(Si, sigma1, 0.001);
        } else if (c.t1 > 25) {
            EXPECT_GT(Si, sigma1);  // cooled to 25 C: tighter
        } else {
            EXPECT_LT(Si, sigma1);
        }
    }
}

TEST(ComputeInitialConditions, TwoPointsStoreTheMeanFit) {
    TySpan s = LevelSpan();
    s.Si = 0;
    s.Tv = 10;
    s.V = 3;
    s.LZam[1] = 90;
    s.LZam[2] = 210;
    s.HZam[1] = static_cast<float>(HeightAboveSupport2(s, 9.0 / AC240Weight(), 90));
    s.HZam[2] = s.HZam[1];
    ComputeInitialConditions(s, ZamerMode::TwoPoints, false);
    EXPECT_NEAR(s.Si, 9, 0.002);
    EXPECT_EQ(s.Tv, 25);
    EXPECT_EQ(s.V, 0);
    EXPECT_EQ(s.Bg, 0);
}

TEST(CheckZamerData, TwoPointMessages) {
    TySpan good = LevelSpan();
    good.LZam[1] = 80;
    good.LZam[2] = 220;
    good.HZam[1] = 20;
    good.HZam[2] = 20;
    EXPECT_EQ(CheckZamerData(good, -1), "");
    struct Case {
        const char* what;
        void (*edit)(TySpan&);
        const std::string& msg;
    };
    const Case cases[] = {
        {"first point before support 1", [](TySpan& s) { s.LZam[1] = -1; }, kA},
        {"second point in the first half", [](TySpan& s) { s.LZam[2] = 140; }, kB},
        {"first point at 0.6 Lpr", [](TySpan& s) { s.LZam[1] = 180; }, kA},
        {"second point beyond support 2", [](TySpan& s) { s.LZam[2] = 310; }, kB},
        {"first height above support 1", [](TySpan& s) { s.HZam[1] = 126; }, kA},
        {"second height above support 2", [](TySpan& s) { s.HSeaZam[2] = 110; }, kB},
        {"last failing test wins", [](TySpan& s) { s.LZam[2] = 140, s.HZam[1] = 126; }, kA},
    };
    for (const Case& c : cases) {
        TySpan s = good;
        c.edit(s);
        EXPECT_EQ(CheckZamerData(s, -1), c.msg) << c.what;
    }
}

TEST(CheckZamerData, OnePointSwitchesTheSeaLevelReading) {
    // Supports at 100 m above sea level with 25 m suspension: the chord is at 125 m.
    struct Case {
        Byte useSea;
        float middle, HMid;
        std::string msg;
        Byte useSeaAfter;
    };
    const Case cases[] = {
        {0, 0, 20, "", 0},    // plausible as a clearance
        {0, 90, 30, "", 1},   // above the suspension points, plausible over the valley at 90 m
        {0, 90, 40, kC, 0},   // plausible in neither reading
        {1, 90, 30, "", 1},   // 90 + 30 below the chord
        {1, 110, 20, "", 0},  // over the hill at 110 m it is too high, as a clearance it fits
        {1, 110, 30, kC, 1},  // neither
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "UseSea " << int(c.useSea) << " M_middle_h " << c.middle << " HMid " << c.HMid);
        TySpan s = Measured(100, c.HMid);
        s.UseSea = c.useSea;
        s.M_middle_h = c.middle;
        EXPECT_EQ(CheckZamerData(s, 0), c.msg);
        EXPECT_EQ(s.UseSea, c.useSeaAfter);
    }
}

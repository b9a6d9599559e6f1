#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "engine/CalcError.h"
#include "engine/Loads.h"

using namespace qem;

namespace {

// Type names in Windows-1251.
const std::string kAS = "\xC0\xD1";  // АС
const std::string kA = "\xC0";       // А
const std::string kM = "\xCC";       // М
const std::string kBr = "\xC1\xF0";  // Бр
const std::string kPC =
    "\xCF"
    "C";  // ПC, Latin C

TyWire Wire(const std::string& name, float SAl, float SSt, float D = 2.16f, float MAl = 649.6f, float MSt = 302.4f) {
    TyWire w;
    w.Name.assign(name);
    w.SAlN = SAl;
    w.SStN = SSt;
    w.D = D;
    w.MAl = MAl;
    w.MSt = MSt;
    return w;
}

// АС 240/39 (ГОСТ 839-80): D 21.6 mm, 649.6 + 302.4 kg/km, S = 279 mm2.
TyWire AS240() { return Wire(kAS, 240, 39); }

}  // namespace

TEST(InterpLinear, LineCoincidentAndInvalidAbscissas) {
    EXPECT_DOUBLE_EQ(InterpLinear(50, 1.2, 100, 1.1, 75), 1.15);
    EXPECT_DOUBLE_EQ(InterpLinear(50, 1.2, 100, 1.1, 150), 1.0);  // extends the line
    EXPECT_EQ(InterpLinear(10, 3, 10, 7, 10), 3);                 // coincident: y1, no division
    EXPECT_EQ(InterpLinear(10, 3, 10.0005, 7, 10), 3);
    EXPECT_EQ(InterpLinear(10, 3, 5, 7, 8), 3);  // x2 below x1
    EXPECT_EQ(InterpLinear(10, 3, std::numeric_limits<double>::quiet_NaN(), 7, 8), 0);
    EXPECT_EQ(InterpLinear(0, 0, 1, 1, std::numeric_limits<double>::infinity()), 0);
}

TEST(TableFactor, SpanLengthAndWindFactors) {
    const struct {
        double x, kl;
    } spans[] = {{0, 1.2}, {40, 1.2}, {50, 1.2}, {75, 1.15}, {125, 1.075}, {200, 1.0}, {250, 1.0}};
    for (const auto& c : spans) EXPECT_NEAR(TableFactor(KlTable, c.x), c.kl, 1e-12) << c.x;
    const struct { double V, aw; } winds[] = {{0, 1.0}, {19.9, 1.0}, {20, 1.0}, {27.5, 0.80}, {35, 0.70}, {50, 0.70}};
    for (const auto& c : winds) EXPECT_NEAR(TableFactor(AlfaWTable, c.V), c.aw, 1e-12) << c.V;
}

TEST(WireModulus, SectionsAndTypeNames) {
    // АС 240/39: (6300 b + 20000)/(b + 1), b = 240/39, much nearer aluminium than steel.
    const double E = WireModulus(AS240());
    EXPECT_NEAR(E, 8215.05, 0.01);
    EXPECT_GT(E - 6300, 0);
    EXPECT_LT(E - 6300, (20000 - 6300) / 5.0);
    const struct {
        std::string name;
        float SAl, SSt;
        double E;
    } cases[] = {
        {kA, 240, 0, 6300},          {kA, 240, 39, 6300},           // aluminium whatever the sections
        {kM, 120, 0, 13000},         {kM + "\xC3", 120, 0, 13000},  // МГ begins with М
        {kBr, 95, 0, 13000},         {kBr + "2", 95, 0, 6300},      // Бр is compared whole
        {"C", 0, 50, 20000},         {kPC, 0, 70, 20000},           // steel
        {kAS, 0, 50, 20000},         {"\xD2\xCA", 0, 50, 20000},    // no aluminium: 20000 whatever the name
        {kAS, 240, 0, 6300},         {"XYZ", 95, 0, 6300},          // no steel: the section rule stands
        {"XYZ", 240, 39, 8215.0538}, {kAS + "\xCA\xD1", 240, 39, 8215.0538},
    };
    for (const auto& c : cases) EXPECT_NEAR(WireModulus(Wire(c.name, c.SAl, c.SSt)), c.E, 0.01) << c.name;
}

// Steel-aluminium: the stiffness-weighted mean of steel (1.2e-5) and aluminium (2.3e-5) gives the
// handbook coefficients 19.2e-6 of АС 240/39 and of АС 95/16.
TEST(WireExpansion, SteelAluminiumMatchesHandbookValues) {
    EXPECT_NEAR(WireExpansion(AS240()), 1.92e-5, 0.01e-5);
    EXPECT_NEAR(WireExpansion(Wire(kAS, 95, 16, 1.35f)), 1.92e-5, 0.01e-5);
    // More steel, nearer steel: АС 95/141 (b = 0.67) is well below 1.92e-5.
    EXPECT_LT(WireExpansion(Wire(kAS, 95, 141)), 1.6e-5);
}

TEST(WireExpansion, SectionAndNameRules) {
    const struct {
        std::string name;
        float SAl, SSt;
        double alpha;
    } cases[] = {
        {kA, 240, 0, 2.3e-5},        {kM, 120, 0, 1.7e-5},  {kBr, 95, 0, 1.7e-5},
        {"C", 0, 50, 1.2e-5},        {kPC, 0, 70, 1.2e-5},  {kAS, 240, 0, 2.3e-5},  // АС without steel: no NaN
        {kAS, 0, 50, 1.2e-5},        {"XYZ", 0, 0, 2.3e-5}, {"XYZ", 0, 50, 1.2e-5},
        {"XYZ", 240, 39, 1.9257e-5},  // unknown name with both sections: steel-aluminium
    };
    for (const auto& c : cases)
        EXPECT_NEAR(WireExpansion(Wire(c.name, c.SAl, c.SSt)), c.alpha, 1e-9) << c.name << " " << c.SAl;
}

// Hand values for АС 240/39: own weight 0.952 kg/m, ice of 1 cm at 0.9 g/cm3
// pi 0.9 1 (2.16 + 1) 0.1 = 0.8935 kg/m; wind on 21.6 mm at 20 m/s, 200 m span, Cx 1.1:
// 6.25e-5 1.1 21.6 400 = 0.594 kg/m.
TEST(SpecificLoad, FourLoadCasesByHand) {
    const TyWire w = AS240();
    EXPECT_NEAR(SpecificLoad(w, 0, 0.9, 0, 300), 0.952 / 279, 1e-9);  // own weight only
    EXPECT_NEAR(SpecificLoad(w, 0, 0.9, 0, 300), WeightSpecificLoad(w), 1e-12);
    EXPECT_NEAR(SpecificLoad(w, 1, 0.9, 0, 300), 0.0066145841, 1e-9);   // weight and ice
    EXPECT_NEAR(SpecificLoad(w, 0, 0.9, 20, 200), 0.0040219143, 1e-9);  // weight and wind, Cx 1.1
    EXPECT_NEAR(WindSpecificLoad(w, 20, 200), 0.594 / 279, 1e-9);
    // Ice and wind at 25 m/s (aw 0.85) on a 100 m span (Kl 1.1), wind on 21.6 + 20 mm, Cx 1.2.
    EXPECT_NEAR(SpecificLoad(w, 1, 0.9, 25, 100), 0.0092982926, 1e-9);
    // Below 0.01 an ice wall or wind counts as absent.
    EXPECT_NEAR(SpecificLoad(w, 0.005, 0.9, 0, 300), 0.952 / 279, 1e-9);
    EXPECT_NEAR(SpecificLoad(w, 0, 0.9, 0.005, 300), 0.952 / 279, 1e-9);
}

TEST(SpecificLoad, DragCoefficient) {
    // Any ice wall, however thin, switches to 1.2 (here 0.005 cm: the ice weight is left out, the drag is not).
    const TyWire w = AS240();
    const double p1 = 0.952, p4 = 0.594;  // kg/m, Cx 1.1
    EXPECT_NEAR(SpecificLoad(w, 0.005, 0.9, 20, 200), std::hypot(p1, p4 * 1.2 / 1.1) / 279, 1e-9);
    // A bare conductor below 2 cm has 1.2, from 2 cm on 1.1.
    auto bareWindRatio = [](float D) {
        const TyWire c = Wire(kAS, 240, 39, D);
        return WindSpecificLoad(c, 20, 200) * 279 / (6.25e-5 * double(D) * 10 * 400);
    };
    EXPECT_NEAR(bareWindRatio(1.99f), 1.2, 1e-9);
    EXPECT_NEAR(bareWindRatio(2.0f), 1.1, 1e-9);
}

TEST(AllowableStress, BreakingForceOverSafetyFactorTwo) {
    TySpan s;
    s.Pr = AS240();
    s.PrBreak = 80895;  // N
    EXPECT_NEAR(AllowableStress(s), 80895 / 279.0 / 9.81 / 2, 1e-9);
    EXPECT_NEAR(AllowableTension(s), 4123.0887, 1e-4);
}

TEST(SpecificLoad, ZeroSectionIsACalculationError) {
    TySpan s;
    s.Pr = Wire(kAS, 0, 0);
    s.PrBreak = 1000;
    EXPECT_THROW(SpecificLoad(s.Pr, 0, 0.9, 0, 100), CalcError);
    EXPECT_THROW(WindSpecificLoad(s.Pr, 20, 100), CalcError);
    EXPECT_THROW(WeightSpecificLoad(s.Pr), CalcError);
    EXPECT_THROW(AllowableStress(s), CalcError);
}

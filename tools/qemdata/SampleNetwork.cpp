#include "tools/qemdata/SampleNetwork.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "engine/Geometry.h"
#include "engine/Loads.h"
#include "engine/StateChange.h"
#include "model/Cp1251.h"
#include "model/Network.h"
#include "setup/InitialConditions.h"
#include "setup/ZamerTemp.h"

namespace qem {
namespace {

// Deterministic pseudo-random numbers (the sample must be the same on every build).
struct Lcg {
    std::uint64_t s;
    double next() {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        return double(s >> 11) / double(1ULL << 53);
    }
    double in(double a, double b) { return a + (b - a) * next(); }
};

const TyWire& FindConductor(const WireCatalog& cat, const char* nameUtf8, float sal, float sst, float* brk) {
    const std::string name = Utf8ToCp1251(nameUtf8);
    for (int k = 1; k <= cat.NWires; ++k) {
        const TyWire& w = cat.Wires[k];
        if (w.Name.str() == name && w.SAlN == sal && w.SStN == sst) {
            *brk = cat.WireBreak[k];
            return w;
        }
    }
    throw std::runtime_error(std::string("conductor not in the catalog: ") + nameUtf8);
}

const TyKO* FindEquipment(const KOCat& ko, int kind, int kv) {
    for (const auto& e : ko)
        if (e.Kind == kind && e.U == kv * 1000) return &e;
    return nullptr;
}

struct ObstacleSpec {
    int span;       // 1-based span of the line
    double at;      // fraction of the span length
    int type;       // TPrp
    double height;  // Hprep, m
};

struct LineSpec {
    const char* from;
    const char* to;
    int nvl;
    int uvl;
    int spans;
    const char* wire;
    float sal, sst;
    int mpr;
    double lmin, lmax;        // span lengths, m
    double hmin, hmax;        // suspension heights, m
    double ground0;           // elevation of the route start, m
    double reliefA, reliefB;  // relief amplitudes, m
    double si;                // reference stress at 25 C, kgf/mm2
    double iv;                // line current of the regime, A
    double izam;              // current of one conductor at the measurement, A
    int tm;                   // terrain type
    double angp;              // orientation of the route to the meridian
    std::vector<ObstacleSpec> obstacles;
    std::uint64_t seed;
};

// Elevation of the route at chainage x.
double Relief(const LineSpec& l, double x) {
    return l.ground0 + l.reliefA * std::sin(x / 1700.0) + l.reliefB * std::sin(x / 430.0 + 0.7);
}

void FillSpan(TySpan& s, const LineSpec& l, int j, double x0, double L, double h1, double h2, Lcg& rnd,
              const TyWire& wire, float brk) {
    s.Nop1.assign(std::to_string(j));
    s.Nop2.assign(std::to_string(j + 1));
    s.Pr = wire;
    s.PrBreak = brk;
    s.Mpr = l.mpr;
    s.Lpr = float(std::round(L));
    s.Lapr = s.Lpr;
    s.H1 = float(std::round(Relief(l, x0) * 100) / 100);
    s.H2 = float(std::round(Relief(l, x0 + L) * 100) / 100);
    s.Hpr1 = float(h1);
    s.Hpr2 = float(h2);
    s.AngP = float(l.angp);
    s.Fi = 55;
    s.TM = l.tm;
    s.RegG = 2;
    s.RegV = 2;
    // Route profile: three to five points with the relief and an occasional hillock.
    const int n = 3 + int(rnd.next() * 3);
    for (int i = 1; i <= n; ++i) {
        const double f = double(i) / (n + 1);
        double z = Relief(l, x0 + f * s.Lpr);
        if (i == (n + 1) / 2 && rnd.next() < 0.3) z += rnd.in(1.0, 3.0);
        s.Zem[i].ZemL = float(std::round(f * s.Lpr * 10) / 10);
        s.Zem[i].ZemH = float(std::round(z * 100) / 100);
    }
    for (const auto& o : l.obstacles) {
        if (o.span != j) continue;
        const int k = ++s.NPrep;
        s.Prep[k].Lprep = float(std::round(o.at * s.Lpr));
        s.Prep[k].Hprep = float(o.height);
        s.Prep[k].TPrp = o.type;
    }
    // Regime of the source data page.
    s.Tvv = 25;
    s.Vv = 1;
    s.Alfv = 90;
    s.Iv = float(l.iv);
    s.Tzv = 0;
}

// A mid-span measurement on a clear July afternoon in light wind, consistent with the
// reference stress l.si: the conductor temperature from the heat balance of the measurement,
// the stress carried there by the state-change equation, the sag of that state.
void Measure(TySpan& s, const LineSpec& l, int j, Lcg& rnd) {
    TyZamer& z = s.Zamer[1];
    z.Time = 45853.0 + 0.58 + 0.002 * j;  // 15.07.2025 about 14:00
    z.Tzv = 0;
    z.Tv = float(std::round(rnd.in(21, 26)));
    z.V = float(std::round(rnd.in(0.5, 3.0) * 10) / 10);
    z.Alf = 60;
    z.I = float(std::round(l.izam * l.mpr * rnd.in(0.9, 1.1)));  // the line current the crew reads
    ZamerConductorTemp(s, 1);
    const double h = (double(s.H1) + s.Hpr1) - (double(s.H2) + s.Hpr2);
    const double gamma2 = SpecificLoad(s.Pr, 0, 0, 0, s.Lpr);
    const double gamma1 = SpecificLoad(s.Pr, 0, 0, z.V, s.Lpr);
    const double t1 = z.TPr > 0 && z.TPr > z.Tv ? double(z.TPr) : double(z.Tv);
    const double sigma1 = StateStress(s.Pr, l.si, gamma2, 25, gamma1, t1, s.Lpr, h);
    const LowestPointResult lp = LowestPoint(gamma1, sigma1, s.Lpr, h);
    const double a = sigma1 / gamma1;
    const double r1 = a * (std::cosh(lp.d1 / a) - 1), r2 = a * (std::cosh(lp.d2 / a) - 1);
    const double sag = SagAt(s.Lpr / 2 - lp.d1, s.Lpr, lp.d1, r1, r2, gamma1, sigma1);
    const double chord = (double(s.H1) + s.Hpr1 + s.H2 + s.Hpr2) / 2;
    z.HMid = float(std::round((chord - GroundMidElevation(s) - sag) * 100) / 100);
    ZamerSag(s, 1);
    ComputeInitialConditions(s, ZamerMode::OnePoint, false);
}

TyLine BuildLine(const LineSpec& l, const WireCatalog& cat, const KOCat& ko) {
    float brk = 0;
    const TyWire& wire = FindConductor(cat, l.wire, l.sal, l.sst, &brk);
    TyLine line = NewLine(wire, 45853.0);
    line.From.assign(Utf8ToCp1251(l.from));
    line.To.assign(Utf8ToCp1251(l.to));
    line.NVL = l.nvl;
    line.Uvl = Byte(l.uvl);
    line.Spans.clear();
    Lcg rnd{l.seed};
    std::vector<double> heights;
    for (int j = 0; j <= l.spans; ++j) heights.push_back(std::round(rnd.in(l.hmin, l.hmax) * 10) / 10);
    double x = 0;
    for (int j = 1; j <= l.spans; ++j) {
        TySpan s = NewSpan(wire, 45853.0);
        const double L = rnd.in(l.lmin, l.lmax);
        FillSpan(s, l, j, x, L, heights[j - 1], heights[j], rnd, wire, brk);
        Measure(s, l, j, rnd);
        x += s.Lpr;
        line.Spans.push_back(s);
    }
    const int kv = std::stoi(kVoltageText[l.uvl]);
    struct Slot {
        TyKO* a;
        TyKO* b;
        int kind;
    } slots[] = {{&line.KOSwitch1, &line.KOSwitch2, 0},
                 {&line.KODisc1, &line.KODisc2, 1},
                 {&line.KOTrap1, &line.KOTrap2, 2},
                 {&line.KOCT1, &line.KOCT2, 3}};
    for (const auto& sl : slots)
        if (const TyKO* e = FindEquipment(ko, sl.kind, kv)) *sl.a = *sl.b = *e;
    return line;
}

}  // namespace

std::vector<TyLine> BuildSampleNetwork(const WireCatalog& cat, const KOCat& ko) {
    const std::vector<LineSpec> specs = {
        {"ПС Южная",
         "ПС Северная",
         112,
         4,
         26,
         "АС",
         150,
         24,
         1,
         190,
         290,
         15,
         19.5,
         142,
         6,
         4,
         6.5,
         380,
         250,
         1,
         35,
         {{4, 0.45, 9, 0}, {9, 0.6, 6, 9.5}, {13, 0.35, 10, 0}, {18, 0.5, 8, 7}, {18, 0.7, 9, 0}, {23, 0.3, 5, 9}},
         11},
        {"ПС Заречная",
         "ПС Озёрная",
         214,
         3,
         32,
         "АС",
         300,
         39,
         1,
         260,
         380,
         20,
         26,
         96,
         9,
         3,
         7.0,
         690,
         420,
         1,
         60,
         {{3, 0.5, 4, 10},
          {7, 0.4, 9, 0},
          {12, 0.55, 10, 0},
          {16, 0.3, 8, 6},
          {21, 0.5, 6, 10},
          {27, 0.45, 9, 0},
          {27, 0.65, 7, 9}},
         22},
        {"ПС Восточная",
         "ПС Западная",
         501,
         1,
         40,
         "АС",
         400,
         51,
         3,
         330,
         450,
         27,
         33,
         175,
         12,
         5,
         7.5,
         1800,
         350,
         1,
         20,
         {{5, 0.3, 3, 14}, {11, 0.45, 9, 0}, {17, 0.6, 10, 0}, {24, 0.35, 4, 12}, {30, 0.4, 9, 0}, {36, 0.5, 6, 11}},
         33},
    };
    std::vector<TyLine> lines;
    for (const auto& l : specs) lines.push_back(BuildLine(l, cat, ko));
    // Busbar connections and buses at the substations, and a cable insert on the 110 kV line.
    float brk = 0;
    lines[0].Bus1 = lines[0].Bus2 = FindConductor(cat, "АС", 240, 39, &brk);
    lines[0].Bus3 = lines[0].Bus4 = FindConductor(cat, "АС", 300, 39, &brk);
    lines[0].CabDDTN = 520;
    lines[0].CabADTN = 610;
    lines[1].Bus1 = lines[1].Bus2 = FindConductor(cat, "АС", 400, 51, &brk);
    lines[2].Bus1 = lines[2].Bus2 = FindConductor(cat, "АС", 500, 64, &brk);
    lines[2].NBus1 = lines[2].NBus2 = 3;
    lines[2].Bus3 = lines[2].Bus4 = FindConductor(cat, "АС", 600, 72, &brk);
    lines[2].NBus3 = lines[2].NBus4 = 2;
    return lines;
}

}  // namespace qem

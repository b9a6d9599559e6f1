#pragma once
// Spans, a line and norms for the report tests, and independent checks of the clearance
// searches: the limits are found by a plain scan in 1 A steps, not by the program's own
// refinement of 100, 10 and 1 A.
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "MechanicsSpan.h"
#include "engine/CalcEnv.h"
#include "engine/HeatBalance.h"
#include "engine/Report.h"
#include "engine/StateChange.h"
#include "model/Cp1251.h"
#include "model/Norms.h"

namespace qem::test {

// Ground 5.5 m everywhere, a crossed line 3 m, every object 5 m.
inline Norms ReportNorms() {
    Norms n;
    for (auto& row : n.NormGround)
        for (float& v : row) v = 5.5f;
    for (auto& row : n.NormCross) row[0] = 3;
    for (auto& row : n.NormObst)
        for (float& v : row) v = 5;
    return n;
}

// The environment of the report tests: the norms above, 70 C long-term, the given mode.
inline CalcEnv Env(ZamerMode mode = ZamerMode::OnePoint) {
    static const Norms norms = ReportNorms();
    CalcEnv e;
    e.norms = &norms;
    e.LongTermTemp = 70;
    e.mode = mode;
    return e;
}

// 110 kV line "ПС Лесная"-"ПС Озёрная".
inline TyLine TestLine() {
    TyLine l;
    l.From.assign(Utf8ToCp1251("ПС Лесная"));
    l.To.assign(Utf8ToCp1251("ПС Озёрная"));
    l.Uvl = 4;
    l.NBus1 = l.NBus2 = l.NBus3 = l.NBus4 = 1;
    return l;
}

// The level 300 m span of АС 240/39 with 13 m suspension, two conductors per phase carrying
// 600 A, 25 C, 1 m/s across, cloudy; a crossed 110 kV line 3 m high at 100 m (norm 3 m) and a
// road 4 m high at 200 m (norm 5 m, not kept).
inline TySpan TwoObstacleSpan() {
    TySpan s = LevelSpan();
    s.Hpr1 = s.Hpr2 = 13;
    s.Mpr = 2;
    s.Iv = 600;
    s.Vv = 1;
    s.Alfv = 90;
    s.Tzv = 1;
    s.Fi = 55;
    s.NPrep = 2;
    s.Prep[1].Lprep = 100;
    s.Prep[1].Hprep = 3;
    s.Prep[1].TPrp = 4;
    s.Prep[2].Lprep = 200;
    s.Prep[2].Hprep = 4;
    s.Prep[2].TPrp = 9;
    return s;
}

inline std::string F(const char* fmt, double v) {
    char b[64];
    std::snprintf(b, sizeof b, fmt, v);
    return b;
}

// The state of a copy of the span at conductor temperature T for obstacle k.
inline SpanResult StateAt(const TySpan& span, int k, double T) {
    TySpan s = span;
    SpanResult r;
    SpanState(s, k, T, r);
    return r;
}

inline double TempAt(const TySpan& s, double I) { return ConductorTemp(s, s.Tvv, s.Vv, s.Alfv, I); }

// The whole current just below the first one (counting up from 0 A by 1 A, below 5000 A) at
// which `keeps` fails; 0 when it fails at 0 A. A plain scan: the first failure is what counts.
inline int LargestCurrent(const std::function<bool(double)>& keeps) {
    int I = 0;
    while (I < 5000 && keeps(I)) ++I;
    return I == 0 ? 0 : I - 1;
}

struct Limit {
    double I = 0, T = 0;
};

// Ground and obstacle limits of the regime reports: the current and the temperature at the
// first current that fails; with no admissible current the temperature, cooling from the air
// temperature in whole kelvins, at which the clearance is kept (or stops being positive). The
// obstacle clearance is signed: an object above the conductor is never cleared.
inline Limit GroundSearch(const TySpan& s, double norm) {
    Limit l;
    l.I = LargestCurrent([&](double I) { return StateAt(s, 1, TempAt(s, I)).ClrGround > norm; });
    if (l.I > 0) {
        l.T = TempAt(s, l.I + 1);
    } else {
        l.T = s.Tvv - 1;
        for (SpanResult r = StateAt(s, 1, l.T); r.ClrGround < norm && r.ClrMin > 0 && l.T > -50; r = StateAt(s, 1, l.T))
            l.T -= 1;
    }
    return l;
}
inline Limit ObstacleSearch(const TySpan& s, int k, double norm) {
    Limit l;
    l.I = LargestCurrent([&](double I) { return StateAt(s, k, TempAt(s, I)).ClrObst > norm; });
    if (l.I > 0) {
        l.T = TempAt(s, l.I + 1);
    } else {
        l.T = s.Tvv - 1;
        for (double c = StateAt(s, k, l.T).ClrObst; c < norm && c > 0 && l.T > -50; c = StateAt(s, k, l.T).ClrObst)
            l.T -= 1;
    }
    return l;
}

// Lines of a report as "R|text" for red, "B|text" for blue and "|text" for black, so that a
// mismatch shows the line and its colour together.
inline std::vector<std::string> Marked(const Report& r) {
    std::vector<std::string> v;
    for (const auto& l : r.lines)
        v.push_back(std::string(l.colour == Colour::Red ? "R" : l.colour == Colour::Blue ? "B" : "") + "|" + l.text);
    return v;
}

// Line by line, so that a mismatch names the line.
inline ::testing::AssertionResult SameLines(const std::vector<std::string>& actual,
                                            const std::vector<std::string>& expected) {
    for (std::size_t i = 0; i < actual.size() && i < expected.size(); ++i)
        if (actual[i] != expected[i])
            return ::testing::AssertionFailure()
                   << "line " << i << "\n  actual:   " << actual[i] << "\n  expected: " << expected[i];
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << actual.size() << " lines, expected " << expected.size();
    return ::testing::AssertionSuccess();
}

inline bool StartsWith(const std::string& s, const std::string& p) { return s.rfind(p, 0) == 0; }

}  // namespace qem::test

#pragma once
// Lines of many spans built from formulas (no random numbers, so every build makes the same
// line): a uniform 110 kV line of АС 240/39 for the speed measurements, and a varied one whose
// whole line report is kept as a fixture.
#include <cstdio>
#include <string>
#include <utility>

#include "engine/Geometry.h"
#include "model/Norms.h"
#include "model/QEMcom.h"

namespace qem::test {

// Catalog conductors (ГОСТ 839-80): 0 АС 240/39, 1 АС 120/19, 2 АС 400/51.
inline TyWire CatalogWire(int kind) {
    TyWire w;
    w.Name.assign("\xC0\xD1");  // АС
    w.TMax = 90;
    w.AlfaR = 0.00403f;
    switch (kind) {
        case 1:
            w.SAlN = 120, w.SStN = 19, w.D = 1.52f, w.DSt = 0.56f, w.R = 0.2440f, w.MAl = 323.6f, w.MSt = 147.4f;
            break;
        case 2:
            w.SAlN = 400, w.SStN = 51, w.D = 2.75f, w.DSt = 0.92f, w.R = 0.0733f, w.MAl = 1089.4f, w.MSt = 400.6f;
            break;
        default:
            w.SAlN = 240, w.SStN = 39, w.D = 2.16f, w.DSt = 0.8f, w.R = 0.1222f, w.MAl = 649.6f, w.MSt = 302.4f;
            break;
    }
    return w;
}

inline float CatalogBreak(int kind) { return kind == 1 ? 41521.0f : kind == 2 ? 120481.0f : 80895.0f; }

// Norms of a 110 kV line (class 4) under the current rules: ground 7/6/5/3 m by terrain,
// 3 m to a crossed line, building 4 m, road 7 m, railway 7.5 m.
inline Norms Norms110() {
    Norms n;
    const float ground[4] = {7, 6, 5, 3};
    for (int c = 0; c < 8; ++c) {
        for (int t = 0; t < 4; ++t) n.NormGround[c][t] = ground[t];
        n.NormCross[c][0] = 3;
        n.NormObst[c][0] = 4;
        n.NormObst[c][1] = 7;
        n.NormObst[c][2] = 7.5f;
        n.NormObst[c][3] = 7.5f;
        n.NormObst[c][4] = 7.5f;
    }
    return n;
}

// Own weight of a conductor per metre and mm2 of its nominal section.
inline double WireWeight(const TyWire& w) { return (double(w.MAl) + double(w.MSt)) / 1000.0 / (w.SAlN + w.SStN); }

// A mid-span height measurement of span s whose sag below the chord is the parabolic sag at
// stress sigma, less `offset` metres.
inline void MeasuredHeight(TySpan& s, double sigma, double offset) {
    const double chord = (double(s.H1) + s.Hpr1 + double(s.H2) + s.Hpr2) / 2.0;
    const double sag = double(s.Lpr) * s.Lpr * WireWeight(s.Pr) / (8.0 * sigma);
    s.Zamer[1].HMid = float(chord - GroundMidElevation(s) - sag + offset);
}

// Span j (from 1) of a line: 250..400 m, supports 20..30 m, a five-point route profile, a
// crossed 35 kV line and a road, reference stress 7..8 kgf/mm2 at 25 C, 25 C air, 1 m/s across,
// 600 A, clear sky; a measurement at mid-span consistent with the reference state.
inline TySpan UniformSpan(int j) {
    TySpan s;
    const std::string n1 = std::to_string(j), n2 = std::to_string(j + 1);
    s.Nop1.assign(n1.c_str());
    s.Nop2.assign(n2.c_str());
    s.Mpr = 1;
    s.Pr = CatalogWire(0);
    s.PrBreak = CatalogBreak(0);
    s.Lpr = float(250 + (j * 37) % 151);
    s.Si = float(7.0 + 0.1 * ((j * 7) % 11));
    s.Tv = 25;
    s.H1 = float(100 + (j * 13) % 9);
    s.H2 = float(100 + ((j + 1) * 13) % 9);
    s.Hpr1 = float(20 + (j * 3) % 11);
    s.Hpr2 = float(20 + ((j + 1) * 3) % 11);
    for (int i = 1; i <= 5; ++i) {
        const double x = s.Lpr * i / 6.0;
        const double ground = s.H1 + (s.H2 - s.H1) * x / s.Lpr;
        s.Zem[i] = {float(ground - 1.5 + ((j + i) % 4)), float(x)};
    }
    s.NPrep = 2;
    s.Prep[1] = {float(s.Lpr * 0.3), 12.0f, 0, 0, 0, 5};  // ВЛ 35кВ
    s.Prep[2] = {float(s.Lpr * 0.65), 0.5f, 0, 0, 0, 9};  // Автомобильная дорога
    s.Fi = 55;
    s.AngP = 90;
    s.Tvv = 25;
    s.Vv = 1;
    s.Alfv = 90;
    s.Iv = 600;
    s.Tzv = 0;
    s.TM = 0;
    s.RasUsl = 1;
    // Measured at 20 C, 300 A, calm, on 15 June 2023 at noon, with a mid-span height that the
    // reference state roughly reproduces.
    TyZamer& z = s.Zamer[1];
    z.Time = 45092.5;
    z.Tzv = 0;
    z.Tv = 20;
    z.I = 300;
    z.V = 0;
    z.Alf = 90;
    MeasuredHeight(s, s.Si, 0.3 * ((j % 5) - 2));
    return s;
}

inline TyLine UniformLine(int spans) {
    TyLine l;
    l.From.assign("\xCF\xD1 \xC0");  // ПС А
    l.To.assign("\xCF\xD1 \xC1");    // ПС Б
    l.Uvl = 4;                       // 110 kV
    for (int j = 1; j <= spans; ++j) l.Spans.push_back(UniformSpan(j));
    return l;
}

// A line whose spans differ in everything the line report reads: conductor, conductors per
// phase, 0..3 obstacles of every kind, sky, terrain, wind, current (some above the
// conductor's limit), ice, steep spans, high ground, supports too low for their norm.
inline TyLine VariedLine(int spans) {
    TyLine l = UniformLine(spans);
    for (int j = 1; j <= spans; ++j) {
        TySpan& s = l.Span(j);
        const int wire = j % 3;
        s.Pr = CatalogWire(wire);
        s.PrBreak = CatalogBreak(wire);
        s.Mpr = 1 + (j % 7 == 3) + (j % 11 == 5);
        s.Si = float(5.5 + 0.25 * ((j * 5) % 13));
        s.Tv = float(j % 4 == 0 ? 15 : 25);
        s.Tzv = j % 4;
        s.TM = (j / 4) % 4;
        s.Vv = float((j * 3) % 8) * 0.75f;
        s.Alfv = float((j * 17) % 91);
        s.Tvv = float(-10 + (j * 9) % 46);
        s.Iv = float(150 + (j * 97) % 1100);
        if (j % 10 == 7) s.Bgv = 1.0f, s.Gamma = 0.9f;  // ice regime
        if (j % 13 == 4) s.H2 = s.H1 + 35;              // steep
        if (j % 17 == 9) s.H1 += 120, s.H2 += 120;      // high ground (altitude factor of the sun)
        if (j % 9 == 2) s.Hpr1 = s.Hpr2 = 12;           // too low for the norm
        for (int i = 1; i <= 5; ++i) {
            const double x = s.Zem[i].ZemL;
            s.Zem[i].ZemH = float(s.H1 + (s.H2 - s.H1) * x / s.Lpr - 1.5 + ((j * i) % 5));
        }
        s.NPrep = j % 4;
        for (int k = 1; k <= 10; ++k) s.Prep[k] = TyPrep{};
        for (int k = 1; k <= s.NPrep; ++k)
            s.Prep[k] = {float(s.Lpr * (0.2 + 0.25 * k)), float(2 + (j * k) % 14), 0, 0, 0, (j + 3 * k) % 13};
        if (j % 19 == 11 && s.NPrep > 0) s.Prep[1].Lprep = 0.05f;  // at the support: no search
        s.Zamer[1].Tv = float(10 + j % 20);
        s.Zamer[1].I = float(100 + (j * 31) % 500);
        s.Zamer[1].V = float(j % 3);
        s.Zamer[1].Tzv = (j / 3) % 4;
        s.Zamer[1].Time = 44927.5 + 29.0 * (j % 12);  // a month of 2023 each
        MeasuredHeight(s, s.Si * (0.9 + 0.02 * (j % 10)), 0);
    }
    return l;
}

// The varied line without what gives a line no clearance-limited current at all (ice, supports
// too low, obstacles too high), so that a rating shows figures.
inline TyLine RatedLine(int spans) {
    TyLine l = VariedLine(spans);
    for (TySpan& s : l.Spans) {
        s.Bgv = s.Gamma = 0;
        if (s.Hpr1 < 24) s.Hpr1 = 24;
        if (s.Hpr2 < 24) s.Hpr2 = 24;
        for (int k = 1; k <= s.NPrep; ++k)
            if (s.Prep[k].Hprep > 6) s.Prep[k].Hprep = 6;
    }
    return l;
}

// Spans at the edges of the calculation: no reference state, a profile with a point closer
// than 0.01 m (dropped points after it), an unsorted profile, profile points and an obstacle
// beyond the span, level ground on a straight line (equal clearances), the lowest point
// beyond support 2, an obstacle at the support, no wind, deep frost, equal smallest clearances,
// a profile point just past a point of the clearance scan, and last a span whose air is
// warmer than its conductor may get (the calculation fails there).
inline TyLine EdgeLine() {
    TyLine l = UniformLine(14);
    TySpan* s = &l.Span(1);
    s->Si = 0;  // no reference state
    s = &l.Span(2);
    s->Zem[2].ZemL = 0.005f;  // GroundHeight reads it, the tidying drops what follows
    s = &l.Span(3);
    std::swap(s->Zem[2], s->Zem[4]);  // unsorted
    s = &l.Span(4);
    s->Zem[5].ZemL = s->Lpr + 40;    // beyond support 2
    s->Prep[2].Lprep = s->Lpr + 15;  // obstacle beyond the span
    s = &l.Span(5);
    s->H2 = s->H1;
    for (int i = 1; i <= 5; ++i) s->Zem[i].ZemH = s->H1;  // level: equal clearances either side
    s->Hpr2 = s->Hpr1;
    s = &l.Span(6);
    s->H2 = s->H1 - 60;  // steep: the lowest point beyond support 2
    for (int i = 1; i <= 5; ++i) s->Zem[i].ZemH = float(s->H1 - 60.0 * s->Zem[i].ZemL / s->Lpr);
    s = &l.Span(7);
    s->Prep[1].Lprep = 0.05f;  // at the support
    s = &l.Span(8);
    s->Vv = 0;
    s->Tvv = -40;
    s = &l.Span(9);
    for (int i = 1; i <= 10; ++i) s->Zem[i] = {float(s->H1 + (i % 2) * 2.0), float(s->Lpr * i / 11.0)};  // ten points
    s = &l.Span(10);
    s->Mpr = 3;
    s->Iv = 3000;
    // Level 300 m span over two equal mounds at 60 and 240 m: the smallest clearance is met
    // twice, exactly (the abscissae of the scan are symmetric and hit the mounds).
    s = &l.Span(12);
    s->Lpr = 300;
    s->H1 = s->H2 = 100;
    s->Hpr1 = s->Hpr2 = 25;
    for (int i = 1; i <= 10; ++i) s->Zem[i] = TyZem{};
    s->Zem[1] = {104, 60};
    s->Zem[2] = {100, 150};
    s->Zem[3] = {104, 240};
    s->Prep[1].Lprep = 90;
    s->Prep[2].Lprep = 195;
    // The same with the first mound half a millimetre past a point of the scan.
    l.Span(13) = l.Span(12);
    s = &l.Span(13);
    s->Nop1.assign("13");
    s->Nop2.assign("14");
    s->Zem[1].ZemL = 60.0005f;
    s = &l.Span(14);
    s->Tvv = 95;  // warmer than TMax
    return l;
}

// The numbers of a calculation at full precision, for byte-for-byte comparisons.
inline std::string Exact(double v) {
    char b[40];
    std::snprintf(b, sizeof b, "%.17g", v);
    return b;
}

}  // namespace qem::test

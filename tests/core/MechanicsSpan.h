#pragma once
// A realistic span for the mechanics tests: АС 240/39 (ГОСТ 839-80), 300 m, supports of
// 25 m on level ground, reference stress 8 kgf/mm2 at 25 C without wind and ice.
#include <cmath>

#include "model/QEMcom.h"

namespace qem::test {

inline TyWire AC240() {
    TyWire w;
    w.Name.assign("\xC0\xD1");  // АС
    w.SAlN = 240;
    w.SStN = 39;
    w.D = 2.16f;
    w.DSt = 0.8f;
    w.R = 0.1222f;
    w.AlfaR = 0.00403f;
    w.MAl = 649.6f;
    w.MSt = 302.4f;
    w.TMax = 90;
    return w;
}

// АС 240/39 for the heat balance: 250 m, latitude 55 across the meridian, 100 m above sea
// level, air 20 C, 1 m/s across the span, with the given sky condition.
inline TySpan ThermalSpan(Integer tzv) {
    TySpan s;
    s.Pr = AC240();
    s.Mpr = 1;
    s.Lpr = 250;
    s.H1 = 100;
    s.Fi = 55;
    s.AngP = 90;
    s.Tzv = tzv;
    s.Tvv = 20;
    s.Vv = 1;
    s.Alfv = 90;
    return s;
}

// Own weight of АС 240/39 per metre and mm2 from the catalog masses (as stored, in Single).
inline double AC240Weight() { return (double(649.6f) + double(302.4f)) / 1000.0 / (240.0 + 39.0); }

inline TySpan LevelSpan() {
    TySpan s;
    s.Nop1.assign("12");
    s.Nop2.assign("13");
    s.Mpr = 1;
    s.Pr = AC240();
    s.Si = 8;
    s.Tv = 25;
    s.Lpr = 300;
    s.H1 = 100;
    s.H2 = 100;
    s.Hpr1 = 25;
    s.Hpr2 = 25;
    s.PrBreak = 80895;
    s.Tvv = 25;
    s.RasUsl = 1;
    return s;
}

// Lowest point of a catenary in closed form: cosh(d1/a) - cosh(d2/a) = h/a with d1 + d2 = L
// gives d1 - d2 = 2a asinh(h / (2a sinh(L/(2a)))).
inline double ClosedFormD1(double a, double L, double h) {
    return (L + 2.0 * a * std::asinh(h / (2.0 * a * std::sinh(L / (2.0 * a))))) / 2.0;
}

// Sag below the chord at mid-span of a catenary with parameter a, from the closed form.
inline double MidSpanSag(double a, double L, double h) {
    const double d1 = ClosedFormD1(a, L, h), d2 = L - d1;
    const double y1 = a * std::cosh(d1 / a), y2 = a * std::cosh(d2 / a);
    const double xm = L / 2.0 - d1;
    return (y1 + y2) / 2.0 - a * std::cosh(xm / a);
}

}  // namespace qem::test

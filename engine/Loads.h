#pragma once
// Conductor data and mechanical loads: modulus, expansion, specific load, allowable
// stress and tension. Pure functions of their arguments.
#include <array>
#include <utility>

#include "engine/Units.h"
#include "model/QEMcom.h"

namespace qem {

using FactorTable = std::array<std::pair<double, double>, 4>;

// Wind-pressure non-uniformity factor by wind speed, m/s.
inline constexpr FactorTable AlfaWTable = {{{20, 1.0}, {25, 0.85}, {30, 0.75}, {35, 0.70}}};
// Span-length factor of the wind load by span length, m.
inline constexpr FactorTable KlTable = {{{50, 1.2}, {100, 1.1}, {150, 1.05}, {200, 1.0}}};
// Ice density of the reference state, g/cm3.
inline constexpr GPerCm3 kRefIceDensity = 0.9;

// y = y1 + (x - x1)(y2 - y1)/(x2 - x1); y1 when x2 - x1 <= 0.001; 0 on failure.
double InterpLinear(double x1, double y1, double x2, double y2, double x);

// Factor of a four-point table at x, constant outside the table.
double TableFactor(const FactorTable& table, double x);

// E, kgf/mm2: mixture rule (6300 b + 20000)/(b + 1), b = SAlN/SStN, overridden by the type name.
KgfPerMm2 WireModulus(const TyWire& wire);

// alpha, 1/K: section rules, overridden by the type name; steel-aluminium by the mixture rule.
PerKelvin WireExpansion(const TyWire& wire);

// Load per metre, kgf/m: own weight, ice, wind on the bare or iced conductor.
KgfPerM LoadPerMetre(const TyWire& wire, Cm b, GPerCm3 rho, MPerS V, Metres L);

// gamma = load per metre / (SAlN + SStN), kgf/(m*mm2).
KgfPerMMm2 SpecificLoad(const TyWire& wire, Cm b, GPerCm3 rho, MPerS V, Metres L);

// Wind part of the specific load on the bare conductor, kgf/(m*mm2): p4 / S.
KgfPerMMm2 WindSpecificLoad(const TyWire& wire, MPerS V, Metres L);

// Own weight per unit length and section, kgf/(m*mm2): (MAl + MSt)/1000/S.
KgfPerMMm2 WeightSpecificLoad(const TyWire& wire);

// Cross-section of every stress: S = SAlN + SStN, mm2.
inline Mm2 WireSection(const TyWire& wire) { return double(wire.SAlN) + double(wire.SStN); }

// [sigma] = PrBreak / S / 9.81 / 2, kgf/mm2 (breaking force in N, safety factor 2).
KgfPerMm2 AllowableStress(const TySpan& span);

// [T] = PrBreak / 9.81 / 2, kgf.
Kgf AllowableTension(const TySpan& span);

}  // namespace qem

#include "engine/Loads.h"

#include <cmath>
#include <string>

#include "engine/CalcError.h"

namespace qem {
namespace {

// Type names are Windows-1251 bytes.
const std::string kAS = "\xC0\xD1";  // АС
const std::string kA = "\xC0";       // А
const std::string kM = "\xCC";       // М
const std::string kBr = "\xC1\xF0";  // Бр
const std::string kC = "C";          // Latin C (steel)
const std::string kPC =
    "\xCF"
    "C";  // Cyrillic П, Latin C

bool StartsWith(const std::string& s, const std::string& p) { return s.compare(0, p.size(), p) == 0; }

// (6300 b + 20000)/(b + 1): aluminium 6300 and steel 20000 kgf/mm2 in the section ratio b.
double MixtureModulus(double b) { return (6300.0 * b + 20000.0) / (b + 1.0); }

}  // namespace

double InterpLinear(double x1, double y1, double x2, double y2, double x) {
    if (std::isnan(x2)) return 0;
    if (x2 - x1 <= 0.001) return y1;
    double y = y1 + (x - x1) * (y2 - y1) / (x2 - x1);
    return std::isfinite(y) ? y : 0;
}

double TableFactor(const FactorTable& table, double x) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (x < table[i].first) {
            if (i == 0) return table[0].second;
            return InterpLinear(table[i - 1].first, table[i - 1].second, table[i].first, table[i].second, x);
        }
    }
    return table.back().second;
}

KgfPerMm2 WireModulus(const TyWire& wire) {
    const double SAl = wire.SAlN, SSt = wire.SStN;
    double base;
    if (SAl == 0)
        base = 20000;
    else if (SSt == 0)
        base = 6300;
    else
        base = MixtureModulus(SAl / SSt);
    const std::string name = wire.Name.str();
    if (StartsWith(name, kAS)) return SSt == 0 ? base : MixtureModulus(SAl / SSt);
    if (StartsWith(name, kA)) return 6300;
    if (StartsWith(name, kM) || name == kBr) return 13000;
    if (StartsWith(name, kC) || StartsWith(name, kPC)) return 20000;
    return base;
}

PerKelvin WireExpansion(const TyWire& wire) {
    const double SAl = wire.SAlN, SSt = wire.SStN;
    const std::string name = wire.Name.str();
    // Steel-aluminium: alpha = (20000 * 1.2e-5 + b * 6300 * 2.3e-5) / (20000 + b * 6300), the
    // stiffness-weighted mean of steel and aluminium. Also the rule for a name that no rule
    // knows when both sections are present.
    auto composite = [&] {
        if (SSt == 0) return 2.3e-5;
        if (SAl == 0) return 1.2e-5;
        const double b = SAl / SSt;
        return (20000.0 * 1.2e-5 + b * 2.3e-5 * 6300.0) / (b * 6300.0 + 20000.0);
    };
    if (name == kAS) return composite();
    if (name == kA) return 2.3e-5;
    if (name == kM || name == kBr) return 1.7e-5;
    if (name == kC || name == kPC) return 1.2e-5;
    double alpha = 0;
    bool set = false;
    if (SAl == 0) alpha = 1.2e-5, set = true;
    if (SSt == 0) alpha = 2.3e-5, set = true;
    return set ? alpha : composite();
}

KgfPerM LoadPerMetre(const TyWire& wire, Cm b, GPerCm3 rho, MPerS V, Metres L) {
    const double D = wire.D;
    const double p1 = (double(wire.MAl) + double(wire.MSt)) / 1000.0;  // own weight, kgf/m
    const double p2 = kPi * rho * b * (D + b) * 100.0 * 0.001;         // ice, kgf/m
    const double p3 = p1 + p2;
    const double Cx = b > 0 ? 1.2 : (D < 2 ? 1.2 : 1.1);
    const double Kl = TableFactor(KlTable, L);
    const double aw = TableFactor(AlfaWTable, V);
    const double p4 = 6.25e-5 * aw * Cx * Kl * (D * 10.0) * V * V;              // wind, bare
    const double p5 = 6.25e-5 * aw * Cx * Kl * ((2.0 * b + D) * 10.0) * V * V;  // wind, iced
    const bool ice = b >= 0.01, wind = V >= 0.01;
    if (!ice && !wind) return p1;
    if (ice && !wind) return p3;
    if (!ice && wind) return std::sqrt(p1 * p1 + p4 * p4);
    return std::sqrt(p3 * p3 + p5 * p5);
}

KgfPerMMm2 SpecificLoad(const TyWire& wire, Cm b, GPerCm3 rho, MPerS V, Metres L) {
    return CheckedDiv(LoadPerMetre(wire, b, rho, V, L), WireSection(wire), "specific load, section S = 0");
}

KgfPerMMm2 WindSpecificLoad(const TyWire& wire, MPerS V, Metres L) {
    const double D = wire.D;
    const double Cx = D < 2 ? 1.2 : 1.1;
    const double p4 = 6.25e-5 * TableFactor(AlfaWTable, V) * Cx * TableFactor(KlTable, L) * (D * 10.0) * V * V;
    return CheckedDiv(p4, WireSection(wire), "wind load, section S = 0");
}

KgfPerMMm2 WeightSpecificLoad(const TyWire& wire) {
    return CheckedDiv((double(wire.MAl) + double(wire.MSt)) / 1000.0, WireSection(wire), "own weight, section S = 0");
}

KgfPerMm2 AllowableStress(const TySpan& span) {
    return CheckedDiv(double(span.PrBreak), WireSection(span.Pr), "allowable stress, section S = 0") / kG / 2.0;
}

Kgf AllowableTension(const TySpan& span) { return double(span.PrBreak) / kG / 2.0; }

}  // namespace qem

#include "engine/UsableValues.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "engine/CalcError.h"
#include "engine/Format.h"
#include "model/Cp1251.h"
#include "model/TextGrid.h"

namespace qem {
namespace {

enum class Rule {
    Finite,       // a finite number that is not denormal
    NotNegative,  // and not below 0
    Positive,     // and above 0
};

// Why v breaks the rule; empty when it does not.
std::string Fault(double v, bool denormal, Rule rule) {
    if (!std::isfinite(v)) return "не является конечным числом";
    if (denormal) return "денормализованное число, слишком малое для расчёта";
    if (rule == Rule::NotNegative && v < 0) return "не может быть отрицательным";
    if (rule == Rule::Positive && !(v > 0)) return "должно быть больше нуля";
    return {};
}

// Walks the values of a span in the order a calculation reads them and keeps the first fault.
class Checker {
public:
    void single(const std::string& name, float v, Rule rule = Rule::Finite) {
        if (!found_.empty()) return;
        const std::string why = Fault(v, std::fpclassify(v) == FP_SUBNORMAL, rule);
        if (!why.empty()) found_ = name + " = " + ShortestSingle(v) + " — " + why;
    }
    void real(const std::string& name, double v) {
        if (!found_.empty()) return;
        const std::string why = Fault(v, std::fpclassify(v) == FP_SUBNORMAL, Rule::Finite);
        if (!why.empty()) found_ = name + " = " + Text(v) + " — " + why;
    }
    void fault(const std::string& text) {
        if (found_.empty()) found_ = text;
    }
    const std::string& found() const { return found_; }

private:
    static std::string Text(double v) {
        if (std::isnan(v)) return "nan";
        if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.17g", v);
        return buf;
    }
    std::string found_;
};

std::string Indexed(const char* name, int i, const char* field = nullptr) {
    std::string s = std::string(name) + "[" + std::to_string(i) + "]";
    return field ? s + "." + field : s;
}

}  // namespace

std::string UnusableSpanValue(const TySpan& span, SpanValueUse use) {
    Checker c;
    if (span.Mpr < 1) c.fault("Mpr = " + std::to_string(span.Mpr) + " — в фазе меньше одного провода");
    // The conductor.
    const TyWire& w = span.Pr;
    c.single("Pr.SAlN", w.SAlN, Rule::NotNegative);
    c.single("Pr.SStN", w.SStN, Rule::NotNegative);
    if (c.found().empty() && !(double(w.SAlN) + double(w.SStN) > 0))
        c.fault("Pr.SAlN + Pr.SStN = " + ShortestSingle(w.SAlN + w.SStN) + " — сечение провода должно быть больше нуля");
    c.single("Pr.D", w.D, Rule::Positive);
    c.single("Pr.R", w.R, Rule::NotNegative);
    c.single("Pr.AlfaR", w.AlfaR);
    c.single("Pr.MAl", w.MAl, Rule::NotNegative);
    c.single("Pr.MSt", w.MSt, Rule::NotNegative);
    c.single("Pr.TMax", w.TMax);
    // Place and regime, which the heat balance reads.
    c.single("H1", span.H1);
    c.single("AngP", span.AngP);
    c.single("Fi", span.Fi);
    c.single("Tvv", span.Tvv);
    c.single("Vv", span.Vv, Rule::NotNegative);
    c.single("Alfv", span.Alfv);
    c.single("Iv", span.Iv);
    if (!use.mechanics) return c.found();
    c.single("PrBreak", span.PrBreak);
    c.single("Bgv", span.Bgv);
    c.single("Gamma", span.Gamma);
    // The reference state.
    c.single("Si", span.Si);
    c.single("Tv", span.Tv);
    c.single("V", span.V, Rule::NotNegative);
    c.single("Bg", span.Bg);
    // Geometry.
    c.single("Lpr", span.Lpr, Rule::Positive);
    c.single("H2", span.H2);
    c.single("Hpr1", span.Hpr1);
    c.single("Hpr2", span.Hpr2);
    // The route profile as far as it is in use (up to the first point at 0.001 m or less).
    for (int i = 1; i <= 10; ++i) {
        const TyZem& z = span.Zem[i];
        c.single(Indexed("Zem", i, "ZemL"), z.ZemL);
        if (!(z.ZemL > 0.001f)) break;
        c.single(Indexed("Zem", i, "ZemH"), z.ZemH);
    }
    // The obstacles of the span: up to ten slots.
    if (span.NPrep < 0 || span.NPrep > 10)
        c.fault("NPrep = " + std::to_string(span.NPrep) + " — число препятствий вне 0..10");
    const bool sea = span.UseSea != 0;
    const int obstacles = span.NPrep < 0 ? 0 : (span.NPrep > 10 ? 10 : span.NPrep);
    for (int k = 1; k <= obstacles; ++k) {
        const TyPrep& p = span.Prep[k];
        c.single(Indexed("Prep", k, "Lprep"), p.Lprep);
        c.single(Indexed("Prep", k, "Hprep"), p.Hprep);
        if (sea) c.single(Indexed("Prep", k, "HSeaPrep"), p.HSeaPrep);
    }
    if (sea) c.single("M_middle_h", span.M_middle_h);
    if (use.measurements) {
        // The slots the derivation reads: 1 (the sag), the chosen one (the conductor
        // temperature) and the latest one (the fit); and the two-point data.
        int latest = 1;
        for (int i = 2; i <= 10; ++i)
            if (span.Zamer[i].Time > span.Zamer[latest].Time) latest = i;
        const int zamer = use.zamer < 1 || use.zamer > 10 ? 1 : use.zamer;
        for (int k : {1, zamer, latest}) {
            const TyZamer& z = span.Zamer[k];
            c.real(Indexed("Zamer", k, "Time"), z.Time);
            c.single(Indexed("Zamer", k, "HMid"), z.HMid);
            c.single(Indexed("Zamer", k, "I"), z.I);
            c.single(Indexed("Zamer", k, "TPr"), z.TPr);
            c.single(Indexed("Zamer", k, "Tv"), z.Tv);
            c.single(Indexed("Zamer", k, "V"), z.V, Rule::NotNegative);
            c.single(Indexed("Zamer", k, "Alf"), z.Alf);
        }
        for (int i = 1; i <= 2; ++i) {
            c.single(Indexed("HZam", i), span.HZam[i]);
            c.single(Indexed("LZam", i), span.LZam[i]);
            c.single(Indexed("HSeaZam", i), span.HSeaZam[i]);
        }
    }
    return c.found();
}

std::string UnusableLineValue(const TyLine& line) {
    Checker c;
    c.single("CabDDTN", line.CabDDTN);
    c.single("CabADTN", line.CabADTN);
    return c.found();
}

std::string LinePlace(const TyLine& line) {
    return "ВЛ " + Format("%3s кВ %s-%s", std::string(VoltageText(line.Uvl)), Cp1251ToUtf8(line.From.str()),
                          Cp1251ToUtf8(line.To.str()));
}

std::string SpanPlace(const TyLine& line, const TySpan& span) {
    return LinePlace(line) + ", пролёт " + Cp1251ToUtf8(span.Nop1.str()) + " - " + Cp1251ToUtf8(span.Nop2.str());
}

std::string UnusableValueOf(const TyLine& line, const TySpan& span, SpanValueUse use) {
    const std::string fault = UnusableSpanValue(span, use);
    return fault.empty() ? fault : SpanPlace(line, span) + ": " + fault;
}

void RequireUsable(const TyLine& line, const TySpan& span, SpanValueUse use) {
    const std::string fault = UnusableValueOf(line, span, use);
    if (!fault.empty()) throw UnusableValueError(fault);
}

std::string UnusableValueOfSpans(const TyLine& line, SpanValueUse use) {
    for (const TySpan& span : line.Spans) {
        std::string fault = UnusableValueOf(line, span, use);
        if (!fault.empty()) return fault;
    }
    return {};
}

}  // namespace qem

#include "engine/UsableValues.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "engine/CalcError.h"
#include "model/Cp1251.h"
#include "model/Format.h"
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

// A field named as the user sees it: the caption of its box or grid column in the window that
// edits it, with the place in that window before it ("препятствие 2, «Высота препятствия»").
std::string Caption(const char* caption) { return std::string("«") + caption + "»"; }
std::string Caption(const char* where, const char* caption) { return std::string(where) + ", " + Caption(caption); }
std::string Caption(const char* where, int i, const char* caption) {
    return std::string(where) + " " + std::to_string(i) + ", " + Caption(caption);
}

// The captions: the span page, the source data page, the conductor catalog, the initial
// conditions, the obstacle, route profile and measurement windows, the terminal equipment.
const char* const kWire = "провод";
const char* const kObstacle = "препятствие";
const char* const kProfilePoint = "профиль трассы, точка";
const char* const kZamer = "замер";
const char* const kTwoPoint = "установка замеров, точка";

}  // namespace

std::string UnusableSpanValue(const TySpan& span, SpanValueUse use) {
    Checker c;
    if (span.Mpr < 1)
        c.fault(Caption("Количество проводов в фазе") + " = " + std::to_string(span.Mpr) +
                " — в фазе меньше одного провода");
    // The conductor, by the columns of the conductor catalog.
    const TyWire& w = span.Pr;
    c.single(Caption(kWire, "S Al н,мм2"), w.SAlN, Rule::NotNegative);
    c.single(Caption(kWire, "S ст н,мм2"), w.SStN, Rule::NotNegative);
    if (c.found().empty() && !(double(w.SAlN) + double(w.SStN) > 0))
        c.fault(Caption(kWire, "S Al н,мм2") + " + " + Caption("S ст н,мм2") + " = " + ShortestSingle(w.SAlN + w.SStN) +
                " — сечение провода должно быть больше нуля");
    c.single(Caption(kWire, "d пр,см"), w.D, Rule::Positive);
    c.single(Caption(kWire, "r,Ом/км"), w.R, Rule::NotNegative);
    c.single(Caption(kWire, "Температурный коэффициент сопротивления"), w.AlfaR);
    c.single(Caption(kWire, "m Al,кг/км"), w.MAl, Rule::NotNegative);
    c.single(Caption(kWire, "m ст,кг/км"), w.MSt, Rule::NotNegative);
    c.single(Caption(kWire, "Макс. Т.,С"), w.TMax);
    // Place and regime, which the heat balance reads.
    c.single(Caption("Высота установки опоры 1, м"), span.H1);
    c.single(Caption("Ориентация к меридиану, о"), span.AngP);
    c.single(Caption("Географическая широта, о"), span.Fi);
    c.single(Caption("Температура воздуха, оС"), span.Tvv);
    c.single(Caption("Скорость ветра, м/с"), span.Vv, Rule::NotNegative);
    c.single(Caption("Направление ветра, о"), span.Alfv);
    c.single(Caption("Ток линии, А"), span.Iv);
    if (!use.mechanics) return c.found();
    c.single(Caption(kWire, "Разр.ус.,Н"), span.PrBreak);
    c.single(Caption("Толщина стенки гололеда, см"), span.Bgv);
    c.single(Caption("Удельный вес гололеда, г/см**3"), span.Gamma);
    // The reference state.
    c.single(Caption("Напряжение в проводе, кг/мм2"), span.Si);
    c.single(Caption("начальные условия", "Температура воздуха, град"), span.Tv);
    c.single(Caption("начальные условия", "Скорость ветра, м/с"), span.V, Rule::NotNegative);
    c.single(Caption("начальные условия", "Стенка гололеда, см"), span.Bg);
    // Geometry.
    c.single(Caption("Длина пролета, м"), span.Lpr, Rule::Positive);
    c.single(Caption("Высота установки опоры 2, м"), span.H2);
    c.single(Caption("Высота подвеса провода на опоре 1, м"), span.Hpr1);
    c.single(Caption("Высота подвеса провода на опоре 2, м"), span.Hpr2);
    // The route profile as far as it is in use (up to the first point at 0.001 m or less).
    for (int i = 1; i <= 10; ++i) {
        const TyZem& z = span.Zem[i];
        c.single(Caption(kProfilePoint, i, "Расстояние от опоры,м"), z.ZemL);
        if (!(z.ZemL > 0.001f)) break;
        c.single(Caption(kProfilePoint, i, "Высотная отметка, м"), z.ZemH);
    }
    // The obstacles of the span: up to ten slots.
    if (span.NPrep < 0 || span.NPrep > 10)
        c.fault(Caption("Число препятствий") + " = " + std::to_string(span.NPrep) + " — вне 0..10");
    const bool sea = span.UseSea != 0;
    const int obstacles = span.NPrep < 0 ? 0 : (span.NPrep > 10 ? 10 : span.NPrep);
    for (int k = 1; k <= obstacles; ++k) {
        const TyPrep& p = span.Prep[k];
        c.single(Caption(kObstacle, k, "Расстояние до препятствия"), p.Lprep);
        c.single(Caption(kObstacle, k, "Высота препятствия"), p.Hprep);
        if (sea) c.single(Caption(kObstacle, k, "Высота над уровнем моря в месте пересечения"), p.HSeaPrep);
    }
    if (sea) c.single(Caption("замеры", "Н Уровня моря ,м"), span.M_middle_h);
    if (use.measurements) {
        // The slots the derivation reads: 1 (the sag), the chosen one (the conductor
        // temperature) and the latest one (the fit); and the two-point data.
        int latest = 1;
        for (int i = 2; i <= 10; ++i)
            if (span.Zamer[i].Time > span.Zamer[latest].Time) latest = i;
        const int zamer = use.zamer < 1 || use.zamer > 10 ? 1 : use.zamer;
        for (int k : {1, zamer, latest}) {
            const TyZamer& z = span.Zamer[k];
            c.real(Caption(kZamer, k, "Дата") + " и " + Caption("Время"), z.Time);
            c.single(Caption(kZamer, k, "Н до земли в ср.пролета,м"), z.HMid);
            c.single(Caption(kZamer, k, "Ток, А"), z.I);
            c.single(Caption(kZamer, k, "Темп.провода"), z.TPr);
            c.single(Caption(kZamer, k, "Темп.воздуха"), z.Tv);
            c.single(Caption(kZamer, k, "Ветер,м/с"), z.V, Rule::NotNegative);
            c.single(Caption(kZamer, k, "Напр.ветра"), z.Alf);
        }
        for (int i = 1; i <= 2; ++i) {
            c.single(Caption(kTwoPoint, i, "Габарит замера"), span.HZam[i]);
            c.single(Caption(kTwoPoint, i, "Расстояние до замера"), span.LZam[i]);
            c.single(Caption(kTwoPoint, i, "Высота над уровнем моря"), span.HSeaZam[i]);
        }
    }
    return c.found();
}

std::string UnusableLineValue(const TyLine& line) {
    Checker c;
    c.single(Caption("ДДТН кабеля"), line.CabDDTN);
    c.single(Caption("АДТН кабеля"), line.CabADTN);
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

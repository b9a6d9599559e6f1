#include "engine/ShortTime.h"

#include "engine/CalcError.h"
#include "engine/Clearance.h"
#include "engine/Currents.h"
#include "engine/Geometry.h"
#include "engine/HeatBalance.h"

namespace qem {

LimitTemperature SpanLimitTemperature(const TySpan& span, const std::vector<SpanCurrents>& sections) {
    LimitTemperature lim{span.Pr.TMax, "Tmax"};
    if (IceRegime(span) || sections.empty()) return lim;
    // The temperature at the largest admitted current, which the search found to keep the
    // clearance; the step-down temperature when it admitted none.
    auto consider = [&](Amperes I, Celsius Tstep, const std::string& what) {
        const Celsius T = I < 0.0001 ? Tstep : ConductorTemp(span, span.Tvv, span.Vv, span.Alfv, I);
        if (T < lim.T) lim = {T, what};
    };
    consider(sections.front().IGround, sections.front().TGround, "габарит до земли");
    for (int k = 1; k <= int(sections.size()) && k <= span.NPrep; ++k)
        if (span.Prep[k].Lprep > 0.1f)
            consider(sections[std::size_t(k - 1)].IObst, sections[std::size_t(k - 1)].TObst,
                     "габарит до препятствия " + std::to_string(k));
    return lim;
}

SpanShortTime SpanShortTimeOf(HeatModel m, const HeatConductor& c, const TySpan& span,
                              const std::vector<SpanCurrents>& sections, const std::vector<Minutes>& durations,
                              std::optional<Amperes> step) {
    SpanShortTime r;
    r.model = m;
    r.present = ConductorCurrent(span);
    const HeatWeather w = SpanRegimeWeather(span);
    r.T0 = SteadyTempOf(m, c, w, r.present);
    r.TMax = span.Pr.TMax;
    r.limit = SpanLimitTemperature(span, sections);
    for (Minutes d : durations) r.ratings.push_back({d, ShortTimeCurrent(m, c, w, r.T0, r.limit.T, d)});
    if (step) {
        r.step = *step;
        r.timeToTMax = TimeToTemp(m, c, w, r.T0, *step, r.TMax);
    }
    return r;
}

std::vector<SpanCurrents> SpanSections(const TyLine& line, TySpan& span, const CalcEnv& env) {
    if (const std::string refusal = SpanRegimeRefusal(span, env); !refusal.empty()) throw CalcError(refusal);
    return CalculateSpanRegime(line, span, env).sections;
}

void CombineLineShortTime(const TyLine& line, LineShortTime& r) {
    r.ratings.clear();
    r.timeToTMax.reset();
    r.firstSpan = 0;
    if (r.spans.empty()) return;
    for (std::size_t i = 0; i < r.spans.front().ratings.size(); ++i) {
        LineShortTime::Rating least{r.spans.front().ratings[i].duration, std::nullopt, 0};
        for (std::size_t j = 0; j < r.spans.size(); ++j) {
            const std::optional<Amperes>& I = r.spans[j].ratings[i].I;
            const int mpr = line.Span(int(j) + 1).Mpr;
            if (!I) {  // a span already at its limit: no overload for the line
                least.I.reset();
                least.span = int(j) + 1;
                break;
            }
            const Amperes phase = *I * mpr;
            if (least.span == 0 || phase < *least.I) least.I = phase, least.span = int(j) + 1;
        }
        r.ratings.push_back(least);
    }
    for (std::size_t j = 0; j < r.spans.size(); ++j)
        if (const auto& t = r.spans[j].timeToTMax; t && (!r.timeToTMax || *t < *r.timeToTMax))
            r.timeToTMax = *t, r.firstSpan = int(j) + 1;
}

LineShortTime LineShortTimeOf(HeatModel m, TyLine& line, const CalcEnv& env, Dialogs& dlg,
                              const std::vector<Minutes>& durations, std::optional<Amperes> stepPhase,
                              const std::function<HeatConductor(const TySpan&)>& conductor) {
    LineShortTime r;
    for (int j = 1; j <= line.NSpans(); ++j) {
        TySpan& span = line.Span(j);
        std::vector<SpanCurrents> sections;
        {
            SeaLevelPointsGuard points(span, env.mode);
            dlg.MessageIfAny(points.token().refusal);
            sections = SpanSections(line, span, env);
        }
        std::optional<Amperes> step;
        if (stepPhase) step = *stepPhase / (span.Mpr < 1 ? 1 : span.Mpr);
        r.spans.push_back(SpanShortTimeOf(m, conductor(span), span, sections, durations, step));
    }
    CombineLineShortTime(line, r);
    return r;
}

}  // namespace qem

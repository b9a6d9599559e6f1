#include "engine/Clearance.h"

#include <cmath>

#include "engine/HeatBalance.h"

namespace qem {
namespace {

// The state of the span at conductor temperature T, as the variant evaluates it.
void Evaluate(TySpan& span, int k, Celsius T, SearchVariant v, SpanResult& r) {
    if (v == SearchVariant::Regime)
        SpanState(span, k, T, r);
    else
        SpanStateObst1(span, T, r);
}

// The clearance the variant compares with the norm.
Metres Compared(ClearanceKind kind, SearchVariant v, const SpanResult& r) {
    if (kind == ClearanceKind::Ground) return v == SearchVariant::Regime ? r.ClrGround : r.ClrMin;
    return v == SearchVariant::Regime ? std::fabs(r.ClrObst) : r.ClrObst;
}

}  // namespace

bool IceRegime(const TySpan& span) { return !(span.Bgv < 0.001f && span.Gamma < 0.001f); }

ClearanceLimit ClearanceCurrent(TySpan& span, int k, ClearanceKind kind, Metres norm, SearchVariant v,
                                SpanResult& r) {
    if (IceRegime(span)) return {0, 0};
    if (kind == ClearanceKind::Obstacle && !(span.Prep[k].Lprep > 0.1f)) return {0, 0};
    const Celsius Ta = span.Tvv;
    const MPerS V = span.Vv;
    const Degrees angle = span.Alfv;
    const bool obstacle = kind == ClearanceKind::Obstacle;
    auto inRange = [&](Celsius T) { return T < 250 && (!obstacle || T > -50); };
    Amperes I = 0, step = 100;
    Celsius T = 0;
    while (step > 0.1 && inRange(T)) {
        T = ConductorTemp(span, Ta, V, angle, I);
        Evaluate(span, k, T, v, r);
        while (Compared(kind, v, r) > norm && I < 5000) {
            I += step;
            T = ConductorTemp(span, Ta, V, angle, I);
            Evaluate(span, k, T, v, r);
        }
        if (I > 0.0001) I -= step;
        step /= 10;
    }
    return {I, T};
}

Celsius ClearanceTemp(TySpan& span, int k, ClearanceKind kind, Metres norm, SearchVariant v, SpanResult& r) {
    Celsius T = span.Tvv;
    auto inRange = [&] { return T > -50 && T < 250; };
    auto stillShort = [&] {
        const Metres c = Compared(kind, v, r);
        if (kind == ClearanceKind::Ground)
            return c < norm && r.ClrMin > 0;
        return c < norm && c > 0;
    };
    while (stillShort() && inRange()) {
        T -= 1;
        Evaluate(span, k, T, v, r);
    }
    return T;
}

ClearanceLimit ClearanceLimitOf(TySpan& span, int k, ClearanceKind kind, Metres norm, SearchVariant v,
                                SpanResult& r) {
    if (kind == ClearanceKind::Obstacle && !(span.Prep[k].Lprep > 0.1f)) return {0, 0};
    ClearanceLimit lim = ClearanceCurrent(span, k, kind, norm, v, r);
    if (lim.I < 0.0001 && !IceRegime(span)) lim.T = ClearanceTemp(span, k, kind, norm, v, r);
    return lim;
}

}  // namespace qem

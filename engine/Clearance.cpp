#include "engine/Clearance.h"

#include "engine/HeatBalance.h"

namespace qem {
namespace {

// The clearance the variant compares with the norm. The obstacle clearance is signed in every
// variant: below zero the conductor passes below the top of the object, which no current allows.
Metres Compared(ClearanceKind kind, SearchVariant v, const SpanResult& r) {
    if (kind == ClearanceKind::Ground) return v == SearchVariant::Regime ? r.ClrGround : r.ClrMin;
    return r.ClrObst;
}

// A span as a search evaluates it: the regime reports through a prepared span (every state
// kept), the allowable-temperature report by SpanStateObst1 on the span itself.
class SearchSpan {
public:
    SearchSpan(PreparedSpan* prepared, TySpan& span) : prepared_(prepared), span_(span) {}

    TySpan& span() { return span_; }

    Celsius Temp(Celsius Ta, MPerS V, Degrees angle, Amperes I) {
        return prepared_ ? prepared_->ConductorTemp(Ta, V, angle, I) : ConductorTemp(span_, Ta, V, angle, I);
    }

    // The state at T into r, as the variant evaluates it.
    void Evaluate(int k, Celsius T, SpanResult& r) {
        if (prepared_)
            prepared_->State(k, T, r);
        else
            SpanStateObst1(span_, T, r);
    }

    // The clearance of `kind` compared with the norm at T. Where only the obstacle clearance of
    // the regime reports is compared, the rest of the state is left out and r is not written:
    // the caller completes r by Evaluate at the last T.
    Metres Clearance(int k, ClearanceKind kind, SearchVariant v, Celsius T, SpanResult& r, bool& partial) {
        if (prepared_ && kind == ClearanceKind::Obstacle) {
            partial = true;
            if (const std::optional<Metres> c = prepared_->ObstacleClearance(k, T)) return *c;
            return r.ClrObst;  // no reference state: r stays as it was
        }
        Evaluate(k, T, r);
        return Compared(kind, v, r);
    }

private:
    PreparedSpan* prepared_;
    TySpan& span_;
};

ClearanceLimit Search(SearchSpan& s, int k, ClearanceKind kind, Metres norm, SearchVariant v, SpanResult& r) {
    TySpan& span = s.span();
    if (IceRegime(span)) return {0, 0};
    if (kind == ClearanceKind::Obstacle && !(span.Prep[k].Lprep > 0.1f)) return {0, 0};
    const Celsius Ta = span.Tvv;
    const MPerS V = span.Vv;
    const Degrees angle = span.Alfv;
    const bool obstacle = kind == ClearanceKind::Obstacle;
    auto inRange = [&](Celsius T) { return T < 250 && (!obstacle || T > -50); };
    bool partial = false;
    Amperes I = 0, step = 100;
    Celsius T = 0;
    while (step > 0.1 && inRange(T)) {
        T = s.Temp(Ta, V, angle, I);
        Metres c = s.Clearance(k, kind, v, T, r, partial);
        while (c > norm && I < 5000) {
            I += step;
            T = s.Temp(Ta, V, angle, I);
            c = s.Clearance(k, kind, v, T, r, partial);
        }
        if (I > 0.0001) I -= step;
        step /= 10;
    }
    if (partial) s.Evaluate(k, T, r);  // r as the last state leaves it
    return {I, T};
}

Celsius StepDown(SearchSpan& s, int k, ClearanceKind kind, Metres norm, SearchVariant v, SpanResult& r) {
    Celsius T = s.span().Tvv;
    auto inRange = [&] { return T > -50 && T < 250; };
    auto stillShort = [&] {
        const Metres c = Compared(kind, v, r);
        if (kind == ClearanceKind::Ground) return c < norm && r.ClrMin > 0;
        return c < norm && c > 0;
    };
    while (stillShort() && inRange()) {
        T -= 1;
        s.Evaluate(k, T, r);
    }
    return T;
}

ClearanceLimit LimitOf(SearchSpan& s, int k, ClearanceKind kind, Metres norm, SearchVariant v, SpanResult& r) {
    TySpan& span = s.span();
    if (kind == ClearanceKind::Obstacle && !(span.Prep[k].Lprep > 0.1f)) return {0, 0};
    ClearanceLimit lim = Search(s, k, kind, norm, v, r);
    if (lim.I < 0.0001 && !IceRegime(span)) lim.T = StepDown(s, k, kind, norm, v, r);
    return lim;
}

// Runs f on the span as the variant evaluates it.
template <class F>
auto WithSearchSpan(TySpan& span, SearchVariant v, F f) {
    if (v == SearchVariant::Regime) {
        PreparedSpan prepared(span);
        SearchSpan s(&prepared, span);
        return f(s);
    }
    SearchSpan s(nullptr, span);
    return f(s);
}

}  // namespace

bool IceRegime(const TySpan& span) { return !(span.Bgv < 0.001f && span.Gamma < 0.001f); }

ClearanceLimit ClearanceCurrent(TySpan& span, int k, ClearanceKind kind, Metres norm, SearchVariant v, SpanResult& r) {
    return WithSearchSpan(span, v, [&](SearchSpan& s) { return Search(s, k, kind, norm, v, r); });
}

Celsius ClearanceTemp(TySpan& span, int k, ClearanceKind kind, Metres norm, SearchVariant v, SpanResult& r) {
    return WithSearchSpan(span, v, [&](SearchSpan& s) { return StepDown(s, k, kind, norm, v, r); });
}

ClearanceLimit ClearanceLimitOf(TySpan& span, int k, ClearanceKind kind, Metres norm, SearchVariant v, SpanResult& r) {
    return WithSearchSpan(span, v, [&](SearchSpan& s) { return LimitOf(s, k, kind, norm, v, r); });
}

ClearanceLimit ClearanceLimitOf(PreparedSpan& span, int k, ClearanceKind kind, Metres norm, SpanResult& r) {
    SearchSpan s(&span, span.span());
    return LimitOf(s, k, kind, norm, SearchVariant::Regime, r);
}

}  // namespace qem

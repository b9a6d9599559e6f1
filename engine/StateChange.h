#pragma once
// State-change equation of a conductor hanging between two supports of different heights,
// the catenary geometry of a span and the mechanical state of a span at a conductor
// temperature together with its clearances.
//
// Catenary frame: the origin lies under the lowest point of the conductor, the conductor
// height is y(x) = a*cosh(x/a) with a = sigma/gamma (m); support 1 is at x = -d1, support 2
// at x = +d2, d1 + d2 = L. The height difference of the suspension points is
// h = (H1 + Hpr1) - (H2 + Hpr2), positive when support 1 is higher.
#include <cmath>
#include <memory>
#include <optional>

#include "engine/CalcError.h"
#include "engine/Units.h"
#include "model/QEMcom.h"

namespace qem {

struct SpanView;

// The mechanical state and the clearances of one span in one regime. Each calculation
// carries its own record: nothing here is shared between spans.
struct SpanResult {
    double Sigma = 0;        // horizontal stress in the regime, kgf/mm2
    double TensionMax = 0;   // larger of the two support tensions, kgf
    double TCond = 0;        // conductor temperature at the regime current, C (set by the reports)
    double SagMid = 0;       // sag at mid-span, m
    double Rise1 = 0;        // height of the conductor at support 1 above the lowest point, m
    double Rise2 = 0;        // height of the conductor at support 2 above the lowest point, m
    double IClear = 0;       // clearance-limited current, A (set by the reports)
    double IMax = 0;         // maximum allowable current, A (set by the reports)
    double ClrMin = 0;       // smallest clearance conductor - ground over the span, m
    double ClrGround = 0;    // the same; the clearance at mid-span after a drawing SpanState, m
    double XClrMin = 0;      // distance from support 1 to the smallest clearance (Lpr/2 when drawn), m
    double ClrObst = 0;      // clearance conductor - top of the obstacle of the call, m
    double GroundAtMin = 0;  // ground height in the span-view frame at XClrMin, m
};

// Position of the lowest point: horizontal distances from support 1 (d1) and support 2 (d2).
// d2 < 0 when the lowest point lies beyond support 2 (steep spans).
struct LowestPointResult {
    Metres d1 = 0;
    Metres d2 = 0;
};

// The catenary of a span in one state.
struct SpanCatenary {
    KgfPerMm2 sigma = 0;   // horizontal stress
    KgfPerMMm2 gamma = 0;  // specific load
    Metres d1 = 0, d2 = 0;
    Metres rise1 = 0, rise2 = 0;  // heights of the suspension points above the lowest point
};

// d1 from cosh(d1/a) - cosh((L - d1)/a) = h/a by Newton's method (|f| <= 1e-6, at most
// 1 000 000 steps), start d1 = L/2 + a*h/L; d2 = L - d1.
LowestPointResult LowestPoint(KgfPerMMm2 gamma, KgfPerMm2 sigma, Metres L, Metres h);

// y = a*cosh(x/a), a = sigma/gamma, m.
Metres CatenaryHeight(Metres x, KgfPerMMm2 gamma, KgfPerMm2 sigma);

// f(x) = r1 + (x + d1)(r2 - r1)/L + a - a*cosh(x/a): the chord of the suspension points
// less the conductor height at abscissa x, m.
inline Metres SagAt(Metres x, Metres L, Metres d1, Metres r1, Metres r2, KgfPerMMm2 gamma, KgfPerMm2 sigma) {
    const double a = CheckedDiv(sigma, gamma, "catenary parameter");
    const double chord = r1 + (x + d1) * (r2 - r1) / L;
    return CheckedFinite(chord + a - a * std::cosh(x / a), "sag");
}

// sigma in the state (gamma, t) of a conductor that has sigma0 in the state (gamma0, t0):
// parabolic state-change equation
//   sigma0 - sigma - (E L^2/24)(gamma0^2/sigma0^2 - gamma^2/sigma^2) - E alpha (t - t0) = 0
// solved by bisection on [0.1, 20 sigma0], refined on the exact catenary, kgf/mm2.
KgfPerMm2 StateStress(const TyWire& wire, KgfPerMm2 sigma0, KgfPerMMm2 gamma0, Celsius t0, KgfPerMMm2 gamma, Celsius t,
                      Metres L, Metres h);

// The state of the span at conductor temperature T (the air temperature Tvv in an ice
// regime) from its reference state, with the clearance to the ground over the span and to
// obstacle k (1..10). Tidies the route profile of the span (points after the first missing
// one are dropped). A span without reference state (Si < 0.01) leaves r untouched. With a
// view the span is drawn into it, and ClrGround, XClrMin, GroundAtMin then describe mid-span.
// Of equal smallest clearances the last one along the span wins.
void SpanState(TySpan& span, int k, Celsius T, SpanResult& r, SpanView* view = nullptr);

// SpanState without drawing; of equal smallest clearances the first one wins.
void SpanStateFirst(TySpan& span, int k, Celsius T, SpanResult& r);

// The state for obstacle 1 without profile tidying; the first of equal smallest clearances
// wins. Sets Sigma, TensionMax, Rise1, Rise2, SagMid, ClrMin and ClrObst only.
void SpanStateObst1(const TySpan& span, Celsius T, SpanResult& r);

// A span prepared for a run of states (a clearance search, the rows of a line report): what
// depends on the span alone - the specific loads, the modulus and expansion of the conductor,
// the arc length of the reference state, the route profile - is worked out once, and every
// state and conductor temperature computed is kept. The results are exactly those of
// SpanState (without a view), SpanStateFirst and ConductorTemp on the span. Nothing but this
// object may change the span while it is in use.
class PreparedSpan {
public:
    explicit PreparedSpan(TySpan& span);
    ~PreparedSpan();
    PreparedSpan(const PreparedSpan&) = delete;
    PreparedSpan& operator=(const PreparedSpan&) = delete;

    TySpan& span() const { return span_; }
    // SpanState(span, k, T, r).
    void State(int k, Celsius T, SpanResult& r);
    // SpanStateFirst(span, k, T, r).
    void StateFirst(int k, Celsius T, SpanResult& r);
    // The ClrObst that SpanState(span, k, T, r) would set, m; nothing when the span has no
    // reference state (SpanState leaves r untouched then).
    std::optional<Metres> ObstacleClearance(int k, Celsius T);
    // ConductorTemp(span, Ta, V, angle, I), C.
    Celsius ConductorTemp(Celsius Ta, MPerS V, Degrees angle, Amperes I);

private:
    struct Core;
    TySpan& span_;
    std::unique_ptr<Core> core_;
};

}  // namespace qem

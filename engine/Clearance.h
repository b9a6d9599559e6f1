#pragma once
// Allowable currents by clearance: the largest current whose sag still keeps the clearance
// to the ground or to an obstacle above its norm, and, when not even zero current keeps it,
// the conductor temperature at which the clearance is just met.
#include "engine/StateChange.h"
#include "engine/Units.h"
#include "model/QEMcom.h"

namespace qem {

enum class ClearanceKind { Ground, Obstacle };

// How the span is evaluated in the searches: the regime reports use SpanState and compare
// ClrGround; the allowable-temperature report uses SpanStateObst1 and compares ClrMin. Both
// compare the signed ClrObst: a conductor below the top of an object is never clear of it.
enum class SearchVariant { Regime, AllowTemp };

struct ClearanceLimit {
    Amperes I = 0;  // per conductor
    Celsius T = 0;  // conductor temperature of the last step (or from ClearanceTemp)
};

// True when the regime carries ice (ice wall or ice density at 0.001 or more): the
// clearance searches do not run then.
bool IceRegime(const TySpan& span);

// Stepwise search (100, 10, 1 A; at most 5000 A; 250 C, and -50 C for obstacles) of the largest
// current per conductor that keeps the clearance of `kind` (obstacle k) above `norm`.
ClearanceLimit ClearanceCurrent(TySpan& span, int k, ClearanceKind kind, Metres norm, SearchVariant v, SpanResult& r);

// Conductor temperature, stepping down from the air temperature by 1 K, at which the
// clearance reaches its norm; starts from the state the search left in r.
Celsius ClearanceTemp(TySpan& span, int k, ClearanceKind kind, Metres norm, SearchVariant v, SpanResult& r);

// The search, then ClearanceTemp when it found no admissible current and there is no ice.
// For an obstacle at 0.1 m or less from support 1 the result is (0, 0).
ClearanceLimit ClearanceLimitOf(TySpan& span, int k, ClearanceKind kind, Metres norm, SearchVariant v, SpanResult& r);

// ClearanceLimitOf(span, k, kind, norm, SearchVariant::Regime, r) on a prepared span, which
// keeps its states for the next search on the same span.
ClearanceLimit ClearanceLimitOf(PreparedSpan& span, int k, ClearanceKind kind, Metres norm, SpanResult& r);

}  // namespace qem

#pragma once
// The line regime calculation: every span of a line in its own weather and current, one
// table row per span and obstacle, the summary of the weakest spans, and the line minima of
// the phase currents that the component limits read.
#include <functional>
#include <string>
#include <vector>

#include "engine/CalcEnv.h"
#include "engine/Clearance.h"
#include "engine/Report.h"
#include "model/QEMcom.h"

namespace qem {

inline constexpr double kNoLineLimit = 100000;

struct LineMinima {
    double LineIMax = kNoLineLimit;                               // least phase maximum allowable current, A
    double LineILong = kNoLineLimit;                              // least phase long-term allowable current, A
    double LineIClr = kNoLineLimit;                               // least phase current allowed by clearance, A
    double HighestTemp = -1000;                                   // highest heating-curve conductor temperature, C
    int SpanIMax = 1, SpanILong = 1, SpanIClr = 1, SpanTemp = 1;  // spans where each was last set
    int ClrObstacle = 0;  // the obstacle of SpanIClr whose clearance set LineIClr; 0: the ground
    int SpansDone = 0;    // spans computed
};

// One row of the line table: span j, obstacle k.
struct LineRow {
    int span = 1, k = 1;
    bool absent = false;          // no obstacle k (or it lies 0.1 m or less from support 1)
    Amperes IMax = 0, ILong = 0;  // per conductor
    Amperes IClear = 0;           // per conductor, the smaller of the ground and obstacle limits
    ClearanceLimit ground, obst;  // the clearance searches
    Metres obstClr = 0;           // the signed obstacle clearance after the heating curve
    SpanResult state;             // at the steady conductor temperature TCond of the regime current
    bool red = false;             // a limit is broken
};

enum class LineRunEnd { Done, Cancelled, Failed };

struct LineRegimeOutcome {
    LineRunEnd end = LineRunEnd::Done;
    LineMinima minima;
    std::vector<LineRow> rows;  // in table order; the rows so far when Failed
    std::string error;          // the calculation error when Failed
    std::string message;        // what the command shows then (CalcErrorText)
};

// How a long calculation reports its progress (done of total) and learns that it is to stop.
struct RunControl {
    std::function<void(int, int)> progress;
    std::function<bool()> cancelled;
};

// Recomputes the reference state of one span from its measurements before its rows.
using RecomputeHook = std::function<void(TySpan&)>;

// The line calculation: each span is checked for unusable values (engine/UsableValues.h)
// before its reference state is recomputed and its rows are worked out; the minima of the
// phase currents over the spans. Cancelled between spans when control.cancelled() says so;
// progress per span. A calculation error ends it Failed with the rows so far.
LineRegimeOutcome CalculateLineRegime(TyLine& line, const CalcEnv& env, const RunControl& control = {},
                                      const RecomputeHook& recompute = {});

// The fixed-width table of a calculation that was Done or Failed: the rows, and the summary of
// the weakest spans when Done.
Report LineRegimeText(const TyLine& line, const LineRegimeOutcome& o);

}  // namespace qem

#pragma once
// The line regime calculation: every span of a line in its own weather and current, one
// table row per span and obstacle, the summary of the weakest spans, and the line minima of
// the phase currents that the component limits read.
#include <functional>

#include "engine/CalcEnv.h"
#include "engine/Report.h"
#include "model/QEMcom.h"
#include "platform/Dialogs.h"

namespace qem {

inline constexpr double kNoLineLimit = 100000;

struct LineMinima {
    double LineIMax = kNoLineLimit;   // least phase maximum allowable current, A
    double LineILong = kNoLineLimit;  // least phase long-term allowable current, A
    double LineIClr = kNoLineLimit;   // least phase current allowed by clearance, A
    double HighestTemp = -1000;       // highest heating-curve conductor temperature, C
    int SpanIMax = 1, SpanILong = 1, SpanIClr = 1, SpanTemp = 1;  // spans where each was last set
    int SpansDone = 0;                // spans computed
};

enum class LineRunEnd { Done, Cancelled, Failed };

struct LineRegimeOutcome {
    LineRunEnd end = LineRunEnd::Done;
    LineMinima minima;
    std::string error;    // the calculation error when Failed
    std::string message;  // what the command shows then (CalcErrorText)
};

// Recomputes the reference state of one span from its measurements before its rows.
using RecomputeHook = std::function<void(TySpan&)>;

// Builds the table of the line into `out`. Each span is checked for unusable values
// (engine/UsableValues.h) before its reference state is recomputed and its rows are written. Done or Failed: `out` holds the table (rows so far
// when Failed); Cancelled (asked between spans through dlg.Cancelled()): `out` is unchanged.
// Progress goes to dlg.Progress per span.
LineRegimeOutcome LineRegimeReport(TyLine& line, const CalcEnv& env, Dialogs& dlg, Report& out,
                                   const RecomputeHook& recompute = {});

}  // namespace qem

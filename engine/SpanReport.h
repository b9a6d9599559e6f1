#pragma once
// The span regime calculation: conductor temperature, allowable currents, stress, tension,
// sag and clearances of one span in the regime typed on the source data page, written as a
// fixed-width report with every breach in red and a verdict in blue.
#include "engine/CalcEnv.h"
#include "engine/Report.h"
#include "engine/SpanView.h"
#include "engine/StateChange.h"
#include "model/QEMcom.h"
#include "platform/Dialogs.h"

namespace qem {

struct SpanRegimeOutcome {
    bool written = false;  // false when the report was refused ("Введите значения замера")
    int violations = 0;    // failed checks; 0 gives the verdict "МОЖНО"
    SpanResult result;     // the state of the last obstacle, Sigma reset to 0
};

inline constexpr const char* kVerdictYes = "РАБОТАТЬ ПРИ ЗАДАННЫХ УСЛОВИЯХ МОЖНО!!!";
inline constexpr const char* kVerdictNo = "РАБОТАТЬ ПРИ ЗАДАННЫХ УСЛОВИЯХ НЕЛЬЗЯ!!!";

// Runs the obstacle loop of the span and replaces `out` with the report. When `view` is given,
// the span view is drawn into it (cleared first). Calculation errors propagate (CalcError).
SpanRegimeOutcome SpanRegimeReport(const TyLine& line, TySpan& span, const CalcEnv& env, Dialogs& dlg,
                                   Report& out, SpanView* view = nullptr);

}  // namespace qem

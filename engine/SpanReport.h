#pragma once
// The span regime calculation: conductor temperature, allowable currents, stress, tension,
// sag and clearances of one span in the regime typed on the source data page, written as a
// fixed-width report with every breach in red and a verdict in blue.
#include <vector>

#include "engine/CalcEnv.h"
#include "engine/Report.h"
#include "engine/SpanView.h"
#include "engine/StateChange.h"
#include "model/QEMcom.h"
#include "platform/Dialogs.h"

namespace qem {

// The allowable currents of one conductor of the span in the section of obstacle k of its report.
struct SpanCurrents {
    Amperes IMax = 0;     // at the conductor's TMax
    Amperes ILong = 0;    // at LongTermTemp
    Amperes IGround = 0;  // by the clearance to the ground
    Celsius TGround = 0;
    Amperes IObst = 0;  // by the clearance to obstacle k
    Celsius TObst = 0;
};

struct SpanRegimeOutcome {
    bool written = false;  // false when the report was refused ("Введите значения замера")
    int violations = 0;    // failed checks; 0 gives the verdict "МОЖНО"
    SpanResult result;     // the state of the last obstacle, Sigma reset to 0
    std::vector<SpanCurrents> sections;  // the allowable currents of each section, in order
};

inline constexpr const char* kVerdictYes = "РАБОТАТЬ ПРИ ЗАДАННЫХ УСЛОВИЯХ МОЖНО!!!";
inline constexpr const char* kVerdictNo = "РАБОТАТЬ ПРИ ЗАДАННЫХ УСЛОВИЯХ НЕЛЬЗЯ!!!";

// The allowable currents of one conductor of the span for obstacle k (1..10) in the regime of
// its source data, from its stored reference state: the searches and step-downs exactly as
// SpanRegimeReport runs them for its section k (a span without obstacles: k = 1, searched with
// an empty obstacle). IObst and TObst are 0 when obstacle k lies 0.1 m or less from support 1.
// Calculation errors propagate (CalcError).
SpanCurrents SpanAllowableCurrents(const TyLine& line, TySpan& span, int k, const CalcEnv& env);

// Runs the obstacle loop of the span and replaces `out` with the report. When `view` is given,
// the span view is drawn into it (cleared first). Calculation errors propagate (CalcError).
SpanRegimeOutcome SpanRegimeReport(const TyLine& line, TySpan& span, const CalcEnv& env, Dialogs& dlg,
                                   Report& out, SpanView* view = nullptr);

}  // namespace qem

#pragma once
// The span regime calculation: conductor temperature, allowable currents, stress, tension,
// sag and clearances of one span in the regime typed on the source data page, and the
// fixed-width report of it with every breach in red and a verdict in blue.
#include <string>
#include <vector>

#include "engine/CalcEnv.h"
#include "engine/Report.h"
#include "engine/SpanView.h"
#include "engine/StateChange.h"
#include "model/QEMcom.h"

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

// What the report prints of the section of obstacle k besides its currents: the state at the
// regime's conductor temperature, the norms and limits it is held against, and which of them
// it breaks.
struct SpanSectionValues {
    int k = 1;                 // the obstacle of the section, 1..10
    bool hasObstacle = false;  // the obstacle lies more than 0.1 m from support 1
    Celsius TCond = 0;         // conductor temperature at the regime current
    SpanResult state;          // the drawn state at TCond
    Metres normGround = 0, obstNorm = 0;
    KgfPerMm2 allowStress = 0;   // allowable stress
    Kgf allowTension = 0;        // allowable tension
    bool currentBreach = false;  // no current is allowed by a clearance
    bool stressBreach = false, tensionBreach = false, groundMidBreach = false, groundMinBreach = false;
    bool obstacleRowBreach = false;     // the printed obstacle clearance is below its norm
    bool storedObstacleBreach = false;  // the same for a stored obstacle: counted once more
};

// The span regime calculation: what the report shows, as values.
struct SpanRegimeOutcome {
    bool written = false;  // false when the calculation was refused (see refusal)
    std::string refusal;   // "Введите значения замера": two-point mode without a measurement
    int violations = 0;    // failed checks; 0 gives the verdict "МОЖНО"
    SpanResult result;     // the state of the last obstacle, Sigma reset to 0
    Amperes Icond = 0;     // the current of one conductor of the phase
    std::vector<SpanCurrents> sections;     // the allowable currents of each section, in order
    std::vector<SpanSectionValues> values;  // the rest of each section, in the same order
};

inline constexpr const char* kVerdictYes = "РАБОТАТЬ ПРИ ЗАДАННЫХ УСЛОВИЯХ МОЖНО!!!";
inline constexpr const char* kVerdictNo = "РАБОТАТЬ ПРИ ЗАДАННЫХ УСЛОВИЯХ НЕЛЬЗЯ!!!";

// Why the span regime cannot be calculated before anything is done: "Введите значения замера"
// in the two-point mode without a measurement; empty when it can.
std::string SpanRegimeRefusal(const TySpan& span, const CalcEnv& env);

// The span regime calculation: the obstacle loop of the span in the regime of its source data,
// from its stored reference state; a span without obstacles has one section, searched with an
// empty obstacle. When `view` is given, the span view is drawn into it (cleared first).
// Calculation errors propagate (CalcError).
SpanRegimeOutcome CalculateSpanRegime(const TyLine& line, TySpan& span, const CalcEnv& env, SpanView* view = nullptr);

// The fixed-width report of a calculation that was written: a section per obstacle with every
// breach in red, the verdict in blue.
Report SpanRegimeText(const TyLine& line, const TySpan& span, const CalcEnv& env, const SpanRegimeOutcome& o);

}  // namespace qem

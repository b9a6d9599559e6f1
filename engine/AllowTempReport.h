#pragma once
// Allowable temperatures report: per span, the conductor temperature the regime current
// produces and the conductor temperatures up to which the clearances to the ground and to
// the span's first obstacle still meet their norms. Uses the stored reference states.
#include <string>

#include "engine/CalcEnv.h"
#include "engine/Report.h"
#include "model/QEMcom.h"

namespace qem {

struct AllowTempOutcome {
    bool failed = false;  // a calculation error ended the table; the rows so far are in it
    std::string error;
    std::string message;  // what the command shows then (CalcErrorText)
};

// Appends the table of one line to `out`. A span with an unusable value (engine/UsableValues.h)
// fails the table when it is reached.
AllowTempOutcome AllowTempTable(TyLine& line, const CalcEnv& env, Report& out);

}  // namespace qem

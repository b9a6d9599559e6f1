#pragma once
// Allowable temperatures report: per span, the conductor temperature the regime current
// produces and the conductor temperatures up to which the clearances to the ground and to
// the span's first obstacle still meet their norms. Uses the stored reference states.
#include <string>
#include <vector>

#include "engine/CalcEnv.h"
#include "engine/Report.h"
#include "model/QEMcom.h"

namespace qem {

// One row of the table: span j.
struct AllowTempRow {
    int span = 1;
    Celsius THeat = 0;     // conductor temperature at the end of the heating curve
    Metres ClrMin = 0;     // smallest ground clearance then
    bool present = false;  // obstacle 1 lies more than 0.1 m from support 1
    Metres ClrObst = 0;    // the signed clearance to it then
    Celsius TGround = 0;   // allowable conductor temperature by the ground clearance
    Celsius TObst = 0;     // by the clearance to obstacle 1
};

struct AllowTempOutcome {
    bool failed = false;  // a calculation error ended the table; the rows so far are in it
    std::string error;
    std::string message;  // what the command shows then (CalcErrorText)
    std::vector<AllowTempRow> rows;
};

// The rows of one line. A span with an unusable value (engine/UsableValues.h) fails the table
// when it is reached.
AllowTempOutcome CalculateAllowTemp(TyLine& line, const CalcEnv& env);

// Appends the table of the line's rows to `out`.
void AllowTempText(const TyLine& line, const AllowTempOutcome& o, Report& out);

// Both: the table of one line appended to `out`.
AllowTempOutcome AllowTempTable(TyLine& line, const CalcEnv& env, Report& out);

}  // namespace qem

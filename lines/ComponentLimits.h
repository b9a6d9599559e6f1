#pragma once
// Long-term (ДДТН) and emergency (АДТН) allowable currents of every component in series
// with a line at the fourteen limit air temperatures -20 ... +45 C: line conductor, cable
// insert, busbar connections, buses and terminal equipment.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/LineReport.h"
#include "engine/Report.h"
#include "engine/Units.h"
#include "model/QEMcom.h"
#include "platform/Dialogs.h"

namespace qem {

inline constexpr int kLimitTemps = 14;
inline constexpr int NoLimit = 500000;
// Limit temperature c = 0..13: -20 + 5c.
inline constexpr Celsius LimitTemp(int c) { return -20.0 + 5.0 * c; }

// Phase current at which the conductor of span `s` of the line reaches LongTermTemp (ДД) or its
// TMax (МД) at air temperature Ta, in the span's own wind; the span is left as found.
Amperes getAmperDD(TyLine& line, int s, Celsius Ta, Celsius LongTermTemp);
Amperes getAmperMD(TyLine& line, int s, Celsius Ta);

struct ComponentRow {
    std::string name;  // "Провод ВЛ", "Кабельная вставка", "Ош1", "Ш1", "В1", "Р1", "З1", "ТТ1", ...
    std::string text;  // the component's own text: conductor, wire count and name, equipment name
    bool present = false;
    std::array<std::optional<double>, kLimitTemps> DDTN{}, ADTN{};  // empty where there is no limit
};

// The line conductor at one limit temperature: ДДТН the smaller of LineILong and LineIClr, АДТН
// of LineIMax and LineIClr, from the line regime calculation with every span at that air
// temperature. A calculation that stops (a measurement check, an arithmetic failure) or leaves
// a minimum at its starting value rates nothing: the conductor then has no rating, never the
// starting 100000 A.
struct ConductorRating {
    Celsius T = 0;
    std::optional<double> DDTN, ADTN;  // phase currents, A; empty when not rated
    std::string failure;               // why it is not rated (naming the span); empty when rated
    // What sets each when rated: the span and why ("пролёт 3 - 4: нагрев", "... габарит до
    // земли", "... габарит до препятствия 2 «ВЛ 35кВ»"); empty when not known.
    std::string ddtnBy, adtnBy;
    int span = 0;                    // the span where the calculation stopped; 0 when none
    std::vector<std::string> notes;  // other messages of the calculation, each once
    Report report;                   // the line table at T
    bool rated() const { return failure.empty(); }
};
using ConductorRatings = std::array<ConductorRating, kLimitTemps>;

// The rating the minima of a finished line calculation give (a line of `spans` spans).
ConductorRating RatingFromMinima(Celsius T, const LineMinima& m, int spans);

// What sets the line conductor's ДДТН (emergency false) or АДТН (true) in the minima of a
// finished calculation of `line`: the span and why — heating, the clearance to the ground, or
// the clearance to an obstacle with its number and type.
std::string ConductorLimitText(const TyLine& line, const LineMinima& m, bool emergency);

// The line as the table rates it: wire counts below 1 made 1, and with `useSourceCondition`
// a clear sky and 0.6 m/s at 90 deg in every span.
TyLine LimitLine(const TyLine& line, bool useSourceCondition);

struct ComponentTable {
    std::vector<ComponentRow> rows;  // in the order of the limit table: conductor, cable, end 1, end 2
    bool busFailed = false;          // the busbar/bus rating failed; the messages were shown
    // The line conductor could not be rated at conductorFailureT (the lowest such limit
    // temperature): the reason, naming the span; its row then holds no values at all.
    std::string conductorFailure;
    Celsius conductorFailureT = 0;
};

// The table with the line conductor from its 14 ratings (made beforehand on LimitLine, each
// independent of the others); the busbar connections and buses in the carrier span (span 1)
// at 0.6 m/s across; the equipment from its tables. With `useSourceCondition` the buses are
// rated with a clear sky. The line is put back as it was, except wire counts below 1, which
// become 1. A cable insert limit that is not a finite number throws CalcError naming the line.
ComponentTable ComponentLimits(TyLine& line, Celsius LongTermTemp, bool useSourceCondition, Dialogs& dlg,
                               const ConductorRatings& conductor);

// The same with the line conductor rated in place by `runLine` (the line regime calculation,
// which returns the line minima) at each limit temperature with every span's Tvv set to it.
ComponentTable ComponentLimits(TyLine& line, Celsius LongTermTemp, bool useSourceCondition, Dialogs& dlg,
                               const std::function<LineMinima(TyLine&)>& runLine);

}  // namespace qem

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

struct ComponentTable {
    std::vector<ComponentRow> rows;  // in the order of the limit table: conductor, cable, end 1, end 2
    bool busFailed = false;          // the busbar/bus rating failed; the messages were shown
};

// Rates the line conductor by running `runLine` (the line regime calculation, which returns
// the line minima) at each limit temperature with every span's Tvv set to it; the busbar
// connections and buses in the carrier span (span 1) at 0.6 m/s across; the equipment from its
// tables. With `useSourceCondition` the whole line runs with a clear sky and 0.6 m/s at 90 deg.
// The line is put back as it was, except wire counts below 1, which become 1. A cable insert
// limit that is not a finite number throws CalcError naming the line, before anything is rated.
ComponentTable ComponentLimits(TyLine& line, Celsius LongTermTemp, bool useSourceCondition, Dialogs& dlg,
                               const std::function<LineMinima(TyLine&)>& runLine);

}  // namespace qem

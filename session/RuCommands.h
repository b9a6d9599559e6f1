#pragma once
// The commands of the initial-conditions dialog ("Расчет начальных условий") on the current
// span of the open network: "Расчёт", "Расчёт температуры провода" and "Полный расчёт".
// Texts are UTF-8.
#include <string>

#include "platform/Dialogs.h"
#include "session/AppState.h"

namespace qem {

// The measurement the dialog works on: currentZamer, 0 taken as 1, within 1..10.
int CurrentZamerIndex(const AppState& app);

// "Расчёт": with the temporary sea-level points in the profile, the sag (one-point mode) and
// the conductor temperature of the latest measurement, then ComputeInitialConditions
// (Si, Tv = 25, V = 0, Bg = 0). A failure is shown as its message when `report` is set
// (the run on activation keeps quiet) and leaves the span's reference state as it was.
// Returns true when the reference state was derived.
bool RuCalculate(AppState& app, Dialogs& dialogs, bool report = true);

// "Расчёт температуры провода": ZamerConductorTemp of the current measurement; a failure is
// shown. Returns true when TPr was computed.
bool RuConductorTemp(AppState& app, Dialogs& dialogs);

// "Полный расчёт": ComputeInitialConditions of every span of the current line from its stored
// FZam and TPr (one-point mode also RasUsl := 1). A span that fails keeps its reference state;
// the failures are shown together in one message at the end; the network counts as modified
// when a span was done. Returns the number of spans done.
int RuFullCalculation(AppState& app, Dialogs& dialogs);

}  // namespace qem

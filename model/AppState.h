#pragma once
// The state of the running program: the data folder with its settings and catalogs, the
// open network with the current line and span, the line folder with its files, and the
// choices of the main window that the calculations read.
#include <string>
#include <vector>

#include "engine/CalcEnv.h"
#include "model/AppData.h"
#include "model/Network.h"

namespace qem {

struct AppState {
    AppData data;                        // data folder, settings, LineFolder/SelFileRow, catalogs
    Network net;                         // Lines, CurLine, CurSpan, NetFileName, UsePUE6/7
    std::vector<std::string> LineFiles;  // the network files of the line folder
    ZamerMode mode = ZamerMode::OnePoint;  // "По одному замеру" / "По двум замерам"
    bool seaLevel = false;                  // "Учитывать" / "Не учитывать"
    int currentZamer = 1;                   // current measurement of the initial-conditions dialog

    // Catalog entry 1, which new spans copy (all zeros when the catalog is empty).
    TyWire FirstWire() const;
    // The environment of a calculation with the norms and settings in force.
    CalcEnv Env() const;
};

// The current line and its current span; nullptr when there is none.
TyLine* CurrentLine(AppState& app);
TySpan* CurrentSpan(AppState& app);
const TySpan* CurrentSpan(const AppState& app);

}  // namespace qem

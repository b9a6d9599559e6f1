#pragma once
// The state of the running program: the data folder with its settings and catalogs, the
// open network with the current line and span, the line folder with its files, and the
// choices of the main window that the calculations read.
#include <string>
#include <vector>

#include "engine/CalcEnv.h"
#include "model/AppData.h"
#include "model/Network.h"
#include "platform/CalcRun.h"
#include "platform/FileSystem.h"
#include "platform/Parallel.h"

namespace qem {

struct AppState {
    AppData data;                          // data folder, settings, LineFolder/SelFileRow, catalogs
    Network net;                           // Lines, CurLine, CurSpan, NetFileName, UsePUE6/7
    std::vector<std::string> LineFiles;    // the network files of the line folder
    ZamerMode mode = ZamerMode::OnePoint;  // "По одному замеру" / "По двум замерам"
    bool seaLevel = false;                 // "Учитывать" / "Не учитывать"
    unsigned jobs = AllCores();            // threads of the long calculations
    int currentZamer = 1;                  // current measurement of the initial-conditions dialog
    FileStamp netStamp;                    // NetFileName as it was when last opened or saved
    // A long calculation on the worker thread: while it runs, nothing may change the network,
    // the catalogs, the norms or the settings.
    CalcRun calc;

    // Catalog entry 1, which new spans copy (all zeros when the catalog is empty).
    TyWire FirstWire() const;
    // The environment of a calculation with the norms and settings in force.
    CalcEnv Env() const;
};

// The current line and its current span; nullptr when there is none.
TyLine* CurrentLine(AppState& app);
TySpan* CurrentSpan(AppState& app);
const TySpan* CurrentSpan(const AppState& app);

// A user's action on the current span through a set-up window, which edits the span record
// directly: when the span differs afterwards, the network counts as modified.
class SpanEditScope {
public:
    explicit SpanEditScope(AppState& app);
    ~SpanEditScope();
    SpanEditScope(const SpanEditScope&) = delete;
    SpanEditScope& operator=(const SpanEditScope&) = delete;

private:
    AppState& app_;
    const TySpan* span_;
    std::vector<std::uint8_t> before_;  // the stored image of the span
};

}  // namespace qem

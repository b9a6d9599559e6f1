#pragma once
// What the calculation subcommands share: the data folder with its catalogs, norms and
// settings (--data DIR, --pue6), the network file, the current line and span, the main
// window's two choices (--mode one|two, --sea/--no-sea) and the dialogs (messages to stderr,
// questions answered by --yes/--no, default: the answer that stops).
#include <filesystem>
#include <string>

#include "app/qemcli/Cli.h"
#include "engine/CalcEnv.h"
#include "engine/Report.h"
#include "lines/ShortTimeCommands.h"
#include "model/Catalog.h"
#include "model/KOCat.h"
#include "model/Network.h"
#include "model/Settings.h"
#include "platform/ScriptedDialogs.h"

namespace qem::cli {

struct Session {
    std::filesystem::path dataDir;
    WireCatalog wires;
    Norms norms;
    KOCat ko;
    Settings settings;
    Network net;
    ScriptedDialogs dlg;
    CalcEnv env;
};

// Loads the data folder and, when `network` is not empty, the network (conductors refreshed
// from the catalog as on opening). Throws with a clear message on unreadable files.
void OpenSession(Session& s, const Args& a, const std::string& network);

// Makes line --line current (and span --span when `withSpan`), checking the ranges.
void SelectLine(Session& s, const Args& a);
void SelectSpan(Session& s, const Args& a);

// The main window's choices for the span shown: two-point mode when LZam[1] > 0.001 and
// "Учитывать" when UseSea = 1, unless --mode one|two and --sea/--no-sea say otherwise.
void ApplyChoices(Session& s, const Args& a, const TySpan& shown);

// The line commands' start: the one network file of the command line opened, line --line
// made current, and the main window's choices for its first span.
void OpenLine(Session& s, const Args& a);

// Prints a report with colours per --color=always|never|auto (auto: colours on a terminal).
void PrintReport(const Report& r, const Args& a);

// --model qem|ieee738|cigre601, --emissivity E, --absorptivity A: the heat-balance model of the
// command, the standards' surface factors of the data folder's heatmodels.txt unless given;
// nothing when none of them is given.
std::optional<ModelChoice> ModelOption(const Session& s, const Args& a);

}  // namespace qem::cli

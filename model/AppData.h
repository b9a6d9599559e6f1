#pragma once
// Everything a command needs from the data folder: settings, remembered folder and the
// three catalogs, loaded in the start-up order.
#include <filesystem>

#include "model/Catalog.h"
#include "model/HeatModelData.h"
#include "model/KOCat.h"
#include "model/Norms.h"
#include "model/Settings.h"
#include "platform/Dialogs.h"

namespace qem {

struct AppData {
    std::filesystem::path dataDir;
    bool usePue6 = false;  // norms in force: hdg6.cat, else hdg7.cat
    Settings settings;
    FolderMemory folder;
    WireCatalog wires;
    Norms norms;
    KOCat ko;
    CatalogLoad load;    // what LoadCatalogs did
    HeatModelData heat;  // heatmodels.txt: the standards' surface factors and strand diameters
};

// LoadSettings (writing the defaults only with writeDefaults), then LoadCatalogs with the
// catalog file named in the settings, then heatmodels.txt. A damaged qem.cfg or LODL.txt throws
// DataFileError; a damaged heatmodels.txt leaves the models' defaults, with a warning through
// dialogs.
AppData LoadAll(const std::filesystem::path& dataDir, bool usePue6, Dialogs* dialogs = nullptr,
                bool writeDefaults = false);

// "ПУЭ 6" / "ПУЭ 7" in the main window: the rules in force change and every catalog is
// loaded again (unsaved catalog changes are replaced). Nothing is written.
CatalogLoad SwitchNorms(AppData& d, bool usePue6, Dialogs* dialogs = nullptr);
// The same switch in the catalog window: first SaveCatalogs of its conductor grid with the
// rules in force before the switch, then SwitchNorms. When the save fails (GridError,
// DataFileError) the exception leaves the rules unchanged.
CatalogLoad SwitchNormsSaving(AppData& d, const TextGrid& conductorGrid, bool usePue6, Dialogs* dialogs = nullptr);

}  // namespace qem

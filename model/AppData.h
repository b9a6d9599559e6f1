#pragma once
// Everything a command needs from the data folder: settings, remembered folder and the
// three catalogs, loaded in the start-up order.
#include <filesystem>

#include "equipment/KOCat.h"
#include "model/Catalog.h"
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
    CatalogLoad load;  // what LoadCatalogs did
};

// LoadSettings (writing the defaults only with writeDefaults), then LoadCatalogs with the
// catalog file named in the settings. A damaged qem.cfg or LODL.txt throws DataFileError.
AppData LoadAll(const std::filesystem::path& dataDir, bool usePue6, Dialogs* dialogs = nullptr,
                bool writeDefaults = false);

}  // namespace qem

#include "model/AppData.h"

namespace qem {

AppData LoadAll(const std::filesystem::path& dataDir, bool usePue6, Dialogs* dialogs, bool writeDefaults) {
    AppData d;
    d.dataDir = dataDir;
    d.usePue6 = usePue6;
    d.settings = LoadSettings(dataDir, d.folder, writeDefaults);
    d.load = LoadCatalogs(dataDir, FieldText(d.settings.WireCatFile), usePue6, d.wires, d.norms, d.ko, dialogs);
    try {
        d.heat = LoadHeatModelData(dataDir);
    } catch (const FileError& e) {
        if (dialogs)
            dialogs->Message(
                std::string(e.what()) + "\nМодели нагрева IEEE 738 и CIGRE 601 берут значения по умолчанию.", "",
                Icon::Warning);
    }
    return d;
}

CatalogLoad SwitchNorms(AppData& d, bool usePue6, Dialogs* dialogs) {
    d.usePue6 = usePue6;
    d.load = LoadCatalogs(d.dataDir, FieldText(d.settings.WireCatFile), usePue6, d.wires, d.norms, d.ko, dialogs);
    return d.load;
}

CatalogLoad SwitchNormsSaving(AppData& d, const TextGrid& conductorGrid, bool usePue6, Dialogs* dialogs) {
    SaveCatalogs(conductorGrid, d.dataDir, FieldText(d.settings.WireCatFile), d.usePue6, d.wires, d.norms);
    return SwitchNorms(d, usePue6, dialogs);
}

}  // namespace qem

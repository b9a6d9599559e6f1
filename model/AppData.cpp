#include "model/AppData.h"

namespace qem {

AppData LoadAll(const std::filesystem::path& dataDir, bool usePue6, Dialogs* dialogs, bool writeDefaults) {
    AppData d;
    d.dataDir = dataDir;
    d.usePue6 = usePue6;
    d.settings = LoadSettings(dataDir, d.folder, writeDefaults);
    d.load = LoadCatalogs(dataDir, FieldText(d.settings.WireCatFile), usePue6, d.wires, d.norms, d.ko, dialogs);
    return d;
}

}  // namespace qem

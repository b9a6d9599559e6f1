#pragma once
// "Подтвердить" of the import windows on the program's open network (setup/ImportLoad.h).
#include <string>

#include "platform/Dialogs.h"
#include "session/AppState.h"
#include "session/NetworkCommands.h"
#include "setup/ImportLoad.h"

namespace qem {

// ConfirmImport of setup/ImportLoad.h on the program's open network: a new network replaces it
// only after its unsaved edits were offered for saving (AskSaveChanges); after the import the
// network counts as saved in the file just written.
bool ConfirmImport(AppState& app, const ImportTable& table, const ImportChoice& choice, const std::string& newFile,
                   Dialogs& dialogs, const FolderHooks& hooks = {});

}  // namespace qem

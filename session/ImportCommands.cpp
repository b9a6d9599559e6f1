#include "session/ImportCommands.h"

#include "platform/FileSystem.h"

namespace qem {

bool ConfirmImport(AppState& app, const ImportTable& table, const ImportChoice& choice, const std::string& newFile,
                   Dialogs& dialogs, const FolderHooks& hooks) {
    // The rows go into the network and its file: not while a calculation walks them.
    if (RefusedWhileCalculating(app.calc, dialogs)) return false;
    if (choice.mode == ImportMode::NewNetwork && !AskSaveChanges(app, dialogs, hooks)) return false;
    if (!ConfirmImport(app.net, table, choice, newFile, app.FirstWire(), dialogs)) return false;
    app.net.Modified = false;
    app.netStamp = StampOf(app.net.NetFileName);
    return true;
}

}  // namespace qem

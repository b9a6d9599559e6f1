#pragma once
// The commands of the line folder and the network file: open, save, save as, new, the folder
// check that runs whenever the main window becomes active, choosing, deleting and merging
// files. They talk to the user through Dialogs and to the window through FolderHooks.
#include <functional>
#include <string>

#include "model/AppState.h"
#include "platform/Dialogs.h"

namespace qem {

inline constexpr const char* kQemFilter = "Данные для Qem|*.qem|Все файлы|*.*";
inline constexpr const char* kQemDefaultExt = "*.qem";
inline constexpr const char* kNewFileName = "Новый файл.qem";

// What the commands ask of the window; every hook may be left empty.
struct FolderHooks {
    std::function<void()> fillFilesGrid;          // the line files grid from LineFiles
    std::function<void(int)> showFileRow;         // make row r (from 0) the grid's current row
    std::function<void()> refreshNetwork;         // line list, span and source pages after opening
    std::function<bool()> closeMainWindow;        // true when the program is closing
    std::function<void(int points)> showImport;   // the spreadsheet import by 1 or 2 points, modal
    std::function<void()> afterCheck;             // hide the temperature chart page, rebuild obstacles
};

// The line folder as a path: an empty LineFolder means the data folder.
std::string LineFolderPath(const AppState& app);

// ScanFolder of the line folder into LineFiles.
void ScanLineFolder(AppState& app);

// Opens NetFileName (after a file dialog when ask): a file that does not exist gives one new
// line and nothing is written; a damaged file is reported and the network stays as it was.
// Returns false when nothing was opened.
bool OpenNetwork(AppState& app, Dialogs& dlg, bool ask, const FolderHooks& hooks = {});

// Saves the network to NetFileName, or asks for a new file when there is none.
void SaveNetwork(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});

// "Сохранить как..." of the menu: the network saved under its current name.
void SaveAsMenu(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});
// "Сохранить как" of the tool bar: a new name from the file dialog.
void SaveAsToolbar(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});

// A new network file of one new line, named in a file dialog; false on Cancel.
bool NewNetworkFile(AppState& app, Dialogs& dlg);
// "Новый" of the menu and of the tool bar.
void NewMenu(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});
void NewToolbar(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});

// Selecting row r of the line files grid opens that file (unsaved changes are not kept).
void SelectFileRow(AppState& app, Dialogs& dlg, int row, const FolderHooks& hooks = {});

// The folder check; returns false when the user chose to leave the program.
bool CheckFolder(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});

// "Выбрать": save, choose another line folder, check it.
void ChooseFolder(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});
// "Удалить": deletes the file of grid row r after the confirmation.
void DeleteFile(AppState& app, Dialogs& dlg, int row, const FolderHooks& hooks = {});
// "Объединить": DB_1.qem of all the folder's networks; problems are reported.
void MergeCommand(AppState& app, Dialogs& dlg);

}  // namespace qem

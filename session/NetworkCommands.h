#pragma once
// The commands of the line folder and the network file: open, save, save as, new, the folder
// check that runs whenever the main window becomes active, choosing, deleting and merging
// files. They talk to the user through Dialogs and to the window through FolderHooks.
#include <functional>
#include <string>

#include "platform/Dialogs.h"
#include "session/AppState.h"

namespace qem {

inline constexpr const char* kQemFilter = "Данные для Qem|*.qem|Все файлы|*.*";
inline constexpr const char* kQemDefaultExt = "*.qem";
inline constexpr const char* kNewFileName = "Новый файл.qem";

// What the commands ask of the window; every hook may be left empty.
struct FolderHooks {
    std::function<void()> fillFilesGrid;         // the line files grid from LineFiles
    std::function<void(int)> showFileRow;        // make row r (from 0) the grid's current row
    std::function<void()> refreshNetwork;        // line list, span and source pages after opening
    std::function<bool()> closeMainWindow;       // true when the program is closing
    std::function<void(int points)> showImport;  // the spreadsheet import by 1 or 2 points, modal
    std::function<void()> afterCheck;            // hide the temperature chart page, rebuild obstacles
};

// The line folder as a path: an empty LineFolder means the data folder.
std::string LineFolderPath(const AppState& app);

// ScanFolder of the line folder into LineFiles.
void ScanLineFolder(AppState& app);

// Before anything replaces a modified network (another file row, "Открыть", "Новый", a new
// network of the folder check): "Сохранить изменения в файле «name»?" with Да / Нет / Отмена.
// Yes saves (SaveNetwork); true when the caller may go on: nothing modified, No, or Yes and
// the network was saved. Cancel, or a save that failed or was cancelled, gives false.
bool AskSaveChanges(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});

inline constexpr const char* kMsgAskExit = " Вы действительно хотите выйти из программы? ";
inline constexpr const char* kMsgExitNotSaved = "Сеть не сохранена, программа не закрыта.";
// Closing the program: a modified network is offered for saving with the question of
// AskSaveChanges (Да saves it, Нет leaves it unsaved, Отмена stays; a save that fails or is
// cancelled keeps the program open with kMsgExitNotSaved); an unmodified one asks kMsgAskExit
// (Да / Нет) and writes nothing. True when the program may end. The settings are not its part.
bool ConfirmExit(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});

// Opens NetFileName (after a file dialog when ask): a file that does not exist gives one new
// line and nothing is written; a damaged file is reported and the network stays as it was.
// With ask, a modified network is first offered for saving (AskSaveChanges). Returns false
// when nothing was opened.
bool OpenNetwork(AppState& app, Dialogs& dlg, bool ask, const FolderHooks& hooks = {});

// Saves the network to NetFileName. When there is none (or its folder is gone) it says so and
// asks for a file name in a file dialog; the network in memory is written there, the folder
// re-listed and that file's row made current. True when the network was written.
bool SaveNetwork(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});

// "Сохранить как..." of the menu: the network saved under its current name.
void SaveAsMenu(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});
// "Сохранить как" of the tool bar: a new name from the file dialog.
void SaveAsToolbar(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});

// A new network file of one new line, named in a file dialog; false on Cancel.
bool NewNetworkFile(AppState& app, Dialogs& dlg);
// "Новый" of the menu and of the tool bar; a modified network is first offered for saving.
void NewMenu(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});
void NewToolbar(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});

// Selecting row r of the line files grid opens that file after a modified network was offered
// for saving. False when nothing was opened (the question cancelled, a damaged file); the
// network in memory then stays open.
bool SelectFileRow(AppState& app, Dialogs& dlg, int row, const FolderHooks& hooks = {});

// The folder check: the line folder listed, then the remembered file opened
// (RememberedFileRow), or the questions of an empty folder. Returns false when the user chose to
// leave the program.
bool CheckFolder(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});

// The open file as the line files grid lists it: its row (from 0) in LineFiles, -1 when the
// file is not in the line folder.
int OpenFileRow(const AppState& app);

// The row (from 0) of the line files that the folder check opens: the remembered file by its
// name; for a LODL.txt of an older program, which names none, the file the settings record as
// the one open at the last exit when the folder lists it; else the remembered row (the first
// when it lies beyond the list).
int RememberedFileRow(const AppState& app);

// A later activation of the main window: the folder is listed again and the open file's row
// made current without opening anything. When the open file was written by someone else
// since it was opened or saved here, the question "Файл «name» изменён другой программой.
// Загрузить его заново?" (Yes/No; with unsaved changes it says they will be lost) decides
// whether it is read again; No keeps the network in memory and asks no more about that state
// of the file.
void RecheckFolder(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});

// "Выбрать": save, choose another line folder, check it.
void ChooseFolder(AppState& app, Dialogs& dlg, const FolderHooks& hooks = {});
// "Удалить": deletes the file of grid row r after the confirmation.
void DeleteFile(AppState& app, Dialogs& dlg, int row, const FolderHooks& hooks = {});
// "Объединить": DB_1.qem of all the folder's networks; problems are reported.
void MergeCommand(AppState& app, Dialogs& dlg);

}  // namespace qem

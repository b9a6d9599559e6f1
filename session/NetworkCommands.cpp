#include "session/NetworkCommands.h"

#include <algorithm>
#include <filesystem>

#include "model/Catalog.h"
#include "model/Cp1251.h"
#include "model/NetworkFile.h"
#include "platform/FileSystem.h"

namespace qem {

namespace fs = std::filesystem;

namespace {

// A path kept in the settings record holds at most 255 characters.
std::string Cut255(const std::string& utf8) { return Utf8Left(utf8, 255); }

std::string Join(const std::string& folder, const std::string& name) {
    return PathToUtf8(PathFromUtf8(folder) / PathFromUtf8(name));
}

void Call(const std::function<void()>& f) {
    if (f) f();
}

// Writes the network; a failure is shown and the file on disk stays as it was.
bool WriteShown(AppState& app, Dialogs& dlg) {
    try {
        WriteNetwork(app.net);
    } catch (const std::exception& e) {
        dlg.Message(e.what(), "", Icon::Error);
        return false;
    }
    app.net.Modified = false;
    app.netStamp = StampOf(app.net.NetFileName);
    return true;
}

std::string FileNameOf(const std::string& path) { return PathToUtf8(PathFromUtf8(path).filename()); }

}  // namespace

// After a file was written under a new name: open it, list the folder again and make the
// last row of the files grid current.
static void OpenWrittenFile(AppState& app, Dialogs& dlg, const FolderHooks& hooks) {
    Call(hooks.fillFilesGrid);
    OpenNetwork(app, dlg, false, hooks);
    ScanLineFolder(app);
    Call(hooks.fillFilesGrid);
    if (hooks.showFileRow && !app.LineFiles.empty()) hooks.showFileRow(int(app.LineFiles.size()) - 1);
}

std::string LineFolderPath(const AppState& app) {
    return app.data.folder.LineFolder.empty() ? PathToUtf8(app.data.dataDir) : app.data.folder.LineFolder;
}

void ScanLineFolder(AppState& app) { app.LineFiles = ScanFolder(LineFolderPath(app)); }

// Opens the file at path. NetFileName becomes path only when the network in memory is then
// that file's (read, or a new line for a file that does not exist yet): a damaged file is
// reported and leaves both the network and NetFileName as they were, so that no later save
// writes the network of one file over another.
static bool OpenPath(AppState& app, Dialogs& dlg, const std::string& path, const FolderHooks& hooks) {
    // Another network in place of the one a calculation walks: not before it has ended.
    if (RefusedWhileCalculating(app.calc, dlg)) return false;
    std::error_code ec;
    if (path.empty() || !fs::is_regular_file(PathFromUtf8(path), ec)) {
        app.net.NetFileName = path;
        app.net.Lines.clear();
        app.net.Lines.push_back(NewLine(app.FirstWire(), app.net.Now()));
        app.net.CurLine = 1;
        app.net.Modified = false;
        app.netStamp = StampOf(path);
        Call(hooks.refreshNetwork);
        return true;
    }
    std::vector<TyLine> lines;
    try {
        lines = ReadNetwork(path);
    } catch (const std::exception& e) {
        dlg.Message(e.what(), "", Icon::Error);
        return false;
    }
    app.net.Lines = std::move(lines);
    app.net.NetFileName = path;
    if (app.net.NLines() > 0) app.net.CurLine = 1;
    app.net.ResetCurSpans();
    Call(hooks.refreshNetwork);
    RefreshConductors(app.net.Lines, app.data.wires);
    app.net.Modified = false;
    app.netStamp = StampOf(path);
    return true;
}

// "Сохранить изменения в файле «name»?" (or "... в новом файле?"), Да / Нет / Отмена.
static Answer AskSaveQuestion(const AppState& app, Dialogs& dlg) {
    const std::string text = app.net.NetFileName.empty()
                                 ? std::string("Сохранить изменения в новом файле?")
                                 : "Сохранить изменения в файле " + Quoted(FileNameOf(app.net.NetFileName)) + "?";
    return dlg.Ask(text, Buttons::YesNoCancel);
}

bool AskSaveChanges(AppState& app, Dialogs& dlg, const FolderHooks& hooks) {
    if (!app.net.Modified || app.net.NLines() == 0) return true;
    switch (AskSaveQuestion(app, dlg)) {
        case Answer::Yes: return SaveNetwork(app, dlg, hooks);
        case Answer::No: return true;
        case Answer::Cancel: return false;
    }
    return false;
}

bool ConfirmExit(AppState& app, Dialogs& dlg, const FolderHooks& hooks) {
    if (!app.net.Modified || app.net.NLines() == 0) return dlg.Ask(kMsgAskExit, Buttons::YesNo) == Answer::Yes;
    switch (AskSaveQuestion(app, dlg)) {
        case Answer::No: return true;
        case Answer::Cancel: return false;
        case Answer::Yes: break;
    }
    if (SaveNetwork(app, dlg, hooks)) return true;
    dlg.Message(kMsgExitNotSaved, "", Icon::Warning);
    return false;
}

bool OpenNetwork(AppState& app, Dialogs& dlg, bool ask, const FolderHooks& hooks) {
    std::string path = app.net.NetFileName;
    if (ask) {
        if (!AskSaveChanges(app, dlg, hooks)) return false;
        auto f = dlg.OpenFileName(PathToUtf8(app.data.dataDir), kQemFilter, kQemDefaultExt);
        if (!f) return false;
        path = Cut255(*f);
    }
    return OpenPath(app, dlg, path, hooks);
}

// The files grid lists the folder again and shows the open file's row (none when the file is
// not in the line folder).
static void ShowOpenFileRow(AppState& app, const FolderHooks& hooks) {
    ScanLineFolder(app);
    Call(hooks.fillFilesGrid);
    const int row = OpenFileRow(app);
    if (row >= 0) {
        app.data.folder.SelFileRow = row;
        app.data.folder.SelFileName = app.LineFiles[row];
    }
    if (hooks.showFileRow) hooks.showFileRow(row);
}

bool SaveNetwork(AppState& app, Dialogs& dlg, const FolderHooks& hooks) {
    if (app.net.NLines() == 0) return false;  // no network is open: nothing to write over a file
    // A calculation writes its results into the network while it runs: the file would get a
    // network half way through it.
    if (RefusedWhileCalculating(app.calc, dlg)) return false;
    std::error_code ec;
    const auto folder = PathFromUtf8(app.net.NetFileName).parent_path();
    if (!app.net.NetFileName.empty() && fs::is_directory(folder.empty() ? fs::path(".") : folder, ec))
        return WriteShown(app, dlg);
    dlg.Ask("В данной папке не содержится qem файлов, выберите имя для нового файла", Buttons::Yes);
    // The network in memory goes into the file chosen (a new network there would replace it).
    auto f = dlg.SaveFileName(PathToUtf8(app.data.dataDir), kQemFilter, kQemDefaultExt);
    if (!f) return false;
    const std::string previous = app.net.NetFileName;
    app.net.NetFileName = Cut255(*f);
    if (!WriteShown(app, dlg)) {
        app.net.NetFileName = previous;
        return false;
    }
    ShowOpenFileRow(app, hooks);
    return true;
}

void SaveAsMenu(AppState& app, Dialogs& dlg, const FolderHooks& hooks) {
    // The network is saved under its current name; the write replaces the file atomically, so
    // a failed save leaves the previous file whole instead of an emptied one.
    SaveNetwork(app, dlg, hooks);
}

void SaveAsToolbar(AppState& app, Dialogs& dlg, const FolderHooks& hooks) {
    auto f = dlg.SaveFileName(PathToUtf8(app.data.dataDir), kQemFilter, kQemDefaultExt);
    if (!f) return;
    app.net.NetFileName = Cut255(*f);
    if (!WriteShown(app, dlg)) return;
    OpenWrittenFile(app, dlg, hooks);
}

bool NewNetworkFile(AppState& app, Dialogs& dlg) {
    auto f = dlg.SaveFileName(PathToUtf8(app.data.dataDir), kQemFilter, kQemDefaultExt);
    if (!f) return false;
    app.net.NetFileName = Cut255(*f);
    app.net.Lines.clear();
    app.net.AddLine(app.FirstWire());
    return WriteShown(app, dlg);
}

void NewMenu(AppState& app, Dialogs& dlg, const FolderHooks& hooks) {
    if (!AskSaveChanges(app, dlg, hooks) || !NewNetworkFile(app, dlg)) return;
    OpenWrittenFile(app, dlg, hooks);
}

void NewToolbar(AppState& app, Dialogs& dlg, const FolderHooks& hooks) {
    if (!AskSaveChanges(app, dlg, hooks) || !NewNetworkFile(app, dlg)) return;
    const std::string name = FileNameOf(app.net.NetFileName);
    CheckFolder(app, dlg, hooks);
    for (int r = 0; r < int(app.LineFiles.size()); ++r)
        if (app.LineFiles[r] == name && SelectFileRow(app, dlg, r, hooks) && hooks.showFileRow) hooks.showFileRow(r);
}

bool SelectFileRow(AppState& app, Dialogs& dlg, int row, const FolderHooks& hooks) {
    if (!AskSaveChanges(app, dlg, hooks)) return false;
    const std::string text = row >= 0 && row < int(app.LineFiles.size()) ? app.LineFiles[row] : std::string();
    if (!OpenPath(app, dlg, text.empty() ? std::string() : Cut255(Join(LineFolderPath(app), text)), hooks))
        return false;
    app.data.folder.SelFileRow = row;
    app.data.folder.SelFileName = text;
    return true;
}

// The row of the line files grid that lists the file at path; -1 when none does.
static int RowOfPath(const AppState& app, const std::string& path) {
    if (path.empty()) return -1;
    const fs::path open = PathFromUtf8(path);
    for (int r = 0; r < int(app.LineFiles.size()); ++r) {
        const fs::path p = PathFromUtf8(Join(LineFolderPath(app), app.LineFiles[r]));
        std::error_code ec;
        if (p.lexically_normal() == open.lexically_normal() || fs::equivalent(p, open, ec)) return r;
    }
    return -1;
}

int OpenFileRow(const AppState& app) { return RowOfPath(app, app.net.NetFileName); }

int RememberedFileRow(const AppState& app) {
    const FolderMemory& m = app.data.folder;
    if (!m.SelFileName.empty()) {
        const auto it = std::find(app.LineFiles.begin(), app.LineFiles.end(), m.SelFileName);
        if (it != app.LineFiles.end()) return int(it - app.LineFiles.begin());
    } else if (const int r = RowOfPath(app, FieldText(app.data.settings.NetFileName)); r >= 0) {
        return r;
    }
    const int row = m.SelFileRow;
    return row < 0 || row >= int(app.LineFiles.size()) ? 0 : row;
}

void RecheckFolder(AppState& app, Dialogs& dlg, const FolderHooks& hooks) {
    ShowOpenFileRow(app, hooks);
    if (app.net.NLines() == 0 || app.net.NetFileName.empty()) return;
    const FileStamp now = StampOf(app.net.NetFileName);
    if (!now.exists || now == app.netStamp) return;
    std::string text =
        "Файл " + Quoted(FileNameOf(app.net.NetFileName)) + " изменён другой программой. Загрузить его заново?";
    if (app.net.Modified) text += " Изменения, не сохранённые здесь, будут потеряны.";
    // Whatever the answer, this state of the file has been asked about.
    app.netStamp = now;
    if (dlg.Ask(text, Buttons::YesNo) != Answer::Yes) return;
    if (OpenPath(app, dlg, app.net.NetFileName, hooks)) ShowOpenFileRow(app, hooks);
}

bool CheckFolder(AppState& app, Dialogs& dlg, const FolderHooks& hooks) {
    // A person answers the dialogs until the folder holds a file or the program closes; a
    // scripted run that keeps answering the same way stops after a bounded number of rounds.
    for (int round = 0; round < 50; ++round) {
        ScanLineFolder(app);
        Call(hooks.fillFilesGrid);
        if (!app.LineFiles.empty()) {
            const int row = RememberedFileRow(app);
            const bool opened = SelectFileRow(app, dlg, row, hooks);
            // Nothing opened: the grid shows the file still open, if it is listed.
            if (hooks.showFileRow) hooks.showFileRow(opened ? row : OpenFileRow(app));
            Call(hooks.afterCheck);
            return true;
        }
        const Answer a = dlg.Ask("В папке " + LineFolderPath(app) +
                                     " отсутствуют файлы,(Yes - выбрать другую папку, No - Создать файл, Cansel - "
                                     "выйти из программы)",
                                 Buttons::YesNoCancel);
        if (a == Answer::Yes) {
            if (auto d = dlg.BrowseFolder("Выберите папку с файлами", "/", LineFolderPath(app)))
                app.data.folder.LineFolder = *d;
            continue;
        }
        if (a == Answer::Cancel && hooks.closeMainWindow && hooks.closeMainWindow()) return false;
        if (dlg.Ask("Создать новый файл (Yes - создать пустой, No - импорт из excel)", Buttons::YesNo) == Answer::Yes) {
            if (!AskSaveChanges(app, dlg, hooks)) return true;
            app.data.folder.LineFolder = PathToUtf8(app.data.dataDir);
            app.net.Lines.clear();
            app.net.AddLine(app.FirstWire());
            app.net.NetFileName = Join(app.data.folder.LineFolder, kNewFileName);
            SaveNetwork(app, dlg, hooks);
            continue;
        }
        const int points =
            dlg.Ask("Загрузить из excel (Yes - по одному замеру, No - по двум замерам)", Buttons::YesNo) == Answer::Yes
                ? 1
                : 2;
        if (!AskSaveChanges(app, dlg, hooks)) return true;
        app.net.Lines.clear();
        app.net.AddLine(app.FirstWire());
        // The empty network belongs to no file: nothing may later save it over the file of
        // another folder that NetFileName still names; it holds nothing to offer for saving.
        app.net.NetFileName.clear();
        app.net.Modified = false;
        if (hooks.showImport) hooks.showImport(points);
    }
    return true;
}

void ChooseFolder(AppState& app, Dialogs& dlg, const FolderHooks& hooks) {
    SaveNetwork(app, dlg, hooks);
    if (auto d = dlg.BrowseFolder("Выберите папку с файлами", "/", LineFolderPath(app))) {
        app.data.folder.LineFolder = *d;
        CheckFolder(app, dlg, hooks);
    }
}

void DeleteFile(AppState& app, Dialogs& dlg, int row, const FolderHooks& hooks) {
    if (row < 0 || row >= int(app.LineFiles.size())) return;
    const std::string path = Join(LineFolderPath(app), app.LineFiles[row]);
    if (dlg.Ask("Вы действительно хотите удалить данный файл?", Buttons::YesCancel) == Answer::Cancel) return;
    std::error_code ec;
    fs::remove(PathFromUtf8(path), ec);
    if (ec) dlg.Message("Не удалось удалить файл «" + path + "»: " + ec.message(), "", Icon::Error);
    ScanLineFolder(app);
    Call(hooks.fillFilesGrid);
    CheckFolder(app, dlg, hooks);
}

void MergeCommand(AppState& app, Dialogs& dlg) {
    const MergeResult r = MergeFolder(LineFolderPath(app));
    if (!r.problems.empty()) {
        std::string text;
        for (const auto& p : r.problems) text += p + "\n";
        dlg.Message(text, "", Icon::Warning);
    }
}

}  // namespace qem

// Line folder and network commands, the folder check, and the line list with its buttons.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "model/Cp1251.h"
#include "model/NetworkFile.h"
#include "platform/ScriptedDialogs.h"
#include "session/LineList.h"
#include "session/NetworkCommands.h"
#include "tests/core/TempFolder.h"

using namespace qem;
using qemtest::TempFolder;
namespace fs = std::filesystem;

namespace {

const char* const kNoFiles =
    " отсутствуют файлы,(Yes - выбрать другую папку, No - Создать файл, Cansel - выйти из программы)";

// A program state on a data folder with a one-entry catalog and a fixed clock.
struct Fixture {
    TempFolder data;
    AppState app;
    ScriptedDialogs dlg;
    Fixture() {
        app.data.dataDir = data.path;
        app.data.wires.NWires = 1;
        app.data.wires.Wires[1].Name.assign(Utf8ToCp1251("АС"));
        app.data.wires.Wires[1].SAlN = 240;
        app.data.wires.Wires[1].SStN = 39;
        app.net.Now = [] { return 45000.5; };
    }
    // A network file of n lines in folder.
    std::string Network(const fs::path& folder, const std::string& name, int n) {
        std::vector<TyLine> lines;
        for (int i = 0; i < n; ++i) {
            lines.push_back(NewLine(app.FirstWire(), 45000));
            lines.back().NVL = 100 + i;
        }
        const std::string path = PathToUtf8(folder / fs::u8path(name));
        WriteNetwork(path, lines);
        return path;
    }
};

}  // namespace

TEST(CheckFolder, EmptyFolderNoThenYesCreatesNewFileInTheDataFolder) {
    Fixture f;
    TempFolder lines;
    f.app.data.folder.LineFolder = PathToUtf8(lines.path);
    f.dlg.answers = {Answer::No, Answer::Yes};
    ASSERT_TRUE(CheckFolder(f.app, f.dlg));
    ASSERT_GE(f.dlg.shown.size(), 2u);
    EXPECT_EQ(f.dlg.shown[0].text, "В папке " + PathToUtf8(lines.path) + kNoFiles);
    EXPECT_EQ(f.dlg.shown[0].buttons, Buttons::YesNoCancel);
    EXPECT_EQ(f.dlg.shown[1].text, "Создать новый файл (Yes - создать пустой, No - импорт из excel)");
    // The new file is in the data folder, which becomes the line folder, and it is opened.
    EXPECT_EQ(f.app.data.folder.LineFolder, PathToUtf8(f.data.path));
    ASSERT_TRUE(fs::exists(f.data / kNewFileName));
    EXPECT_EQ(fs::file_size(f.data / kNewFileName), 5686u);
    EXPECT_EQ(f.app.LineFiles, std::vector<std::string>{kNewFileName});
    EXPECT_EQ(f.app.net.NLines(), 1);
    EXPECT_EQ(f.app.net.NetFileName, PathToUtf8(f.data / kNewFileName));
}

TEST(CheckFolder, YesChoosesAnotherFolderAndOpensItsSelectedFile) {
    Fixture f;
    TempFolder empty, other;
    f.Network(other.path, "a.qem", 1);
    f.Network(other.path, "b.QEM", 2);
    f.app.data.folder.LineFolder = PathToUtf8(empty.path);
    f.app.data.folder.SelFileRow = 7;  // beyond the list: the first file is taken
    f.dlg.answers = {Answer::Yes};
    f.dlg.folders = {PathToUtf8(other.path)};
    int shownRow = -1;
    FolderHooks hooks;
    hooks.showFileRow = [&](int r) { shownRow = r; };
    ASSERT_TRUE(CheckFolder(f.app, f.dlg, hooks));
    EXPECT_EQ(f.app.data.folder.LineFolder, PathToUtf8(other.path));
    EXPECT_EQ(f.app.LineFiles.size(), 2u);
    EXPECT_EQ(shownRow, 0);
    EXPECT_EQ(f.app.net.NetFileName, PathToUtf8(other.path / f.app.LineFiles[0]));
    EXPECT_EQ(f.app.net.CurLine, 1);
}

// The file open at the last exit is opened again by its name, wherever the folder now lists
// it; a LODL.txt of an older program, which holds only the row, is read as ever.
TEST(CheckFolder, TheNextStartOpensTheLastFileByItsName) {
    Fixture f;
    TempFolder lines;
    f.app.data.folder.LineFolder = PathToUtf8(lines.path);
    for (const char* name : {"а.qem", "б.qem", "в.qem"}) f.Network(lines.path, name, 1);
    ScanLineFolder(f.app);
    ASSERT_EQ(f.app.LineFiles.size(), 3u);
    const std::string last = f.app.LineFiles[2];
    ASSERT_TRUE(SelectFileRow(f.app, f.dlg, 2));
    SaveSettings(f.data.path, f.app.data.settings, f.app.data.folder);
    // Meanwhile the file listed first went away and others came.
    fs::remove(lines.path / fs::u8path(f.app.LineFiles[0]));
    for (const char* name : {"0.qem", "яя.qem"}) f.Network(lines.path, name, 1);
    auto nextStart = [&](const FolderHooks& hooks = {}) {
        AppState next;
        next.data.dataDir = f.data.path;
        next.data.settings = LoadSettings(f.data.path, next.data.folder, false);
        ScriptedDialogs dlg;
        EXPECT_TRUE(CheckFolder(next, dlg, hooks));
        EXPECT_TRUE(dlg.shown.empty());
        return PathToUtf8(fs::u8path(next.net.NetFileName).filename());
    };
    EXPECT_EQ(nextStart(), last);

    // LODL.txt of an older program: the file the settings name as open at the last exit, else
    // the row.
    qemtest::WriteText(f.data / kFolderMemoryFileName, Utf8ToCp1251(PathToUtf8(lines.path)) + "\r\n1\r\n");
    Settings s;
    SetFieldText(s.NetFileName, PathToUtf8(lines.path / fs::u8path(last)));
    WriteFileAtomically(f.data / kSettingsFileName, EncodeSettings(s));
    EXPECT_EQ(nextStart(), last);
    WriteFileAtomically(f.data / kSettingsFileName, EncodeSettings(Settings{}));
    const std::vector<std::string> listed = ScanFolder(PathToUtf8(lines.path));
    EXPECT_EQ(nextStart(), listed.at(1));
}

TEST(CheckFolder, CancelClosesTheProgramOrGoesOnToTheNewFileQuestion) {
    Fixture f;
    TempFolder empty;
    f.app.data.folder.LineFolder = PathToUtf8(empty.path);
    FolderHooks hooks;
    hooks.closeMainWindow = [] { return true; };
    f.dlg.answers = {Answer::Cancel};
    EXPECT_FALSE(CheckFolder(f.app, f.dlg, hooks));
    EXPECT_EQ(f.dlg.shown.size(), 1u);

    // The user refuses to leave: the check continues with step 4; No, then the two-point import.
    Fixture g;
    g.app.data.folder.LineFolder = PathToUtf8(empty.path);
    hooks.closeMainWindow = [] { return false; };
    int imported = 0;
    g.app.net.NetFileName = PathToUtf8(empty.path / "другая папка" / "сеть.qem");
    hooks.showImport = [&](int points) {
        imported = points;
        // The empty network to import into names no file that a later save could overwrite.
        EXPECT_EQ(g.app.net.NetFileName, "");
        EXPECT_EQ(g.app.net.NLines(), 1);
        g.Network(empty.path, "импорт.qem", 1);  // the import writes a network file
    };
    g.dlg.answers = {Answer::Cancel, Answer::No, Answer::No};
    ASSERT_TRUE(CheckFolder(g.app, g.dlg, hooks));
    EXPECT_EQ(imported, 2);
    EXPECT_EQ(g.dlg.shown[2].text, "Загрузить из excel (Yes - по одному замеру, No - по двум замерам)");
    EXPECT_EQ(g.app.LineFiles, std::vector<std::string>{"импорт.qem"});
}

TEST(CheckFolder, AnswersThatNeverLeadToAFileEndAfterBoundedRounds) {
    Fixture f;
    TempFolder empty;
    f.app.data.folder.LineFolder = PathToUtf8(empty.path);
    f.dlg.defaultAnswer = Answer::Yes;  // always "choose another folder", and the folder dialog is cancelled
    EXPECT_TRUE(CheckFolder(f.app, f.dlg));
    EXPECT_EQ(f.dlg.shown.size(), 50u);
}

TEST(OpenNetwork, MissingDamagedAndCancelled) {
    Fixture f;
    // A file that does not exist: one new line, nothing written.
    f.app.net.NetFileName = PathToUtf8(f.data / "нет такого.qem");
    ASSERT_TRUE(OpenNetwork(f.app, f.dlg, false));
    EXPECT_EQ(f.app.net.NLines(), 1);
    EXPECT_FALSE(fs::exists(f.data / "нет такого.qem"));
    // A damaged file: a message naming it, the network as it was.
    const std::string good = f.Network(f.data.path, "good.qem", 3);
    f.app.net.NetFileName = good;
    ASSERT_TRUE(OpenNetwork(f.app, f.dlg, false));
    EXPECT_EQ(f.app.net.NLines(), 3);
    const std::string junk("\x05\x00\x00\x00garbage", 11);
    qemtest::WriteText(f.data / "bad.qem", junk);
    f.app.data.folder.LineFolder = PathToUtf8(f.data.path);
    f.app.LineFiles = {"good.qem", "bad.qem"};
    SelectFileRow(f.app, f.dlg, 1);
    EXPECT_EQ(f.app.net.NLines(), 3);
    ASSERT_FALSE(f.dlg.shown.empty());
    EXPECT_NE(f.dlg.shown.back().text.find("bad.qem"), std::string::npos);
    // The network in memory still belongs to the good file: a save goes there, never over the damaged one.
    EXPECT_EQ(f.app.net.NetFileName, good);
    SaveNetwork(f.app, f.dlg);
    EXPECT_TRUE(qemtest::ReadText(f.data / "bad.qem") == junk);
    // The file dialog cancelled: nothing changes.
    EXPECT_FALSE(OpenNetwork(f.app, f.dlg, true));
    EXPECT_EQ(f.app.net.NLines(), 3);
}

TEST(FileCommands, SelectingAnEmptyRowGivesANewLineAndWritesNothing) {
    Fixture f;
    f.app.data.folder.LineFolder = PathToUtf8(f.data.path);
    f.app.LineFiles = {""};
    SelectFileRow(f.app, f.dlg, 0);
    EXPECT_EQ(f.app.net.NLines(), 1);
    EXPECT_TRUE(fs::is_empty(f.data.path));
}

TEST(FileCommands, ADamagedFileInTheFolderIsNeverOverwritten) {
    Fixture f;
    f.app.data.folder.LineFolder = PathToUtf8(f.data.path);
    const std::string junk = "junkjunkjunk";
    qemtest::WriteText(f.data / "bad.qem", junk);
    ASSERT_TRUE(CheckFolder(f.app, f.dlg));  // the folder holds a file: it is selected and fails to open
    EXPECT_EQ(f.app.net.NLines(), 0);
    EXPECT_TRUE(f.app.net.NetFileName.empty());
    SaveNetwork(f.app, f.dlg);  // nothing is open: nothing is written
    EXPECT_TRUE(qemtest::ReadText(f.data / "bad.qem") == junk);
}

TEST(FileCommands, SaveWithoutAFileWritesTheNetworkIntoANewOne) {
    Fixture f;
    f.app.net.Lines = {NewLine(f.app.FirstWire(), 1), NewLine(f.app.FirstWire(), 1)};
    f.app.net.Line(2).NVL = 77;
    f.app.net.MarkModified();
    f.app.data.folder.LineFolder = PathToUtf8(f.data.path);
    int shownRow = -2;
    FolderHooks hooks;
    hooks.showFileRow = [&](int r) { shownRow = r; };
    // The file dialog cancelled: nothing written, the network still counts as unsaved.
    f.dlg.files = {std::nullopt};
    EXPECT_FALSE(SaveNetwork(f.app, f.dlg, hooks));
    EXPECT_TRUE(f.app.net.Modified);
    f.dlg.files = {PathToUtf8(f.data / "новая.qem")};
    EXPECT_TRUE(SaveNetwork(f.app, f.dlg, hooks));
    EXPECT_EQ(f.dlg.shown[0].text, "В данной папке не содержится qem файлов, выберите имя для нового файла");
    // The network in memory is what the new file holds, and it stays open as that file.
    const auto back = ReadNetwork(PathToUtf8(f.data / "новая.qem"));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].NVL, 77);
    EXPECT_EQ(f.app.net.NLines(), 2);
    EXPECT_FALSE(f.app.net.Modified);
    EXPECT_EQ(f.app.LineFiles, std::vector<std::string>{"новая.qem"});
    EXPECT_EQ(shownRow, 0);
    EXPECT_EQ(f.app.data.folder.SelFileRow, 0);
}

TEST(ModifiedNetwork, EditsSetItOpeningAndSavingClearIt) {
    Fixture f;
    const std::string path = f.Network(f.data.path, "сеть.qem", 3);
    f.app.net.NetFileName = path;
    ASSERT_TRUE(OpenNetwork(f.app, f.dlg, false));
    EXPECT_FALSE(f.app.net.Modified);
    Network& net = f.app.net;
    // Each edit below marks the network; the save in between clears it again.
    const std::vector<std::pair<const char*, std::function<void()>>> edits = {
        {"end name", [&] { EditLineListCell(net, 1, 2, "ПС Новая", f.dlg); }},
        {"voltage", [&] { ChooseVoltage(net, 5); }},
        {"line added", [&] { AddLineCommand(f.app, f.dlg); }},
        {"line moved", [&] { MoveLineUp(net); }},
        {"span added", [&] { net.AddSpan(1, f.app.FirstWire()); }},
        {"set-up window edit",
         [&] {
             SpanEditScope edit(f.app);
             CurrentSpan(f.app)->Zem[1].ZemL = 12;
         }},
    };
    for (const auto& [what, edit] : edits) {
        edit();
        EXPECT_TRUE(net.Modified) << what;
        ASSERT_TRUE(SaveNetwork(f.app, f.dlg)) << what;
        EXPECT_FALSE(net.Modified) << what;
    }
    // What changes nothing leaves it clear: an unreadable number, the same voltage, a set-up
    // window action that wrote nothing.
    EditLineListCell(net, 1, 3, "4x", f.dlg);
    net.CurLine = 1;
    ChooseVoltage(net, net.Line(1).Uvl);
    { SpanEditScope nothing(f.app); }
    EXPECT_FALSE(net.Modified);
    // A failed save keeps it.
    ChooseVoltage(net, 2);
    net.Line(1).Spans.clear();
    EXPECT_FALSE(SaveNetwork(f.app, f.dlg));
    EXPECT_TRUE(net.Modified);
}

TEST(ModifiedNetwork, ReplacingItAsksToSaveFirst) {
    // The commands that replace the network, each with the three answers.
    struct Case {
        const char* what;
        std::function<bool(Fixture&)> run;  // true when the other network is then open
    };
    const std::vector<Case> commands = {
        {"another file row", [](Fixture& f) { return SelectFileRow(f.app, f.dlg, 1); }},
        {"Открыть",
         [](Fixture& f) {
             f.dlg.files = {PathToUtf8(f.data / "b.qem")};
             return OpenNetwork(f.app, f.dlg, true);
         }},
        {"Новый (menu)",
         [](Fixture& f) {
             f.dlg.files = {PathToUtf8(f.data / "новый.qem")};
             NewMenu(f.app, f.dlg);
             return f.app.net.NLines() == 1;
         }},
        {"Новый (tool bar)",
         [](Fixture& f) {
             f.dlg.files = {PathToUtf8(f.data / "новый.qem")};
             NewToolbar(f.app, f.dlg);
             return f.app.net.NLines() == 1;
         }},
    };
    for (const Case& c : commands)
        for (Answer answer : {Answer::Yes, Answer::No, Answer::Cancel}) {
            SCOPED_TRACE(std::string(c.what) + " answer " + std::to_string(int(answer)));
            Fixture f;
            f.app.data.folder.LineFolder = PathToUtf8(f.data.path);
            const std::string a = f.Network(f.data.path, "a.qem", 3);
            f.Network(f.data.path, "b.qem", 2);
            f.app.LineFiles = {"a.qem", "b.qem"};
            ASSERT_TRUE(SelectFileRow(f.app, f.dlg, 0));
            EditLineListCell(f.app.net, 1, 3, "555", f.dlg);
            f.dlg.shown.clear();
            f.dlg.answers = {answer};
            const bool replaced = c.run(f);
            ASSERT_FALSE(f.dlg.shown.empty());
            EXPECT_EQ(f.dlg.shown[0].text, "Сохранить изменения в файле «a.qem»?");
            EXPECT_EQ(f.dlg.shown[0].buttons, Buttons::YesNoCancel);
            const int saved = ReadNetwork(a)[0].NVL;
            if (answer == Answer::Cancel) {
                // Nothing replaced, nothing written, the edit still in memory and unsaved.
                EXPECT_FALSE(replaced);
                EXPECT_EQ(f.app.net.NetFileName, a);
                EXPECT_EQ(f.app.net.Line(1).NVL, 555);
                EXPECT_TRUE(f.app.net.Modified);
                EXPECT_EQ(saved, 100);
                EXPECT_EQ(f.app.data.folder.SelFileRow, 0);
            } else {
                EXPECT_TRUE(replaced);
                EXPECT_NE(f.app.net.NetFileName, a);
                EXPECT_FALSE(f.app.net.Modified);
                EXPECT_EQ(saved, answer == Answer::Yes ? 555 : 100);
            }
        }
    // Nothing modified: nothing asked.
    Fixture f;
    f.app.data.folder.LineFolder = PathToUtf8(f.data.path);
    f.Network(f.data.path, "a.qem", 3);
    f.Network(f.data.path, "b.qem", 2);
    f.app.LineFiles = {"a.qem", "b.qem"};
    ASSERT_TRUE(SelectFileRow(f.app, f.dlg, 0));
    ASSERT_TRUE(SelectFileRow(f.app, f.dlg, 1));
    EXPECT_TRUE(f.dlg.shown.empty());
    EXPECT_EQ(f.app.data.folder.SelFileRow, 1);
}

TEST(ModifiedNetwork, ExitAsksToSaveOnlyAChangedNetwork) {
    struct Case {
        bool modified;
        Answer answer;
        bool leaves;
        int onDisk;  // NVL of line 1 in the file afterwards
        std::vector<std::string> asked;
    };
    const std::string save = "Сохранить изменения в файле «a.qem»?";
    const std::vector<Case> cases = {
        {false, Answer::Yes, true, 100, {kMsgAskExit}}, {false, Answer::No, false, 100, {kMsgAskExit}},
        {true, Answer::Yes, true, 555, {save}},         {true, Answer::No, true, 100, {save}},
        {true, Answer::Cancel, false, 100, {save}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.modified) + " answer " + std::to_string(int(c.answer)));
        Fixture f;
        f.app.data.folder.LineFolder = PathToUtf8(f.data.path);
        const std::string a = f.Network(f.data.path, "a.qem", 3);
        f.app.LineFiles = {"a.qem"};
        ASSERT_TRUE(SelectFileRow(f.app, f.dlg, 0));
        f.app.net.Line(1).NVL = 555;  // a value the user typed
        f.app.net.Modified = c.modified;
        const auto stamp = fs::last_write_time(fs::u8path(a));
        f.dlg.answers = {c.answer};
        EXPECT_EQ(ConfirmExit(f.app, f.dlg), c.leaves);
        EXPECT_EQ(f.dlg.Texts(), c.asked);
        EXPECT_EQ(ReadNetwork(a)[0].NVL, c.onDisk);
        if (c.onDisk == 100) EXPECT_EQ(fs::last_write_time(fs::u8path(a)), stamp);  // not written at all
    }
    // "Да" and a save that cannot be done (its folder is gone, no other file chosen): the
    // program stays open and says so.
    Fixture f;
    f.app.net.Lines = {NewLine(f.app.FirstWire(), 45000)};
    f.app.net.NetFileName = PathToUtf8(f.data / "нет такой папки" / "a.qem");
    f.app.net.Modified = true;
    f.dlg.answers = {Answer::Yes};
    EXPECT_FALSE(ConfirmExit(f.app, f.dlg));
    EXPECT_EQ(f.dlg.Texts().back(), kMsgExitNotSaved);
    EXPECT_TRUE(f.app.net.Modified);
}

TEST(RecheckFolder, ListsTheFolderAgainAndAsksOnlyWhenTheOpenFileChangedOnDisk) {
    Fixture f;
    f.app.data.folder.LineFolder = PathToUtf8(f.data.path);
    const std::string b = f.Network(f.data.path, "b.qem", 2);
    ASSERT_TRUE(CheckFolder(f.app, f.dlg));
    ASSERT_EQ(f.app.net.NetFileName, b);
    EditLineListCell(f.app.net, 1, 3, "555", f.dlg);
    // Another file appears: listed, the open network stays in memory with its edit.
    f.Network(f.data.path, "a.qem", 1);
    int shownRow = -2;
    FolderHooks hooks;
    hooks.showFileRow = [&](int r) { shownRow = r; };
    RecheckFolder(f.app, f.dlg, hooks);
    ASSERT_EQ(f.app.LineFiles.size(), 2u);
    EXPECT_TRUE(f.dlg.shown.empty());
    EXPECT_EQ(f.app.net.Line(1).NVL, 555);
    EXPECT_EQ(f.app.LineFiles[std::size_t(shownRow)], "b.qem");
    EXPECT_EQ(f.app.data.folder.SelFileRow, shownRow);

    // Someone else writes the open file: asked, and No keeps the network and asks no more.
    std::vector<TyLine> other = ReadNetwork(b);
    other.push_back(other[0]);
    WriteNetwork(b, other);
    f.dlg.answers = {Answer::No};
    RecheckFolder(f.app, f.dlg, hooks);
    ASSERT_EQ(f.dlg.shown.size(), 1u);
    EXPECT_EQ(f.dlg.shown[0].text,
              "Файл «b.qem» изменён другой программой. Загрузить его заново? Изменения, не сохранённые здесь, "
              "будут потеряны.");
    EXPECT_EQ(f.dlg.shown[0].buttons, Buttons::YesNo);
    EXPECT_EQ(f.app.net.NLines(), 2);
    RecheckFolder(f.app, f.dlg, hooks);
    EXPECT_EQ(f.dlg.shown.size(), 1u);
    // Written again; Yes reads it.
    other.push_back(other[0]);
    WriteNetwork(b, other);
    f.dlg.answers = {Answer::Yes};
    RecheckFolder(f.app, f.dlg, hooks);
    EXPECT_EQ(f.dlg.shown.size(), 2u);
    EXPECT_EQ(f.app.net.NLines(), 4);
    EXPECT_FALSE(f.app.net.Modified);
    // Our own save is not someone else's change.
    ChooseVoltage(f.app.net, 3);
    ASSERT_TRUE(SaveNetwork(f.app, f.dlg));
    RecheckFolder(f.app, f.dlg, hooks);
    EXPECT_EQ(f.dlg.shown.size(), 2u);
}

TEST(FileCommands, AFailedSaveKeepsThePreviousFile) {
    Fixture f;
    const std::string path = f.Network(f.data.path, "сеть.qem", 2);
    const auto before = qemtest::ReadText(f.data / "сеть.qem");
    f.app.net.NetFileName = path;
    ASSERT_TRUE(OpenNetwork(f.app, f.dlg, false));
    f.app.net.Line(1).Spans.clear();  // a line without spans cannot be written
    SaveAsMenu(f.app, f.dlg);
    EXPECT_EQ(qemtest::ReadText(f.data / "сеть.qem"), before);
    ASSERT_FALSE(f.dlg.shown.empty());
    EXPECT_EQ(f.dlg.shown.back().buttons, Buttons::Ok);
}

TEST(FileCommands, NewDeleteAndMerge) {
    Fixture f;
    f.app.data.folder.LineFolder = PathToUtf8(f.data.path);
    f.Network(f.data.path, "1.qem", 2);
    f.dlg.files = {PathToUtf8(f.data / "2.qem")};
    NewMenu(f.app, f.dlg);
    EXPECT_EQ(fs::file_size(f.data / "2.qem"), 5686u);
    EXPECT_EQ(f.app.LineFiles.size(), 2u);
    f.dlg.files = {std::nullopt};
    EXPECT_FALSE(NewNetworkFile(f.app, f.dlg));  // cancelled: nothing created

    MergeCommand(f.app, f.dlg);
    EXPECT_EQ(ReadNetwork(PathToUtf8(f.data / kMergeFileName)).size(), 3u);

    ScanLineFolder(f.app);
    const int row = int(std::find(f.app.LineFiles.begin(), f.app.LineFiles.end(), "1.qem") - f.app.LineFiles.begin());
    f.dlg.answers = {Answer::Cancel};
    DeleteFile(f.app, f.dlg, row);
    EXPECT_TRUE(fs::exists(f.data / "1.qem"));
    EXPECT_EQ(f.dlg.shown.back().text, "Вы действительно хотите удалить данный файл?");
    EXPECT_EQ(f.dlg.shown.back().buttons, Buttons::YesCancel);
    f.dlg.answers = {Answer::Yes};
    DeleteFile(f.app, f.dlg, row);
    EXPECT_FALSE(fs::exists(f.data / "1.qem"));
    EXPECT_EQ(f.app.LineFiles.size(), 2u);  // 2.qem and DB_1.qem
}

TEST(LineList, GridHeadersCellsAndVoltageCorrection) {
    Fixture f;
    f.app.net.Lines.push_back(NewLine(f.app.FirstWire(), 1));
    TyLine& l = f.app.net.Lines.back();
    l.From.assign(Utf8ToCp1251("ПС Южная"));
    l.NVL = 112;
    l.Uvl = 9;
    l.CabDDTN = 520;
    l.CabADTN = 610.5f;
    l.KOCT2.FullName.assign(Utf8ToCp1251("ТТ-110"));
    const auto grid = FillLineList(f.app.net);
    ASSERT_EQ(grid.size(), 2u);
    ASSERT_EQ(grid[0].size(), 19u);
    EXPECT_EQ(grid[0][0], "№");
    EXPECT_EQ(grid[0][18], "К ДДНТ/АДТН");
    EXPECT_EQ(grid[1][0], "  1");
    EXPECT_EQ(grid[1][1], "ПС Южная");
    EXPECT_EQ(grid[1][3], "   112");
    EXPECT_EQ(grid[1][4], "6");
    EXPECT_EQ(l.Uvl, 7);  // the record keeps the correction
    EXPECT_EQ(grid[1][5], "1");
    EXPECT_EQ(grid[1][15], "ТТ-110");
    EXPECT_EQ(grid[1][18], "520/610.5");
}

TEST(LineList, EditingRules) {
    Fixture f;
    f.app.net.Lines.push_back(NewLine(f.app.FirstWire(), 1));
    f.app.net.CurLine = 1;
    Network& net = f.app.net;
    EXPECT_TRUE(EditLineListCell(net, 1, 1, "Очень длинное название подстанции", f.dlg));
    EXPECT_EQ(Cp1251ToUtf8(net.Line(1).From.str()), "Очень длинное название по");  // 25 characters
    EXPECT_TRUE(EditLineListCell(net, 1, 3, " 42 ", f.dlg));
    EXPECT_EQ(net.Line(1).NVL, 42);
    EXPECT_TRUE(EditLineListCell(net, 1, 3, "4x", f.dlg));
    EXPECT_EQ(net.Line(1).NVL, 42);
    EXPECT_EQ(f.dlg.shown.back().text, " Ошибка в позиции 2");
    EXPECT_FALSE(EditLineListCell(net, 1, 5, "7", f.dlg));  // display only
    ChooseVoltage(net, 4);
    EXPECT_EQ(net.Line(1).Uvl, 4);
}

TEST(LineList, ButtonsMoveTheCurrentLineAndKeepCurrentSpansWithPositions) {
    Fixture f;
    for (int i = 0; i < 3; ++i) {
        AddLineCommand(f.app, f.dlg);
        f.app.net.Lines.back().NVL = i + 1;
    }
    Network& net = f.app.net;
    net.CurSpan[1] = 5;
    net.CurSpan[2] = 6;
    net.CurLine = 1;
    MoveLineDown(net);
    EXPECT_EQ(net.CurLine, 2);
    EXPECT_EQ(net.Line(1).NVL, 2);
    EXPECT_EQ(net.Line(2).NVL, 1);
    EXPECT_EQ(net.CurSpan[1], 5);
    EXPECT_EQ(net.CurSpan[2], 6);
    MoveLineUp(net);
    EXPECT_EQ(net.CurLine, 1);
    EXPECT_EQ(net.Line(1).NVL, 1);
    MoveLineUp(net);  // already first
    EXPECT_EQ(net.CurLine, 1);
    LastLine(net);
    MoveLineDown(net);  // already last
    EXPECT_EQ(net.CurLine, 3);
    PreviousLine(net);
    EXPECT_EQ(net.CurLine, 2);
    NextLine(net);
    NextLine(net);
    EXPECT_EQ(net.CurLine, 3);
    FirstLine(net);
    EXPECT_EQ(net.CurLine, 1);

    f.dlg.answers = {Answer::Cancel};
    DeleteLineCommand(f.app, f.dlg);
    EXPECT_EQ(net.NLines(), 3);
    EXPECT_EQ(f.dlg.shown.back().text, "Вы действительно хотите удалить выбранный элемент");
    f.dlg.answers = {Answer::Yes};
    DeleteLineCommand(f.app, f.dlg);
    EXPECT_EQ(net.NLines(), 2);
    InsertLineCommand(f.app, f.dlg);
    EXPECT_EQ(net.NLines(), 3);
    EXPECT_EQ(net.Line(1).NVL, 0);  // the new line at the current position
}

// The only line of a network stays, with a message instead of the question, as the only span.
TEST(LineList, TheOnlyLineIsNotDeletedAndTheUserIsToldWhy) {
    Fixture f;
    f.app.net.Lines = {NewLine(f.app.FirstWire(), 45000)};
    f.app.net.CurLine = 1;
    f.dlg.defaultAnswer = Answer::Yes;
    DeleteLineCommand(f.app, f.dlg);
    EXPECT_EQ(f.app.net.NLines(), 1);
    EXPECT_FALSE(f.app.net.Modified);
    ASSERT_EQ(f.dlg.shown.size(), 1u);
    EXPECT_EQ(f.dlg.shown[0].text, "Единственную линию сети удалить нельзя");
    EXPECT_EQ(f.dlg.shown[0].buttons, Buttons::Ok);
}

TEST(LineList, FullNetworkRefusesWithAMessage) {
    Fixture f;
    for (int i = 0; i < kMaxLines; ++i) f.app.net.Lines.push_back(NewLine(f.app.FirstWire(), 1));
    f.app.net.CurLine = 1;
    AddLineCommand(f.app, f.dlg);
    EXPECT_EQ(f.app.net.NLines(), kMaxLines);
    EXPECT_EQ(f.dlg.shown.back().text, kMsgLinesFull);
}

// The one state "a calculation runs": who is told when a run begins and ends, what waits for
// its end, and the commands that refuse to touch the network meanwhile.
#include <gtest/gtest.h>

#include "model/AppData.h"
#include "model/NetworkFile.h"
#include "platform/CalcRun.h"
#include "platform/ScriptedDialogs.h"
#include "session/ImportCommands.h"
#include "session/NetworkCommands.h"
#include "setup/ImportLoad.h"
#include "tests/core/TempFolder.h"

using namespace qem;
using qemtest::TempFolder;

TEST(CalcRun, WatchersAreToldAndWaitingStepsRunAtTheEndInOrder) {
    CalcRun run;
    std::vector<std::string> seen;
    CalcRun::Watch watch = run.Observe([&](bool on) { seen.push_back(on ? "begin" : "end"); });
    run.WhenIdle([&] { seen.push_back("now"); });  // nothing runs: at once
    {
        const CalcRunScope scope(run);
        EXPECT_TRUE(run.Running());
        run.WhenIdle([&] { seen.push_back("kept 1"); });
        run.WhenIdle([&] { seen.push_back("kept 2"); });
        EXPECT_EQ(seen, (std::vector<std::string>{"now", "begin"}));
    }
    EXPECT_FALSE(run.Running());
    EXPECT_EQ(seen, (std::vector<std::string>{"now", "begin", "end", "kept 1", "kept 2"}));
    // A watch that has ended hears nothing more; one that outlives the state does no harm.
    seen.clear();
    { CalcRun::Watch gone = std::move(watch); }
    run.Begin();
    run.End();
    EXPECT_TRUE(seen.empty());
    auto other = std::make_unique<CalcRun>();
    CalcRun::Watch late = other->Observe([](bool) {});
    other.reset();
    // A copy is a state of its own.
    run.Begin();
    const CalcRun copy = run;
    EXPECT_FALSE(copy.Running());
    run.End();
}

TEST(CalcRun, NetworkCommandsAndTheImportLeaveTheNetworkAlone) {
    TempFolder dir;
    const std::string sample = PathToUtf8(dir / "сеть.qem");
    std::filesystem::copy_file(std::filesystem::u8path(QEM_BIN_DIR "/data/Пример сети.qem"), dir / "сеть.qem");
    AppState app;
    app.data = LoadAll(std::filesystem::u8path(QEM_BIN_DIR "/data"), false);
    app.data.folder.LineFolder = PathToUtf8(dir.path);
    app.net.NetFileName = sample;
    app.net.Lines = ReadNetwork(sample);
    app.net.CurLine = 1;
    const std::vector<TyLine> lines = app.net.Lines;
    const Bytes onDisk = ReadWholeFile(sample);
    ScriptedDialogs dlg;
    dlg.defaultAnswer = Answer::Yes;
    const ImportTable table = ReadImportWorkbook(QEM_SOURCE_DIR "/tests/core/data/import/one_point.xlsx",
                                                 ImportPoints::One, false, app.data.wires);
    ImportChoice choice;
    choice.mode = ImportMode::AppendToNetwork;
    choice.from = "ПС Новая";
    choice.to = "ПС Дальняя";
    {
        const CalcRunScope run(app.calc);
        app.net.Line(1).To.assign("X");  // what the calculation itself writes stays its own
        app.net.Modified = true;
        EXPECT_FALSE(ConfirmImport(app, table, choice, "", dlg, {}));
        EXPECT_FALSE(SaveNetwork(app, dlg));
        EXPECT_FALSE(OpenNetwork(app, dlg, false));
        EXPECT_EQ(app.net.NLines(), int(lines.size()));
        EXPECT_EQ(ReadWholeFile(sample), onDisk);
    }
    EXPECT_EQ(dlg.Texts(), std::vector<std::string>(3, kMsgCalcRunning));
    EXPECT_TRUE(ConfirmImport(app, table, choice, "", dlg, {}));
    EXPECT_EQ(app.net.NLines(), int(lines.size()) + 1);
}

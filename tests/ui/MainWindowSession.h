#pragma once
// The main window over a fresh copy of the shipped data folder, after its start-up folder check
// (which opens the sample network), with dialogs of type D answering for the user.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>

#include "lines/qt/MainWindow.h"
#include "model/AppData.h"
#include "platform/ScriptedDialogs.h"

template <class D = qem::ScriptedDialogs>
struct MainWindowSession {
    QTemporaryDir dir;
    qem::AppState app;
    D dlg;
    std::unique_ptr<qem::ui::MainWindow> w;

    MainWindowSession() {
        const QDir shipped(QStringLiteral(QEM_BIN_DIR "/data"));
        for (const QString& f : shipped.entryList(QDir::Files))
            if (f != "qem.cfg" && f != "LODL.txt") QFile::copy(shipped.filePath(f), dir.filePath(f));
        app.data = qem::LoadAll(std::filesystem::u8path(dir.path().toStdString()), false, nullptr, true);
        app.net.ResetCurSpans();
        w = std::make_unique<qem::ui::MainWindow>(&app);
        w->setDialogs(&dlg);
        w->resize(1300, 800);
        w->runFolderCheck();
    }
    QString file(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QAction* action(const char* name) const { return w->findChild<QAction*>(QString::fromUtf8(name)); }
};

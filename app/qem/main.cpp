// qem: the windowed program.
//
// Start-up: the data folder beside the program, the settings (written with the defaults on
// the first start) and the catalogs with the ПУЭ 7 norms, every current span 1, the window
// placed as stored; the folder check opens the network when the window first becomes active.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <exception>

#include "lines/qt/MainWindow.h"
#include "model/AppData.h"
#include "platform/DataDir.h"
#include "platform/qt/QtDialogs.h"
#include "session/AppState.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QEM 1.9.3"));
    QApplication::setApplicationDisplayName(QStringLiteral("QEM 1.9.3"));
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    // Standard buttons and dialogs in Russian ("Да", "Нет", "Отмена").
    QTranslator qtbase;
    if (qtbase.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtbase);

    qem::AppState state;
    qem::ui::QtDialogs startDialogs(nullptr);
    try {
        state.data = qem::LoadAll(qem::ProgramDataDir(argc > 0 ? argv[0] : nullptr), false, &startDialogs, true);
    } catch (const std::exception& e) {
        startDialogs.Message(e.what(), "QEM 1.9.3", qem::Icon::Error);
        return 1;
    }
    state.net.UsePUE6 = 0;
    state.net.UsePUE7 = 1;
    state.net.ResetCurSpans();

    qem::ui::MainWindow w(&state);
    w.applyPlacement();
    w.show();
    return app.exec();
}

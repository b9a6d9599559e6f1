// qem: the windowed program.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "lines/qt/MainWindow.h"

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
    qem::ui::MainWindow w;
    w.resize(1200, 800);
    w.show();
    return app.exec();
}

// The main window's shell: title, pages, menus, tool bar hints, status bar, Russian buttons.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include "lines/qt/MainWindow.h"
#include "platform/qt/QtDialogs.h"

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void titleAndPages() {
        qem::ui::MainWindow w;
        QCOMPARE(w.windowTitle(), QStringLiteral("QEM 1.9.3"));
        QStringList tabs;
        for (int i = 0; i < w.pages()->count(); ++i) tabs << w.pages()->tabText(i);
        QCOMPARE(tabs, (QStringList{"Линии", "Параметры пролетов", "Исходные данные", "Расчет пролета", "Расчет ВЛ"}));
    }
    void menus() {
        qem::ui::MainWindow w;
        QStringList top;
        for (QAction* a : w.menuBar()->actions()) top << a->text();
        QCOMPARE(top, (QStringList{"Файл", "Данные", "Загрузка/Выгрузка в Excel", "Расчет", "Каталог", "Помощь"}));
        QStringList calc;
        for (QAction* a : w.menuBar()->actions()[3]->menu()->actions()) calc << a->text();
        QCOMPARE(calc, (QStringList{"Расчет пролета", "Расчет ВЛ", "Расчет допустимых температур",
                                    "Расчет доп. температур всех ВЛ", "Расчёт по погоде"}));
    }
    void statusBar() {
        qem::ui::MainWindow w;
        QStringList texts;
        for (QLabel* l : w.statusBar()->findChildren<QLabel*>()) texts << l->text();
        QVERIFY(texts.contains("версия 1.9.3"));
        QVERIFY(texts.contains("Нажмите F1 для получения справки"));
    }
    void russianStandardButtons() {
        QTranslator qtbase;
        QVERIFY(
            qtbase.load(QLocale(QLocale::Russian), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QApplication::installTranslator(&qtbase);
        QStringList seen;
        QTimer::singleShot(0, [&] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(top)) {
                    for (QAbstractButton* b : box->buttons()) seen << b->text().remove('&');
                    box->reject();
                }
        });
        qem::ui::QtDialogs d(nullptr);
        d.Ask("Вопрос", qem::Buttons::YesNoCancel, "", qem::Icon::None);
        QApplication::removeTranslator(&qtbase);
        QVERIFY2(seen.contains("Да") && seen.contains("Нет") && seen.contains("Отмена"), qPrintable(seen.join(",")));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"

#include "lines/qt/MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>

namespace qem::ui {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("QEM 1.9.3"));
    setObjectName("Form1");
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    for (const char* caption :
         {"Линии", "Параметры пролетов", "Исходные данные", "Расчет пролета", "Расчет ВЛ"}) {
        auto* page = new QWidget(PageControl1);
        PageControl1->addTab(page, QString::fromUtf8(caption));
    }
    setCentralWidget(PageControl1);
    buildMenu();
    buildToolBar();
    buildStatusBar();
}

void MainWindow::buildMenu() {
    auto add = [](QMenu* m, const char* caption) {
        QAction* a = m->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromUtf8(caption));
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
    add(file, "Новый");
    add(file, "Открыть");
    add(file, "Сохранить");
    add(file, "Сохранить как...");
    file->addSeparator();
    connect(add(file, "Выход"), &QAction::triggered, this, &QWidget::close);

    QMenu* data = menuBar()->addMenu(QStringLiteral("Данные"));
    connect(add(data, "Линии"), &QAction::triggered, this, [this] { PageControl1->setCurrentIndex(PageLines); });
    connect(add(data, "Параметры пролетов"), &QAction::triggered, this,
            [this] { PageControl1->setCurrentIndex(PageSpans); });
    connect(add(data, "Исходные данные"), &QAction::triggered, this,
            [this] { PageControl1->setCurrentIndex(PageSource); });
    data->addSeparator();
    add(data, "Замеры параметров...");

    QMenu* excel = menuBar()->addMenu(QStringLiteral("Загрузка/Выгрузка в Excel"));
    add(excel, "Загрузить данные из Excel по одному замеру");
    add(excel, "Загрузить данные из Excel  по двум замерам");
    excel->addSeparator();
    add(excel, "Выгрузить в Excel");
    add(excel, "Выгрузить в Excel(Минимальная выгрузка)");
    add(excel, "Выгрузить в Excel все линии");

    QMenu* calc = menuBar()->addMenu(QStringLiteral("Расчет"));
    add(calc, "Расчет пролета");
    add(calc, "Расчет ВЛ");
    add(calc, "Расчет допустимых температур");
    add(calc, "Расчет доп. температур всех ВЛ");

    QMenu* cat = menuBar()->addMenu(QStringLiteral("Каталог"));
    add(cat, "Провода");
    add(cat, "Допустимые габариты");
    add(cat, "Концевое оборудование");

    QMenu* help = menuBar()->addMenu(QStringLiteral("Помощь"));
    add(help, "О программе");
}

void MainWindow::buildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Панель инструментов"));
    bar->setObjectName("ToolBar1");
    bar->setMovable(false);
    auto add = [bar](const char* hint, const char* glyph) {
        QAction* a = bar->addAction(QString::fromUtf8(glyph));
        a->setToolTip(QString::fromUtf8(hint));
        a->setStatusTip(QString::fromUtf8(hint));
        a->setObjectName(QString::fromUtf8(hint));
        return a;
    };
    add("Новый", "Новый");
    add("Сохранить", "Сохранить");
    add("Сохранить как", "Сохранить как");
    add("Открыть", "Открыть");
    bar->addSeparator();
    add("Расчет пролета", "Пролет");
    add("Расчет ВЛ", "ВЛ");
    bar->addSeparator();
    add("Копировать данные в буфер", "Копировать");
    add("Вставить данные из буфера", "Вставить");
    add("Скопировать вид пролета в буфер", "Вид");
    add("Каталог", "Каталог");
    bar->addSeparator();
    add("Загрузить данные из Excel по одному замеру", "Excel 1");
    add("Загрузить данные из Excel  по двум замерам", "Excel 2");
    add("Выгрузить в Excel", "В Excel");
    add("Выгрузить в Excel(Минимальная выгрузка)", "Мин.");
    add("Выгрузить в Excel все линии", "Все ВЛ");
    bar->addSeparator();
    QAction* pue6 = add("ПУЭ 6", "ПУЭ 6");
    QAction* pue7 = add("ПУЭ 7", "ПУЭ 7");
    pue6->setCheckable(true);
    pue7->setCheckable(true);
    pue7->setChecked(true);
    auto* group = new QActionGroup(this);
    group->addAction(pue6);
    group->addAction(pue7);
    bar->addSeparator();
    connect(add("Выход", "Выход"), &QAction::triggered, this, &QWidget::close);
    ProgressBar1 = new QProgressBar(bar);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setMaximumWidth(200);
    ProgressBar1->setValue(0);
    bar->addWidget(ProgressBar1);
}

void MainWindow::buildStatusBar() {
    auto* version = new QLabel(QStringLiteral("версия 1.9.3"));
    auto* hint = new QLabel(QStringLiteral("Нажмите F1 для получения справки"));
    version->setObjectName("StatusVersion");
    hint->setObjectName("StatusHint");
    statusBar()->addWidget(version);
    statusBar()->addWidget(hint, 1);
}

}  // namespace qem::ui

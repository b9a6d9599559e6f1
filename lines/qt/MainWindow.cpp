#include "lines/qt/MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <exception>

#include "lines/CalcCommands.h"
#include "lines/MainPages.h"
#include "lines/qt/HeatModelDialog.h"
#include "lines/qt/ReportView.h"
#include "lines/qt/SpanViewChart.h"
#include "model/NetworkFile.h"
#include "platform/qt/QtDialogs.h"
#include "session/qt/EquipmentWindows.h"
#include "session/qt/ImportWindows.h"
#include "session/qt/SetupWindows.h"

// The tool bar pictures are compiled into the static library of the windows: made known here,
// so that every program using the main window has them.
static void InitIcons() { Q_INIT_RESOURCE(icons); }

namespace qem::ui {

namespace {

const char* const kImportCaption1 = "Загрузить данные из Excel по одному замеру";
const char* const kImportCaption2 = "Загрузить данные из Excel  по двум замерам";

}  // namespace

MainWindow::MainWindow(AppState* app, QWidget* parent) : QMainWindow(parent) {
    if (app) {
        app_ = app;
        startupCheck_ = true;
    } else {
        ownState_ = std::make_unique<AppState>();
        app_ = ownState_.get();
    }
    InitIcons();
    setWindowTitle(QStringLiteral("QEM 1.9.3"));
    setObjectName("FormMain");
    PageControlMain = new QTabWidget(this);
    PageControlMain->setObjectName("PageControlMain");
    QWidget* pages[5];
    for (int i = 0; i < 5; ++i) {
        static const char* const kCaptions[] = {"Линии", "Параметры пролетов", "Исходные данные", "Расчет пролета",
                                                "Расчет ВЛ"};
        pages[i] = new QWidget(PageControlMain);
        if (i > PageSource) {
            PageControlMain->addTab(pages[i], QString::fromUtf8(kCaptions[i]));
            continue;
        }
        // The pages of fields scroll when the window is lower (or narrower) than they are, so
        // that the window fits any screen.
        auto* scroll = new QScrollArea(PageControlMain);
        scroll->setObjectName(QStringLiteral("ScrollPage%1").arg(i));
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidget(pages[i]);
        PageControlMain->addTab(scroll, QString::fromUtf8(kCaptions[i]));
    }
    setCentralWidget(PageControlMain);
    buildMenu();
    buildToolBar();
    buildStatusBar();
    ownDialogs_ = std::make_unique<QtDialogs>(this, ProgressBarCalc);
    dlg_ = ownDialogs_.get();
    calcWatch_ = app_->calc.Observe([this](bool running) { calculationRuns(running); });
    buildLinesPage(pages[PageLines]);
    buildSpanPage(pages[PageSpans]);
    buildSourcePage(pages[PageSource]);
    buildResultPages(pages[PageSpanResult], pages[PageLineResult]);
    connect(PageControlMain, &QTabWidget::currentChanged, this, &MainWindow::pageChanged);
}

MainWindow::~MainWindow() = default;

void MainWindow::setDialogs(Dialogs* dialogs) { dlg_ = dialogs ? dialogs : ownDialogs_.get(); }

std::string MainWindow::dataFile(const char* name) const { return PathToUtf8(app_->data.dataDir / name); }

void MainWindow::guarded(const std::function<void()>& f) {
    // The dialogs of a command activate the window when they close: no folder re-check then.
    struct Depth {
        MainWindow& w;
        explicit Depth(MainWindow& m) : w(m) { ++w.commandDepth_; }
        ~Depth() {
            if (--w.commandDepth_ == 0) w.recheckWhenFree();
        }
    } depth(*this);
    try {
        f();
    } catch (const std::exception& e) {
        dlg_->Message(e.what(), "", Icon::Error);
    }
}

void MainWindow::aboutBox() {
    QMessageBox box(this);
    box.setWindowTitle(QStringLiteral("О программе"));
    box.setText(
        QStringLiteral("QEM 1.9.3\n\nРасчёт допустимых токов, температуры провода, стрел провеса и "
                       "габаритов пролётов воздушных линий электропередачи по ПУЭ 6 и ПУЭ 7."));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void MainWindow::buildMenu() {
    auto add = [](QMenu* m, const char* caption) {
        QAction* a = m->addAction(QString::fromUtf8(caption));
        a->setObjectName(QStringLiteral("menu ") + QString::fromUtf8(caption));
        return a;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
    connect(add(file, "Новый"), &QAction::triggered, this,
            [this] { guarded([&] { NewMenu(*app_, *dlg_, hooks()); }); });
    connect(add(file, "Открыть"), &QAction::triggered, this,
            [this] { guarded([&] { OpenNetwork(*app_, *dlg_, true, hooks()); }); });
    connect(add(file, "Сохранить"), &QAction::triggered, this,
            [this] { guarded([&] { SaveNetwork(*app_, *dlg_, hooks()); }); });
    connect(add(file, "Сохранить как..."), &QAction::triggered, this,
            [this] { guarded([&] { SaveAsMenu(*app_, *dlg_, hooks()); }); });
    file->addSeparator();
    QAction* print = add(file, "Печать…");
    print->setShortcut(QKeySequence::Print);
    connect(print, &QAction::triggered, this, [this] { guarded([&] { printCommand(); }); });
    connect(add(file, "Сохранить в PDF…"), &QAction::triggered, this, [this] { guarded([&] { pdfCommand(); }); });
    file->addSeparator();
    connect(add(file, "Выход"), &QAction::triggered, this, &QWidget::close);

    QMenu* data = menuBar()->addMenu(QStringLiteral("Данные"));
    connect(add(data, "Линии"), &QAction::triggered, this, [this] { PageControlMain->setCurrentIndex(PageLines); });
    connect(add(data, "Параметры пролетов"), &QAction::triggered, this,
            [this] { PageControlMain->setCurrentIndex(PageSpans); });
    connect(add(data, "Исходные данные"), &QAction::triggered, this,
            [this] { PageControlMain->setCurrentIndex(PageSource); });
    data->addSeparator();
    connect(add(data, "Замеры параметров..."), &QAction::triggered, this, [this] {
        guarded([&] {
            ShowMeasurements(this, *app_, *dlg_);
            showSpanPage();
        });
    });

    QMenu* excel = menuBar()->addMenu(QStringLiteral("Загрузка/Выгрузка в Excel"));
    connect(add(excel, kImportCaption1), &QAction::triggered, this, [this] { openImport(1, false); });
    connect(add(excel, kImportCaption2), &QAction::triggered, this, [this] { openImport(2, false); });
    excel->addSeparator();
    connectExport(add(excel, "Выгрузить в Excel"), ExportKind::Full);
    connectExport(add(excel, "Выгрузить в Excel(Минимальная выгрузка)"), ExportKind::Min);
    connectExport(add(excel, "Выгрузить в Excel все линии"), ExportKind::All);

    QMenu* calc = menuBar()->addMenu(QStringLiteral("Расчет"));
    connect(add(calc, "Расчет пролета"), &QAction::triggered, this, &MainWindow::spanCalcMenu);
    connect(add(calc, "Расчет ВЛ"), &QAction::triggered, this,
            [this] { PageControlMain->setCurrentIndex(PageLineResult); });
    connect(add(calc, "Расчет допустимых температур"), &QAction::triggered, this, [this] { allowTempCommand(false); });
    connect(add(calc, "Расчет доп. температур всех ВЛ"), &QAction::triggered, this, [this] { allowTempCommand(true); });
    connect(add(calc, "Расчёт по погоде"), &QAction::triggered, this, &MainWindow::weatherRatingCommand);

    QMenu* cat = menuBar()->addMenu(QStringLiteral("Каталог"));
    auto catalog = [this](int page) { ShowCatalog(this, *app_, *dlg_, page, [this] { showSpanPage(); }); };
    connect(add(cat, "Провода"), &QAction::triggered, this, [catalog] { catalog(CatPageWires); });
    connect(add(cat, "Допустимые габариты"), &QAction::triggered, this, [catalog] { catalog(CatPageNorms); });
    connect(add(cat, "Концевое оборудование"), &QAction::triggered, this, [catalog] { catalog(CatPageKO); });
    cat->addSeparator();
    connect(add(cat, "Модели нагрева…"), &QAction::triggered, this, [this] {
        HeatModelDialog d(this, app_->data, *dlg_);
        d.exec();
    });

    QMenu* help = menuBar()->addMenu(QStringLiteral("Помощь"));
    connect(add(help, "О программе"), &QAction::triggered, this, &MainWindow::aboutBox);
}

void MainWindow::buildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Панель инструментов"));
    bar->setObjectName("ToolBarMain");
    bar->setMovable(false);
    // Each button: its picture with a short caption under it, the hint as its tooltip.
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(24, 24));
    auto add = [bar](const char* hint, const char* caption, const char* icon) {
        QAction* a = bar->addAction(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(icon))),
                                    QString::fromUtf8(caption));
        a->setToolTip(QString::fromUtf8(hint));
        a->setObjectName(QStringLiteral("tool ") + QString::fromUtf8(hint));
        return a;
    };
    connect(add("Новый", "Новый", "new"), &QAction::triggered, this,
            [this] { guarded([&] { NewToolbar(*app_, *dlg_, hooks()); }); });
    connect(add("Сохранить", "Сохранить", "save"), &QAction::triggered, this,
            [this] { guarded([&] { SaveNetwork(*app_, *dlg_, hooks()); }); });
    connect(add("Сохранить как", "Сохранить как", "save-as"), &QAction::triggered, this,
            [this] { guarded([&] { SaveAsToolbar(*app_, *dlg_, hooks()); }); });
    connect(add("Открыть", "Открыть", "open"), &QAction::triggered, this,
            [this] { guarded([&] { OpenNetwork(*app_, *dlg_, true, hooks()); }); });
    bar->addSeparator();
    connect(add("Расчет пролета", "Пролет", "span"), &QAction::triggered, this, &MainWindow::spanCalcToolbar);
    connect(add("Расчет ВЛ", "ВЛ", "line"), &QAction::triggered, this, &MainWindow::lineCalcToolbar);
    connect(add("Расчёт по погоде", "Погода", "weather"), &QAction::triggered, this, &MainWindow::weatherRatingCommand);
    bar->addSeparator();
    connect(add("Копировать данные в буфер", "Копировать", "copy"), &QAction::triggered, this,
            &MainWindow::copySpanData);
    connect(add("Вставить данные из буфера", "Вставить", "paste"), &QAction::triggered, this,
            &MainWindow::pasteSpanData);
    connect(add("Скопировать вид пролета в буфер", "Вид", "span-view"), &QAction::triggered, this,
            &MainWindow::copySpanView);
    connect(add("Каталог", "Каталог", "catalog"), &QAction::triggered, this,
            [this] { ShowCatalog(this, *app_, *dlg_, CatPageCurrent, [this] { showSpanPage(); }); });
    bar->addSeparator();
    connect(add(kImportCaption1, "Excel 1", "excel-1"), &QAction::triggered, this, [this] { openImport(1, false); });
    connect(add(kImportCaption2, "Excel 2", "excel-2"), &QAction::triggered, this, [this] { openImport(2, false); });
    connectExport(add("Выгрузить в Excel", "В Excel", "export"), ExportKind::Full);
    connectExport(add("Выгрузить в Excel(Минимальная выгрузка)", "Мин.", "export-min"), ExportKind::Min);
    connectExport(add("Выгрузить в Excel все линии", "Все ВЛ", "export-all"), ExportKind::All);
    bar->addSeparator();
    pue6_ = add("ПУЭ 6", "ПУЭ 6", "pue6");
    pue7_ = add("ПУЭ 7", "ПУЭ 7", "pue7");
    pue6_->setCheckable(true);
    pue7_->setCheckable(true);
    pue7_->setChecked(true);
    auto* group = new QActionGroup(this);
    group->addAction(pue6_);
    group->addAction(pue7_);
    connect(pue6_, &QAction::triggered, this, [this] { switchNorms(true); });
    connect(pue7_, &QAction::triggered, this, [this] { switchNorms(false); });
    bar->addSeparator();
    connect(add("Выход", "Выход", "exit"), &QAction::triggered, this, &QWidget::close);
}

void MainWindow::buildStatusBar() {
    auto* version = new QLabel(QStringLiteral("версия 1.9.3"));
    auto* hint = new QLabel(QStringLiteral("Нажмите F1 для получения справки"));
    version->setObjectName("StatusVersion");
    hint->setObjectName("StatusHint");
    statusBar()->addWidget(version);
    statusBar()->addWidget(hint, 1);
    // The progress of the long calculations, at the right of the status bar, where a narrow
    // screen never hides it (the tool bar folds its last items away).
    ProgressBarCalc = new QProgressBar(statusBar());
    ProgressBarCalc->setObjectName("ProgressBarCalc");
    ProgressBarCalc->setFixedWidth(200);
    ProgressBarCalc->setValue(0);
    statusBar()->addPermanentWidget(ProgressBarCalc);
    ButtonCancel = new QPushButton(QStringLiteral("Отмена"), statusBar());
    ButtonCancel->setObjectName("ButtonCancel");
    ButtonCancel->setToolTip(QStringLiteral("Прервать расчёт"));
    ButtonCancel->hide();
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { cancel_ = true; });
    statusBar()->addPermanentWidget(ButtonCancel);
}

void MainWindow::switchNorms(bool usePue6) {
    // The rules in force stay for the whole of a running calculation.
    if (app_->data.usePue6 != usePue6 && RefusedWhileCalculating(app_->calc, *dlg_)) {
        showNormsInForce();
        return;
    }
    if (app_->data.usePue6 != usePue6 || app_->data.dataDir.empty())
        guarded([&] {
            SwitchNorms(app_->data, usePue6, dlg_);
            app_->net.UsePUE6 = usePue6 ? 1 : 0;
            app_->net.UsePUE7 = usePue6 ? 0 : 1;
        });
    // The switch shows the rules in force (a failed switch keeps them), and an open catalog
    // window shows their norms.
    showNormsInForce();
    RefreshCatalog(this);
}

void MainWindow::showNormsInForce() { (app_->data.usePue6 ? pue6_ : pue7_)->setChecked(true); }

// ---------------------------------------------------------------- start-up and closing

int MainWindow::unscrolledHeight() const {
    // The tallest content of a scrolling page above the tallest minimum of any page.
    int content = 0, pageMin = 0;
    for (int i = 0; i < PageControlMain->count(); ++i) {
        QWidget* page = PageControlMain->widget(i);
        pageMin = std::max(pageMin, page->minimumSizeHint().height());
        if (auto* scroll = qobject_cast<QScrollArea*>(page))
            content = std::max(content, scroll->widget()->minimumSizeHint().height());
    }
    return minimumSizeHint().height() + std::max(0, content - pageMin);
}

void MainWindow::applyPlacement() {
    const Settings& s = app_->data.settings;
    if (s.WinWidth < 1 || s.WinHeight < 1) {
        // The screen less 100 pixels each way, yet as tall as the pages of fields need (when
        // the screen leaves room for that), inside the part of the screen that panels leave
        // free, with room for what the window manager puts around the window (its title bar
        // and borders, not known before the window is shown).
        QScreen* screen = QGuiApplication::primaryScreen();
        const QSize full = screen ? screen->geometry().size() : QSize(1300, 900);
        const QRect avail = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), full);
        const QMargins frame(5, 40, 5, 5);
        const QSize room(avail.width() - frame.left() - frame.right(), avail.height() - frame.top() - frame.bottom());
        const QSize least = minimumSizeHint();
        const int w = std::max(std::min(full.width() - 100, room.width()), least.width());
        const int h =
            std::max(std::min(std::max(full.height() - 100, unscrolledHeight()), room.height()), least.height());
        resize(w, h);
        // The frame's top-left corner, so that the whole frame lies in the free part.
        move(avail.left() + std::max(0, (room.width() - w) / 2), avail.top() + std::max(0, (room.height() - h) / 2));
        return;
    }
    setGeometry(s.WinLeft, s.WinTop, s.WinWidth, s.WinHeight);
    if (s.WinPage >= 0 && s.WinPage < PageControlMain->count()) PageControlMain->setCurrentIndex(s.WinPage);
}

bool MainWindow::event(QEvent* e) {
    // The folder check opens the network when the window first becomes active (a window
    // shown without a window manager may never be activated: its first showing counts too).
    // Later activations (which also follow every closed dialog) only list the folder again
    // and ask before re-reading a file that another program changed: a plain re-read would
    // throw away the edits made since. An activation while a calculation runs is checked
    // once it has ended: a file read meanwhile would replace the network under the worker.
    if (startupCheck_ && folderChecked_ && e->type() == QEvent::WindowActivate && app_->calc.Running())
        recheckPending_ = true;
    else if (startupCheck_ && !folderChecked_ && (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show))
        QTimer::singleShot(0, this, [this] {
            if (!folderChecked_) runFolderCheck();
        });
    else if (startupCheck_ && folderChecked_ && e->type() == QEvent::WindowActivate && commandDepth_ == 0)
        QTimer::singleShot(0, this, [this] {
            if (commandDepth_ == 0 && !QApplication::activeModalWidget()) runFolderRecheck();
        });
    return QMainWindow::event(e);
}

bool MainWindow::runFolderCheck() {
    folderChecked_ = true;
    bool stays = true;
    guarded([&] { stays = CheckFolder(*app_, *dlg_, hooks()); });
    return stays;
}

void MainWindow::runFolderRecheck() {
    recheckPending_ = false;
    guarded([&] { RecheckFolder(*app_, *dlg_, hooks()); });
}

void MainWindow::closeEvent(QCloseEvent* e) {
    if (app_->calc.Running()) {
        dlg_->Message(kMsgCalcRunning);
        e->ignore();
        return;
    }
    // A changed network is offered for saving (Да / Нет / Отмена), an unchanged one is left as
    // its file holds it.
    bool leave = false;
    guarded([&] { leave = ConfirmExit(*app_, *dlg_, hooks()); });
    if (!leave) {
        e->ignore();
        return;
    }
    // The placement, the page and the open file are remembered whatever became of the network.
    Settings& s = app_->data.settings;
    const QRect g = geometry();
    s.WinLeft = g.x();
    s.WinTop = g.y();
    s.WinWidth = g.width();
    s.WinHeight = g.height();
    s.WinPage = PageControlMain->currentIndex();
    SetFieldText(s.NetFileName, app_->net.NetFileName);
    if (!app_->data.dataDir.empty()) {
        try {
            SaveSettings(app_->data.dataDir, s, app_->data.folder);
        } catch (const std::exception& ex) {
            dlg_->Message(ex.what(), "", Icon::Error);
        }
    }
    e->accept();
}

void MainWindow::lineEquipmentCommand() {
    guarded([&] { ShowLineEquipment(this, *app_, *dlg_); });
    // The line list shows the equipment columns of the current line.
    fillLineList();
    selectLineRow(app_->net.CurLine);
}

void MainWindow::copyEquipment() {
    if (app_->net.NLines() > 0) CopyEquipment(equipmentClipboard_, app_->net.CurLine);
}

void MainWindow::pasteEquipment() {
    if (!PasteEquipment(app_->net, equipmentClipboard_, app_->net.CurLine)) return;
    fillLineList();
    selectLineRow(app_->net.CurLine);
}

void MainWindow::showFileRow(int r) {
    ++filling_;
    if (r >= 0 && r < StringGridFiles->rowCount()) {
        StringGridFiles->setCurrentCell(r, 0);
    } else {
        StringGridFiles->clearSelection();
        StringGridFiles->setCurrentCell(-1, -1);
    }
    --filling_;
}

FolderHooks MainWindow::hooks() {
    FolderHooks h;
    h.fillFilesGrid = [this] { fillFilesGrid(); };
    h.showFileRow = [this](int r) { showFileRow(r); };
    h.refreshNetwork = [this] {
        fillLineList();
        if (app_->net.NLines() > 0) {
            try {
                ChooseLine(*app_, app_->net.CurLine);
            } catch (const std::exception&) {
            }
            selectLineRow(app_->net.CurLine);
        }
        showSpanPage();
        showSourcePage();
        followEditors(true);
    };
    h.closeMainWindow = [this] { return close(); };
    h.showImport = [this](int points) { openImport(points, true); };
    h.afterCheck = [this] { showSpanPage(); };
    return h;
}

void MainWindow::pageChanged(int index) {
    if (filling_) return;
    switch (index) {
        case PageLines: selectLineRow(app_->net.CurLine); break;
        case PageSpans: showSpanPage(); break;
        case PageSource: showSourcePage(); break;
        default: break;
    }
}

// ---------------------------------------------------------------- calculations

void MainWindow::spanCalcToolbar() {
    Report report;
    SpanView view;
    SpanCommandResult r;
    guarded([&] { r = MeasuredSpanRegimeCommand(app_->net, app_->Env(), *dlg_, report, &view, app_->currentZamer); });
    if (r.end == CommandEnd::Done) {
        showSpanResults(report, view, r.outcome);
        PageControlMain->setCurrentIndex(PageSpanResult);
        PageControlSpanResult->setCurrentIndex(0);
    }
}

void MainWindow::spanCalcMenu() {
    Report report;
    SpanView view;
    SpanCommandResult r;
    guarded([&] { r = StoredSpanRegimeCommand(app_->net, app_->Env(), *dlg_, report, &view); });
    if (r.outcome.written) showSpanResults(report, view, r.outcome);
    PageControlMain->setCurrentIndex(PageSpanResult);
    PageControlSpanResult->setCurrentIndex(0);
}

void MainWindow::lineCalcToolbar() {
    Report report;
    LineCommandResult r;
    guarded([&] {
        runLong([&](Dialogs& d) { r = LineRegimeCommand(app_->net, app_->Env(), d, report, app_->currentZamer); });
    });
    if (!report.lines.empty()) showLineTable(report, LineReportHeading(app_->net.Line(app_->net.CurLine)));
    if (r.end != CommandEnd::Stopped) PageControlMain->setCurrentIndex(PageLineResult);
}

void MainWindow::allowTempCommand(bool all) {
    Report report;
    CommandEnd end = CommandEnd::Stopped;
    guarded([&] {
        runLong([&](Dialogs& d) {
            end = AllowTempCommand(app_->net, app_->Env(), d, dataFile("qemras.txt"), all, report);
        });
    });
    if (end != CommandEnd::Stopped || !report.lines.empty()) showLineTable(report, AllowTempHeading(app_->net, all));
    PageControlMain->setCurrentIndex(PageLineResult);
}

// ---------------------------------------------------------------- spreadsheet import

TFormImport* MainWindow::importWindow(int points) {
    TFormImport*& w = imports_[points == 1 ? 0 : 1];
    if (!w) {
        w = new TFormImport(
            *app_, *dlg_, points == 1 ? ImportPoints::One : ImportPoints::Two,
            [this](bool newNetwork) { importDone(newNetwork); }, this);
        w->setFolderHooks(hooks());
    }
    return w;
}

void MainWindow::openImport(int points, bool modal) {
    TFormImport* w = importWindow(points);
    if (modal) {
        w->exec();
        return;
    }
    w->show();
    w->raise();
    w->activateWindow();
}

void MainWindow::importDone(bool newNetwork) {
    if (newNetwork) {
        // The new file lies in the line folder: list it and open it as selecting its row does.
        ScanLineFolder(*app_);
        fillFilesGrid();
        const std::string name = PathToUtf8(PathFromUtf8(app_->net.NetFileName).filename());
        for (int r = 0; r < int(app_->LineFiles.size()); ++r)
            if (app_->LineFiles[r] == name) {
                guarded([&] { SelectFileRow(*app_, *dlg_, r, hooks()); });
                hooks().showFileRow(r);
            }
    } else {
        hooks().refreshNetwork();
    }
    PageControlMain->setCurrentIndex(PageLines);
    selectLineRow(app_->net.CurLine);
    raise();
    activateWindow();
}

}  // namespace qem::ui

// The five pages of the main window: building the widgets and filling them from the state.
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "lines/MainPages.h"
#include "lines/Series.h"
#include "lines/ShortTimeCommands.h"
#include "lines/SpanEditing.h"
#include "lines/qt/MainWindow.h"
#include "lines/qt/ReportView.h"
#include "lines/qt/SpanViewChart.h"
#include "lines/qt/TemperatureChartsView.h"
#include "model/Catalog.h"
#include "model/Format.h"
#include "model/TextEntry.h"
#include "platform/FileSystem.h"
#include "session/LineList.h"
#include "session/qt/SetupWindows.h"

namespace qem::ui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString U(const char* s) { return QString::fromUtf8(s); }

// A read-only value box (the obstacle type is shown, not chosen, on the span page).
QLineEdit* ValueBox(QWidget* parent, const char* name, const char* hint, int width = 90) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(U(name));
    e->setReadOnly(true);
    e->setToolTip(U(hint));
    e->setMinimumWidth(width);
    QPalette p = e->palette();
    p.setColor(QPalette::Base, parent->palette().color(QPalette::Window).lighter(104));
    e->setPalette(p);
    return e;
}

QToolButton* HintButton(QWidget* parent, const char* hint, const char* text) {
    auto* b = new QToolButton(parent);
    b->setText(U(text));
    b->setToolTip(U(hint));
    b->setObjectName(U(hint));
    b->setMinimumWidth(36);
    return b;
}

// An edit box of a span field: what the user types is written into the span at once.
QLineEdit* EditBox(QWidget* parent, const char* name, const char* hint, int width = 90) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(U(name));
    e->setToolTip(U(hint));
    e->setMinimumWidth(width);
    return e;
}

QComboBox* ChoiceBox(QWidget* parent, const char* name, const char* hint, int width) {
    auto* c = new QComboBox(parent);
    c->setObjectName(U(name));
    c->setToolTip(U(hint));
    c->setMinimumWidth(width);
    return c;
}

}  // namespace

// ---------------------------------------------------------------- page "Линии"

void MainWindow::buildLinesPage(QWidget* page) {
    auto* layout = new QHBoxLayout(page);

    auto* files = new QGroupBox(U("Файлы линий"), page);
    files->setObjectName("GroupBoxFiles");
    auto* fl = new QVBoxLayout(files);
    StringGridFiles = new QTableWidget(0, 1, files);
    StringGridFiles->setObjectName("StringGridFiles");
    StringGridFiles->horizontalHeader()->hide();
    StringGridFiles->verticalHeader()->hide();
    StringGridFiles->horizontalHeader()->setStretchLastSection(true);
    StringGridFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGridFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGridFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGridFiles->verticalHeader()->setDefaultSectionSize(22);
    fl->addWidget(StringGridFiles);
    auto* fb = new QHBoxLayout;
    auto* choose = new QPushButton(U("Выбрать"), files);
    auto* del = new QPushButton(U("Удалить"), files);
    auto* merge = new QPushButton(U("Объединить"), files);
    choose->setObjectName("ButtonChoose");
    del->setObjectName("ButtonDelete");
    merge->setObjectName("ButtonMerge");
    fb->addWidget(choose);
    fb->addWidget(del);
    fb->addWidget(merge);
    fl->addLayout(fb);
    files->setMinimumWidth(240);
    files->setMaximumWidth(320);
    layout->addWidget(files);

    connect(StringGridFiles, &QTableWidget::currentCellChanged, this, [this](int row, int, int prevRow, int) {
        if (filling_ || row < 0 || row == prevRow) return;
        bool opened = false;
        guarded([&] { opened = SelectFileRow(*app_, *dlg_, row, hooks()); });
        // Not opened (the save question cancelled, a damaged file): the grid shows the file
        // that is still open.
        if (!opened) showFileRow(OpenFileRow(*app_));
    });
    connect(choose, &QPushButton::clicked, this, [this] { guarded([&] { ChooseFolder(*app_, *dlg_, hooks()); }); });
    connect(del, &QPushButton::clicked, this, [this] {
        const int row = StringGridFiles->currentRow();
        guarded([&] { DeleteFile(*app_, *dlg_, row, hooks()); });
    });
    connect(merge, &QPushButton::clicked, this, [this] { guarded([&] { MergeCommand(*app_, *dlg_); }); });

    auto* right = new QVBoxLayout;
    auto* caption = new QLabel(U("Линии сети"), page);
    right->addWidget(caption);
    StringGridLines = new QTableWidget(0, kLineListColumns, page);
    StringGridLines->setObjectName("StringGridLines");
    QStringList headers;
    for (const char* h : kLineListHeader) headers << U(h);
    StringGridLines->setHorizontalHeaderLabels(headers);
    StringGridLines->verticalHeader()->hide();
    StringGridLines->verticalHeader()->setDefaultSectionSize(22);
    StringGridLines->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGridLines->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGridLines->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                     QAbstractItemView::AnyKeyPressed);
    StringGridLines->setColumnWidth(0, 40);
    StringGridLines->setColumnWidth(1, 150);
    StringGridLines->setColumnWidth(2, 150);
    StringGridLines->setColumnWidth(3, 60);
    StringGridLines->setColumnWidth(4, 70);
    StringGridLines->setColumnWidth(5, 60);
    for (int c = 6; c <= 15; ++c) StringGridLines->setColumnWidth(c, 40);
    StringGridLines->setColumnWidth(16, 60);
    StringGridLines->setColumnWidth(17, 60);
    StringGridLines->setColumnWidth(18, 110);
    right->addWidget(StringGridLines, 1);

    connect(StringGridLines, &QTableWidget::currentCellChanged, this, [this](int row, int col, int prevRow, int) {
        if (filling_) return;
        if (col != 4) hideVoltageBox();
        if (row >= 0 && row != prevRow) chooseLine(row + 1);
    });
    connect(StringGridLines, &QTableWidget::cellClicked, this, [this](int row, int col) {
        if (filling_) return;
        if (col == 4)
            showVoltageBox(row);
        else
            hideVoltageBox();
    });
    connect(StringGridLines, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (filling_) return;
        const int row = item->row() + 1, col = item->column();
        guarded([&] {
            if (!EditLineListCell(app_->net, row, col, item->text().toStdString(), *dlg_)) return;
            ++filling_;
            item->setText(Q(LineListCell(app_->net.Line(row), row, col)));
            --filling_;
        });
    });

    auto* buttons = new QHBoxLayout;
    auto* first = HintButton(page, "В начало списка", "|<");
    auto* prev = HintButton(page, "Предыдущая линия", "<");
    auto* next = HintButton(page, "Следующая линия", ">");
    auto* last = HintButton(page, "В конец списка", ">|");
    auto* addL = HintButton(page, "Добавить линию", "+");
    auto* insL = HintButton(page, "Вставить линию в список", "Вст.");
    auto* delL = HintButton(page, "Удалить линию из списка", "−");
    auto* down = HintButton(page, "Переместить линию вниз", "Вниз");
    auto* up = HintButton(page, "Переместить линию вверх", "Вверх");
    auto* ko = new QPushButton(U("Концевое оборудование"), page);
    ko->setObjectName("ButtonKO");
    // Copying the terminal equipment of one line to another.
    auto* copyKO = new QPushButton(U("Копировать"), page);
    copyKO->setObjectName("ButtonCopyKO");
    copyKO->setToolTip(U("Запомнить линию, концевое оборудование которой будет вставлено"));
    auto* pasteKO = new QPushButton(U("Вставить"), page);
    pasteKO->setObjectName("ButtonPasteKO");
    pasteKO->setToolTip(U("Вставить в текущую линию концевое оборудование запомненной линии"));
    for (QWidget* w : std::initializer_list<QWidget*>{first, prev, next, last, addL, insL, delL, down, up})
        buttons->addWidget(w);
    buttons->addSpacing(20);
    buttons->addWidget(ko);
    buttons->addWidget(copyKO);
    buttons->addWidget(pasteKO);
    buttons->addStretch(1);
    right->addLayout(buttons);
    layout->addLayout(right, 1);

    auto move = [this](void (*f)(Network&)) {
        f(app_->net);
        selectLineRow(app_->net.CurLine);
        followEditors();
    };
    connect(first, &QToolButton::clicked, this, [move] { move(FirstLine); });
    connect(prev, &QToolButton::clicked, this, [move] { move(PreviousLine); });
    connect(next, &QToolButton::clicked, this, [move] { move(NextLine); });
    connect(last, &QToolButton::clicked, this, [move] { move(LastLine); });
    auto edit = [this](auto f) {
        guarded([&] { f(); });
        fillLineList();
        selectLineRow(app_->net.CurLine);
        followEditors(true);
    };
    connect(addL, &QToolButton::clicked, this, [this, edit] { edit([this] { AddLineCommand(*app_, *dlg_); }); });
    connect(insL, &QToolButton::clicked, this, [this, edit] { edit([this] { InsertLineCommand(*app_, *dlg_); }); });
    connect(delL, &QToolButton::clicked, this, [this, edit] { edit([this] { DeleteLineCommand(*app_, *dlg_); }); });
    connect(down, &QToolButton::clicked, this, [this, edit] { edit([this] { MoveLineDown(app_->net); }); });
    connect(up, &QToolButton::clicked, this, [this, edit] { edit([this] { MoveLineUp(app_->net); }); });
    connect(ko, &QPushButton::clicked, this, &MainWindow::lineEquipmentCommand);
    connect(copyKO, &QPushButton::clicked, this, &MainWindow::copyEquipment);
    connect(pasteKO, &QPushButton::clicked, this, &MainWindow::pasteEquipment);

    ComboBoxU = new QComboBox(StringGridLines);
    ComboBoxU->setObjectName("ComboBoxU");
    for (const char* v : kVoltageText) ComboBoxU->addItem(U(v));
    ComboBoxU->hide();
    connect(ComboBoxU, &QComboBox::activated, this, [this](int index) {
        if (voltageRow_ < 0) return;
        app_->net.CurLine = voltageRow_ + 1;
        ChooseVoltage(app_->net, index);
        ++filling_;
        if (QTableWidgetItem* it = StringGridLines->item(voltageRow_, 4))
            it->setText(Q(LineListCell(app_->net.Line(voltageRow_ + 1), voltageRow_ + 1, 4)));
        --filling_;
    });
}

void MainWindow::showVoltageBox(int row) {
    if (row < 0 || row >= app_->net.NLines()) return;
    voltageRow_ = row;
    ComboBoxU->setCurrentIndex(std::min<int>(app_->net.Line(row + 1).Uvl, 7));
    // Laid over the cell, at its position and size.
    const QRect r = StringGridLines->visualItemRect(StringGridLines->item(row, 4));
    ComboBoxU->setParent(StringGridLines->viewport());
    ComboBoxU->setGeometry(r);
    ComboBoxU->show();
    ComboBoxU->raise();
}

void MainWindow::hideVoltageBox() {
    if (voltageRow_ < 0 && !ComboBoxU->isVisible()) return;
    ComboBoxU->hide();
    voltageRow_ = -1;
    // The voltage column of every row is written again from the records.
    ++filling_;
    for (int r = 0; r < StringGridLines->rowCount() && r < app_->net.NLines(); ++r)
        if (QTableWidgetItem* it = StringGridLines->item(r, 4)) it->setText(Q(VoltageText(app_->net.Line(r + 1).Uvl)));
    --filling_;
}

void MainWindow::fillFilesGrid() {
    ++filling_;
    StringGridFiles->setRowCount(int(app_->LineFiles.size()));
    for (int r = 0; r < int(app_->LineFiles.size()); ++r)
        StringGridFiles->setItem(r, 0, new QTableWidgetItem(Q(app_->LineFiles[std::size_t(r)])));
    --filling_;
}

void MainWindow::fillLineList() {
    ++filling_;
    ComboBoxU->hide();
    voltageRow_ = -1;
    const auto grid = FillLineList(app_->net);
    StringGridLines->setRowCount(int(grid.size()) - 1);
    const QColor fixed = palette().color(QPalette::Button);
    for (int r = 1; r < int(grid.size()); ++r)
        for (int c = 0; c < kLineListColumns; ++c) {
            auto* it = new QTableWidgetItem(Q(grid[std::size_t(r)][std::size_t(c)]));
            if (c < 1 || c > 3) it->setFlags(it->flags() & ~Qt::ItemIsEditable);
            if (c == 0) {
                it->setBackground(fixed);
                it->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            it->setToolTip(it->text());
            StringGridLines->setItem(r - 1, c, it);
        }
    --filling_;
}

void MainWindow::selectLineRow(int row) {
    if (row < 1 || row > StringGridLines->rowCount()) return;
    ++filling_;
    const int col = StringGridLines->currentColumn() < 0 ? 1 : StringGridLines->currentColumn();
    StringGridLines->setCurrentCell(row - 1, col);
    --filling_;
}

void MainWindow::chooseLine(int row) {
    guarded([&] { ChooseLine(*app_, row); });
    followEditors();
}

void MainWindow::followEditors(bool force) {
    if (QWidget* editor = obstacleEditor()) FollowCurrentSpan(editor, force);
}

QWidget* MainWindow::obstacleEditor() const { return FindObstacleEditor(const_cast<MainWindow*>(this)); }

// ---------------------------------------------------------------- pages "Параметры пролетов" and "Исходные данные"

void MainWindow::fillSelectors(QComboBox* lines, QListWidget* spans) {
    ++filling_;
    lines->clear();
    for (const std::string& s : LineSelectorItems(app_->net)) lines->addItem(Q(s));
    spans->clear();
    if (app_->net.NLines() > 0) {
        lines->setCurrentIndex(app_->net.CurLine - 1);
        const TyLine& line = app_->net.Line(app_->net.CurLine);
        for (const std::string& s : SpanListItems(line)) spans->addItem(Q(s));
        const int cur = app_->net.CurSpanOf(app_->net.CurLine) - 1;
        if (cur >= 0 && cur < spans->count()) {
            spans->setCurrentRow(cur, QItemSelectionModel::NoUpdate);
            spans->setCurrentRow(cur);
        }
    }
    --filling_;
}

// The left column of the span and source pages: the line selector over the span list.
static QVBoxLayout* LineAndSpanColumn(QWidget* page, const char* comboName, const char* listName, QComboBox*& combo,
                                      QListWidget*& list) {
    auto* left = new QVBoxLayout;
    combo = new QComboBox(page);
    combo->setObjectName(comboName);
    combo->setMinimumWidth(260);
    list = new QListWidget(page);
    list->setObjectName(listName);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setFont(ReportFont());
    left->addWidget(new QLabel(U("Линия"), page));
    left->addWidget(combo);
    left->addWidget(new QLabel(U("Пролеты"), page));
    left->addWidget(list, 1);
    return left;
}

void MainWindow::buildSpanPage(QWidget* page) {
    auto* layout = new QHBoxLayout(page);
    QVBoxLayout* column = LineAndSpanColumn(page, "ComboBoxVL", "ListBoxSpRp", ComboBoxVL, ListBoxSpRp);
    layout->addLayout(column);

    // The span buttons under the span list.
    auto* spanButtons = new QHBoxLayout;
    spanButtons->setSpacing(3);
    auto spanButton = [&](const char* hint, const char* text, auto command, bool changesList) {
        QToolButton* b = HintButton(page, hint, text);
        b->setObjectName(U("span ") + U(hint));  // the line buttons of page 0 share some hints
        b->setMinimumWidth(30);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        spanButtons->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, command, changesList] {
            if (app_->net.NLines() == 0) return;
            guarded([&] { command(); });
            if (changesList) {
                showSpanPage();
                followEditors(true);
                return;
            }
            // The list's focus on the current span, which is refreshed and shown.
            ++filling_;
            const int cur = app_->net.CurSpanOf(app_->net.CurLine) - 1;
            if (cur >= 0 && cur < ListBoxSpRp->count()) ListBoxSpRp->setCurrentRow(cur);
            --filling_;
            guarded([&] { RefreshCurrentSpan(*app_, *dlg_); });
            showCurrentSpanFields();
        });
    };
    spanButton(
        "В начало списка", "|<", [this] { FirstSpan(app_->net); }, false);
    spanButton(
        "Предыдущий пролет", "<", [this] { PreviousSpan(app_->net); }, false);
    spanButton(
        "Следующий пролет", ">", [this] { NextSpan(app_->net); }, false);
    spanButton(
        "В конец списка", ">|", [this] { LastSpan(app_->net); }, false);
    spanButton(
        "Добавить пролет", "+", [this] { AddSpanCommand(*app_, *dlg_); }, true);
    spanButton(
        "Вставить пролет в список", "Вст.", [this] { InsertSpanCommand(*app_, *dlg_); }, true);
    spanButton(
        "Удалить пролет из списка", "−", [this] { DeleteSpanCommand(*app_, *dlg_); }, true);
    column->addLayout(spanButtons);

    auto* right = new QGridLayout;
    auto group = [page](const char* title) {
        auto* g = new QGroupBox(U(title), page);
        auto* f = new QFormLayout(g);
        f->setLabelAlignment(Qt::AlignRight);
        return std::pair{g, f};
    };
    auto forAll = [](QWidget* parent, const char* name) {
        auto* b = new QPushButton(U("Для всех пролётов"), parent);
        b->setObjectName(U(name));
        return b;
    };

    auto [gSpan, fSpan] = group("Пролет");
    EditNop1 = EditBox(gSpan, "EditNop1", "Номер первой опоры");
    EditNop2 = EditBox(gSpan, "EditNop2", "Номер второй опоры");
    EditComm = EditBox(gSpan, "EditComm", "Комментарий", 220);
    EditNop1->setMaxLength(kNopChars);
    EditNop2->setMaxLength(kNopChars);
    EditComm->setMaxLength(kCommChars);
    fSpan->addRow(U("Номер первой опоры"), EditNop1);
    fSpan->addRow(U("Номер второй опоры"), EditNop2);
    fSpan->addRow(U("Комментарий"), EditComm);

    auto [gWire, fWire] = group("Провод");
    ComboBoxPr = ChoiceBox(gWire, "ComboBoxPr", "Выберите тип провода", 300);
    ComboBoxPr->setFont(ReportFont());
    SpinEditMpr = new QSpinBox(gWire);
    SpinEditMpr->setObjectName("SpinEditMpr");
    SpinEditMpr->setToolTip(U("Количество проводов в фазе"));
    SpinEditMpr->setRange(kMinMpr, kMaxMpr);
    SpinEditMpr->setMaximumWidth(80);
    auto* prAll = forAll(gWire, "ButtonPrAll");
    fWire->addRow(U("Марка провода"), ComboBoxPr);
    fWire->addRow(U("Количество проводов в фазе"), SpinEditMpr);
    fWire->addRow(prAll);

    auto [gGeo, fGeo] = group("Геометрия пролета");
    EditLpr = EditBox(gGeo, "EditLpr", "Длина пролета");
    EditHpr1 = EditBox(gGeo, "EditHpr1", "Высота подвеса провода");
    EditHpr2 = EditBox(gGeo, "EditHpr2", "Высота подвеса провода");
    EditH1 = EditBox(gGeo, "EditH1", "Высота установки опоры");
    EditH2 = EditBox(gGeo, "EditH2", "Высота установки опоры");
    EditFi = EditBox(gGeo, "EditFi", "Географическая широта местности");
    EditAngP = EditBox(gGeo, "EditAngP",
                       "Ориентация пролета по отношению к меридиану: азимут оси пролета от севера по часовой стрелке, "
                       "0…180° (0…90 — как прежде); по нему считаются солнце и угол ветра в расчёте по погоде");
    fGeo->addRow(U("Длина пролета, м"), EditLpr);
    fGeo->addRow(U("Высота подвеса провода на опоре 1, м"), EditHpr1);
    fGeo->addRow(U("Высота подвеса провода на опоре 2, м"), EditHpr2);
    fGeo->addRow(U("Высота установки опоры 1, м"), EditH1);
    fGeo->addRow(U("Высота установки опоры 2, м"), EditH2);
    fGeo->addRow(U("Географическая широта, о"), EditFi);
    fGeo->addRow(U("Ориентация к меридиану, о"), EditAngP);
    auto* profile = new QPushButton(U("Задать профиль трассы"), gGeo);
    profile->setObjectName("ButtonProfile");
    fGeo->addRow(profile);

    auto [gReg, fReg] = group("Районы");
    ComboBoxRegG = ChoiceBox(gReg, "ComboBoxRegG", "Район по гололеду", 80);
    ComboBoxRegV = ChoiceBox(gReg, "ComboBoxRegV", "Район по ветру", 80);
    ComboBoxTM = ChoiceBox(gReg, "ComboBoxTM", "Тип местности", 200);
    for (const char* r : kRegionText) {
        ComboBoxRegG->addItem(U(r));
        ComboBoxRegV->addItem(U(r));
    }
    for (const char* t : kTerrainText) ComboBoxTM->addItem(U(t));
    auto* regAll = forAll(gReg, "ButtonRegAll");
    fReg->addRow(U("Район по гололеду"), ComboBoxRegG);
    fReg->addRow(U("Район по ветру"), ComboBoxRegV);
    fReg->addRow(U("Тип местности"), ComboBoxTM);
    fReg->addRow(regAll);

    auto [gObst, fObst] = group("Препятствия");
    ComboBoxNPrep = new QComboBox(gObst);
    ComboBoxNPrep->setObjectName("ComboBoxNPrep");
    EditTPrp = ValueBox(gObst, "ComboBoxPrep", "Тип препятствия", 200);
    EditTPrp->setEnabled(false);
    LabelLprep = new QLabel(gObst);
    LabelLprep->setObjectName("LabelLprep");
    LabelHprep = new QLabel(gObst);
    LabelHprep->setObjectName("LabelHprep");
    auto* obstacles = new QPushButton(U("Препятствия"), gObst);
    obstacles->setObjectName("ButtonObstacles");
    fObst->addRow(U("Номер препятствия"), ComboBoxNPrep);
    fObst->addRow(U("Тип препятствия"), EditTPrp);
    fObst->addRow(U("Расстояние от опоры 1, м"), LabelLprep);
    fObst->addRow(U("Высота препятствия, м"), LabelHprep);
    fObst->addRow(obstacles);
    connect(ComboBoxNPrep, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!filling_ && i >= 0) showObstacle(i + 1);
    });

    auto [gInit, fInit] = group("Начальные условия");
    EditSi = EditBox(gInit, "LabeledEditSi", "Напряжение в проводе, кг/мм2");
    fInit->addRow(U("Напряжение в проводе, кг/мм2"), EditSi);
    // Which measurements build the span's reference state.
    auto* modeBox = new QGroupBox(U("Построение пролёта"), gInit);
    modeBox->setObjectName("GroupBoxZamerMode");
    auto* ml = new QHBoxLayout(modeBox);
    RadioButtonOne = new QRadioButton(U("По одному замеру"), modeBox);
    RadioButtonTwo = new QRadioButton(U("По двум замерам"), modeBox);
    RadioButtonOne->setObjectName("RadioButtonOne");
    RadioButtonTwo->setObjectName("RadioButtonTwo");
    ml->addWidget(RadioButtonOne);
    ml->addWidget(RadioButtonTwo);
    fInit->addRow(modeBox);
    auto* initial = new QPushButton(U("Начальные условия"), gInit);
    initial->setObjectName("ButtonInitialConditions");
    fInit->addRow(initial);

    // The anchor span group is part of the record but not of the page.
    auto [gApr, fApr] = group("Анкерный пролет");
    gApr->setObjectName("GroupBoxApr");
    EditLapr = EditBox(gApr, "LabeledEditLapr", "Средняя длина пролета, м");
    fApr->addRow(U("Средняя длина пролета, м"), EditLapr);
    gApr->hide();

    auto* gSea = new QGroupBox(U("Высота над уровнем моря"), page);
    auto* sl = new QHBoxLayout(gSea);
    RadioButtonUseSea = new QRadioButton(U("Учитывать"), gSea);
    RadioButtonNotUseSea = new QRadioButton(U("Не учитывать"), gSea);
    RadioButtonUseSea->setObjectName("RadioButtonUseSea");
    RadioButtonNotUseSea->setObjectName("RadioButtonNotUseSea");
    auto* seaAll = forAll(gSea, "ButtonSeaAll");
    sl->addWidget(RadioButtonUseSea);
    sl->addWidget(RadioButtonNotUseSea);
    sl->addStretch(1);
    sl->addWidget(seaAll);
    auto* modeGroup = new QButtonGroup(this);
    modeGroup->addButton(RadioButtonOne);
    modeGroup->addButton(RadioButtonTwo);
    auto* seaGroup = new QButtonGroup(this);
    seaGroup->addButton(RadioButtonUseSea);
    seaGroup->addButton(RadioButtonNotUseSea);
    // The two-point set opens when "По двум замерам" is clicked.
    connect(RadioButtonTwo, &QRadioButton::clicked, this, &MainWindow::openTwoPointSet);
    connect(RadioButtonTwo, &QRadioButton::toggled, this, [this](bool on) {
        if (!filling_) app_->mode = on ? ZamerMode::TwoPoints : ZamerMode::OnePoint;
    });
    connect(RadioButtonUseSea, &QRadioButton::toggled, this, [this](bool on) {
        if (filling_) return;
        app_->seaLevel = on;
        // The option is also the span's own field.
        ChooseUseSea(*app_, on);
    });

    // Two columns of groups, each as tall as its own groups (not row by row across both), so
    // that the page fits a laptop screen.
    auto* left = new QVBoxLayout;
    auto* second = new QVBoxLayout;
    for (QWidget* g : std::initializer_list<QWidget*>{gSpan, gWire, gGeo}) left->addWidget(g);
    for (QWidget* g : std::initializer_list<QWidget*>{gReg, gObst, gInit, gSea}) second->addWidget(g);
    left->addStretch(1);
    second->addStretch(1);
    right->addLayout(left, 0, 0);
    right->addLayout(second, 0, 1);
    right->setColumnStretch(2, 1);
    layout->addLayout(right, 1);

    // Field edits: only what the user types or chooses is written (a refill writes nothing).
    connect(EditNop1, &QLineEdit::textEdited, this, [this](const QString& t) {
        spanEdit([&] {
            if (qem::EditNop1(*app_, t.toStdString())) refreshCurrentSpanItem();
        });
    });
    connect(EditNop2, &QLineEdit::textEdited, this, [this](const QString& t) {
        spanEdit([&] {
            if (qem::EditNop2(*app_, t.toStdString())) refreshCurrentSpanItem();
        });
    });
    connect(EditComm, &QLineEdit::textEdited, this,
            [this](const QString& t) { spanEdit([&] { qem::EditComm(*app_, t.toStdString()); }); });
    const std::pair<QLineEdit*, SpanNumber> numbers[] = {{EditHpr1, SpanNumber::Hpr1}, {EditHpr2, SpanNumber::Hpr2},
                                                         {EditH1, SpanNumber::H1},     {EditH2, SpanNumber::H2},
                                                         {EditLpr, SpanNumber::Lpr},   {EditSi, SpanNumber::Si},
                                                         {EditLapr, SpanNumber::Lapr}, {EditAngP, SpanNumber::AngP}};
    for (auto [edit, field] : numbers)
        connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& t) {
            spanEdit([&] { EditSpanNumber(*app_, field, t.toStdString(), *dlg_); });
        });
    connect(EditFi, &QLineEdit::textEdited, this, [this](const QString& t) {
        spanEdit([&] { qem::EditFi(*app_, t.toStdString(), selectedSpans(), *dlg_); });
    });
    connect(ComboBoxPr, &QComboBox::activated, this,
            [this](int i) { spanEdit([&] { ChooseSpanConductor(*app_, i, selectedSpans()); }); });
    connect(SpinEditMpr, &QSpinBox::valueChanged, this,
            [this](int v) { spanEdit([&] { EditMpr(*app_, v, selectedSpans()); }); });
    connect(ComboBoxRegG, &QComboBox::activated, this,
            [this](int i) { spanEdit([&] { ChooseRegG(*app_, i, selectedSpans()); }); });
    connect(ComboBoxRegV, &QComboBox::activated, this,
            [this](int i) { spanEdit([&] { ChooseRegV(*app_, i, selectedSpans()); }); });
    connect(ComboBoxTM, &QComboBox::activated, this,
            [this](int i) { spanEdit([&] { ChooseTM(*app_, i, selectedSpans()); }); });

    connect(prAll, &QPushButton::clicked, this, [this] { spanEdit([&] { ConductorForAllSpans(*app_); }); });
    connect(regAll, &QPushButton::clicked, this, [this] { spanEdit([&] { RegionsForAllSpans(*app_); }); });
    connect(seaAll, &QPushButton::clicked, this, [this] { spanEdit([&] { SeaLevelForAllSpans(*app_); }); });
    connect(obstacles, &QPushButton::clicked, this, &MainWindow::openObstacles);
    connect(profile, &QPushButton::clicked, this, &MainWindow::openProfile);
    connect(initial, &QPushButton::clicked, this, &MainWindow::openInitialConditions);

    connect(ComboBoxVL, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (filling_ || i < 0) return;
        app_->net.CurLine = i + 1;
        showSpanPage();
    });
    connect(ListBoxSpRp, &QListWidget::currentRowChanged, this, [this](int row) {
        if (filling_ || row < 0 || app_->net.NLines() == 0) return;
        app_->net.CurSpan[app_->net.CurLine] = row + 1;
        guarded([&] { RefreshCurrentSpan(*app_, *dlg_); });
        showCurrentSpanFields();
    });
}

void MainWindow::spanEdit(const std::function<void()>& f) {
    if (filling_) return;
    guarded(f);
}

std::vector<int> MainWindow::selectedSpans() const {
    std::vector<int> spans;
    for (const QModelIndex& i : ListBoxSpRp->selectionModel()->selectedIndexes()) spans.push_back(i.row() + 1);
    std::sort(spans.begin(), spans.end());
    return spans;
}

void MainWindow::refreshCurrentSpanItem() {
    const TySpan* s = CurrentSpan(*app_);
    if (!s) return;
    const int row = app_->net.CurSpanOf(app_->net.CurLine) - 1;
    const QString text = Q(SpanListText(*s));
    for (QListWidget* list : {ListBoxSpRp, ListBoxSourceSpans})
        if (QListWidgetItem* it = list->item(row)) it->setText(text);
}

void MainWindow::openObstacles() {
    // The editor does not block the main window; when it changes the obstacles or closes, the
    // obstacle selector of the span page is filled again.
    guarded([&] { ShowObstacles(this, *app_, *dlg_, [this] { showCurrentSpanFields(); }); });
}

void MainWindow::openProfile() {
    guarded([&] { ShowRouteProfile(this, *app_, *dlg_); });
    showSpanPage();
}

void MainWindow::openInitialConditions() {
    guarded([&] { ShowInitialConditions(this, *app_, *dlg_); });
    showSpanPage();
}

void MainWindow::openTwoPointSet() {
    guarded([&] { ShowTwoPointSet(this, *app_, *dlg_); });
    showSpanPage();
}

void MainWindow::showChoices() {
    ++filling_;
    RadioButtonTwo->setChecked(app_->mode == ZamerMode::TwoPoints);
    RadioButtonOne->setChecked(app_->mode != ZamerMode::TwoPoints);
    RadioButtonUseSea->setChecked(app_->seaLevel);
    RadioButtonNotUseSea->setChecked(!app_->seaLevel);
    --filling_;
}

void MainWindow::showObstacle(int k) {
    Network& net = app_->net;
    if (net.NLines() == 0 || net.Line(net.CurLine).NSpans() == 0 || k < 1 || k > 10) return;
    const TyPrep& p = net.Line(net.CurLine).Span(net.CurSpanOf(net.CurLine)).Prep[k];
    LabelLprep->setText(Q(FixedText(p.Lprep, 2)));
    LabelHprep->setText(Q(FixedText(p.Hprep, 2)));
    EditTPrp->setText(p.TPrp >= 0 && p.TPrp < kObstacleTypes ? U(kObstacleTypeText[std::size_t(p.TPrp)]) : QString());
}

// Shows the current span; the widgets are filled, never the record written (a shown value
// is rounded to its format, and storing it back would change the span by merely looking).
void MainWindow::showCurrentSpanFields() {
    ++filling_;
    for (QLineEdit* e : {EditNop1, EditNop2, EditComm, EditHpr1, EditHpr2, EditH1, EditH2, EditLpr, EditFi, EditAngP,
                         EditSi, EditLapr, EditTPrp})
        e->clear();
    for (QComboBox* c : {ComboBoxPr, ComboBoxRegG, ComboBoxRegV, ComboBoxTM}) c->setCurrentIndex(-1);
    ComboBoxPr->setPlaceholderText(QString());
    ComboBoxNPrep->clear();
    LabelLprep->clear();
    LabelHprep->clear();
    TySpan* s = CurrentSpan(*app_);
    for (QWidget* w : std::initializer_list<QWidget*>{EditNop1, EditNop2, EditComm, ComboBoxPr, SpinEditMpr, EditHpr1,
                                                      EditHpr2, EditH1, EditH2, EditLpr, EditFi, EditAngP, EditSi,
                                                      EditLapr, ComboBoxRegG, ComboBoxRegV, ComboBoxTM})
        w->setEnabled(s != nullptr);
    if (s) {
        if (s->NPrep == 0) s->NPrep = 1;
        const SpanPageTexts t = ShowSpanPage(*s);
        EditNop1->setText(Q(t.Nop1));
        EditNop2->setText(Q(t.Nop2));
        EditComm->setText(Q(t.Comm));
        // The span's conductor is the catalog item when the catalog holds it; otherwise
        // its text stands in the empty selector.
        ComboBoxPr->setPlaceholderText(Q(t.Pr));
        ComboBoxPr->setCurrentIndex(FindWire(app_->data.wires, s->Pr) - 1);
        SpinEditMpr->setValue(s->Mpr);
        EditHpr1->setText(Q(t.Hpr1).trimmed());
        EditHpr2->setText(Q(t.Hpr2).trimmed());
        EditH1->setText(Q(t.H1).trimmed());
        EditH2->setText(Q(t.H2).trimmed());
        EditLpr->setText(Q(t.Lpr).trimmed());
        EditFi->setText(Q(t.Fi).trimmed());
        EditAngP->setText(Q(t.AngP).trimmed());
        EditSi->setText(Q(t.Si).trimmed());
        EditLapr->setText(Q(t.Lapr).trimmed());
        ComboBoxRegG->setCurrentIndex(s->RegG >= 1 && s->RegG <= 7 ? s->RegG - 1 : -1);
        ComboBoxRegV->setCurrentIndex(s->RegV >= 1 && s->RegV <= 7 ? s->RegV - 1 : -1);
        ComboBoxTM->setCurrentIndex(s->TM >= 0 && s->TM <= 3 ? s->TM : -1);
        for (int k = 1; k <= t.NPrep; ++k) ComboBoxNPrep->addItem(QString::number(k));
        ComboBoxNPrep->setEnabled(t.NPrep > 0);
        if (t.NPrep > 0) ComboBoxNPrep->setCurrentIndex(0);
        LabelLprep->setText(Q(t.Lprep).trimmed());
        LabelHprep->setText(Q(t.Hprep).trimmed());
        EditTPrp->setText(Q(t.TPrp));
        ChoicesFromSpan(*app_, *s);
    }
    --filling_;
    if (s) showChoices();
    followEditors();
}

void MainWindow::showSpanPage() {
    ++filling_;
    ComboBoxPr->clear();
    for (const std::string& w : ConductorList(app_->data.wires)) ComboBoxPr->addItem(Q(w));
    --filling_;
    fillSelectors(ComboBoxVL, ListBoxSpRp);
    showCurrentSpanFields();
}

// ---------------------------------------------------------------- span buffer and clipboard

void MainWindow::copySpanData() { CopySpanToBuffer(*app_, spanBuffer_); }

void MainWindow::pasteSpanData() {
    if (!PasteSpanFromBuffer(*app_, spanBuffer_)) return;
    showSpanPage();
    showSourcePage();
    followEditors(true);
}

void MainWindow::copySpanView() {
    // The chart as it is laid out on its page (a default size before it was ever shown): the
    // scene drawn on white, then the value labels that lie over it.
    if (ChartSpanView->viewport()->width() < 100 || ChartSpanView->viewport()->height() < 100) {
        // A hidden widget takes its new size only when shown: lay the chart out now.
        const QSize old = ChartSpanView->size();
        ChartSpanView->resize(800, 500);
        QResizeEvent resized(ChartSpanView->size(), old);
        QCoreApplication::sendEvent(ChartSpanView, &resized);
    }
    QWidget* view = ChartSpanView->viewport();
    QPixmap picture(view->size());
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    ChartSpanView->render(&painter, QRectF(picture.rect()), view->rect());
    for (QLabel* label : view->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
        if (label->isVisibleTo(view)) label->render(&painter, label->pos());
    painter.end();
    QGuiApplication::clipboard()->setPixmap(picture);
}

void MainWindow::buildSourcePage(QWidget* page) {
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(
        LineAndSpanColumn(page, "ComboBoxSourceVL", "ListBoxSourceSpans", ComboBoxSourceVL, ListBoxSourceSpans));

    auto* right = new QVBoxLayout;
    auto* top = new QHBoxLayout;
    auto* mid = new QVBoxLayout;
    auto* gSrc = new QGroupBox(U("Исходные данные"), page);
    auto* f = new QFormLayout(gSrc);
    EditTvv = EditBox(gSrc, "LabeledEditTvv", "Температура воздуха, оС");
    EditVv = EditBox(gSrc, "LabeledEditVv", "Скорость ветра, м/с");
    EditAlfv = EditBox(gSrc, "LabeledEditAlfv", "Направление ветра, о");
    EditIv = EditBox(gSrc, "LabeledEditIv", "Ток линии, А");
    EditBgv = EditBox(gSrc, "LabeledEditBgv", "Толщина стенки гололеда, см");
    EditGamma = EditBox(gSrc, "LabeledEditGamma", "Удельный вес гололеда, г/см**3");
    f->addRow(U("Температура воздуха, оС"), EditTvv);
    f->addRow(U("Скорость ветра, м/с"), EditVv);
    f->addRow(U("Направление ветра, о"), EditAlfv);
    f->addRow(U("Ток линии, А"), EditIv);
    f->addRow(U("Толщина стенки гололеда, см"), EditBgv);
    f->addRow(U("Удельный вес гололеда, г/см**3"), EditGamma);
    auto* sourceAll = new QPushButton(U("Применить ко всем пролётам"), gSrc);
    sourceAll->setObjectName("ButtonSourceAll");
    f->addRow(sourceAll);
    mid->addWidget(gSrc);
    auto* gSky = new QGroupBox(U("Чистота воздуха"), page);
    gSky->setObjectName("RadioGroupTzv");
    auto* sk = new QVBoxLayout(gSky);
    for (const char* t : kSkyText) {
        auto* r = new QRadioButton(U(t), gSky);
        sk->addWidget(r);
        RadioGroupTzv << r;
    }
    auto* mid2 = new QVBoxLayout;
    mid2->addWidget(gSky);
    CheckBoxUseSourceCondition = new QCheckBox(U("Учитывать температуру воздуху,  скорость и направление ветра"), page);
    CheckBoxUseSourceCondition->setObjectName("CheckBoxUseSourceCondition");
    mid2->addStretch(1);
    auto* mid3 = new QVBoxLayout;

    auto* gSer = new QGroupBox(U("Серия расчетов"), page);
    gSer->setObjectName("GroupBoxSeries");
    auto* g = new QGridLayout(gSer);
    auto spin = [gSer](const char* name) {
        auto* s = new QSpinBox(gSer);
        s->setObjectName(U(name));
        s->setRange(1, 100);
        s->setValue(1);
        s->setToolTip(U("Количество точек расчета"));
        s->setMaximumWidth(80);
        return s;
    };
    auto step = [gSer](const char* name, const char* hint) {
        auto* e = new QLineEdit(gSer);
        e->setObjectName(U(name));
        e->setToolTip(U(hint));
        e->setMaximumWidth(80);
        return e;
    };
    SpinEditPointsT = spin("SpinEditPointsT");
    SpinEditPointsV = spin("SpinEditPointsV");
    SpinEditPointsI = spin("SpinEditPointsI");
    EditStepT = step("EditStepT", "Приращение температуры ");
    EditStepV = step("EditStepV", "Приращение скорости ветра");
    EditStepI = step("EditStepI", "Приращение тока");
    g->addWidget(new QLabel(U("Точек"), gSer), 0, 1);
    g->addWidget(new QLabel(U("Шаг"), gSer), 0, 2);
    g->addWidget(new QLabel(U("Температура воздуха, оС"), gSer), 1, 0);
    g->addWidget(SpinEditPointsT, 1, 1);
    g->addWidget(EditStepT, 1, 2);
    g->addWidget(new QLabel(U("Скорость ветра, м/с"), gSer), 2, 0);
    g->addWidget(SpinEditPointsV, 2, 1);
    g->addWidget(EditStepV, 2, 2);
    g->addWidget(new QLabel(U("Ток линии, А"), gSer), 3, 0);
    g->addWidget(SpinEditPointsI, 3, 1);
    g->addWidget(EditStepI, 3, 2);
    // The heat-balance model of the series: the program's own method unless another is chosen.
    auto* seriesModel = new QComboBox(gSer);
    seriesModel->setObjectName("ComboBoxSeriesModel");
    for (HeatModel m : kHeatModels) seriesModel->addItem(U(HeatModelTitle(m)));
    seriesModel->setToolTip(U("Модель нагрева провода для серии расчетов"));
    g->addWidget(new QLabel(U("Модель нагрева"), gSer), 4, 0);
    g->addWidget(seriesModel, 4, 1, 1, 2);
    auto* run = new QPushButton(U("Расчёт"), gSer);
    run->setObjectName("ButtonSeries");
    g->addWidget(run, 5, 0, 1, 3);
    mid3->addWidget(gSer);
    auto* sweep = new QPushButton(U("Прогонка по ориентации пролёта и широте"), page);
    sweep->setObjectName("ButtonTest");
    mid3->addWidget(sweep);
    mid3->addStretch(1);
    mid->addStretch(1);
    top->addLayout(mid);
    top->addLayout(mid2);
    top->addLayout(mid3);
    top->addStretch(1);
    right->addLayout(top);
    right->addWidget(CheckBoxUseSourceCondition);

    // The tables of the series and the sweep, in the full width of the page.
    RichEditSeries = NewReportBox(page, "RichEditSeries");
    right->addWidget(RichEditSeries, 1);
    layout->addLayout(right, 1);

    // A step is read when its box is left; the commands read all three again.
    for (QLineEdit* e : {EditStepT, EditStepV, EditStepI})
        connect(e, &QLineEdit::editingFinished, this, [this, e] {
            float v = 0;
            TextToSingle(e->text().toStdString(), v, *dlg_);
        });
    // Source data edits of the current span.
    const std::pair<QLineEdit*, SourceNumber> numbers[] = {
        {EditTvv, SourceNumber::Tvv}, {EditVv, SourceNumber::Vv},   {EditAlfv, SourceNumber::Alfv},
        {EditIv, SourceNumber::Iv},   {EditBgv, SourceNumber::Bgv}, {EditGamma, SourceNumber::Gamma}};
    for (auto [edit, field] : numbers)
        connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& t) {
            spanEdit([&] { EditSourceNumber(*app_, field, t.toStdString(), *dlg_); });
        });
    for (int i = 0; i < RadioGroupTzv.size(); ++i)
        connect(RadioGroupTzv[i], &QRadioButton::clicked, this, [this, i] { spanEdit([&] { ChooseTzv(*app_, i); }); });
    connect(sourceAll, &QPushButton::clicked, this, [this] { spanEdit([&] { SourceForAllSpans(*app_); }); });
    connect(run, &QPushButton::clicked, this, &MainWindow::seriesCommand);
    connect(sweep, &QPushButton::clicked, this, &MainWindow::sweepCommand);

    connect(ComboBoxSourceVL, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (filling_ || i < 0) return;
        app_->net.CurLine = i + 1;
        showSourcePage();
    });
    connect(ListBoxSourceSpans, &QListWidget::currentRowChanged, this, [this](int row) {
        if (filling_ || row < 0 || app_->net.NLines() == 0) return;
        app_->net.CurSpan[app_->net.CurLine] = row + 1;
        showCurrentSourceFields(true);
    });
}

void MainWindow::showCurrentSourceFields(bool clicked) {
    Network& net = app_->net;
    for (QLineEdit* e : {EditTvv, EditVv, EditAlfv, EditIv, EditBgv, EditGamma}) e->clear();
    for (QRadioButton* r : RadioGroupTzv) {
        r->setAutoExclusive(false);
        r->setChecked(false);
        r->setAutoExclusive(true);
    }
    if (net.NLines() == 0 || net.Line(net.CurLine).NSpans() == 0) return;
    const TySpan& s = net.Line(net.CurLine).Span(net.CurSpanOf(net.CurLine));
    const SourcePageTexts t = ShowSourcePage(s, clicked);
    EditTvv->setText(Q(t.Tvv).trimmed());
    EditVv->setText(Q(t.Vv).trimmed());
    EditAlfv->setText(Q(t.Alfv).trimmed());
    EditIv->setText(Q(t.Iv).trimmed());
    EditBgv->setText(Q(t.Bgv).trimmed());
    EditGamma->setText(Q(t.Gamma).trimmed());
    if (t.Tzv >= 0) RadioGroupTzv[t.Tzv]->setChecked(true);
    ChoicesFromSpan(*app_, s);
    showChoices();
}

void MainWindow::showSourcePage() {
    fillSelectors(ComboBoxSourceVL, ListBoxSourceSpans);
    showCurrentSourceFields(false);
}

// ---------------------------------------------------------------- series and sweep

void MainWindow::seriesCommand() {
    Network& net = app_->net;
    if (net.NLines() == 0 || net.Line(net.CurLine).NSpans() == 0) {
        dlg_->Message("Создайте пролёт");
        return;
    }
    SeriesSettings st;
    st.N1 = SpinEditPointsT->value();
    st.N2 = SpinEditPointsV->value();
    st.N3 = SpinEditPointsI->value();
    if (!TextToSingle(EditStepT->text().toStdString(), st.dT, *dlg_) ||
        !TextToSingle(EditStepV->text().toStdString(), st.dV, *dlg_) ||
        !TextToSingle(EditStepI->text().toStdString(), st.dI, *dlg_))
        return;
    const TySpan& s = net.Line(net.CurLine).Span(net.CurSpanOf(net.CurLine));
    std::optional<SeriesModel> model;
    if (auto* box = findChild<QComboBox*>("ComboBoxSeriesModel"); box && box->currentIndex() > 0) {
        const HeatModel m = kHeatModels[box->currentIndex()];
        model = SeriesModel{m, ModelChoice::From(m, app_->data.heat).ConductorOf(s.Pr)};
    }
    Report table;
    const unsigned jobs = app_->Env().jobs;
    guarded([&] {
        SeriesOutcome o;
        runLong([&](Dialogs&) { o = CalculationSeries(s, st, app_->data.settings.LongTermTemp, table, jobs, model); });
        WriteFileAtomically(dataFile("111.txt"), Cp1251Text(table));
        ShowReport(RichEditSeries, table);
        seriesReport_ = {table, {"Серия расчетов", SpanReportHeading(net.Line(net.CurLine), s).subject}};
        if (o.failed) dlg_->Message(o.error, "", Icon::Error);
    });
}

void MainWindow::sweepCommand() {
    Network& net = app_->net;
    if (net.NLines() == 0 || net.Line(net.CurLine).NSpans() == 0) {
        dlg_->Message("Создайте пролёт");
        return;
    }
    const TySpan& s = net.Line(net.CurLine).Span(net.CurSpanOf(net.CurLine));
    Report table;
    const unsigned jobs = app_->Env().jobs;
    guarded([&] {
        SeriesOutcome o;
        runLong([&](Dialogs&) { o = OrientationSweep(s, app_->data.settings.LongTermTemp, table, jobs); });
        WriteFileAtomically(dataFile("111.txt"), Cp1251Text(table));
        ShowReport(RichEditSeries, table);
        seriesReport_ = {
            table, {"Прогонка по ориентации пролёта и широте", SpanReportHeading(net.Line(net.CurLine), s).subject}};
        if (o.failed) dlg_->Message(o.error, "", Icon::Error);
    });
}

// ---------------------------------------------------------------- pages "Расчет пролета" and "Расчет ВЛ"

void MainWindow::buildResultPages(QWidget* spanPage, QWidget* linePage) {
    auto* l3 = new QVBoxLayout(spanPage);
    PageControlSpanResult = new QTabWidget(spanPage);
    PageControlSpanResult->setObjectName("PageControlSpanResult");
    auto* rez = new QWidget(PageControlSpanResult);
    auto* rl = new QVBoxLayout(rez);
    RichEditRez = NewReportBox(rez, "RichEditRez");
    rl->addWidget(RichEditRez);
    auto* temp = new QWidget(PageControlSpanResult);
    temp->setObjectName("TabSheetTemp");
    auto* tl = new QVBoxLayout(temp);
    ChartTemperature = new TemperatureChartsView(temp);
    tl->addWidget(ChartTemperature, 1);
    auto* copyCharts = new QPushButton(U("Копировать графики в буфер"), temp);
    copyCharts->setObjectName("ButtonCopyCharts");
    copyCharts->setToolTip(U("Скопировать оба графика в буфер обмена как рисунок"));
    connect(copyCharts, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setPixmap(ChartTemperature->picture()); });
    auto* tb = new QHBoxLayout;
    tb->addStretch(1);
    tb->addWidget(copyCharts);
    tl->addLayout(tb);
    auto* viewPage = new QWidget(PageControlSpanResult);
    auto* vl = new QVBoxLayout(viewPage);
    ChartSpanView = new SpanViewChart(viewPage);
    vl->addWidget(ChartSpanView);
    PageControlSpanResult->addTab(rez, U("Результаты расчета"));
    PageControlSpanResult->addTab(temp, U("График изменения температуры"));
    PageControlSpanResult->addTab(viewPage, U("Вид пролета"));
    l3->addWidget(PageControlSpanResult);

    auto* l4 = new QVBoxLayout(linePage);
    RichEditLineTable = NewReportBox(linePage, "RichEditLineTable");
    l4->addWidget(RichEditLineTable);
}

}  // namespace qem::ui

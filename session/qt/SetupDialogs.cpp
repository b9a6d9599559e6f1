#include "session/qt/SetupDialogs.h"

#include <QAction>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "model/Format.h"
#include "model/RecordTexts.h"
#include "platform/qt/CalcLock.h"
#include "session/NetworkCommands.h"
#include "session/RuCommands.h"
#include "session/qt/SetupWindows.h"
#include "setup/InitialConditions.h"
#include "setup/Measurements.h"
#include "setup/Obstacles.h"
#include "setup/RouteProfile.h"

namespace qem::ui {

namespace {

// A push button named after its caption, added to row, running f when clicked.
template <class F>
QPushButton* AddButton(QWidget* owner, QHBoxLayout* row, const char* caption, F&& f) {
    auto* b = new QPushButton(QString::fromUtf8(caption), owner);
    b->setObjectName(QString::fromUtf8(caption));
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, owner, std::forward<F>(f));
    row->addWidget(b);
    return b;
}

QString U(const std::string& s) { return QString::fromStdString(s); }
QString U(const char* s) { return QString::fromUtf8(s); }

// Sets a cell's text, creating its item; editable or not.
void SetCell(QTableWidget* g, int row, int col, const QString& text, bool editable = true) {
    QTableWidgetItem* it = g->item(row, col);
    if (!it) {
        it = new QTableWidgetItem;
        g->setItem(row, col, it);
    }
    it->setText(text);
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (editable) f |= Qt::ItemIsEditable;
    it->setFlags(f);
}

QString CellText(QTableWidget* g, int row, int col) {
    QTableWidgetItem* it = g->item(row, col);
    return it ? it->text() : QString();
}

// Display formats of the date and time pickers.
const char* const kDateFormat = "dd.MM.yyyy";
const char* const kTimeFormat = "HH:mm:ss";

// A date-time (days since 30.12.1899) and back.
const QDateTime kDay0(QDate(1899, 12, 30), QTime(0, 0));
QDateTime ToQDateTime(double t) { return kDay0.addMSecs(static_cast<qint64>(std::llround(t * 86400000.0))); }
double FromQDateTime(const QDateTime& d) { return kDay0.msecsTo(d) / 86400000.0; }

}  // namespace

// ---------------------------------------------------------------- TFormRU

static const char* const kTools[] = {
    "В начало списка",    "Предыдущее измерение",        "Следующее измерение",         "В конец списка",
    "Добавить измерение", "Вставить измерение в список", "Удалить измерение из списка", "Сохранить изменения"};
static const char* const kToolText[] = {"|<", "<", ">", ">|", "+", "Вст.", "−", "Сохр."};

TFormRU::TFormRU(AppState& app, Dialogs& dialogs, QWidget* parent) : QDialog(parent), app_(app), dlg_(dialogs) {
    setObjectName("FormRU");
    TakeNoEditsWhileCalculating(this, app.calc);
    setWindowTitle(U("Расчет начальных условий"));
    auto* layout = new QVBoxLayout(this);

    tools_ = new QToolBar(this);
    for (int i = 0; i < 8; ++i) {
        QAction* a = tools_->addAction(U(kToolText[i]));
        a->setToolTip(U(kTools[i]));
        a->setObjectName(U(kTools[i]));
        const char* hint = kTools[i];
        connect(a, &QAction::triggered, this, [this, hint] { runTool(hint); });
    }
    layout->addWidget(tools_);

    grid_ = new QTableWidget(this);
    grid_->setObjectName("StringGridZamer");
    grid_->setColumnCount(10);
    QStringList header;
    for (const char* h : kZamerGridHeader) header << U(h);
    grid_->setHorizontalHeaderLabels(header);
    grid_->verticalHeader()->hide();
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setMinimumSize(1180, 220);
    layout->addWidget(grid_);
    connect(grid_, &QTableWidget::cellChanged, this, [this](int r, int c) { cellEdited(r, c); });
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int r, int c, int, int) { cellSelected(r, c); });

    picker_ = new QDateTimeEdit(grid_->viewport());
    picker_->setObjectName("DateTimePicker");
    picker_->hide();
    connect(picker_, &QDateTimeEdit::editingFinished, this, [this] { pickerDone(); });

    auto* skyRow = new QHBoxLayout;
    skyRow->addWidget(new QLabel(U("Чистота воздуха"), this));
    sky_ = new QComboBox(this);
    sky_->setObjectName("ComboBoxTzv");
    for (const char* t : kSkyConditionText) sky_->addItem(U(t));
    connect(sky_, &QComboBox::activated, this, [this](int t) {
        const SpanEditScope edit(app_);
        if (TySpan* s = CurrentSpan(app_)) SetZamerSky(*s, CurrentZamerIndex(app_), t);
    });
    skyRow->addWidget(sky_);
    skyRow->addStretch();
    layout->addLayout(skyRow);

    auto* result = new QHBoxLayout;
    result->addWidget(new QLabel(U("Напряжение в проводе, кг/мм2:"), this));
    stressValue_ = new QLabel(this);
    stressValue_->setObjectName("LabelSi");
    result->addWidget(stressValue_);
    result->addStretch();
    layout->addLayout(result);

    auto* form = new QFormLayout;
    static const char* const kFields[] = {"Напряжение в проводе, кг/мм2", "Температура воздуха, град",
                                          "Скорость ветра, м/с", "Стенка гололеда, см"};
    for (int i = 0; i < 4; ++i) {
        fields_[i] = new QLineEdit(this);
        fields_[i]->setReadOnly(true);
        fields_[i]->setMaximumWidth(120);
        fields_[i]->setObjectName(U(kFields[i]));
        form->addRow(U(kFields[i]), fields_[i]);
    }
    layout->addLayout(form);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* caption, auto&& f) { return AddButton(this, buttons, caption, f); };
    button("Расчёт", [this] { calculate(); });
    button("Расчёт температуры провода", [this] { conductorTemp(); });
    button("Полный расчёт", [this] { fullCalculation(); });
    buttons->addStretch();
    button("ОК", [this] { accept(); });
    button("Отмена", [this] { reject(); });
    layout->addLayout(buttons);

    activate();
}

void TFormRU::activate() {
    refill();
    if (TySpan* s = CurrentSpan(app_)) {
        ZamerSag(*s, 1);
        RuCalculate(app_, dlg_, false);
    }
    showResult();
    const bool two = app_.mode == ZamerMode::TwoPoints;
    grid_->resizeColumnsToContents();
    // The date and time pickers lie inside their cells: the columns are as wide as they need.
    for (int col : {1, 2}) {
        QDateTimeEdit probe;
        probe.setFont(picker_->font());
        probe.setDisplayFormat(col == 1 ? kDateFormat : kTimeFormat);
        grid_->setColumnWidth(col, std::max(grid_->columnWidth(col), probe.sizeHint().width() + 4));
    }
    grid_->setColumnHidden(3, two);
    grid_->setColumnHidden(4, two);
    if (!two) {
        grid_->setColumnWidth(3, std::max(150, grid_->columnWidth(3)));
        grid_->setColumnWidth(4, std::max(80, grid_->columnWidth(4)));
    }
}

void TFormRU::refill() {
    ++filling_;
    picker_->hide();
    TySpan* s = CurrentSpan(app_);
    const int count = s ? ZamerCount(*s) : 0;
    if (app_.currentZamer < 1 || app_.currentZamer > count) app_.currentZamer = 1;
    grid_->clearContents();
    grid_->setRowCount(count == 0 ? 1 : count);
    grid_->setEditTriggers(count == 0 ? QAbstractItemView::NoEditTriggers
                                      : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                            QAbstractItemView::AnyKeyPressed);
    for (int r = 1; r <= count; ++r)
        for (int c = 0; c < 10; ++c) SetCell(grid_, r - 1, c, U(ZamerCellText(*s, r, c)).trimmed(), c >= 3);
    if (count > 0)
        grid_->setCurrentCell(app_.currentZamer - 1, grid_->currentColumn() < 0 ? 0 : grid_->currentColumn());
    if (s) sky_->setCurrentIndex(std::clamp(int(s->Zamer[CurrentZamerIndex(app_)].Tzv), 0, 3));
    --filling_;
}

void TFormRU::selectRow(int k) {
    TySpan* s = CurrentSpan(app_);
    const int count = s ? ZamerCount(*s) : 0;
    if (k < 1 || k > count) return;
    grid_->setCurrentCell(k - 1, std::max(0, grid_->currentColumn()));
    cellSelected(k - 1, std::max(0, grid_->currentColumn()));
}

void TFormRU::cellSelected(int row, int col) {
    if (filling_ || row < 0) return;
    TySpan* s = CurrentSpan(app_);
    if (!s || row >= ZamerCount(*s)) return;
    app_.currentZamer = row + 1;
    sky_->setCurrentIndex(std::clamp(int(s->Zamer[row + 1].Tzv), 0, 3));
    if (col == 1 || col == 2) {
        // The picker over the cell, 2 pixels inside it.
        pickerRow_ = row + 1;
        picker_->setDisplayFormat(col == 1 ? kDateFormat : kTimeFormat);
        picker_->setDateTime(ToQDateTime(s->Zamer[row + 1].Time));
        const QRect cell = grid_->visualRect(grid_->model()->index(row, col));
        picker_->setGeometry(cell.adjusted(2, 2, -2, -2));
        picker_->show();
        picker_->setFocus();
    } else {
        picker_->hide();
    }
}

void TFormRU::pickerDone() {
    if (!picker_->isVisible()) return;
    picker_->hide();
    TySpan* s = CurrentSpan(app_);
    if (!s || pickerRow_ < 1 || pickerRow_ > ZamerCount(*s)) return;
    // Leaving the picker without a change writes nothing.
    if (picker_->dateTime() == ToQDateTime(s->Zamer[pickerRow_].Time)) return;
    {
        const SpanEditScope edit(app_);
        SetZamerTime(*s, pickerRow_, FromQDateTime(picker_->dateTime()));
    }
    ++filling_;
    SetCell(grid_, pickerRow_ - 1, 1, U(ZamerCellText(*s, pickerRow_, 1)), false);
    SetCell(grid_, pickerRow_ - 1, 2, U(ZamerCellText(*s, pickerRow_, 2)), false);
    --filling_;
}

void TFormRU::cellEdited(int row, int col) {
    if (filling_) return;
    TySpan* s = CurrentSpan(app_);
    if (!s) return;
    {
        const SpanEditScope edit(app_);
        EditZamerCell(*s, row + 1, col, CellText(grid_, row, col).toStdString(), dlg_);
    }
    // The cell shows what is stored; the mid-span elevation is the same in every row.
    ++filling_;
    if (col == 4)
        for (int r = 0; r < grid_->rowCount(); ++r) SetCell(grid_, r, 4, U(ZamerCellText(*s, r + 1, 4)).trimmed());
    else if (col >= 3)
        SetCell(grid_, row, col, U(ZamerCellText(*s, row + 1, col)).trimmed());
    --filling_;
}

void TFormRU::runTool(const char* hint) {
    TySpan* s = CurrentSpan(app_);
    if (!s) return;
    const std::string h = hint;
    const int count = ZamerCount(*s);
    int& cur = app_.currentZamer;
    if (h == kTools[0]) {
        selectRow(1);
    } else if (h == kTools[1]) {
        if (cur > 1) selectRow(cur - 1);
    } else if (h == kTools[2]) {
        if (cur < count) selectRow(cur + 1);
    } else if (h == kTools[3]) {
        selectRow(count);
    } else if (h == kTools[4] || h == kTools[5]) {
        int k = cur;
        bool done = false;
        {
            const SpanEditScope edit(app_);
            done = h == kTools[4] ? AddZamer(*s, k, app_.net.Now()) : InsertZamer(*s, k, app_.net.Now());
        }
        if (!done) return;
        refill();
        selectRow(k);
    } else if (h == kTools[6]) {
        int k = cur;
        bool done = false;
        {
            const SpanEditScope edit(app_);
            done = DeleteZamer(*s, k, dlg_);
        }
        if (!done) return;
        refill();
        selectRow(k);
    } else if (h == kTools[7]) {
        SaveNetwork(app_, dlg_);
    }
}

void TFormRU::showResult() {
    TySpan* s = CurrentSpan(app_);
    if (!s) return;
    stressValue_->setText(U(Format("%8.2f", s->Si)).trimmed());
    fields_[0]->setText(U(Format("%8.2f", s->Si)).trimmed());
    fields_[1]->setText(U(Format("%8.0f", s->Tv)).trimmed());
    fields_[2]->setText(U(Format("%8.1f", s->V)).trimmed());
    fields_[3]->setText(U(Format("%8.2f", s->Bg)).trimmed());
}

void TFormRU::calculate() {
    {
        const SpanEditScope edit(app_);
        RuCalculate(app_, dlg_, true);
    }
    refill();
    showResult();
}

void TFormRU::conductorTemp() {
    {
        const SpanEditScope edit(app_);
        RuConductorTemp(app_, dlg_);
    }
    const int k = app_.currentZamer;
    refill();
    selectRow(k);
}

void TFormRU::fullCalculation() {
    RuFullCalculation(app_, dlg_);
    showResult();
}

// ---------------------------------------------------------------- TFormSetZam

TFormSetZam::TFormSetZam(AppState& app, Dialogs& dialogs, QWidget* parent) : QDialog(parent), app_(app), dlg_(dialogs) {
    setObjectName("FormSetZam");
    TakeNoEditsWhileCalculating(this, app.calc);
    setWindowTitle(U("Установка замеров"));
    auto* layout = new QVBoxLayout(this);
    grid_ = new QTableWidget(2, 3, this);
    grid_->setObjectName("StringGridTwoPoint");
    QStringList header;
    for (const char* h : kTwoPointGridHeader) header << U(h);
    grid_->setHorizontalHeaderLabels(header);
    grid_->setMinimumSize(600, 200);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(grid_);
    showRow(1);
    showRow(2);
    connect(grid_, &QTableWidget::cellChanged, this, [this](int r, int c) {
        if (filling_) return;
        if (TySpan* s = CurrentSpan(app_)) {
            {
                const SpanEditScope edit(app_);
                EditTwoPointCell(*s, r + 1, c, CellText(grid_, r, c).toStdString(), dlg_);
            }
            showRow(r + 1);
        }
    });
    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* caption, auto&& f) { return AddButton(this, buttons, caption, f); };
    change_ = button("Изменить", [this] { edit(true); });
    save_ = button("Сохранить", [this] { edit(false); });
    save_->setEnabled(false);
    button("Добавить", [this] { add(); });
    button("Удалить", [this] { remove(); });
    layout->addLayout(buttons);
}

void TFormSetZam::showRow(int point) {
    TySpan* s = CurrentSpan(app_);
    if (!s || point < 1 || point > grid_->rowCount()) return;
    ++filling_;
    for (int c = 0; c < 3; ++c) SetCell(grid_, point - 1, c, U(TwoPointCellText(*s, point, c)));
    --filling_;
}

void TFormSetZam::edit(bool on) {
    grid_->setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                    QAbstractItemView::AnyKeyPressed
                              : QAbstractItemView::NoEditTriggers);
    change_->setEnabled(!on);
    save_->setEnabled(on);
}

void TFormSetZam::add() {
    TySpan* s = CurrentSpan(app_);
    if (!s || !TwoPointCanAdd(*s, grid_->rowCount(), dlg_)) return;
    grid_->setRowCount(grid_->rowCount() + 1);
    showRow(grid_->rowCount());
}

void TFormSetZam::remove() {
    TySpan* s = CurrentSpan(app_);
    const int row = grid_->currentRow() + 1;
    if (!s || row < 1) return;
    {
        const SpanEditScope edit(app_);
        if (!DeleteTwoPoint(*s, row, dlg_)) return;
    }
    grid_->setRowCount(grid_->rowCount() - 1);
    for (int p = row; p <= grid_->rowCount(); ++p) showRow(p);
}

// ---------------------------------------------------------------- TFormSetPrep

TFormSetPrep::TFormSetPrep(AppState& app, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), app_(app), dlg_(dialogs) {
    setObjectName("FormSetPrep");
    setWindowTitle(U("Задать препятсвия"));
    auto* layout = new QVBoxLayout(this);
    // Which span the editor works on: the main window stays usable while it is open.
    span_ = new QLabel(this);
    span_->setObjectName("LabelSpan");
    layout->addWidget(span_);
    grid_ = new QTableWidget(0, 7, this);
    grid_->setObjectName("StringGridObstacles");
    QStringList header;
    for (const char* h : kObstacleGridHeader) header << U(h);
    grid_->setHorizontalHeaderLabels(header);
    // The long column titles wrap over up to four lines, so that all columns fit a laptop screen.
    QHeaderView* head = grid_->horizontalHeader();
    head->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    head->setSectionResizeMode(QHeaderView::Stretch);
    head->setFixedHeight(head->fontMetrics().lineSpacing() * 4 + 10);
    grid_->setColumnHidden(3, true);
    grid_->setMinimumSize(780, 200);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(grid_);
    connect(grid_, &QTableWidget::cellChanged, this, [this](int r, int c) { cellEdited(r, c); });
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int r, int, int, int) {
        TySpan* s = CurrentSpan(app_);
        if (filling_ || !s || r < 0 || r >= kMaxObstacles) return;
        type_->setCurrentIndex(std::clamp(int(s->Prep[r + 1].TPrp), 0, kObstacleTypes - 1));
    });

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(U("Тип препятствия"), this));
    type_ = new QComboBox(this);
    type_->setObjectName("ComboBoxTPrp");
    for (const char* t : kObstacleTypeText) type_->addItem(U(t));
    type_->setEnabled(false);
    connect(type_, &QComboBox::activated, this, [this](int t) {
        TySpan* s = CurrentSpan(app_);
        const int r = grid_->currentRow() + 1;
        if (!s || r < 1 || r > kMaxObstacles) return;
        {
            const SpanEditScope edit(app_);
            SetObstacleType(*s, r, t);
        }
        ++filling_;
        SetCell(grid_, r - 1, 3, U(ObstacleCellText(*s, r, 3)), false);
        SetCell(grid_, r - 1, 6, U(ObstacleCellText(*s, r, 6)), false);
        --filling_;
        changed();
    });
    row->addWidget(type_);
    row->addStretch();
    row->addWidget(new QLabel(U("Сортировать по Высоте"), this));
    auto* up = new QPushButton(U("▲"), this);
    up->setObjectName("SortUp");
    up->setToolTip(U("По возрастанию"));
    auto* down = new QPushButton(U("▼"), this);
    down->setObjectName("SortDown");
    down->setToolTip(U("По убыванию"));
    connect(up, &QPushButton::clicked, this, [this] { sort(true); });
    connect(down, &QPushButton::clicked, this, [this] { sort(false); });
    row->addWidget(up);
    row->addWidget(down);
    layout->addLayout(row);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* caption, auto&& f) { return AddButton(this, buttons, caption, f); };
    button("Добавить", [this] { add(); });
    button("Удалить", [this] { remove(); });
    change_ = button("Изменить", [this] { edit(true); });
    save_ = button("Сохранить", [this] { edit(false); });
    save_->setEnabled(false);
    layout->addLayout(buttons);
    resize(1000, 380);
    calcWatch_ = app_.calc.Observe([this](bool) { updateEnabled(); });
    follow();
}

void TFormSetPrep::updateEnabled() { setEnabled(CurrentSpan(app_) != nullptr && !app_.calc.Running()); }

void TFormSetPrep::showSpan() {
    const TyLine* line = CurrentLine(app_);
    const TySpan* s = CurrentSpan(app_);
    span_->setText(line && s ? U("Пролет ") + U(SpanListText(*s)).simplified() + U("  линии ") +
                                   U(LineSelectorText(*line)).trimmed()
                             : U("Нет пролета"));
}

void TFormSetPrep::follow(bool force) {
    if (reporting_) return;
    TySpan* s = CurrentSpan(app_);
    const int line = app_.net.CurLine, span = s ? app_.net.CurSpanOf(line) : 0;
    // The same span: what is shown (cells being typed in included) stays.
    if (!force && s == shownRecord_ && line == shownLine_ && span == shownSpan_) return;
    shownRecord_ = s;
    shownLine_ = line;
    shownSpan_ = span;
    showSpan();
    redraw(s ? ObstacleRows(*s) : 0);
    updateEnabled();
}

void TFormSetPrep::changed() {
    if (!changed_) return;
    reporting_ = true;
    changed_();
    reporting_ = false;
}

void TFormSetPrep::redraw() { redraw(grid_->rowCount()); }

void TFormSetPrep::redraw(int rows) {
    TySpan* s = CurrentSpan(app_);
    if (!s) rows = 0;
    ++filling_;
    const int keep = grid_->currentRow();
    grid_->clearContents();
    grid_->setRowCount(rows);
    for (int r = 1; r <= rows; ++r)
        for (int c = 0; c < 7; ++c) SetCell(grid_, r - 1, c, U(ObstacleCellText(*s, r, c)), c != 3 && c != 6);
    if (rows > 0) grid_->setCurrentCell(std::clamp(keep, 0, rows - 1), 0);
    type_->setCurrentIndex(rows > 0 && s ? std::clamp(int(s->Prep[grid_->currentRow() + 1].TPrp), 0, kObstacleTypes - 1)
                                         : 0);
    --filling_;
}

void TFormSetPrep::cellEdited(int row, int col) {
    if (filling_) return;
    TySpan* s = CurrentSpan(app_);
    if (!s) return;
    bool stands = true;
    {
        const SpanEditScope edit(app_);
        stands = CommitObstacleCell(*s, row + 1, col, CellText(grid_, row, col).toStdString(), dlg_);
    }
    if (!stands) {
        ++filling_;
        SetCell(grid_, row, col, "0");
        --filling_;
    }
    changed();
}

void TFormSetPrep::edit(bool on) {
    grid_->setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                    QAbstractItemView::AnyKeyPressed
                              : QAbstractItemView::NoEditTriggers);
    type_->setEnabled(on);
    change_->setEnabled(!on);
    save_->setEnabled(on);
    if (!on) SaveNetwork(app_, dlg_);
}

void TFormSetPrep::add() {
    TySpan* s = CurrentSpan(app_);
    if (!s) return;
    int r = 0;
    {
        const SpanEditScope edit(app_);
        r = AddObstacle(*s, grid_->rowCount(), dlg_);
    }
    if (r == 0) return;
    // The rows typed so far stay as they are; the new row shows zeros.
    ++filling_;
    grid_->setRowCount(r);
    for (int c = 0; c < 7; ++c) SetCell(grid_, r - 1, c, c == 6 ? U(kObstacleTypeText[0]) : "0", c != 3 && c != 6);
    grid_->setCurrentCell(r - 1, 0);
    type_->setCurrentIndex(0);
    --filling_;
    edit(true);
    changed();
}

void TFormSetPrep::remove() {
    TySpan* s = CurrentSpan(app_);
    const int r = grid_->currentRow() + 1;
    if (!s || r < 1) return;
    const int rows = grid_->rowCount();
    bool deleted = false;
    {
        const SpanEditScope edit(app_);
        deleted = DeleteObstacle(*s, rows, r, dlg_);
    }
    if (!deleted) return;
    redraw(rows - 1);
    changed();
}

void TFormSetPrep::sort(bool ascending) {
    TySpan* s = CurrentSpan(app_);
    if (!s) return;
    {
        const SpanEditScope edit(app_);
        SortObstaclesByHeight(*s, grid_->rowCount(), ascending);
    }
    redraw();
    changed();
}

void TFormSetPrep::done(int r) {
    QDialog::done(r);
    // The save and the parent's refill read the network: closed while a calculation runs (its
    // close box stays usable), the editor leaves them for the end of the run.
    app_.calc.WhenIdle([&app = app_, &dlg = dlg_, changed = changed_] {
        SaveNetwork(app, dlg);
        if (changed) changed();
    });
}

// ---------------------------------------------------------------- TFormZem

TFormZem::TFormZem(AppState& app, Dialogs& dialogs, QWidget* parent) : QDialog(parent), app_(app), dlg_(dialogs) {
    setObjectName("FormZem");
    TakeNoEditsWhileCalculating(this, app.calc);
    setWindowTitle(U("Профиль трассы"));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(U("Количество участков"), this));
    count_ = new QSpinBox(this);
    count_->setObjectName("SpinEditSections");
    count_->setRange(0, kMaxProfilePoints);
    // A typed count is taken when the edit is finished (Enter, leaving the box), the arrows at
    // once: typing 10 must not pass through a count of 1.
    count_->setKeyboardTracking(false);
    row->addWidget(count_);
    row->addStretch();
    layout->addLayout(row);
    grid_ = new QTableWidget(1, 2, this);
    grid_->setObjectName("StringGridProfile");
    grid_->setHorizontalHeaderLabels({U(kProfileGridHeader[0]), U(kProfileGridHeader[1])});
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid_->setMinimumSize(380, 330);
    layout->addWidget(grid_);
    auto* ok = new QPushButton(U("ОК"), this);
    ok->setObjectName("ОК");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    connect(grid_, &QTableWidget::cellChanged, this, [this](int r, int c) { cellEdited(r, c); });
    connect(count_, &QSpinBox::valueChanged, this, [this](int n) { countChanged(n); });

    // Opening shows the leading points and clears those after them.
    TySpan* s = CurrentSpan(app_);
    const int n = s ? ProfileCount(*s) : 0;
    if (s) {
        const SpanEditScope edit(app_);
        SetProfileCount(*s, n);
    }
    {
        const QSignalBlocker block(count_);
        count_->setValue(n);
    }
    showCount(n);
}

void TFormZem::setCount(int n) { count_->setValue(n); }

void TFormZem::countChanged(int n) {
    TySpan* s = CurrentSpan(app_);
    if (!s) return;
    bool applied = false;
    {
        const SpanEditScope edit(app_);
        applied = ChangeProfileCount(*s, n, dlg_);
    }
    if (!applied) {
        // Cancelled: the box shows the count in force again.
        const QSignalBlocker block(count_);
        count_->setValue(shown_);
        return;
    }
    showCount(n);
}

void TFormZem::showCount(int n) {
    shown_ = n;
    TySpan* s = CurrentSpan(app_);
    if (!s) return;
    ++filling_;
    grid_->clearContents();
    grid_->setRowCount(std::max(1, n));
    for (int p = 1; p <= n; ++p)
        for (int c = 0; c < 2; ++c) SetCell(grid_, p - 1, c, U(ProfileCellText(*s, p, c)).trimmed());
    if (n == 0)
        for (int c = 0; c < 2; ++c) SetCell(grid_, 0, c, QString());
    --filling_;
}

void TFormZem::cellEdited(int row, int col) {
    if (filling_) return;
    TySpan* s = CurrentSpan(app_);
    if (!s) return;
    bool stored = false;
    {
        const SpanEditScope edit(app_);
        stored = EditProfileCell(*s, row + 1, col, CellText(grid_, row, col).toStdString(), dlg_);
    }
    if (stored) return;
    // A refused text gives way to the value the point holds: the grid shows only stored numbers.
    ++filling_;
    SetCell(grid_, row, col, U(ProfileCellText(*s, row + 1, col)).trimmed());
    --filling_;
}

// ---------------------------------------------------------------- entry points

bool ShowInitialConditions(QWidget* parent, AppState& app, Dialogs& dialogs) {
    if (!CurrentSpan(app)) return false;
    TFormRU form(app, dialogs, parent);
    return form.exec() == QDialog::Accepted;
}

bool ShowMeasurements(QWidget* parent, AppState& app, Dialogs& dialogs) {
    return ShowInitialConditions(parent, app, dialogs);
}

void ShowTwoPointSet(QWidget* parent, AppState& app, Dialogs& dialogs) {
    if (!CurrentSpan(app)) return;
    TFormSetZam form(app, dialogs, parent);
    form.exec();
}

QDialog* FindObstacleEditor(QWidget* parent) {
    // A closed editor lingers hidden until it is deleted.
    if (parent)
        for (auto* e : parent->findChildren<TFormSetPrep*>("FormSetPrep", Qt::FindDirectChildrenOnly))
            if (e->isVisible()) return e;
    return nullptr;
}

void FollowCurrentSpan(QWidget* editor, bool force) {
    if (auto* e = dynamic_cast<TFormSetPrep*>(editor)) e->follow(force);
}

QDialog* ShowObstacles(QWidget* parent, AppState& app, Dialogs& dialogs, std::function<void()> changed) {
    if (!CurrentSpan(app)) return nullptr;
    auto* form = static_cast<TFormSetPrep*>(FindObstacleEditor(parent));
    if (!form) {
        form = new TFormSetPrep(app, dialogs, parent);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->setModal(false);
        form->setWindowModality(Qt::NonModal);
        form->setChangedHandler(std::move(changed));
        if (parent) {
            // At the main window's left edge, just below its menu, tool bar and page tabs (which
            // stay in view), no wider than it and not beyond the bottom of the screen.
            const QWidget* main = parent->window();
            int top = main->mapToGlobal(QPoint(0, 0)).y();
            if (const auto* mw = qobject_cast<const QMainWindow*>(main); mw && mw->centralWidget()) {
                const QWidget* central = mw->centralWidget();
                top = central->mapToGlobal(QPoint(0, 0)).y();
                if (const auto* tabs = qobject_cast<const QTabWidget*>(central))
                    top = tabs->tabBar()->mapToGlobal(QPoint(0, tabs->tabBar()->height())).y();
            }
            int height = form->height();
            if (const QScreen* screen = main->screen())
                height = std::max(200, std::min(height, screen->availableGeometry().bottom() - top - 40));
            form->resize(std::min(form->width(), main->width()), height);
            form->move(main->pos().x(), top);
        }
    }
    form->show();
    form->raise();
    form->activateWindow();
    return form;
}

void ShowRouteProfile(QWidget* parent, AppState& app, Dialogs& dialogs) {
    if (!CurrentSpan(app)) return;
    TFormZem form(app, dialogs, parent);
    form.exec();
}

}  // namespace qem::ui

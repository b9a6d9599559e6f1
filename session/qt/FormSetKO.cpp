#include "session/qt/FormSetKO.h"

#include "platform/qt/CalcLock.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "model/TextGrid.h"
#include "session/qt/EquipmentWindows.h"
#include "session/qt/TableFill.h"

namespace qem::ui {

namespace {

const char* const kEditButton[kKOGroups] = {"Редактировать Ошиновки",    "Редактировать Шины",
                                            "Редактировать выключатели", "Редактировать разъединители",
                                            "Редактировать заградители", "Редактировать трансформаторы"};
const char* const kCountHint[4] = {"количество проводов в первой ошиновке", "количество проводов во второй ошиновке",
                                   "количество проводов в первой шине", "количество проводов во второй шине"};

}  // namespace

TFormSetKO::TFormSetKO(QWidget* parent, AppState& app, Dialogs& dialogs) : QDialog(parent), app_(app), dlg_(dialogs) {
    setObjectName("FormSetKO");
    TakeNoEditsWhileCalculating(this, app.calc);
    core_ = std::make_unique<LineEquipment>(app.net, app.net.CurLine, app.data.ko, app.data.wires, dialogs);
    setWindowTitle(Utf(core_->Caption()));
    setModal(true);

    // The group boxes scroll when the screen is too small for them; the buttons below them
    // stay in view.
    auto* layout = new QVBoxLayout(this);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("ScrollKO");
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget(scroll);
    auto* boxes = new QGridLayout(content);
    boxes->setContentsMargins(0, 0, 0, 0);
    scroll->setWidget(content);
    layout->addWidget(scroll, 1);
    for (int gi = 0; gi < kKOGroups; ++gi) {
        const auto g = static_cast<KOGroup>(gi);
        auto* box = new QGroupBox(Utf(kKOGroupCaption[gi]), this);
        box->setObjectName(QStringLiteral("GroupBox%1").arg(gi));
        auto* v = new QVBoxLayout(box);
        auto* table = new QTableWidget(box);
        table->setObjectName(QStringLiteral("KOGrid%1").arg(gi));
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setSelectionMode(QAbstractItemView::SingleSelection);
        table->verticalHeader()->hide();
        table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
        table->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        grids_[static_cast<std::size_t>(gi)] = table;
        v->addWidget(table);
        auto* h = new QHBoxLayout;
        auto* combo = new QComboBox(box);
        combo->setObjectName(QStringLiteral("KOCombo%1").arg(gi));
        combo->setMinimumContentsLength(30);
        // The box is as wide as its group allows; its list opens as wide as the longest item.
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combos_[static_cast<std::size_t>(gi)] = combo;
        h->addWidget(combo, 1);
        if (IsConductorGroup(g)) {
            for (int end = 1; end <= 2; ++end) {
                const int idx = (g == KOGroup::Bus ? 2 : 0) + end - 1;
                auto* spin = new QSpinBox(box);
                spin->setObjectName(QStringLiteral("SpinNBus%1").arg(idx + 1));
                spin->setRange(kMinBusWires, kMaxBusWires);
                spin->setToolTip(Utf(kCountHint[idx]));
                counts_[static_cast<std::size_t>(idx)] = spin;
                h->addWidget(spin);
                connect(spin, &QSpinBox::valueChanged, this, [this, g, end](int v) { core_->SetWireCount(g, end, v); });
            }
        }
        auto* edit = new QPushButton(Utf(kEditButton[gi]), box);
        edit->setObjectName(QStringLiteral("KOEdit%1").arg(gi));
        h->addWidget(edit);
        v->addLayout(h);
        // The conductor grids are wide: each takes a whole row; the equipment grids share rows.
        if (IsConductorGroup(g))
            boxes->addWidget(box, gi, 0, 1, 2);
        else
            boxes->addWidget(box, 2 + (gi - 2) / 2, gi % 2);

        connect(table, &QTableWidget::currentCellChanged, this,
                [this, g](int row, int, int, int) { showRowItem(g, row + 1); });
        connect(combo, &QComboBox::activated, this, [this, g, table](int item) {
            const int row = table->currentRow() + 1;
            if (core_->Choose(g, row < 1 ? 1 : row, item)) fillGrid(g);
        });
        connect(table, &QTableWidget::cellDoubleClicked, this, [this, g, table](int, int) {
            const int row = table->currentRow() + 1;
            if (core_->DeleteSlot(g, row)) fillGrid(g);
        });
        if (IsConductorGroup(g))
            connect(edit, &QPushButton::clicked, this, [this] {
                ShowCatalog(this, app_, dlg_, CatPageWires, [this] {
                    for (KOGroup c : {KOGroup::Busbar, KOGroup::Bus}) {
                        fillGrid(c);
                        fillCombo(c);
                    }
                });
            });
        else
            connect(edit, &QPushButton::clicked, this, [this, g] { editKinds(GroupKind(g)); });
    }

    auto* cable = new QGroupBox(Utf("Кабельная вставка"), this);
    cable->setObjectName("GroupBoxCable");
    auto* ch = new QHBoxLayout(cable);
    ch->addWidget(new QLabel(Utf("ДДТН кабеля"), cable));
    cabD_ = new QLineEdit(cable);
    cabD_->setObjectName("EditCabDDTN");
    ch->addWidget(cabD_);
    ch->addWidget(new QLabel(Utf("АДТН кабеля"), cable));
    cabA_ = new QLineEdit(cable);
    cabA_->setObjectName("EditCabADTN");
    ch->addWidget(cabA_);
    auto* reset = new QPushButton(Utf("Сброить"), cable);
    reset->setObjectName("ButtonResetCable");
    ch->addWidget(reset);
    ch->addStretch(1);
    boxes->addWidget(cable, 4, 0, 1, 2);
    boxes->setRowStretch(5, 1);
    boxes->setColumnStretch(0, 1);
    boxes->setColumnStretch(1, 1);
    connect(cabD_, &QLineEdit::textEdited, this, [this](const QString& t) { core_->SetCable(true, t.toStdString()); });
    connect(cabA_, &QLineEdit::textEdited, this, [this](const QString& t) { core_->SetCable(false, t.toStdString()); });
    connect(reset, &QPushButton::clicked, this, [this] {
        if (!core_->ResetCable()) return;
        cabD_->setText("0");
        cabA_->setText("0");
    });

    auto* buttons = new QHBoxLayout;
    auto* clear = new QPushButton(Utf("Очистить всё КО"), this);
    auto* undo = new QPushButton(Utf("Отменить изменения"), this);
    auto* save = new QPushButton(Utf("Сохранить"), this);
    clear->setObjectName("ButtonClearKO");
    undo->setObjectName("ButtonUndoKO");
    save->setObjectName("ButtonSaveKO");
    buttons->addWidget(clear);
    buttons->addStretch(1);
    buttons->addWidget(undo);
    buttons->addWidget(save);
    layout->addLayout(buttons);
    connect(clear, &QPushButton::clicked, this, [this] {
        if (core_->ClearAll()) refill();
    });
    connect(undo, &QPushButton::clicked, this, [this] {
        if (core_->Undo()) refill();
    });
    connect(save, &QPushButton::clicked, this, [this] { core_->Save(); });

    refill();
    fitScreen(content, scroll);
}

void TFormSetKO::fitScreen(QWidget* content, QScrollArea* scroll) {
    // As large as the group boxes want and wide enough for the equipment names, within the
    // screen.
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 720);
    const QSize want = content->sizeHint() + QSize(2 * scroll->frameWidth() + 30, 0);
    const int buttons = sizeHint().height() - scroll->sizeHint().height();
    resize(std::min(std::max(want.width() + 24, 1320), avail.width() - 20),
           std::min(want.height() + buttons + 24, avail.height() - 40));
}

QSpinBox* TFormSetKO::wireCount(KOGroup g, int end) const {
    if (!IsConductorGroup(g)) return nullptr;
    return counts_[static_cast<std::size_t>((g == KOGroup::Bus ? 2 : 0) + (end == 1 ? 0 : 1))];
}

void TFormSetKO::fillGrid(KOGroup g) {
    QTableWidget* t = grid(g);
    const int row = t->currentRow();
    FillWithHeader(t, core_->Grid(g));
    QHeaderView* head = t->horizontalHeader();
    if (IsConductorGroup(g)) {
        const QBrush info = palette().brush(QPalette::ToolTipBase);
        for (int r = 0; r < t->rowCount(); ++r)
            if (auto* item = t->item(r, 1)) item->setBackground(info);
        t->resizeColumnsToContents();
        head->setStretchLastSection(true);
    } else {
        // The name takes the room left by the others, so the current and the voltage stay in
        // view; a long name is cut short in the cell and shown whole in its hint.
        for (int c = 0; c < t->columnCount(); ++c)
            head->setSectionResizeMode(c, c == 2 ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
        for (int r = 0; r < t->rowCount(); ++r)
            if (auto* item = t->item(r, 2)) item->setToolTip(item->text());
    }
    // Exactly the header and the two rows (and room for a scroll bar of a narrow window).
    int h = head->sizeHint().height() + 2 * t->frameWidth();
    for (int r = 0; r < t->rowCount(); ++r) h += t->rowHeight(r);
    if (IsConductorGroup(g)) h += t->horizontalScrollBar()->sizeHint().height();
    t->setFixedHeight(h);
    const QSignalBlocker block(t);
    t->setCurrentCell(row < 0 ? 0 : row, 0);
}

void TFormSetKO::fillCombo(KOGroup g) {
    QComboBox* c = combo(g);
    const QSignalBlocker block(c);
    c->clear();
    for (const std::string& s : core_->Items(g)) c->addItem(Utf(s));
    c->setCurrentIndex(core_->ItemOfRow(g, 1));
    c->view()->setMinimumWidth(c->view()->sizeHintForColumn(0) + 30);
}

void TFormSetKO::showRowItem(KOGroup g, int row) {
    QComboBox* c = combo(g);
    const QSignalBlocker block(c);
    c->setCurrentIndex(core_->ItemOfRow(g, row));
}

void TFormSetKO::refill() {
    for (int gi = 0; gi < kKOGroups; ++gi) {
        fillGrid(static_cast<KOGroup>(gi));
        fillCombo(static_cast<KOGroup>(gi));
    }
    const TyLine& l = core_->Line();
    const Integer n[4] = {l.NBus1, l.NBus2, l.NBus3, l.NBus4};
    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker block(counts_[static_cast<std::size_t>(i)]);
        counts_[static_cast<std::size_t>(i)]->setValue(n[i]);
    }
    cabD_->setText(Utf(ShortestSingle(l.CabDDTN)));
    cabA_->setText(Utf(ShortestSingle(l.CabADTN)));
}

void TFormSetKO::editKinds(int kind) {
    ShowCatalogModal(this, app_, dlg_, kind);
    fillGrid(KindGroup(kind));
    for (int gi = 0; gi < kKOGroups; ++gi) fillCombo(static_cast<KOGroup>(gi));
}

void TFormSetKO::done(int r) {
    if (!closed_) {
        closed_ = true;
        core_->Close();
    }
    QDialog::done(r);
}

}  // namespace qem::ui

#include "session/qt/FormCat.h"

#include <algorithm>
#include <string>

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "model/Catalog.h"
#include "platform/qt/CalcLock.h"
#include "session/qt/EquipmentWindows.h"
#include "session/qt/FormSetKO.h"
#include "session/qt/TableFill.h"

namespace qem::ui {

namespace {

QPushButton* Button(QWidget* parent, QBoxLayout* into, const char* text, const char* name) {
    auto* b = new QPushButton(Utf(text), parent);
    b->setObjectName(Utf(name));
    into->addWidget(b);
    return b;
}

// The editing buttons of a catalog page: "Добавить", "Удалить", "Изменить", "Сохранить",
// named prefix + Add, Delete, Edit, Save.
struct EditButtons {
    QPushButton *add, *del, *edit, *save;
};
EditButtons EditButtonRow(QWidget* parent, QBoxLayout* into, const std::string& prefix) {
    return {Button(parent, into, "Добавить", (prefix + "Add").c_str()),
            Button(parent, into, "Удалить", (prefix + "Delete").c_str()),
            Button(parent, into, "Изменить", (prefix + "Edit").c_str()),
            Button(parent, into, "Сохранить", (prefix + "Save").c_str())};
}

// "Сортировать по ..." with its up and down glyph buttons.
std::pair<QToolButton*, QToolButton*> SortPair(QWidget* parent, QBoxLayout* into, const char* caption,
                                               const char* name) {
    into->addWidget(new QLabel(Utf(caption), parent));
    auto* up = new QToolButton(parent);
    auto* down = new QToolButton(parent);
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    up->setObjectName(Utf(name) + "Up");
    down->setObjectName(Utf(name) + "Down");
    into->addWidget(up);
    into->addWidget(down);
    return {up, down};
}

}  // namespace

TFormCat::TFormCat(QWidget* parent, AppState& app, Dialogs& dialogs)
    : QDialog(parent), core_(app.data, app.net, app.calc, dialogs), app_(app) {
    setObjectName("FormCat");
    TakeNoEditsWhileCalculating(this, app.calc);
    setWindowTitle(Utf("Каталог"));
    resize(1100, 640);
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    pages_->setObjectName("PageControlCat");
    layout->addWidget(pages_, 1);
    auto* p0 = new QWidget;
    auto* p1 = new QWidget;
    auto* p2 = new QWidget;
    pages_->addTab(p0, Utf("Провода/ошиновка"));
    pages_->addTab(p1, Utf("Допустимые габариты"));
    pages_->addTab(p2, Utf("Концевое оборудование"));
    buildWiresPage(p0);
    buildNormsPage(p1);
    buildKOPage(p2);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    connect(Button(this, bottom, "Закрыть", "ButtonCloseCat"), &QPushButton::clicked, this, &QDialog::accept);
    layout->addLayout(bottom);
    activate();
}

void TFormCat::setEditable(QTableWidget* t, bool on) {
    t->setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::AnyKeyPressed
                          : QAbstractItemView::NoEditTriggers);
}

void TFormCat::showEvent(QShowEvent* e) {
    activate();
    if (parentWidget()) {
        const QRect p = parentWidget()->window()->geometry();
        move(p.left() + (p.width() - width()) / 2, p.top() + (p.height() - height()) / 2);
    }
    QDialog::showEvent(e);
}

void TFormCat::activate() {
    core_.Activate();
    fillWires();
    fillNorms();
    fillKOList();
    showRulesInForce();
}

// A cell of the grid has its editor open (the text typed is taken when it closes).
static bool Typing(const QTableWidget* t) {
    for (const QWidget* w : t->viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (w->isVisible()) return true;
    return false;
}

void TFormCat::refresh(bool all) {
    core_.Refresh();
    if (all || !Typing(wires_)) fillWires();
    if (all || std::none_of(norms_.begin(), norms_.end(), Typing)) fillNorms();
    if (all || (!Typing(koList_) && !Typing(temp_))) fillKOList();
    showRulesInForce();
}

bool TFormCat::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) refresh();
    return QDialog::event(e);
}

void TFormCat::showRulesInForce() {
    const QSignalBlocker b6(pue6_), b7(pue7_);
    (core_.UsePue6() ? pue6_ : pue7_)->setChecked(true);
}

void TFormCat::selectKind(int kind) {
    const QSignalBlocker block(kind_);
    kind_->setCurrentIndex(kind);
    core_.SetKind(kind);
    fillKOList();
}

// ------------------------------------------------------------------ conductors

void TFormCat::buildWiresPage(QWidget* page) {
    auto* v = new QVBoxLayout(page);
    wires_ = new QTableWidget(page);
    wires_->setObjectName("StringGridWires");
    wires_->verticalHeader()->hide();
    v->addWidget(wires_, 1);
    auto* h = new QHBoxLayout;
    auto [add, del, edit, save] = EditButtonRow(page, h, "ButtonWire");
    auto* imp = Button(page, h, "Импорт из glld.txt", "ButtonWireImport");
    auto* exp = Button(page, h, "Экспорт в glld.txt", "ButtonWireExport");
    h->addSpacing(20);
    auto [up, down] = SortPair(page, h, "Сортировать по Типу", "SortWires");
    h->addStretch(1);
    v->addLayout(h);

    connect(wires_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        const int row = item->row() + 1;
        const int col = item->column();
        if (!core_.EditConductorCell(row, col, item->text().toStdString())) {
            const QSignalBlocker block(wires_);
            const TextGrid& g = core_.ConductorGrid();
            if (row < g.rowCount() && col < g.colCount) item->setText(Utf(g.at(row, col)));
        }
    });
    connect(add, &QPushButton::clicked, this, [this] {
        const int row = core_.AddConductor();
        fillWires();
        if (row > 0) wires_->setCurrentCell(row - 1, 0);
    });
    connect(del, &QPushButton::clicked, this, [this] {
        if (core_.DeleteConductor(wires_->currentRow() + 1)) fillWires();
    });
    connect(edit, &QPushButton::clicked, this, [this] {
        core_.EditConductors();
        setEditable(wires_, true);
    });
    connect(save, &QPushButton::clicked, this, [this] {
        if (!core_.Save()) return;
        fillWires();
        fillNorms();
    });
    connect(imp, &QPushButton::clicked, this, [this] {
        if (core_.ImportConductors(app_.data.dataDir / std::filesystem::u8path(kExchangeFileName))) fillWires();
    });
    connect(exp, &QPushButton::clicked, this,
            [this] { core_.ExportConductors(app_.data.dataDir / std::filesystem::u8path(kExchangeFileName)); });
    connect(up, &QToolButton::clicked, this, [this] {
        core_.SortConductors(true);
        fillWires();
    });
    connect(down, &QToolButton::clicked, this, [this] {
        core_.SortConductors(false);
        fillWires();
    });
}

void TFormCat::fillWires() {
    FillWithHeader(wires_, core_.ConductorGrid());
    setEditable(wires_, core_.ConductorsEditable());
    wires_->resizeColumnsToContents();
}

// ------------------------------------------------------------------ norms

void TFormCat::buildNormsPage(QWidget* page) {
    auto* v = new QVBoxLayout(page);
    normsPages_ = new QTabWidget(page);
    normsPages_->setObjectName("PageControlNorms");
    const char* titles[3] = {"До земли", "До пересекаемой ВЛ", "До препятствий"};
    for (int i = 0; i < 3; ++i) {
        auto* t = new QTableWidget;
        t->setObjectName(QStringLiteral("StringGridNorms%1").arg(i));
        norms_[static_cast<std::size_t>(i)] = t;
        normsPages_->addTab(t, Utf(titles[i]));
        const auto p = static_cast<NormsPage>(i);
        connect(t, &QTableWidget::itemChanged, this, [this, p, t](QTableWidgetItem* item) {
            if (core_.EditNormsCell(p, item->row(), item->column(), item->text().toStdString())) return;
            const QSignalBlocker block(t);
            const TextGrid g = core_.NormsGridOf(p);
            item->setText(Utf(g.at(item->row(), item->column())));
        });
    }
    v->addWidget(normsPages_, 1);
    auto* h = new QHBoxLayout;
    auto* box = new QGroupBox(page);
    auto* bh = new QHBoxLayout(box);
    pue6_ = new QRadioButton(Utf("ПУЭ 6"), box);
    pue7_ = new QRadioButton(Utf("ПУЭ 7"), box);
    pue6_->setObjectName("RadioCatPUE6");
    pue7_->setObjectName("RadioCatPUE7");
    (app_.data.usePue6 ? pue6_ : pue7_)->setChecked(true);
    bh->addWidget(pue6_);
    bh->addWidget(pue7_);
    h->addWidget(box);
    auto* edit = Button(page, h, "Изменить", "ButtonNormsEdit");
    auto* save = Button(page, h, "Сохранить", "ButtonNormsSave");
    below110_ = new QCheckBox(Utf("Показывать габариты ниже 110 кВ"), page);
    below110_->setObjectName("CheckBelow110");
    h->addWidget(below110_);
    h->addStretch(1);
    v->addLayout(h);

    auto switchTo = [this](bool usePue6) {
        core_.SwitchPue(usePue6);
        showRulesInForce();
        fillWires();
        fillNorms();
        fillKOList();
        // The main window's switch shows the rules in force as well.
        for (QWidget* w = parentWidget(); w; w = w->parentWidget())
            if (w->metaObject()->indexOfMethod("showNormsInForce()") >= 0) {
                QMetaObject::invokeMethod(w, "showNormsInForce");
                break;
            }
    };
    connect(pue6_, &QRadioButton::clicked, this, [switchTo] { switchTo(true); });
    connect(pue7_, &QRadioButton::clicked, this, [switchTo] { switchTo(false); });
    connect(edit, &QPushButton::clicked, this, [this] {
        core_.EditNorms();
        fillNorms();
    });
    connect(save, &QPushButton::clicked, this, [this] {
        if (!core_.Save()) return;
        fillWires();
        fillNorms();
    });
    connect(below110_, &QCheckBox::toggled, this, [this](bool on) {
        core_.SetShowBelow110(on);
        fillNorms();
    });
}

void TFormCat::fillNorms() {
    for (int i = 0; i < 3; ++i) {
        QTableWidget* t = norms_[static_cast<std::size_t>(i)];
        FillFixed(t, core_.NormsGridOf(static_cast<NormsPage>(i)));
        setEditable(t, core_.NormsEditable());
        t->resizeColumnsToContents();
    }
}

// ------------------------------------------------------------------ terminal equipment

void TFormCat::buildKOPage(QWidget* page) {
    auto* v = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(Utf("Выбрать тип концевого оборудования"), page));
    kind_ = new QComboBox(page);
    kind_->setObjectName("ComboBoxKOKind");
    for (const char* k : kKOKindText) kind_->addItem(Utf(k));
    top->addWidget(kind_);
    top->addStretch(1);
    v->addLayout(top);
    koList_ = new QTableWidget(page);
    koList_->setObjectName("StringGridKO");
    koList_->verticalHeader()->hide();
    koList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    koList_->setSelectionMode(QAbstractItemView::SingleSelection);
    v->addWidget(koList_, 1);
    temp_ = new QTableWidget(page);
    temp_->setObjectName("StringGridKOTemp");
    temp_->setMaximumHeight(110);
    v->addWidget(temp_);
    auto* hint = new QLabel(Utf(kCatKOHint), page);
    hint->setObjectName("LabelKOHint");
    v->addWidget(hint);
    auto* h = new QHBoxLayout;
    auto [add, del, edit, save] = EditButtonRow(page, h, "ButtonKO");
    auto* copy = Button(page, h, "Копировать", "ButtonKOCopy");
    h->addSpacing(20);
    auto [uUp, uDown] = SortPair(page, h, "Сортировать по U", "SortKOU");
    auto [iUp, iDown] = SortPair(page, h, "Сортировать по I", "SortKOI");
    h->addStretch(1);
    v->addLayout(h);

    connect(kind_, &QComboBox::currentIndexChanged, this, [this](int k) {
        core_.SetKind(k);
        fillKOList();
    });
    connect(koList_, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        core_.SelectKORow(row + 1);
        fillTemp();
    });
    connect(koList_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (core_.EditKOListCell(item->row() + 1, item->column(), item->text().toStdString())) return;
        const QSignalBlocker block(koList_);
        const TextGrid g = core_.KOList();
        if (item->row() + 1 < g.rowCount()) item->setText(Utf(g.at(item->row() + 1, item->column())));
    });
    connect(temp_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        const std::string shown = core_.EditTempCell(item->row(), item->column(), item->text().toStdString());
        const QSignalBlocker block(temp_);
        item->setText(Utf(shown));
    });
    connect(copy, &QPushButton::clicked, this, [this] {
        core_.CopyMinus20();
        fillTemp();
    });
    connect(add, &QPushButton::clicked, this, [this] {
        core_.AddKO();
        const int sel = core_.SelRow();
        fillKOList();
        core_.SelectKORow(sel + 1);
        const QSignalBlocker block(koList_);
        koList_->setCurrentCell(sel, 0);
        fillTemp();
    });
    connect(del, &QPushButton::clicked, this, [this] {
        if (!core_.DeleteKO()) return;
        const int sel = core_.SelRow();
        fillKOList();
        core_.SelectKORow(sel + 1);
        const QSignalBlocker block(koList_);
        koList_->setCurrentCell(sel, 0);
        fillTemp();
    });
    connect(edit, &QPushButton::clicked, this, [this] {
        core_.EditKOList();
        setEditable(koList_, true);
    });
    connect(save, &QPushButton::clicked, this, [this] {
        core_.SaveKO();
        setEditable(koList_, core_.ListEditable());
    });
    auto sorter = [this](bool byU, bool up) {
        return [this, byU, up] {
            core_.SortKO(byU, up);
            fillKOList();
        };
    };
    connect(uUp, &QToolButton::clicked, this, sorter(true, true));
    connect(uDown, &QToolButton::clicked, this, sorter(true, false));
    connect(iUp, &QToolButton::clicked, this, sorter(false, true));
    connect(iDown, &QToolButton::clicked, this, sorter(false, false));
}

void TFormCat::fillKOList() {
    const int sel = core_.SelRow();
    FillWithHeader(koList_, core_.KOList());
    setEditable(koList_, core_.ListEditable());
    koList_->resizeColumnsToContents();
    koList_->horizontalHeader()->setStretchLastSection(true);
    {
        const QSignalBlocker block(koList_);
        if (koList_->rowCount() > 0) koList_->setCurrentCell(sel, 0);
    }
    fillTemp();
}

void TFormCat::fillTemp() {
    FillFixed(temp_, core_.TempGrid());
    setEditable(temp_, core_.SelectedKO() != nullptr);
    temp_->resizeColumnsToContents();
}

// ------------------------------------------------------------------ entry points

void ShowLineEquipment(QWidget* parent, AppState& app, Dialogs& dialogs) {
    if (app.net.CurLine < 1 || app.net.CurLine > app.net.NLines()) return;
    TFormSetKO form(parent, app, dialogs);
    form.exec();
}

QDialog* ShowCatalog(QWidget* parent, AppState& app, Dialogs& dialogs, int page, std::function<void()> onClosed) {
    auto* form = parent ? parent->findChild<TFormCat*>("FormCat", Qt::FindDirectChildrenOnly) : nullptr;
    if (!form) {
        form = new TFormCat(parent, app, dialogs);
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->setModal(false);
        // What the parent does after the window closed reads the network: not while a
        // calculation runs (the window may be closed then), but once it has ended.
        if (onClosed)
            QObject::connect(form, &QDialog::finished, form, [onClosed, &app](int) { app.calc.WhenIdle(onClosed); });
    }
    if (page >= 0 && page < form->pages()->count()) form->pages()->setCurrentIndex(page);
    if (page == CatPageKO) form->selectKind(form->core().Kind());
    form->show();
    form->raise();
    form->activateWindow();
    return form;
}

void RefreshCatalog(QWidget* parent) {
    if (!parent) return;
    for (auto* form : parent->findChildren<TFormCat*>("FormCat", Qt::FindDirectChildrenOnly))
        if (form->isVisible()) form->refresh(true);
}

void ShowCatalogModal(QWidget* parent, AppState& app, Dialogs& dialogs, int kind) {
    TFormCat form(parent, app, dialogs);
    form.pages()->setCurrentIndex(CatPageKO);
    form.selectKind(kind);
    form.exec();
}

}  // namespace qem::ui

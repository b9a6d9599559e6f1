#include "session/qt/ImportWindows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "platform/qt/CalcLock.h"
#include "session/ImportCommands.h"
#include "session/NetworkCommands.h"
#include "setup/ImportTemplate.h"

namespace qem::ui {

namespace {

QString U(const std::string& s) { return QString::fromStdString(s); }
QString U(const char* s) { return QString::fromUtf8(s); }

QPushButton* Button(QWidget* owner, const char* caption) {
    auto* b = new QPushButton(U(caption), owner);
    b->setObjectName(U(caption));
    b->setAutoDefault(false);
    return b;
}

// A header text broken into lines of about `width` characters at its blanks.
QString Wrapped(const char* text, int width) {
    QStringList lines;
    QString line;
    for (const QString& word : U(text).split(' ')) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            lines << line;
            line.clear();
        }
        line += (line.isEmpty() ? "" : " ") + word;
    }
    lines << line;
    return lines.join('\n');
}

const char* const kModeText[2][3] = {
    {"Создать новую сеть ВЛ(новый файл)", "Добавить к существующей сети ВЛ", "Добавить к выбранной линии"},
    {"Создать новую сеть ВЛ(новый файл)", "Добавит к существующей сети ВЛ", "Добавит к выбранной линии"},
};

}  // namespace

TFormImport::TFormImport(AppState& app, Dialogs& dialogs, ImportPoints points, std::function<void(bool)> afterImport,
                         QWidget* parent)
    : QDialog(parent), app_(app), dlg_(dialogs), points_(points), afterImport_(std::move(afterImport)) {
    const bool one = points == ImportPoints::One;
    setObjectName(one ? "FormImportOnePoint" : "FormImportTwoPoints");
    TakeNoEditsWhileCalculating(this, app.calc);
    setWindowTitle(U(one ? "Импорт данных из Excel по 1 точке" : "Импорт данных из Excel по 2 точкам"));
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    load_ = Button(this, "Загрузить данные из Excel");
    multi_ = new QCheckBox(U("В файле Excel несколько линий"), this);
    multi_->setObjectName("CheckBoxMulti");
    template_ = Button(this, "Сохранить шаблон…");
    template_->setToolTip(U("Сохранить пустую книгу для заполнения бригадой: заголовки столбцов и пример строки"));
    top->addWidget(load_);
    top->addWidget(multi_);
    top->addStretch();
    top->addWidget(template_);
    layout->addLayout(top);

    grid_ = new QTableWidget(this);
    grid_->setObjectName("StringGridImport");
    const auto& headers = ImportHeaders(points);
    grid_->setColumnCount(int(headers.size()));
    QStringList labels;
    for (const char* h : headers) labels << Wrapped(h, 15);
    grid_->setHorizontalHeaderLabels(labels);
    grid_->horizontalHeader()->setDefaultSectionSize(125);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setMinimumHeight(240);
    layout->addWidget(grid_, 1);

    count_ = new QLabel(this);
    count_->setObjectName("LabelCount");
    file_ = new QLabel(this);
    file_->setObjectName("LabelFile");
    file_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    name_ = new QLabel(this);
    name_->setObjectName("LabelName");
    layout->addWidget(count_);
    layout->addWidget(file_);
    layout->addWidget(name_);

    group_ = new QGroupBox(U("Новая ВЛ"), this);
    group_->setObjectName("GroupNewLine");
    auto* g = new QHBoxLayout(group_);
    auto* modes = new QVBoxLayout;
    for (int m = 0; m < 3; ++m) {
        modes_[m] = new QRadioButton(U(kModeText[one ? 0 : 1][m]), group_);
        modes_[m]->setObjectName(U(kModeText[0][m]));
        modes->addWidget(modes_[m]);
    }
    modes_[0]->setChecked(true);
    modes->addStretch();
    g->addLayout(modes);
    auto* form = new QFormLayout;
    fileName_ = new QLineEdit(group_);
    fileName_->setObjectName("EditFileName");
    voltage_ = new QComboBox(group_);
    voltage_->setObjectName("ComboBoxU");
    for (const char* v : kVoltageText) voltage_->addItem(U(v));
    voltage_->setCurrentIndex(kDefaultImportVoltage);
    form->addRow(U("Название нового файла"), fileName_);
    form->addRow(U("Напряжение"), voltage_);
    g->addLayout(form, 1);
    names_ = new QGroupBox(U("начало и конец линии"), group_);
    names_->setObjectName("GroupNames");
    auto* nf = new QFormLayout(names_);
    from_ = new QLineEdit(names_);
    from_->setObjectName("EditFrom");
    from_->setMaxLength(25);
    to_ = new QLineEdit(names_);
    to_->setObjectName("EditTo");
    to_->setMaxLength(25);
    nf->addRow(U("начало"), from_);
    nf->addRow(U("конец"), to_);
    g->addWidget(names_, 1);
    layout->addWidget(group_);

    auto* buttons = new QHBoxLayout;
    addLine_ = Button(this, "Добавить линию");
    confirm_ = Button(this, "Подтвердить");
    cancel_ = Button(this, "Отменить");
    buttons->addWidget(addLine_);
    buttons->addStretch();
    buttons->addWidget(confirm_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);

    for (QRadioButton* m : modes_)
        connect(m, &QRadioButton::toggled, this, [this](bool on) {
            if (on) modeChanged();
        });
    // Spans added to a line take its class unless the user chooses another.
    connect(modes_[int(ImportMode::AppendToLine)], &QRadioButton::toggled, this, [this](bool on) {
        if (const TyLine* l = CurrentLine(app_); on && l) voltage_->setCurrentIndex(l->Uvl > 7 ? 7 : l->Uvl);
    });
    connect(load_, &QPushButton::clicked, this, [this] { loadFromDialog(); });
    connect(template_, &QPushButton::clicked, this, [this] { saveTemplate(); });
    connect(multi_, &QCheckBox::toggled, this, [this] { multiChanged(); });
    connect(addLine_, &QPushButton::clicked, this, [this] { addLine(); });
    connect(confirm_, &QPushButton::clicked, this, [this] { confirm(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { cancel(); });

    resize(1200, 680);  // fits a 1366 x 768 laptop screen
    reset();
    modeChanged();
}

ImportMode TFormImport::mode() const {
    for (int m = 0; m < 3; ++m)
        if (modes_[m]->isChecked()) return ImportMode(m);
    return ImportMode::NewNetwork;
}

void TFormImport::setMode(ImportMode m) { modes_[int(m)]->setChecked(true); }

void TFormImport::reset() {
    table_.reset();
    path_.clear();
    grid_->setRowCount(0);
    count_->clear();
    file_->clear();
    load_->setEnabled(true);
    addLine_->setEnabled(false);
    group_->hide();
    confirm_->hide();
    cancel_->hide();
}

void TFormImport::loadFromDialog() {
    const auto path = dlg_.OpenFileNameFiltered(LineFolderPath(app_), kImportFilter, "xlsx", kImportFilterIndex);
    if (!path || *path == path_) return;
    load(*path);
}

bool TFormImport::load(const std::string& path) {
    reset();
    name_->clear();
    try {
        table_ = ReadImportWorkbook(path, points_, multi_->isChecked(), app_.data.wires);
    } catch (const std::exception& e) {
        // The load counts as failed and can be repeated with a corrected file.
        dlg_.Message(e.what(), "", Icon::Warning);
        reset();
        return false;
    }
    path_ = path;
    if (fileName_->text().trimmed().isEmpty()) fileName_->setText(U(PathToUtf8(PathFromUtf8(path).stem())));
    showTable();
    for (const auto& note : table_->notes) dlg_.Message(note, "", Icon::Information);
    return true;
}

void TFormImport::showTable() {
    const ImportTable& t = *table_;
    grid_->setRowCount(int(t.cells.size()));
    QStringList rows;
    for (std::size_t r = 0; r < t.cells.size(); ++r) {
        rows << QString::number(t.cellRows[r]);  // the sheet's own row numbers, as the messages name them
        for (std::size_t c = 0; c < t.cells[r].size(); ++c)
            grid_->setItem(int(r), int(c), new QTableWidgetItem(U(t.cells[r][c])));
    }
    grid_->setVerticalHeaderLabels(rows);
    count_->setText(U("Загруженно данных: ") + QString::number(t.DataRows()));
    file_->setText(U("Последний загруженный файл ") + U(path_));
    load_->setEnabled(false);
    addLine_->setEnabled(true);
    cancel_->show();
}

void TFormImport::addLine() {
    if (!table_) return;
    group_->show();
    confirm_->show();
    cancel_->show();
    modeChanged();
}

void TFormImport::multiChanged() {
    // The rows of a workbook read the other way are read again.
    if (table_) {
        const std::string path = path_;
        const bool shown = !group_->isHidden();
        if (load(path) && shown) addLine();
    }
    modeChanged();
}

void TFormImport::modeChanged() {
    const bool multi = multi_->isChecked();
    modes_[int(ImportMode::AppendToLine)]->setEnabled(!multi);
    if (multi && mode() == ImportMode::AppendToLine) setMode(ImportMode::NewNetwork);
    names_->setVisible(!multi && mode() != ImportMode::AppendToLine);
    fileName_->setEnabled(mode() == ImportMode::NewNetwork);
}

bool TFormImport::confirm() {
    if (!table_) return false;
    ImportChoice c;
    c.mode = mode();
    c.uvl = voltage_->currentIndex();
    c.from = from_->text().trimmed().toStdString();
    c.to = to_->text().trimmed().toStdString();
    std::string newFile;
    if (c.mode == ImportMode::NewNetwork) {
        try {
            newFile = ImportNewFilePath(LineFolderPath(app_), fileName_->text().toStdString());
        } catch (const ImportError& e) {
            dlg_.Message(e.what(), "", Icon::Warning);
            return false;
        }
    }
    if (!ConfirmImport(app_, *table_, c, newFile, dlg_, hooks_)) return false;
    reset();
    name_->setText(U(kMsgImportDone) + U(app_.net.NetFileName));
    if (afterImport_) afterImport_(c.mode == ImportMode::NewNetwork);
    accept();
    return true;
}

void TFormImport::cancel() {
    reset();
    name_->clear();
}

void TFormImport::saveTemplate() {
    const auto path = dlg_.SaveFileName(LineFolderPath(app_), "xlsx|*.xlsx", "xlsx");
    if (!path) return;
    try {
        SaveImportTemplate(points_, app_.data.dataDir, *path, app_.data.wires);
        name_->setText(U("Шаблон сохранён в файл ") + U(*path));
    } catch (const std::exception& e) {
        dlg_.Message(e.what(), "", Icon::Error);
    }
}

}  // namespace qem::ui

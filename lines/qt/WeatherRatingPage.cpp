#include "lines/qt/WeatherRatingPage.h"

#include <QAbstractTableModel>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPen>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>
#include <filesystem>

#include "lines/LimitTable.h"
#include "lines/qt/ReportPrint.h"
#include "model/Cp1251.h"
#include "model/Format.h"
#include "platform/FileSystem.h"
#include "session/LineList.h"

namespace qem::ui {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The worker's dialogs with the page's own "Отмена" and progress bar besides the main window's.
class PageDialogs : public Dialogs {
public:
    PageDialogs(Dialogs& inner, const std::atomic<bool>& cancelled, QProgressBar* bar)
        : inner_(inner), cancelled_(cancelled), bar_(bar) {}
    Answer Ask(const std::string& t, Buttons b, const std::string& title, Icon i) override {
        return inner_.Ask(t, b, title, i);
    }
    std::optional<std::string> OpenFileName(const std::string& d, const std::string& f, const std::string& e) override {
        return inner_.OpenFileName(d, f, e);
    }
    std::optional<std::string> SaveFileName(const std::string& d, const std::string& f, const std::string& e) override {
        return inner_.SaveFileName(d, f, e);
    }
    std::optional<std::string> BrowseFolder(const std::string& c, const std::string& r, const std::string& s) override {
        return inner_.BrowseFolder(c, r, s);
    }
    void Progress(int position, int max) override {
        inner_.Progress(position, max);
        QProgressBar* bar = bar_;
        QMetaObject::invokeMethod(
            bar, [bar, position, max] { bar->setMaximum(std::max(1, max)), bar->setValue(position); },
            Qt::QueuedConnection);
    }
    bool Cancelled() override { return cancelled_ || inner_.Cancelled(); }

private:
    Dialogs& inner_;
    const std::atomic<bool>& cancelled_;
    QProgressBar* bar_;
};

// The hour's wall-clock time in the file's offset, as the axis shows times (in the machine's zone).
QDateTime LocalTime(const HourRating& h) {
    const QDateTime wall = QDateTime::fromSecsSinceEpoch(h.utc, Qt::OffsetFromUTC, h.offsetMinutes * 60);
    return QDateTime(wall.date(), wall.time(), Qt::LocalTime);
}

}  // namespace

// The hours of one line as a table.
class HourTableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;
    void set(const std::vector<HourRating>* hours) {
        beginResetModel();
        hours_ = hours;
        endResetModel();
    }
    int rowCount(const QModelIndex& = {}) const override { return hours_ ? int(hours_->size()) : 0; }
    int columnCount(const QModelIndex& = {}) const override { return 9; }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        static const char* const titles[] = {"Время",         "t возд., °C",   "ДДТН, А",           "АДТН, А",
                                             "ДДТН табл., А", "АДТН табл., А", "Ограничивает ДДТН", "Пролёт",
                                             "Причина"};
        if (role != Qt::DisplayRole || o != Qt::Horizontal) return QAbstractTableModel::headerData(section, o, role);
        return QString::fromUtf8(titles[section]);
    }
    QVariant data(const QModelIndex& i, int role) const override {
        const HourRating& h = (*hours_)[std::size_t(i.row())];
        if (role == Qt::ForegroundRole && !h.rated) return QColor(Qt::red);
        if (role == Qt::TextAlignmentRole && i.column() >= 1 && i.column() <= 5)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole) return {};
        auto amps = [](std::optional<double> v) { return v ? Q(Format("%.0f", *v)) : QString(); };
        switch (i.column()) {
            case 0: return Q(WeatherTimeText(h.utc, h.offsetMinutes));
            case 1: return Q(Format("%.1f", h.Ta));
            case 2: return h.rated ? amps(h.DDTN) : QString();
            case 3: return h.rated ? amps(h.ADTN) : QString();
            case 4: return amps(h.staticDDTN);
            case 5: return amps(h.staticADTN);
            case 6: return h.rated ? Q(h.ddtnLimit.component) : QStringLiteral("не рассчитано: ") + Q(h.failure);
            case 7: return Q(h.ddtnLimit.spanText);
            case 8: return Q(h.ddtnLimit.cause);
        }
        return {};
    }

private:
    const std::vector<HourRating>* hours_ = nullptr;
};

WeatherRatingPage::WeatherRatingPage(AppState& app, Dialogs& dlg, RunLong runLong, QWidget* parent)
    : QWidget(parent, Qt::Window), app_(app), dlg_(dlg), runLong_(std::move(runLong)) {
    setWindowTitle(QStringLiteral("Расчёт по погоде"));
    setObjectName("WeatherRatingPage");
    auto* top = new QVBoxLayout(this);

    auto* input = new QGroupBox(QStringLiteral("Погода и линии"));
    auto* in = new QHBoxLayout(input);
    auto* form = new QFormLayout;
    auto* fileRow = new QHBoxLayout;
    file_ = new QLineEdit;
    file_->setReadOnly(true);
    file_->setMinimumWidth(320);
    auto* choose = new QPushButton(QStringLiteral("Выбрать…"));
    fileRow->addWidget(file_, 1);
    fileRow->addWidget(choose);
    form->addRow(QStringLiteral("Файл погоды:"), fileRow);
    fileInfo_ = new QLabel(QStringLiteral("файл не выбран"));
    fileInfo_->setWordWrap(true);
    form->addRow(QString(), fileInfo_);
    longitude_ = new QLineEdit;
    longitude_->setToolTip(QStringLiteral("Долгота станции, градусы восточной долготы (для положения солнца)"));
    utcOffset_ = new QLineEdit;
    utcOffset_->setToolTip(QStringLiteral("Смещение местного времени от UTC, ч, для времени без смещения в файле"));
    auto* placeRow = new QHBoxLayout;
    placeRow->addWidget(new QLabel(QStringLiteral("Долгота, °:")));
    placeRow->addWidget(longitude_);
    placeRow->addWidget(new QLabel(QStringLiteral("Смещение UTC, ч:")));
    placeRow->addWidget(utcOffset_);
    form->addRow(QString(), placeRow);
    auto* modeRow = new QHBoxLayout;
    byWeather_ = new QRadioButton(QStringLiteral("по погоде"));
    byAir_ = new QRadioButton(QStringLiteral("по температуре воздуха"));
    byWeather_->setToolTip(QStringLiteral("Температура воздуха, ветер, небо и гололёд каждого часа"));
    byAir_->setToolTip(
        QStringLiteral("Меняются только температура воздуха и солнце; ветер — из исходных данных пролётов"));
    byWeather_->setChecked(true);
    sun_ = new QComboBox;
    sun_->addItem(QStringLiteral("солнце по часам"));
    sun_->addItem(QStringLiteral("полуденное солнце (как в таблице)"));
    modeRow->addWidget(byWeather_);
    modeRow->addWidget(byAir_);
    modeRow->addSpacing(12);
    modeRow->addWidget(sun_);
    modeRow->addStretch(1);
    form->addRow(QStringLiteral("Расчёт:"), modeRow);
    auto* runRow = new QHBoxLayout;
    run_ = new QPushButton(QStringLiteral("Рассчитать"));
    cancel_ = new QPushButton(QStringLiteral("Отмена"));
    cancel_->setEnabled(false);
    progress_ = new QProgressBar;
    progress_->setValue(0);
    runRow->addWidget(run_);
    runRow->addWidget(cancel_);
    runRow->addWidget(progress_, 1);
    form->addRow(QString(), runRow);
    in->addLayout(form, 3);
    lines_ = new QListWidget;
    lines_->setMaximumHeight(130);
    auto* linesBox = new QVBoxLayout;
    linesBox->addWidget(new QLabel(QStringLiteral("Линии:")));
    linesBox->addWidget(lines_);
    in->addLayout(linesBox, 2);
    top->addWidget(input);

    auto* shownRow = new QHBoxLayout;
    shownLine_ = new QComboBox;
    shownLine_->setMinimumWidth(300);
    auto* exportButton = new QPushButton(QStringLiteral("В Excel…"));
    auto* printButton = new QPushButton(QStringLiteral("Печать…"));
    auto* pdfButton = new QPushButton(QStringLiteral("PDF…"));
    shownRow->addWidget(new QLabel(QStringLiteral("ВЛ:")));
    shownRow->addWidget(shownLine_);
    shownRow->addStretch(1);
    shownRow->addWidget(exportButton);
    shownRow->addWidget(printButton);
    shownRow->addWidget(pdfButton);
    top->addLayout(shownRow);
    summary_ = new QLabel;
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    summary_->setMinimumHeight(summary_->fontMetrics().lineSpacing() * 7);
    top->addWidget(summary_);

    auto* split = new QSplitter(Qt::Vertical);
    chart_ = new QChartView(new QChart);
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumHeight(260);
    chart_->chart()->setTitle(QStringLiteral("ДДТН и АДТН по часам"));
    split->addWidget(chart_);
    table_ = new QTableView;
    model_ = new HourTableModel(table_);
    table_->setModel(model_);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    split->addWidget(table_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    top->addWidget(split, 1);
    inputs_ = {choose, longitude_, utcOffset_, byWeather_,   byAir_,      sun_,
               run_,   lines_,     shownLine_, exportButton, printButton, pdfButton};

    connect(choose, &QPushButton::clicked, this, [this] { chooseFile(); });
    connect(run_, &QPushButton::clicked, this, [this] { calculate(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
    connect(shownLine_, &QComboBox::currentIndexChanged, this, [this](int i) { showLine(i); });
    connect(exportButton, &QPushButton::clicked, this, [this] { exportCommand(); });
    connect(printButton, &QPushButton::clicked, this, [this] { printCommand(); });
    connect(pdfButton, &QPushButton::clicked, this, [this] { pdfCommand(); });
    resize(1200, 860);
    refreshLines();
}

WeatherRatingPage::~WeatherRatingPage() = default;

void WeatherRatingPage::refreshLines() {
    lines_->clear();
    for (int l = 1; l <= app_.net.NLines(); ++l) {
        auto* item = new QListWidgetItem(QString::number(l) + ". " + Q(LineName(app_.net.Line(l))), lines_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
}

void WeatherRatingPage::setAmbientOnly(bool on) { (on ? byAir_ : byWeather_)->setChecked(true); }
void WeatherRatingPage::setClassicSun(bool on) { sun_->setCurrentIndex(on ? 1 : 0); }

bool WeatherRatingPage::loadWeather(const std::string& path) {
    WeatherReadOptions o;
    bool ok = false;
    const double offset = utcOffset_->text().replace(',', '.').toDouble(&ok);
    if (ok) o.utcOffsetHours = offset;
    try {
        weather_ = ReadWeatherFile(path, o);
        WeatherSeriesOfLines(app_.net.Lines, weather_);
    } catch (const std::exception& e) {
        haveWeather_ = false;
        fileInfo_->setText(QStringLiteral("файл не принят"));
        dlg_.Message(e.what(), "Расчёт по погоде", Icon::Error);
        return false;
    }
    haveWeather_ = true;
    file_->setText(Q(path));
    const auto& first = weather_.series.front().hours.front();
    const auto& last = weather_.series.front().hours.back();
    QString info =
        QStringLiteral("%1 ч: %2 … %3")
            .arg(weather_.HourCount())
            .arg(Q(WeatherTimeText(first.utc, first.offsetMinutes)), Q(WeatherTimeText(last.utc, last.offsetMinutes)));
    if (weather_.hasLine) info += QStringLiteral("; по линиям: %1").arg(weather_.series.size());
    if (weather_.hasSky || weather_.hasCloud) info += QStringLiteral("; небо");
    if (weather_.hasIrradiance) info += QStringLiteral("; радиация");
    if (weather_.hasIce) info += QStringLiteral("; гололёд");
    for (const std::string& n : weather_.notes) info += QStringLiteral("\n") + Q(n);
    fileInfo_->setText(info);
    if (weather_.longitude) longitude_->setText(QString::number(*weather_.longitude));
    return true;
}

void WeatherRatingPage::chooseFile() {
    std::string folder = PathToUtf8(app_.data.dataDir);
    const auto f = dlg_.OpenFileName(folder, "Погода (CSV, Excel)|*.csv;*.txt;*.xlsx;*.xls|Все файлы|*.*", "csv");
    if (f) loadWeather(*f);
}

void WeatherRatingPage::setRunning(bool on) {
    for (QWidget* w : inputs_) w->setEnabled(!on);
    cancel_->setEnabled(on);
}

void WeatherRatingPage::calculate() {
    // Another calculation is writing into the network that this one would copy.
    if (RefusedWhileCalculating(app_.calc, dlg_)) return;
    if (!haveWeather_) {
        dlg_.Message("Выберите файл погоды", "Расчёт по погоде");
        return;
    }
    // The file again, with the offset typed now.
    if (!loadWeather(file_->text().toStdString())) return;
    std::vector<int> which;
    for (int i = 0; i < lines_->count(); ++i)
        if (lines_->item(i)->checkState() == Qt::Checked) which.push_back(i + 1);
    if (which.empty()) {
        dlg_.Message("Отметьте линии для расчёта", "Расчёт по погоде");
        return;
    }
    HourlyOptions o;
    o.ambientOnly = byAir_->isChecked();
    o.sun = sun_->currentIndex() == 1 ? SunRule::Classic : SunRule::Hourly;
    o.zamer = app_.currentZamer;
    bool ok = false;
    const double lon = longitude_->text().replace(',', '.').toDouble(&ok);
    if (o.sun == SunRule::Hourly) {
        if (!ok || lon < -180 || lon > 180) {
            dlg_.Message("Введите долготу станции (−180 … 180°): без неё не найти положение солнца",
                         "Расчёт по погоде");
            return;
        }
        o.longitude = lon;
    }
    // The worker reads copies: nothing of the open network changes under it.
    const std::vector<TyLine> lines = app_.net.Lines;
    const CalcEnv env = app_.Env();
    const WeatherData weather = weather_;
    std::vector<LineRatingResult> results;
    std::vector<std::vector<HourRating>> hours;
    cancelled_ = false;
    setRunning(true);
    try {
        runLong_([&](Dialogs& d) {
            PageDialogs pd(d, cancelled_, progress_);
            results = RateLinesHourly(
                lines, which, weather,
                [&](const TyLine& line) {
                    CalcEnv e = env;
                    if (line.NSpans() > 0) {
                        e.mode = line.Span(1).LZam[1] > 0.001f ? ZamerMode::TwoPoints : ZamerMode::OnePoint;
                        e.seaLevel = line.Span(1).UseSea == 1;
                    }
                    return e;
                },
                o, pd,
                [&](const LineRatingResult&, const HourRating& h) {
                    if (hours.size() == results.size()) hours.emplace_back();
                    hours.back().push_back(h);
                },
                [&](const LineRatingResult& l) {
                    if (hours.size() == results.size()) hours.emplace_back();
                    results.push_back(l);
                });
        });
    } catch (const std::exception& e) {
        dlg_.Message(e.what(), "Расчёт по погоде", Icon::Error);
    }
    setRunning(false);
    progress_->setValue(0);
    hours.resize(results.size());
    results_ = std::move(results);
    hours_ = std::move(hours);
    if (cancelled_)
        dlg_.Message("Расчёт по погоде прерван пользователем; показаны рассчитанные линии", "Расчёт по погоде");
    shownLine_->blockSignals(true);
    shownLine_->clear();
    for (const auto& r : results_) shownLine_->addItem(QString::number(r.line) + ". " + Q(r.name));
    shownLine_->blockSignals(false);
    showLine(results_.empty() ? -1 : 0);
}

void WeatherRatingPage::showLine(int i) {
    QChart* c = chart_->chart();
    c->removeAllSeries();
    for (QAbstractAxis* a : c->axes()) c->removeAxis(a), delete a;
    if (i < 0 || i >= int(results_.size())) {
        model_->set(nullptr);
        summary_->clear();
        printed_ = {};
        return;
    }
    const LineRatingResult& r = results_[std::size_t(i)];
    const std::vector<HourRating>& hours = hours_[std::size_t(i)];
    model_->set(&hours);
    table_->resizeColumnsToContents();
    QString text;
    for (const std::string& t : SummaryText(r)) text += (text.isEmpty() ? "" : "\n") + Q(t);
    summary_->setText(text);
    printed_ = HourlyReport(r, hours);

    auto line = [&](const char* name, QColor colour, Qt::PenStyle style, double width) {
        auto* s = new QLineSeries;
        s->setName(QString::fromUtf8(name));
        QPen pen(colour, width, style);
        s->setPen(pen);
        return s;
    };
    QLineSeries* ddtn = line("ДДТН", QColor(0, 90, 200), Qt::SolidLine, 1.4);
    QLineSeries* adtn = line("АДТН", QColor(200, 40, 40), Qt::SolidLine, 1.4);
    QLineSeries* sd = line("ДДТН по таблице", QColor(0, 90, 200), Qt::DashLine, 1.2);
    QLineSeries* sa = line("АДТН по таблице", QColor(200, 40, 40), Qt::DashLine, 1.2);
    QLineSeries* air = line("Температура воздуха", QColor(110, 110, 110), Qt::SolidLine, 1.0);
    QList<QPointF> pd, pa, psd, psa, pt;
    double top = 0, tLo = 1e9, tHi = -1e9;
    for (const HourRating& h : hours) {
        const double x = double(LocalTime(h).toMSecsSinceEpoch());
        pt << QPointF(x, h.Ta);
        tLo = std::min(tLo, h.Ta), tHi = std::max(tHi, h.Ta);
        if (h.rated) pd << QPointF(x, h.DDTN), pa << QPointF(x, h.ADTN), top = std::max(top, h.ADTN);
        if (h.staticDDTN) psd << QPointF(x, *h.staticDDTN), top = std::max(top, *h.staticDDTN);
        if (h.staticADTN) psa << QPointF(x, *h.staticADTN), top = std::max(top, *h.staticADTN);
    }
    ddtn->replace(pd), adtn->replace(pa), sd->replace(psd), sa->replace(psa), air->replace(pt);
    for (QLineSeries* s : {sd, sa, ddtn, adtn, air}) c->addSeries(s);
    auto* x = new QDateTimeAxis;
    x->setFormat(hours.size() > 24 * 20 ? QStringLiteral("dd.MM") : QStringLiteral("dd.MM hh:mm"));
    x->setTitleText(QStringLiteral("Время (местное)"));
    if (!hours.empty()) {
        // Whole days, so that the ticks of a short series fall on midnights.
        const QDateTime from = LocalTime(hours.front());
        const qint64 days = std::max<qint64>(1, (qint64(hours.size()) + 23) / 24);
        x->setRange(from, from.addSecs(days * 86400));
        x->setTickCount(days <= 14 ? int(days) + 1 : 13);
    }
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("Ток, А"));
    y->setRange(0, top > 0 ? top * 1.1 : 1);
    y->applyNiceNumbers();
    auto* t = new QValueAxis;
    t->setTitleText(QStringLiteral("t воздуха, °C"));
    t->setRange(tLo < tHi ? std::floor(tLo) - 2 : tLo - 5, tLo < tHi ? std::ceil(tHi) + 2 : tLo + 5);
    t->applyNiceNumbers();
    c->addAxis(x, Qt::AlignBottom);
    c->addAxis(y, Qt::AlignLeft);
    c->addAxis(t, Qt::AlignRight);
    for (QLineSeries* s : {sd, sa, ddtn, adtn}) s->attachAxis(x), s->attachAxis(y);
    air->attachAxis(x), air->attachAxis(t);
    c->legend()->setAlignment(Qt::AlignBottom);
    c->setTitle(QStringLiteral("ВЛ %1: ДДТН и АДТН по часам").arg(Q(r.name)));
}

PrintJob WeatherRatingPage::printJob() const {
    PrintJob p;
    const int i = shownLine_->currentIndex();
    if (i < 0 || i >= int(results_.size())) return p;
    p.pictures = {chart_};
    p.report = &printed_;
    p.heading = {QStringLiteral("Расчёт по погоде"),
                 QStringLiteral("ВЛ ") + Q(results_[std::size_t(i)].name) + " — " + file_->text().section('/', -1),
                 QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")), 0, 0};
    return p;
}

void WeatherRatingPage::exportWorkbook(const std::string& path) const {
    HourlyWorkbook wb;
    for (std::size_t i = 0; i < results_.size(); ++i)
        for (const HourRating& h : hours_[i]) wb.Add(results_[i], h);
    wb.Save(path);
}

void WeatherRatingPage::exportCommand() {
    if (results_.empty()) return dlg_.Message("Сохранять нечего: выполните расчёт", "Расчёт по погоде");
    const auto f = dlg_.SaveFileName(PathToUtf8(app_.data.dataDir), "Книга Excel|*.xlsx", "xlsx");
    if (!f) return;
    try {
        exportWorkbook(*f);
        dlg_.ShowDocument(*f);
    } catch (const std::exception& e) {
        dlg_.Message(e.what(), "Расчёт по погоде", Icon::Error);
    }
}

void WeatherRatingPage::printCommand() {
    const PrintJob job = printJob();
    if (job.empty()) return dlg_.Message("Печатать нечего: выполните расчёт", "Расчёт по погоде");
    PrintWithDialog(job, this);
}

void WeatherRatingPage::pdfCommand() {
    const PrintJob job = printJob();
    if (job.empty()) return dlg_.Message("Сохранять нечего: выполните расчёт", "Расчёт по погоде");
    const auto f = dlg_.SaveFileName(PathToUtf8(app_.data.dataDir), "Документ PDF|*.pdf", "pdf");
    if (!f) return;
    QString error;
    if (!SavePdf(Q(*f), job, &error)) dlg_.Message("Документ PDF не записан: " + error.toStdString(), "", Icon::Error);
}

}  // namespace qem::ui

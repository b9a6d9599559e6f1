#include "lines/qt/TemperatureChartsView.h"

#include <QChart>
#include <QChartView>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace qem::ui {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QChart* NewChart(const QString& title, const QString& xTitle, const QString& yTitle) {
    auto* c = new QChart;
    c->setTitle(title);
    c->legend()->setAlignment(Qt::AlignRight);
    auto* ax = new QValueAxis;
    auto* ay = new QValueAxis;
    ax->setTitleText(xTitle);
    ay->setTitleText(yTitle);
    ax->setLabelFormat("%.0f");
    ay->setLabelFormat("%.0f");
    c->addAxis(ax, Qt::AlignBottom);
    c->addAxis(ay, Qt::AlignLeft);
    return c;
}

QValueAxis* Axis(QChart* c, Qt::Orientation o) { return qobject_cast<QValueAxis*>(c->axes(o).value(0)); }

QLineSeries* AddSeries(QChart* c, const QString& name, const QPen& pen) {
    auto* s = new QLineSeries;
    s->setName(name);
    s->setPen(pen);
    c->addSeries(s);
    s->attachAxis(Axis(c, Qt::Horizontal));
    s->attachAxis(Axis(c, Qt::Vertical));
    return s;
}

QPen MarkPen(const QColor& colour) {
    QPen p(colour);
    p.setWidthF(1.5);
    p.setStyle(Qt::DashLine);
    return p;
}

// Rounds a range outwards to whole steps of a tidy size; with `exactEnd` it ends at hi itself
// (the ticks stay on the whole steps).
void TidyRange(QValueAxis* a, double lo, double hi, bool exactEnd = false) {
    if (!(hi > lo)) hi = lo + 1;
    const double raw = (hi - lo) / 8;
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    const double m = raw / p;
    const double step = (m <= 1 ? 1 : m <= 2 ? 2 : m <= 5 ? 5 : 10) * p;
    a->setRange(std::floor(lo / step) * step, exactEnd ? hi : std::ceil(hi / step) * step);
    a->setTickInterval(step);
    a->setTickType(QValueAxis::TicksDynamic);
    a->setTickAnchor(0);
}

void ClearChart(QChart* c) { c->removeAllSeries(); }

// A horizontal mark y = m.value across x0..x1 and a vertical one x = m.value across y0..y1.
void Horizontal(QChart* c, const ChartMark& m, double x0, double x1, const QColor& colour) {
    auto* s = AddSeries(c, Q(m.label), MarkPen(colour));
    s->append(x0, m.value);
    s->append(x1, m.value);
}
void Vertical(QChart* c, const ChartMark& m, double y0, double y1, const QColor& colour) {
    auto* s = AddSeries(c, Q(m.label), MarkPen(colour));
    s->append(m.value, y0);
    s->append(m.value, y1);
}

}  // namespace

TemperatureChartsView::TemperatureChartsView(QWidget* parent) : QWidget(parent) {
    setObjectName("TemperatureCharts");
    heating_ = new QChartView(NewChart(QStringLiteral("Нагрев провода током пролёта"), QStringLiteral("Время, мин"),
                                       QStringLiteral("Температура, °C")),
                              this);
    heating_->setObjectName("ChartHeating");
    steady_ = new QChartView(NewChart(QStringLiteral("Установившаяся температура провода"),
                                      QStringLiteral("Ток в проводе, А"), QStringLiteral("Температура, °C")),
                             this);
    steady_->setObjectName("ChartSteady");
    emergency_ = new QChartView(NewChart(QStringLiteral("Аварийная перегрузка: нагрев током 30-минутной перегрузки"),
                                         QStringLiteral("Время, мин"), QStringLiteral("Температура, °C")),
                                this);
    emergency_->setObjectName("ChartEmergency");
    for (QChartView* v : {heating_, steady_, emergency_}) v->setRenderHint(QPainter::Antialiasing);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(heating_, 1);
    lay->addWidget(steady_, 1);
    lay->addWidget(emergency_, 1);
}

QList<QWidget*> TemperatureChartsView::views() const { return {heating_, steady_, emergency_}; }

QChart* TemperatureChartsView::heatingChart() const { return heating_->chart(); }
QChart* TemperatureChartsView::steadyChart() const { return steady_->chart(); }
QChart* TemperatureChartsView::emergencyChart() const { return emergency_->chart(); }

void TemperatureChartsView::clear() {
    ClearChart(heatingChart());
    ClearChart(steadyChart());
    ClearChart(emergencyChart());
}

void TemperatureChartsView::setCharts(const TemperatureCharts& ch) {
    clear();
    const QColor curve(Qt::darkBlue), hot(Qt::red), warm(QColor(230, 120, 0)), clearance(Qt::darkGreen);

    // Heating over time.
    QChart* h = heatingChart();
    QPen pen(curve);
    pen.setWidthF(2);
    auto* s = AddSeries(h, Q(ch.heating.name), pen);
    double tEnd = 1, y0 = 0, y1 = 1;
    if (!ch.heating.points.empty()) {
        y0 = y1 = ch.heating.points.front().second;
        for (const auto& [t, T] : ch.heating.points) {
            s->append(t, T);
            y0 = std::min(y0, T), y1 = std::max(y1, T);
        }
        tEnd = std::max(ch.heating.points.back().first, 1.0);
    }
    y1 = std::max(y1, ch.steadyTemp);
    TidyRange(Axis(h, Qt::Horizontal), 0, tEnd, true);  // the time axis ends where the curve does
    TidyRange(Axis(h, Qt::Vertical), y0 - 0.05 * (y1 - y0) - 1, y1 + 0.1 * (y1 - y0) + 1);
    const QValueAxis* hy = Axis(h, Qt::Vertical);
    Horizontal(h, ch.steadyMark, 0, Axis(h, Qt::Horizontal)->max(), hot);
    if (ch.time95 >= 0) Vertical(h, ch.time95Mark, hy->min(), hy->max(), warm);

    // Steady temperature against the current.
    QChart* c = steadyChart();
    auto* st = AddSeries(c, Q(ch.steady.name), pen);
    double T0 = 0, T1 = 1;
    if (!ch.steady.points.empty()) T0 = T1 = ch.steady.points.front().second;
    for (const auto& [I, T] : ch.steady.points) {
        st->append(I, T);
        T0 = std::min(T0, T), T1 = std::max(T1, T);
    }
    // Up to half as much again above the hottest limit: a curve that runs far beyond it (at
    // currents the clearance allows but the conductor cannot carry) leaves the top.
    double limit = 0;
    for (const ChartMark& m : ch.tempMarks) limit = std::max(limit, m.value), T0 = std::min(T0, m.value);
    T1 = std::max(limit, std::min(T1, 1.5 * limit));
    TidyRange(Axis(c, Qt::Horizontal), 0, ch.currentEnd);
    TidyRange(Axis(c, Qt::Vertical), T0 - 5, T1 + 10);
    const QValueAxis* cx = Axis(c, Qt::Horizontal);
    const QValueAxis* cy = Axis(c, Qt::Vertical);
    const QColor tempColours[] = {hot, warm};
    for (std::size_t i = 0; i < ch.tempMarks.size(); ++i)
        Horizontal(c, ch.tempMarks[i], cx->min(), cx->max(), tempColours[std::min<std::size_t>(i, 1)]);
    // Maximum, long-term, ground, then each obstacle in a colour of its own.
    const QColor currentColours[] = {
        hot, warm, clearance, QColor(0, 150, 170), QColor(130, 60, 170), QColor(90, 90, 90)};
    for (std::size_t i = 0; i < ch.currentMarks.size(); ++i)
        Vertical(c, ch.currentMarks[i], cy->min(), cy->max(), currentColours[std::min<std::size_t>(i, 5)]);
}

namespace {

// The colours of the models' curves: the program's own as its steady curve, then the standards.
QColor ModelColour(HeatModel m) {
    switch (m) {
        case HeatModel::Qem: return Qt::darkBlue;
        case HeatModel::Ieee738: return QColor(200, 90, 0);
        case HeatModel::Cigre601: return QColor(140, 0, 140);
    }
    return Qt::black;
}

}  // namespace

void TemperatureChartsView::setModelCharts(const HeatModelCharts& ch) {
    ClearChart(emergencyChart());
    // The standards' steady curves beside the program's own, which the legend now names; the
    // three curves first in the legend, the marks after them, in a smaller type to fit.
    QChart* c = steadyChart();
    const QList<QAbstractSeries*> marks = c->series().mid(1);
    if (!c->series().isEmpty()) c->series().front()->setName(Q(HeatModelTitle(HeatModel::Qem)));
    const HeatModel standards[] = {HeatModel::Ieee738, HeatModel::Cigre601};
    for (std::size_t i = 0; i < ch.steady.size() && i < 2; ++i) {
        // IEEE broad beneath CIGRE: where the two curves coincide both stay visible.
        QPen pen(ModelColour(standards[i]));
        pen.setWidthF(i == 0 ? 4 : 1.5);
        auto* s = AddSeries(c, Q(ch.steady[i].name), pen);
        for (const auto& [I, T] : ch.steady[i].points) s->append(I, T);
    }
    for (QAbstractSeries* m : marks) {
        c->removeSeries(m);
        c->addSeries(m);
        m->attachAxis(Axis(c, Qt::Horizontal));
        m->attachAxis(Axis(c, Qt::Vertical));
    }
    for (auto [chart, scale] : {std::pair{c, 0.78}, std::pair{emergencyChart(), 0.85}}) {
        QFont f = heatingChart()->legend()->font();  // the type of the heating chart, never scaled
        f.setPointSizeF(f.pointSizeF() * scale);
        chart->legend()->setFont(f);
    }

    // Each model's heating at its 30-minute current, the limit temperature and the 30 minutes.
    QChart* e = emergencyChart();
    double y0 = ch.limitMark.value, y1 = ch.limitMark.value;
    for (const ModelEmergency& m : ch.emergency) {
        QPen pen(ModelColour(m.model));
        pen.setWidthF(m.model == HeatModel::Ieee738 ? 4 : m.model == HeatModel::Cigre601 ? 1.5 : 2);
        auto* s = AddSeries(e, Q(m.trace.name), pen);
        y0 = std::min(y0, m.T0);
        for (const auto& [t, T] : m.trace.points) {
            s->append(t, T);
            y0 = std::min(y0, T), y1 = std::max(y1, T);
        }
    }
    TidyRange(Axis(e, Qt::Horizontal), 0, std::max(ch.timeEnd, 1.0));
    TidyRange(Axis(e, Qt::Vertical), y0 - 5, y1 + 5);
    const QValueAxis* ex = Axis(e, Qt::Horizontal);
    const QValueAxis* ey = Axis(e, Qt::Vertical);
    Horizontal(e, ch.limitMark, ex->min(), ex->max(), Qt::red);
    Vertical(e, ch.durationMark, ey->min(), ey->max(), QColor(90, 90, 90));
}

QPixmap TemperatureChartsView::picture() const {
    const QList<QPixmap> parts = {heating_->grab(), steady_->grab(), emergency_->grab()};
    int width = 0, height = 0;
    for (const QPixmap& a : parts) width = std::max(width, a.width()), height += a.height();
    QPixmap p(width, height);
    p.fill(Qt::white);
    QPainter painter(&p);
    int y = 0;
    for (const QPixmap& a : parts) painter.drawPixmap(0, y, a), y += a.height();
    return p;
}

}  // namespace qem::ui

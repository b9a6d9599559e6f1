#include "lines/qt/SpanViewChart.h"

#include <QGraphicsLineItem>
#include <QGraphicsPolygonItem>
#include <QLabel>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace qem::ui {

namespace {

QColor StyleColour(const char* name) { return QColor(QString::fromLatin1(name)); }

// Range of all points and arrow ends of the view; a unit range when it is empty.
struct Range {
    double x0 = 0, x1 = 1, y0 = 0, y1 = 1;
};

Range ViewRange(const SpanView& v) {
    bool any = false;
    Range r;
    auto take = [&](const ChartPoint& p) {
        if (!any) {
            r = {p.x, p.x, p.y, p.y};
            any = true;
            return;
        }
        r.x0 = std::min(r.x0, p.x);
        r.x1 = std::max(r.x1, p.x);
        r.y0 = std::min(r.y0, p.y);
        r.y1 = std::max(r.y1, p.y);
    };
    for (const ChartSeries& s : v.Series) {
        for (const ChartPoint& p : s.points) take(p);
        for (const ChartArrow& a : s.arrows) {
            take(a.from);
            take(a.to);
        }
    }
    if (!any) return Range{};
    const double dx = std::max(r.x1 - r.x0, 1.0), dy = std::max(r.y1 - r.y0, 1.0);
    r.x0 -= 0.03 * dx;
    r.x1 += 0.03 * dx;
    r.y0 = std::min(r.y0, 0.0) - 0.05 * dy;
    r.y1 += 0.10 * dy;
    return r;
}

double NiceStep(double raw) {
    if (!(raw > 0)) return 1;
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    const double m = raw / p;
    return (m <= 1 ? 1 : m <= 2 ? 2 : m <= 5 ? 5 : 10) * p;
}

}  // namespace

SpanViewChart::SpanViewChart(QWidget* parent) : QChartView(parent) {
    setObjectName("ChartSpanView");
    setRenderHint(QPainter::Antialiasing);
    auto* c = new QChart;
    c->legend()->hide();
    auto* ax = new QValueAxis;
    auto* ay = new QValueAxis;
    ax->setLabelFormat("%.0f");
    ay->setLabelFormat("%.0f");
    ax->setTitleText(QStringLiteral("Расстояние от опоры 1, м"));
    ay->setTitleText(QStringLiteral("Высота, м"));
    c->addAxis(ax, Qt::AlignBottom);
    c->addAxis(ay, Qt::AlignLeft);
    for (int i = 0; i < SpanView::kSeries; ++i) {
        const SeriesStyle& st = SpanView::kStyles[static_cast<std::size_t>(i)];
        auto* s = new QLineSeries;
        s->setObjectName(QStringLiteral("Series%1").arg(i));
        if (st.kind == SeriesKind::Line) {
            QPen pen(StyleColour(st.colour));
            pen.setWidth(st.width);
            if (st.dashed) pen.setStyle(Qt::DashLine);
            s->setPen(pen);
        } else {
            // The arrows are drawn over the chart; the series keeps their ends for the scales.
            s->setPen(QPen(Qt::NoPen));
        }
        c->addSeries(s);
        s->attachAxis(ax);
        s->attachAxis(ay);
        series_ << s;
    }
    c->setMargins(QMargins(4, 4, 4, 4));
    setChart(c);
    connect(c, &QChart::plotAreaChanged, this, [this] { placeOverlays(); });

    auto add = [this](const char* name, const ValueLabel* (*of)(const SpanView&)) {
        auto* l = new QLabel(viewport());
        l->setObjectName(QString::fromLatin1(name));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setAutoFillBackground(true);
        l->setMargin(1);
        l->hide();
        labels_ << Label{l, of};
    };
    add("SagLabel", [](const SpanView& v) -> const ValueLabel* { return &v.SagLabel; });
    add("ClrMinLabel", [](const SpanView& v) -> const ValueLabel* { return &v.ClrMinLabel; });
    add("MidSpanLabel", [](const SpanView& v) -> const ValueLabel* { return &v.MidSpanLabel; });
    add("Obstacle1Label", [](const SpanView& v) -> const ValueLabel* { return &v.Obstacle1Label; });
    add("Obstacle2Label", [](const SpanView& v) -> const ValueLabel* { return &v.Obstacle2Label; });
    add("Obstacle3Label", [](const SpanView& v) -> const ValueLabel* { return &v.Obstacle3Label; });
    add("Obstacle4Label", [](const SpanView& v) -> const ValueLabel* { return &v.Obstacle4Label; });
    add("Obstacle5Label", [](const SpanView& v) -> const ValueLabel* { return &v.Obstacle5Label; });
}

QLabel* SpanViewChart::label(const QString& name) const {
    for (const Label& l : labels_)
        if (l.widget->objectName() == name) return l.widget;
    return nullptr;
}

void SpanViewChart::setView(const SpanView& view) {
    view_ = view;
    for (int i = 0; i < SpanView::kSeries; ++i) {
        const ChartSeries& src = view_.Series[static_cast<std::size_t>(i)];
        QList<QPointF> pts;
        if (src.kind == SeriesKind::Line) {
            // A line series runs in ascending x; drawings added one after the other interleave.
            std::vector<ChartPoint> sorted = src.points;
            std::stable_sort(sorted.begin(), sorted.end(),
                             [](const ChartPoint& a, const ChartPoint& b) { return a.x < b.x; });
            for (const ChartPoint& p : sorted) pts << QPointF(p.x, p.y);
        } else {
            for (const ChartArrow& a : src.arrows) pts << QPointF(a.from.x, a.from.y) << QPointF(a.to.x, a.to.y);
        }
        series_[i]->replace(pts);
    }
    const Range r = ViewRange(view_);
    const auto axes = chart()->axes();
    for (QAbstractAxis* a : axes) {
        auto* va = qobject_cast<QValueAxis*>(a);
        if (!va) continue;
        const bool horizontal = a->orientation() == Qt::Horizontal;
        const double lo = horizontal ? r.x0 : r.y0, hi = horizontal ? r.x1 : r.y1;
        va->setRange(lo, hi);
        // Ticks at round values from 0 (1, 2 or 5 times a power of ten), about eight of them.
        va->setTickType(QValueAxis::TicksDynamic);
        va->setTickAnchor(0);
        va->setTickInterval(NiceStep((hi - lo) / 8));
    }
    for (QGraphicsItem* it : arrows_) delete it;
    arrows_.clear();
    const QColor red(Qt::red);
    for (int i = 0; i < SpanView::kSeries; ++i) {
        const SeriesStyle& st = SpanView::kStyles[static_cast<std::size_t>(i)];
        if (st.kind != SeriesKind::Arrow) continue;
        for (std::size_t a = 0; a < view_.Series[static_cast<std::size_t>(i)].arrows.size(); ++a) {
            auto* shaft = new QGraphicsLineItem(chart());
            shaft->setPen(QPen(red, 1));
            shaft->setZValue(10);
            auto* head = new QGraphicsPolygonItem(chart());
            head->setPen(QPen(red, 1));
            head->setBrush(red);
            head->setZValue(10);
            shaft->setData(0, i);
            shaft->setData(1, int(a));
            head->setData(0, i);
            head->setData(1, int(a));
            arrows_ << shaft << head;
        }
    }
    for (const Label& l : labels_) {
        const ValueLabel* v = l.of(view_);
        l.widget->setText(QString::fromStdString(v->text));
        l.widget->adjustSize();
        l.widget->setVisible(v->visible);
    }
    placeOverlays();
}

QPoint SpanViewChart::toViewport(const ChartPoint& p) const {
    const QPointF scene = chart()->mapToPosition(QPointF(p.x, p.y), series_[0]);
    return mapFromScene(scene);
}

void SpanViewChart::placeOverlays() {
    if (series_.isEmpty()) return;
    for (QGraphicsItem* it : arrows_) {
        const int i = it->data(0).toInt(), a = it->data(1).toInt();
        const ChartArrow& arrow = view_.Series[static_cast<std::size_t>(i)].arrows[static_cast<std::size_t>(a)];
        const QPointF p0 = chart()->mapToPosition(QPointF(arrow.from.x, arrow.from.y), series_[i]);
        const QPointF p1 = chart()->mapToPosition(QPointF(arrow.to.x, arrow.to.y), series_[i]);
        if (auto* shaft = dynamic_cast<QGraphicsLineItem*>(it)) {
            shaft->setLine(QLineF(p0, p1));
        } else if (auto* head = dynamic_cast<QGraphicsPolygonItem*>(it)) {
            // Head 8 x 8 pixels at the arrow's end, pointing along the shaft.
            const QLineF shaftLine(p0, p1);
            QPolygonF poly;
            if (shaftLine.length() > 0.5) {
                const QPointF u = (p1 - p0) / shaftLine.length();
                const QPointF n(-u.y(), u.x());
                const QPointF b = p1 - 8.0 * u;
                poly << p1 << b + 4.0 * n << b - 4.0 * n;
            }
            head->setPolygon(poly);
        }
    }
    // Each label centred on its anchor, the halves of its size rounded to the nearest pixel.
    for (const Label& l : labels_) {
        const ValueLabel* v = l.of(view_);
        if (!v->visible) continue;
        const QPoint c = toViewport(v->anchor);
        const QSize s = l.widget->size();
        l.widget->move(c.x() - int(std::lround(s.width() / 2.0)), c.y() - int(std::lround(s.height() / 2.0)));
    }
    QLabel* clrMin = label("ClrMinLabel");
    QLabel* obstacle1 = label("Obstacle1Label");
    QLabel* midSpan = label("MidSpanLabel");
    // The smallest clearance is often found next to mid-span: the two labels then stand
    // side by side, each on the outer side of its own arrow.
    if (view_.ClrMinLabel.visible && view_.MidSpanLabel.visible && clrMin->geometry().intersects(midSpan->geometry())) {
        const int xClrMin = toViewport({view_.ClrMinLabel.anchor.x, 0}).x();
        const int xMid = toViewport({view_.MidSpanLabel.anchor.x, 0}).x();
        if (xClrMin >= xMid) {
            clrMin->move(xClrMin + 3, clrMin->y());
            midSpan->move(xMid - 3 - midSpan->width(), midSpan->y());
        } else {
            clrMin->move(xClrMin - 3 - clrMin->width(), clrMin->y());
            midSpan->move(xMid + 3, midSpan->y());
        }
    }
    // The smallest-clearance label and the label of obstacle 1 do not cover each other.
    if (view_.Obstacle1Label.visible && view_.ClrMinLabel.visible) {
        const QRect r1 = clrMin->geometry(), r2 = obstacle1->geometry();
        if (std::abs(r1.center().x() - r2.center().x()) < r1.width() && std::abs(r1.top() - r2.top()) < r1.height()) {
            clrMin->move(r1.left(), r1.top() - r1.height());
            obstacle1->move(r2.left(), r2.top() + r2.height());
        }
    }
}

void SpanViewChart::resizeEvent(QResizeEvent* e) {
    QChartView::resizeEvent(e);
    placeOverlays();
}

}  // namespace qem::ui

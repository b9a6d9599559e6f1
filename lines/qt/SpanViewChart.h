#pragma once
// The chart of the "Вид пролета" page: the ten series of a SpanView (line series as lines,
// arrow series as red arrows with 8 x 8 heads) and the value labels lying over the chart,
// each centred on its anchor point and kept there when the chart is resized.
#include <QChartView>
#include <QList>

#include "engine/SpanView.h"

class QLabel;
class QLineSeries;
class QGraphicsItem;

namespace qem::ui {

class SpanViewChart : public QChartView {
    Q_OBJECT
public:
    explicit SpanViewChart(QWidget* parent = nullptr);

    // Shows the view: every series replaced, the labels set, placed and shown or hidden.
    void setView(const SpanView& view);
    const SpanView& view() const { return view_; }

    // Series i (0..9) of the chart.
    QLineSeries* series(int i) const { return series_[i]; }
    // The label named like the view's labels ("ClrMinLabel", "Obstacle1Label", ...).
    QLabel* label(const QString& name) const;

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void placeOverlays();
    QPoint toViewport(const ChartPoint& p) const;

    SpanView view_;
    QList<QLineSeries*> series_;
    QList<QGraphicsItem*> arrows_;
    struct Label {
        QLabel* widget;
        const ValueLabel* (*of)(const SpanView&);
    };
    QList<Label> labels_;
};

}  // namespace qem::ui

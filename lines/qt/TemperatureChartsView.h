#pragma once
// The page "График изменения температуры": the heating of the conductor at the span's
// current over time, and its steady temperature against the current with the limits of the
// span report marked; each with axis titles and a legend naming every line with its value.
#include <QPixmap>
#include <QWidget>

#include "lines/TemperatureCharts.h"

class QChart;
class QChartView;

namespace qem::ui {

class TemperatureChartsView : public QWidget {
    Q_OBJECT
public:
    explicit TemperatureChartsView(QWidget* parent = nullptr);

    // Shows the two charts (replacing what was shown).
    void setCharts(const TemperatureCharts& charts);
    // Empties both charts.
    void clear();

    QChart* heatingChart() const;
    QChart* steadyChart() const;
    // The two chart views, heating first.
    QList<QWidget*> views() const;
    // Both charts, one above the other, as they are on screen.
    QPixmap picture() const;

private:
    QChartView* heating_;
    QChartView* steady_;
};

}  // namespace qem::ui

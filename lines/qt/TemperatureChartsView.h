#pragma once
// The page "График изменения температуры": the heating of the conductor at the span's
// current over time, and its steady temperature against the current with the limits of the
// span report marked; each with axis titles and a legend naming every line with its value.
// Beside the program's own method, the steady curves of IEEE Std 738 and CIGRE TB 601 and a
// third chart: each model's temperature over time at its 30-minute emergency current.
#include <QPixmap>
#include <QWidget>

#include "lines/HeatModelCharts.h"
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
    // Adds the standards' steady curves to the steady chart (after setCharts) and draws the
    // emergency chart.
    void setModelCharts(const HeatModelCharts& charts);
    // Empties the charts.
    void clear();

    QChart* heatingChart() const;
    QChart* steadyChart() const;
    QChart* emergencyChart() const;
    // The chart views, heating first, the emergency last.
    QList<QWidget*> views() const;
    // The charts, one above the other, as they are on screen.
    QPixmap picture() const;

private:
    QChartView* heating_;
    QChartView* steady_;
    QChartView* emergency_;
};

}  // namespace qem::ui

// The page "График изменения температуры": both charts of a span of the sample network with
// their axis titles, legends and marks. QEM_SCREENSHOTS=DIR saves what they look like.
#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>
#include <QtTest>

#include "engine/Currents.h"
#include "lines/TemperatureCharts.h"
#include "lines/qt/TemperatureChartsView.h"
#include "model/NetworkFile.h"
#include "platform/FileSystem.h"

using namespace qem;

class TestTemperatureCharts : public QObject {
    Q_OBJECT
private slots:
    void chartsOfASampleSpan() {
        const auto lines = ReadNetwork(std::string(QEM_BIN_DIR) + "/data/Пример сети.qem");
        const TySpan& s = lines[0].Span(4);  // 110 kV, 380 A, a road
        ReportCurrents c;
        c.IMax = CurrentAtTemp(s, s.Pr.TMax, s.Tvv, s.Vv, s.Alfv);
        c.ILong = CurrentAtTemp(s, 70, s.Tvv, s.Vv, s.Alfv);
        c.IGround = 863;
        c.IObst = {{1, 792}};
        const TemperatureCharts ch = BuildTemperatureCharts(s, 70, c);
        // The heating starts at the air, settles near the steady temperature; 95 % within it.
        QCOMPARE(ch.heating.points.front().second, double(s.Tvv));
        QVERIFY(std::abs(ch.heating.points.back().second - ch.steadyTemp) < 0.5);
        QVERIFY(ch.time95 > 1 && ch.time95 < ch.heating.points.back().first);
        QVERIFY(ch.currentEnd > c.IMax);

        ui::TemperatureChartsView v;
        v.resize(1000, 760);
        v.setCharts(ch);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QChart* h = v.heatingChart();
        QCOMPARE(h->axes(Qt::Horizontal).value(0)->titleText(), QStringLiteral("Время, мин"));
        QCOMPARE(h->axes(Qt::Vertical).value(0)->titleText(), QStringLiteral("Температура, °C"));
        // The time axis ends where the heating curve ends.
        const auto* hx = qobject_cast<QValueAxis*>(h->axes(Qt::Horizontal).value(0));
        QCOMPARE(hx->min(), 0.0);
        QCOMPARE(hx->max(), ch.heating.points.back().first);
        QStringList names;
        for (QAbstractSeries* a : h->series()) names << a->name();
        QCOMPARE(names.size(), 3);
        QVERIFY2(names[1].startsWith("Tуст = "), qPrintable(names.join("|")));
        QVERIFY2(names[2].startsWith("95 % нагрева за "), qPrintable(names.join("|")));
        names.clear();
        QChart* st = v.steadyChart();
        QCOMPARE(st->axes(Qt::Horizontal).value(0)->titleText(), QStringLiteral("Ток в проводе, А"));
        for (QAbstractSeries* a : st->series()) names << a->name();
        QCOMPARE(names, (QStringList{"Установившаяся температура провода", "Tmax = 90 °C", "Tдлит = 70 °C",
                                     QString("Iмакс = %1 А").arg(std::round(c.IMax)),
                                     QString("Iдлит = %1 А").arg(std::round(c.ILong)), "Iгаб (земля) = 863 А",
                                     "Iгаб (преп. 1) = 792 А"}));
        // The steady curve crosses Tmax at the maximum current.
        const auto* curve = static_cast<QLineSeries*>(st->series()[0]);
        for (int i = 1; i < curve->count(); ++i)
            if (curve->at(i - 1).y() < 90 && curve->at(i).y() >= 90) {
                QVERIFY(curve->at(i - 1).x() <= c.IMax + 1 && curve->at(i).x() >= c.IMax - 1);
            }
        const QPixmap p = v.picture();
        QVERIFY(p.height() >= 700);
        if (const QByteArray dir = qgetenv("QEM_SCREENSHOTS"); !dir.isEmpty())
            p.save(QString::fromUtf8(dir) + "/temperature_charts.png");
    }
};

QTEST_MAIN(TestTemperatureCharts)
#include "test_temperature_charts.moc"

// The three heat-balance models in the main window, on a copy of the shipped data folder with the
// sample network: the temperature page of a span after "Расчет пролета" (the standards' steady
// curves beside the program's own, the emergency chart), the dialog "Модели нагрева…" of the
// menu "Каталог", and the model of the calculation series. QEM_SCREENSHOTS=DIR saves the page.
#include <QAction>
#include <QChart>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QValueAxis>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "lines/qt/HeatModelDialog.h"
#include "lines/qt/MainWindow.h"
#include "lines/qt/TemperatureChartsView.h"
#include "model/AppData.h"
#include "model/Cp1251.h"
#include "model/HeatModelData.h"
#include "platform/ScriptedDialogs.h"
#include "session/AppState.h"

using qem::ui::MainWindow;

namespace {

struct Session {
    QTemporaryDir dir;
    qem::AppState app;
    qem::ScriptedDialogs dlg;
    std::unique_ptr<MainWindow> w;

    Session() {
        const QDir shipped(QStringLiteral(QEM_BIN_DIR "/data"));
        for (const QString& f : shipped.entryList(QDir::Files))
            if (f != "qem.cfg" && f != "LODL.txt") QFile::copy(shipped.filePath(f), dir.filePath(f));
        app.data = qem::LoadAll(std::filesystem::u8path(dir.path().toStdString()), false, nullptr, true);
        app.net.ResetCurSpans();
        w = std::make_unique<MainWindow>(&app);
        w->setDialogs(&dlg);
        w->resize(1400, 1000);
        w->runFolderCheck();
    }
    QString file(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QAction* action(const char* name) const { return w->findChild<QAction*>(QString::fromUtf8(name)); }
};

QStringList Names(const QChart* c) {
    QStringList n;
    for (QAbstractSeries* a : c->series()) n << a->name();
    return n;
}

}  // namespace

class TestHeatModels : public QObject {
    Q_OBJECT
private slots:
    void temperaturePageShowsTheThreeModels() {
        Session s;
        QVERIFY(s.app.data.heat.strands.size() >= 38);  // the shipped heatmodels.txt was read
        s.app.net.CurLine = 1;
        s.app.net.CurSpan[1] = 4;  // 110 kV, 380 A, a road
        s.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        s.action("menu Расчет пролета")->trigger();
        QVERIFY2(s.dlg.shown.empty(), s.dlg.shown.empty() ? "" : s.dlg.shown.front().text.c_str());
        s.w->resultPages()->setCurrentIndex(1);
        QTest::qWait(50);
        qem::ui::TemperatureChartsView* charts = s.w->temperatureCharts();

        // Three steady curves, each named in the legend, from zero current at the air temperature
        // up; the standards' lie within a few kelvin of the program's at its maximum current.
        const QStringList steady = Names(charts->steadyChart());
        // The three curves lead the legend, the marks of the span report follow.
        QCOMPARE(steady.mid(0, 4),
                 (QStringList{"Методика программы", "IEEE Std 738-2012", "CIGRE TB 601", "Tmax = 90 °C"}));
        const qem::TySpan& span = s.app.net.Line(1).Span(4);
        for (const QString& name : {QString("IEEE Std 738-2012"), QString("CIGRE TB 601")}) {
            const auto* c = static_cast<QLineSeries*>(charts->steadyChart()->series()[steady.indexOf(name)]);
            QVERIFY(c->count() > 50);
            QCOMPARE(c->at(0).x(), 0.0);
            QVERIFY(c->at(0).y() >= span.Tvv && c->at(0).y() < span.Tvv + 15);
            for (int i = 1; i < c->count(); ++i) QVERIFY(c->at(i).y() >= c->at(i - 1).y());
        }

        // The emergency chart: one trace per model at its 30-minute current, the limit and the
        // 30 minutes marked; every trace stays at or below the limit through the 30 minutes.
        const QStringList em = Names(charts->emergencyChart());
        QCOMPARE(em.size(), 5);
        QVERIFY2(em[0].startsWith("Методика программы: I30 = "), qPrintable(em.join("|")));
        QVERIFY2(em[1].startsWith("IEEE Std 738-2012: I30 = "), qPrintable(em.join("|")));
        QVERIFY2(em[2].startsWith("CIGRE TB 601: I30 = "), qPrintable(em.join("|")));
        QVERIFY2(em[3].startsWith("Tдоп = "), qPrintable(em.join("|")));
        QCOMPARE(em[4], QString("30 мин"));
        const double limit = static_cast<QLineSeries*>(charts->emergencyChart()->series()[3])->at(0).y();
        for (int m = 0; m < 3; ++m) {
            const auto* t = static_cast<QLineSeries*>(charts->emergencyChart()->series()[m]);
            QVERIFY(t->count() > 60);
            double atThirty = 0;
            for (const QPointF& p : t->points()) {
                if (p.x() <= 30) QVERIFY2(p.y() <= limit + 1e-6, qPrintable(em[m]));
                if (std::abs(p.x() - 30) < 1e-9) atThirty = p.y();
            }
            QVERIFY2(atThirty > limit - 0.5, qPrintable(em[m]));  // the 30-minute current uses the margin
        }
        QCOMPARE(charts->views().size(), 3);
        if (const QByteArray dir = qgetenv("QEM_SCREENSHOTS"); !dir.isEmpty()) {
            s.w->grab().save(QString::fromUtf8(dir) + "/heat_models_page.png");
            charts->picture().save(QString::fromUtf8(dir) + "/heat_models_charts.png");
        }
    }

    void dialogWritesTheSurfaceFactors() {
        Session s;
        QTimer::singleShot(0, [&] {
            auto* d = s.w->findChild<qem::ui::HeatModelDialog*>("HeatModelDialog");
            QVERIFY(d);
            QCOMPARE(d->emissivity()->value(), 0.8);
            d->emissivity()->setValue(0.5);
            d->absorptivity()->setValue(0.45);
            d->accept();
        });
        s.action("menu Модели нагрева…")->trigger();
        QCOMPARE(s.app.data.heat.emissivity, 0.5);
        QCOMPARE(s.app.data.heat.absorptivity, 0.45);
        const qem::HeatModelData back = qem::LoadHeatModelData(std::filesystem::u8path(s.dir.path().toStdString()));
        QCOMPARE(back, s.app.data.heat);  // the strand rows kept
    }

    void seriesTakesTheChosenModel() {
        Session s;
        s.w->pages()->setCurrentIndex(MainWindow::PageSource);
        auto* model = s.w->findChild<QComboBox*>("ComboBoxSeriesModel");
        QVERIFY(model);
        QCOMPARE(model->count(), 3);
        QCOMPARE(model->currentIndex(), 0);
        s.w->findChild<QSpinBox*>("SpinEditPointsI")->setValue(2);
        s.w->findChild<QLineEdit*>("EditStepI")->setText("100");
        s.w->findChild<QPushButton*>("ButtonSeries")->click();
        QStringList own;
        for (QTextBlock b = s.w->seriesText()->document()->begin(); b.isValid(); b = b.next()) own << b.text();
        model->setCurrentIndex(1);
        s.w->findChild<QPushButton*>("ButtonSeries")->click();
        QStringList ieee;
        for (QTextBlock b = s.w->seriesText()->document()->begin(); b.isValid(); b = b.next()) ieee << b.text();
        QCOMPARE(ieee.value(0),
                 QString("Модель нагрева: IEEE Std 738-2012, излучательная способность 0.80, поглощательная 0.80"));
        QCOMPARE(ieee.size(), own.size() + 1);
        QVERIFY(ieee.value(4) != own.value(3));                   // another conductor temperature
        QCOMPARE(ieee.value(4).left(30), own.value(3).left(30));  // the same regime
    }
};

QTEST_MAIN(TestHeatModels)
#include "test_heat_models.moc"

// The window "Расчёт по погоде" on a copy of the shipped data folder: opened from the menu, the
// shipped forecast rated on the worker thread, the chart and the table of the hours, the
// workbook and the PDF; "Отмена" while it runs. QEM_SCREENSHOTS=DIR saves what the window and
// the PDF look like.
#include <QAbstractItemModel>
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "lines/qt/MainWindow.h"
#include "lines/qt/ReportPrint.h"
#include "lines/qt/WeatherRatingPage.h"
#include "model/AppData.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Workbook.h"

using qem::ui::MainWindow;
using qem::ui::WeatherRatingPage;

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
        w->resize(1300, 800);
        w->runFolderCheck();
    }
    QString file(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    WeatherRatingPage* open() {
        w->findChild<QAction*>(QStringLiteral("menu Расчёт по погоде"))->trigger();
        return w->findChild<WeatherRatingPage*>();
    }
};

QString Shots() { return QString::fromUtf8(qgetenv("QEM_SCREENSHOTS")); }

}  // namespace

class TestWeatherRating : public QObject {
    Q_OBJECT
private slots:
    void forecastOfTheSampleNetwork() {
        Session s;
        QVERIFY(s.w->findChild<QAction*>(QStringLiteral("tool Расчёт по погоде")));
        WeatherRatingPage* p = s.open();
        QVERIFY(p && p->isVisible());
        QVERIFY(p->loadWeather(s.file("Прогноз на 240 ч (пример).csv").toStdString()));
        p->calculate();
        QCOMPARE(int(p->results().size()), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(int(p->hoursOf(i).size()), 240);
            QCOMPARE(p->results()[std::size_t(i)].summary.rated, 240);
        }
        QVERIFY2(s.dlg.shown.empty(), s.dlg.shown.empty() ? "" : s.dlg.shown[0].text.c_str());
        // The chart: ДДТН and АДТН, the table's values dashed, the air on its own axis.
        p->lineChoice()->setCurrentIndex(1);
        p->resize(1250, 900);
        QTest::qWait(300);  // the chart lays itself out on the event loop
        QChart* c = p->chart()->chart();
        QStringList names;
        for (QAbstractSeries* a : c->series()) names << a->name();
        QCOMPARE(names, (QStringList{"ДДТН по таблице", "АДТН по таблице", "ДДТН", "АДТН", "Температура воздуха"}));
        QCOMPARE(static_cast<QLineSeries*>(c->series()[0])->pen().style(), Qt::DashLine);
        QCOMPARE(static_cast<QLineSeries*>(c->series()[2])->count(), 240);
        QCOMPARE(c->axes(Qt::Vertical).size(), 2);
        QCOMPARE(c->series()[4]->attachedAxes()[1]->alignment(), Qt::AlignRight);
        // The table of the hours with the limiting span.
        QAbstractItemModel* m = p->table()->model();
        QCOMPARE(m->rowCount(), 240);
        QCOMPARE(m->index(0, 0).data().toString(), QStringLiteral("2025-07-14T00:00+03:00"));
        QCOMPARE(m->headerData(7, Qt::Horizontal).toString(), QStringLiteral("Пролёт"));
        QVERIFY(!m->index(0, 6).data().toString().isEmpty());
        // The workbook and the PDF.
        const std::string book = s.file("часы.xlsx").toStdString();
        p->exportWorkbook(book);
        const qem::Workbook wb = qem::Workbook::Open(book);
        QCOMPARE(wb.FirstSheet().Text(1, 5), std::string("ДДТН, А"));
        QCOMPARE(wb.FirstSheet().LastUsedCell().row, 721);
        const qem::ui::PrintJob job = p->printJob();
        QVERIFY(job.report && job.pictures.size() == 1);
        const QString pdf = Shots().isEmpty() ? s.file("погода.pdf") : Shots() + "/weather_rating.pdf";
        QVERIFY(qem::ui::SavePdf(pdf, job));
        QVERIFY(QFileInfo(pdf).size() > 10000);
        if (!Shots().isEmpty()) p->grab().save(Shots() + "/weather_rating.png");
    }

    // "Отмена" of the window stops the calculation between blocks of hours; the lines done stay.
    void cancelStops() {
        Session s;
        WeatherRatingPage* p = s.open();
        QVERIFY(p->loadWeather(s.file("Погода за год (синтетическая).csv").toStdString()));
        QTimer::singleShot(0, p, [p] { p->cancelButton()->click(); });
        p->calculate();
        QVERIFY(p->results().size() < 3 || p->results()[0].summary.hours < 8760);
        QVERIFY(!s.dlg.shown.empty());
        QCOMPARE(s.dlg.shown.back().text,
                 std::string("Расчёт по погоде прерван пользователем; показаны рассчитанные линии"));
        QVERIFY(p->cancelButton()->isEnabled() == false);
    }

    // A weather file that is refused names its row and column; nothing is rated.
    void refusedFile() {
        Session s;
        WeatherRatingPage* p = s.open();
        QFile f(s.file("плохая.csv"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(
            "time,air temperature,wind speed,wind direction\n2025-07-01T10:00Z,20,2,90\n2025-07-01T11:00Z,20,75,90\n");
        f.close();
        QVERIFY(!p->loadWeather(f.fileName().toStdString()));
        QCOMPARE(s.dlg.shown.size(), std::size_t(1));
        QVERIFY2(s.dlg.shown[0].text.find("строка 3, столбец 3 («wind speed»): 75 вне допустимого диапазона") !=
                     std::string::npos,
                 s.dlg.shown[0].text.c_str());
        p->calculate();
        QCOMPARE(s.dlg.shown.back().text, std::string("Выберите файл погоды"));
        QVERIFY(p->results().empty());
    }
};

QTEST_MAIN(TestWeatherRating)
#include "test_weather_rating.moc"

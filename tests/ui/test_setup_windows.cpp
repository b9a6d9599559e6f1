// The span set-up windows opened offscreen on a span of the sample network: each shows the
// span's data, and edits made through the windows land in the span record.
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <filesystem>

#include "model/Cp1251.h"
#include "model/Format.h"
#include "model/NetworkFile.h"
#include "platform/ScriptedDialogs.h"
#include "session/AppState.h"
#include "session/RuCommands.h"
#include "session/qt/SetupDialogs.h"
#include "session/qt/SetupWindows.h"
#include "setup/Measurements.h"
#include "setup/Obstacles.h"
#include "setup/RouteProfile.h"

using namespace qem;
using namespace qem::ui;

class TestSetupWindows : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    AppState app_;
    ScriptedDialogs dlg_;

    TySpan& span() { return *CurrentSpan(app_); }
    static QString Cell(QTableWidget* g, int r, int c) { return g->item(r, c) ? g->item(r, c)->text() : QString(); }

private slots:
    void init() {
        const auto sample = std::filesystem::path(QEM_BIN_DIR) / "data" / std::filesystem::u8path("Пример сети.qem");
        app_ = AppState{};
        app_.net.Lines = ReadNetwork(PathToUtf8(sample));
        QVERIFY(app_.net.NLines() > 0);
        app_.net.CurLine = 1;
        app_.net.CurSpan[1] = 3;
        // Windows that save write into a copy, never into the shipped sample.
        app_.net.NetFileName = QDir(dir_.path()).filePath("сеть.qem").toStdString();
        dlg_ = ScriptedDialogs{};
    }

    void initialConditionsShowsTheMeasurementsAndTheReferenceState() {
        TFormRU form(app_, dlg_);
        QCOMPARE(form.windowTitle(), QStringLiteral("Расчет начальных условий"));
        const int count = ZamerCount(span());
        QVERIFY(count >= 1);
        QCOMPARE(form.grid()->rowCount(), count);
        QCOMPARE(form.grid()->horizontalHeaderItem(3)->text(), QStringLiteral("Н до земли в ср.пролета,м"));
        QCOMPARE(Cell(form.grid(), 0, 1), QString::fromStdString(DateText(span().Zamer[1].Time)));
        QCOMPARE(Cell(form.grid(), 0, 3), QString::fromStdString(Format("%.2f", span().Zamer[1].HMid)));
        // Activation derived the reference state and shows it.
        QCOMPARE(span().Tv, 25.0f);
        QVERIFY(span().Si > 0);
        QCOMPARE(form.stressField()->text(), QString::fromStdString(Format("%.2f", span().Si)));
        QCOMPARE(form.stressLabel()->text(), form.stressField()->text());
        QCOMPARE(form.sky()->currentIndex(), int(span().Zamer[1].Tzv));

        // A typed height lands in the record and the sag follows it.
        const float sag = span().Zamer[1].FZam, h = span().Zamer[1].HMid;
        form.grid()->item(0, 3)->setText("  " + QString::number(h - 1.0f, 'f', 2).replace('.', ','));
        QCOMPARE(span().Zamer[1].HMid, h - 1.0f);
        QVERIFY(std::abs(span().Zamer[1].FZam - (sag + 1.0f)) < 1e-3);
        form.sky()->setCurrentIndex(2);
        emit form.sky()->activated(2);
        QCOMPARE(span().Zamer[1].Tzv, 2);

        // Tool bar: add a measurement, then delete it again.
        form.runTool("Добавить измерение");
        QCOMPARE(ZamerCount(span()), count + 1);
        QCOMPARE(form.grid()->rowCount(), count + 1);
        QCOMPARE(app_.currentZamer, count + 1);
        dlg_.answers = {Answer::Yes};
        form.runTool("Удалить измерение из списка");
        QCOMPARE(ZamerCount(span()), count);
        QCOMPARE(form.grid()->rowCount(), count);
    }

    void entryFunctionsReturnWhenTheWindowCloses() {
        auto closeModal = [] {
            QTimer::singleShot(50, [] {
                if (QWidget* w = QApplication::activeModalWidget()) w->close();
            });
        };
        closeModal();
        QVERIFY(!ShowMeasurements(nullptr, app_, dlg_));
        closeModal();
        ShowRouteProfile(nullptr, app_, dlg_);
        // The obstacle editor does not block: it is open when the function returns.
        QWidget main;
        QDialog* prep = ShowObstacles(&main, app_, dlg_);
        QVERIFY(prep && prep->isVisible());
        QVERIFY(!prep->isModal());
        QCOMPARE(ShowObstacles(&main, app_, dlg_), prep);  // one editor per window
        QVERIFY(!QFile::exists(QString::fromStdString(app_.net.NetFileName)));
        prep->close();
        QVERIFY(QFile::exists(QString::fromStdString(app_.net.NetFileName)));  // saved on closing
        closeModal();
        ShowTwoPointSet(nullptr, app_, dlg_);
    }

    void obstaclesShowTheSpanAndEdit() {
        // A span of the sample with obstacles.
        TyLine& line = app_.net.Line(1);
        int s = 0;
        for (int i = 1; i <= line.NSpans() && !s; ++i)
            if (ObstacleRows(line.Span(i)) > 0) s = i;
        QVERIFY(s > 0);
        app_.net.CurSpan[1] = s;
        TFormSetPrep form(app_, dlg_);
        QCOMPARE(form.windowTitle(), QStringLiteral("Задать препятсвия"));
        const int rows = ObstacleRows(span());
        QCOMPARE(form.grid()->rowCount(), rows);
        QVERIFY(form.grid()->isColumnHidden(3));
        QCOMPARE(Cell(form.grid(), 0, 0), QString::fromStdString(FixedText(span().Prep[1].Lprep, 2)));
        QCOMPARE(Cell(form.grid(), 0, 6), QString::fromUtf8(kObstacleTypeText[span().Prep[1].TPrp]));
        QVERIFY(!form.typeBox()->isEnabled());

        form.add();
        QCOMPARE(form.grid()->rowCount(), rows + 1);
        QCOMPARE(span().NPrep, rows + 1);
        QVERIFY(form.typeBox()->isEnabled());
        form.grid()->item(rows, 0)->setText(QString::number(span().Lpr + 1));  // beyond the span
        QCOMPARE(Cell(form.grid(), rows, 0), QStringLiteral("0"));
        QCOMPARE(dlg_.Texts().back(), std::string("длина до препятствия не может превышать длину пролёта"));
        form.grid()->item(rows, 2)->setText("1000");
        form.sort(false);
        QCOMPARE(span().Prep[1].Hprep, 1000.0f);
        QCOMPARE(Cell(form.grid(), 0, 2), QStringLiteral("1000.00"));
    }

    void routeProfileShowsThePointsAndTheCountClearsTheRest() {
        const int n = ProfileCount(span());
        QVERIFY(n >= 1);
        TFormZem form(app_, dlg_);
        QCOMPARE(form.windowTitle(), QStringLiteral("Профиль трассы"));
        QCOMPARE(form.countBox()->value(), n);
        QCOMPARE(form.grid()->rowCount(), std::max(1, n));
        QCOMPARE(Cell(form.grid(), 0, 0), QString::fromStdString(Format("%.1f", span().Zem[1].ZemL)));
        QCOMPARE(Cell(form.grid(), 0, 1), QString::fromStdString(Format("%.1f", span().Zem[1].ZemH)));
        dlg_.answers = {Answer::Yes};  // the points with data go only after the question
        form.setCount(0);
        QCOMPARE(dlg_.shown.back().buttons, Buttons::YesCancel);
        QCOMPARE(form.grid()->rowCount(), 1);
        QCOMPARE(Cell(form.grid(), 0, 0), QString());
        QCOMPARE(ProfileCount(span()), 0);
        form.grid()->item(0, 0)->setText("42,5");
        QCOMPARE(span().Zem[1].ZemL, 42.5f);
    }

    void typingAProfileCountKeepsThePointsUntilTheEditIsFinished() {
        // Span 2 - 3 of line 1 of the sample: three profile points.
        app_.net.CurSpan[1] = 2;
        const int n = ProfileCount(span());
        QCOMPARE(n, 3);
        const TySpan before = span();
        TFormZem form(app_, dlg_);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSpinBox* count = form.countBox();
        count->setFocus();
        count->selectAll();
        // "1" then "0": nothing is taken while typing, no question, the points stay.
        QTest::keyClicks(count, "10");
        QVERIFY(dlg_.shown.empty());
        QCOMPARE(span(), before);
        QTest::keyClick(count, Qt::Key_Return);
        QCOMPARE(count->value(), 10);
        QCOMPARE(form.grid()->rowCount(), 10);
        QCOMPARE(ProfileCount(span()), 3);
        for (int i = 1; i <= 3; ++i) QCOMPARE(span().Zem[i], before.Zem[i]);
        QVERIFY(dlg_.shown.empty());
        QVERIFY(!app_.net.Modified);

        // Lowering below the points: asked; Cancel puts the box back and keeps them.
        dlg_.answers = {Answer::Cancel};
        count->selectAll();
        QTest::keyClicks(count, "1");
        QTest::keyClick(count, Qt::Key_Return);
        QCOMPARE(dlg_.shown.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(dlg_.shown[0].text),
                 QString("При количестве участков 1 точки профиля 2, 3 будут удалены. Продолжить?"));
        QCOMPARE(count->value(), 10);
        QCOMPARE(ProfileCount(span()), 3);
        // The arrow down takes effect at once: 9 clears nothing that holds data.
        QTest::keyClick(count, Qt::Key_Down);
        QCOMPARE(count->value(), 9);
        QCOMPARE(form.grid()->rowCount(), 9);
        QCOMPARE(dlg_.shown.size(), std::size_t(1));
        // Yes: point 3 goes, and the network counts as changed.
        dlg_.answers = {Answer::Yes};
        form.setCount(2);
        QCOMPARE(ProfileCount(span()), 2);
        QCOMPARE(span().Zem[3], TyZem{});
        QVERIFY(app_.net.Modified);
    }

    void aRefusedProfileCellShowsTheStoredValue() {
        app_.net.CurSpan[1] = 2;
        const float l1 = span().Zem[1].ZemL;
        TFormZem form(app_, dlg_);
        form.grid()->item(0, 0)->setText("12;5");
        QCOMPARE(dlg_.Texts().back(), std::string(" Ошибка в позиции 3"));
        QCOMPARE(span().Zem[1].ZemL, l1);
        QCOMPARE(Cell(form.grid(), 0, 0), QString::fromStdString(Format("%.1f", l1)));
    }

    void theDatePickerLiesInsideItsCellAndKeepsTheDate() {
        TFormRU form(app_, dlg_);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(ZamerCount(span()) >= 1);
        const double time = span().Zamer[1].Time;
        auto* picker = form.grid()->viewport()->findChild<QDateTimeEdit*>("DateTimePicker");
        QVERIFY(picker);
        // The time cell first, then the date cell: the picker shows the measurement's own date.
        for (int col : {2, 1}) {
            form.grid()->setCurrentCell(0, col);
            QVERIFY(picker->isVisible());
            const QRect cell = form.grid()->visualRect(form.grid()->model()->index(0, col));
            QVERIFY2(cell.contains(picker->geometry()), qPrintable(QString("column %1").arg(col)));
            QVERIFY(picker->sizeHint().width() <= cell.width());
        }
        QCOMPARE(picker->date().toString("dd.MM.yyyy"), QString::fromStdString(DateText(time)));
        // Leaving the picker unchanged writes nothing.
        form.grid()->setCurrentCell(0, 5);
        emit picker->editingFinished();
        QCOMPARE(span().Zamer[1].Time, time);
        QVERIFY(!app_.net.Modified);
    }

    void twoPointSetShowsTheFirstTwoPoints() {
        span().LZam[1] = 40;
        span().HZam[1] = 12.5f;
        span().LZam[2] = 210;
        TFormSetZam form(app_, dlg_);
        QCOMPARE(form.windowTitle(), QStringLiteral("Установка замеров"));
        QCOMPARE(form.grid()->rowCount(), 2);
        QCOMPARE(Cell(form.grid(), 0, 0), QStringLiteral("40.00"));
        QCOMPARE(Cell(form.grid(), 0, 1), QStringLiteral("12.50"));
        QCOMPARE(Cell(form.grid(), 1, 0), QStringLiteral("210.00"));
        form.add();  // point 2 has no clearance
        QCOMPARE(form.grid()->rowCount(), 2);
        QCOMPARE(dlg_.Texts().back(), std::string("Заполните последний замер"));
    }
};

QTEST_MAIN(TestSetupWindows)
#include "test_setup_windows.moc"

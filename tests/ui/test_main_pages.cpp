// The main window on a copy of the shipped data folder with the sample network: start-up,
// the line files and the line list, the current line, the span and line calculations with
// their pages, the series table, closing.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>

#include <QChart>
#include "lines/MainPages.h"
#include "lines/qt/MainWindow.h"
#include "lines/qt/SpanViewChart.h"
#include "lines/qt/TemperatureChartsView.h"
#include "model/AppData.h"
#include "model/Cp1251.h"
#include "model/Format.h"
#include "model/NetworkFile.h"
#include "platform/ScriptedDialogs.h"
#include "session/LineList.h"
#include "setup/Obstacles.h"
#include "tests/ui/MainWindowSession.h"

using qem::ui::MainWindow;

namespace {

const QString kSample = QStringLiteral("Пример сети.qem");

using Session = MainWindowSession<>;

QStringList Lines(const QTextEdit* box) {
    QStringList out;
    for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next()) out << b.text();
    return out;
}

QColor LineColour(const QTextEdit* box, const QString& startsWith) {
    for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next())
        if (b.text().startsWith(startsWith)) return b.begin().fragment().charFormat().foreground().color();
    return {};
}

void ClickCell(QTableWidget* grid, int row, int col) {
    const QRect r = grid->visualRect(grid->model()->index(row, col));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
}

}  // namespace

class TestMainPages : public QObject {
    Q_OBJECT
private slots:
    void startupOpensTheSampleNetwork() {
        Session s;
        // First start: the settings and the remembered folder are written with their defaults.
        QCOMPARE(QFileInfo(s.file("qem.cfg")).size(), qint64(812));
        QVERIFY(QFileInfo::exists(s.file("LODL.txt")));
        // The folder holds the sample, so the check asks nothing and opens it.
        QVERIFY(s.dlg.shown.empty());
        QTableWidget* files = s.w->filesGrid();
        QCOMPARE(files->rowCount(), 1);
        QCOMPARE(files->columnCount(), 1);
        QCOMPARE(files->item(0, 0)->text(), kSample);
        QVERIFY(files->horizontalHeader()->isHidden());
        QVERIFY(QString::fromStdString(s.app.net.NetFileName).endsWith(kSample));

        QTableWidget* lines = s.w->lineList();
        QCOMPARE(lines->rowCount(), 3);
        QCOMPARE(lines->columnCount(), 19);
        for (int c = 0; c < 19; ++c)
            QCOMPARE(lines->horizontalHeaderItem(c)->text(), QString::fromUtf8(qem::kLineListHeader[c]));
        for (int c = 6; c <= 15; ++c) QCOMPARE(lines->columnWidth(c), 40);
        // Row i shows line i: its number, ends, voltage and span count.
        for (int i = 1; i <= 3; ++i) {
            const qem::TyLine& l = s.app.net.Line(i);
            QCOMPARE(lines->item(i - 1, 0)->text(), QString("%1").arg(i, 3));
            QCOMPARE(lines->item(i - 1, 1)->text(), QString::fromStdString(qem::Cp1251ToUtf8(l.From.str())));
            QCOMPARE(lines->item(i - 1, 4)->text(), QString::fromUtf8(qem::VoltageText(l.Uvl)));
            QCOMPARE(lines->item(i - 1, 5)->text(), QString::number(l.NSpans()));
            QVERIFY(!(lines->item(i - 1, 0)->flags() & Qt::ItemIsEditable));
            QVERIFY(lines->item(i - 1, 1)->flags() & Qt::ItemIsEditable);
        }
        QCOMPARE(s.app.net.CurLine, 1);
        // The date-time of the first measurement in the sample is an ordinary one, so the
        // opening's line click derived the reference state of line 1's spans.
        QVERIFY(s.app.net.Line(1).Span(1).Si > 0.5f);
        QCOMPARE(s.app.net.Line(1).Span(1).Tv, 25.0f);
    }

    void clickingALineMakesItCurrent() {
        Session s;
        s.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        s.app.net.CurSpan[2] = 5;
        ClickCell(s.w->lineList(), 1, 1);
        QCOMPARE(s.app.net.CurLine, 2);
        QCOMPARE(s.app.net.CurSpan[2], 1);  // a line click leaves span 1 current

        // The span page shows the chosen line and its spans.
        s.w->pages()->setCurrentIndex(MainWindow::PageSpans);
        auto* vl = s.w->findChild<QComboBox*>("ComboBoxVL");
        auto* spans = s.w->findChild<QListWidget*>("ListBoxSpRp");
        const qem::TyLine& l = s.app.net.Line(2);
        QCOMPARE(vl->count(), 3);
        QCOMPARE(vl->currentIndex(), 1);
        QCOMPARE(vl->currentText(), QString::fromUtf8(qem::VoltageText(l.Uvl)) + " кВ " +
                                        QString::fromStdString(qem::Cp1251ToUtf8(l.From.str())) + "-" +
                                        QString::fromStdString(qem::Cp1251ToUtf8(l.To.str())));
        QCOMPARE(spans->count(), l.NSpans());
        QCOMPARE(spans->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(spans->item(0)->text(), QString("%1 - %2")
                                             .arg(QString::fromStdString(l.Span(1).Nop1.str()), 5)
                                             .arg(QString::fromStdString(l.Span(1).Nop2.str()), 5));
        // The focused span item becomes the current span and its values are shown.
        spans->setCurrentRow(2);
        QCOMPARE(s.app.net.CurSpanOf(2), 3);
        QCOMPARE(s.w->findChild<QLineEdit*>("EditLpr")->text(), QString::number(l.Span(3).Lpr, 'f', 2));

        // The line buttons move the current line.
        s.w->pages()->setCurrentIndex(MainWindow::PageLines);
        s.w->findChild<QToolButton*>("Следующая линия")->click();
        QCOMPARE(s.app.net.CurLine, 3);
        s.w->findChild<QToolButton*>("Следующая линия")->click();
        QCOMPARE(s.app.net.CurLine, 3);
        s.w->findChild<QToolButton*>("В начало списка")->click();
        QCOMPARE(s.app.net.CurLine, 1);
        QCOMPARE(s.w->lineList()->currentRow(), 0);
    }

    void editingTheLineList() {
        Session s;
        s.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        QTableWidget* grid = s.w->lineList();
        // Ends are cut to 25 characters, in the record and in the cell.
        grid->item(0, 1)->setText(QString(30, QChar(u'Ж')));
        QCOMPARE(QString::fromStdString(qem::Cp1251ToUtf8(s.app.net.Line(1).From.str())), QString(25, QChar(u'Ж')));
        QCOMPARE(grid->item(0, 1)->text(), QString(25, QChar(u'Ж')));
        // A line number that does not parse is reported and the record keeps its number.
        const int nvl = s.app.net.Line(1).NVL;
        grid->item(0, 3)->setText("12a");
        QCOMPARE(s.app.net.Line(1).NVL, nvl);
        QVERIFY(!s.dlg.shown.empty());
        QCOMPARE(QString::fromStdString(s.dlg.shown.back().text), QString(" Ошибка в позиции 3"));
        // The voltage drop-down lies over the cell; choosing "220" sets Uvl 3.
        ClickCell(grid, 1, 4);
        auto* box = s.w->findChild<QComboBox*>("ComboBoxU");
        QVERIFY(box->isVisible());
        QCOMPARE(box->geometry(), grid->visualRect(grid->model()->index(1, 4)));
        QCOMPARE(box->count(), 8);
        QCOMPARE(box->itemText(0), QString("750"));
        QCOMPARE(box->itemText(7), QString("6"));
        box->setCurrentIndex(3);
        emit box->activated(3);
        QCOMPARE(int(s.app.net.Line(2).Uvl), 3);
        ClickCell(grid, 1, 2);
        QVERIFY(!box->isVisible());
        QCOMPARE(grid->item(1, 4)->text(), QString("220"));
    }

    void spanCalculationShowsReportAndView() {
        Session s;
        s.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        s.action("tool Расчет пролета")->trigger();
        QVERIFY2(s.dlg.shown.empty(), s.dlg.shown.empty() ? "" : s.dlg.shown.front().text.c_str());
        QCOMPARE(s.w->pages()->currentIndex(), int(MainWindow::PageSpanResult));
        QCOMPARE(s.w->resultPages()->currentIndex(), 0);
        QVERIFY(s.w->resultPages()->isTabVisible(1));

        QTextEdit* rez = s.w->spanReport();
        QVERIFY(QFontInfo(rez->font()).fixedPitch());
        const QStringList text = Lines(rez);
        QCOMPARE(text.first(), QString("Препятствие № 1"));
        const int verdicts =
            text.filter(QRegularExpression("^РАБОТАТЬ ПРИ ЗАДАННЫХ УСЛОВИЯХ (МОЖНО|НЕЛЬЗЯ)!!!$")).size();
        QCOMPARE(verdicts, 1);
        QCOMPARE(LineColour(rez, "РАБОТАТЬ"), QColor(Qt::blue));
        QCOMPARE(LineColour(rez, "Препятствие"), QColor(Qt::black));

        // The temperature page: the heating curve with its steady temperature, and the steady
        // temperature against the current with the limits of the report marked.
        qem::ui::TemperatureChartsView* charts = s.w->temperatureCharts();
        QVERIFY(charts->heatingChart()->series().size() >= 2);
        QStringList marks;
        for (QAbstractSeries* a : charts->steadyChart()->series()) marks << a->name();
        const QString maxRow = text.filter("Ток в проводе").first();
        const QString iMax = maxRow.split('|').value(3).trimmed();
        QVERIFY2(marks.contains(QString("Iмакс = %1 А").arg(iMax)), qPrintable(marks.join("|") + " / " + maxRow));
        QVERIFY2(marks.filter("Iгаб (земля)").size() == 1, qPrintable(marks.join("|")));
        s.w->resultPages()->setCurrentIndex(1);
        QTest::qWait(50);
        if (const QByteArray dir = qgetenv("QEM_SCREENSHOTS"); !dir.isEmpty())
            s.w->grab().save(QString::fromUtf8(dir) + "/temperature_page.png");
        // Each sub-page goes to PDF as what it shows.
        for (int sub : {0, 1, 2}) {
            s.w->resultPages()->setCurrentIndex(sub);
            const QString pdf = s.file("page.pdf");
            QFile::remove(pdf);
            s.dlg.files = {pdf.toStdString()};
            s.action("menu Сохранить в PDF…")->trigger();
            QFile f(pdf);
            QVERIFY2(f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-", qPrintable(QString::number(sub)));
            if (const QByteArray dir = qgetenv("QEM_SCREENSHOTS"); !dir.isEmpty())
                QFile::copy(pdf, QString::fromUtf8(dir) + QString("/span_page%1.pdf").arg(sub));
        }
        s.w->resultPages()->setCurrentIndex(0);

        // The view: ten series; conductor of 101 points, supports and chord of two, the sag
        // and the two ground clearances as arrows (two ends each).
        s.w->resultPages()->setCurrentIndex(2);
        QTest::qWait(50);
        qem::ui::SpanViewChart* chart = s.w->spanChart();
        QCOMPARE(chart->chart()->series().size(), 10);
        QCOMPARE(chart->chart()->axes(Qt::Horizontal).value(0)->titleText(), QString("Расстояние от опоры 1, м"));
        QCOMPARE(chart->chart()->axes(Qt::Vertical).value(0)->titleText(), QString("Высота, м"));
        if (const QByteArray dir = qgetenv("QEM_SCREENSHOTS"); !dir.isEmpty())
            s.w->grab().save(QString::fromUtf8(dir) + "/span_view.png");
        QCOMPARE(chart->series(0)->count(), 101);
        for (int i : {2, 3, 7}) QCOMPARE(chart->series(i)->count(), 2);
        for (int i : {5, 8, 9}) QCOMPARE(chart->series(i)->count(), 2);
        QVERIFY(chart->series(1)->count() >= 2);
        // Conductor points run in ascending x from support 1 to support 2.
        const QList<QPointF> c = chart->series(0)->points();
        const qem::TySpan& span = s.app.net.Line(1).Span(1);
        QCOMPARE(c.first().x(), 0.0);
        QVERIFY(std::abs(c.last().x() - span.Lpr) < 1e-3);
        // The sag label shows the sag of the report and is centred on the middle of its arrow.
        QLabel* sag = chart->label("SagLabel");
        QVERIFY(sag->isVisible());
        const QString sagRow = text.filter("Стрела провеса").first();
        QVERIFY2(sagRow.contains(sag->text().trimmed()), qPrintable(sagRow + " / " + sag->text()));
        const QList<QPointF> arrow = chart->series(8)->points();
        const QPointF mid((arrow[0].x() + arrow[1].x()) / 2, (arrow[0].y() + arrow[1].y()) / 2);
        const QPoint px = chart->mapFromScene(chart->chart()->mapToPosition(mid, chart->series(8)));
        QVERIFY(std::abs(sag->geometry().center().x() - px.x()) <= 1);
        QVERIFY(std::abs(sag->geometry().center().y() - px.y()) <= 1);
        // The arrow of the sag hangs from the chord at mid-span: its length is the sag.
        QVERIFY(std::abs((arrow[0].y() - arrow[1].y()) - sag->text().toDouble()) < 0.006);

        // The menu command writes the report from the stored reference state.
        s.w->pages()->setCurrentIndex(MainWindow::PageLines);
        rez->clear();
        s.action("menu Расчет пролета")->trigger();
        QCOMPARE(s.w->pages()->currentIndex(), int(MainWindow::PageSpanResult));
        QCOMPARE(LineColour(rez, "РАБОТАТЬ"), QColor(Qt::blue));
    }

    // "Сохранить в PDF…" proposes, in the network's folder, a file named after what it saves,
    // the line, the span and the date, as the printer's job is named.
    void pdfProposesAFileNamedAfterTheReport() {
        Session s;
        s.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        s.action("tool Расчет пролета")->trigger();
        s.w->setDialogs(nullptr);  // the window's own file dialog
        QString proposed;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QFileDialog*>(top); d && d->isVisible()) {
                    proposed = d->selectedFiles().value(0);
                    d->reject();
                }
        });
        poll.start(20);
        s.action("menu Сохранить в PDF…")->trigger();
        poll.stop();
        const qem::TyLine& line = s.app.net.Line(1);
        const QString name = QString("Расчет режима пролета ВЛ 110 кВ %1-%2, пролет 1 - 2 %3")
                                 .arg(QString::fromStdString(qem::Cp1251ToUtf8(line.From.str())),
                                      QString::fromStdString(qem::Cp1251ToUtf8(line.To.str())),
                                      QDate::currentDate().toString("yyyy-MM-dd"));
        const QFileInfo f(proposed);
        QVERIFY2(f.fileName().startsWith(name) && f.fileName().endsWith(".pdf"), qPrintable(proposed));
        QCOMPARE(f.absolutePath(), QFileInfo(QString::fromStdString(s.app.net.NetFileName)).absolutePath());
    }

    void editingTheSpanPages() {
        Session s;
        // A span view never shown is laid out at a default size for the clipboard.
        s.action("tool Скопировать вид пролета в буфер")->trigger();
        QVERIFY(QGuiApplication::clipboard()->image().width() > 700);
        QVERIFY(QGuiApplication::clipboard()->image().height() > 400);
        s.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        qem::TyLine& line = s.app.net.Line(1);
        QVERIFY(line.NSpans() >= 4);
        // Values that the page formats round: showing them must not store the rounding.
        line.Span(3).Fi = 55.7f;
        line.Span(3).Lpr = 123.456f;
        line.Span(3).Iv = 123.456f;
        s.w->pages()->setCurrentIndex(MainWindow::PageSpans);
        auto* spans = s.w->findChild<QListWidget*>("ListBoxSpRp");
        spans->setCurrentRow(2);
        QCOMPARE(s.app.net.CurSpanOf(1), 3);
        auto* fi = s.w->findChild<QLineEdit*>("EditFi");
        QCOMPARE(fi->text(), QString("56"));
        const std::vector<qem::TyLine> shown = s.app.net.Lines;
        s.w->pages()->setCurrentIndex(MainWindow::PageSource);
        QCOMPARE(s.w->findChild<QLineEdit*>("LabeledEditIv")->text(), QString("123.46"));
        s.w->pages()->setCurrentIndex(MainWindow::PageSpans);
        QVERIFY(s.app.net.Lines == shown);
        QCOMPARE(s.app.net.Line(1).Span(3).Fi, 55.7f);
        QCOMPARE(s.app.net.Line(1).Span(3).Lpr, 123.456f);

        // Typing into the length: comma or point; a bad character is reported and the span
        // keeps the last value it could read.
        auto* lpr = s.w->findChild<QLineEdit*>("EditLpr");
        lpr->selectAll();
        QTest::keyClicks(lpr, "12,5");
        QCOMPARE(s.app.net.Line(1).Span(3).Lpr, 12.5f);
        QTest::keyClick(lpr, Qt::Key_A);
        QCOMPARE(s.app.net.Line(1).Span(3).Lpr, 12.5f);
        QCOMPARE(QString::fromStdString(s.dlg.shown.back().text), QString(" Ошибка в позиции 5"));

        // A support number: five characters, and the list item follows.
        auto* nop1 = s.w->findChild<QLineEdit*>("EditNop1");
        nop1->selectAll();
        QTest::keyClicks(nop1, "77");
        QTest::sendKeyEvent(QTest::Click, nop1, Qt::Key_unknown, QString("б"), {});
        QCOMPARE(QString::fromStdString(qem::Cp1251ToUtf8(s.app.net.Line(1).Span(3).Nop1.str())), QString("77б"));
        QVERIFY(spans->item(2)->text().startsWith("  77б - "));
        QCOMPARE(spans->currentRow(), 2);

        // Spans 3 and 4 selected: the wind region and the latitude go into both, not span 2.
        spans->item(3)->setSelected(true);
        const int regV2 = s.app.net.Line(1).Span(2).RegV;
        auto* regV = s.w->findChild<QComboBox*>("ComboBoxRegV");
        QCOMPARE(regV->count(), 7);
        regV->setCurrentIndex(2);
        emit regV->activated(2);
        fi->selectAll();
        QTest::keyClicks(fi, "48.5");
        for (int k : {3, 4}) {
            QCOMPARE(s.app.net.Line(1).Span(k).RegV, 3);
            QCOMPARE(s.app.net.Line(1).Span(k).Fi, 48.5f);
        }
        QCOMPARE(s.app.net.Line(1).Span(2).RegV, regV2);
        auto* mpr = s.w->findChild<QSpinBox*>("SpinEditMpr");
        QCOMPARE(mpr->maximum(), 20);
        mpr->setValue(mpr->value() == 2 ? 3 : 2);
        QCOMPARE(s.app.net.Line(1).Span(4).Mpr, mpr->value());

        // The sea-level option and its command for all spans.
        s.w->findChild<QRadioButton*>("RadioButtonUseSea")->click();
        QCOMPARE(int(s.app.net.Line(1).Span(3).UseSea), 1);
        s.w->findChild<QPushButton*>("ButtonSeaAll")->click();
        for (const qem::TySpan& sp : s.app.net.Line(1).Spans) QCOMPARE(int(sp.UseSea), 1);

        // Source data of the current span, and the sky choice.
        s.w->pages()->setCurrentIndex(MainWindow::PageSource);
        auto* tvv = s.w->findChild<QLineEdit*>("LabeledEditTvv");
        tvv->selectAll();
        QTest::keyClicks(tvv, "-7,5");
        QCOMPARE(s.app.net.Line(1).Span(3).Tvv, -7.5f);
        const QList<QRadioButton*> sky = s.w->findChild<QWidget*>("RadioGroupTzv")->findChildren<QRadioButton*>();
        QCOMPARE(sky.size(), 4);
        sky[2]->click();
        QCOMPARE(s.app.net.Line(1).Span(3).Tzv, 2);
        s.w->findChild<QPushButton*>("ButtonSourceAll")->click();
        for (const qem::TySpan& sp : s.app.net.Line(1).Spans) {
            QCOMPARE(sp.Tvv, -7.5f);
            QCOMPARE(sp.Tzv, 2);
        }

        // Copy span 3, paste over span 1: the pages show the copy.
        s.action("tool Копировать данные в буфер")->trigger();
        QVERIFY(s.action("tool Вставить данные из буфера")->isEnabled());
        s.w->pages()->setCurrentIndex(MainWindow::PageSpans);
        spans->setCurrentRow(0);
        const qem::TySpan copied = s.app.net.Line(1).Span(3);
        s.action("tool Вставить данные из буфера")->trigger();
        QVERIFY(s.app.net.Line(1).Span(1) == copied);
        QCOMPARE(spans->item(0)->text(), spans->item(2)->text());
        QCOMPARE(lpr->text(), QString("12.50"));

        // The span view goes to the clipboard as a picture on white, with the conductor drawn.
        s.w->findChild<QRadioButton*>("RadioButtonNotUseSea")->click();
        s.w->findChild<QPushButton*>("ButtonSeaAll")->click();
        for (const qem::TySpan& sp : s.app.net.Line(1).Spans) QCOMPARE(int(sp.UseSea), 0);
        s.dlg.shown.clear();
        s.action("tool Расчет пролета")->trigger();
        QVERIFY2(s.dlg.shown.empty(), s.dlg.shown.empty() ? "" : s.dlg.shown.front().text.c_str());
        s.w->resultPages()->setCurrentIndex(2);
        QTest::qWait(50);
        s.action("tool Скопировать вид пролета в буфер")->trigger();
        const QImage picture = QGuiApplication::clipboard()->image();
        QCOMPARE(picture.size(), s.w->spanChart()->viewport()->size());
        QCOMPARE(picture.pixelColor(1, 1), QColor(Qt::white));
        int coloured = 0;
        for (int y = 0; y < picture.height(); y += 2)
            for (int x = 0; x < picture.width(); x += 2) coloured += picture.pixelColor(x, y).saturation() > 100;
        QVERIFY(coloured > 50);
    }

    // A long calculation runs off the window's thread: while it runs, the pages, the menu and
    // the tool bar take no edits and "Отмена" is there; pressing it stops the line between spans
    // and keeps the previous table; afterwards everything is as before.
    void longCalculationLocksTheWindowAndCancels() {
        struct Watching : qem::ScriptedDialogs {
            MainWindow* w = nullptr;
            bool lockedWhileRunning = true, cancelShown = true, offThread = true;
            void Progress(int position, int max) override {
                qem::ScriptedDialogs::Progress(position, max);
                if (position == 0 || !w) return;
                lockedWhileRunning &= !w->pages()->isEnabled() && !w->menuBar()->isEnabled() && w->busy();
                cancelShown &= w->cancelButton()->isVisible() && w->cancelButton()->isEnabled();
                if (position == 3) w->cancelButton()->click();
            }
        };
        Session s;
        s.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        Watching watch;
        watch.w = s.w.get();
        s.w->setDialogs(&watch);
        s.w->lineReport()->setPlainText("previous table");
        s.action("tool Расчет ВЛ")->trigger();
        QVERIFY(watch.lockedWhileRunning);
        QVERIFY(watch.cancelShown);
        QCOMPARE(watch.Texts(),
                 std::vector<std::string>{"Расчёт ВЛ прерван пользователем; показаны результаты предыдущего расчёта"});
        QVERIFY(watch.progress.size() < 8);  // stopped after the third span
        QCOMPARE(Lines(s.w->lineReport()), QStringList{"previous table"});
        QVERIFY(s.w->pages()->isEnabled() && s.w->menuBar()->isEnabled() && !s.w->busy());
        QVERIFY(!s.w->cancelButton()->isVisible());
        // The next run goes to the end.
        watch.w = nullptr;
        s.action("tool Расчет ВЛ")->trigger();
        QVERIFY(Lines(s.w->lineReport()).size() > 30);
    }

    void lineCalculationFillsPage4() {
        Session s;
        s.action("tool Расчет ВЛ")->trigger();
        QVERIFY2(s.dlg.shown.empty(), s.dlg.shown.empty() ? "" : s.dlg.shown.front().text.c_str());
        QCOMPARE(s.w->pages()->currentIndex(), int(MainWindow::PageLineResult));
        const QStringList text = Lines(s.w->lineReport());
        QCOMPARE(text[0], QString("       Результаты расчета"));
        // One row per span and obstacle (a span without obstacles has one row).
        int expected = 0;
        for (const qem::TySpan& sp : s.app.net.Line(1).Spans) expected += sp.NPrep > 1 ? sp.NPrep : 1;
        const int rows = text.filter(QRegularExpression("^ \\| +\\S+- *\\S+\\| +\\d+ +\\|")).size();
        QCOMPARE(rows, expected);
        QVERIFY(text.filter(QRegularExpression("^ Макс. допустимый ток, А       - +\\d+$")).size() == 1);
        QCOMPARE(s.w->progressBar()->value(), 0);

        // The menu item only shows the page.
        s.w->pages()->setCurrentIndex(MainWindow::PageLines);
        s.action("menu Расчет ВЛ")->trigger();
        QCOMPARE(s.w->pages()->currentIndex(), int(MainWindow::PageLineResult));
        QCOMPARE(Lines(s.w->lineReport()), text);
    }

    void allowableTemperaturesWriteQemras() {
        Session s;
        s.action("menu Расчет доп. температур всех ВЛ")->trigger();
        QCOMPARE(s.w->pages()->currentIndex(), int(MainWindow::PageLineResult));
        QFile f(s.file("qemras.txt"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const std::string bytes = f.readAll().toStdString();
        // Windows-1251 with CR LF; the tables of the three lines one after the other.
        QVERIFY(bytes.find("\r\n") != std::string::npos);
        const QStringList shown = Lines(s.w->lineReport());
        QCOMPARE(shown.filter(QRegularExpression("^            ВЛ ")).size(), 3);
        QCOMPARE(QString::fromStdString(qem::Cp1251ToUtf8(bytes)).split("\r\n", Qt::SkipEmptyParts).size(),
                 shown.size());
    }

    void seriesTableAndSweep() {
        Session s;
        s.w->pages()->setCurrentIndex(MainWindow::PageSource);
        auto* n1 = s.w->findChild<QSpinBox*>("SpinEditPointsT");
        QCOMPARE(n1->minimum(), 1);
        QCOMPARE(n1->maximum(), 100);
        QCOMPARE(n1->toolTip(), QString("Количество точек расчета"));
        n1->setValue(3);
        s.w->findChild<QLineEdit*>("EditStepT")->setText("5,0");
        s.w->findChild<QPushButton*>("ButtonSeries")->click();
        QVERIFY(QFileInfo::exists(s.file("111.txt")));
        const QStringList t = Lines(s.w->seriesText());
        QCOMPARE(t.size(), 3 + 3 + 1);
        // Air temperature steps of 5 from the span's own.
        const double Tvv = s.app.net.Line(1).Span(1).Tvv;
        for (int k = 0; k < 3; ++k) QCOMPARE(t[3 + k].mid(1, 8).trimmed().toDouble(), Tvv + 5 * k);

        // A step that does not parse stops the command with the position of the bad character.
        QFile::remove(s.file("111.txt"));
        s.w->findChild<QLineEdit*>("EditStepV")->setText("1a");
        s.w->findChild<QPushButton*>("ButtonSeries")->click();
        QCOMPARE(QString::fromStdString(s.dlg.shown.back().text), QString(" Ошибка в позиции 2"));
        QVERIFY(!QFileInfo::exists(s.file("111.txt")));

        // The sweep: 19 x 19 rows, the span's latitude and orientation put back.
        const float fi = s.app.net.Line(1).Span(1).Fi, ang = s.app.net.Line(1).Span(1).AngP;
        s.w->findChild<QPushButton*>("ButtonTest")->click();
        QCOMPARE(Lines(s.w->seriesText()).size(), 3 + 361 + 1);
        QCOMPARE(s.app.net.Line(1).Span(1).Fi, fi);
        QCOMPARE(s.app.net.Line(1).Span(1).AngP, ang);
    }

    // The spreadsheet exports from the tool bar and the menu: the workbooks written into the data
    // folder and handed on, the line report page filled, the import buttons beside them; an
    // export cancelled from its progress leaves no summary.
    void spreadsheetExports() {
        Session s;
        for (const char* t : {"tool Выгрузить в Excel", "tool Выгрузить в Excel(Минимальная выгрузка)",
                              "tool Выгрузить в Excel все линии"})
            QVERIFY2(s.action(t)->isEnabled(), t);
        QVERIFY(s.action("tool Загрузить данные из Excel по одному замеру")->isEnabled());
        QVERIFY(s.action("menu Загрузить данные из Excel  по двум замерам")->isEnabled());
        s.w->chooseLine(2);
        s.action("tool Выгрузить в Excel")->trigger();
        QCOMPARE(s.dlg.documents, std::vector<std::string>{s.file("ПС Заречная ПС Озёрная.xlsx").toStdString()});
        QVERIFY(Lines(s.w->lineReport()).size() > 10);
        s.action("menu Выгрузить в Excel(Минимальная выгрузка)")->trigger();
        QCOMPARE(s.dlg.documents.back(), s.file("2.xlsx").toStdString());
        s.dlg.cancelAfterProgress = true;
        s.action("menu Выгрузить в Excel все линии")->trigger();
        QVERIFY(!QFileInfo::exists(s.file("Все_ВЛ.xlsx")));
        QCOMPARE(QString::fromStdString(s.dlg.shown.back().text),
                 QString("Выгрузка прервана пользователем: книга не записана"));
        s.dlg.cancelAfterProgress = false;
        s.action("tool Выгрузить в Excel все линии")->trigger();
        QVERIFY(QFileInfo::exists(s.file("Все_ВЛ.xlsx")));
        QCOMPARE(s.app.net.CurLine, 2);
        QCOMPARE(s.w->progressBar()->value(), 0);
    }

    // Closing an unchanged network asks whether to leave and writes no network; a changed one is
    // offered for saving instead: "Отмена" stays, "Нет" leaves it unsaved, "Да" saves it. The
    // settings (placement, page, the open file) are stored whenever the program ends.
    void closingAsksToSaveOnlyAChangedNetwork() {
        Session s;
        s.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        s.w->pages()->setCurrentIndex(MainWindow::PageSource);
        const QString net = QString::fromStdString(s.app.net.NetFileName);
        const QDateTime old(QDate(2020, 1, 1), QTime(0, 0));
        {
            QFile f(net);
            QVERIFY(f.open(QIODevice::ReadWrite) && f.setFileTime(old, QFileDevice::FileModificationTime));
        }
        auto written = [&] { return QFileInfo(net).lastModified() != old; };
        // "No" keeps the program open and writes nothing.
        s.dlg.answers = {qem::Answer::No};
        QVERIFY(!s.w->close());
        QCOMPARE(QString::fromStdString(s.dlg.shown.back().text),
                 QString(" Вы действительно хотите выйти из программы? "));
        s.dlg.answers = {qem::Answer::Yes};
        QVERIFY(s.w->close());
        QVERIFY(!written());
        qem::FolderMemory folder;
        qem::Settings st = qem::LoadSettings(s.app.data.dataDir, folder, false);
        QCOMPARE(st.WinPage, int(MainWindow::PageSource));
        QCOMPARE(st.WinWidth, s.w->geometry().width());
        QCOMPARE(st.WinHeight, s.w->geometry().height());
        QCOMPARE(QString::fromStdString(qem::FieldText(st.NetFileName)), net);

        // A changed network: the save question alone.
        s.w->show();
        s.w->lineList()->item(0, 2)->setText("Новый конец");
        s.dlg.shown.clear();
        s.dlg.answers = {qem::Answer::Cancel};
        QVERIFY(!s.w->close());
        QCOMPARE(s.dlg.Texts(), std::vector<std::string>{"Сохранить изменения в файле «Пример сети.qem»?"});
        QCOMPARE(s.dlg.shown.back().buttons, qem::Buttons::YesNoCancel);
        QVERIFY(!written());
        s.dlg.answers = {qem::Answer::No};
        QVERIFY(s.w->close());
        QCOMPARE(s.dlg.shown.size(), std::size_t(2));
        QVERIFY(!written());
        QVERIFY(qem::LoadSettings(s.app.data.dataDir, folder, false).WinWidth > 0);
        s.w->show();
        s.dlg.answers = {qem::Answer::Yes};
        QVERIFY(s.w->close());
        QVERIFY(written());
        qem::Network back;
        back.NetFileName = s.app.net.NetFileName;
        qem::ReadNetwork(back);
        QCOMPARE(QString::fromStdString(qem::Cp1251ToUtf8(back.Line(1).To.str())), QString("Новый конец"));
    }

    void closingKeepsTheWindowWhenTheNetworkCannotBeSaved() {
        Session s;
        s.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        s.app.net.NetFileName = s.file("нет такой папки/сеть.qem").toStdString();
        s.w->lineList()->item(0, 2)->setText("Некуда");
        // "Да" to the save question, then no file chosen for the network: the program stays.
        s.dlg.answers = {qem::Answer::Yes};
        QVERIFY(!s.w->close());
        QVERIFY(s.w->isVisible());
        QVERIFY(QString::fromStdString(s.dlg.shown.back().text).contains("Сеть не сохранена"));

        // A network with edits and no file: offered for saving; Cancel keeps the program open,
        // Yes writes it into the file chosen and the program ends.
        s.app.net.NetFileName.clear();
        s.w->lineList()->item(0, 2)->setText("Без файла");
        s.dlg.answers = {qem::Answer::Cancel};
        QVERIFY(!s.w->close());
        QCOMPARE(QString::fromStdString(s.dlg.shown.back().text), QString("Сохранить изменения в новом файле?"));
        s.dlg.answers = {qem::Answer::Yes, qem::Answer::Yes};
        s.dlg.files = {s.file("Спасённая.qem").toStdString()};
        QVERIFY(s.w->close());
        QCOMPARE(qem::Cp1251ToUtf8(qem::ReadNetwork(s.file("Спасённая.qem").toStdString())[0].To.str()),
                 std::string("Без файла"));
    }

    void normSwitches() {
        Session s;
        const float ground7 = s.app.data.norms.NormGround[4][0];
        s.action("tool ПУЭ 6")->trigger();
        QVERIFY(s.app.data.usePue6);
        QCOMPARE(int(s.app.net.UsePUE6), 1);
        QCOMPARE(int(s.app.net.UsePUE7), 0);
        QVERIFY(s.app.data.load.normsRead);
        s.action("tool ПУЭ 7")->trigger();
        QVERIFY(!s.app.data.usePue6);
        QCOMPARE(s.app.data.norms.NormGround[4][0], ground7);
    }

    void aModifiedNetworkIsOfferedForSavingBeforeAnotherReplacesIt() {
        // The commands that put another network in place of the open one, each with the three
        // answers to "Сохранить изменения в файле «Пример сети.qem»?".
        struct Command {
            const char* what;
            std::function<void(Session&)> run;
        };
        const std::vector<Command> commands = {
            {"another file row", [](Session& s) { s.w->filesGrid()->setCurrentCell(1, 0); }},
            {"menu Открыть",
             [](Session& s) {
                 s.dlg.files = {s.file("Вторая сеть.qem").toStdString()};
                 s.action("menu Открыть")->trigger();
             }},
            {"menu Новый",
             [](Session& s) {
                 s.dlg.files = {s.file("Новая.qem").toStdString()};
                 s.action("menu Новый")->trigger();
             }},
            {"tool Новый",
             [](Session& s) {
                 s.dlg.files = {s.file("Новая.qem").toStdString()};
                 s.action("tool Новый")->trigger();
             }},
        };
        for (const Command& c : commands)
            for (qem::Answer answer : {qem::Answer::Yes, qem::Answer::No, qem::Answer::Cancel}) {
                const QString what = QString("%1, answer %2").arg(c.what).arg(int(answer));
                Session s;
                QVERIFY(QFile::copy(s.file("Пример сети.qem"), s.file("Вторая сеть.qem")));
                s.w->runFolderRecheck();
                QCOMPARE(s.w->filesGrid()->rowCount(), 2);
                // Whatever order the folder lists them in, row 0 is the open file from now on.
                const QString sample = s.file("Пример сети.qem");
                if (s.w->filesGrid()->currentRow() != 0) {
                    s.w->filesGrid()->setCurrentCell(0, 0);
                    std::swap(s.app.LineFiles[0], s.app.LineFiles[1]);
                }
                s.app.net.NetFileName = sample.toStdString();
                QVERIFY(!s.app.net.Modified);
                s.w->lineList()->item(0, 2)->setText("Новый конец");
                QVERIFY(s.app.net.Modified);
                s.dlg.shown.clear();
                s.dlg.answers = {answer};
                c.run(s);
                QVERIFY2(!s.dlg.shown.empty(), qPrintable(what));
                QCOMPARE(QString::fromStdString(s.dlg.shown[0].text),
                         QString("Сохранить изменения в файле «Пример сети.qem»?"));
                QCOMPARE(s.dlg.shown[0].buttons, qem::Buttons::YesNoCancel);
                qem::Network disk;
                disk.NetFileName = sample.toStdString();
                qem::ReadNetwork(disk);
                const QString onDisk = QString::fromStdString(qem::Cp1251ToUtf8(disk.Line(1).To.str()));
                if (answer == qem::Answer::Cancel) {
                    // Nothing replaced or written; the files grid still shows the open file.
                    QCOMPARE(QString::fromStdString(s.app.net.NetFileName), sample);
                    QCOMPARE(s.w->lineList()->item(0, 2)->text(), QString("Новый конец"));
                    QVERIFY2(s.app.net.Modified, qPrintable(what));
                    QVERIFY(onDisk != "Новый конец");
                    QCOMPARE(s.w->filesGrid()->currentRow(), 0);
                } else {
                    QVERIFY2(QString::fromStdString(s.app.net.NetFileName) != sample, qPrintable(what));
                    QVERIFY(!s.app.net.Modified);
                    QCOMPARE(onDisk == "Новый конец", answer == qem::Answer::Yes);
                }
            }
    }

    void laterActivationsListTheFolderAndAskBeforeReReadingAChangedFile() {
        Session s;
        s.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        s.w->lineList()->item(0, 2)->setText("Новый конец");
        QVERIFY(QFile::copy(s.file("Пример сети.qem"), s.file("Вторая сеть.qem")));
        // An activation lists the new file; the open network keeps its edit.
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(s.w.get(), &activate);
        QTRY_COMPARE(s.w->filesGrid()->rowCount(), 2);
        QCOMPARE(s.w->filesGrid()->item(s.w->filesGrid()->currentRow(), 0)->text(), kSample);
        QCOMPARE(s.w->lineList()->item(0, 2)->text(), QString("Новый конец"));
        QVERIFY(s.dlg.shown.empty());
        // Another program writes the open file: asked; No keeps the network in memory.
        {
            std::vector<qem::TyLine> lines = qem::ReadNetwork(s.app.net.NetFileName);
            lines.pop_back();
            qem::WriteNetwork(s.app.net.NetFileName, lines);
        }
        s.dlg.answers = {qem::Answer::No};
        s.w->runFolderRecheck();
        QCOMPARE(s.dlg.shown.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(s.dlg.shown[0].text)
                    .startsWith("Файл «Пример сети.qem» изменён другой программой."));
        QCOMPARE(s.w->lineList()->rowCount(), 3);
        QCOMPARE(s.w->lineList()->item(0, 2)->text(), QString("Новый конец"));
    }

    void spanButtonsOfTheSpanPage() {
        Session s;
        s.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        s.w->pages()->setCurrentIndex(MainWindow::PageSpans);
        auto* spans = s.w->findChild<QListWidget*>("ListBoxSpRp");
        auto* lpr = s.w->findChild<QLineEdit*>("EditLpr");
        auto button = [&](const char* hint) {
            return s.w->findChild<QToolButton*>(QString("span ") + QString::fromUtf8(hint));
        };
        for (const char* hint : {"В начало списка", "Предыдущий пролет", "Следующий пролет", "В конец списка",
                                 "Добавить пролет", "Вставить пролет в список", "Удалить пролет из списка"}) {
            QVERIFY2(button(hint) && button(hint)->isVisible(), hint);
            QCOMPARE(button(hint)->toolTip(), QString::fromUtf8(hint));
        }
        qem::TyLine& line = s.app.net.Line(1);
        const int n = line.NSpans();
        const std::vector<qem::TySpan> before = line.Spans;
        // Moving, and nothing at the ends.
        button("Предыдущий пролет")->click();
        QCOMPARE(s.app.net.CurSpanOf(1), 1);
        button("В конец списка")->click();
        QCOMPARE(s.app.net.CurSpanOf(1), n);
        QCOMPARE(spans->currentRow(), n - 1);
        QCOMPARE(lpr->text(), QString::number(line.Span(n).Lpr, 'f', 2));
        button("Следующий пролет")->click();
        QCOMPARE(s.app.net.CurSpanOf(1), n);
        button("В начало списка")->click();
        button("Следующий пролет")->click();
        QCOMPARE(s.app.net.CurSpanOf(1), 2);
        QCOMPARE(spans->currentRow(), 1);
        QVERIFY(!s.app.net.Modified);
        // A second span for a new network: adding puts a new span at the end, current.
        button("Добавить пролет")->click();
        QCOMPARE(line.NSpans(), n + 1);
        QCOMPARE(spans->count(), n + 1);
        QCOMPARE(spans->currentRow(), n);
        QVERIFY(s.app.net.Modified);
        // Inserting at span 2: the old span 2 moves down.
        button("В начало списка")->click();
        button("Следующий пролет")->click();
        button("Вставить пролет в список")->click();
        QCOMPARE(line.NSpans(), n + 2);
        QCOMPARE(spans->currentRow(), 1);
        // (Showing a span derives its reference state again: compare what the user typed.)
        QVERIFY(line.Span(3).Nop1 == before[1].Nop1 && line.Span(3).Lpr == before[1].Lpr);
        QVERIFY(line.Span(2).Nop1.empty());
        // Deleting asks; Cancel keeps the span, Yes deletes it.
        s.dlg.answers = {qem::Answer::Cancel};
        button("Удалить пролет из списка")->click();
        QCOMPARE(QString::fromStdString(s.dlg.shown.back().text),
                 QString("Вы действительно хотите удалить выбранный элемент"));
        QCOMPARE(s.dlg.shown.back().buttons, qem::Buttons::YesCancel);
        QCOMPARE(line.NSpans(), n + 2);
        s.dlg.answers = {qem::Answer::Yes};
        button("Удалить пролет из списка")->click();
        QCOMPARE(line.NSpans(), n + 1);
        QCOMPARE(spans->count(), n + 1);
        QVERIFY(line.Span(2).Nop1 == before[1].Nop1 && line.Span(2).Lpr == before[1].Lpr);
        QCOMPARE(spans->currentRow(), 1);
        QCOMPARE(lpr->text(), QString::number(before[1].Lpr, 'f', 2));
    }

    void terminalEquipmentIsCopiedBetweenLines() {
        Session s;
        s.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        auto* copy = s.w->findChild<QPushButton*>("ButtonCopyKO");
        auto* paste = s.w->findChild<QPushButton*>("ButtonPasteKO");
        QCOMPARE(copy->text(), QString("Копировать"));
        QCOMPARE(paste->text(), QString("Вставить"));
        qem::Network& net = s.app.net;
        // Line 3 is given an equipment set of its own.
        net.Line(3).KOSwitch1.FullName.assign(qem::Utf8ToCp1251("Особый выключатель"));
        net.Line(3).CabDDTN = 777;
        net.Line(3).NBus2 = 4;
        const qem::TyLine three = net.Line(3);
        // Pasting before anything was copied changes nothing.
        ClickCell(s.w->lineList(), 0, 1);
        paste->click();
        QVERIFY(!net.Modified);
        // Copy line 3, paste into line 1: the equipment and cable values, not the spans or ends.
        ClickCell(s.w->lineList(), 2, 1);
        copy->click();
        ClickCell(s.w->lineList(), 0, 1);
        QCOMPARE(net.CurLine, 1);
        const std::vector<qem::TySpan> spans = net.Line(1).Spans;
        const auto from = net.Line(1).From;
        paste->click();
        const qem::TyLine& one = net.Line(1);
        QVERIFY(one.KOSwitch1 == three.KOSwitch1);
        QVERIFY(one.KOCT2 == three.KOCT2);
        QVERIFY(one.Bus3 == three.Bus3);
        QCOMPARE(one.CabDDTN, 777.0f);
        QCOMPARE(one.NBus2, 4);
        QVERIFY(one.Spans == spans);
        QVERIFY(one.From == from);
        QVERIFY(net.Modified);
        // The line list shows the pasted equipment in row 1.
        QCOMPARE(s.w->lineList()->item(0, 8)->text(), QString("Особый выключатель"));
        QCOMPARE(s.w->lineList()->item(0, 18)->text(), s.w->lineList()->item(2, 18)->text());
    }

    void theNormSwitchRefillsAnOpenCatalogWindow() {
        Session s;
        s.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        s.action("menu Допустимые габариты")->trigger();
        auto* cat = s.w->findChild<QDialog*>("FormCat");
        QVERIFY(cat && cat->isVisible());
        auto* ground = cat->findChild<QTableWidget*>("StringGridNorms0");
        // Row "Населенная", column "500кВ".
        QCOMPARE(ground->item(1, 0)->text(), QString("Населенная"));
        QCOMPARE(ground->item(0, 2)->text(), QString("500кВ"));
        const QString pue7 = ground->item(1, 2)->text();
        s.action("tool ПУЭ 6")->trigger();
        QVERIFY(s.app.data.usePue6);
        const QString pue6 = QString::fromStdString(qem::Format("%4.1f", s.app.data.norms.NormGround[1][0]));
        QVERIFY(pue6 != pue7);
        QCOMPARE(ground->item(1, 2)->text(), pue6);
        QVERIFY(cat->findChild<QRadioButton*>("RadioCatPUE6")->isChecked());
        // The catalog window's own switch moves the main window's switch with it.
        cat->findChild<QRadioButton*>("RadioCatPUE7")->click();
        QVERIFY(!s.app.data.usePue6);
        QVERIFY(s.action("tool ПУЭ 7")->isChecked());
        QCOMPARE(ground->item(1, 2)->text(), pue7);
        cat->close();
    }

    void theObstacleEditorDoesNotBlockTheMainWindow() {
        Session s;
        s.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        s.w->pages()->setCurrentIndex(MainWindow::PageSpans);
        auto* spans = s.w->findChild<QListWidget*>("ListBoxSpRp");
        const qem::TyLine& line = s.app.net.Line(1);
        int with = 0, without = 0;
        for (int k = 1; k <= line.NSpans(); ++k) {
            int& first = qem::ObstacleRows(line.Span(k)) > 0 ? with : without;
            if (!first) first = k;
        }
        QVERIFY(with > 0 && without > 0);
        spans->setCurrentRow(with - 1);
        s.w->findChild<QPushButton*>("ButtonObstacles")->click();
        // Open, not modal, at the main window's left edge below its menu, tool bar and page
        // tabs, which it leaves in view; the main window takes input.
        auto* editor = qobject_cast<QDialog*>(s.w->obstacleEditor());
        QVERIFY(editor && editor->isVisible());
        QVERIFY(!editor->isModal());
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(editor->pos().x(), s.w->pos().x());
        auto global = [](QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); };
        const QRect tabs = global(s.w->pages()->tabBar());
        QVERIFY(!editor->frameGeometry().intersects(global(s.w->menuBar())));
        QVERIFY(!editor->frameGeometry().intersects(tabs));
        QVERIFY(editor->frameGeometry().top() >= tabs.bottom());
        QVERIFY(editor->frameGeometry().top() < tabs.bottom() + 20);
        auto* grid = editor->findChild<QTableWidget*>("StringGridObstacles");
        QCOMPARE(grid->rowCount(), qem::ObstacleRows(line.Span(with)));
        // Another span chosen in the main window: the editor shows that one.
        spans->setCurrentRow(without - 1);
        QCOMPARE(s.app.net.CurSpanOf(1), without);
        QCOMPARE(grid->rowCount(), 0);
        QVERIFY(editor->findChild<QLabel*>("LabelSpan")
                    ->text()
                    .contains(QString::fromStdString(qem::SpanListText(line.Span(without))).simplified()));
        // An obstacle added in the editor appears in the span page's selector at once.
        editor->findChild<QPushButton*>("Добавить")->click();
        grid->item(0, 0)->setText("10");
        auto* number = s.w->findChild<QComboBox*>("ComboBoxNPrep");
        QCOMPARE(number->count(), 1);
        QVERIFY(s.app.net.Modified);
        // Showing the same span again leaves a cell being typed in as it is.
        grid->editItem(grid->item(0, 2));
        auto typing = [grid] {
            for (QWidget* w : grid->viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
                if (w->isVisible()) return true;
            return false;
        };
        QVERIFY(typing());
        s.w->showSpanPage();
        QVERIFY(typing());
        // The span deleted in the main window: the span now at its place is shown.
        const qem::TySpan next = line.Span(without + 1);
        s.dlg.answers = {qem::Answer::Yes};
        s.w->findChild<QToolButton*>("span Удалить пролет из списка")->click();
        QCOMPARE(s.app.net.CurSpanOf(1), without);
        QCOMPARE(grid->rowCount(), qem::ObstacleRows(next));
        QCOMPARE(grid->rowCount() > 0 ? grid->item(0, 0)->text() : QString(),
                 qem::ObstacleRows(next) > 0 ? QString::fromStdString(qem::ObstacleCellText(next, 1, 0)) : QString());
        // Closing saves the network.
        editor->close();
        QVERIFY(!s.app.net.Modified);
        QVERIFY(!s.w->obstacleEditor());
    }

    void laptopScreenKeepsTheProgressBarInView() {
        Session s;
        s.w->resize(1266, 668);  // a 1366 x 768 screen less the default margin
        s.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        QProgressBar* bar = s.w->progressBar();
        QCOMPARE(bar->parentWidget(), static_cast<QWidget*>(s.w->statusBar()));
        QVERIFY(bar->isVisible());
        QVERIFY(s.w->rect().contains(QRect(bar->mapTo(s.w.get(), QPoint(0, 0)), bar->size())));
        // The measurement choice is captioned.
        auto* mode = s.w->findChild<QGroupBox*>("GroupBoxZamerMode");
        QCOMPARE(mode->title(), QString("Построение пролёта"));
        QCOMPARE(mode->findChildren<QRadioButton*>().size(), 2);
    }

    void placementFromTheSettings() {
        Session s;
        s.app.data.settings.WinLeft = 30;
        s.app.data.settings.WinTop = 40;
        s.app.data.settings.WinWidth = 900;
        s.app.data.settings.WinHeight = 600;
        s.app.data.settings.WinPage = MainWindow::PageLineResult;
        s.w->applyPlacement();
        QCOMPARE(s.w->geometry(), QRect(30, 40, 900, 600));
        QCOMPARE(s.w->pages()->currentIndex(), int(MainWindow::PageLineResult));
    }
};

QTEST_MAIN(TestMainPages)
#include "test_main_pages.moc"

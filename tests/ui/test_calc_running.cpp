// The windows while a long calculation runs on its worker thread: the import windows, the
// catalog window (its "ПУЭ 6"/"ПУЭ 7" switch included) and the obstacle editor take no edits,
// so the calculation ends with the network, the norms and the results it started from; what
// has to happen meanwhile (the editor's save on closing, the folder check of an activation)
// happens once the run has ended.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "lines/qt/MainWindow.h"
#include "lines/qt/WeatherRatingPage.h"
#include "model/AppData.h"
#include "model/Cp1251.h"
#include "model/NetworkFile.h"
#include "platform/FileSystem.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Workbook.h"
#include "session/qt/ImportWindows.h"
#include "tests/ui/MainWindowSession.h"

using qem::ui::MainWindow;

namespace {

// Dialogs that run `during` once, at the given progress step of the calculation: the worker
// waits in that step while the user's clicks are handled on the window's thread.
struct Interrupting : qem::ScriptedDialogs {
    int at = 3;
    std::function<void()> during;
    void Progress(int position, int max) override {
        qem::ScriptedDialogs::Progress(position, max);
        if (position == at && during) std::exchange(during, nullptr)();
    }
};

struct Session : MainWindowSession<Interrupting> {
    Session() { w->show(); }
    // The cell texts of a workbook's first sheet, row by row (the bytes carry the time of writing).
    QStringList cells(const QString& name) const {
        const qem::Workbook wb = qem::Workbook::Open(file(name.toUtf8().constData()).toStdString());
        const qem::Sheet& sheet = wb.FirstSheet();
        const qem::CellAddress last = sheet.LastUsedCell();
        QStringList out;
        for (int r = 1; r <= last.row; ++r) {
            QString row;
            for (int c = 1; c <= last.col; ++c) row += QString::fromStdString(sheet.Text(r, c)) + '|';
            out << row;
        }
        return out;
    }
    QByteArray bytes(const QString& path) const {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The workbooks in the data folder.
    QStringList workbooks() const { return QDir(dir.path()).entryList({"*.xlsx"}, QDir::Files, QDir::Name); }
};

QStringList Lines(const QTextEdit* box) {
    QStringList out;
    for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next()) out << b.text();
    return out;
}

}  // namespace

class TestCalcRunning : public QObject {
    Q_OBJECT
private slots:
    // "Подтвердить" of an import and the catalog's norm switch and "Удалить" pressed while "Все
    // ВЛ" runs change nothing: the export writes what a run without them writes.
    void importAndCatalogTakeNoEditsDuringAnExport() {
        Session s;
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        const QStringList before = s.workbooks();
        // The export as it runs undisturbed.
        s.action("tool Выгрузить в Excel все линии")->trigger();
        const std::vector<qem::TyLine> lines = s.app.net.Lines;
        const QStringList report = Lines(s.w->lineReport());
        QMap<QString, QStringList> written;
        for (const QString& f : s.workbooks())
            if (!before.contains(f)) written[f] = s.cells(f);
        QCOMPARE(written.size(), 4);  // three lines and the summary
        for (const QString& f : written.keys()) QFile::remove(s.file(f.toUtf8().constData()));
        s.w->lineReport()->clear();

        // An import window with a workbook read and a new line asked for, and the catalog window.
        qem::ui::TFormImport* import = s.w->importWindow(1);
        s.w->openImport(1, false);
        QVERIFY(import->load(QEM_SOURCE_DIR "/tests/core/data/import/one_point.xlsx"));
        import->addLine();
        import->setMode(qem::ImportMode::AppendToNetwork);
        import->fromEdit()->setText("ПС Новая");
        import->toEdit()->setText("ПС Дальняя");
        s.action("menu Провода")->trigger();
        auto* cat = s.w->findChild<QDialog*>("FormCat");
        QVERIFY(cat && cat->isVisible());
        auto* wires = cat->findChild<QTableWidget*>("StringGridWires");
        const int nWires = s.app.data.wires.NWires;
        const qem::Norms norms = s.app.data.norms;

        bool importLocked = false, catalogLocked = false, shortcutsOff = false;
        s.dlg.answers = {qem::Answer::Yes, qem::Answer::Yes};  // whatever the catalog would ask
        s.dlg.during = [&] {
            importLocked = !import->confirmButton()->isEnabled();
            catalogLocked = !cat->findChild<QPushButton*>("ButtonWireDelete")->isEnabled();
            shortcutsOff = !s.action("menu Печать…")->isEnabled() && !s.action("tool ПУЭ 6")->isEnabled();
            QTest::mouseClick(import->confirmButton(), Qt::LeftButton);
            cat->findChild<QTabWidget*>("PageControlCat")->setCurrentIndex(1);
            QTest::mouseClick(cat->findChild<QRadioButton*>("RadioCatPUE6"), Qt::LeftButton);
            cat->findChild<QTabWidget*>("PageControlCat")->setCurrentIndex(0);
            wires->setCurrentCell(0, 0);
            QTest::mouseClick(cat->findChild<QPushButton*>("ButtonWireDelete"), Qt::LeftButton);
        };
        s.action("tool Выгрузить в Excel все линии")->trigger();
        QVERIFY(!s.dlg.during);  // the clicks came while the export ran
        QVERIFY(importLocked);
        QVERIFY(catalogLocked);
        QVERIFY(shortcutsOff);

        // The network, the norms and the catalog as they were; the same workbooks, cell by cell.
        QCOMPARE(s.app.net.NLines(), int(lines.size()));
        QVERIFY(s.app.net.Lines == lines);
        QVERIFY(!s.app.data.usePue6);
        QVERIFY(std::memcmp(&s.app.data.norms, &norms, sizeof norms) == 0);
        QCOMPARE(s.app.data.wires.NWires, nWires);
        QCOMPARE(Lines(s.w->lineReport()), report);
        QStringList now;
        for (const QString& f : s.workbooks())
            if (!before.contains(f)) now << f;
        QCOMPARE(now, written.keys());
        for (const QString& f : now) QVERIFY2(s.cells(f) == written[f], qPrintable(f));

        // Once the run has ended the windows take edits again.
        QVERIFY(import->confirmButton()->isEnabled());
        QVERIFY(cat->findChild<QPushButton*>("ButtonWireDelete")->isEnabled());
        QVERIFY(import->confirm());
        QCOMPARE(s.app.net.NLines(), int(lines.size()) + 1);
    }

    // "Рассчитать" of the weather window while the line calculation runs copies nothing of the
    // network the worker writes and says why.
    void theWeatherWindowWaitsForARunningCalculation() {
        Session s;
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        s.action("menu Расчёт по погоде")->trigger();
        auto* page = s.w->findChild<qem::ui::WeatherRatingPage*>();
        QVERIFY(page);
        s.dlg.during = [&] {
            s.dlg.shown.clear();
            page->calculate();
        };
        s.action("tool Расчет ВЛ")->trigger();
        QVERIFY(!s.dlg.during);
        QVERIFY(page->results().empty());
        QCOMPARE(s.dlg.Texts().front(), std::string(qem::kMsgCalcRunning));
    }

    // The obstacle editor closed while the line calculation runs: the network is written when
    // the calculation has ended, not while the worker is in it.
    void theObstacleEditorClosedDuringARunSavesAfterIt() {
        Session s;
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        s.w->pages()->setCurrentIndex(MainWindow::PageSpans);
        s.w->openObstacles();
        auto* editor = qobject_cast<QDialog*>(s.w->obstacleEditor());
        QVERIFY(editor);
        s.w->lineList()->item(0, 2)->setText("Изменённый конец");  // an edit not yet saved
        const QString net = QString::fromStdString(s.app.net.NetFileName);
        const QByteArray onDisk = s.bytes(net);
        bool editorLocked = false, writtenDuring = true;
        s.dlg.during = [&] {
            editorLocked = !editor->isEnabled();
            editor->close();
            writtenDuring = s.bytes(net) != onDisk;
        };
        s.action("tool Расчет ВЛ")->trigger();
        QVERIFY(!s.dlg.during);
        QVERIFY(editorLocked);
        QVERIFY(!writtenDuring);
        QVERIFY(s.bytes(net) != onDisk);  // saved once the calculation ended
        QVERIFY(!s.app.net.Modified);
        QCOMPARE(QString::fromStdString(qem::Cp1251ToUtf8(qem::ReadNetwork(net.toStdString())[0].To.str())),
                 QString("Изменённый конец"));
    }

    // The main window activated while a calculation runs (the user came back from another
    // program that rewrote the open file): the folder check asks about the file once the run
    // has ended.
    void anActivationDuringARunChecksTheFolderAfterIt() {
        Session s;
        QVERIFY(QTest::qWaitForWindowExposed(s.w.get()));
        const std::string net = s.app.net.NetFileName;
        s.dlg.during = [&] {
            std::vector<qem::TyLine> other = qem::ReadNetwork(net);
            other[0].To.assign("X");
            qem::WriteNetwork(net, other);
            QEvent activate(QEvent::WindowActivate);
            QApplication::sendEvent(s.w.get(), &activate);
            QTest::qWait(20);
        };
        s.action("tool Расчет ВЛ")->trigger();
        QVERIFY(!s.dlg.during);
        QTRY_VERIFY(!s.dlg.shown.empty());
        QVERIFY2(QString::fromStdString(s.dlg.shown.back().text).contains("изменён другой программой"),
                 s.dlg.shown.back().text.c_str());
    }
};

QTEST_MAIN(TestCalcRunning)
#include "test_calc_running.moc"

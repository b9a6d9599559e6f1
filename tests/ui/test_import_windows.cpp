// The two spreadsheet import windows offscreen, on a copy of the shipped data folder with the
// sample network as the line folder: the button states of a load, the visibility rules of the
// option groups, "Подтвердить" in each mode, the template, and the main window's wiring (menu,
// and the folder check's import branch of an empty folder).
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "lines/qt/MainWindow.h"
#include "model/AppData.h"
#include "model/Cp1251.h"
#include "model/NetworkFile.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Workbook.h"
#include "session/qt/ImportWindows.h"

using namespace qem;
using namespace qem::ui;

namespace {

std::string Fixture(const char* name) { return std::string(QEM_SOURCE_DIR "/tests/core/data/import/") + name; }

bool Shown(const QWidget* w) { return !w->isHidden(); }

}  // namespace

class TestImportWindows : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    AppState app_;
    ScriptedDialogs dlg_;
    int imports_ = 0;
    bool lastNew_ = false;

    std::string path(const char* name) const { return dir_->filePath(QString::fromUtf8(name)).toStdString(); }
    std::unique_ptr<TFormImport> form(ImportPoints p = ImportPoints::One) {
        return std::make_unique<TFormImport>(app_, dlg_, p, [this](bool isNew) {
            ++imports_;
            lastNew_ = isNew;
        });
    }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        const QDir shipped(QStringLiteral(QEM_BIN_DIR "/data"));
        for (const QString& f : shipped.entryList(QDir::Files))
            if (f != "qem.cfg" && f != "LODL.txt") QFile::copy(shipped.filePath(f), dir_->filePath(f));
        app_ = AppState{};
        app_.data = LoadAll(std::filesystem::u8path(dir_->path().toStdString()), false, nullptr, true);
        app_.data.folder.LineFolder = dir_->path().toStdString();
        app_.net.NetFileName = path("Пример сети.qem");
        app_.net.Lines = ReadNetwork(app_.net.NetFileName);
        app_.net.CurLine = 2;
        dlg_ = ScriptedDialogs{};
        imports_ = 0;
    }

    void captionsAndGrid() {
        auto one = form(ImportPoints::One), two = form(ImportPoints::Two);
        QCOMPARE(one->windowTitle(), QStringLiteral("Импорт данных из Excel по 1 точке"));
        QCOMPARE(two->windowTitle(), QStringLiteral("Импорт данных из Excel по 2 точкам"));
        QCOMPARE(two->modeButton(ImportMode::AppendToNetwork)->text(),
                 QStringLiteral("Добавит к существующей сети ВЛ"));
        QCOMPARE(two->modeButton(ImportMode::AppendToLine)->text(), QStringLiteral("Добавит к выбранной линии"));
        QCOMPARE(one->modeButton(ImportMode::AppendToLine)->text(), QStringLiteral("Добавить к выбранной линии"));
        QCOMPARE(one->grid()->columnCount(), 29);
        QCOMPARE(two->grid()->columnCount(), 33);
        QCOMPARE(one->voltageBox()->currentText(), QStringLiteral("110"));
        QVERIFY(one->modeButton(ImportMode::NewNetwork)->isChecked());

        // The grid shows the sheet's rows with their own row numbers.
        QVERIFY(one->load(Fixture("one_point.xlsx")));
        QCOMPARE(one->grid()->rowCount(), 7);
        QCOMPARE(one->grid()->verticalHeaderItem(0)->text(), QStringLiteral("3"));
        QCOMPARE(one->grid()->item(0, 2)->text(), QStringLiteral("АС/240/32"));
        QCOMPARE(one->grid()->item(2, 0)->text(), QStringLiteral("25.06.2012 11:15"));  // a date cell
        QCOMPARE(one->countLabel()->text(), QStringLiteral("Загруженно данных: 4"));
        QCOMPARE(one->fileLabel()->text(),
                 "Последний загруженный файл " + QString::fromStdString(Fixture("one_point.xlsx")));
        QCOMPARE(one->fileNameEdit()->text(), QStringLiteral("one_point"));
    }

    // A load that fails leaves loading open and adding closed; a good one the other way round;
    // "Отменить" goes back.
    void buttonStatesOfALoad() {
        auto f = form();
        QVERIFY(f->loadButton()->isEnabled());
        QVERIFY(!f->addLineButton()->isEnabled());
        QVERIFY(!Shown(f->confirmButton()) && !Shown(f->cancelButton()) && !Shown(f->newLineGroup()));

        QVERIFY(!f->load(Fixture("error_terrain.xlsx")));
        QCOMPARE(dlg_.Texts().size(), std::size_t(1));
        QVERIFY(QString::fromStdString(dlg_.Texts()[0]).startsWith("Тип местности не найден. Ячейка 3-4"));
        QVERIFY(f->loadButton()->isEnabled());
        QVERIFY(!f->addLineButton()->isEnabled());
        QCOMPARE(f->grid()->rowCount(), 0);
        QVERIFY(f->countLabel()->text().isEmpty());
        QVERIFY(!f->table());

        QVERIFY(f->load(Fixture("one_point.xls")));
        QVERIFY(!f->loadButton()->isEnabled());
        QVERIFY(f->addLineButton()->isEnabled());
        QVERIFY(Shown(f->cancelButton()));
        QVERIFY(!Shown(f->confirmButton()));
        f->addLine();
        QVERIFY(Shown(f->newLineGroup()) && Shown(f->confirmButton()));

        f->cancel();
        QVERIFY(f->loadButton()->isEnabled());
        QVERIFY(!f->addLineButton()->isEnabled());
        QVERIFY(!Shown(f->newLineGroup()) && !Shown(f->confirmButton()) && !Shown(f->cancelButton()));
        QCOMPARE(f->grid()->rowCount(), 0);
        QVERIFY(f->fileLabel()->text().isEmpty());
        QVERIFY(!f->table());
    }

    // "начало и конец линии" is hidden for the selected line and for a workbook of several lines,
    // which also closes "Добавить к выбранной линии"; clearing the box opens both again.
    void visibilityOfTheOptionGroups() {
        auto f = form();
        QVERIFY(f->load(Fixture("one_point.xlsx")));
        f->addLine();
        QVERIFY(Shown(f->namesGroup()));
        QVERIFY(f->fileNameEdit()->isEnabled());
        f->setMode(ImportMode::AppendToLine);
        QVERIFY(!Shown(f->namesGroup()));
        QVERIFY(!f->fileNameEdit()->isEnabled());
        QCOMPARE(f->voltageBox()->currentIndex(), int(app_.net.Line(2).Uvl));  // the line's own class
        f->setMode(ImportMode::AppendToNetwork);
        QVERIFY(Shown(f->namesGroup()));

        f->setMode(ImportMode::AppendToLine);
        // The workbook is read again as several lines, which it is not: said, and loading opens.
        f->multiBox()->setChecked(true);
        QVERIFY(!f->table());
        QVERIFY(QString::fromStdString(dlg_.Texts().back()).contains("нет строки с названием линии"));
        QVERIFY(!Shown(f->newLineGroup()));
        QVERIFY(f->load(Fixture("multi_line.xlsx")));
        f->addLine();
        QVERIFY(f->table() && f->table()->multi);
        QVERIFY(Shown(f->newLineGroup()));
        QVERIFY(!Shown(f->namesGroup()));
        QVERIFY(!f->modeButton(ImportMode::AppendToLine)->isEnabled());
        QVERIFY(f->modeButton(ImportMode::NewNetwork)->isChecked());
        f->setMode(ImportMode::AppendToNetwork);
        QVERIFY(!Shown(f->namesGroup()));
        // Cleared: a workbook of several lines read as one line is refused the same way.
        f->multiBox()->setChecked(false);
        QVERIFY(!f->table());
        QVERIFY(QString::fromStdString(dlg_.Texts().back()).contains("«В файле Excel несколько линий»"));
        QVERIFY(f->modeButton(ImportMode::AppendToLine)->isEnabled());
        QVERIFY(f->modeButton(ImportMode::AppendToNetwork)->isEnabled());
        QVERIFY(f->load(Fixture("one_point.xlsx")));
        f->addLine();
        QVERIFY(Shown(f->namesGroup()));
    }

    void confirmNewNetwork() {
        auto f = form();
        QVERIFY(f->load(Fixture("one_point.xlsx")));
        f->addLine();
        f->fileNameEdit()->setText("Импорт");
        f->fromEdit()->setText("ПС Северная");
        f->toEdit()->setText("ПС Южная");
        f->voltageBox()->setCurrentIndex(3);
        // Unsaved edits of the open network are offered for saving first; Cancel stops.
        app_.net.MarkModified();
        const auto before = app_.net.Lines;
        dlg_.answers = {Answer::Cancel};
        QVERIFY(!f->confirm());
        QCOMPARE(dlg_.Texts().back(), std::string("Сохранить изменения в файле «Пример сети.qem»?"));
        QVERIFY(app_.net.Lines == before);
        QVERIFY(!QFile::exists(QString::fromStdString(path("Импорт.qem"))));
        dlg_.answers = {Answer::No};
        QVERIFY(f->confirm());
        QCOMPARE(imports_, 1);
        // The network is the file just written: not modified, not "changed by another program".
        QVERIFY(!app_.net.Modified);
        QVERIFY(app_.netStamp == StampOf(app_.net.NetFileName));
        QVERIFY(lastNew_);
        const std::string file = path("Импорт.qem");
        QCOMPARE(app_.net.NetFileName, file);
        QCOMPARE(app_.net.NLines(), 1);
        QCOMPARE(Cp1251ToUtf8(app_.net.Line(1).From.str()), std::string("ПС Северная"));
        QCOMPARE(int(app_.net.Line(1).Uvl), 3);
        QVERIFY(ReadNetwork(file) == app_.net.Lines);
        QCOMPARE(f->nameLabel()->text(), "Созданна и загруженна новая сеть " + QString::fromStdString(file));
        QVERIFY(!f->table());  // the rows are not imported twice
        QVERIFY(f->loadButton()->isEnabled());
    }

    void confirmAppendToNetwork() {
        auto f = form(ImportPoints::Two);
        const int lines = app_.net.NLines();
        QVERIFY(f->load(Fixture("two_points.xlsx")));
        f->addLine();
        f->setMode(ImportMode::AppendToNetwork);
        // The names of a line that is there already are refused.
        f->fromEdit()->setText(QString::fromStdString(Cp1251ToUtf8(app_.net.Line(1).From.str())));
        f->toEdit()->setText(QString::fromStdString(Cp1251ToUtf8(app_.net.Line(1).To.str())));
        QVERIFY(!f->confirm());
        QCOMPARE(dlg_.Texts().back(), std::string("Линия с таким началом и концом уже существует"));
        QCOMPARE(app_.net.NLines(), lines);
        f->toEdit()->setText("ПС Новая");
        QVERIFY(f->confirm());
        QVERIFY(!lastNew_);
        QCOMPARE(app_.net.NLines(), lines + 1);
        QCOMPARE(app_.net.CurLine, lines + 1);
        QCOMPARE(app_.net.Line(lines + 1).NSpans(), 3);
        QVERIFY(ReadNetwork(app_.net.NetFileName) == app_.net.Lines);
    }

    void confirmAppendToLine() {
        auto f = form();
        const int spans = app_.net.Line(2).NSpans();
        QVERIFY(f->load(Fixture("one_point.xlsx")));
        f->addLine();
        f->setMode(ImportMode::AppendToLine);
        QVERIFY(f->confirm());
        QCOMPARE(app_.net.Line(2).NSpans(), spans + 3);
        QCOMPARE(app_.net.CurSpan[2], spans + 3);
        QVERIFY(ReadNetwork(app_.net.NetFileName) == app_.net.Lines);
    }

    // A failed import changes nothing, and the window stays open on its rows.
    void confirmRefusedKeepsTheNetwork() {
        auto f = form();
        const auto lines = app_.net.Lines;
        QVERIFY(f->load(Fixture("error_eleven.xlsx")));
        f->addLine();
        f->setMode(ImportMode::AppendToLine);
        QVERIFY(!f->confirm());
        QVERIFY(QString::fromStdString(dlg_.Texts().back()).contains("больше 10 пересекаемых объектов: строка 13"));
        QVERIFY(app_.net.Lines == lines);
        QVERIFY(ReadNetwork(app_.net.NetFileName) == lines);
        QVERIFY(f->table());
        QCOMPARE(imports_, 0);
    }

    void saveTemplate() {
        auto f = form(ImportPoints::Two);
        dlg_.files = {path("бригада.xlsx")};
        f->saveTemplate();
        QVERIFY(dlg_.shown.empty());
        const Workbook book = Workbook::Open(path("бригада.xlsx"));
        QCOMPARE(book.FirstSheet().Text(1, 33), std::string("Заключение"));
        // Its example lies on a sheet of its own: the template holds no data.
        QVERIFY(!f->load(path("бригада.xlsx")));
        QVERIFY(QString::fromStdString(dlg_.Texts().back()).startsWith("Таблица пуста"));
    }

    // The menu item opens the window beside the main window; a new network imported through it
    // is listed in the line files and opened.
    void mainWindowMenuItem() {
        MainWindow w(&app_);
        w.setDialogs(&dlg_);
        w.runFolderCheck();
        QAction* item = w.findChild<QAction*>("menu Загрузить данные из Excel по одному замеру");
        QVERIFY(item && item->isEnabled());
        QAction* tool = w.findChild<QAction*>("tool Загрузить данные из Excel  по двум замерам");
        QVERIFY(tool && tool->isEnabled());
        item->trigger();
        TFormImport* f = w.importWindow(1);
        QVERIFY(f->isVisible());
        QVERIFY(f->load(Fixture("one_point.xlsx")));
        f->addLine();
        f->fileNameEdit()->setText("Новая сеть");
        f->fromEdit()->setText("ПС А");
        f->toEdit()->setText("ПС Б");
        QVERIFY(f->confirm());
        QVERIFY(!f->isVisible());
        QCOMPARE(w.pages()->currentIndex(), int(MainWindow::PageLines));
        QStringList files;
        for (int r = 0; r < w.filesGrid()->rowCount(); ++r) files << w.filesGrid()->item(r, 0)->text();
        QVERIFY(files.contains("Новая сеть.qem"));
        QCOMPARE(w.filesGrid()->currentItem()->text(), QStringLiteral("Новая сеть.qem"));
        QCOMPARE(w.lineList()->rowCount(), 1);  // the one imported line
        QCOMPARE(app_.net.NetFileName, path("Новая сеть.qem"));
        tool->trigger();
        QCOMPARE(w.importWindow(2)->points(), ImportPoints::Two);
    }

    // An empty line folder: "No" (create a file), "No" (import from a workbook), "Yes" (one
    // point) opens the import window modally; the network imported there becomes the folder's file.
    void folderCheckImportBranch() {
        QTemporaryDir empty;
        app_.data.folder.LineFolder = empty.path().toStdString();
        app_.net.NetFileName = path("Пример сети.qem");
        const QByteArray sample = [&] {
            QFile s(QString::fromStdString(app_.net.NetFileName));
            s.open(QIODevice::ReadOnly);
            return s.readAll();
        }();
        dlg_.answers = {Answer::No, Answer::No, Answer::Yes};
        MainWindow w(&app_);
        w.setDialogs(&dlg_);
        bool driven = false;
        QTimer::singleShot(0, [&] {
            auto* f = dynamic_cast<TFormImport*>(QApplication::activeModalWidget());
            if (!f) return;
            driven = true;
            f->load(Fixture("one_point.xlsx"));
            f->addLine();
            f->fileNameEdit()->setText("Из Excel");
            f->fromEdit()->setText("ПС А");
            f->confirm();
        });
        QVERIFY(w.runFolderCheck());
        QVERIFY(driven);
        QCOMPARE(app_.LineFiles, std::vector<std::string>{"Из Excel.qem"});
        QCOMPARE(app_.net.NetFileName, QDir(empty.path()).filePath("Из Excel.qem").toStdString());
        QCOMPARE(app_.net.Line(1).NSpans(), 3);
        // The file of the other folder that was open before is not touched.
        QFile s(QString::fromStdString(path("Пример сети.qem")));
        QVERIFY(s.open(QIODevice::ReadOnly));
        QCOMPARE(s.readAll(), sample);
    }
};

QTEST_MAIN(TestImportWindows)
#include "test_import_windows.moc"

// The terminal equipment window and the catalog window on a copy of the shipped data folder:
// each opens offscreen and shows the line and the catalogs; choosing, editing and closing act
// on the data.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "model/AppData.h"
#include "model/Cp1251.h"
#include "platform/ScriptedDialogs.h"
#include "session/qt/EquipmentWindows.h"
#include "session/qt/FormCat.h"
#include "session/qt/FormSetKO.h"

using namespace qem;
using namespace qem::ui;

namespace {

struct Data {
    QTemporaryDir dir;
    AppState app;
    ScriptedDialogs dlg;
    Data() {
        const QDir shipped(QStringLiteral(QEM_BIN_DIR "/data"));
        for (const QString& f : shipped.entryList(QDir::Files))
            if (f != "qem.cfg" && f != "LODL.txt") QFile::copy(shipped.filePath(f), dir.filePath(f));
        app.data = LoadAll(std::filesystem::u8path(dir.path().toStdString()), false, nullptr, true);
        app.net.Lines = {NewLine(app.FirstWire(), 0), NewLine(app.FirstWire(), 0)};
        app.net.Line(1).From.assign(Utf8ToCp1251("ПС Восход"));
        app.net.Line(1).To.assign(Utf8ToCp1251("ПС Заря"));
        app.net.CurLine = 1;
    }
};

QString Cell(QTableWidget* t, int r, int c) { return t->item(r, c) ? t->item(r, c)->text() : QString(); }

}  // namespace

class EquipmentWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void lineEquipmentWindowShowsAndChooses() {
        Data d;
        QVERIFY(d.app.data.ko.size() >= 4);
        QVERIFY(d.app.data.wires.NWires >= 2);
        TFormSetKO form(nullptr, d.app, d.dlg);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), QString::fromUtf8("Концевое оборудование: ПС Восход - ПС Заря"));
        QTableWidget* sw = form.grid(KOGroup::Switch);
        QCOMPARE(sw->rowCount(), 2);
        QCOMPARE(sw->horizontalHeaderItem(3)->text(), QString::fromUtf8("I, А"));
        QCOMPARE(Cell(sw, 0, 0), QString::fromUtf8("ПС Восход"));
        QCOMPARE(Cell(sw, 1, 0), QString::fromUtf8("ПС Заря"));
        QCOMPARE(Cell(sw, 0, 1), QString());
        // The catalog is sorted by current; the switch drop-down lists the switches.
        for (std::size_t i = 0; i + 1 < d.app.data.ko.size(); ++i)
            QVERIFY(d.app.data.ko[i].I <= d.app.data.ko[i + 1].I);
        QComboBox* combo = form.combo(KOGroup::Switch);
        QCOMPARE(combo->count(), static_cast<int>(KOKindIndexes(d.app.data.ko, 0).size()));
        QVERIFY(combo->count() > 0);

        // Row 2 current, choose the first switch: end 2 gets it and the row shows it.
        sw->setCurrentCell(1, 0);
        combo->setCurrentIndex(0);
        emit combo->activated(0);
        const TyKO& chosen = d.app.net.Line(1).KOSwitch2;
        QCOMPARE(chosen.Kind, Byte{0});
        QVERIFY(d.app.net.Line(1).KOSwitch1.FullName.empty());
        QCOMPARE(Cell(sw, 1, 2), QString::fromStdString(Cp1251ToUtf8(chosen.FullName.str())));
        QCOMPARE(Cell(sw, 1, 3), QString::number(chosen.I));

        // A conductor for the bus of end 1, its wire count, the cable.
        QTableWidget* bus = form.grid(KOGroup::Bus);
        QCOMPARE(bus->columnCount(), 12);
        bus->setCurrentCell(0, 0);
        emit form.combo(KOGroup::Bus)->activated(1);
        QCOMPARE(d.app.net.Line(1).Bus3, d.app.data.wires.Wires[2]);
        QCOMPARE(Cell(bus, 0, 1), QString::fromStdString(Cp1251ToUtf8(d.app.data.wires.Wires[2].Name.str())));
        form.wireCount(KOGroup::Bus, 2)->setValue(3);
        QCOMPARE(d.app.net.Line(1).NBus4, 3);
        QLineEdit* cab = form.cableEdit(true);
        cab->clear();
        QTest::keyClicks(cab, "450,5");
        QCOMPARE(d.app.net.Line(1).CabDDTN, 450.5f);

        // Closing with the choices made asks, Cancel restores the line as opened.
        d.dlg.answers = {Answer::Cancel};
        form.close();
        QCOMPARE(QString::fromStdString(d.dlg.shown.back().text), QString::fromUtf8("Подтверждение сохранения"));
        QVERIFY(d.app.net.Line(1).KOSwitch2.FullName.empty());
        QCOMPARE(d.app.net.Line(1).CabDDTN, 0.0f);
    }

    void catalogWindowShowsTheThreeCatalogs() {
        Data d;
        TFormCat form(nullptr, d.app, d.dlg);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.windowTitle(), QString::fromUtf8("Каталог"));
        QCOMPARE(form.pages()->count(), 3);
        QCOMPARE(form.pages()->tabText(0), QString::fromUtf8("Провода/ошиновка"));
        QCOMPARE(form.pages()->tabText(2), QString::fromUtf8("Концевое оборудование"));

        QTableWidget* wires = form.wireGrid();
        QCOMPARE(wires->rowCount(), static_cast<int>(d.app.data.wires.NWires));
        QCOMPARE(wires->horizontalHeaderItem(11)->text(), QString::fromUtf8("Макс. Т.,С"));
        QCOMPARE(Cell(wires, 0, 0), QString::fromStdString(Cp1251ToUtf8(d.app.data.wires.Wires[1].Name.str())));
        QCOMPARE(wires->editTriggers(), QAbstractItemView::NoEditTriggers);

        QCOMPARE(form.normsPages()->count(), 3);
        QCOMPARE(form.normsPages()->tabText(1), QString::fromUtf8("До пересекаемой ВЛ"));
        QTableWidget* ground = form.normsGrid(NormsPage::Ground);
        QCOMPARE(ground->columnCount(), 6);
        QCOMPARE(Cell(ground, 0, 1), QString::fromUtf8("750кВ"));
        QCOMPARE(Cell(ground, 1, 0), QString::fromUtf8("Населенная"));
        QCOMPARE(Cell(ground, 1, 1), QString::fromStdString(FormatFixed(d.app.data.norms.NormGround[0][0], 4, 1)));
        form.below110()->setChecked(true);
        QCOMPARE(ground->columnCount(), 9);

        // Equipment page: the switches, the temperature grid of the first.
        form.pages()->setCurrentIndex(CatPageKO);
        form.selectKind(0);
        QTableWidget* list = form.koList();
        const auto switches = KOKindIndexes(d.app.data.ko, 0);
        QCOMPARE(list->rowCount(), static_cast<int>(switches.size()));
        QCOMPARE(list->horizontalHeaderItem(2)->text(), QString::fromUtf8("U ,кВ"));
        const TyKO& first = d.app.data.ko[static_cast<std::size_t>(switches[0])];
        QCOMPARE(Cell(list, 0, 1), QString::fromStdString(Cp1251ToUtf8(first.FullName.str())));
        QTableWidget* temp = form.tempGrid();
        QCOMPARE(temp->columnCount(), 14);
        QCOMPARE(Cell(temp, 0, 1), QString("-20"));
        QCOMPARE(Cell(temp, 2, 0), QString::fromUtf8("AДТН"));
        QCOMPARE(Cell(temp, 1, 1), QString::number(first.DDTN[1]));
        // A typed temperature value reaches that entry only.
        temp->item(1, 5)->setText("777");
        QCOMPARE(d.app.data.ko[static_cast<std::size_t>(switches[0])].DDTN[5], 777);
        temp->item(2, 5)->setText("x");
        QCOMPARE(Cell(temp, 2, 5), QString("0"));

        form.kindBox()->setCurrentIndex(3);
        QCOMPARE(list->rowCount(), static_cast<int>(KOKindIndexes(d.app.data.ko, 3).size()));
    }

    void showCatalogKeepsOneWindowAndReportsClosing() {
        Data d;
        QWidget parent;
        int closed = 0;
        QDialog* a = ShowCatalog(&parent, d.app, d.dlg, CatPageNorms, [&] { ++closed; });
        QDialog* b = ShowCatalog(&parent, d.app, d.dlg, CatPageKO, [&] { ++closed; });
        QCOMPARE(a, b);
        QCOMPARE(static_cast<TFormCat*>(a)->pages()->currentIndex(), static_cast<int>(CatPageKO));
        a->close();
        QCOMPARE(closed, 1);
    }
};

QTEST_MAIN(EquipmentWindowsTest)
#include "test_equipment_windows.moc"

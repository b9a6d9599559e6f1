// The catalog window's work: the conductor grid (edits, add, delete, sort, save), the norms
// grids with their switch, the terminal-equipment list with its temperature grid.
#include <gtest/gtest.h>

#include "equipment/CatalogEditor.h"
#include "model/AppData.h"
#include "model/Catalog.h"
#include "model/Cp1251.h"
#include "model/NormsFile.h"
#include "platform/ScriptedDialogs.h"
#include "session/AppState.h"
#include "tests/core/TempFolder.h"

using namespace qem;
using qemtest::TempFolder;

namespace {

TyWire Wire(const std::string& name, float sal, float r) {
    TyWire w;
    w.Name.assign(Utf8ToCp1251(name));
    w.SAlN = sal;
    w.SStN = sal / 6;
    w.D = sal / 100;
    w.R = r;
    w.MAl = sal * 3;
    w.MSt = sal;
    w.TMax = 70 + sal / 10;
    return w;
}

TyKO KO(int kind, int u, int i, const std::string& fullName) {
    TyKO k;
    k.Kind = static_cast<Byte>(kind);
    k.U = u;
    k.I = i;
    k.FullName.assign(Utf8ToCp1251(fullName));
    return k;
}

// A data folder with five conductors, both norms files and an equipment catalog, loaded.
struct Editor : ::testing::Test {
    TempFolder dir;
    AppState app;
    ScriptedDialogs dlg;

    Editor() {
        WireCatalog c;
        c.NWires = 5;
        const char* names[5] = {"А", "АС", "АСК", "АСКП", "М"};
        for (int k = 1; k <= 5; ++k) {
            c.Wires[k] = Wire(names[k - 1], 50.0f * k, 0.1f * k);
            c.WireBreak[k] = 1000.0f * k;
            c.WireSAl[k] = 50.5f * k;
            c.WireSSt[k] = 8.5f * k;
        }
        WriteCatalogFile(dir / "glld.cat", c);
        Norms n6, n7;
        n6.NormGround[0][0] = 6.0f;
        n7.NormGround[0][0] = 7.0f;
        WriteNormsFile(dir / "hdg6.cat", n6);
        WriteNormsFile(dir / "hdg7.cat", n7);
        SaveKOCat(dir / kKOCatFileName,
                  {KO(0, 110000, 1000, "В-110"), KO(0, 220000, 2000, "В-220"), KO(1, 500000, 2000, "Р-500"),
                   KO(2, 35000, 630, "З-35"), KO(2, 110000, 1000, "З-110")});
        app.data = LoadAll(dir.path, false, nullptr, true);
    }
    std::string Name(int k) const { return Cp1251ToUtf8(app.data.wires.Wires[k].Name.str()); }
};

using CatalogEditorTest = Editor;

TEST_F(CatalogEditorTest, DeletingAConductorRowRewritesTheCatalogAtOnce) {
    CatalogEditor ed(app.data, app.net, app.calc, dlg);
    const WireCatalog before = app.data.wires;
    dlg.answers = {Answer::No};
    EXPECT_FALSE(ed.DeleteConductor(3));
    EXPECT_EQ(dlg.shown.back().title, "Удаление");
    EXPECT_EQ(dlg.shown.back().text, "Удалить выбранную запись?");
    EXPECT_EQ(dlg.shown.back().icon, Icon::Question);
    dlg.answers = {Answer::Yes};
    ASSERT_TRUE(ed.DeleteConductor(3));

    WireCatalog fromFile;
    ASSERT_TRUE(ReadCatalogFile(dir / "glld.cat", fromFile));
    for (const WireCatalog* c : {&app.data.wires, &fromFile}) {
        ASSERT_EQ(c->NWires, 4);
        const int was[4] = {1, 2, 4, 5};
        for (int k = 1; k <= 4; ++k) {
            const TyWire& w = c->Wires[k];
            const TyWire& o = before.Wires[was[k - 1]];
            EXPECT_EQ(w.Name.str(), o.Name.str());
            EXPECT_EQ(w.SAlN, o.SAlN);
            EXPECT_EQ(w.R, o.R);
            EXPECT_EQ(w.MAl, o.MAl);
            EXPECT_EQ(w.TMax, o.TMax);
            EXPECT_EQ(c->WireBreak[k], before.WireBreak[was[k - 1]]);
            EXPECT_EQ(c->WireSAl[k], before.WireSAl[was[k - 1]]);
        }
    }
    EXPECT_EQ(ed.ConductorGrid().rowCount(), 5);
}

TEST_F(CatalogEditorTest, DeletingTheLastConductorIsRefusedAndTheGridKeepsIt) {
    app.data.wires.NWires = 1;
    CatalogEditor ed(app.data, app.net, app.calc, dlg);
    dlg.answers = {Answer::Yes};
    EXPECT_FALSE(ed.DeleteConductor(1));
    EXPECT_EQ(ed.ConductorGrid().rowCount(), 2);
    EXPECT_EQ(app.data.wires.NWires, 1);
    EXPECT_EQ(dlg.shown.back().title, "Ошибка");
}

TEST_F(CatalogEditorTest, CellEditsGoIntoTheCatalogBeforeSaving) {
    CatalogEditor ed(app.data, app.net, app.calc, dlg);
    EXPECT_FALSE(ed.EditConductorCell(2, 7, "12,5"));  // read-only until "Изменить"
    ed.EditConductors();
    EXPECT_TRUE(ed.EditConductorCell(2, 7, "12,5"));
    EXPECT_FLOAT_EQ(app.data.wires.Wires[2].R, 12.5f);
    EXPECT_TRUE(ed.EditConductorCell(2, 10, "7777"));
    EXPECT_EQ(app.data.wires.WireBreak[2], 7777.0f);
    EXPECT_TRUE(ed.EditConductorCell(2, 3, "123.4"));
    EXPECT_FLOAT_EQ(app.data.wires.WireSAl[2], 123.4f);
    EXPECT_TRUE(ed.EditConductorCell(1, 0, std::string(40, 'x')));
    EXPECT_EQ(app.data.wires.Wires[1].Name.str(), std::string(30, 'x'));
    // A text that cannot be read: the message, the field and the cell unchanged.
    EXPECT_FALSE(ed.EditConductorCell(2, 8, "1o0"));
    EXPECT_EQ(dlg.shown.back().text, " Ошибка в позиции 2");
    EXPECT_EQ(app.data.wires.Wires[2].MAl, 300.0f);
    EXPECT_EQ(ed.ConductorGrid().at(2, 8), " 300");
    // The file only changes on "Сохранить".
    WireCatalog fromFile;
    ReadCatalogFile(dir / "glld.cat", fromFile);
    EXPECT_FLOAT_EQ(fromFile.Wires[2].R, 0.2f);
    ASSERT_TRUE(ed.Save());
    EXPECT_FALSE(ed.ConductorsEditable());
    ReadCatalogFile(dir / "glld.cat", fromFile);
    EXPECT_FLOAT_EQ(fromFile.Wires[2].R, 12.5f);
}

TEST_F(CatalogEditorTest, AddingAppendsAnEmptyEntryUpTo255) {
    CatalogEditor ed(app.data, app.net, app.calc, dlg);
    EXPECT_EQ(ed.AddConductor(), 6);
    EXPECT_TRUE(ed.ConductorsEditable());
    const TyWire& w = app.data.wires.Wires[6];
    EXPECT_TRUE(w.Name.empty());
    EXPECT_FLOAT_EQ(w.AlfaR, 0.004f);
    EXPECT_EQ(w.R, 0.0f);
    EXPECT_EQ(ed.ConductorGrid().rowCount(), 7);
    app.data.wires.NWires = 255;
    EXPECT_EQ(ed.AddConductor(), 0);
    EXPECT_EQ(app.data.wires.NWires, 255);
}

TEST_F(CatalogEditorTest, SortingByTypeMovesTheParallelValues) {
    CatalogEditor ed(app.data, app.net, app.calc, dlg);
    ed.SortConductors(false);
    EXPECT_EQ(Name(1), "М");
    EXPECT_EQ(Name(5), "А");
    EXPECT_EQ(app.data.wires.WireBreak[1], 5000.0f);
    EXPECT_EQ(app.data.wires.WireSSt[5], 8.5f);
    EXPECT_EQ(ed.ConductorGrid().at(1, 0), "М");
    ed.SortConductors(true);
    EXPECT_EQ(Name(1), "А");
    EXPECT_EQ(Name(2), "АС");
    EXPECT_EQ(app.data.wires.WireBreak[2], 2000.0f);
}

TEST_F(CatalogEditorTest, ExportThenImportGivesTheSameGrid) {
    CatalogEditor ed(app.data, app.net, app.calc, dlg);
    const TextGrid g = ed.ConductorGrid();
    ASSERT_TRUE(ed.ExportConductors(dir / "glld_temp.txt"));
    ed.SortConductors(false);
    ASSERT_TRUE(ed.ImportConductors(dir / "glld_temp.txt"));
    EXPECT_EQ(ed.ConductorGrid(), g);
    EXPECT_FALSE(ed.ImportConductors(dir / "missing.txt"));
    EXPECT_EQ(ed.ConductorGrid(), g);
}

TEST_F(CatalogEditorTest, ALaterActivationKeepsAnUnsavedImportTheEditModeAndTheSelectedEquipment) {
    CatalogEditor ed(app.data, app.net, app.calc, dlg);
    ASSERT_TRUE(ed.ExportConductors(dir / "glld_temp.txt"));
    ed.EditConductors();
    ed.SetKind(2);
    ed.SelectKORow(2);
    // The imported table lives in the grid only until it is saved: the catalog differs from it.
    ASSERT_TRUE(ed.ImportConductors(dir / "glld_temp.txt"));
    app.data.wires.Wires[1].R = 0.5f;
    const TextGrid imported = ed.ConductorGrid();
    ASSERT_NE(imported, FillConductorGrid(app.data.wires));
    ed.Refresh();
    EXPECT_EQ(ed.ConductorGrid(), imported);
    EXPECT_TRUE(ed.ConductorsEditable());
    EXPECT_EQ(ed.SelRow(), 1);
    // Once saved, the grid follows the catalog again; opening the window resets the edit mode.
    ASSERT_TRUE(ed.Save());
    app.data.wires.Wires[1].R = 0.25f;
    ed.Refresh();
    EXPECT_EQ(ed.ConductorGrid(), FillConductorGrid(app.data.wires));
    ed.EditConductors();
    ed.Activate();
    EXPECT_FALSE(ed.ConductorsEditable());
    EXPECT_EQ(ed.SelRow(), 0);
}

TEST_F(CatalogEditorTest, NormsCellsEditOnlyAfterChangeAndTheSwitchSavesFirst) {
    CatalogEditor ed(app.data, app.net, app.calc, dlg);
    EXPECT_EQ(ed.NormsGridOf(NormsPage::Ground).colCount, 6);
    ed.SetShowBelow110(true);
    EXPECT_EQ(ed.NormsGridOf(NormsPage::Ground).colCount, 9);
    EXPECT_EQ(ed.NormsGridOf(NormsPage::Ground).at(1, 1), " 7.0");

    EXPECT_FALSE(ed.EditNormsCell(NormsPage::Obstacle, 2, 4, "9,5"));
    ed.EditNorms();
    EXPECT_TRUE(ed.EditNormsCell(NormsPage::Obstacle, 2, 4, "9,5"));  // road, class 3 (220 kV)
    EXPECT_FLOAT_EQ(app.data.norms.NormObst[3][1], 9.5f);
    EXPECT_FALSE(ed.EditNormsCell(NormsPage::Obstacle, 0, 0, "1"));

    // ПУЭ 6: hdg7.cat is written with the edit before hdg6.cat is read.
    ASSERT_TRUE(ed.SwitchPue(true));
    EXPECT_TRUE(app.data.usePue6);
    EXPECT_EQ(app.net.UsePUE6, 1);
    EXPECT_EQ(app.data.norms.NormGround[0][0], 6.0f);
    Norms n7;
    ASSERT_TRUE(ReadNormsFile(dir / "hdg7.cat", n7));
    EXPECT_FLOAT_EQ(n7.NormObst[3][1], 9.5f);
    EXPECT_EQ(ed.NormsGridOf(NormsPage::Ground).at(1, 1), " 6.0");
}

TEST_F(CatalogEditorTest, EquipmentListShowsTheKindAndTemperatureEditsReachOnlyItsEntry) {
    CatalogEditor ed(app.data, app.net, app.calc, dlg);
    ed.SetKind(2);  // line traps, stored after the switches
    TextGrid list = ed.KOList();
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.rows[0], (std::vector<std::string>{"Тип", "Полное наименование", "U ,кВ", "I ,A"}));
    EXPECT_EQ(list.rows[2], (std::vector<std::string>{"", "З-110", "110", "1000"}));
    ed.SelectKORow(2);
    const KOCat before = app.data.ko;
    EXPECT_EQ(ed.EditTempCell(1, 9, "820"), "820");
    EXPECT_EQ(app.data.ko[4].DDTN[9], 820);
    EXPECT_EQ(ed.EditTempCell(2, 1, "8.5"), "0");
    EXPECT_EQ(app.data.ko[4].ADTN[1], 0);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(app.data.ko[i], before[i]);
    TextGrid t = ed.TempGrid();
    EXPECT_EQ(t.at(0, 1), "-20");
    EXPECT_EQ(t.at(0, 13), "40");
    EXPECT_EQ(t.at(1, 0), "ДДТН");
    EXPECT_EQ(t.at(2, 0), "AДТН");
    EXPECT_EQ(t.at(1, 9), "820");

    // "Копировать": all 26 values := the ДДТН at -20 C.
    ed.EditTempCell(1, 1, "630");
    ed.CopyMinus20();
    for (int c = 1; c <= 13; ++c) {
        EXPECT_EQ(app.data.ko[4].DDTN[c], 630);
        EXPECT_EQ(app.data.ko[4].ADTN[c], 630);
    }

    // A kind with no entries: the header row only, nothing to edit.
    ed.SetKind(3);
    EXPECT_EQ(ed.KOList().rowCount(), 1);
    EXPECT_EQ(ed.SelectedKO(), nullptr);
    EXPECT_EQ(ed.TempGrid().at(1, 1), "");
    EXPECT_FALSE(ed.DeleteKO());
}

TEST_F(CatalogEditorTest, SortingEquipmentReordersTheWholeCatalog) {
    CatalogEditor ed(app.data, app.net, app.calc, dlg);
    ed.SortKO(true, true);  // by U, up: highest voltage first
    EXPECT_EQ(Cp1251ToUtf8(app.data.ko[0].FullName.str()), "Р-500");
    EXPECT_EQ(Cp1251ToUtf8(app.data.ko[4].FullName.str()), "З-35");
    // Equal voltages keep their order (stable).
    EXPECT_EQ(Cp1251ToUtf8(app.data.ko[2].FullName.str()), "В-110");
    EXPECT_EQ(Cp1251ToUtf8(app.data.ko[3].FullName.str()), "З-110");
    ed.SetKind(2);
    EXPECT_EQ(ed.KOList().at(1, 1), "З-110");
    ed.SortKO(false, false);  // by I, down: ascending
    for (std::size_t i = 0; i + 1 < app.data.ko.size(); ++i) EXPECT_LE(app.data.ko[i].I, app.data.ko[i + 1].I);
    EXPECT_EQ(ed.KOList().at(1, 1), "З-35");
}

TEST_F(CatalogEditorTest, AddingEditingDeletingAndSavingEquipment) {
    CatalogEditor ed(app.data, app.net, app.calc, dlg);
    ed.SetKind(3);
    ed.AddKO();
    EXPECT_TRUE(ed.ListEditable());
    ASSERT_EQ(ed.KOList().rowCount(), 2);
    EXPECT_EQ(ed.SelRow(), 0);
    EXPECT_TRUE(ed.EditKOListCell(1, KOColFullName, "ТФЗМ-110"));
    EXPECT_TRUE(ed.EditKOListCell(1, KOColU, "0,4"));
    EXPECT_TRUE(ed.EditKOListCell(1, KOColI, "1500"));
    EXPECT_FALSE(ed.EditKOListCell(1, KOColI, "15x"));
    const TyKO& added = app.data.ko.back();
    EXPECT_EQ(added.Kind, 3);
    EXPECT_EQ(added.U, 400);
    EXPECT_EQ(added.I, 1500);
    ASSERT_TRUE(ed.SaveKO());
    EXPECT_FALSE(ed.ListEditable());
    KOCat fromFile;
    LoadKOCat(ed.KOFile(), fromFile);
    EXPECT_EQ(fromFile, app.data.ko);

    ed.SetKind(0);
    ed.SelectKORow(2);
    dlg.answers = {Answer::Cancel};
    EXPECT_FALSE(ed.DeleteKO());
    dlg.answers = {Answer::Yes};
    ASSERT_TRUE(ed.DeleteKO());
    EXPECT_EQ(dlg.shown.back().text, "Вы действительно хотите удалить выбранный элемент");
    EXPECT_EQ(app.data.ko.size(), 5u);
    EXPECT_EQ(ed.KOList().rowCount(), 2);
    EXPECT_EQ(ed.KOList().at(1, 1), "В-110");
}

}  // namespace

// While a calculation runs every change of the catalogs, the norms or their files is refused
// with the reason; once it has ended the same edits go through.
TEST_F(CatalogEditorTest, NothingChangesWhileACalculationRuns) {
    CatalogEditor ed(app.data, app.net, app.calc, dlg);
    ed.EditConductors();
    ed.EditNorms();
    ed.EditKOList();
    ed.SelectKORow(1);
    const WireCatalog wires = app.data.wires;
    const KOCat ko = app.data.ko;
    const float ground = app.data.norms.NormGround[0][0];
    const auto file = [&](const char* name) { return ReadWholeFile(PathToUtf8(dir / name)); };
    const Bytes cat = file("glld.cat"), koFile = file(kKOCatFileName);
    dlg.defaultAnswer = Answer::Yes;
    {
        const CalcRunScope run(app.calc);
        EXPECT_FALSE(ed.EditConductorCell(2, 7, "12,5"));
        EXPECT_EQ(ed.AddConductor(), 0);
        EXPECT_FALSE(ed.DeleteConductor(3));
        ed.SortConductors(false);
        EXPECT_FALSE(ed.Save());
        EXPECT_FALSE(ed.EditNormsCell(NormsPage::Ground, 1, 1, "99"));
        EXPECT_FALSE(ed.SwitchPue(true));
        EXPECT_FALSE(ed.EditKOListCell(1, KOColI, "5000"));
        EXPECT_EQ(ed.EditTempCell(1, 3, "777"), std::to_string(app.data.ko[0].DDTN[3]));
        ed.CopyMinus20();
        ed.AddKO();
        EXPECT_FALSE(ed.DeleteKO());
        EXPECT_FALSE(ed.SaveKO());
        ed.SortKO(true, true);
    }
    EXPECT_EQ(dlg.Texts(), std::vector<std::string>(14, kMsgCalcRunning));
    EXPECT_EQ(app.data.wires, wires);
    EXPECT_EQ(app.data.ko, ko);
    EXPECT_FALSE(app.data.usePue6);
    EXPECT_EQ(app.data.norms.NormGround[0][0], ground);
    EXPECT_EQ(file("glld.cat"), cat);
    EXPECT_EQ(file(kKOCatFileName), koFile);
    EXPECT_TRUE(ed.EditConductorCell(2, 7, "12,5"));
    EXPECT_TRUE(ed.SwitchPue(true));
    EXPECT_TRUE(app.data.usePue6);
}

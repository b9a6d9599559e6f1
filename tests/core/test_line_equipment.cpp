// Terminal equipment of a line: choosing catalog entries into the eight equipment slots and
// the four conductor slots, the grids, undo and closing, the cable insert, copying between
// lines.
#include <gtest/gtest.h>

#include <functional>

#include "equipment/LineEquipment.h"
#include "model/Cp1251.h"
#include "platform/ScriptedDialogs.h"

using namespace qem;

namespace {

TyKO KO(int kind, int i, const std::string& fullName, int u = 110000) {
    TyKO k;
    k.Kind = static_cast<Byte>(kind);
    k.I = i;
    k.U = u;
    k.Name.assign(Utf8ToCp1251("Т-" + std::to_string(i)));
    k.FullName.assign(Utf8ToCp1251(fullName));
    for (int c = 1; c <= 13; ++c) {
        k.DDTN[c] = i + c;
        k.ADTN[c] = i + 2 * c;
    }
    return k;
}

TyWire Wire(const std::string& name, float sal, float sst, float r) {
    TyWire w;
    w.Name.assign(Utf8ToCp1251(name));
    w.SAlN = sal;
    w.SStN = sst;
    w.D = 1.5f;
    w.DSt = 0.6f;
    w.R = r;
    w.AlfaR = 0.00403f;
    w.MAl = 400;
    w.MSt = 150;
    w.TMax = 90;
    return w;
}

struct Fixture : ::testing::Test {
    Network net;
    KOCat ko;
    WireCatalog wires;
    ScriptedDialogs dlg;

    Fixture() {
        const TyWire none{};
        net.Lines = {NewLine(none, 0), NewLine(none, 0), NewLine(none, 0)};
        net.Line(1).From.assign(Utf8ToCp1251("ПС Южная"));
        net.Line(1).To.assign(Utf8ToCp1251("ПС Северная"));
        net.CurLine = 1;
        // Not sorted by current: opening the window sorts it.
        ko = {KO(0, 2000, "Выключатель Б"), KO(1, 630, "Разъединитель"),  KO(0, 1000, "Выключатель А"),
              KO(2, 1000, "Заградитель"),   KO(0, 1000, "Выключатель В"), KO(3, 600, "ТТ")};
        wires.NWires = 2;
        wires.Wires[1] = Wire("АС", 240, 32, 0.118f);
        wires.Wires[2] = Wire("АС", 300, 39, 0.096f);
        wires.WireSAl[1] = 244.0f;
        wires.WireSSt[1] = 31.7f;
        wires.WireBreak[1] = 75050;
        wires.WireSAl[2] = 301.0f;
        wires.WireSSt[2] = 38.6f;
        wires.WireBreak[2] = 95940;
    }
};

using LineEquipmentTest = Fixture;

TEST_F(LineEquipmentTest, OpeningSortsTheWholeCatalogByCurrentStably) {
    LineEquipment eq(net, 1, ko, wires, dlg);
    std::vector<std::string> order;
    for (const auto& k : ko) order.push_back(Cp1251ToUtf8(k.FullName.str()));
    EXPECT_EQ(order, (std::vector<std::string>{"ТТ", "Разъединитель", "Выключатель А", "Заградитель", "Выключатель В",
                                               "Выключатель Б"}));
    EXPECT_EQ(eq.Caption(), "Концевое оборудование: ПС Южная - ПС Северная");
    EXPECT_FALSE(eq.Modified());
    EXPECT_EQ(eq.Items(KOGroup::Switch),
              (std::vector<std::string>{"1000 Выключатель А", "1000 Выключатель В", "2000 Выключатель Б"}));
    EXPECT_EQ(eq.Items(KOGroup::Bus).size(), 2u);
    EXPECT_EQ(eq.Items(KOGroup::Bus)[1], WireDisplayText(wires.Wires[2]));
}

TEST_F(LineEquipmentTest, ChoosingFillsTheSlotOfTheCurrentRowOnly) {
    LineEquipment eq(net, 1, ko, wires, dlg);
    ASSERT_TRUE(eq.Choose(KOGroup::Switch, 2, 2));  // row 2: end 2, item 2 = "Выключатель Б"
    EXPECT_EQ(net.Line(1).KOSwitch2, ko[5]);
    EXPECT_EQ(net.Line(1).KOSwitch1, TyKO{});
    EXPECT_TRUE(eq.Modified());
    EXPECT_EQ(eq.ItemOfRow(KOGroup::Switch, 2), 2);
    EXPECT_EQ(eq.ItemOfRow(KOGroup::Switch, 1), -1);

    ASSERT_TRUE(eq.Choose(KOGroup::Trap, 1, 0));
    EXPECT_EQ(net.Line(1).KOTrap1.Kind, 2);
    // The equipment grid: From/To, type, full name, current, voltage in kV.
    TextGrid g = eq.Grid(KOGroup::Switch);
    EXPECT_EQ(g.rows[0],
              (std::vector<std::string>{"Наим. точки входа/выхода", "Тип", "Наименование", "I, А", "U, кВ"}));
    EXPECT_EQ(g.rows[1], (std::vector<std::string>{"ПС Южная", "", "", "", ""}));
    EXPECT_EQ(g.rows[2], (std::vector<std::string>{"ПС Северная", "Т-2000", "Выключатель Б", "2000", "110"}));

    // Out-of-range items change nothing; other lines stay untouched.
    EXPECT_FALSE(eq.Choose(KOGroup::CT, 1, 1));
    EXPECT_FALSE(eq.Choose(KOGroup::Busbar, 1, 2));
    EXPECT_EQ(net.Line(2), net.Line(3));
}

TEST_F(LineEquipmentTest, ConductorSlotsTakeTheWholeEntryAndShowTheCatalogsSections) {
    LineEquipment eq(net, 1, ko, wires, dlg);
    ASSERT_TRUE(eq.Choose(KOGroup::Bus, 1, 1));
    EXPECT_EQ(net.Line(1).Bus3, wires.Wires[2]);
    EXPECT_EQ(net.Line(1).Bus1, TyWire{});
    TextGrid g = eq.Grid(KOGroup::Bus);
    ASSERT_EQ(g.colCount, 12);
    EXPECT_EQ(g.rows[1], (std::vector<std::string>{"ПС Южная", "АС", " 300", " 39", " 301.0", " 38.6", "1.50", "0.60",
                                                   "0.096", " 400", " 150", " 95940"}));
    EXPECT_EQ(g.at(2, 1), "");
    EXPECT_EQ(eq.ItemOfRow(KOGroup::Bus, 1), 1);

    eq.SetWireCount(KOGroup::Bus, 2, 3);
    eq.SetWireCount(KOGroup::Busbar, 1, 25);
    eq.SetWireCount(KOGroup::Busbar, 2, 0);
    EXPECT_EQ(net.Line(1).NBus4, 3);
    EXPECT_EQ(net.Line(1).NBus1, 10);
    EXPECT_EQ(net.Line(1).NBus2, 1);
}

TEST_F(LineEquipmentTest, ASlotMissingFromTheCatalogShowsAnEmptyRowAndKeepsItsData) {
    TyKO gone = KO(0, 3150, "Снятый с производства");
    TyWire oldWire = Wire("АС", 240, 56, 0.12f);  // display text differs in the steel section
    net.Line(1).KOSwitch1 = gone;
    net.Line(1).Bus1 = oldWire;
    LineEquipment eq(net, 1, ko, wires, dlg);
    EXPECT_EQ(eq.Grid(KOGroup::Switch).rows[1], (std::vector<std::string>{"ПС Южная", "", "", "", ""}));
    EXPECT_EQ(eq.Grid(KOGroup::Busbar).at(1, 1), "");
    EXPECT_EQ(eq.ItemOfRow(KOGroup::Switch, 1), -1);
    EXPECT_EQ(eq.ItemOfRow(KOGroup::Busbar, 1), -1);
    EXPECT_EQ(net.Line(1).KOSwitch1, gone);
    EXPECT_EQ(net.Line(1).Bus1, oldWire);
}

TEST_F(LineEquipmentTest, UndoRestoresTheLineAsOpenedOrLastSaved) {
    net.Line(1).KOSwitch1 = KO(0, 1000, "Выключатель А");
    const TyLine opened = net.Line(1);
    LineEquipment eq(net, 1, ko, wires, dlg);
    eq.Choose(KOGroup::Switch, 1, 2);
    eq.SetCable(true, "450");
    dlg.answers = {Answer::Cancel};
    EXPECT_FALSE(eq.Undo());
    EXPECT_NE(net.Line(1), opened);
    dlg.answers = {Answer::Yes};
    EXPECT_TRUE(eq.Undo());
    EXPECT_EQ(net.Line(1), opened);
    EXPECT_FALSE(eq.Modified());
    EXPECT_EQ(dlg.shown.back().text, "Вы действительно хотите отменить изменения?");

    eq.Choose(KOGroup::Disc, 2, 0);
    eq.Save();
    const TyLine saved = net.Line(1);
    EXPECT_FALSE(eq.Modified());
    eq.Choose(KOGroup::CT, 1, 0);
    dlg.answers = {Answer::Yes};
    eq.Undo();
    EXPECT_EQ(net.Line(1), saved);
}

TEST_F(LineEquipmentTest, ClosingAsksOnlyAfterChoosingAndCancelRestores) {
    {
        // Wire counts and cable values alone: nothing asked, changes kept.
        LineEquipment eq(net, 1, ko, wires, dlg);
        eq.SetWireCount(KOGroup::Busbar, 1, 4);
        eq.SetCable(false, "12,5");
        eq.Close();
        EXPECT_TRUE(dlg.shown.empty());
        EXPECT_EQ(net.Line(1).NBus1, 4);
        EXPECT_FLOAT_EQ(net.Line(1).CabADTN, 12.5f);
    }
    const TyLine before = net.Line(1);
    {
        LineEquipment eq(net, 1, ko, wires, dlg);
        eq.Choose(KOGroup::Switch, 1, 0);
        dlg.answers = {Answer::Cancel};
        eq.Close();
        EXPECT_EQ(dlg.shown.back().text, "Подтверждение сохранения");
        EXPECT_EQ(dlg.shown.back().buttons, Buttons::OkCancel);
        EXPECT_EQ(net.Line(1), before);
    }
    {
        LineEquipment eq(net, 1, ko, wires, dlg);
        eq.Choose(KOGroup::Switch, 1, 0);
        dlg.answers = {Answer::Yes};
        eq.Close();
        EXPECT_EQ(Cp1251ToUtf8(net.Line(1).KOSwitch1.FullName.str()), "Выключатель А");
    }
}

TEST_F(LineEquipmentTest, ClearingAllEmptiesNamesOnlyAndDeletingEmptiesTheWholeSlot) {
    LineEquipment eq(net, 1, ko, wires, dlg);
    for (int g = 0; g < kKOGroups; ++g)
        for (int row = 1; row <= 2; ++row) eq.Choose(static_cast<KOGroup>(g), row, 0);
    eq.Save();

    dlg.answers = {Answer::Yes};
    ASSERT_TRUE(eq.DeleteSlot(KOGroup::Disc, 2));
    EXPECT_EQ(dlg.shown.back().text, "Вы действительно хотите удалить выбранный элемент?");
    EXPECT_EQ(net.Line(1).KODisc2, TyKO{});
    EXPECT_EQ(net.Line(1).KODisc1.I, 630);
    dlg.answers = {Answer::Cancel};
    EXPECT_FALSE(eq.DeleteSlot(KOGroup::Busbar, 1));
    EXPECT_EQ(net.Line(1).Bus1, wires.Wires[1]);

    dlg.answers = {Answer::Yes};
    ASSERT_TRUE(eq.ClearAll());
    const TyLine& l = net.Line(1);
    for (const TyWire* w : {&l.Bus1, &l.Bus2, &l.Bus3, &l.Bus4}) {
        EXPECT_TRUE(w->Name.empty());
        EXPECT_EQ(w->SAlN, 240.0f);  // the numbers stay
    }
    for (const TyKO* k : {&l.KOSwitch1, &l.KOSwitch2, &l.KOTrap1, &l.KOCT2}) {
        EXPECT_TRUE(k->FullName.empty());
        EXPECT_GT(k->I, 0);
    }
    EXPECT_TRUE(eq.Modified());
    // No name, no equipment: the rows are empty.
    EXPECT_EQ(eq.Grid(KOGroup::Switch).at(1, 1), "");
}

TEST_F(LineEquipmentTest, CableValuesGoThroughTheEntryRules) {
    LineEquipment eq(net, 1, ko, wires, dlg);
    EXPECT_TRUE(eq.SetCable(true, "800,5"));
    EXPECT_FLOAT_EQ(net.Line(1).CabDDTN, 800.5f);
    EXPECT_FALSE(eq.SetCable(true, "8x0"));
    EXPECT_FLOAT_EQ(net.Line(1).CabDDTN, 800.5f);
    EXPECT_EQ(dlg.shown.back().text, " Ошибка в позиции 2");
    eq.SetCable(false, "900");
    dlg.answers = {Answer::Cancel};
    EXPECT_FALSE(eq.ResetCable());
    EXPECT_FLOAT_EQ(net.Line(1).CabADTN, 900.0f);
    dlg.answers = {Answer::Yes};
    EXPECT_TRUE(eq.ResetCable());
    EXPECT_EQ(dlg.shown.back().text, "Вы действительно хотите сбросить ДДТН/АДТН кабеля?");
    EXPECT_EQ(net.Line(1).CabDDTN, 0.0f);
    EXPECT_EQ(net.Line(1).CabADTN, 0.0f);
}

TEST_F(LineEquipmentTest, EveryChangeOfTheWindowAndPastingMarkTheNetworkModified) {
    LineEquipment eq(net, 1, ko, wires, dlg);
    dlg.defaultAnswer = Answer::Yes;
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"choose", [&] { eq.Choose(KOGroup::Switch, 1, 0); }},
        {"delete slot", [&] { eq.DeleteSlot(KOGroup::Switch, 1); }},
        {"wire count", [&] { eq.SetWireCount(KOGroup::Bus, 2, 3); }},
        {"cable", [&] { eq.SetCable(true, "400"); }},
        {"reset cable", [&] { eq.ResetCable(); }},
        {"clear all", [&] { eq.ClearAll(); }},
        {"undo", [&] { eq.Undo(); }},
        {"paste",
         [&] {
             EquipmentClipboard clip;
             CopyEquipment(clip, 1);
             PasteEquipment(net, clip, 2);
         }},
    };
    for (const auto& [what, change] : changes) {
        net.Modified = false;
        change();
        EXPECT_TRUE(net.Modified) << what;
    }
    net.Modified = false;
    eq.SetCable(true, "4x");
    eq.SetWireCount(KOGroup::Bus, 2, net.Line(1).NBus4);  // the count it already has
    EXPECT_FALSE(PasteEquipment(net, EquipmentClipboard{}, 2));
    EXPECT_FALSE(net.Modified);
}

TEST_F(LineEquipmentTest, PasteCopiesTheEquipmentOfTheLineNowAtTheRememberedPosition) {
    TyLine& src = net.Line(2);
    src.KOSwitch1 = ko[0];
    src.KOCT2 = ko[5];
    src.Bus2 = wires.Wires[2];
    src.NBus2 = 3;
    src.NBus4 = 2;
    src.CabDDTN = 500;
    src.CabADTN = 600;
    src.Uvl = 4;
    EquipmentClipboard clip;
    CopyEquipment(clip, 2);
    const TyLine target = net.Line(1);
    ASSERT_TRUE(PasteEquipment(net, clip, 1));
    TyLine expect = target;
    expect.KOSwitch1 = ko[0];
    expect.KOCT2 = ko[5];
    expect.Bus2 = wires.Wires[2];
    expect.NBus2 = 3;
    expect.NBus4 = 2;
    expect.CabDDTN = 500;
    expect.CabADTN = 600;
    EXPECT_EQ(net.Line(1), expect);  // spans, names and voltage class of the target stay

    // The position counts, not the line: after a deletion it names the line that moved up.
    net.Line(3).CabDDTN = 77;
    ASSERT_TRUE(net.DeleteLine(2));
    ASSERT_TRUE(PasteEquipment(net, clip, 1));
    EXPECT_EQ(net.Line(1).CabDDTN, 77.0f);
    EXPECT_EQ(net.Line(1).KOSwitch1, TyKO{});

    // A position beyond the network, or none remembered: nothing is read, nothing changes.
    net.Line(1).CabDDTN = 5;
    EquipmentClipboard far;
    CopyEquipment(far, 3);
    EXPECT_FALSE(PasteEquipment(net, far, 1));
    EXPECT_FALSE(PasteEquipment(net, EquipmentClipboard{}, 1));
    EXPECT_FALSE(PasteEquipment(net, clip, 9));
    EXPECT_EQ(net.Line(1).CabDDTN, 5.0f);
}

}  // namespace

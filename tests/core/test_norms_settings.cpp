// Clearance norms file and grids, settings file, remembered folder, equipment catalog, data folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "model/AppData.h"
#include "model/Cp1251.h"
#include "model/KOCat.h"
#include "model/NormsFile.h"
#include "model/Records.h"
#include "model/Settings.h"
#include "platform/DataDir.h"
#include "tests/core/TempFolder.h"

using namespace qem;
using qemtest::TempFolder;

namespace {

float FloatAt(const Bytes& b, std::size_t offset) {
    float v;
    std::memcpy(&v, b.data() + offset, 4);
    return v;
}
void PutFloat(Bytes& b, std::size_t offset, float v) { std::memcpy(b.data() + offset, &v, 4); }

}  // namespace

TEST(NormsFile, TablesWithoutRegionsTakeTheDefaultRegionsAndSaveAt1200Bytes) {
    TempFolder dir;
    Bytes image(1120, 0);
    PutFloat(image, (1 * 4 + 2) * 4, 6.5f);         // NormGround[1][2]
    PutFloat(image, 128 + (7 * 24 + 0) * 4, 2.0f);  // NormCross[7][0]
    PutFloat(image, 896 + (3 * 7 + 1) * 4, 8.0f);   // NormObst[3][1]
    qemtest::WriteBytes(dir / "hdg7.cat", image);
    Norms n;
    for (int k = 8; k <= 10; ++k) n.IceReg[k] = n.WindReg[k] = 9;  // kept
    ASSERT_TRUE(ReadNormsFile(dir / "hdg7.cat", n));
    EXPECT_EQ(n.NormGround[1][2], 6.5f);
    EXPECT_EQ(n.NormCross[7][0], 2.0f);
    EXPECT_EQ(n.NormObst[3][1], 8.0f);
    EXPECT_EQ(n.WindReg[4], 36);
    EXPECT_EQ(n.IceReg[7], 4.0f);
    EXPECT_EQ(n.IceReg[1], 1.0f);
    EXPECT_EQ(n.WindReg[7], 49);
    EXPECT_EQ(n.IceReg[8], 9);
    EXPECT_EQ(n.WindReg[10], 9);
    // The look-ups of the calculations: a road (type 9) under 220 kV, a 6 kV line under 500 kV.
    EXPECT_EQ(ObstacleTypeNorm(n, 3, 9), 8.0f);
    n.NormCross[1][0] = 5;
    EXPECT_EQ(ObstacleTypeNorm(n, 1, 7), 5.0f);

    WriteNormsFile(dir / "hdg7.cat", n);
    auto saved = ReadFileIfExists(dir / "hdg7.cat");
    ASSERT_TRUE(saved);
    ASSERT_EQ(saved->size(), 1200u);
    EXPECT_EQ(FloatAt(*saved, 1120 + 6 * 4), 4.0f);   // IceReg[7]
    EXPECT_EQ(FloatAt(*saved, 1160 + 3 * 4), 36.0f);  // WindReg[4]
    EXPECT_EQ(FloatAt(*saved, 896 + (3 * 7 + 1) * 4), 8.0f);
    Norms back;
    ASSERT_TRUE(ReadNormsFile(dir / "hdg7.cat", back));
    EXPECT_EQ(EncodeNorms(back), *saved);
}

TEST(NormsFile, ShortFilesAreReportedByNameAndChangeNothing) {
    TempFolder dir;
    for (std::size_t size : {0u, 1119u, 1121u, 1199u}) {
        SCOPED_TRACE(size);
        qemtest::WriteBytes(dir / "hdg6.cat", Bytes(size, 1));
        Norms n;
        n.NormGround[0][0] = 7;
        try {
            ReadNormsFile(dir / "hdg6.cat", n);
            FAIL() << "no error";
        } catch (const DataFileError& e) {
            EXPECT_NE(std::string(e.what()).find("hdg6.cat"), std::string::npos);
        }
        EXPECT_EQ(n.NormGround[0][0], 7);
    }
    Norms n;
    EXPECT_FALSE(ReadNormsFile(dir / "missing.cat", n));
}

TEST(NormsGrids, ShowClassesByTheCheckBoxAndMapCellsToTables) {
    Norms n;
    n.NormGround[1][0] = 15.5f;  // 500 kV, populated
    n.NormCross[4][0] = 3;
    n.NormObst[6][4] = 11;  // 10 kV, trolleybus
    const TextGrid g5 = NormsGrid(n, NormsPage::Ground, false);
    EXPECT_EQ(g5.colCount, 6);
    EXPECT_EQ(g5.rowCount(), 5);
    EXPECT_EQ(g5.at(0, 0), "Тип местности");
    EXPECT_EQ(g5.at(0, 1), "750кВ");
    EXPECT_EQ(g5.at(0, 5), "110кВ");
    EXPECT_EQ(g5.at(4, 0), "Недоступные склоны");
    EXPECT_EQ(g5.at(1, 2), "15.5");
    EXPECT_EQ(g5.at(2, 2), " 0.0");
    const TextGrid cross = NormsGrid(n, NormsPage::Cross, true);
    EXPECT_EQ(cross.colCount, 9);
    EXPECT_EQ(cross.rowCount(), 2);
    EXPECT_EQ(cross.at(1, 0), "Минимальное расстояние между проводами, м");
    EXPECT_EQ(cross.at(1, 5), " 3.0");
    const TextGrid obst = NormsGrid(n, NormsPage::Obstacle, true);
    EXPECT_EQ(obst.at(0, 8), "6кВ");
    EXPECT_EQ(obst.at(5, 0), "Троллейбус");
    EXPECT_EQ(obst.at(5, 7), "11.0");
    // Editing: row 2, column 4 of "До препятствий" is the road norm of 220 kV.
    *NormsCell(n, NormsPage::Obstacle, 2, 4) = 8.5f;
    EXPECT_EQ(n.NormObst[3][1], 8.5f);
    EXPECT_EQ(NormsCell(n, NormsPage::Obstacle, 0, 1), nullptr);
    EXPECT_EQ(NormsCell(n, NormsPage::Cross, 2, 1), nullptr);
}

TEST(Settings, FirstStartInAnEmptyFolderWritesTheDefaults) {
    TempFolder dir;
    FolderMemory folder;
    const Settings s = LoadSettings(dir.path, folder);
    auto cfg = ReadFileIfExists(dir / "qem.cfg");
    ASSERT_TRUE(cfg);
    ASSERT_EQ(cfg->size(), 812u);
    EXPECT_EQ((*cfg)[256], 8);
    EXPECT_EQ(std::string(cfg->begin() + 257, cfg->begin() + 265), "glld.cat");
    EXPECT_EQ(std::string(cfg->begin() + 513, cfg->begin() + 520), "qem.rez");
    EXPECT_EQ((*cfg)[0], 0);  // no network file
    EXPECT_EQ(FloatAt(*cfg, 788), 90.0f);
    EXPECT_EQ(FloatAt(*cfg, 792), 90.0f);
    EXPECT_EQ(FloatAt(*cfg, 796), 80.0f);
    EXPECT_EQ(FloatAt(*cfg, 808), 70.0f);
    EXPECT_EQ(qemtest::ReadText(dir / "LODL.txt"), "\r\n0\r\n");
    EXPECT_EQ(folder.LineFolder, "");
    EXPECT_EQ(folder.SelFileRow, 0);
    EXPECT_EQ(s.WinWidth, 0);
    EXPECT_EQ(s.LongTermTemp, 70.0f);
    EXPECT_EQ(FieldText(s.WireCatFile), "glld.cat");
}

TEST(Settings, SavedRecordComesBackAndAShortOneIsReported) {
    TempFolder dir;
    Settings s;
    SetFieldText(s.NetFileName, "/home/оператор/сети/Сеть 110.qem");
    s.WinLeft = -8;
    s.WinTop = 20;
    s.WinWidth = 1200;
    s.WinHeight = 900;
    s.WinPage = 2;
    s.LongTermTemp = 80;
    FolderMemory folder{"/home/оператор/сети", 3, "Сеть 110.qem"};
    SaveSettings(dir.path, s, folder);
    FolderMemory f2;
    EXPECT_EQ(LoadSettings(dir.path, f2), s);
    EXPECT_EQ(f2, folder);
    EXPECT_EQ(FieldText(s.NetFileName), "/home/оператор/сети/Сеть 110.qem");

    qemtest::WriteBytes(dir / "qem.cfg", Bytes(811, 0));
    try {
        LoadSettings(dir.path, f2);
        FAIL() << "no error";
    } catch (const DataFileError& e) {
        EXPECT_NE(std::string(e.what()).find("qem.cfg"), std::string::npos);
    }
    EXPECT_EQ(std::filesystem::file_size(dir / "qem.cfg"), 811u);  // not replaced behind the user's back
}

TEST(FolderMemory, ReadsTheFolderTheRowAndTheName) {
    struct Case {
        const char* text;
        const char* folder;
        int row;
        const char* name = "";
    };
    const Case cases[] = {
        {"/data/lines\r\n5\r\n", "/data/lines", 5},       // an older program's two lines
        {"/data/lines\r\n\r\n", "/data/lines", 1},        // empty line 2 selects row 1
        {"/data/lines\r\n", "/data/lines", 1},            // no line 2 at all
        {"/data/lines\n 7 \n", "/data/lines", 7},         // LF only, blanks around the number
        {"/\xEB\xE8\xED\xE8\xE8\r\n2\r\n", "/линии", 2},  // Windows-1251
        {"/data\r\n2\r\n\xD1\xE5\xF2\xFC.qem\r\n", "/data", 2, "Сеть.qem"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        TempFolder dir;
        qemtest::WriteText(dir / "LODL.txt", k.text);
        FolderMemory f;
        LoadFolderMemory(dir.path, f);
        EXPECT_EQ(f.LineFolder, k.folder);
        EXPECT_EQ(f.SelFileRow, k.row);
        EXPECT_EQ(f.SelFileName, k.name);
    }
    // Written back: the name on a third line only when it is known.
    EXPECT_EQ(EncodeFolderMemory({"/data", 2, "Сеть.qem"}), "/data\r\n2\r\n\xD1\xE5\xF2\xFC.qem\r\n");
    EXPECT_EQ(EncodeFolderMemory({"/data", 2, ""}), "/data\r\n2\r\n");
    TempFolder dir;
    qemtest::WriteText(dir / "LODL.txt", "/x\r\nдва\r\n");
    FolderMemory f{"keep", 4, ""};
    EXPECT_THROW(LoadFolderMemory(dir.path, f), DataFileError);
    EXPECT_EQ(f.LineFolder, "keep");
    std::filesystem::remove(dir / "LODL.txt");
    LoadFolderMemory(dir.path, f);  // no file: the current directory, the row stays
    EXPECT_EQ(f.LineFolder, PathText(std::filesystem::current_path()));
    EXPECT_EQ(f.SelFileRow, 4);
}

namespace {

TyKO KO(const std::string& full, Byte kind, Integer i) {
    TyKO k;
    k.FullName.assign(Utf8ToCp1251(full));
    k.Name.assign("N");
    k.Kind = kind;
    k.I = i;
    for (int c = 1; c <= 13; ++c) k.DDTN[c] = k.ADTN[c] = i + c;
    return k;
}

}  // namespace

TEST(EquipmentCatalog, ReadsWholeRecordsAndIgnoresATornTail) {
    TempFolder dir;
    const KOCat two = {KO("Выключатель 110 кВ", 0, 2000), KO("Разъединитель 110 кВ", 1, 1000)};
    SaveKOCat(dir / kKOCatFileName, two);
    ASSERT_EQ(std::filesystem::file_size(dir / kKOCatFileName), 940u);
    KOCat cat;
    LoadKOCat(dir / kKOCatFileName, cat);
    EXPECT_EQ(cat, two);
    auto bytes = *ReadFileIfExists(dir / kKOCatFileName);
    bytes.push_back(0x55);
    qemtest::WriteBytes(dir / kKOCatFileName, bytes);
    KOCat cat2;
    LoadKOCat(dir / kKOCatFileName, cat2);
    EXPECT_EQ(cat2, two);

    SaveKOCat(dir / kKOCatFileName, {});
    EXPECT_EQ(std::filesystem::file_size(dir / kKOCatFileName), 0u);
    LoadKOCat(dir / kKOCatFileName, cat2);
    EXPECT_TRUE(cat2.empty());
    EXPECT_THROW(LoadKOCat(dir / "нет.cat", cat), DataFileError);
    EXPECT_EQ(cat, two);
}

TEST(EquipmentCatalog, FindsTheFirstEntryOfTheSameFullNameAndKind) {
    const KOCat cat = {KO("ВГ-110", 0, 1), KO("ВГ-110", 1, 2), KO("ВГ-110", 1, 3), KO("ВГ-110 ", 1, 4)};
    EXPECT_EQ(FindKO(cat, KO("ВГ-110", 1, 0)), 1);
    EXPECT_EQ(FindKO(cat, KO("ВГ-110", 0, 0)), 0);
    EXPECT_EQ(FindKO(cat, KO("ВГ-110", 3, 0)), -1);
    EXPECT_EQ(FindKO(cat, KO("вг-110", 0, 0)), -1);
    TyKO tail = KO("ВГ-110", 1, 0);
    tail.FullName.Chars[200] = 'x';  // bytes after the text do not count
    EXPECT_EQ(FindKO(cat, tail), 1);
}

TEST(DataFolder, ExplicitFolderMustExistAndUserFolderFollowsXdg) {
    TempFolder dir;
    EXPECT_EQ(ProgramDataDir(nullptr, PathText(dir.path)), dir.path);
    EXPECT_THROW(ProgramDataDir(nullptr, PathText(dir / "нет")), DataFileError);

    const char* oldXdg = std::getenv("XDG_DATA_HOME");
    const std::string saved = oldXdg ? oldXdg : "";
    setenv("XDG_DATA_HOME", PathText(dir.path).c_str(), 1);
    EXPECT_EQ(UserDataFolder(), dir.path / "qem");
    setenv("XDG_DATA_HOME", "relative/path", 1);  // not absolute: ignored
    EXPECT_NE(UserDataFolder(), std::filesystem::path("relative/path/qem"));
    if (oldXdg)
        setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

TEST(DataFolder, SeedingCopiesTheShippedFilesAndKeepsTheUsers) {
    TempFolder shipped, user;
    qemtest::WriteText(shipped / "glld.cat", "shipped");
    qemtest::WriteText(shipped / "hdg7.cat", "shipped");
    std::filesystem::create_directories(shipped / "lines");
    qemtest::WriteText(shipped / "lines/a.qem", "net");
    qemtest::WriteText(user / "glld.cat", "mine");
    SeedFolder(shipped.path, user.path);
    EXPECT_EQ(qemtest::ReadText(user / "glld.cat"), "mine");
    EXPECT_EQ(qemtest::ReadText(user / "hdg7.cat"), "shipped");
    EXPECT_EQ(qemtest::ReadText(user / "lines/a.qem"), "net");
}

TEST(NormsSwitch, CatalogWindowSavesTheRulesInForceFirstMainWindowWritesNothing) {
    TempFolder dir;
    Norms n7, n6;
    n7.NormGround[0][0] = 23;
    n6.NormGround[0][0] = 8;
    WriteNormsFile(dir / "hdg7.cat", n7);
    WriteNormsFile(dir / "hdg6.cat", n6);
    SaveKOCat(dir / kKOCatFileName, {});
    WireCatalog c;
    c.NWires = 1;
    c.Wires[1].Name.assign(Utf8ToCp1251("АС"));
    WriteCatalogFile(dir / "glld.cat", c);
    AppData d = LoadAll(dir.path, false);
    ASSERT_EQ(d.norms.NormGround[0][0], 23);

    // An edit of the ПУЭ 7 table, then the switch in the main window: nothing is written,
    // the ПУЭ 6 table is read, and switching back reads the old ПУЭ 7 value.
    d.norms.NormGround[0][0] = 30;
    SwitchNorms(d, true);
    EXPECT_TRUE(d.usePue6);
    EXPECT_EQ(d.norms.NormGround[0][0], 8);
    SwitchNorms(d, false);
    EXPECT_EQ(d.norms.NormGround[0][0], 23);

    // The same edit, switched in the catalog window: hdg7.cat is written before hdg6.cat is read.
    d.norms.NormGround[0][0] = 30;
    TextGrid g = FillConductorGrid(d.wires);
    g.at(1, 7) = "0,12";
    SwitchNormsSaving(d, g, true);
    EXPECT_EQ(d.norms.NormGround[0][0], 8);
    Norms saved;
    ASSERT_TRUE(ReadNormsFile(dir / "hdg7.cat", saved));
    EXPECT_EQ(saved.NormGround[0][0], 30);
    EXPECT_EQ(d.wires.Wires[1].R, 0.12f);  // the grid was taken, saved and read back

    // A grid that cannot be saved leaves the rules as they were.
    g.at(1, 7) = "abc";
    EXPECT_THROW(SwitchNormsSaving(d, g, false), GridError);
    EXPECT_TRUE(d.usePue6);
}

// qemfuzzseeds: the seed inputs of the fuzz targets, small valid files written by the
// program's own writers from the shipped data folder.
//
//   qemfuzzseeds DATA_DIR CORPUS_DIR WORKBOOK_FIXTURES_DIR   (cmake --build build --target fuzz_seeds)
//
// Writes CORPUS_DIR/<target>/<name> for every target; existing seeds of the same name are
// replaced, others are left alone.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "model/Catalog.h"
#include "model/Cp1251.h"
#include "model/KOCat.h"
#include "model/NetworkFile.h"
#include "model/NormsFile.h"
#include "model/Settings.h"
#include "platform/Workbook.h"
#include "setup/ImportTemplate.h"
#include "tools/qemdata/SampleNetwork.h"

namespace fs = std::filesystem;
using namespace qem;

namespace {

fs::path g_out;

fs::path Seed(const std::string& target, const std::string& name) {
    const fs::path dir = g_out / target;
    fs::create_directories(dir);
    return dir / name;
}

// A network of the given spans of one line of the sample.
std::vector<TyLine> Pick(const std::vector<TyLine>& sample, int line, std::vector<int> spans) {
    TyLine l = sample.at(static_cast<std::size_t>(line - 1));
    l.Spans.clear();
    for (int s : spans) l.Spans.push_back(sample.at(static_cast<std::size_t>(line - 1)).Span(s));
    return {l};
}

void Networks(const fs::path& data) {
    const std::vector<TyLine> sample = ReadNetwork(PathToUtf8(data / fs::u8path(kSampleNetworkFile)));
    WriteNetwork(PathToUtf8(Seed("network", "line1_spans1_4.qem")), Pick(sample, 1, {1, 4}));
    WriteNetwork(PathToUtf8(Seed("network", "line2_span27_two_obstacles.qem")), Pick(sample, 2, {27}));
    WriteNetwork(PathToUtf8(Seed("network", "line3_span5_three_wires.qem")), Pick(sample, 3, {5}));
    // Heights above sea level and two measured points.
    std::vector<TyLine> sea = Pick(sample, 1, {4});
    TySpan& s = sea[0].Span(1);
    s.UseSea = 1;
    s.M_middle_h = 150;
    s.Prep[1].HSeaPrep = 151;
    s.LZam[1] = s.Lpr / 4, s.HZam[1] = s.Hpr1 - 2, s.HSeaZam[1] = 152;
    s.LZam[2] = 3 * s.Lpr / 4, s.HZam[2] = s.Hpr2 - 2, s.HSeaZam[2] = 150;
    WriteNetwork(PathToUtf8(Seed("network", "sea_level_two_points.qem")), sea);
    WriteNetwork(PathToUtf8(Seed("network", "no_lines.qem")), {});
}

void Catalogs(const fs::path& data) {
    WireCatalog cat;
    ReadCatalogFile(data / kDefaultWireCatFile, cat);
    WriteCatalogFile(Seed("catalog", "shipped.cat"), cat);
    WireCatalog three = cat;
    three.NWires = 3;
    for (int k = 4; k <= kMaxWires; ++k)
        three.Wires[k] = {}, three.WireBreak[k] = three.WireSAl[k] = three.WireSSt[k] = 0;
    WriteCatalogFile(Seed("catalog", "three.cat"), three);
    // Without the arrays of breaking forces and sections, as older files are.
    const Bytes image = EncodeCatalog(three);
    WriteFileAtomically(Seed("catalog", "three_without_arrays.cat"), Bytes(image.begin(), image.begin() + 1 + 3 * 67));
    ExportGrid(FillConductorGrid(three), Seed("exchange", "three.txt"));
    ExportGrid(FillConductorGrid(cat), Seed("exchange", "shipped.txt"));
}

void NormsFiles(const fs::path& data) {
    for (bool pue6 : {false, true}) {
        Norms n;
        ReadNormsFile(data / NormsFileName(pue6), n);
        WriteNormsFile(Seed("norms", NormsFileName(pue6)), n);
        if (!pue6) {
            const Bytes image = EncodeNorms(n);
            WriteFileAtomically(Seed("norms", "tables_only.cat"),
                                Bytes(image.begin(), image.begin() + kNormsTablesSize));
        }
    }
}

void SettingsFiles() {
    WriteFileAtomically(Seed("settings", "defaults.cfg"), EncodeSettings(Settings()));
    Settings s;
    SetFieldText(s.NetFileName, "/home/инженер/сети/Пример сети.qem");
    s.WinLeft = 10, s.WinTop = 20, s.WinWidth = 1200, s.WinHeight = 800, s.WinPage = 3;
    s.LongTermTemp = 80;
    WriteFileAtomically(Seed("settings", "used.cfg"), EncodeSettings(s));
    const fs::path dir = g_out / "folder_memory";
    fs::create_directories(dir);
    for (const auto& [name, folder] : {std::pair<std::string, FolderMemory>{"empty.txt", {"", 0, ""}},
                                       {"folder.txt", {"/home/инженер/сети", 3, "Пример сети.qem"}}}) {
        SaveFolderMemory(dir, folder);
        fs::rename(dir / kFolderMemoryFileName, dir / name);
    }
}

void Equipment(const fs::path& data) {
    KOCat ko;
    LoadKOCat(data / fs::u8path(kKOCatFileName), ko);
    KOCat few;
    for (int kind = 0; kind < 4; ++kind)
        for (const TyKO& e : ko)
            if (e.Kind == kind) {
                few.push_back(e);
                break;
            }
    SaveKOCat(Seed("equipment", "one_of_each_kind.cat"), few);
    SaveKOCat(Seed("equipment", "one.cat"), KOCat(few.begin(), few.begin() + 1));
}

void TextEntries() {
    const std::pair<const char*, const char*> texts[] = {
        {"comma.txt", "12,5"},  {"exponent.txt", "-0.25e3"},        {"overflow.txt", "1e40"},   {"blanks.txt", "  7 "},
        {"letters.txt", "abc"}, {"int_overflow.txt", "2147483648"}, {"cyrillic.txt", "12,5 м"}, {"sign.txt", "-"}};
    for (const auto& [name, text] : texts) WriteFileAtomically(Seed("text_entry", name), std::string(text));
}

// Workbooks the program writes: a small one of every kind of cell and the shipped templates;
// and the .xls fixture of the workbook tests (the program writes no .xls).
void Workbooks(const fs::path& data, const fs::path& fixtures) {
    Workbook wb = Workbook::Create("Замеры");
    Sheet& s = wb.FirstSheet();
    s.SetText(1, 1, "Пролёт");
    s.SetText(1, 2, "12,5");
    s.SetNumber(2, 2, 45000.25);
    s.SetText(2, 1, "Опора 7");
    s.SetFormula(3, 2, "B1+B2", CellValue::Number(45012.75));
    CellStyle bold;
    bold.bold = true;
    bold.numberFormat = "dd.mm.yyyy";
    s.SetStyle(2, 2, wb.AddStyle(bold));
    s.Merge("C1:D2");
    WriteFileAtomically(Seed("workbook", "cells.xlsx"), wb.ToBytes());
    for (const char* t : {"шаблон экспорта.xlsx", "шаблон экспорта3.xlsx"})
        if (auto b = ReadFileIfExists(data / fs::u8path(t))) WriteFileAtomically(Seed("workbook", t), *b);
    if (auto b = ReadFileIfExists(fixtures / "kinds.xls")) WriteFileAtomically(Seed("workbook", "kinds.xls"), *b);
}

// The crews' templates (the program's own writer) and the import fixtures written by a
// spreadsheet program, .xlsx and .xls.
void ImportSheets(const fs::path& data, const fs::path& importFixtures) {
    for (ImportPoints p : {ImportPoints::One, ImportPoints::Two})
        if (auto b = ReadFileIfExists(data / fs::u8path(ImportTemplateName(p))))
            WriteFileAtomically(Seed("rows", ImportTemplateName(p)), *b);
    for (const char* f : {"one_point.xlsx", "one_point.xls", "two_points.xls", "two_points_check.xlsx",
                          "multi_line.xlsx", "error_eleven.xlsx"})
        if (auto b = ReadFileIfExists(importFixtures / f)) WriteFileAtomically(Seed("rows", f), *b);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: qemfuzzseeds DATA_DIR CORPUS_DIR WORKBOOK_FIXTURES_DIR\n";
        return 2;
    }
    try {
        const fs::path data = fs::u8path(argv[1]);
        g_out = fs::u8path(argv[2]);
        Networks(data);
        Catalogs(data);
        NormsFiles(data);
        SettingsFiles();
        Equipment(data);
        TextEntries();
        Workbooks(data, fs::u8path(argv[3]));
        ImportSheets(data, fs::u8path(argv[3]).parent_path() / "import");
    } catch (const std::exception& e) {
        std::cerr << "qemfuzzseeds: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

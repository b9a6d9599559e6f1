// Conductor catalog: file, start-up loading, sort, grid, exchange file, spans taking entries.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "model/Catalog.h"
#include "model/Cp1251.h"
#include "model/KOCat.h"
#include "model/NormsFile.h"
#include "model/Records.h"
#include "platform/ScriptedDialogs.h"
#include "tests/core/TempFolder.h"

using namespace qem;
using qemtest::TempFolder;

namespace {

TyWire Wire(const std::string& utf8Name, float sal, float sst, float d = 1.0f, float dst = 0.3f, float r = 0.3f) {
    TyWire w;
    w.Name.assign(Utf8ToCp1251(utf8Name));
    w.SAlN = sal;
    w.SStN = sst;
    w.D = d;
    w.DSt = dst;
    w.R = r;
    w.AlfaR = 0.005f;
    w.MAl = 100;
    w.MSt = 50;
    w.TMax = 90;
    return w;
}

// A catalog file image built field by field: N, the entries, then the given float blocks.
Bytes CatalogImage(std::uint8_t n, const std::vector<TyWire>& entries, int arrayBlocks,
                   const std::vector<float>& breaks = {}) {
    Bytes b{n};
    ByteWriter w(b);
    for (const auto& e : entries) Encode(w, e);
    for (int block = 0; block < arrayBlocks; ++block)
        for (int k = 1; k <= 255; ++k) {
            float v = 0;
            if (static_cast<std::size_t>(k) <= breaks.size()) v = breaks[k - 1] * static_cast<float>(block + 1);
            w.f32(v);
        }
    return b;
}

// A data folder with a norms file and an equipment catalog, so that loading runs to the sort.
struct DataFolder : TempFolder {
    DataFolder() {
        Norms n;
        WriteNormsFile(*this / "hdg7.cat", n);
        SaveKOCat(*this / kKOCatFileName, {});
    }
};

std::string Name(const WireCatalog& c, int k) { return Cp1251ToUtf8(c.Wires[k].Name.str()); }

}  // namespace

TEST(ConductorCatalog, LoadSortsByUnsignedNameBytesPrefixFirstThenAluminiumSectionAndMovesArrays) {
    DataFolder dir;
    // АС 120, АС 95, А 50, then names that differ in the sign of their bytes: Latin "A" (0x41)
    // must come before Cyrillic "А" (0xC0) when bytes are compared as unsigned numbers.
    std::vector<TyWire> e = {Wire("АС", 120, 19), Wire("АС", 95, 16), Wire("А", 50, 0), Wire("A", 70, 0)};
    qemtest::WriteBytes(dir / "glld.cat", CatalogImage(4, e, 3, {1200, 950, 500, 700}));
    WireCatalog c;
    Norms n;
    KOCat ko;
    CatalogLoad st = LoadCatalogs(dir.path, "glld.cat", false, c, n, ko);
    ASSERT_TRUE(st.wiresRead && st.normsRead && st.koRead && st.sorted);
    ASSERT_EQ(c.NWires, 4);
    const char* names[] = {"A", "А", "АС", "АС"};
    const float sections[] = {70, 50, 95, 120};
    const float breaks[] = {700, 500, 950, 1200};
    for (int k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(Name(c, k), names[k - 1]);
        EXPECT_EQ(c.Wires[k].SAlN, sections[k - 1]);
        EXPECT_EQ(c.WireBreak[k], breaks[k - 1]);
        EXPECT_EQ(c.WireSAl[k], 2 * breaks[k - 1]);  // the second block holds twice the first
        EXPECT_EQ(c.WireSSt[k], 3 * breaks[k - 1]);
        EXPECT_FLOAT_EQ(c.Wires[k].AlfaR, 0.00403f);  // forced, the file holds 0.005
    }
}

TEST(ConductorCatalog, SortIsStableAndDescendingKeepsSectionsAscending) {
    WireCatalog c;
    std::vector<TyWire> e = {Wire("АС", 95, 16, 1.1f), Wire("А", 50, 0), Wire("АС", 95, 16, 1.2f), Wire("АС", 70, 11)};
    for (std::size_t i = 0; i < e.size(); ++i) {
        c.Wires[static_cast<int>(i) + 1] = e[i];
        c.WireBreak[static_cast<int>(i) + 1] = static_cast<float>(i + 1);
    }
    c.NWires = 4;
    SortCatalog(c);
    EXPECT_EQ(Name(c, 1), "А");
    EXPECT_EQ(c.Wires[2].SAlN, 70);
    EXPECT_EQ(c.Wires[3].D, 1.1f);  // equal keys keep their order
    EXPECT_EQ(c.Wires[4].D, 1.2f);
    EXPECT_EQ(c.WireBreak[3], 1);
    SortCatalog(c, SortOrder::Descending);
    EXPECT_EQ(Name(c, 1), "АС");
    EXPECT_EQ(c.Wires[1].SAlN, 70);
    EXPECT_EQ(c.Wires[2].D, 1.1f);
    EXPECT_EQ(Name(c, 4), "А");
}

TEST(ConductorCatalog, FileWithoutArraysLoadsZerosAndSavesAtFullLength) {
    DataFolder dir;
    std::vector<TyWire> e = {Wire("АС", 240, 39), Wire("АС", 95, 16)};
    qemtest::WriteBytes(dir / "glld.cat", CatalogImage(2, e, 0));
    ASSERT_EQ(std::filesystem::file_size(dir / "glld.cat"), 1u + 67 * 2);
    WireCatalog c;
    c.WireBreak[1] = 99;  // must be cleared, not kept
    Norms n;
    KOCat ko;
    LoadCatalogs(dir.path, "glld.cat", false, c, n, ko);
    ASSERT_EQ(c.NWires, 2);
    for (int k = 1; k <= 255; ++k) {
        EXPECT_EQ(c.WireBreak[k], 0);
        EXPECT_EQ(c.WireSAl[k], 0);
        EXPECT_EQ(c.WireSSt[k], 0);
    }
    SaveCatalogs(FillConductorGrid(c), dir.path, "glld.cat", false, c, n);
    EXPECT_EQ(std::filesystem::file_size(dir / "glld.cat"), 3061u + 67 * 2);
    EXPECT_EQ(std::filesystem::file_size(dir / "hdg7.cat"), 1200u);
    WireCatalog back;
    ASSERT_TRUE(ReadCatalogFile(dir / "glld.cat", back));
    EXPECT_EQ(back, c);
}

TEST(ConductorCatalog, FirstByteZeroIsReadAsOneEntry) {
    TempFolder dir;
    qemtest::WriteBytes(dir / "c.cat", CatalogImage(0, {Wire("АС", 35, 6.2f)}, 0));
    WireCatalog c;
    ASSERT_TRUE(ReadCatalogFile(dir / "c.cat", c));
    EXPECT_EQ(c.NWires, 1);
    EXPECT_EQ(c.Wires[1].SAlN, 35);
}

TEST(ConductorCatalog, StartUpLoadingStopsWhereTheFilesSay) {
    struct Case {
        const char* what;
        bool catalog, norms, shortNorms, ko, damagedCatalog;
        bool wiresRead, normsRead, koRead, sorted;
        int errors;
    };
    const Case cases[] = {
        {"all files", true, true, false, true, false, true, true, true, true, 0},
        {"no catalog: unchanged, loading goes on", false, true, false, true, false, false, true, true, true, 0},
        {"no norms: silent stop", true, false, false, true, false, true, false, false, false, 0},
        {"short norms: reported stop", true, true, true, true, false, true, false, false, false, 1},
        {"no equipment catalog: reported, no sort", true, true, false, false, false, true, true, false, false, 1},
        {"damaged catalog: reported, unchanged, goes on", true, true, false, true, true, false, true, true, true, 1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        TempFolder dir;
        if (k.catalog)
            qemtest::WriteBytes(dir / "glld.cat", k.damagedCatalog
                                                      ? CatalogImage(3, {Wire("А", 50, 0)}, 0)
                                                      : CatalogImage(2, {Wire("АС", 95, 16), Wire("А", 50, 0)}, 3));
        if (k.norms) qemtest::WriteBytes(dir / "hdg7.cat", Bytes(k.shortNorms ? 1000 : 1200, 0));
        if (k.ko) SaveKOCat(dir / kKOCatFileName, {TyKO{}});
        WireCatalog c;
        c.NWires = 2;
        c.Wires[1] = Wire("Старый", 10, 0);
        c.Wires[2] = Wire("Б", 10, 0);
        Norms n;
        n.NormGround[0][0] = 42;
        KOCat ko;
        ScriptedDialogs dlg;
        CatalogLoad st = LoadCatalogs(dir.path, "glld.cat", false, c, n, ko, &dlg);
        EXPECT_EQ(st.wiresRead, k.wiresRead);
        EXPECT_EQ(st.normsRead, k.normsRead);
        EXPECT_EQ(st.koRead, k.koRead);
        EXPECT_EQ(st.sorted, k.sorted);
        EXPECT_EQ(static_cast<int>(st.errors.size()), k.errors);
        EXPECT_EQ(static_cast<int>(dlg.shown.size()), k.errors);
        EXPECT_EQ(ko.size(), k.koRead ? 1u : 0u);
        if (!k.normsRead) {
            EXPECT_EQ(n.NormGround[0][0], 42);  // tables keep their contents
        }
        if (k.wiresRead) {
            EXPECT_EQ(Name(c, 1), k.sorted ? "А" : "АС");
        } else {
            EXPECT_EQ(Name(c, 1), "Б");  // unchanged catalog, sorted
        }
        for (const auto& e : st.errors) {
            const bool namesFile = e.find("hdg7.cat") != std::string::npos || e.find("glld.cat") != std::string::npos ||
                                   e.find("концевое оборудование.cat") != std::string::npos;
            EXPECT_TRUE(namesFile) << e;
        }
    }
}

TEST(ConductorCatalog, DamagedFilesAreRefusedWhole) {
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"empty", {}},
        {"entries cut short", CatalogImage(2, {Wire("А", 50, 0)}, 0)},
        {"breaking forces cut short",
         [] {
             Bytes b = CatalogImage(1, {Wire("А", 50, 0)}, 1);
             b.resize(b.size() - 4);
             return b;
         }()},
        {"sections cut short",
         [] {
             Bytes b = CatalogImage(1, {Wire("А", 50, 0)}, 3);
             b.resize(b.size() - 1);
             return b;
         }()},
    };
    for (const auto& [what, image] : cases) {
        SCOPED_TRACE(what);
        WireCatalog c;
        c.NWires = 1;
        c.Wires[1] = Wire("Был", 1, 1);
        const WireCatalog before = c;
        EXPECT_THROW(DecodeCatalog(image, c, "glld.cat"), DataFileError);
        EXPECT_EQ(c, before);
    }
}

TEST(ConductorCatalog, DisplayTextRightAlignsTheNameIn29Characters) {
    const std::string t = WireDisplayText(Wire("АС", 240, 39));
    EXPECT_EQ(t, std::string(27, ' ') + "АС- 240/ 39");
    EXPECT_EQ(Utf8Length(t), 29u + 1 + 4 + 1 + 3);
    EXPECT_EQ(WireDisplayText(Wire("А", 16, 2.7f)), std::string(28, ' ') + "А-  16/  3");
}

TEST(ConductorCatalog, GridShowsTheFormatsAndTakesBackExactValues) {
    WireCatalog c;
    c.NWires = 2;
    c.Wires[1] = Wire("АС", 16, 2.7f, 0.56f, 0.19f, 1.7818f);
    c.Wires[1].MAl = 43.6f;
    c.WireSAl[1] = 16.13f;
    c.WireSSt[1] = 2.69f;
    c.WireBreak[1] = 6220;
    c.Wires[2] = Wire("АС", 240, 39, 2.16f, 0.8f, 0.122f);
    c.Wires[2].MAl = 650;
    c.WireBreak[2] = 80895;
    c.WireSAl[2] = 236.1f;
    c.WireSSt[2] = 38.6f;
    const TextGrid g = FillConductorGrid(c);
    ASSERT_EQ(g.rowCount(), 3);
    ASSERT_EQ(g.colCount, 12);
    EXPECT_EQ(g.at(0, 0), "Тип");
    EXPECT_EQ(g.at(0, 10), "Разр.ус.,Н");
    const std::vector<std::string> row2 = {"АС",   " 240",  " 39",  " 236.1", " 38.6",  "2.16",
                                           "0.80", "0.122", " 650", "  50",   " 80895", "    90"};
    EXPECT_EQ(g.rows[2], row2);
    // Values the formats would round are shown exactly, so that saving does not change them.
    EXPECT_EQ(g.at(1, 2), "2.7");
    EXPECT_EQ(g.at(1, 7), "1.7818");
    WireCatalog back = CatalogFromGrid(g, c);
    EXPECT_EQ(back, c);
}

TEST(ConductorCatalog, GridValuesAcceptACommaAndRefuseText) {
    WireCatalog c;
    c.NWires = 1;
    c.Wires[1] = Wire("А", 50, 0);
    TextGrid g = FillConductorGrid(c);
    g.at(1, 7) = "12,5";
    EXPECT_EQ(CatalogFromGrid(g, c).Wires[1].R, 12.5f);
    TempFolder dir;
    Norms n;
    g.at(1, 5) = "1.2x";
    try {
        SaveCatalogs(g, dir.path, "glld.cat", false, c, n);
        FAIL() << "no error";
    } catch (const GridError& e) {
        EXPECT_NE(std::string(e.what()).find("1.2x"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("d пр,см"), std::string::npos);
    }
    EXPECT_EQ(c.Wires[1].R, 0.3f);  // nothing taken
    EXPECT_FALSE(std::filesystem::exists(dir / "glld.cat"));
    EXPECT_FALSE(std::filesystem::exists(dir / "hdg7.cat"));
    TextGrid headerOnly = FillConductorGrid(WireCatalog{});
    EXPECT_THROW(CatalogFromGrid(headerOnly, c), GridError);
}

TEST(ConductorCatalog, SaveKeepsAlfaRAndTakesRowsInGridOrder) {
    TempFolder dir;
    WireCatalog c;
    c.NWires = 5;
    for (int k = 1; k <= 5; ++k) {
        c.Wires[k] = Wire("АС", 10.0f * k, 1);
        c.Wires[k].AlfaR = 0.00403f;
        c.WireBreak[k] = 1000.0f * k;
    }
    TextGrid g = FillConductorGrid(c);
    g.removeRow(3);  // the catalog window's "Удалить" on row 3
    Norms n;
    SaveCatalogs(g, dir.path, "glld.cat", true, c, n);
    ASSERT_EQ(c.NWires, 4);
    const float kept[] = {10, 20, 40, 50};
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(c.Wires[k].SAlN, kept[k - 1]);
        EXPECT_EQ(c.WireBreak[k], kept[k - 1] * 100);
        EXPECT_EQ(c.Wires[k].AlfaR, 0.00403f);
    }
    EXPECT_EQ(std::filesystem::file_size(dir / "glld.cat"), 3061u + 67 * 4);
    EXPECT_TRUE(std::filesystem::exists(dir / "hdg6.cat"));  // the norms in force
    EXPECT_FALSE(std::filesystem::exists(dir / "hdg7.cat"));
}

TEST(ExchangeFile, RoundTripsTheGridInWindows1251WithCrLf) {
    TempFolder dir;
    WireCatalog c;
    c.NWires = 2;
    c.Wires[1] = Wire("АС", 95, 16);
    c.Wires[2] = Wire("АСКП", 120, 19);
    const TextGrid g = FillConductorGrid(c);
    ExportGrid(g, dir / kExchangeFileName);
    const std::string text = qemtest::ReadText(dir / kExchangeFileName);
    EXPECT_EQ(text.substr(0, 8), "12\r\n3\r\n\xD2");  // counts, then "Тип" in Windows-1251
    EXPECT_NE(text.find("\xC0\xD1\xCA\xCF;"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 3), ";\r\n");
    TextGrid back;
    ImportGrid(back, dir / kExchangeFileName);
    EXPECT_EQ(back, g);
}

TEST(ExchangeFile, LongRowsAreCutAndShortLinesLeaveCellsEmpty) {
    TempFolder dir;
    TextGrid g(2, 3);
    g.at(0, 0) = "a";
    g.at(1, 0) = std::string(300, 'x');
    g.at(1, 1) = "y";
    ExportGrid(g, dir / "t.txt");
    TextGrid back;
    ImportGrid(back, dir / "t.txt");
    ASSERT_EQ(back.rowCount(), 2);
    EXPECT_EQ(back.at(1, 0), "");  // the 255-character line holds no ";" any more
    qemtest::WriteText(dir / "u.txt", "3\r\n1\r\nalpha;beta\r\n");
    ImportGrid(back, dir / "u.txt");
    EXPECT_EQ(back.at(0, 0), "alpha");
    EXPECT_EQ(back.at(0, 1), "");  // "beta" has no ";" after it
    EXPECT_EQ(back.at(0, 2), "");
}

TEST(ExchangeFile, MissingOrMalformedFilesLeaveTheGridUnchanged) {
    TempFolder dir;
    TextGrid g(1, 1);
    g.at(0, 0) = "keep";
    const TextGrid before = g;
    const std::pair<const char*, const char*> cases[] = {
        {"counts not numbers", "x\r\n1\r\na;\r\n"},
        {"negative rows", "1\r\n-1\r\n"},
        {"fewer lines than rows", "2\r\n3\r\na;b;\r\n"},
        {"empty", ""},
    };
    EXPECT_THROW(ImportGrid(g, dir / "none.txt"), DataFileError);
    for (const auto& [what, text] : cases) {
        SCOPED_TRACE(what);
        qemtest::WriteText(dir / "bad.txt", text);
        EXPECT_THROW(ImportGrid(g, dir / "bad.txt"), DataFileError);
        EXPECT_EQ(g, before);
    }
}

namespace {

struct SpanFixture {
    WireCatalog cat;
    std::vector<TyLine> lines;
    SpanFixture() {
        cat.NWires = 2;
        cat.Wires[1] = Wire("АС", 95, 16, 1.35f, 0.45f, 0.3007f);
        cat.Wires[2] = Wire("АС", 240, 39, 2.16f, 0.8f, 0.1222f);
        for (int k = 1; k <= 2; ++k) {
            cat.Wires[k].AlfaR = 0.00403f;
            cat.Wires[k].TMax = 90;
        }
        cat.WireBreak[1] = 33369;
        cat.WireBreak[2] = 80895;
        lines.resize(2);
        lines[0].Spans.resize(3);
        lines[1].Spans.resize(1);
        for (auto& l : lines)
            for (auto& s : l.Spans) {
                s.Pr = Wire("АС", 240, 39, 2.16f, 0.8f, 0.2f);  // stale resistance and masses
                s.Pr.AlfaR = 0.0041f;
                s.Pr.TMax = 70;
                s.PrBreak = 1;
            }
    }
};

}  // namespace

TEST(SpanConductor, OpeningRefreshesOnlyExactlyEqualConductors) {
    SpanFixture f;
    TySpan& exact = f.lines[0].Spans[0];
    TySpan& lastBit = f.lines[0].Spans[1];
    TySpan& lowerCase = f.lines[0].Spans[2];
    lastBit.Pr.D = std::nextafter(2.16f, 3.0f);
    lowerCase.Pr.Name.assign(Utf8ToCp1251("ас"));
    const TySpan lastBitBefore = lastBit, lowerBefore = lowerCase;
    RefreshConductors(f.lines, f.cat);
    EXPECT_EQ(exact.Pr, f.cat.Wires[2]);  // resistance, masses, TMax and AlfaR from the entry
    EXPECT_EQ(exact.PrBreak, 80895);
    EXPECT_EQ(f.lines[1].Spans[0].Pr.R, 0.1222f);  // every line
    EXPECT_EQ(lastBit, lastBitBefore);
    EXPECT_EQ(lowerCase, lowerBefore);
}

TEST(SpanConductor, ChoosingSetsEverySelectedSpanAndKeepsItsAlfaR) {
    SpanFixture f;
    auto& spans = f.lines[0].Spans;
    spans[1].Pr.AlfaR = 0.0039f;
    ChooseConductor(f.cat, 1, {&spans[0], &spans[1], &spans[2]});
    for (const auto& s : spans) {
        EXPECT_EQ(s.Pr.Name.str(), f.cat.Wires[1].Name.str());
        EXPECT_EQ(s.Pr.SAlN, 95);
        EXPECT_EQ(s.Pr.D, 1.35f);
        EXPECT_EQ(s.Pr.R, 0.3007f);
        EXPECT_EQ(s.Pr.TMax, 90);
        EXPECT_EQ(s.PrBreak, 33369);
    }
    EXPECT_EQ(spans[0].Pr.AlfaR, 0.0041f);
    EXPECT_EQ(spans[1].Pr.AlfaR, 0.0039f);
    const TySpan before = f.lines[1].Spans[0];
    ChooseConductor(f.cat, 3, {&f.lines[1].Spans[0]});  // no entry 3
    EXPECT_EQ(f.lines[1].Spans[0], before);
}

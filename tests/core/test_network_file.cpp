// The network file: layout, round trip, damaged files, folder listing and merging.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <random>

#include "NetworkFixtures.h"
#include "model/NetworkCheck.h"
#include "model/NetworkFile.h"
#include "model/Records.h"

using namespace qem;
using namespace qem::test;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Slurp(const std::string& path) { return ReadWholeFile(path); }

void Put(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void PutInt(std::vector<std::uint8_t>& b, std::size_t at, std::int32_t v) { std::memcpy(b.data() + at, &v, 4); }

std::vector<TyLine> FullNetwork(int seed = 1) {
    Seq q(seed);
    return {FullLine(q, 1), FullLine(q, 3)};
}

std::vector<TyLine> NewNetwork(int nlines, int nspans) {
    std::vector<TyLine> lines;
    for (int i = 0; i < nlines; ++i) {
        TyLine l = NewLine(TyWire{}, 45000.0);
        l.NVL = i + 1;
        l.Spans.resize(static_cast<std::size_t>(nspans), l.Spans[0]);
        lines.push_back(l);
    }
    return lines;
}

}  // namespace

TEST(NetworkFile, OneLineWithOneSpanIs5686Bytes) {
    TempFolder dir("size");
    const std::string path = dir.file("one.qem");
    WriteNetwork(path, NewNetwork(1, 1));
    const auto b = Slurp(path);
    ASSERT_EQ(b.size(), 5686u);
    std::int32_t n, ns;
    std::memcpy(&n, b.data(), 4);
    std::memcpy(&ns, b.data() + 4 + 73, 4);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(ns, 1);
    // An empty network is its count alone, and reads back.
    WriteNetwork(path, {});
    EXPECT_EQ(Slurp(path).size(), 4u);
    EXPECT_TRUE(ReadNetwork(path).empty());
}

TEST(NetworkFile, EveryFieldRoundTripsByteForByte) {
    TempFolder dir("roundtrip");
    const std::string a = dir.file("Сеть Южная.qem"), b = dir.file("copy.qem");
    const std::vector<TyLine> lines = FullNetwork();
    WriteNetwork(a, lines);
    const auto bytes = Slurp(a);
    EXPECT_EQ(bytes.size(), 4 + LineImageSize(1) + LineImageSize(3));
    // The line images follow the count unchanged.
    EXPECT_TRUE(std::equal(bytes.begin() + 4, bytes.begin() + 4 + static_cast<long>(LineImageSize(1)),
                           ToBytes(lines[0]).begin()));

    const std::vector<TyLine> back = ReadNetwork(a);
    ASSERT_EQ(back, lines);
    EXPECT_EQ(Cp1251ToUtf8(back[1].From.str()), "ПС Южная");
    WriteNetwork(b, back);
    EXPECT_EQ(Slurp(b), bytes);
}

TEST(NetworkFile, ReadIntoNetworkReplacesOnlyOnSuccess) {
    TempFolder dir("readnet");
    Network net;
    net.NetFileName = dir.file("n.qem");
    WriteNetwork(net.NetFileName, FullNetwork(2));
    net.CurLine = 2;
    ReadNetwork(net);
    EXPECT_EQ(net.Lines, FullNetwork(2));
    EXPECT_EQ(net.CurLine, 2);  // the current position is the caller's business

    net.Lines = NewNetwork(1, 1);
    WriteNetwork(net);
    EXPECT_EQ(Slurp(net.NetFileName).size(), 5686u);
}

TEST(NetworkFile, DamagedFilesAreRefusedAndTheNetworkStaysAsItWas) {
    const std::vector<std::uint8_t> good = EncodeNetwork(NewNetwork(3, 2));
    const std::size_t line = LineImageSize(2);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const char* message;  // a part of the expected message
    };
    auto with = [&](auto edit) {
        auto b = good;
        edit(b);
        return b;
    };
    const std::vector<Case> cases = {
        {"empty", {}, "нет даже числа линий"},
        {"3 bytes", {1, 0, 0}, "нет даже числа линий"},
        {"negative count", with([](auto& b) { PutInt(b, 0, -1); }), "число линий -1 (допустимо 0..1000)"},
        {"1001 lines", with([](auto& b) { PutInt(b, 0, 1001); }), "число линий 1001"},
        {"count above the lines", with([](auto& b) { PutInt(b, 0, 4); }), "обрезан в линии 4"},
        {"count below the lines", with([](auto& b) { PutInt(b, 0, 2); }), "лишние "},
        {"cut in line 3", std::vector<std::uint8_t>(good.begin(), good.end() - 100),
         "обрезан в линии 3 (ожидалось 7243 байт, осталось 7143)"},
        {"cut in a header", std::vector<std::uint8_t>(good.begin(), good.begin() + 4 + static_cast<long>(line) + 50),
         "обрезан в линии 2"},
        {"negative NSpans", with([&](auto& b) { PutInt(b, 4 + line + 73, -3); }),
         "в линии 2 число пролётов -3 (допустимо 1..2550)"},
        {"zero NSpans", with([&](auto& b) { PutInt(b, 4 + 73, 0); }), "в линии 1 число пролётов 0"},
        {"2551 spans", with([&](auto& b) { PutInt(b, 4 + 73, 2551); }), "число пролётов 2551"},
        {"huge NSpans", with([&](auto& b) { PutInt(b, 4 + 73, 0x7fffffff); }), "число пролётов 2147483647"},
        {"NSpans larger than the file", with([&](auto& b) { PutInt(b, 4 + 2 * line + 73, 2500); }),
         "обрезан в линии 3"},
        {"trailing bytes", with([](auto& b) { b.insert(b.end(), 7, 0); }), "после последней линии лишние 7 байт"},
        {"old layout", with([&](auto& b) { b.resize(4 + 400885); }), "похоже, это файл старого формата"},
    };
    TempFolder dir("damaged");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("bad.qem");
        Put(path, c.bytes);
        Network net;
        net.Lines = FullNetwork(4);
        net.NetFileName = path;
        try {
            ReadNetwork(net);
            ADD_FAILURE() << "no error";
        } catch (const FileError& e) {
            const std::string m = e.what();
            EXPECT_NE(m.find(c.message), std::string::npos) << m;
            EXPECT_NE(m.find("«" + path + "»"), std::string::npos) << m;
        }
        EXPECT_EQ(net.Lines, FullNetwork(4));
        // The checker names the same fault.
        const auto problems = CheckNetworkImage(c.bytes, path);
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_NE(problems[0].find(c.message), std::string::npos) << problems[0];
    }
}

TEST(NetworkFile, MissingFileOrFolderIsAClearError) {
    TempFolder dir("missing");
    try {
        ReadNetwork(dir.file("нет такого.qem"));
        ADD_FAILURE();
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("не найден"), std::string::npos) << e.what();
    }
    EXPECT_THROW(ReadNetwork(dir.path().string()), FileError);
}

TEST(NetworkFile, FailedWriteLeavesThePreviousFileIntact) {
    TempFolder dir("failwrite");
    const std::string path = dir.file("net.qem");
    WriteNetwork(path, NewNetwork(2, 1));
    const auto before = Slurp(path);

    std::vector<TyLine> spanless = NewNetwork(2, 1);
    spanless[1].Spans.clear();
    EXPECT_THROW(WriteNetwork(path, spanless), FileError);
    EXPECT_THROW(WriteNetwork(path, NewNetwork(1001, 1)), FileError);
    EXPECT_EQ(Slurp(path), before);

    fs::create_directory(dir.path() / "sub.qem");
    EXPECT_THROW(WriteNetwork(dir.file("sub.qem"), NewNetwork(1, 1)), FileError);
    EXPECT_THROW(WriteNetwork(dir.file("no/such/folder.qem"), NewNetwork(1, 1)), FileError);
    EXPECT_TRUE(fs::is_directory(dir.path() / "sub.qem"));
    // Nothing but the file and the folder: no temporary left behind.
    int entries = 0;
    for (const auto& e : fs::directory_iterator(dir.path())) ++entries, (void)e;
    EXPECT_EQ(entries, 2);
}

TEST(NetworkFolder, ScanFindsQemFilesInAnyLetterCase) {
    TempFolder dir("scan");
    for (const char* n : {"a.qem", "B.QEM", "Линия.Qem", "d.txt", "e.qemx", "qem", "f.qem.bak"}) Put(dir.file(n), {});
    fs::create_directory(dir.path() / "g.qem");
    std::vector<std::string> expected;  // the file system's own order
    for (const auto& e : fs::directory_iterator(dir.path())) {
        const std::string n = PathToUtf8(e.path().filename());
        if (n == "a.qem" || n == "B.QEM" || n == "Линия.Qem") expected.push_back(n);
    }
    EXPECT_EQ(ScanFolder(dir.path().string()), expected);
    EXPECT_EQ(expected.size(), 3u);
    EXPECT_TRUE(ScanFolder(dir.file("absent")).empty());
}

TEST(NetworkFolder, MergeWritesEveryOtherFileAndSkipsDamagedOnes) {
    TempFolder dir("merge");
    const auto x = FullNetwork(5);    // 2 lines
    const auto y = NewNetwork(3, 2);  // 3 lines
    WriteNetwork(dir.file("x.qem"), x);
    WriteNetwork(dir.file("y.QEM"), y);
    WriteNetwork(dir.file("db_1.qem"), NewNetwork(7, 1));  // an earlier merge, any letter case
    Put(dir.file("broken.qem"), {5, 0, 0, 0, 1, 2});
    Put(dir.file("notes.txt"), {1, 2, 3});

    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        const MergeResult r = MergeFolder(dir.path().string());
        ASSERT_TRUE(r.written);
        EXPECT_EQ(r.total, 5);
        ASSERT_EQ(r.problems.size(), 1u);
        EXPECT_NE(r.problems[0].find("broken.qem"), std::string::npos) << r.problems[0];

        const std::string db = dir.file("DB_1.qem");
        const auto bytes = Slurp(db);
        const auto layout = ScanNetworkLayout(bytes, db);  // the count agrees with the images
        EXPECT_EQ(layout.size(), 5u);
        // The images are byte copies of the sources, in enumeration order.
        std::vector<std::uint8_t> want(4);
        PutInt(want, 0, 5);
        for (const std::string& name : r.merged) {
            const auto src = Slurp(dir.file(name));
            want.insert(want.end(), src.begin() + 4, src.end());
        }
        EXPECT_EQ(r.merged.size(), 2u);
        EXPECT_EQ(bytes, want);
    }
}

TEST(NetworkFolder, MergeStopsWithoutFolderAndRefusesMoreThan1000Lines) {
    EXPECT_FALSE(MergeFolder("/nonexistent/folder/for/qem").written);

    TempFolder dir("merge_big");
    WriteNetwork(dir.file("a.qem"), NewNetwork(600, 1));
    WriteNetwork(dir.file("b.qem"), NewNetwork(401, 1));
    const MergeResult r = MergeFolder(dir.path().string());
    EXPECT_FALSE(r.written);
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_NE(r.problems[0].find("1001"), std::string::npos) << r.problems[0];
    EXPECT_FALSE(fs::exists(dir.path() / "DB_1.qem"));
}

TEST(NetworkCheck, SoundNetworkHasNoProblems) {
    EXPECT_TRUE(CheckLines(NewNetwork(2, 3)).empty());
    EXPECT_TRUE(CheckNetworkImage(EncodeNetwork(NewNetwork(1, 1)), "n.qem").empty());
}

TEST(NetworkCheck, EveryFieldProblemIsReported) {
    auto lines = NewNetwork(2, 2);
    TyLine& l = lines[1];
    l.Uvl = 9;
    l.KOCT1.Kind = 4;
    l.NBus3 = -1;
    l.From.Len = 26;
    TySpan& s = l.Spans[1];
    s.Mpr = 0;
    s.NPrep = 2;
    s.Prep[2].TPrp = 13;
    s.Prep[5].TPrp = 99;  // not in use: not a problem
    s.Tzv = 4;
    s.TM = -1;
    s.RegV = 8;
    s.Lpr = std::nanf("");
    s.Zamer[1].Time = INFINITY;
    s.Pr.D = -INFINITY;
    s.Pr.Name.Len = 31;
    lines[0].Spans[0].NPrep = 11;
    const std::vector<std::string> want = {
        "Линия 1, пролёт 1: NPrep = 11 (допустимо 0..10)",
        "Линия 2: From — длина строки 26 больше 25 символов",
        "Линия 2: Uvl = 9 (допустимо 0..7)",
        "Линия 2: KOCT1.Kind = 4 (допустимо 0..3)",
        "Линия 2: NBus3 = -1 (число проводов меньше 0)",
        "Линия 2, пролёт 2: Pr.Name — длина строки 31 больше 30 символов",
        "Линия 2, пролёт 2: Pr.D не является конечным числом (-inf)",
        "Линия 2, пролёт 2: Lpr не является конечным числом (nan)",
        "Линия 2, пролёт 2: Zamer[1].Time не является конечным числом (inf)",
        "Линия 2, пролёт 2: Mpr = 0 (допустимо 1..20)",
        "Линия 2, пролёт 2: Prep[2].TPrp = 13 (допустимо 0..12)",
        "Линия 2, пролёт 2: RegV = 8 (допустимо 1..7)",
        "Линия 2, пролёт 2: Tzv = 4 (допустимо 0..3)",
        "Линия 2, пролёт 2: TM = -1 (допустимо 0..3)",
    };
    EXPECT_EQ(CheckLines(lines), want);
}

// Truncations and random corruptions of valid files: the reader either refuses with a
// FileError or gives lines whose image is the file itself; the checker never fails.
TEST(NetworkFileRobustness, TruncatedAndCorruptedFilesNeverCrash) {
    Seq q(7);
    const std::vector<std::uint8_t> good = EncodeNetwork({FullLine(q, 2), FullLine(q, 1), NewLine(TyWire{}, 1)});
    std::mt19937 rng(12345);
    auto probe = [&](const std::vector<std::uint8_t>& b) {
        try {
            const auto lines = DecodeNetwork(b, "f.qem");
            ASSERT_EQ(EncodeNetwork(lines), b);
        } catch (const FileError&) {
        }
        (void)CheckNetworkImage(b, "f.qem");
    };
    // Cuts at every line boundary and around it, and at random places.
    std::vector<std::size_t> cuts = {0, 1, 3, 4, 5, 4 + 77, 4 + LineImageSize(2), 4 + LineImageSize(2) + 76};
    for (int i = 0; i < 150; ++i) cuts.push_back(rng() % good.size());
    for (std::size_t c : cuts) probe(std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(c)));
    // Random bytes anywhere, and random counts where the counts live.
    const std::size_t countAt[] = {0, 4 + 73, 4 + LineImageSize(2) + 73, 4 + LineImageSize(2) + LineImageSize(1) + 73};
    for (int i = 0; i < 250; ++i) {
        auto b = good;
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int k = 0; k < flips; ++k) b[rng() % b.size()] = static_cast<std::uint8_t>(rng());
        if (i % 2) PutInt(b, countAt[rng() % 4], static_cast<std::int32_t>(rng() % 8 == 0 ? rng() : rng() % 6));
        if (i % 5 == 0) b.resize(b.size() + rng() % 3000);
        probe(b);
    }
}

// Damaged and hostile data: absurd values end in the calculation error, values no calculation
// can use are named with their line and span, norms that cannot be norms are refused, huge
// files are refused before they are read, and text from files cannot steer a terminal.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "engine/CalcError.h"
#include "engine/Loads.h"
#include "engine/StateChange.h"
#include "engine/UsableValues.h"
#include "lines/CalcCommands.h"
#include "lines/ComponentLimits.h"
#include "lines/Series.h"
#include "model/AppData.h"
#include "model/Catalog.h"
#include "model/Cp1251.h"
#include "model/KOCat.h"
#include "model/NetworkFile.h"
#include "model/NormsFile.h"
#include "model/Records.h"
#include "model/Settings.h"
#include "platform/ScriptedDialogs.h"

using namespace qem;
using qemtest::TempFolder;
namespace fs = std::filesystem;

namespace {

const fs::path kData = fs::path(QEM_BIN_DIR) / "data";
const std::string kSample = PathToUtf8(kData / fs::u8path("Пример сети.qem"));
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Line 1 of the sample network (110 kV "ПС Южная"-"ПС Северная"; span 4 - 5 crosses an
// obstacle) as the open network, with the shipped norms.
struct SampleLine {
    AppData data = LoadAll(kData, false);
    Network net;
    CalcEnv env;
    ScriptedDialogs dlg;

    explicit SampleLine(int spans = 0) {
        net.Lines = {ReadNetwork(kSample).at(0)};
        if (spans > 0) net.Lines[0].Spans.resize(static_cast<std::size_t>(spans));
        net.CurLine = 1;
        net.ResetCurSpans();
        env.norms = &data.norms;
    }
    TyLine& line() { return net.Line(1); }
    TySpan& span(int j) { return line().Span(j); }
    void select(int j) { net.CurSpan[1] = j; }
};

bool PrintsNonFinite(const Report& r) {
    for (const ReportLine& l : r.lines)
        if (l.text.find("NAN") != std::string::npos || l.text.find("INF") != std::string::npos) return true;
    return false;
}

}  // namespace

// ---- Absurd finite values end in the calculation error ----------------------------------------

TEST(AbsurdValues, StateChangeEquationBeyondItsResolutionIsACalculationError) {
    const TyWire w = ReadNetwork(kSample).at(0).Span(1).Pr;
    const double g = WeightSpecificLoad(w);
    // A stress of 1e12 still resolves to 0.001; one of 1e20 cannot, and once never ended.
    EXPECT_NO_THROW(StateStress(w, 1e12, g, 25, g, 40, 300, 0));
    EXPECT_THROW(StateStress(w, 1e20, g, 25, g, 40, 300, 0), CalcError);
}

TEST(AbsurdValues, SpanLineAndTemperatureCommandsEndInTheCalculationError) {
    struct Case {
        const char* what;
        std::function<void(TyLine&)> set;
        bool recomputed;  // the commands that derive the reference state again calculate normally
    };
    const std::vector<Case> cases = {
        {"Si 1e20 in span 1", [](TyLine& l) { l.Span(1).Si = 1e20f; }, true},
        {"Vv 3e38 in span 1", [](TyLine& l) { l.Span(1).Vv = 3e38f; }, false},
        {"Lpr 3e38 in span 1", [](TyLine& l) { l.Span(1).Lpr = 3e38f; }, false},
        {"MAl 3e38 in every conductor",
         [](TyLine& l) {
             for (TySpan& s : l.Spans) s.Pr.MAl = 3e38f;
         },
         false},
        {"MSt 3e38 in every conductor",
         [](TyLine& l) {
             for (TySpan& s : l.Spans) s.Pr.MSt = 3e38f;
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SampleLine s(3);
        c.set(s.line());
        s.select(1);
        Report out;
        TempFolder dir;
        const std::vector<std::pair<bool, std::function<CommandEnd()>>> commands = {
            {false, [&] { return StoredSpanRegimeCommand(s.net, s.env, s.dlg, out).end; }},
            {false, [&] { return AllowTempCommand(s.net, s.env, s.dlg, PathToUtf8(dir / "q.txt"), false, out); }},
            {true, [&] { return MeasuredSpanRegimeCommand(s.net, s.env, s.dlg, out).end; }},
            {true, [&] { return LineRegimeCommand(s.net, s.env, s.dlg, out).end; }},
        };
        for (const auto& [recomputes, run] : commands) {
            s.dlg.shown.clear();
            const CommandEnd end = run();
            EXPECT_FALSE(PrintsNonFinite(out));
            if (recomputes && c.recomputed) {
                EXPECT_EQ(end, CommandEnd::Done);
                EXPECT_TRUE(s.dlg.shown.empty());
            } else {
                EXPECT_EQ(end, CommandEnd::Failed);
                EXPECT_EQ(s.dlg.Texts(), std::vector<std::string>{kMsgCalcError});
            }
        }
    }
}

TEST(AbsurdValues, ANegativeWindSpeedIsNamed) {
    SampleLine s(2);
    s.span(1).Vv = -3e38f;
    s.select(1);
    Report out;
    EXPECT_EQ(LineRegimeCommand(s.net, s.env, s.dlg, out).end, CommandEnd::Failed);
    EXPECT_EQ(s.dlg.Texts(),
              std::vector<std::string>{std::string(kMsgCalcError) +
                                       "\nВЛ 110 кВ ПС Южная-ПС Северная, пролёт 1 - 2: «Скорость ветра, м/с» = -3e+38 "
                                       "— не может быть отрицательным"});
}

// ---- Values no calculation can use --------------------------------------------------------------

TEST(UnusableValues, EachIsNamedWithItsFieldAndWhy) {
    struct Case {
        std::function<void(TySpan&)> set;
        SpanValueUse use;
        std::string fault;
    };
    const std::vector<Case> cases = {
        {[](TySpan& s) { s.Prep[1].Hprep = kNaN; },
         {},
         "препятствие 1, «Высота препятствия» = nan — не является конечным числом"},
        {[](TySpan& s) { s.Prep[1].Hprep = -kInf; },
         {},
         "препятствие 1, «Высота препятствия» = -inf — не является конечным числом"},
        {[](TySpan& s) { s.Lpr = -5; }, {}, "«Длина пролета, м» = -5 — должно быть больше нуля"},
        {[](TySpan& s) { s.Pr.D = 1e-44f; },
         {},
         "провод, «d пр,см» = 1e-44 — денормализованное число, слишком малое для расчёта"},
        {[](TySpan& s) { s.Pr.MAl = -1; }, {}, "провод, «m Al,кг/км» = -1 — не может быть отрицательным"},
        {[](TySpan& s) { s.Pr.SAlN = s.Pr.SStN = 0; },
         {},
         "провод, «S Al н,мм2» + «S ст н,мм2» = 0 — сечение провода должно быть больше нуля"},
        {[](TySpan& s) { s.Mpr = 0; }, {}, "«Количество проводов в фазе» = 0 — в фазе меньше одного провода"},
        {[](TySpan& s) { s.NPrep = 11; }, {}, "«Число препятствий» = 11 — вне 0..10"},
        {[](TySpan& s) { s.NPrep = -1; }, {}, "«Число препятствий» = -1 — вне 0..10"},
        {[](TySpan& s) { s.Zem[2].ZemH = kInf; },
         {},
         "профиль трассы, точка 2, «Высотная отметка, м» = inf — не является конечным числом"},
        {[](TySpan& s) { s.Iv = kNaN; }, {}, "«Ток линии, А» = nan — не является конечным числом"},
        // Measurement data count only where the reference state is derived from them.
        {[](TySpan& s) { s.Zamer[1].HMid = kNaN; }, {}, ""},
        {[](TySpan& s) { s.Zamer[1].HMid = kNaN; },
         {true, 1},
         "замер 1, «Н до земли в ср.пролета,м» = nan — не является конечным числом"},
        {[](TySpan& s) { s.Zamer[1].Time = std::numeric_limits<double>::infinity(); },
         {true, 1},
         "замер 1, «Дата» и «Время» = inf — не является конечным числом"},
        // Beyond the profile in use and beyond NPrep nothing is read.
        {[](TySpan& s) { s.Zem[10].ZemL = 0, s.Zem[10].ZemH = kNaN, s.Prep[5].Hprep = kNaN; }, {}, ""},
    };
    const TySpan sound = ReadNetwork(kSample).at(0).Span(4);
    ASSERT_EQ(sound.NPrep, 1);
    for (const Case& c : cases) {
        TySpan s = sound;
        c.set(s);
        EXPECT_EQ(UnusableSpanValue(s, c.use), c.fault);
    }
    // Every span of the sample calculates, so none of its values is refused.
    for (const TyLine& l : ReadNetwork(kSample)) EXPECT_EQ(UnusableValueOfSpans(l, {true, 1}), "");
}

TEST(UnusableValues, CommandsNameTheLineAndSpanAndKeepTheRowsBefore) {
    for (float bad : {kNaN, kInf, -kInf}) {
        SampleLine s(6);
        s.span(4).Prep[1].Hprep = bad;
        const std::string message =
            std::string(kMsgCalcError) +
            "\nВЛ 110 кВ ПС Южная-ПС Северная, пролёт 4 - 5: препятствие 1, «Высота препятствия» = " +
            ShortestSingle(bad) + " — не является конечным числом";
        Report out;
        s.select(4);
        EXPECT_EQ(StoredSpanRegimeCommand(s.net, s.env, s.dlg, out).end, CommandEnd::Failed);
        EXPECT_EQ(s.dlg.Texts(), std::vector<std::string>{message});

        s.dlg.shown.clear();
        EXPECT_EQ(LineRegimeCommand(s.net, s.env, s.dlg, out).end, CommandEnd::Failed);
        EXPECT_EQ(s.dlg.Texts(), std::vector<std::string>{message});
        EXPECT_EQ(out.lines.size(), 7u + 2 * 3);  // the heading and the rows of spans 1..3
        EXPECT_FALSE(PrintsNonFinite(out));

        TempFolder dir;
        s.dlg.shown.clear();
        EXPECT_EQ(AllowTempCommand(s.net, s.env, s.dlg, PathToUtf8(dir / "qemras.txt"), false, out),
                  CommandEnd::Failed);
        EXPECT_EQ(s.dlg.Texts(), std::vector<std::string>{message});
        EXPECT_EQ(out.lines.size(), 6u + 3);
        EXPECT_FALSE(PrintsNonFinite(out));
    }
}

TEST(UnusableValues, TheMeasurementOfARecomputationIsChecked) {
    SampleLine s(2);
    s.span(2).Zamer[1].HMid = kNaN;
    s.select(2);
    Report out;
    EXPECT_EQ(StoredSpanRegimeCommand(s.net, s.env, s.dlg, out).end, CommandEnd::Done);  // the stored state
    const std::string message =
        std::string(kMsgCalcError) +
        "\nВЛ 110 кВ ПС Южная-ПС Северная, пролёт 2 - 3: замер 1, «Н до земли в ср.пролета,м» = nan "
        "— не является конечным числом";
    for (int run = 0; run < 2; ++run) {
        s.dlg.shown.clear();
        const CommandEnd end = run == 0 ? MeasuredSpanRegimeCommand(s.net, s.env, s.dlg, out).end
                                        : LineRegimeCommand(s.net, s.env, s.dlg, out).end;
        EXPECT_EQ(end, CommandEnd::Failed);
        EXPECT_EQ(s.dlg.Texts(), std::vector<std::string>{message});
    }
}

TEST(UnusableValues, SeriesNameTheSpanBeforeTheirFirstRow) {
    SampleLine s(1);
    s.span(1).Iv = kNaN;
    s.span(1).Prep[1].Hprep = kNaN;  // the heat balance does not read it
    Report out;
    SeriesSettings st;
    SeriesOutcome o = CalculationSeries(s.span(1), st, 70, out);
    EXPECT_TRUE(o.failed);
    EXPECT_EQ(o.error, "Пролёт 1 - 2: «Ток линии, А» = nan — не является конечным числом");
    EXPECT_EQ(out.lines.back().text, "Расчёт не выполнен: " + o.error);
    EXPECT_EQ(out.lines.size(), 4u);
    EXPECT_FALSE(PrintsNonFinite(out));
    s.span(1).Iv = 300;
    out.clear();
    EXPECT_FALSE(CalculationSeries(s.span(1), st, 70, out).failed);
    s.span(1).Fi = kInf;  // the sweep sets it itself
    out.clear();
    EXPECT_FALSE(OrientationSweep(s.span(1), 70, out).failed);
    EXPECT_EQ(s.span(1).Fi, kInf);
}

TEST(UnusableValues, CableInsertLimitsThatAreNoNumbersAreNamed) {
    for (float bad : {kNaN, kInf, -kInf}) {
        SampleLine s(2);
        s.line().CabADTN = bad;
        try {
            ComponentLimits(s.line(), 70, false, s.dlg, ConductorRatings{});
            ADD_FAILURE() << "no error";
        } catch (const CalcError& e) {
            EXPECT_EQ(std::string(e.what()), std::string(kMsgCalcError) +
                                                 "\nВЛ 110 кВ ПС Южная-ПС Северная: «АДТН кабеля» = " +
                                                 ShortestSingle(bad) + " — не является конечным числом");
        }
    }
}

// ---- Norms and settings that cannot be used are refused on loading --------------------------

TEST(DataFiles, NonFiniteOrNegativeNormsAreRefusedNamingTheFile) {
    Norms good;
    ASSERT_TRUE(ReadNormsFile(kData / "hdg7.cat", good));
    struct Case {
        std::function<void(Norms&)> set;
        std::string fault;
    };
    const std::vector<Case> cases = {
        {[](Norms& n) { n.NormGround[4][1] = kNaN; }, "NormGround[4][1] = nan — не является конечным числом"},
        {[](Norms& n) { n.NormCross[2][0] = kInf; }, "NormCross[2][0] = inf — не является конечным числом"},
        {[](Norms& n) { n.NormObst[0][3] = -1; }, "NormObst[0][3] = -1 — отрицательное значение"},
        {[](Norms& n) { n.WindReg[9] = -kInf; }, "WindReg[9] = -inf — не является конечным числом"},
    };
    TempFolder dir;
    for (const Case& c : cases) {
        Norms bad = good;
        c.set(bad);
        EXPECT_EQ(NormsFault(bad), c.fault);
        Norms loaded = good;
        loaded.NormGround[0][0] = 99;  // the tables stay as they were
        const Norms before = loaded;
        try {
            DecodeNorms(EncodeNorms(bad), loaded, "hdg7.cat");
            ADD_FAILURE() << "accepted: " << c.fault;
        } catch (const DataFileError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Файл норм габаритов \"hdg7.cat\" повреждён: " + c.fault + ". Нормы не загружены.");
        }
        EXPECT_EQ(EncodeNorms(loaded), EncodeNorms(before));
        // What cannot be read back is not written either.
        EXPECT_THROW(WriteNormsFile(dir / "hdg7.cat", bad), DataFileError);
        EXPECT_FALSE(fs::exists(dir / "hdg7.cat"));
    }
    EXPECT_EQ(NormsFault(good), "");

    // Start-up loading reports the file and calculates nothing with it.
    for (const char* f : {"glld.cat", "hdg6.cat", "концевое оборудование.cat"})
        fs::copy_file(kData / fs::u8path(f), dir / f);
    Norms bad = good;
    bad.NormGround[4][0] = kNaN;
    qemtest::WriteBytes(dir / "hdg7.cat", EncodeNorms(bad));
    const AppData d = LoadAll(dir.path, false);
    EXPECT_FALSE(d.load.normsRead);
    ASSERT_EQ(d.load.errors.size(), 1u);
    EXPECT_NE(d.load.errors[0].find("hdg7.cat\" повреждён: NormGround[4][0] = nan"), std::string::npos);
}

TEST(DataFiles, SettingsWithoutALongTermTemperatureAreRefused) {
    Settings st;
    st.LongTermTemp = kNaN;
    EXPECT_THROW(DecodeSettings(EncodeSettings(st), "qem.cfg"), DataFileError);
    st.LongTermTemp = 80;
    EXPECT_EQ(DecodeSettings(EncodeSettings(st), "qem.cfg"), st);
}

// ---- Huge files are refused from their length, before they are read -------------------------

namespace {

// A file of `bytes` followed by a hole up to `size` bytes (sparse: nothing is written).
void WriteWithHole(const fs::path& p, const Bytes& bytes, std::uintmax_t size) {
    qemtest::WriteBytes(p, bytes);
    fs::resize_file(p, size);
}

constexpr std::uintmax_t kHuge = 1ull << 30;

}  // namespace

TEST(DataFiles, ANetworkFollowedByAHoleIsRefusedAtOnce) {
    TempFolder dir;
    const Bytes sound = ReadWholeFile(kSample);
    const fs::path huge = dir / "огромный.qem";
    WriteWithHole(huge, sound, kHuge);
    const std::string message = "Файл «" + PathToUtf8(huge) + "» повреждён: после последней линии лишние " +
                                std::to_string(kHuge - sound.size()) + " байт";
    try {
        ReadNetwork(PathToUtf8(huge));
        ADD_FAILURE() << "accepted";
    } catch (const NetworkLayoutError& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
    // A count describing more than the file holds is refused as cut short, not read.
    Bytes more = sound;
    more[0] = 4;
    WriteWithHole(dir / "cut.qem", more, sound.size());
    EXPECT_THROW(ReadNetworkImage(PathToUtf8(dir / "cut.qem")), NetworkLayoutError);

    // Merging names it and merges the sound ones.
    qemtest::WriteBytes(dir / "a.qem", sound);
    const MergeResult m = MergeFolder(PathToUtf8(dir.path));
    EXPECT_TRUE(m.written);
    EXPECT_EQ(m.merged, std::vector<std::string>{"a.qem"});
    EXPECT_EQ(m.total, 3);
    ASSERT_EQ(m.problems.size(), 2u);
    EXPECT_NE((m.problems[0] + m.problems[1]).find(message + " — файл не включён в DB_1.qem"), std::string::npos);
}

TEST(DataFiles, DataFolderReadersReadNoMoreThanTheyUse) {
    TempFolder dir;
    // Catalog, norms and settings ignore what follows their records: a hole after them
    // changes nothing, and is not read.
    const Bytes cat = ReadWholeFile(PathToUtf8(kData / "glld.cat"));
    WriteWithHole(dir / "glld.cat", cat, kHuge);
    WireCatalog a, b;
    ASSERT_TRUE(ReadCatalogFile(kData / "glld.cat", a));
    ASSERT_TRUE(ReadCatalogFile(dir / "glld.cat", b));
    EXPECT_EQ(a, b);
    const Bytes norms = ReadWholeFile(PathToUtf8(kData / "hdg7.cat"));
    WriteWithHole(dir / "hdg7.cat", norms, kHuge);
    Norms n;
    EXPECT_TRUE(ReadNormsFile(dir / "hdg7.cat", n));
    EXPECT_EQ(EncodeNorms(n), norms);
    Settings st;
    st.LongTermTemp = 75;
    WriteWithHole(dir / "qem.cfg", EncodeSettings(st), kHuge);
    qemtest::WriteText(dir / "LODL.txt", "/tmp\r\n2\r\n");
    fs::resize_file(dir / "LODL.txt", kHuge);
    FolderMemory folder;
    EXPECT_EQ(LoadSettings(dir.path, folder, false).LongTermTemp, 75);
    EXPECT_EQ(folder.LineFolder, "/tmp");
    EXPECT_EQ(folder.SelFileRow, 2);

    // The equipment catalog and the exchange file are read whole: beyond their bounds they are
    // refused, the tables unchanged.
    const Bytes ko = ReadWholeFile(PathToUtf8(kData / fs::u8path(kKOCatFileName)));
    WriteWithHole(dir / "ko.cat", ko, kHuge);
    KOCat kc(1);
    EXPECT_THROW(LoadKOCat(dir / "ko.cat", kc), DataFileError);
    EXPECT_EQ(kc.size(), 1u);
    WriteWithHole(dir / "ko.cat", ko, (kMaxKOEntries + 1) * kKOSize - 1);  // the most it may hold
    EXPECT_NO_THROW(LoadKOCat(dir / "ko.cat", kc));
    EXPECT_EQ(kc.size(), kMaxKOEntries);
    qemtest::WriteText(dir / "glld_temp.txt", "1\r\n1\r\nx;\r\n");
    fs::resize_file(dir / "glld_temp.txt", kMaxExchangeFileSize + 1);
    TextGrid g(1, 1);
    EXPECT_THROW(ImportGrid(g, dir / "glld_temp.txt"), DataFileError);
    EXPECT_EQ(g, TextGrid(1, 1));
    // A short file describing a hundred million cells is refused before they are made.
    const std::string header = "1000\r\n100000\r\n";
    Bytes cells(header.begin(), header.end());
    cells.resize(cells.size() + 100000, '\n');
    EXPECT_THROW(DecodeGrid(cells, "glld_temp.txt"), DataFileError);
    const std::string small = "1000\r\n1000\r\n";
    Bytes fine(small.begin(), small.end());
    fine.resize(fine.size() + 1000, '\n');
    EXPECT_EQ(DecodeGrid(fine, "glld_temp.txt").rowCount(), 1000);
}

// ---- Text for the terminal -------------------------------------------------------------------

TEST(TerminalText, ControlCharactersAndBrokenUtf8BecomeQuestionMarks) {
    struct Case {
        std::string in, out;
    };
    const std::vector<Case> cases = {
        {"ПС Южная\tА\n", "ПС Южная\tА\n"},
        {"\x1b[2J\x1b]0;title\x07", "?[2J?]0;title?"},
        {"a\rb\x7f"
         "c",
         "a?b?c"},
        {"\xc2\x9b"
         "31m",
         "?31m"},                             // U+009B, the one-character CSI
        {Cp1251ToUtf8("\x98"), "?"},          // the undefined byte of Windows-1251 becomes U+0098
        {"\xcf\xd1 \xff\xc0\xe0", "?? ???"},  // Windows-1251 bytes, not UTF-8
        {"\xe2\x82", "??"},                   // cut short
        {"\xc0\xaf \xed\xa0\x80", "?? ???"},  // overlong form, surrogate
        {"€ ✓ \xf0\x9f\x98\x80", "€ ✓ \xf0\x9f\x98\x80"},
    };
    for (const Case& c : cases) EXPECT_EQ(TerminalText(c.in), c.out) << c.in;
}

// Editing the current span field by field, the selected spans that take some fields as well,
// the commands that apply values to all spans, and the span buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "NetworkFixtures.h"
#include "lines/MainPages.h"
#include "lines/SpanEditing.h"
#include "model/Cp1251.h"
#include "platform/ScriptedDialogs.h"

using namespace qem;

namespace {

// Two lines of spans whose fields all differ; line 1, span 2 current; a catalog of two entries.
struct SpanEditing : ::testing::Test {
    AppState app;
    ScriptedDialogs dlg;
    std::vector<TyLine> before;

    void SetUp() override {
        test::Seq q(3);
        app.net.Lines = {test::FullLine(q, 8), test::FullLine(q, 3)};
        app.net.CurLine = 1;
        app.net.ResetCurSpans();
        app.net.CurSpan[1] = 2;
        app.data.wires.NWires = 2;
        app.data.wires.Wires[1] = test::FullWire(q, "АС 70/11");
        app.data.wires.Wires[2] = test::FullWire(q, "АС 300/39");
        app.data.wires.WireBreak[1] = 24130.0f;
        app.data.wires.WireBreak[2] = 100968.0f;
        before = app.net.Lines;
    }
    TySpan& span(int k, int line = 1) { return app.net.Line(line).Span(k); }
    const TySpan& was(int k, int line = 1) const { return before[static_cast<std::size_t>(line - 1)].Spans.at(k - 1); }
    // Every span of every line equals its state before, except those the check changes back.
    void ExpectOthersUnchanged(const std::vector<int>& changed) {
        for (int l = 1; l <= 2; ++l)
            for (int k = 1; k <= app.net.Line(l).NSpans(); ++k) {
                if (l == 1 && std::find(changed.begin(), changed.end(), k) != changed.end()) continue;
                EXPECT_EQ(span(k, l), was(k, l)) << "line " << l << " span " << k;
            }
    }
};

}  // namespace

TEST_F(SpanEditing, NumberFieldsTakeCommaOrPointAndKeepTheirValueOnBadText) {
    struct Case {
        SpanNumber field;
        float TySpan::*member;
    };
    const Case cases[] = {{SpanNumber::Hpr1, &TySpan::Hpr1}, {SpanNumber::Hpr2, &TySpan::Hpr2},
                          {SpanNumber::H1, &TySpan::H1},     {SpanNumber::H2, &TySpan::H2},
                          {SpanNumber::Lpr, &TySpan::Lpr},   {SpanNumber::Si, &TySpan::Si},
                          {SpanNumber::Lapr, &TySpan::Lapr}, {SpanNumber::AngP, &TySpan::AngP}};
    for (const Case& c : cases) {
        SetUp();
        // Only S changes, only in this field, whatever is selected elsewhere.
        EXPECT_TRUE(EditSpanNumber(app, c.field, "12,5", dlg));
        EXPECT_EQ(span(2).*c.member, 12.5f);
        TySpan expect = was(2);
        expect.*c.member = 12.5f;
        EXPECT_EQ(span(2), expect);
        EXPECT_TRUE(EditSpanNumber(app, c.field, "-3.25", dlg));
        EXPECT_EQ(span(2).*c.member, -3.25f);
        // "12a": the third character cannot be read; the field keeps -3.25.
        EXPECT_FALSE(EditSpanNumber(app, c.field, "12a", dlg));
        EXPECT_EQ(span(2).*c.member, -3.25f);
        ASSERT_FALSE(dlg.shown.empty());
        EXPECT_EQ(dlg.shown.back().text, " Ошибка в позиции 3");
        // An emptied box stores 0 without a word.
        const std::size_t shown = dlg.shown.size();
        EXPECT_TRUE(EditSpanNumber(app, c.field, "", dlg));
        EXPECT_EQ(span(2).*c.member, 0.0f);
        EXPECT_EQ(dlg.shown.size(), shown);
        ExpectOthersUnchanged({2});
        dlg.shown.clear();
    }
}

TEST_F(SpanEditing, SourceFieldsAndSkyOfTheCurrentSpanOnly) {
    struct Case {
        SourceNumber field;
        float TySpan::*member;
    };
    const Case cases[] = {{SourceNumber::Tvv, &TySpan::Tvv},   {SourceNumber::Vv, &TySpan::Vv},
                          {SourceNumber::Alfv, &TySpan::Alfv}, {SourceNumber::Iv, &TySpan::Iv},
                          {SourceNumber::Bgv, &TySpan::Bgv},   {SourceNumber::Gamma, &TySpan::Gamma}};
    TySpan expect = was(2);
    float v = 1.5f;
    for (const Case& c : cases) {
        EXPECT_TRUE(EditSourceNumber(app, c.field, std::to_string(int(v * 2)) + ",5", dlg));
        expect.*c.member = float(int(v * 2)) + 0.5f;
        EXPECT_FALSE(EditSourceNumber(app, c.field, "1,2,3", dlg));
        EXPECT_EQ(dlg.shown.back().text, " Ошибка в позиции 4");
        v += 1;
    }
    EXPECT_TRUE(ChooseTzv(app, 3));
    expect.Tzv = 3;
    EXPECT_FALSE(ChooseTzv(app, 4));
    EXPECT_FALSE(ChooseTzv(app, -1));
    EXPECT_EQ(span(2), expect);
    ExpectOthersUnchanged({2});
}

TEST_F(SpanEditing, SupportNumbersKeepFiveCharactersAndWriteOnlyAChange) {
    EXPECT_TRUE(EditNop1(app, "123456а"));
    EXPECT_EQ(Cp1251ToUtf8(span(2).Nop1.str()), "12345");
    EXPECT_TRUE(EditNop2(app, "Оп-7б"));
    EXPECT_EQ(Cp1251ToUtf8(span(2).Nop2.str()), "Оп-7б");
    // The same text again (or a longer one that cuts to it) is no change.
    EXPECT_FALSE(EditNop1(app, "1234599"));
    EXPECT_FALSE(EditNop2(app, "Оп-7б"));
    EXPECT_EQ(SpanListText(span(2)), "12345 - Оп-7б");
    EXPECT_TRUE(EditNop1(app, "7"));
    EXPECT_EQ(SpanListText(span(2)), "    7 - Оп-7б");
    // The comment keeps 100 characters.
    EditComm(
        app, std::string(60, 'x') + [] {
            std::string s;
            for (int i = 0; i < 60; ++i) s += "ж";
            return s;
        }());
    const std::string comm = Cp1251ToUtf8(span(2).Comm.str());
    EXPECT_EQ(Utf8Length(comm), 100u);
    EXPECT_EQ(comm.substr(0, 60), std::string(60, 'x'));
    EXPECT_EQ(comm.substr(60, 2), "ж");
    TySpan expect = was(2);
    expect.Nop1 = span(2).Nop1;
    expect.Nop2 = span(2).Nop2;
    expect.Comm = span(2).Comm;
    EXPECT_EQ(span(2), expect);
    ExpectOthersUnchanged({2});
}

TEST_F(SpanEditing, SelectedSpansTakeRegionsTerrainWiresLatitudeAndConductor) {
    // Spans 2, 3 and 4 selected, span 2 current; 99 and 0 are no spans and are ignored.
    const std::vector<int> sel{2, 3, 4, 99, 0};
    EXPECT_TRUE(ChooseRegV(app, 2, sel));
    EXPECT_TRUE(ChooseRegG(app, 6, sel));
    EXPECT_TRUE(ChooseTM(app, 3, sel));
    EXPECT_TRUE(EditMpr(app, 3, sel));
    EXPECT_TRUE(EditFi(app, "55,7", sel, dlg));
    EXPECT_TRUE(ChooseSpanConductor(app, 1, sel));
    for (int k : {2, 3, 4}) {
        TySpan expect = was(k);
        expect.RegV = 3;
        expect.RegG = 7;
        expect.TM = 3;
        expect.Mpr = 3;
        expect.Fi = 55.7f;
        // Entry 2 of the catalog, but each span keeps its own AlfaR.
        expect.Pr = app.data.wires.Wires[2];
        expect.Pr.AlfaR = was(k).Pr.AlfaR;
        expect.PrBreak = 100968.0f;
        EXPECT_EQ(span(k), expect) << "span " << k;
    }
    EXPECT_TRUE(dlg.shown.empty());
    ExpectOthersUnchanged({2, 3, 4});
}

TEST_F(SpanEditing, CurrentSpanIsWrittenEvenWhenNotSelectedAndBadInputWritesNothing) {
    EXPECT_TRUE(ChooseRegV(app, 0, {5}));
    EXPECT_EQ(span(2).RegV, 1);
    EXPECT_EQ(span(5).RegV, 1);
    before = app.net.Lines;
    // A latitude that does not parse is reported once and no span changes.
    EXPECT_FALSE(EditFi(app, "5x", {3, 4, 5}, dlg));
    EXPECT_EQ(dlg.Texts(), std::vector<std::string>{" Ошибка в позиции 2"});
    // Outside the items or the range nothing is written.
    EXPECT_FALSE(ChooseRegV(app, 7, {3}));
    EXPECT_FALSE(ChooseRegG(app, -1, {3}));
    EXPECT_FALSE(ChooseTM(app, 4, {3}));
    EXPECT_FALSE(EditMpr(app, 0, {3}));
    EXPECT_FALSE(EditMpr(app, 21, {3}));
    EXPECT_FALSE(ChooseSpanConductor(app, 2, {3}));
    EXPECT_FALSE(ChooseSpanConductor(app, -1, {3}));
    EXPECT_TRUE(EditMpr(app, 20, {}));
    EXPECT_EQ(span(2).Mpr, 20);
    span(2).Mpr = was(2).Mpr;
    ExpectOthersUnchanged({});
    // The sea-level option is the span's own.
    ChooseUseSea(app, true);
    EXPECT_EQ(span(2).UseSea, 1);
    ChooseUseSea(app, false);
    EXPECT_EQ(span(2).UseSea, 0);
}

TEST_F(SpanEditing, ApplyToAllCopiesOnlyTheirFieldsIntoEverySpanOfTheLine) {
    app.net.CurSpan[1] = 5;
    span(5).UseSea = 1;
    before = app.net.Lines;
    const TySpan s = span(5);
    struct Case {
        void (*command)(AppState&);
        void (*expected)(const TySpan& s, TySpan& k);
    };
    const Case cases[] = {
        {ConductorForAllSpans,
         [](const TySpan& s, TySpan& k) {
             k.Pr = s.Pr;
             k.Mpr = s.Mpr;
             k.TM = s.TM;
             k.PrBreak = s.PrBreak;
         }},
        {RegionsForAllSpans,
         [](const TySpan& s, TySpan& k) {
             k.RegG = s.RegG;
             k.RegV = s.RegV;
         }},
        {SeaLevelForAllSpans, [](const TySpan& s, TySpan& k) { k.UseSea = s.UseSea; }},
        // No geometry, conductor or initial conditions among these.
        {SourceForAllSpans,
         [](const TySpan& s, TySpan& k) {
             k.Tvv = s.Tvv, k.Vv = s.Vv, k.Alfv = s.Alfv, k.Iv = s.Iv;
             k.Bgv = s.Bgv, k.Gamma = s.Gamma, k.Tzv = s.Tzv;
         }},
    };
    for (const Case& c : cases) {
        app.net.Lines = before;
        c.command(app);
        for (int k = 1; k <= 8; ++k) {
            TySpan expect = was(k);
            c.expected(s, expect);
            EXPECT_EQ(span(k), expect) << "span " << k;
        }
        for (int k = 1; k <= 3; ++k) EXPECT_EQ(span(k, 2), was(k, 2));
    }
}

TEST_F(SpanEditing, BufferCopiesAWholeSpanAndPasteBeforeCopyChangesNothing) {
    SpanBuffer buffer;
    app.net.CurSpan[1] = 7;
    EXPECT_FALSE(PasteSpanFromBuffer(app, buffer));
    ExpectOthersUnchanged({});

    app.net.CurSpan[1] = 3;
    EXPECT_TRUE(CopySpanToBuffer(app, buffer));
    span(3).Lpr = 999.0f;  // the buffer holds the span as it was when copied
    app.net.CurSpan[1] = 7;
    EXPECT_TRUE(PasteSpanFromBuffer(app, buffer));
    EXPECT_EQ(span(7), was(3));
    const std::vector<std::string> items = SpanListItems(app.net.Line(1));
    EXPECT_EQ(items[6], items[2]);
    // Pasting on another line works as well; the buffer stays for later pastes.
    app.net.CurLine = 2;
    app.net.CurSpan[2] = 1;
    EXPECT_TRUE(PasteSpanFromBuffer(app, buffer));
    EXPECT_EQ(span(1, 2), was(3));
}

TEST_F(SpanEditing, StoredEditsMarkTheNetworkModifiedAndRefusedOnesDoNot) {
    const std::vector<std::pair<const char*, std::function<bool()>>> edits = {
        {"length", [&] { return EditSpanNumber(app, SpanNumber::Lpr, "12,5", dlg); }},
        {"support number", [&] { return EditNop1(app, "9"); }},
        {"comment",
         [&] {
             EditComm(app, "новый");
             return true;
         }},
        {"wire count", [&] { return EditMpr(app, 3, {4}); }},
        {"latitude", [&] { return EditFi(app, "50", {}, dlg); }},
        {"wind region", [&] { return ChooseRegV(app, 2, {}); }},
        {"sea level",
         [&] {
             ChooseUseSea(app, span(2).UseSea == 0);
             return true;
         }},
        {"source data", [&] { return EditSourceNumber(app, SourceNumber::Iv, "300", dlg); }},
        {"for all spans",
         [&] {
             RegionsForAllSpans(app);
             return true;
         }},
    };
    for (const auto& [what, edit] : edits) {
        app.net.Modified = false;
        EXPECT_TRUE(edit()) << what;
        EXPECT_TRUE(app.net.Modified) << what;
    }
    app.net.Modified = false;
    EXPECT_FALSE(EditSpanNumber(app, SpanNumber::Lpr, "12a", dlg));
    EXPECT_FALSE(EditNop1(app, "9"));  // the same text again
    EXPECT_FALSE(PasteSpanFromBuffer(app, SpanBuffer{}));
    EXPECT_FALSE(app.net.Modified);
}

TEST_F(SpanEditing, SpanButtonsMoveAddInsertAndDeleteOnTheCurrentLine) {
    Network& net = app.net;
    const int n = net.Line(1).NSpans();
    // Moving: nothing happens beyond the ends.
    FirstSpan(net);
    EXPECT_EQ(net.CurSpanOf(1), 1);
    PreviousSpan(net);
    EXPECT_EQ(net.CurSpanOf(1), 1);
    NextSpan(net);
    EXPECT_EQ(net.CurSpanOf(1), 2);
    LastSpan(net);
    EXPECT_EQ(net.CurSpanOf(1), n);
    NextSpan(net);
    EXPECT_EQ(net.CurSpanOf(1), n);
    PreviousSpan(net);
    EXPECT_EQ(net.CurSpanOf(1), n - 1);
    EXPECT_FALSE(net.Modified);

    // Adding: a new span with the first catalog conductor at the end, current.
    AddSpanCommand(app, dlg);
    ASSERT_EQ(net.Line(1).NSpans(), n + 1);
    EXPECT_EQ(net.CurSpanOf(1), n + 1);
    EXPECT_EQ(span(n + 1).Pr, app.data.wires.Wires[1]);
    EXPECT_TRUE(net.Modified);
    // Inserting at span 3: the old span 3 moves to 4, the new one is current.
    net.CurSpan[1] = 3;
    InsertSpanCommand(app, dlg);
    ASSERT_EQ(net.Line(1).NSpans(), n + 2);
    EXPECT_EQ(net.CurSpanOf(1), 3);
    EXPECT_EQ(span(4), was(3));
    EXPECT_EQ(span(3).Lpr, 0.0f);
    // Deleting asks; Cancel keeps, Yes removes the current span and the next one is current.
    dlg.answers = {Answer::Cancel};
    EXPECT_FALSE(DeleteSpanCommand(app, dlg));
    EXPECT_EQ(dlg.shown.back().text, "Вы действительно хотите удалить выбранный элемент");
    EXPECT_EQ(dlg.shown.back().buttons, Buttons::YesCancel);
    EXPECT_EQ(net.Line(1).NSpans(), n + 2);
    dlg.answers = {Answer::Yes};
    EXPECT_TRUE(DeleteSpanCommand(app, dlg));
    EXPECT_EQ(net.Line(1).NSpans(), n + 1);
    EXPECT_EQ(span(3), was(3));
    EXPECT_EQ(net.CurSpanOf(1), 3);
    // The last span deleted: the new last one is current.
    LastSpan(net);
    dlg.answers = {Answer::Yes};
    EXPECT_TRUE(DeleteSpanCommand(app, dlg));
    EXPECT_EQ(net.CurSpanOf(1), n);
    for (int k = 1; k <= n; ++k) EXPECT_EQ(span(k), was(k)) << k;
    ExpectOthersUnchanged({});

    // The only span of a line stays, with a message instead of the question.
    net.CurLine = 2;
    net.Line(2).Spans.resize(1);
    dlg.shown.clear();
    EXPECT_FALSE(DeleteSpanCommand(app, dlg));
    EXPECT_EQ(net.Line(2).NSpans(), 1);
    ASSERT_EQ(dlg.shown.size(), 1u);
    EXPECT_EQ(dlg.shown[0].text, kMsgOnlySpan);
    // A full line refuses to grow and keeps its spans.
    net.Line(2).Spans.resize(kMaxSpans);
    const TySpan last = net.Line(2).Spans.back();
    AddSpanCommand(app, dlg);
    InsertSpanCommand(app, dlg);
    EXPECT_EQ(net.Line(2).NSpans(), kMaxSpans);
    EXPECT_EQ(net.Line(2).Spans.back(), last);
    EXPECT_EQ(dlg.shown.back().text, kMsgSpansFull);
}

TEST(SpanEditingEmpty, NoNetworkNoSpanNothingHappens) {
    AppState app;
    ScriptedDialogs dlg;
    SpanBuffer buffer;
    EXPECT_EQ(CurrentSpan(app), nullptr);
    EXPECT_FALSE(EditNop1(app, "1"));
    EXPECT_FALSE(EditSpanNumber(app, SpanNumber::Lpr, "1", dlg));
    EXPECT_FALSE(EditFi(app, "1", {1}, dlg));
    EXPECT_FALSE(ChooseRegV(app, 1, {1}));
    EXPECT_FALSE(CopySpanToBuffer(app, buffer));
    ConductorForAllSpans(app);
    SourceForAllSpans(app);
    app.net.Lines.push_back(TyLine{});
    app.net.CurLine = 1;
    EXPECT_EQ(CurrentSpan(app), nullptr);
    EXPECT_FALSE(EditMpr(app, 2, {1}));
    EXPECT_FALSE(PasteSpanFromBuffer(app, buffer));
    EXPECT_TRUE(dlg.shown.empty());
}

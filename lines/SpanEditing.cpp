#include "lines/SpanEditing.h"

#include "model/Catalog.h"
#include "model/Cp1251.h"
#include "model/TextEntry.h"
#include "setup/Measurements.h"

namespace qem {

namespace {

// The spans of the current line whose numbers are selected; duplicates and numbers outside
// the line left out.
std::vector<TySpan*> SelectedSpans(AppState& app, const std::vector<int>& selected) {
    std::vector<TySpan*> spans;
    TyLine* line = CurrentLine(app);
    if (!line) return spans;
    std::vector<bool> taken(static_cast<std::size_t>(line->NSpans()) + 1, false);
    for (int k : selected) {
        if (k < 1 || k > line->NSpans() || taken[static_cast<std::size_t>(k)]) continue;
        taken[static_cast<std::size_t>(k)] = true;
        spans.push_back(&line->Span(k));
    }
    return spans;
}

// A value written into S, then into every selected span.
template <class Write>
void IntoSpanAndSelected(AppState& app, TySpan& s, const std::vector<int>& selected, Write write) {
    write(s);
    for (TySpan* k : SelectedSpans(app, selected)) write(*k);
}

// A support number: the first 5 characters, stored only when they differ.
bool EditNop(ShortStr<kNopChars>& nop, const std::string& utf8) {
    const std::string text = Utf8ToCp1251(Utf8Left(utf8, kNopChars));
    if (nop.str() == text) return false;
    nop.assign(text);
    return true;
}

float& SpanNumberField(TySpan& s, SpanNumber f) {
    switch (f) {
        case SpanNumber::Hpr1: return s.Hpr1;
        case SpanNumber::Hpr2: return s.Hpr2;
        case SpanNumber::H1: return s.H1;
        case SpanNumber::H2: return s.H2;
        case SpanNumber::Lpr: return s.Lpr;
        case SpanNumber::Si: return s.Si;
        case SpanNumber::Lapr: return s.Lapr;
        case SpanNumber::AngP: return s.AngP;
    }
    return s.Lpr;
}

float& SourceNumberField(TySpan& s, SourceNumber f) {
    switch (f) {
        case SourceNumber::Tvv: return s.Tvv;
        case SourceNumber::Vv: return s.Vv;
        case SourceNumber::Alfv: return s.Alfv;
        case SourceNumber::Iv: return s.Iv;
        case SourceNumber::Bgv: return s.Bgv;
        case SourceNumber::Gamma: return s.Gamma;
    }
    return s.Tvv;
}

// A stored edit marks the network modified; passes `stored` on.
bool Edited(AppState& app, bool stored) {
    if (stored) app.net.MarkModified();
    return stored;
}

// Values of S copied into spans 1 ... NSpans of the current line, S included.
template <class Copy>
void ForAllSpans(AppState& app, Copy copy) {
    TySpan* s = CurrentSpan(app);
    if (!s) return;
    const TySpan from = *s;
    for (TySpan& k : CurrentLine(app)->Spans) copy(from, k);
    app.net.MarkModified();
}

}  // namespace

bool EditNop1(AppState& app, const std::string& utf8) {
    TySpan* s = CurrentSpan(app);
    return s && Edited(app, EditNop(s->Nop1, utf8));
}

bool EditNop2(AppState& app, const std::string& utf8) {
    TySpan* s = CurrentSpan(app);
    return s && Edited(app, EditNop(s->Nop2, utf8));
}

void EditComm(AppState& app, const std::string& utf8) {
    TySpan* s = CurrentSpan(app);
    if (!s) return;
    const std::string text = Utf8ToCp1251(Utf8Left(utf8, kCommChars));
    if (s->Comm.str() == text) return;
    s->Comm.assign(text);
    app.net.MarkModified();
}

bool ChooseSpanConductor(AppState& app, int item, const std::vector<int>& selected) {
    TySpan* s = CurrentSpan(app);
    const int k = item + 1;
    if (!s || k < 1 || k > app.data.wires.NWires) return false;
    std::vector<TySpan*> spans{s};
    for (TySpan* p : SelectedSpans(app, selected)) spans.push_back(p);
    ChooseConductor(app.data.wires, k, spans);
    return Edited(app, true);
}

bool EditMpr(AppState& app, int mpr, const std::vector<int>& selected) {
    TySpan* s = CurrentSpan(app);
    if (!s || mpr < kMinMpr || mpr > kMaxMpr) return false;
    IntoSpanAndSelected(app, *s, selected, [mpr](TySpan& k) { k.Mpr = mpr; });
    return Edited(app, true);
}

bool EditSpanNumber(AppState& app, SpanNumber field, const std::string& text, Dialogs& dlg) {
    TySpan* s = CurrentSpan(app);
    return s && Edited(app, TextToSingle(text, SpanNumberField(*s, field), dlg));
}

bool EditFi(AppState& app, const std::string& text, const std::vector<int>& selected, Dialogs& dlg) {
    TySpan* s = CurrentSpan(app);
    if (!s || !TextToSingle(text, s->Fi, dlg)) return false;
    // The same text read for each selected span; it parsed for S, so it parses for each.
    for (TySpan* k : SelectedSpans(app, selected)) TextToSingle(text, k->Fi, dlg);
    return Edited(app, true);
}

bool ChooseRegG(AppState& app, int item, const std::vector<int>& selected) {
    TySpan* s = CurrentSpan(app);
    if (!s || item < 0 || item > 6) return false;
    IntoSpanAndSelected(app, *s, selected, [item](TySpan& k) { k.RegG = item + 1; });
    return Edited(app, true);
}

bool ChooseRegV(AppState& app, int item, const std::vector<int>& selected) {
    TySpan* s = CurrentSpan(app);
    if (!s || item < 0 || item > 6) return false;
    IntoSpanAndSelected(app, *s, selected, [item](TySpan& k) { k.RegV = item + 1; });
    return Edited(app, true);
}

bool ChooseTM(AppState& app, int item, const std::vector<int>& selected) {
    TySpan* s = CurrentSpan(app);
    if (!s || item < 0 || item > 3) return false;
    IntoSpanAndSelected(app, *s, selected, [item](TySpan& k) { k.TM = item; });
    return Edited(app, true);
}

void ChooseUseSea(AppState& app, bool use) {
    TySpan* s = CurrentSpan(app);
    if (!s || s->UseSea == (use ? 1 : 0)) return;
    s->UseSea = use ? 1 : 0;
    app.net.MarkModified();
}

bool EditSourceNumber(AppState& app, SourceNumber field, const std::string& text, Dialogs& dlg) {
    TySpan* s = CurrentSpan(app);
    return s && Edited(app, TextToSingle(text, SourceNumberField(*s, field), dlg));
}

bool ChooseTzv(AppState& app, int item) {
    TySpan* s = CurrentSpan(app);
    if (!s || item < 0 || item > 3) return false;
    s->Tzv = item;
    return Edited(app, true);
}

void ConductorForAllSpans(AppState& app) {
    ForAllSpans(app, [](const TySpan& s, TySpan& k) {
        k.Pr = s.Pr;
        k.Mpr = s.Mpr;
        k.TM = s.TM;
        k.PrBreak = s.PrBreak;
    });
}

void RegionsForAllSpans(AppState& app) {
    ForAllSpans(app, [](const TySpan& s, TySpan& k) {
        k.RegG = s.RegG;
        k.RegV = s.RegV;
    });
}

void SeaLevelForAllSpans(AppState& app) {
    ForAllSpans(app, [](const TySpan& s, TySpan& k) { k.UseSea = s.UseSea; });
}

void SourceForAllSpans(AppState& app) {
    ForAllSpans(app, [](const TySpan& s, TySpan& k) {
        k.Tvv = s.Tvv;
        k.Vv = s.Vv;
        k.Alfv = s.Alfv;
        k.Iv = s.Iv;
        k.Bgv = s.Bgv;
        k.Gamma = s.Gamma;
        k.Tzv = s.Tzv;
    });
}

void FirstSpan(Network& net) {
    if (net.NLines() > 0) net.CurSpan[net.CurLine] = 1;
}

void PreviousSpan(Network& net) {
    if (net.NLines() == 0) return;
    const int s = net.CurSpanOf(net.CurLine);
    if (s > 1) net.CurSpan[net.CurLine] = s - 1;
}

void NextSpan(Network& net) {
    if (net.NLines() == 0) return;
    const int s = net.CurSpanOf(net.CurLine);
    if (s < net.Line(net.CurLine).NSpans()) net.CurSpan[net.CurLine] = s + 1;
}

void LastSpan(Network& net) {
    if (net.NLines() > 0) net.CurSpan[net.CurLine] = net.Line(net.CurLine).NSpans();
}

void AddSpanCommand(AppState& app, Dialogs& dlg) {
    if (!CurrentLine(app)) return;
    if (!app.net.AddSpan(app.net.CurLine, app.FirstWire())) dlg.Message(kMsgSpansFull, "", Icon::Warning);
}

void InsertSpanCommand(AppState& app, Dialogs& dlg) {
    if (!CurrentLine(app)) return;
    if (!app.net.InsertSpan(app.net.CurLine, app.net.CurSpanOf(app.net.CurLine), app.FirstWire()))
        dlg.Message(kMsgSpansFull, "", Icon::Warning);
}

bool DeleteSpanCommand(AppState& app, Dialogs& dlg) {
    const TyLine* line = CurrentLine(app);
    if (!line) return false;
    if (line->NSpans() <= 1) {
        dlg.Message(kMsgOnlySpan, "", Icon::Information);
        return false;
    }
    if (dlg.Ask(kMsgDeleteItem, Buttons::YesCancel) != Answer::Yes) return false;
    return app.net.DeleteSpan(app.net.CurLine, app.net.CurSpanOf(app.net.CurLine));
}

bool CopySpanToBuffer(const AppState& app, SpanBuffer& buffer) {
    const TySpan* s = CurrentSpan(app);
    if (!s) return false;
    buffer.span = *s;
    return true;
}

bool PasteSpanFromBuffer(AppState& app, const SpanBuffer& buffer) {
    TySpan* s = CurrentSpan(app);
    if (!s || !buffer.span) return false;
    *s = *buffer.span;
    return Edited(app, true);
}

}  // namespace qem

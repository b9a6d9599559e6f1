#include "lines/MainPages.h"

#include "engine/Geometry.h"
#include "lines/CalcCommands.h"
#include "model/Cp1251.h"
#include "model/Format.h"

namespace qem {

const char* const kTerrainText[4] = {"Населенная местность", "Ненаселенная местность", "Труднодоступная местность",
                                     "Недоступные склоны"};
const char* const kRegionText[7] = {"I", "II", "III", "IV", "V", "VI", "VII"};
const char* const kSkyText[4] = {"Ясно (1)", "Облачно (2)", "Пасмурно (3)", "Вечернее или ночное время (4)"};

namespace {

template <int N>
std::string Text(const ShortStr<N>& s) {
    return Cp1251ToUtf8(s.str());
}

}  // namespace

SpanPageTexts ShowSpanPage(const TySpan& s) {
    SpanPageTexts t;
    t.Comm = Text(s.Comm);
    t.Nop1 = Text(s.Nop1);
    t.Nop2 = Text(s.Nop2);
    t.Pr = WireText(s.Pr);
    t.Mpr = std::to_string(s.Mpr);
    t.Hpr1 = Format("%8.2f", s.Hpr1);
    t.Hpr2 = Format("%8.2f", s.Hpr2);
    t.H1 = Format("%8.2f", s.H1);
    t.H2 = Format("%8.2f", s.H2);
    t.Lpr = Format("%8.2f", s.Lpr);
    // The obstacle labels stay empty when the first obstacle has no distance (CreateComboBoxPrep).
    if (s.Prep[1].Lprep != 0) {
        t.Lprep = Format("%8.2f", s.Prep[1].Lprep);
        t.Hprep = Format("%8.2f", s.Prep[1].Hprep);
        t.NPrep = s.NPrep < 1 ? 1 : s.NPrep > 10 ? 10 : s.NPrep;
        if (s.Prep[1].TPrp >= 0 && s.Prep[1].TPrp < kObstacleTypes) t.TPrp = kObstacleTypeText[s.Prep[1].TPrp];
    }
    t.Si = Format("%6.2f", s.Si);
    t.Lapr = Format("%8.2f", s.Lapr);
    t.Fi = Format("%6.0f", s.Fi);
    t.AngP = Format("%6.0f", s.AngP);
    if (s.RegG >= 1 && s.RegG <= 7) t.RegG = kRegionText[s.RegG - 1];
    if (s.RegV >= 1 && s.RegV <= 7) t.RegV = kRegionText[s.RegV - 1];
    if (s.TM >= 0 && s.TM <= 3) t.TM = kTerrainText[s.TM];
    return t;
}

SourcePageTexts ShowSourcePage(const TySpan& s, bool clicked) {
    SourcePageTexts t;
    t.Tvv = Format("%6.0f", s.Tvv);
    t.Vv = Format("%6.1f", s.Vv);
    t.Alfv = Format("%6.0f", s.Alfv);
    t.Iv = Format(clicked ? "%6.0f" : "%6.2f", s.Iv);
    t.Bgv = Format("%6.1f", s.Bgv);
    t.Gamma = Format("%6.1f", s.Gamma);
    t.Tzv = s.Tzv >= 0 && s.Tzv <= 3 ? s.Tzv : -1;
    return t;
}

void ChoicesFromSpan(AppState& app, const TySpan& span) {
    app.mode = span.LZam[1] > 0.001f ? ZamerMode::TwoPoints : ZamerMode::OnePoint;
    app.seaLevel = span.UseSea == 1;
}

void ChooseLine(AppState& app, int row) {
    Network& net = app.net;
    if (row < 1 || row > net.NLines()) return;
    net.CurLine = row;
    TyLine& line = net.Line(row);
    for (int p = 1; p <= line.NSpans(); ++p) {
        TySpan& s = line.Span(p);
        if (s.Lpr == 0 || s.Hpr1 == 0 || s.Hpr2 == 0 || s.Zamer[1].Time == kNoRecomputeTime) continue;
        if (s.RegV < 1 || s.RegV > 7) s.RegV = 1;
        if (s.RegG < 1 || s.RegG > 7) s.RegG = 1;
        net.CurSpan[row] = p;
        app.mode = s.LZam[1] > 0.001f ? ZamerMode::TwoPoints : ZamerMode::OnePoint;
        try {
            RecomputeInitialConditions(s, app.Env(), 1);
        } catch (const std::exception&) {
            // The stress stays whatever the span then holds.
        }
    }
    net.CurSpan[row] = 1;
}

void RefreshCurrentSpan(AppState& app, Dialogs& dlg) {
    Network& net = app.net;
    if (net.NLines() == 0 || net.Line(net.CurLine).NSpans() == 0) return;
    TySpan& s = net.Line(net.CurLine).Span(net.CurSpanOf(net.CurLine));
    ChoicesFromSpan(app, s);
    if (s.NPrep == 0) s.NPrep = 1;
    try {
        SeaLevelPointsGuard points(s, app.mode);
        dlg.MessageIfAny(points.token().refusal);
        RecomputeInitialConditions(s, app.Env(), 1);
    } catch (const std::exception&) {
        // The stress stays whatever the span then holds.
    }
}

}  // namespace qem

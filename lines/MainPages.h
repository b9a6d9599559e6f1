#pragma once
// What the pages of the main window show, as texts: the line selector and span list items,
// the fields of the current span on the "Параметры пролетов" and "Исходные данные" pages,
// and the handling of a click in the line list (the current line and the reference states
// of its spans). The window only puts these texts into its widgets.
#include <string>
#include <vector>

#include "model/RecordTexts.h"
#include "platform/Dialogs.h"
#include "session/AppState.h"

namespace qem {

// Terrain types (TM 0..3) and the region items (RegG/RegV 1..7) as the selectors list them.
extern const char* const kTerrainText[4];
extern const char* const kRegionText[7];
// "Чистота воздуха" (Tzv 0..3).
extern const char* const kSkyText[4];

// The fields of the current span on "Параметры пролетов" (ShowSpanPage).
struct SpanPageTexts {
    std::string Comm, Nop1, Nop2, Pr, Mpr;
    std::string Hpr1, Hpr2, H1, H2, Lpr;  // "%8.2f"
    std::string Lprep, Hprep;             // first obstacle, "%8.2f"; empty when it has none
    std::string Si;                       // "%6.2f"
    std::string Lapr;                     // "%8.2f"
    std::string Fi, AngP;                 // "%6.0f"
    std::string RegG, RegV;               // "I" ... "VII"; empty outside 1..7
    std::string TM;                       // terrain item; empty outside 0..3
    std::string TPrp;                     // obstacle type of the first obstacle; empty when none
    int NPrep = 0;                        // obstacles listed in the number selector
};
SpanPageTexts ShowSpanPage(const TySpan& span);

// The fields of the current span on "Исходные данные" (ShowSourcePage); `clicked` gives the
// current with "%6.0f" as a click in the span list shows it, otherwise "%6.2f".
struct SourcePageTexts {
    std::string Tvv, Vv, Alfv, Iv, Bgv, Gamma;
    int Tzv = -1;  // item of "Чистота воздуха", -1 outside 0..3
};
SourcePageTexts ShowSourcePage(const TySpan& span, bool clicked = false);

// The main window's choices for a span on display: "По двум замерам" when LZam[1] > 0.001,
// "Учитывать" when UseSea = 1.
void ChoicesFromSpan(AppState& app, const TySpan& span);

// A span is recomputed on a line click unless it lacks length or suspension heights or its
// first measurement carries the date-time 42353.607107.
inline constexpr double kNoRecomputeTime = 42353.607107;

// A click in row `row` (1..NLines) of the line list: the row becomes the current line; the
// reference state of each of its spans that has length, heights and a usable first
// measurement is recomputed (regions outside 1..7 become 1, the measurement choice follows
// the span), every failure ignored; the line's current span is 1 afterwards.
void ChooseLine(AppState& app, int row);

// The current span about to be shown on "Параметры пролетов": the choices taken from the span,
// then its reference state recomputed with the temporary sea-level points; a failure leaves
// whatever stress the span then holds.
void RefreshCurrentSpan(AppState& app, Dialogs& dlg);

}  // namespace qem

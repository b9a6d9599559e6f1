#include "session/RuCommands.h"

#include <exception>

#include "engine/Geometry.h"
#include "model/Cp1251.h"
#include "setup/InitialConditions.h"
#include "setup/ZamerTemp.h"

namespace qem {
namespace {

// A calculation error names what went wrong; other failures get the general text.
std::string FailureText(const std::exception& e) {
    if (dynamic_cast<const MeasurementError*>(&e)) return e.what();
    return std::string(kMsgCalcError) + ": " + e.what();
}

}  // namespace

int CurrentZamerIndex(const AppState& app) {
    const int k = app.currentZamer;
    return k < 1 ? 1 : (k > 10 ? 10 : k);
}

bool RuCalculate(AppState& app, Dialogs& dialogs, bool report) {
    TySpan* span = CurrentSpan(app);
    if (!span) return false;
    const TySpan before = *span;
    try {
        SeaLevelPointsGuard points(*span, app.mode);
        dialogs.MessageIfAny(points.token().refusal);
        if (span->UseSea == 1 && app.mode == ZamerMode::OnePoint && points.token().empty()) return false;
        if (app.mode == ZamerMode::OnePoint) {
            // The measurement the derivation reads.
            const int k = LatestZamer(*span);
            ZamerSag(*span, k);
            ZamerConductorTemp(*span, k);
        }
        ComputeInitialConditions(*span, app.mode, app.seaLevel);
        return true;
    } catch (const std::exception& e) {
        // The measurement fields derived on the way stay; the reference state is restored.
        span->Si = before.Si;
        span->Tv = before.Tv;
        span->V = before.V;
        span->Bg = before.Bg;
        if (report) dialogs.Message(FailureText(e), "", Icon::Error);
        return false;
    }
}

bool RuConductorTemp(AppState& app, Dialogs& dialogs) {
    TySpan* span = CurrentSpan(app);
    if (!span) return false;
    try {
        ZamerConductorTemp(*span, CurrentZamerIndex(app));
        return true;
    } catch (const std::exception& e) {
        dialogs.Message(FailureText(e), "", Icon::Error);
        return false;
    }
}

int RuFullCalculation(AppState& app, Dialogs& dialogs) {
    if (!CurrentSpan(app)) return 0;
    TyLine& line = *CurrentLine(app);
    int done = 0;
    std::string failures;
    for (TySpan& span : line.Spans) {
        const TySpan before = span;
        try {
            ComputeInitialConditions(span, app.mode, app.seaLevel);
            if (app.mode == ZamerMode::OnePoint) span.RasUsl = 1;
            ++done;
        } catch (const std::exception& e) {
            span = before;
            if (!failures.empty()) failures += "\n";
            failures += Cp1251ToUtf8(span.Nop1.str()) + " - " + Cp1251ToUtf8(span.Nop2.str()) + ": " + FailureText(e);
        }
    }
    // The reference states of the line are the user's command here, not a derived refresh.
    if (done > 0) app.net.MarkModified();
    if (!failures.empty()) dialogs.Message(failures, "", Icon::Error);
    return done;
}

}  // namespace qem

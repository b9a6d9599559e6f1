#include "session/AppState.h"

#include "model/Records.h"

namespace qem {

TyWire AppState::FirstWire() const { return data.wires.NWires > 0 ? data.wires.Wires[1] : TyWire{}; }

CalcEnv AppState::Env() const {
    CalcEnv env;
    env.norms = &data.norms;
    env.LongTermTemp = data.settings.LongTermTemp;
    env.mode = mode;
    env.seaLevel = seaLevel;
    env.jobs = jobs;
    return env;
}

TyLine* CurrentLine(AppState& app) {
    Network& net = app.net;
    if (net.NLines() == 0 || net.CurLine < 1 || net.CurLine > net.NLines()) return nullptr;
    return &net.Line(net.CurLine);
}

TySpan* CurrentSpan(AppState& app) {
    TyLine* line = CurrentLine(app);
    if (!line || line->NSpans() == 0) return nullptr;
    return &line->Span(app.net.CurSpanOf(app.net.CurLine));
}

const TySpan* CurrentSpan(const AppState& app) { return CurrentSpan(const_cast<AppState&>(app)); }

SpanEditScope::SpanEditScope(AppState& app) : app_(app), span_(CurrentSpan(app)) {
    if (span_) before_ = ToBytes(*span_);
}

SpanEditScope::~SpanEditScope() {
    const TySpan* now = CurrentSpan(app_);
    // Another span (or none) is current afterwards: the action changed more than that span.
    if (now != span_ || (now && ToBytes(*now) != before_)) app_.net.MarkModified();
}

}  // namespace qem

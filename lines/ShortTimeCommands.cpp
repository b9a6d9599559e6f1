#include "lines/ShortTimeCommands.h"

#include <algorithm>

#include "engine/CalcError.h"
#include "engine/Currents.h"
#include "engine/Geometry.h"
#include "engine/SpanReport.h"
#include "lines/CalcCommands.h"
#include "model/Cp1251.h"

namespace qem {
namespace {}  // namespace

ModelChoice ModelChoice::From(HeatModel m, const HeatModelData& data) {
    ModelChoice c;
    c.model = m;
    c.emissivity = data.emissivity;
    c.absorptivity = data.absorptivity;
    c.data = data;
    return c;
}

HeatConductor ModelChoice::ConductorOf(const TyWire& wire) const {
    return HeatConductorOf(wire, OuterStrandOf(data, wire), emissivity, absorptivity);
}

bool SetSurfaceFactors(AppData& d, double emissivity, double absorptivity, Dialogs& dlg) {
    for (const auto& [v, what] : {std::pair{emissivity, "Излучательная"}, std::pair{absorptivity, "Поглощательная"}})
        if (!UsableSurfaceFactor(v)) {
            dlg.Message(std::string(what) + " способность должна быть больше 0 и не больше 1", "", Icon::Error);
            return false;
        }
    HeatModelData next = d.heat;
    next.emissivity = emissivity;
    next.absorptivity = absorptivity;
    try {
        SaveHeatModelData(d.dataDir, next);
    } catch (const std::exception& e) {
        dlg.Message(e.what(), "", Icon::Error);
        return false;
    }
    d.heat = next;
    return true;
}

ModelCurrents ModelCurrentsOf(const ModelChoice& choice, const TySpan& span, Celsius LongTermTemp) {
    const HeatConductor c = choice.ConductorOf(span.Pr);
    const HeatWeather w = SpanRegimeWeather(span);
    ModelCurrents r;
    r.TCond = SteadyTempOf(choice.model, c, w, ConductorCurrent(span));
    r.IMax = CurrentAtTempOf(choice.model, c, w, span.Pr.TMax);
    r.ILong = CurrentAtTempOf(choice.model, c, w, LongTermTemp);
    r.atTMax = HeatTermsOf(choice.model, c, w, span.Pr.TMax, r.IMax);
    return r;
}

std::vector<Minutes> ShortTimeDurations(std::optional<Minutes> extra) {
    std::vector<Minutes> d(std::begin(kShortTimeDurations), std::end(kShortTimeDurations));
    if (extra && std::find(d.begin(), d.end(), *extra) == d.end()) d.push_back(*extra);
    std::sort(d.begin(), d.end());
    return d;
}

std::optional<SpanShortTime> SpanShortTimeCommand(Network& net, const CalcEnv& env, Dialogs& dlg,
                                                  const ModelChoice& choice, const std::vector<Minutes>& durations,
                                                  std::optional<Amperes> stepPerConductor) {
    if (net.NLines() == 0 || net.Line(net.CurLine).NSpans() == 0) {
        dlg.Message("Создайте пролёт");
        return std::nullopt;
    }
    TyLine& line = net.Line(net.CurLine);
    TySpan& span = line.Span(net.CurSpanOf(net.CurLine));
    if (const std::string refusal = SpanRegimeRefusal(span, env); !refusal.empty()) {
        dlg.Ask(refusal, Buttons::Ok, "Ошибка", Icon::Error);
        return std::nullopt;
    }
    try {
        std::vector<SpanCurrents> sections;
        {
            SeaLevelPointsGuard points(span, env.mode);
            dlg.MessageIfAny(points.token().refusal);
            sections = SpanSections(line, span, env);
        }
        return SpanShortTimeOf(choice.model, choice.ConductorOf(span.Pr), span, sections, durations, stepPerConductor);
    } catch (const std::exception& e) {
        dlg.Message(CalcErrorText(e));
        return std::nullopt;
    }
}

std::optional<LineShortTime> LineShortTimeCommand(Network& net, const CalcEnv& env, Dialogs& dlg,
                                                  const ModelChoice& choice, const std::vector<Minutes>& durations,
                                                  std::optional<Amperes> stepPhase) {
    if (net.NLines() == 0 || net.Line(net.CurLine).NSpans() == 0) {
        dlg.Message("Создайте пролёт");
        return std::nullopt;
    }
    TyLine& line = net.Line(net.CurLine);
    for (int j = 1; j <= line.NSpans(); ++j)
        if (const std::string refusal = SpanRegimeRefusal(line.Span(j), env); !refusal.empty()) {
            dlg.Ask(refusal + " (пролёт " + SpanName(line.Span(j)) + ")", Buttons::Ok, "Ошибка", Icon::Error);
            return std::nullopt;
        }
    try {
        return LineShortTimeOf(choice.model, line, env, dlg, durations, stepPhase,
                               [&](const TySpan& s) { return choice.ConductorOf(s.Pr); });
    } catch (const std::exception& e) {
        dlg.Message(CalcErrorText(e));
        return std::nullopt;
    }
}

}  // namespace qem

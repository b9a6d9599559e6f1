#pragma once
// The heat-balance model of a command and what the commands compute with it for the current
// span or line: the model's steady values and the short-time emergency ratings
// (engine/HeatModel.h, engine/ShortTime.h), talking to the user through Dialogs as the span
// commands do.
#include <optional>
#include <vector>

#include "engine/CalcEnv.h"
#include "engine/HeatModel.h"
#include "engine/ShortTime.h"
#include "model/AppData.h"
#include "model/HeatModelData.h"
#include "model/Network.h"
#include "platform/Dialogs.h"

namespace qem {

// The model a command uses, with the standards' emissivity and absorptivity and the outer strand
// diameters of the data folder.
struct ModelChoice {
    HeatModel model = HeatModel::Qem;
    double emissivity = kStandardEmissivity;
    double absorptivity = kStandardAbsorptivity;
    HeatModelData data;

    // The data's emissivity and absorptivity.
    static ModelChoice From(HeatModel m, const HeatModelData& data);
    // The catalog entry as the model reads it.
    HeatConductor ConductorOf(const TyWire& wire) const;
};

// "Модели нагрева…" of the menu "Каталог": the standards' emissivity and absorptivity into the
// data and written to heatmodels.txt of the data folder. A value outside 0 < x <= 1 is refused
// with a message naming it; a failed write leaves the previous file and the previous values.
bool SetSurfaceFactors(AppData& d, double emissivity, double absorptivity, Dialogs& dlg);

// The model's steady values of a span in the regime of its source data, per conductor.
struct ModelCurrents {
    Celsius TCond = 0;  // at the present load Iv/Mpr
    Amperes IMax = 0;   // at the conductor's TMax
    Amperes ILong = 0;  // at LongTermTemp
    HeatTerms atTMax;   // the heat terms at TMax and IMax
};
ModelCurrents ModelCurrentsOf(const ModelChoice& choice, const TySpan& span, Celsius LongTermTemp);

// The durations of the short-time ratings: 15 and 30 minutes and, when given, `extra` (each once,
// ascending).
std::vector<Minutes> ShortTimeDurations(std::optional<Minutes> extra);

// The short-time ratings of the current span from its stored reference state (the sections of its
// span report with the temporary sea-level points, as "Расчет пролета" computes them); nothing
// after a message (no span, "Введите значения замера", an unusable value, a calculation error).
std::optional<SpanShortTime> SpanShortTimeCommand(Network& net, const CalcEnv& env, Dialogs& dlg,
                                                  const ModelChoice& choice, const std::vector<Minutes>& durations,
                                                  std::optional<Amperes> stepPerConductor);

// The same for every span of the current line, with the line's answer; the step current is a
// phase current.
std::optional<LineShortTime> LineShortTimeCommand(Network& net, const CalcEnv& env, Dialogs& dlg,
                                                  const ModelChoice& choice, const std::vector<Minutes>& durations,
                                                  std::optional<Amperes> stepPhase);

}  // namespace qem

#pragma once
// Short-time emergency ratings of a span and of a line by one heat-balance model
// (engine/HeatModel.h): from the steady state at the present load (Iv/Mpr per conductor in the
// regime of the source data), the largest current for a given time that takes no span past its
// limit temperature, and the time a step current takes to bring the conductor to its TMax.
//
// The limit temperature of a span is the conductor's TMax or, where the clearance binds below
// it, the clearance-limited temperature: the conductor temperature at the largest current the
// span report's clearance search admits (ground, and every obstacle more than 0.1 m from
// support 1), or, when it admits none, the step-down temperature of that search. The clearance
// depends on the conductor temperature alone, so it binds every model alike. A regime with ice
// runs no clearance search: TMax binds.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/CalcEnv.h"
#include "engine/HeatModel.h"
#include "engine/SpanReport.h"
#include "model/QEMcom.h"
#include "platform/Dialogs.h"

namespace qem {

// The short-time durations every rating reports, min.
inline constexpr Minutes kShortTimeDurations[] = {15, 30};

struct LimitTemperature {
    Celsius T = 0;
    std::string what;  // "Tmax", "габарит до земли", "габарит до препятствия 2"
};

// The limit temperature from the allowable currents of the span report's sections.
LimitTemperature SpanLimitTemperature(const TySpan& span, const std::vector<SpanCurrents>& sections);

struct ShortTimeRating {
    Minutes duration = 0;
    std::optional<Amperes> I;  // per conductor; none when the present load already holds the
                               // conductor at or above the limit
};

struct SpanShortTime {
    HeatModel model = HeatModel::Qem;
    Amperes present = 0;  // per conductor
    Celsius T0 = 0;       // steady temperature at the present load
    Celsius TMax = 0;
    LimitTemperature limit;
    std::vector<ShortTimeRating> ratings;
    std::optional<Amperes> step;        // the step current per conductor, when asked
    std::optional<Minutes> timeToTMax;  // from T0 to TMax at the step current; none: never
};

// The short-time ratings of the span for the durations (1 ... kTransientHorizon min) and, with a
// step current per conductor, the time to TMax, from the sections of its span report.
// Calculation errors propagate (CalcError).
SpanShortTime SpanShortTimeOf(HeatModel m, const HeatConductor& c, const TySpan& span,
                              const std::vector<SpanCurrents>& sections, const std::vector<Minutes>& durations,
                              std::optional<Amperes> step);

// The allowable currents of every section of the span as its span report computes them, from its
// stored reference state (a span without obstacles: one section); the span report's refusal
// ("Введите значения замера") as a CalcError.
std::vector<SpanCurrents> SpanSections(const TyLine& line, TySpan& span, const CalcEnv& env);

// The same for every span of a line and the line's answer: per duration the least phase current
// (Mpr times the conductor's) over the spans and the span that sets it, and the first span to
// reach its TMax at the step current (a phase current) with its time.
struct LineShortTime {
    std::vector<SpanShortTime> spans;  // span j at index j - 1
    struct Rating {
        Minutes duration = 0;
        std::optional<Amperes> I;  // phase current; none when some span is already at its limit
        int span = 0;              // the span that sets it
    };
    std::vector<Rating> ratings;
    std::optional<Minutes> timeToTMax;  // the first span to reach TMax
    int firstSpan = 0;
};

// `conductor(span)` gives each span's conductor for the model. The sea-level points of each span
// are in place while its sections are searched. Calculation errors propagate (CalcError).
LineShortTime LineShortTimeOf(HeatModel m, TyLine& line, const CalcEnv& env, Dialogs& dlg,
                              const std::vector<Minutes>& durations, std::optional<Amperes> stepPhase,
                              const std::function<HeatConductor(const TySpan&)>& conductor);

}  // namespace qem

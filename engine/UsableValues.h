#pragma once
// Values that a network file can carry but no calculation can use: numbers that are not
// finite or are denormal, lengths and sections that are not positive, counts out of range (a
// phase without conductors, more obstacles than slots). The calculations check each span when
// they come to it and stop with an error naming the line, the span and the field by its
// caption in the window that edits it, instead of letting such a value turn into an error
// nobody can trace or a NaN in a report.
#include <string>

#include "model/QEMcom.h"

namespace qem {

// What the regime calculations of a span read: its conductor, reference state, geometry,
// route profile, obstacles and source data; with `measurements`, also the measurement data
// from which the reference state is derived. `zamer` is the measurement whose conductor
// temperature the derivation takes.
struct SpanValueUse {
    bool measurements = false;
    int zamer = 1;
    // Without `mechanics` only what the heat balance reads: conductor, place and regime (the
    // calculation series and sweeps).
    bool mechanics = true;
};

// The first value of the span that no calculation can use, named by its caption, as
// "препятствие 1, «Высота препятствия» = nan — не является конечным числом" or "«Длина пролета,
// м» = 0 — должно быть больше нуля"; empty when every value the calculation reads is usable.
std::string UnusableSpanValue(const TySpan& span, SpanValueUse use = {});

// The first value of the line's own fields that no calculation can use (the cable insert
// limits); empty when none.
std::string UnusableLineValue(const TyLine& line);

// "ВЛ 110 кВ Север-Юг, пролёт 4 - 5" (the line as the reports head it, the span by its
// supports), UTF-8.
std::string SpanPlace(const TyLine& line, const TySpan& span);
// "ВЛ 110 кВ Север-Юг".
std::string LinePlace(const TyLine& line);

// The first unusable value of one span of the line, or of every span, with its place: "ВЛ 110
// кВ Север-Юг, пролёт 4 - 5: препятствие 1, «Высота препятствия» = nan — не является конечным
// числом"; empty when there is none.
std::string UnusableValueOf(const TyLine& line, const TySpan& span, SpanValueUse use = {});
std::string UnusableValueOfSpans(const TyLine& line, SpanValueUse use = {});

// Throws UnusableValueError (engine/CalcError.h) with UnusableValueOf when there is one.
void RequireUsable(const TyLine& line, const TySpan& span, SpanValueUse use = {});

}  // namespace qem

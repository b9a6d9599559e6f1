#pragma once
// What a calculation reads besides the span and its line: the norms in force, the long-term
// allowable conductor temperature of the settings, and the two choices of the main window
// ("По одному замеру"/"По двум замерам", "Учитывать"/"Не учитывать" the height above sea level),
// and how many threads the long calculations may use for their independent pieces.
#include "engine/Modes.h"
#include "engine/Units.h"
#include "model/Norms.h"

namespace qem {

struct CalcEnv {
    const Norms* norms = nullptr;
    Celsius LongTermTemp = 70;
    ZamerMode mode = ZamerMode::OnePoint;
    bool seaLevel = false;
    unsigned jobs = 1;  // 1: one piece after the other on the calling thread
};

}  // namespace qem

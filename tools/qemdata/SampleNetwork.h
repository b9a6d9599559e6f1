#pragma once
// The sample line network shipped with the program: three lines (110, 220 and 500 kV) with
// dozens of spans over uneven ground, obstacles of several types, one mid-span measurement
// per span consistent with the conductor's physics, and terminal equipment.
#include <vector>

#include "model/Catalog.h"
#include "model/KOCat.h"
#include "model/QEMcom.h"

namespace qem {

inline constexpr const char* kSampleNetworkFile = "Пример сети.qem";

// Builds the lines. Each span's measurement is derived from a chosen reference stress by the
// engine itself, and the span's reference state is then fitted back from the measurement as
// the program does, so the stored state is the program's own.
std::vector<TyLine> BuildSampleNetwork(const WireCatalog& cat, const KOCat& ko);

}  // namespace qem

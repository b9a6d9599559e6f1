#pragma once
// Soundness check of a network file: its layout and the values of its fields.
#include <cstdint>
#include <string>
#include <vector>

#include "model/QEMcom.h"

namespace qem {

// Every problem of the field values of the lines, one message (Russian) per problem:
// voltage class, conductors per phase, obstacle count and types, cleanliness, terrain,
// calculation condition, regions, measurement slots, equipment kinds, bus wire counts,
// string lengths above their capacity, non-finite numbers.
std::vector<std::string> CheckLines(const std::vector<TyLine>& lines);

// The problems of a file image named name: a layout fault (then nothing more can be read),
// otherwise the field problems of its lines. Empty when the file is sound.
std::vector<std::string> CheckNetworkImage(const std::vector<std::uint8_t>& bytes, const std::string& name);

}  // namespace qem

#pragma once
// The clearance norms files "hdg6.cat" (ПУЭ 6) and "hdg7.cat" (ПУЭ 7) and the three norms
// grids of the catalog window.
//
// File layout, little-endian Singles, no header:
//   0    128  NormGround [0..7][0..3], class-major
//   128  768  NormCross  [0..7][0..23]
//   896  224  NormObst   [0..7][0..6]
//   1120  40  IceReg [1..10]   (optional when reading, together with WindReg)
//   1160  40  WindReg [1..10]
#include <filesystem>
#include <string>

#include "model/Norms.h"
#include "model/TextGrid.h"
#include "platform/FileSystem.h"

namespace qem {

inline constexpr std::size_t kNormsTablesSize = 1120;
inline constexpr std::size_t kNormsFileSize = 1200;

// "hdg6.cat" or "hdg7.cat".
const char* NormsFileName(bool usePue6);

// Normative ice wall, cm, and wind speed, m/s, of regions I..VII taken for a file without
// its region tables.
inline constexpr float kDefaultIceReg[7] = {1.0f, 1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f};
inline constexpr float kDefaultWindReg[7] = {25, 29, 32, 36, 40, 45, 49};

// The first value of the tables that is not a finite number or is negative, as
// "NormGround[4][1] = nan — не является конечным числом"; empty when all are usable.
std::string NormsFault(const Norms& norms);

// Takes a file image into the tables. A 1120-byte image sets regions 1..7 to the defaults
// and keeps regions 8..10. An image shorter than 1120 bytes, one whose region tables are cut
// short, or one with a value NormsFault names, throws DataFileError naming fileName and leaves
// the tables unchanged. Bytes after the region tables are ignored.
void DecodeNorms(const Bytes& image, Norms& norms, const std::string& fileName);
// The 1200-byte image of the tables.
Bytes EncodeNorms(const Norms& norms);

// Reads a norms file. False when it does not exist or cannot be opened (tables unchanged);
// throws DataFileError when it is too short.
bool ReadNormsFile(const std::filesystem::path& file, Norms& norms);
// Writes the 1200-byte file atomically; throws DataFileError, also for tables with a value
// NormsFault names (such a file could not be read back).
void WriteNormsFile(const std::filesystem::path& file, const Norms& norms);

// The norms grids of the page "Допустимые габариты", one fixed row and one fixed column,
// values "%4.1f". Value column c (from 1) is voltage class c - 1 titled like "750кВ";
// showBelow110 ("Показывать габариты ниже 110 кВ") shows all 8 classes, else 750..110 kV.
enum class NormsPage { Ground, Cross, Obstacle };
TextGrid NormsGrid(const Norms& norms, NormsPage page, bool showBelow110);
// The table cell that grid cell (row, col) of a page shows; nullptr for a fixed cell or a
// cell outside the page. Editing stores the typed value through this pointer.
float* NormsCell(Norms& norms, NormsPage page, int row, int col);

}  // namespace qem

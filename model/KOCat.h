#pragma once
// The terminal-equipment catalog: switches, disconnectors, line traps and current
// transformers with their temperature-dependent allowable currents. Its file
// "концевое оборудование.cat" is a plain sequence of packed 470-byte TyKO records.
#include <cstdint>
#include <filesystem>
#include <vector>

#include "model/QEMcom.h"

namespace qem {

using KOCat = std::vector<TyKO>;

inline constexpr const char* kKOCatFileName = "концевое оборудование.cat";  // UTF-8

// Captions of the kinds 0..3.
extern const char* const kKOKindText[4];

// Most entries a catalog file may hold (47 MB); a longer file is taken for a damaged one.
inline constexpr std::size_t kMaxKOEntries = 100000;

// The whole records of a file image in order; bytes after the last whole record ignored.
KOCat DecodeKOCat(const std::vector<std::uint8_t>& image);
// Reads the catalog file (DecodeKOCat). A missing or unreadable file, or one longer than
// kMaxKOEntries records (refused before it is read), throws DataFileError naming it, the
// catalog unchanged.
void LoadKOCat(const std::filesystem::path& file, KOCat& cat);
// Writes every entry in order (an empty catalog gives an empty file), atomically.
void SaveKOCat(const std::filesystem::path& file, const KOCat& cat);
// Index of the first entry with the same FullName text and the same Kind; -1 when none.
int FindKO(const KOCat& cat, const TyKO& entry);

}  // namespace qem

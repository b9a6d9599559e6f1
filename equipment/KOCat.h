#pragma once
// The terminal-equipment catalog: switches, disconnectors, line traps and current
// transformers with their temperature-dependent allowable currents. Its file
// "концевое оборудование.cat" is a plain sequence of packed 470-byte TyKO records.
#include <filesystem>
#include <vector>

#include "model/QEMcom.h"

namespace qem {

using KOCat = std::vector<TyKO>;

inline constexpr const char* kKOCatFileName = "концевое оборудование.cat";  // UTF-8

// Captions of the kinds 0..3.
extern const char* const kKOKindText[4];

// Reads the catalog: the whole records in file order, bytes after the last whole record
// ignored. A missing or unreadable file throws DataFileError naming it, the catalog
// unchanged.
void LoadKOCat(const std::filesystem::path& file, KOCat& cat);
// Writes every entry in order (an empty catalog gives an empty file), atomically.
void SaveKOCat(const std::filesystem::path& file, const KOCat& cat);
// Index of the first entry with the same FullName text and the same Kind; -1 when none.
int FindKO(const KOCat& cat, const TyKO& entry);

}  // namespace qem

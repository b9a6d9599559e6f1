#pragma once
// The conductor catalog: entries copied into spans, busbar connections and buses; its binary
// file ("glld.cat" by default), its text exchange file "glld_temp.txt", the start-up loading
// of all catalogs and the rules by which spans take conductors from it.
//
// Catalog file, little-endian, no header:
//   0          1      N, the number of entries (0 is read as 1)
//   1          67 N   entries 1..N, packed TyWire
//   1 + 67N    1020   WireBreak [1..255]  (optional when reading)
//   1021 + 67N 1020   WireSAl [1..255]    (optional when reading, together with WireSSt)
//   2041 + 67N 1020   WireSSt [1..255]
// A file written by the program is 3061 + 67N bytes long.
#include <filesystem>
#include <string>
#include <vector>

#include "model/IArray.h"
#include "model/KOCat.h"
#include "model/Norms.h"
#include "model/QEMcom.h"
#include "model/TextGrid.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"

namespace qem {

inline constexpr int kMaxWires = 255;
inline constexpr std::size_t kWireArraySize = std::size_t{4} * kMaxWires;  // 1020
inline constexpr float kCatalogAlfaR = 0.00403f;                           // forced on every entry read
inline constexpr const char* kDefaultWireCatFile = "glld.cat";
inline constexpr const char* kExchangeFileName = "glld_temp.txt";

struct WireCatalog {
    IArray<TyWire, 1, kMaxWires> Wires;
    Byte NWires = 0;                         // entries in use
    IArray<Single, 1, kMaxWires> WireBreak;  // breaking force of entry k, N
    IArray<Single, 1, kMaxWires> WireSAl;    // actual aluminium section of entry k, mm2
    IArray<Single, 1, kMaxWires> WireSSt;    // actual steel section of entry k, mm2
    bool operator==(const WireCatalog&) const = default;
};

// File image of the catalog: N, the entries and the three arrays (3061 + 67N bytes).
Bytes EncodeCatalog(const WireCatalog& cat);
// Takes a file image into the catalog: AlfaR of every entry read := 0.00403, missing arrays
// := 0. An image too short for its entries or with an array block cut short throws
// DataFileError naming fileName; the catalog is then unchanged.
void DecodeCatalog(const Bytes& image, WireCatalog& cat, const std::string& fileName);
// False when the file does not exist or cannot be opened (catalog unchanged).
bool ReadCatalogFile(const std::filesystem::path& file, WireCatalog& cat);
void WriteCatalogFile(const std::filesystem::path& file, const WireCatalog& cat);

// Bubble sort of entries 1..NWires by Name (Windows-1251 bytes as unsigned numbers, a
// prefix first), equal names ascending by SAlN; stable. Descending reverses the name order
// only. WireBreak, WireSAl and WireSSt move with their entries.
enum class SortOrder { Ascending, Descending };
void SortCatalog(WireCatalog& cat, SortOrder order = SortOrder::Ascending);

// What the start-up loading did.
struct CatalogLoad {
    bool wiresRead = false;           // conductor catalog taken from its file
    bool normsRead = false;           // norms in force taken from their file
    bool koRead = false;              // terminal-equipment catalog taken from its file
    bool sorted = false;              // conductor catalog sorted
    std::vector<std::string> errors;  // messages shown, in order
};

// The start-up loading of all catalogs from the data folder:
//  1-6. the conductor catalog catFileName (UTF-8): a missing file leaves it unchanged; a
//       damaged one is reported and leaves it unchanged; loading goes on with the norms;
//  7.   the norms in force ("hdg6.cat" with usePue6, else "hdg7.cat"): a missing file ends
//       the loading silently, a damaged one is reported and ends it;
//  8.   the terminal-equipment catalog: a missing file is reported and ends the loading;
//  9.   SortCatalog.
// Messages go to dialogs when given, and always into the result.
CatalogLoad LoadCatalogs(const std::filesystem::path& dataDir, const std::string& catFileName, bool usePue6,
                         WireCatalog& wires, Norms& norms, KOCat& ko, Dialogs* dialogs = nullptr);

// Conductor grid of the catalog window: header row, then row k = entry k.
extern const char* const kConductorGridHeader[12];
TextGrid FillConductorGrid(const WireCatalog& cat);
// The catalog the grid describes: rows 1.. are the entries; Name from cell 0 cut to 30
// characters; numbers read with a comma or a point; AlfaR kept from entry k of current.
// Throws GridError on a cell that is not a number, a short row, no rows or above 255 rows.
WireCatalog CatalogFromGrid(const TextGrid& grid, const WireCatalog& current);
// Takes the grid into the catalog, writes the catalog file catFileName in dataDir, then the
// norms file in force. Nothing changes when the grid is wrong (GridError); a write failure
// throws DataFileError.
void SaveCatalogs(const TextGrid& grid, const std::filesystem::path& dataDir, const std::string& catFileName,
                  bool usePue6, WireCatalog& wires, const Norms& norms);

// Text exchange file: Windows-1251, CR LF; column count, row count (header included), then
// one line per row with every cell followed by ";", cut to 255 characters.
void ExportGrid(const TextGrid& grid, const std::filesystem::path& file);
// Longest exchange file read: 100000 rows of 255 characters are about 26 MB.
inline constexpr std::uintmax_t kMaxExchangeFileSize = 32u << 20;
// Most cells of an exchange table (the conductor catalog has 12 x 256).
inline constexpr long long kMaxExchangeCells = 1000000;
// Reads the exchange file into grid; a missing or malformed file, one longer than
// kMaxExchangeFileSize or describing more than kMaxExchangeCells cells throws DataFileError and
// leaves grid unchanged. A line with fewer ";" than columns leaves
// the other cells empty.
void ImportGrid(TextGrid& grid, const std::filesystem::path& file);
// The grid of an exchange file image (fileName for the messages); DataFileError as ImportGrid.
TextGrid DecodeGrid(const Bytes& image, const std::string& fileName);

// Display text "%29s-%4.0f/%3.0f" of a conductor (name right-aligned in 29 characters), UTF-8.
std::string WireDisplayText(const TyWire& w);
// Display texts of entries 1..NWires; item k - 1 is entry k.
std::vector<std::string> ConductorList(const WireCatalog& cat);

// Index of the first entry whose Name has the same bytes and whose SAlN, SStN, D and DSt are
// exactly equal to those of w; 0 when none.
int FindWire(const WireCatalog& cat, const TyWire& w);
// For every span of every line found in the catalog: Pr := the entry, PrBreak := its
// breaking force. Spans not found keep their conductor.
void RefreshConductors(std::vector<TyLine>& lines, const WireCatalog& cat);
// Entry k (1..NWires) into each span: Name, SAlN, SStN, D, DSt, R, MAl, MSt, TMax and
// PrBreak; AlfaR stays. A k outside 1..NWires changes nothing.
void ChooseConductor(const WireCatalog& cat, int k, const std::vector<TySpan*>& spans);

}  // namespace qem

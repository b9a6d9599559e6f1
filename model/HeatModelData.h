#pragma once
// What the heat-balance models of IEEE Std 738 and CIGRE TB 601 read that the conductor catalog
// lacks: the surface emissivity and solar absorptivity of the conductors (the user's choice,
// 0.8 and 0.8 by default) and the diameter of a strand of the outer layer of each conductor (for
// CIGRE's roughness), in a text file of its own beside the catalog, "heatmodels.txt" of the data
// folder (Windows-1251, CR LF):
//
//   # a comment line (also an empty line)
//   Emissivity;0.8
//   Absorptivity;0.8
//   АС;240;32;3.6          conductor name; nominal aluminium and steel sections, mm2; outer
//                          strand diameter, mm
//
// Numbers take a point or a comma. A conductor of the catalog matches a row with the same name
// (the same bytes) and the same two sections. A missing file gives the defaults and no strands.
#include <filesystem>
#include <string>
#include <vector>

#include "model/QEMcom.h"
#include "platform/FileSystem.h"

namespace qem {

inline constexpr const char* kHeatModelFileName = "heatmodels.txt";

struct StrandRow {
    std::string name;  // Windows-1251 bytes, as TyWire.Name
    Single SAlN = 0, SStN = 0;
    double dMm = 0;  // outer strand diameter, mm
    bool operator==(const StrandRow&) const = default;
};

struct HeatModelData {
    double emissivity = 0.8;
    double absorptivity = 0.8;
    std::vector<StrandRow> strands;
    bool operator==(const HeatModelData&) const = default;
};

// The text of a settings value that the models can use: a number above 0 and at most 1.
bool UsableSurfaceFactor(double v);

// The file's image into the data; a line that is neither a comment, a setting nor a conductor
// row of four fields with usable numbers (emissivity and absorptivity 0 < x <= 1, diameter
// 0 < d < 100 mm) throws DataFileError naming fileName and the line.
HeatModelData DecodeHeatModelData(const Bytes& image, const std::string& fileName);
// The file's text: a heading comment, the two settings, the conductor rows.
std::string EncodeHeatModelData(const HeatModelData& d);

// The file of the data folder; the defaults when it does not exist. DataFileError as Decode.
HeatModelData LoadHeatModelData(const std::filesystem::path& dataDir);
// Writes the file atomically (the previous one stays whole when the write fails).
void SaveHeatModelData(const std::filesystem::path& dataDir, const HeatModelData& d);

// The outer strand diameter of the conductor, cm; 0 when the file has no row for it.
double OuterStrandOf(const HeatModelData& d, const TyWire& wire);

}  // namespace qem

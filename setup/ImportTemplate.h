#pragma once
// The workbooks the field crews fill in: the two header rows of the import layout (the column
// headers, then what to write in each column), column widths, the support numbers, conductor
// and temperature columns kept as text (so that a spreadsheet program does not turn "1-2" or
// "15/12" into a date), and one filled example row. Shipped in the data folder; the import
// windows save a copy where the user chooses.
#include <filesystem>
#include <string>

#include "platform/Workbook.h"
#include "setup/ImportSheet.h"

namespace qem {

inline constexpr const char* kImportTemplateOnePoint = "Шаблон замеров по 1 точке.xlsx";
inline constexpr const char* kImportTemplateTwoPoints = "Шаблон замеров по 2 точкам.xlsx";

// File name (UTF-8) of the template of a layout.
const char* ImportTemplateName(ImportPoints p);

// The template of a layout as a new workbook.
Workbook BuildImportTemplate(ImportPoints p);

// Writes the template to file (atomically): a copy of the one in dataDir when it is there,
// else a newly built one. Throws FileError when it cannot be written.
void SaveImportTemplate(ImportPoints p, const std::filesystem::path& dataDir, const std::string& file);

}  // namespace qem

#pragma once
// The workbooks the field crews fill in. The sheet "Замеры": the two header rows of the import
// layout (the column headers, then what to write in each column), column widths, bordered data
// rows whose support numbers, conductor and temperature columns are kept as text (so that a
// spreadsheet program does not turn "1-2" or "15/12" into a date), drop-down lists of the
// obstacle types, terrain types, the catalog's conductors, the weather and the regions, and
// columns A-B with the two header rows repeated on every printed page. The sheet "Пример
// заполнения": one filled example row, which the import never reads; "Инструкция": the columns,
// the units and the layout of a workbook of several lines; "Списки": the lists. Shipped in the
// data folder; the import windows save a copy where the user chooses.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Workbook.h"
#include "setup/ImportSheet.h"

namespace qem {

inline constexpr const char* kImportTemplateOnePoint = "Шаблон замеров по 1 точке.xlsx";
inline constexpr const char* kImportTemplateTwoPoints = "Шаблон замеров по 2 точкам.xlsx";

// File name (UTF-8) of the template of a layout.
const char* ImportTemplateName(ImportPoints p);

// The template of a layout as a new workbook, with the conductors of the catalog.
Workbook BuildImportTemplate(ImportPoints p, const WireCatalog& wires);

// The cell texts of the template's example row (numbers as their shortest decimal text), as
// the example sheet holds it and as older templates held it in their first data row.
std::vector<std::string> ImportTemplateExampleRow(ImportPoints p);

// Writes the template to file (atomically): a copy of the one in dataDir when it is there,
// else a newly built one. Throws FileError when it cannot be written.
void SaveImportTemplate(ImportPoints p, const std::filesystem::path& dataDir, const std::string& file,
                        const WireCatalog& wires);

}  // namespace qem

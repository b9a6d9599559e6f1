#pragma once
// OpenDocument spreadsheets (.ods, LibreOffice Calc's own format), read only: the tables of
// content.xml with their cell values (numbers, dates and times, truth values, texts, errors,
// the cached results of formulas) and merged cells. The package is read within the bounds of
// WorkbookLimits as an .xlsx package is; repeated rows and cells are expanded only where they
// hold values, and never beyond the cell limit or the sheet.
#include <memory>
#include <vector>

#include "platform/Workbook.h"
#include "platform/WorkbookPackage.h"

namespace qem::wbdetail {

// The sheets of the package, in their order; a package without tables or whose content is
// refused throws WorkbookError.
std::vector<std::unique_ptr<Sheet>> ReadOdsSheets(const ZipPackage& package);

}  // namespace qem::wbdetail

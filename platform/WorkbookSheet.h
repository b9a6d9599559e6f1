#pragma once
// The editable worksheet of an .xlsx workbook: the XML of its part with an index of its rows
// and cells, checked when it is opened.
#include <memory>
#include <string>

#include "platform/Workbook.h"

namespace qem::wbdetail {

// The sheet `name` stored in `part` of the workbook; a part that is no worksheet, or whose
// cells lie outside the sheet, are out of order or do not read, throws WorkbookError.
std::unique_ptr<Sheet> OpenXlsxSheet(Workbook::Impl& wb, std::string name, std::string part);

// Before the package is written: the XML of a changed sheet (with its used range) into its
// part. False when the sheet is unchanged.
bool StoreXlsxSheet(Sheet& sheet);

}  // namespace qem::wbdetail

#pragma once
// Legacy workbooks (.xls), read only: libfreexl reads the file in a child process, which hands
// the sheets back as bytes.
#include <map>
#include <string>
#include <utility>

#include "platform/Workbook.h"

namespace qem::wbdetail {

// The sheets of an .xls workbook as libfreexl reads them.
struct XlsSheetData {
    std::string name;
    std::map<std::pair<int, int>, CellValue> cells;
};

}  // namespace qem::wbdetail

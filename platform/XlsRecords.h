#pragma once
// What libfreexl leaves out of a legacy .xls workbook: the results of formulas, as the program
// that saved the file cached them in its FORMULA records (with the STRING record that follows a
// text result). Read from the "Workbook" stream of the compound file (BIFF8; BIFF5 "Book"
// streams give their numbers, truth values and errors), with every sector chain, record and
// string bounded by the file itself: a structure that loops or points outside the file reads
// as no formulas at all.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Workbook.h"

namespace qem::wbdetail {

// The formula cells of one worksheet: (row, column) from 1 -> the cached result, with
// `formula` set; a result that cannot be read is an Empty cell with `formula` set.
using XlsFormulaCells = std::map<std::pair<int, int>, CellValue>;

struct XlsFormulaSheet {
    std::string name;  // UTF-8
    XlsFormulaCells cells;
};

// The worksheets of the file in workbook order, each with its formula cells; empty when the
// compound file or its workbook stream does not read.
std::vector<XlsFormulaSheet> XlsFormulaResults(const Bytes& file);

// The stream of that name (such as "Workbook") of a compound file, nullopt when the file or
// the stream does not read.
std::optional<Bytes> CompoundFileStream(const Bytes& file, std::u16string_view name);

}  // namespace qem::wbdetail

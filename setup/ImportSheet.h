#pragma once
// Workbooks of measured spans as the field crews fill them: one row per span (or per crossed
// object of a span), read from the first worksheet into import rows, with the catalog
// conductor matched, the obstacle type looked up and the missing obstacle height derived.
// Two layouts: one measured point at mid-span (29 columns) and two measured points in the
// span (33 columns). Rows 1 and 2 hold the headers; data start in row 3.
//
// The reader is forgiving where a sheet is merely untidy (numbers typed as text with a
// decimal point or comma, blanks around texts, blank rows, a Latin letter in a conductor name
// that looks like its Cyrillic one, a real date cell) and refuses a value that is wrong with
// a message naming its row and column.
#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/Catalog.h"
#include "model/QEMcom.h"
#include "platform/FileSystem.h"

namespace qem {

class Sheet;

// The two import windows; the value is the number of measured points of a row.
enum class ImportPoints { One = 1, Two = 2 };

inline constexpr const char* kImportFilter = "xls|*.xls|xlsx|*.xlsx";
inline constexpr int kImportFilterIndex = 2;  // the entry preselected in the file dialog
inline constexpr int kImportFirstRow = 3;     // rows 1 and 2 are headers
inline constexpr int kImportGridRows = 2550;  // data rows the window shows at most

inline constexpr const char* kMsgTableEmpty = "Таблица пуста";
inline constexpr const char* kMsgOpenFailed = "ошибка при открытии";

// Columns of the sheet and their headers (UTF-8), column c at index c - 1.
int ImportColumnCount(ImportPoints p);
const std::vector<const char*>& ImportHeaders(ImportPoints p);

// One data row of a sheet (or, in a workbook of several lines, a row naming a line).
struct TyDataImportExcel {
    double Time = 0;     // date and time of the measurement, days since 30.12.1899
    ShortStr<5> Nop1;    // support numbers (Windows-1251)
    ShortStr<5> Nop2;
    TyWire Pr;           // the matched catalog conductor
    Single PrBreak = 0;  // its breaking force from the catalog, N
    Integer TM = 0;      // terrain type 0..3
    Single Lpr = 0, Hpr1 = 0, Hpr2 = 0, H1 = 0, H2 = 0;
    Single HMid = 0;     // one point: clearance to the ground at mid-span
    Single HSeaMid = 0;  // one point: ground height above sea level at mid-span
    Single GabMin = 0, LMin = 0, HSeaMin = 0;
    Single Lprep = 0, Hprep = 0, GabPrep = 0, HSeaPrep = 0, GabZem = 0;
    Integer TPrp = 0;    // obstacle type 0..12
    Single I = 0, TAir = 0, TCond = 0, V = 0, Alf = 0;
    Integer Tzv = 0;     // sky condition 0..3
    Integer RegG = 0, RegV = 0;
    Single Fi = 0;
    std::string Concl;   // conclusion (UTF-8)
    Single HZam1 = 0, HZam2 = 0, LZam1 = 0, LZam2 = 0, HSeaZam1 = 0, HSeaZam2 = 0;
    Integer Mpr = 0;
    std::string LineFrom, LineTo;  // names of the line the row belongs to (UTF-8)

    // Where the row stands in the sheet and what it held besides the values.
    int sheetRow = 0;
    bool separator = false;    // a row naming the next line of a workbook of several lines
    bool obstacle = false;     // the row names a crossed object
    bool hasHSeaMin = false;   // the height above sea level at the lowest point was given
    bool operator==(const TyDataImportExcel&) const = default;
};

// What one reading of a workbook gave: the rows and the sheet's cells as the window shows them.
struct ImportTable {
    ImportPoints points = ImportPoints::One;
    bool multi = false;                        // read as a workbook of several lines
    std::vector<TyDataImportExcel> rows;       // data rows and line-naming rows, in sheet order
    std::vector<std::vector<std::string>> cells;  // the sheet's texts of rows 3.., at most 2550
                                                  // rows of ImportColumnCount cells
    std::vector<int> cellRows;                 // sheet row of each row of cells
    int DataRows() const;                      // rows that are not line-naming rows
};

// A sheet that cannot be taken: the message (UTF-8) is shown to the user as it is and names
// the row and the column of the cell at fault.
class ImportError : public std::runtime_error {
public:
    explicit ImportError(const std::string& what) : std::runtime_error(what) {}
};

// Reads rows 3 up to the last used row of the sheet. With `multi`, a row with a start name in
// column 1 and nothing from column 3 on names a line (its end name in column 2), and the data
// rows below it carry those names. A row with nothing in column 1 and nothing from column 3 on
// (blank, or a heading or note in column 2) is passed over; every other row is a data row, so
// a measurement without its date is named, never dropped. Throws ImportError with the message
// of the first cell at fault, or "Таблица пуста" when the sheet holds no data row.
ImportTable ReadImportSheet(const Sheet& sheet, ImportPoints points, bool multi, const WireCatalog& cat);

// The same for the first worksheet of a workbook file (.xlsx or .xls) or of a file's bytes; a
// workbook that cannot be opened throws ImportError starting with "ошибка при открытии".
ImportTable ReadImportWorkbook(const std::string& path, ImportPoints points, bool multi, const WireCatalog& cat);
ImportTable ReadImportBytes(const Bytes& bytes, ImportPoints points, bool multi, const WireCatalog& cat);

// Index of the catalog conductor for a name and nominal sections: the first entry with the same
// name and exactly equal sections; failing that, the first whose name equals it once the Latin
// letters that look like Cyrillic ones are read as those. 0 when none.
int FindImportWire(const WireCatalog& cat, const std::string& nameUtf8, Single sAl, Single sSt);

}  // namespace qem

#pragma once
// Workbooks of measured spans as the field crews fill them: one row per span (or per crossed
// object of a span), read from the first worksheet into import rows, with the catalog
// conductor matched, the obstacle type looked up and the missing obstacle height derived.
// Two layouts: one measured point at mid-span (29 columns) and two measured points in the
// span (33 columns). The header row is found by its texts among the first rows (the
// templates: row 1, their units in row 2, data from row 3); a row of units or hints under it
// is passed over, and the data start below.
//
// The reader is forgiving where a sheet is merely untidy (numbers typed as text with a
// decimal point or comma, blanks around texts, blank rows, a Latin letter in a conductor name
// that looks like its Cyrillic one, a real date cell, the results of formulas) and refuses a
// value that is wrong with a message naming its cell as the program names it (row-column) and
// as the spreadsheet names it ("U5"), and saying what is wrong: an empty cell, a merged cell, a
// formula without its result, a text where a number belongs, a value outside the plausible
// range of its quantity (kImportRanges). A sheet of the other layout, a sheet of several lines
// read as one, and a workbook whose table lies on a later sheet are named as such.
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

inline constexpr const char* kImportFilter = "xls|*.xls|xlsx|*.xlsx|ods|*.ods";
inline constexpr int kImportFilterIndex = 2;        // the entry preselected in the file dialog
inline constexpr int kImportFirstRow = 3;           // the templates' first data row (headers, units above)
inline constexpr int kImportHeaderSearchRows = 10;  // rows searched for the header row
inline constexpr int kImportGridRows = 2550;        // data rows the window shows at most

// The sheet of the templates' example, which the import never reads.
inline constexpr const char* kImportExampleSheet = "Пример заполнения";

// Plausible values of what crews measure on 6 ... 750 kV overhead lines; a value outside is
// refused with its cell and the range (a value in centimetres, a slipped digit). Reasons in
// the README ("Plausible values").
struct ImportRange {
    const char* what;  // the quantity, in the messages
    double lo, hi;
    const char* unit;
};
inline constexpr ImportRange kRangeSpanLength{"длина пролёта", 10, 2000, "м"};
inline constexpr ImportRange kRangeSuspension{"высота подвеса провода", 3, 200, "м"};
inline constexpr ImportRange kRangeClearance{"габарит", 0.1, 200, "м"};
inline constexpr ImportRange kRangeObjectHeight{"высота пересекаемого объекта", 0, 200, "м"};
inline constexpr ImportRange kRangeDistance{"расстояние от опоры", 0, 2000, "м"};
inline constexpr ImportRange kRangeSeaHeight{"высота над уровнем моря", -200, 5000, "м"};
inline constexpr ImportRange kRangeCurrent{"ток ВЛ на один провод фазы", 0, 2000, "А"};
inline constexpr ImportRange kRangeAirTemp{"температура воздуха", -60, 60, "°C"};
inline constexpr ImportRange kRangeConductorTemp{"температура провода", -60, 0, "°C"};  // hi: the conductor's TMax
inline constexpr ImportRange kRangeWind{"скорость ветра", 0, 60, "м/с"};
inline constexpr ImportRange kRangeWindDirection{"направление ветра", 0, 360, "град."};
inline constexpr ImportRange kRangeLatitude{"географическая широта", 35, 80, "град. с. ш."};
inline constexpr ImportRange kImportRanges[] = {
    kRangeSpanLength, kRangeSuspension, kRangeClearance,     kRangeObjectHeight, kRangeDistance,      kRangeSeaHeight,
    kRangeCurrent,    kRangeAirTemp,    kRangeConductorTemp, kRangeWind,         kRangeWindDirection, kRangeLatitude};

inline constexpr const char* kMsgTableEmpty = "Таблица пуста";
inline constexpr const char* kMsgOpenFailed = "ошибка при открытии";

// Columns of the sheet and their headers (UTF-8), column c at index c - 1.
int ImportColumnCount(ImportPoints p);
const std::vector<const char*>& ImportHeaders(ImportPoints p);

// One data row of a sheet (or, in a workbook of several lines, a row naming a line).
struct TyDataImportExcel {
    double Time = 0;   // date and time of the measurement, days since 30.12.1899
    ShortStr<5> Nop1;  // support numbers (Windows-1251)
    ShortStr<5> Nop2;
    TyWire Pr;           // the matched catalog conductor
    Single PrBreak = 0;  // its breaking force from the catalog, N
    Integer TM = 0;      // terrain type 0..3
    Single Lpr = 0, Hpr1 = 0, Hpr2 = 0, H1 = 0, H2 = 0;
    Single HMid = 0;     // one point: clearance to the ground at mid-span
    Single HSeaMid = 0;  // one point: ground height above sea level at mid-span
    Single GabMin = 0, LMin = 0, HSeaMin = 0;
    Single Lprep = 0, Hprep = 0, GabPrep = 0, HSeaPrep = 0, GabZem = 0;
    Integer TPrp = 0;  // obstacle type 0..12
    Single I = 0, TAir = 0, TCond = 0, V = 0, Alf = 0;
    Integer Tzv = 0;  // sky condition 0..3
    Integer RegG = 0, RegV = 0;
    Single Fi = 0;
    std::string Concl;  // conclusion (UTF-8)
    Single HZam1 = 0, HZam2 = 0, LZam1 = 0, LZam2 = 0, HSeaZam1 = 0, HSeaZam2 = 0;
    Integer Mpr = 0;
    std::string LineFrom, LineTo;  // names of the line the row belongs to (UTF-8)

    // Where the row stands in the sheet and what it held besides the values.
    int sheetRow = 0;
    bool separator = false;   // a row naming the next line of a workbook of several lines
    bool obstacle = false;    // the row names a crossed object
    bool hasHSeaMin = false;  // the height above sea level at the lowest point was given
    bool operator==(const TyDataImportExcel&) const = default;
};

// What one reading of a workbook gave: the rows and the sheet's cells as the window shows them.
struct ImportTable {
    ImportPoints points = ImportPoints::One;
    bool multi = false;                           // read as a workbook of several lines
    std::string sheet;                            // the name of the sheet read (UTF-8)
    int headerRow = 1;                            // the row of the column headers
    int firstRow = kImportFirstRow;               // the first row read for data
    std::vector<TyDataImportExcel> rows;          // data rows and line-naming rows, in sheet order
    std::vector<std::vector<std::string>> cells;  // the sheet's texts from firstRow on, at most
                                                  // 2550 rows of ImportColumnCount cells
    std::vector<int> cellRows;                    // sheet row of each row of cells
    std::vector<std::string> notes;               // what the user is told after reading (UTF-8)
    int DataRows() const;                         // rows that are not line-naming rows
};

// A sheet that cannot be taken: the message (UTF-8) is shown to the user as it is and names
// the row and the column of the cell at fault.
class ImportError : public std::runtime_error {
public:
    // NoTable: the sheet holds no table of measurements (empty, or without the header row).
    enum class Kind { Fault, NoTable };
    explicit ImportError(const std::string& what, Kind k = Kind::Fault) : std::runtime_error(what), kind(k) {}
    Kind kind;
};

// Reads the rows under the header row (and its units row) up to the last used row of the
// sheet. With `multi`, a row with a start name in column 1 and nothing from column 3 on names a
// line (its end name in column 2), and the data rows below it carry those names; a data row
// above the first such row is refused. Without `multi` such a row is refused as a sign of a
// workbook of several lines. A row with nothing in column 1 and nothing from column 3 on
// (blank, or a heading or note in column 2) is passed over, and so is a row that is the example
// row of the templates (with a note); every other row is a data row, so a measurement without
// its date is named, never dropped. Throws ImportError with the message of the first cell at
// fault, of a sheet without the header row or with the headers of the other layout, or
// "Таблица пуста" when the sheet holds no data row.
ImportTable ReadImportSheet(const Sheet& sheet, ImportPoints points, bool multi, const WireCatalog& cat);

// The same for the first worksheet of a workbook file (.xlsx, .ods or .xls) or of a file's
// bytes; an empty first sheet of a workbook whose table lies on a later sheet names that sheet.
// A workbook that cannot be opened throws ImportError starting with "ошибка при открытии".
ImportTable ReadImportWorkbook(const std::string& path, ImportPoints points, bool multi, const WireCatalog& cat);
ImportTable ReadImportBytes(const Bytes& bytes, ImportPoints points, bool multi, const WireCatalog& cat);

// Index of the catalog conductor for a name and nominal sections: the first entry with the same
// name and exactly equal sections; failing that, the first whose name equals it once the Latin
// letters that look like Cyrillic ones are read as those. 0 when none.
int FindImportWire(const WireCatalog& cat, const std::string& nameUtf8, Single sAl, Single sSt);

}  // namespace qem

#pragma once
// Spreadsheet workbooks, read and written by the program itself: Office Open XML workbooks
// (.xlsx) through libzip and pugixml, OpenDocument spreadsheets (.ods, read only) through the
// same libraries, legacy workbooks (.xls, read only) through libfreexl, with the cached
// results of their formulas read from the file's own records (libfreexl leaves them out).
//
// What the import and the exports rely on: open a workbook (from a file or from bytes), its
// first worksheet, the last used cell, a cell's value with its kind (and, for a number,
// whether its number format shows a date or a time), a cell read as text, a text written
// into a cell or a range (numeric text becomes a number), a block of cells copied with its
// styles into another workbook, and an atomic save. Whatever the program does not touch in
// a workbook (styles, column widths, merged cells, number formats, formulas, other sheets,
// other parts of the package) is saved back as it was.
//
// Files come from users and are untrusted: a workbook whose parts are too large, whose XML
// declares a DOCTYPE or entities, whose part paths leave the package, whose cell references
// lie outside the sheet or whose shared-string indexes are out of range is refused with a
// WorkbookError, within the bounds of WorkbookLimits; a legacy workbook is read in a child
// process bounded in time and memory.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace qem {

// A workbook that cannot be opened, read, changed or saved; the message (Russian, UTF-8)
// names the file when there is one and says what is wrong.
class WorkbookError : public FileError {
public:
    explicit WorkbookError(const std::string& what) : FileError(what) {}
};

// Bounds on what an opened file may make the program read and hold.
struct WorkbookLimits {
    std::uint64_t maxFileSize = 64ull << 20;    // the file itself
    std::uint64_t maxPartSize = 32ull << 20;    // each part of a package, uncompressed
    std::uint64_t maxTotalSize = 128ull << 20;  // all parts together, uncompressed
    std::uint32_t maxParts = 4096;              // parts of a package
    std::uint64_t maxCells = 1'000'000;         // cells of one sheet
    // The process that reads a legacy .xls workbook: its time and the memory it may take.
    // Crews' workbooks read in milliseconds with a few megabytes.
    std::uint32_t maxReadSeconds = 5;
    std::uint64_t maxReadMemory = 256ull << 20;
};

// Sheet limits of the format; cells are numbered from 1.
inline constexpr int kMaxSheetRows = 1048576;
inline constexpr int kMaxSheetColumns = 16384;
// The longest text a cell holds.
inline constexpr std::size_t kMaxCellTextChars = 32767;

enum class CellKind { Empty, Number, Text, Boolean, Error };

struct CellValue {
    CellKind kind = CellKind::Empty;
    double number = 0;         // Number; Boolean as 1 or 0
    std::string text;          // Text (UTF-8); Error: its code such as "#DIV/0!"
    bool date = false;         // a Number shown with a date or time format: days since 30.12.1899
                               // with the time of day as fraction (1904-based workbooks converted)
    bool formula = false;      // the cell holds a formula: the value is its last result
    std::string numberFormat;  // the cell's number format code ("General", "dd.mm.yyyy", ...)

    static CellValue Number(double v);
    static CellValue Text(std::string utf8);
};

// The value as the program reads a cell: a text as it is; a number (a date too) as the
// shortest decimal text that reads back to the same double; "TRUE"/"FALSE"; an error's code;
// "" for an empty cell.
std::string CellText(const CellValue& v);

// "Numeric text becomes a number": the number a written text stands for, when it is one:
// optional blanks, a sign, digits with one decimal point or comma, an exponent. Nothing else
// ("1 000", "12%", "0x1F", "inf") is a number.
bool NumericText(std::string_view text, double& value);

struct CellAddress {
    int row = 1;
    int col = 1;
    bool operator==(const CellAddress&) const = default;
};
struct CellRange {
    CellAddress first, last;
    int rows() const { return last.row - first.row + 1; }
    int cols() const { return last.col - first.col + 1; }
};

// "A" for 1, "T" for 20, "AA" for 27.
std::string ColumnName(int col);
// "F7" for (7, 6).
std::string CellName(int row, int col);
// "F7" or "F7:S7" (absolute marks "$" allowed); a cell outside the sheet or bad text throws
// WorkbookError.
CellRange ParseRange(std::string_view a1);
CellAddress ParseCell(std::string_view a1);

// The look of a cell in a workbook the program creates.
struct CellStyle {
    enum class HAlign { General, Left, Center, Right };
    enum class VAlign { Bottom, Center, Top };
    std::string fontName = "Arial";
    double fontSize = 10;  // points
    bool bold = false;
    bool italic = false;
    std::string fontColor;  // "RRGGBB"; empty: automatic
    std::string fill;       // background "RRGGBB"; empty: none
    HAlign hAlign = HAlign::General;
    VAlign vAlign = VAlign::Bottom;
    bool wrap = false;
    bool border = false;  // thin lines on all four sides
    std::string numberFormat = "General";
    bool operator==(const CellStyle&) const = default;
};

struct PageSetup {
    bool landscape = false;
    bool fitToWidth = false;        // one page wide, as many pages tall as needed
    std::string printTitleRows;     // rows repeated on every printed page, such as "1:4"
    std::string printTitleColumns;  // columns repeated on every printed page, such as "A:B"
};

// A drop-down list of the values the cells of a range may take (data validation).
struct ListValidation {
    std::string range;  // "O3:O502"
    // The values: a range of cells ("'Списки'!$A$2:$A$14") or a list in double quotes with
    // commas between the values ("\"1,2,3,4\"").
    std::string source;
    bool strict = true;         // a value not in the list is refused; false: the list only helps
    std::string title, prompt;  // the hint shown beside a selected cell
    std::string error;          // the message when a value is refused
    bool operator==(const ListValidation&) const = default;
};

class Workbook;

// One worksheet of a workbook. Reading works on every workbook; writing on .xlsx workbooks
// (an .xls or .ods workbook is read only and throws WorkbookError).
class Sheet {
public:
    virtual ~Sheet() = default;
    virtual std::string Name() const = 0;

    virtual CellValue Value(int row, int col) const = 0;
    std::string Text(int row, int col) const { return CellText(Value(row, col)); }
    std::string Text(std::string_view cell) const;
    // Row of the lowest and column of the rightmost cell holding a value (1, 1 when none).
    virtual CellAddress LastUsedCell() const = 0;

    // The text into the cell: a numeric text (NumericText) becomes a number cell, an empty
    // text empties the cell, any other text is stored as text. The cell keeps its style; a
    // formula in it is replaced.
    virtual void SetText(int row, int col, std::string_view utf8) = 0;
    // The same text into every cell of a range such as "F7:S7" (or one cell "T5").
    void SetText(std::string_view range, std::string_view utf8);
    virtual void SetNumber(int row, int col, double v) = 0;
    // A formula (without the leading "=") with the result to show until it is recalculated.
    virtual void SetFormula(int row, int col, std::string_view formula, const CellValue& result) = 0;
    // The formula of a cell (without "="); empty when it holds none.
    virtual std::string Formula(int row, int col) const = 0;
    // Replaces the last result of the formula in a cell, keeping the formula.
    virtual void SetFormulaResult(int row, int col, const CellValue& result) = 0;

    // Look and layout (style indexes come from Workbook::AddStyle).
    virtual int Style(int row, int col) const = 0;
    virtual void SetStyle(int row, int col, int style) = 0;
    void SetStyle(std::string_view range, int style);
    virtual void SetColumnWidth(int col, double chars) = 0;
    virtual void SetRowHeight(int row, double points) = 0;
    virtual void Merge(std::string_view range) = 0;
    virtual std::vector<CellRange> MergedRanges() const = 0;
    // Rows above and columns left of the cell stay in view ("F5": rows 1-4, columns A-E).
    virtual void FreezePanes(std::string_view cell) = 0;
    virtual void SetPageSetup(const PageSetup& setup) = 0;
    // Drop-down lists of the sheet's cells.
    virtual void AddListValidation(const ListValidation& v) = 0;
    virtual std::vector<ListValidation> ListValidations() const = 0;

protected:
    Sheet() = default;
};

class Workbook {
public:
    // Opens a workbook file (.xlsx, .ods or .xls, told apart by their content).
    static Workbook Open(const std::string& path, const WorkbookLimits& limits = {});
    // The same from the bytes of a file; `name` is used in messages.
    static Workbook FromBytes(const Bytes& bytes, const WorkbookLimits& limits = {}, const std::string& name = "");
    // A new .xlsx workbook with one empty sheet of that name.
    static Workbook Create(const std::string& sheetName);

    Workbook(Workbook&&) noexcept;
    Workbook& operator=(Workbook&&) noexcept;
    ~Workbook();

    int SheetCount() const;
    // Sheet i (from 1) in workbook order; FirstSheet is Worksheet(1).
    Sheet& Worksheet(int i);
    const Sheet& Worksheet(int i) const;
    Sheet& FirstSheet() { return Worksheet(1); }
    const Sheet& FirstSheet() const { return Worksheet(1); }
    // A new empty sheet after the last one (.xlsx); a name the workbook has already throws.
    Sheet& AddSheet(const std::string& name);
    bool ReadOnly() const;

    // A cell style of this workbook (an equal one is reused); its index for Sheet::SetStyle.
    int AddStyle(const CellStyle& style);

    // The package as bytes, and saved atomically (temporary file + rename): a failed save
    // leaves the previous file as it was.
    Bytes ToBytes() const;
    void Save(const std::string& path) const;

    struct Impl;  // the workbook layer's own

private:
    explicit Workbook(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
    friend void CopyRange(const Sheet&, std::string_view, Sheet&, std::string_view);
};

// Copies a block of cells (values, formulas with their relative references moved, styles,
// and the merged ranges that lie wholly inside the block) to the cell `at` of another sheet,
// also of another workbook, as pasting does in a spreadsheet program.
void CopyRange(const Sheet& from, std::string_view range, Sheet& to, std::string_view at);

// A formula with its relative references moved by (rows, cols), as copying it does.
// References that would leave the sheet become "#REF!".
std::string MoveFormula(std::string_view formula, int rows, int cols);

}  // namespace qem

#pragma once
// Spreadsheet templates from their text descriptions (data/template_*.txt), written with the
// program's own workbook layer.
//
// A description is read line by line; "#" starts a comment; a command and its arguments are
// separated by blanks, and the last argument of text, formula and the names runs to the end of
// the line:
//
//   workbook NAME                         the file written (into the output folder)
//   sheet NAME                            the name of its one sheet
//   style ID OPTION...                    a cell style: font=PT name=FONT bold italic
//                                         color=RRGGBB fill=RRGGBB left center right top
//                                         middle bottom wrap border format=CODE
//   width COLUMNS CHARS                   "B" or "F:S"
//   height ROWS POINTS                    "3" or "5:34"
//   text RANGE STYLE TEXT                 the text into the first cell, the style over the range
//   number RANGE STYLE START [STEP]       numbers START, START + STEP, ... along the range
//   formula RANGE [step=N] STYLE =F       the formula into every N-th row (every cell) of the
//                                         range; {c} is the cell's column, {r}, {r+K}, {r-K}
//                                         its row
//   fill RANGE STYLE                      the style over the range
//   merge RANGE
//   freeze CELL
//   page [landscape] [fit] [titles=ROWS]
//
// STYLE "-" leaves the cells unstyled.
#include <filesystem>
#include <stdexcept>
#include <string>

namespace qemdata {

struct TemplateError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Writes the workbook a description describes into `outDir`; returns its file name (UTF-8).
// Throws TemplateError naming the file and line of a malformed description.
std::string MakeTemplate(const std::filesystem::path& description, const std::filesystem::path& outDir);

}  // namespace qemdata

#pragma once
// Helpers the workbook readers share: number formats, dates, cell texts in the package.
#include <optional>
#include <string>
#include <string_view>

namespace qem::wbdetail {

// Format code of a built-in number format id ("" for an id without one).
std::string BuiltinNumberFormat(int id);
// True when a number format code shows a date or a time (d, m, y, h, s outside quotes,
// escapes and brackets; [h], [mm], [ss] elapsed times).
bool IsDateFormat(std::string_view code);
// True for the built-in ids that are dates or times (14-22, 27-36, 45-47, 50-58).
bool IsBuiltinDateFormat(int id);

// "2021-03-04", "2021-03-04T05:06:07", "2021-03-04 05:06:07", "05:06:07" as a date-time
// (days since 30.12.1899); nullopt when the text is not one.
std::optional<double> DateTimeFromText(std::string_view text);

// Cell texts in the package escape characters XML cannot hold as _xHHHH_.
std::string DecodeXString(std::string_view s);
std::string EncodeXString(std::string_view utf8);
// Invalid UTF-8 sequences replaced by U+FFFD.
std::string ValidUtf8(std::string_view s);
// Characters (code points) of UTF-8 text.
std::size_t Utf8Length(std::string_view s);

// Shortest decimal text that reads back to the same double.
std::string ShortestDouble(double v);

}  // namespace qem::wbdetail

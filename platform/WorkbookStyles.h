#pragma once
// The styles part of a workbook: the number format of each cell format (to tell dates), and the
// cell formats the program adds or copies from another workbook, each stored once.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "platform/WorkbookDetail.h"

namespace qem::wbdetail {

// The style lists of a workbook: number formats, and per cell format its number format id.
struct StyleTable {
    std::map<int, std::string> numFmts;
    std::vector<int> xfNumFmt;
    std::string FormatCode(int xf) const {
        const int id = xf >= 0 && xf < int(xfNumFmt.size()) ? xfNumFmt[std::size_t(xf)] : 0;
        const auto it = numFmts.find(id);
        if (it != numFmts.end()) return it->second;
        const std::string b = BuiltinNumberFormat(id);
        return b.empty() ? "General" : b;
    }
    bool IsDate(int xf) const {
        const int id = xf >= 0 && xf < int(xfNumFmt.size()) ? xfNumFmt[std::size_t(xf)] : 0;
        const auto it = numFmts.find(id);
        if (it != numFmts.end()) return IsDateFormat(it->second);
        return IsBuiltinDateFormat(id);
    }
};

// The styles part of a workbook that has none yet.
extern const char* const kEmptyStyles;

// Index of an element equal to `xml` among the children `local` of list, appended when none
// is; the count attribute follows.
int FindOrAdd(pugi::xml_node list, std::string_view local, const std::string& xml);
// The text with the characters XML attributes cannot hold as they are escaped.
std::string EscapeAttr(std::string_view s);

}  // namespace qem::wbdetail

#pragma once
// The Office Open XML package of a workbook: its ZIP archive read within the bounds of
// WorkbookLimits (part count, part and total sizes, part paths that stay inside the package),
// its XML parts parsed without DOCTYPE or entities, relationship targets resolved, parts
// replaced and the archive written again; and the XML helpers every part of a workbook shares.
#include <cstdint>
#include <map>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Workbook.h"

namespace qem::wbdetail {

inline constexpr const char* kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline constexpr const char* kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr const char* kPkgRelNs = "http://schemas.openxmlformats.org/package/2006/relationships";
inline constexpr const char* kRelOfficeDocument =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
inline constexpr const char* kRelWorksheet =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
inline constexpr const char* kRelStyles = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
inline constexpr const char* kRelSharedStrings =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings";
inline constexpr const char* kRelCalcChain =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/calcChain";
inline constexpr const char* kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

std::string Lower(std::string_view s);
// Element names without their namespace prefix; the files of some programs use "x:c".
std::string_view LocalName(const char* name);
bool Is(pugi::xml_node n, std::string_view local);
pugi::xml_node Child(pugi::xml_node n, std::string_view local);
// The prefix ("x:" or "") of an element, for the elements made next to it.
std::string Prefix(pugi::xml_node n);
// An attribute "r:id" whatever the prefix of the relationships namespace.
pugi::xml_attribute RelId(pugi::xml_node n);
// Text of <t> elements below n (rich-text runs joined, phonetic runs left out).
void CollectText(pugi::xml_node n, std::string& out);
std::string Serialize(const pugi::xml_document& doc);
std::string Serialize(pugi::xml_node n);
bool ParseInt(std::string_view s, long long& v);
bool ParseDouble(std::string_view s, double& v);
std::string MiB(std::uint64_t n);

// Element order of a worksheet, for elements the program adds.
inline constexpr const char* kWorksheetOrder[] = {"sheetPr",
                                                  "dimension",
                                                  "sheetViews",
                                                  "sheetFormatPr",
                                                  "cols",
                                                  "sheetData",
                                                  "sheetCalcPr",
                                                  "sheetProtection",
                                                  "protectedRanges",
                                                  "scenarios",
                                                  "autoFilter",
                                                  "sortState",
                                                  "dataConsolidate",
                                                  "customSheetViews",
                                                  "mergeCells",
                                                  "phoneticPr",
                                                  "conditionalFormatting",
                                                  "dataValidations",
                                                  "hyperlinks",
                                                  "printOptions",
                                                  "pageMargins",
                                                  "pageSetup",
                                                  "headerFooter",
                                                  "rowBreaks",
                                                  "colBreaks",
                                                  "customProperties",
                                                  "cellWatches",
                                                  "ignoredErrors",
                                                  "smartTags",
                                                  "drawing",
                                                  "legacyDrawing",
                                                  "legacyDrawingHF",
                                                  "picture",
                                                  "oleObjects",
                                                  "controls",
                                                  "webPublishItems",
                                                  "tableParts",
                                                  "extLst"};
inline constexpr const char* kWorkbookOrder[] = {"fileVersion",    "fileSharing",
                                                 "workbookPr",     "workbookProtection",
                                                 "bookViews",      "sheets",
                                                 "functionGroups", "externalReferences",
                                                 "definedNames",   "calcPr",
                                                 "oleSize",        "customWorkbookViews",
                                                 "pivotCaches",    "smartTagPr",
                                                 "smartTagTypes",  "webPublishing",
                                                 "fileRecoveryPr", "webPublishObjects",
                                                 "extLst"};
inline constexpr const char* kStylesOrder[] = {"numFmts",      "fonts",   "fills",      "borders",
                                               "cellStyleXfs", "cellXfs", "cellStyles", "dxfs",
                                               "tableStyles",  "colors",  "extLst"};

template <std::size_t N>
int OrderOf(const char* const (&order)[N], std::string_view local) {
    for (std::size_t i = 0; i < N; ++i)
        if (local == order[i]) return int(i);
    return int(N);
}

// The child `local` of parent, made in its place of `order` when missing.
template <std::size_t N>
pugi::xml_node EnsureChild(pugi::xml_node parent, std::string_view local, const char* const (&order)[N]) {
    if (pugi::xml_node c = Child(parent, local)) return c;
    const int rank = OrderOf(order, local);
    const std::string name = Prefix(parent) + std::string(local);
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && OrderOf(order, LocalName(c.name())) > rank)
            return parent.insert_child_before(name.c_str(), c);
    return parent.append_child(name.c_str());
}

// The parts of a package by name, read from an archive within the limits, and the archive
// written again.
struct ZipPackage {
    std::string name;  // for messages
    WorkbookLimits limits;
    std::vector<std::string> order;            // part names in package order
    std::map<std::string, std::string> parts;  // lower-case name -> name
    std::map<std::string, Bytes> data;         // name -> bytes

    [[noreturn]] void Refuse(const std::string& why) const;
    [[noreturn]] void Damaged(const std::string& why) const;

    const Bytes* Find(const std::string& part) const;
    void ReadZip(const Bytes& bytes);
    void ParseXml(const std::string& part, pugi::xml_document& doc) const;
    std::string Resolve(const std::string& source, std::string_view target) const;
    std::string RelsOf(const std::string& part) const;
    void SetPart(const std::string& part, std::string bytes);
    void RemovePart(const std::string& part);
    Bytes Package() const;
};

}  // namespace qem::wbdetail

// Styles of .xlsx workbooks: reading the number formats, adding and copying cell formats.
#include "platform/WorkbookStyles.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "platform/WorkbookDetail.h"
#include "platform/WorkbookImpl.h"
#include "platform/WorkbookPackage.h"

namespace qem {

namespace wbdetail {

const char* const kEmptyStyles =
    "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
    "<fonts count=\"1\"><font><sz val=\"10\"/><name val=\"Arial\"/><family val=\"2\"/></font></fonts>"
    "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
    "patternType=\"gray125\"/></fill></fills>"
    "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
    "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
    "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs>"
    "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
    "</styleSheet>";

// Index of an element equal to `xml` among the children `local` of list, appended when none
// is; the count attribute follows.
int FindOrAdd(pugi::xml_node list, std::string_view local, const std::string& xml) {
    pugi::xml_document tmp;
    tmp.load_string(xml.c_str(), pugi::parse_default | pugi::parse_ws_pcdata_single);
    const std::string wanted = Serialize(tmp.first_child());
    int i = 0;
    for (pugi::xml_node c = list.first_child(); c; c = c.next_sibling()) {
        if (!Is(c, local)) continue;
        if (Serialize(c) == wanted) return i;
        ++i;
    }
    list.append_copy(tmp.first_child());
    pugi::xml_attribute count = list.attribute("count");
    if (!count) count = list.append_attribute("count");
    count = i + 1;
    return i;
}

std::string EscapeAttr(std::string_view s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

bool IsColour(const std::string& c) {
    return c.size() == 6 &&
           std::all_of(c.begin(), c.end(), [](char ch) { return std::isxdigit(static_cast<unsigned char>(ch)); });
}

}  // namespace wbdetail

using namespace wbdetail;

void Workbook::Impl::LoadStyles() {
    if (stylesPath.empty() || !Find(stylesPath)) {
        // A workbook without styles: one default cell format, made when a style is added.
        styles.xfNumFmt = {0};
        return;
    }
    ParseXml(stylesPath, stylesDoc);
    const pugi::xml_node ss = stylesDoc.document_element();
    for (pugi::xml_node f = Child(Child(ss, "numFmts"), "numFmt"); f; f = f.next_sibling())
        if (Is(f, "numFmt")) styles.numFmts[f.attribute("numFmtId").as_int(-1)] = f.attribute("formatCode").value();
    for (pugi::xml_node x = Child(Child(ss, "cellXfs"), "xf"); x; x = x.next_sibling())
        if (Is(x, "xf")) styles.xfNumFmt.push_back(x.attribute("numFmtId").as_int(0));
    if (styles.xfNumFmt.empty()) styles.xfNumFmt = {0};
}

int Workbook::Impl::AddStyleXml(const CellStyle& st) {
    if (!stylesDoc.document_element()) {
        // A workbook without a styles part gets one.
        stylesDoc.load_string(kEmptyStyles);
        stylesPath = Resolve(workbookPath, "styles.xml");
        pugi::xml_node rel = relsDoc.document_element().append_child("Relationship");
        int id = 1;
        std::set<std::string> ids;
        for (pugi::xml_node r : relsDoc.document_element().children()) ids.insert(r.attribute("Id").value());
        while (ids.count("rId" + std::to_string(id))) ++id;
        rel.append_attribute("Id") = ("rId" + std::to_string(id)).c_str();
        rel.append_attribute("Type") = kRelStyles;
        rel.append_attribute("Target") = "styles.xml";
        pugi::xml_node o = typesDoc.document_element().append_child("Override");
        o.append_attribute("PartName") = ("/" + stylesPath).c_str();
        o.append_attribute("ContentType") = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";
        relsDirty = typesDirty = true;
    }
    if ((!st.fontColor.empty() && !IsColour(st.fontColor)) || (!st.fill.empty() && !IsColour(st.fill)))
        throw WorkbookError("Цвет задаётся шестью шестнадцатеричными цифрами RRGGBB");
    pugi::xml_node ss = stylesDoc.document_element();
    stylesDirty = true;

    const int numFmt = NumFmtId(st.numberFormat);
    std::string font = "<font>";
    if (st.bold) font += "<b/>";
    if (st.italic) font += "<i/>";
    font += "<sz val=\"" + ShortestDouble(st.fontSize) + "\"/>";
    if (!st.fontColor.empty()) font += "<color rgb=\"FF" + st.fontColor + "\"/>";
    font += "<name val=\"" + EscapeAttr(st.fontName) + "\"/><family val=\"2\"/></font>";
    const int fontId = FindOrAdd(EnsureChild(ss, "fonts", kStylesOrder), "font", font);

    int fillId = 0;
    if (!st.fill.empty())
        fillId = FindOrAdd(EnsureChild(ss, "fills", kStylesOrder), "fill",
                           "<fill><patternFill patternType=\"solid\"><fgColor rgb=\"FF" + st.fill +
                               "\"/><bgColor indexed=\"64\"/></patternFill></fill>");

    const std::string side = st.border ? " style=\"thin\"><color indexed=\"64\"/>" : ">";
    auto edge = [&](const char* e) {
        return st.border ? "<" + std::string(e) + side + "</" + e + ">" : "<" + std::string(e) + "/>";
    };
    const int borderId =
        FindOrAdd(EnsureChild(ss, "borders", kStylesOrder), "border",
                  "<border>" + edge("left") + edge("right") + edge("top") + edge("bottom") + "<diagonal/></border>");

    std::string xf = "<xf numFmtId=\"" + std::to_string(numFmt) + "\" fontId=\"" + std::to_string(fontId) +
                     "\" fillId=\"" + std::to_string(fillId) + "\" borderId=\"" + std::to_string(borderId) +
                     "\" xfId=\"0\"";
    if (numFmt) xf += " applyNumberFormat=\"1\"";
    xf += " applyFont=\"1\"";
    if (fillId) xf += " applyFill=\"1\"";
    if (st.border) xf += " applyBorder=\"1\"";
    const bool align = st.hAlign != CellStyle::HAlign::General || st.vAlign != CellStyle::VAlign::Bottom || st.wrap;
    if (align) {
        xf += " applyAlignment=\"1\"><alignment";
        static const char* const h[] = {"general", "left", "center", "right"};
        static const char* const v[] = {"bottom", "center", "top"};
        if (st.hAlign != CellStyle::HAlign::General) xf += std::string(" horizontal=\"") + h[int(st.hAlign)] + "\"";
        if (st.vAlign != CellStyle::VAlign::Bottom) xf += std::string(" vertical=\"") + v[int(st.vAlign)] + "\"";
        if (st.wrap) xf += " wrapText=\"1\"";
        xf += "/></xf>";
    } else {
        xf += "/>";
    }
    const int index = FindOrAdd(EnsureChild(ss, "cellXfs", kStylesOrder), "xf", xf);
    if (index >= int(styles.xfNumFmt.size())) styles.xfNumFmt.push_back(numFmt);
    return index;
}

int Workbook::Impl::NumFmtId(const std::string& code) {
    // Built-in when the code is one, else a custom id from 164 on.
    for (int id = 0; id < 50; ++id)
        if (BuiltinNumberFormat(id) == code && !code.empty()) return id;
    for (const auto& [id, c] : styles.numFmts)
        if (c == code) return id;
    int id = 164;
    while (styles.numFmts.count(id)) ++id;
    pugi::xml_node ss = stylesDoc.document_element();
    pugi::xml_node list = EnsureChild(ss, "numFmts", kStylesOrder);
    pugi::xml_node f = list.append_child((Prefix(ss) + "numFmt").c_str());
    f.append_attribute("numFmtId") = id;
    f.append_attribute("formatCode") = code.c_str();
    styles.numFmts[id] = code;
    pugi::xml_attribute count = list.attribute("count");
    if (!count) count = list.append_attribute("count");
    count = int(std::count_if(list.begin(), list.end(), [](pugi::xml_node n) { return Is(n, "numFmt"); }));
    stylesDirty = true;
    return id;
}

int Workbook::Impl::ImportStyle(const Impl& src, int xf, std::map<int, int>& cache) {
    if (&src == this) return xf;
    if (const auto it = cache.find(xf); it != cache.end()) return it->second;
    const pugi::xml_node sss = src.stylesDoc.document_element();
    pugi::xml_node from;
    int i = 0;
    for (pugi::xml_node x = Child(Child(sss, "cellXfs"), "xf"); x; x = x.next_sibling())
        if (Is(x, "xf") && i++ == xf) from = x;
    if (!from) return cache[xf] = 0;
    if (!stylesDoc.document_element()) AddStyleXml(CellStyle{});  // makes the styles part
    pugi::xml_node ss = stylesDoc.document_element();
    stylesDirty = true;
    pugi::xml_document tmp;
    pugi::xml_node copy = tmp.append_copy(from);
    // The pieces the format names, found or added in this workbook.
    auto piece = [&](const char* list, const char* item, const char* attr) {
        const int id = copy.attribute(attr).as_int(0);
        int k = 0;
        for (pugi::xml_node p = Child(Child(sss, list), item); p; p = p.next_sibling())
            if (Is(p, item) && k++ == id) {
                copy.attribute(attr) = FindOrAdd(EnsureChild(ss, list, kStylesOrder), item, Serialize(p));
                return;
            }
        if (copy.attribute(attr)) copy.attribute(attr) = 0;
    };
    piece("fonts", "font", "fontId");
    piece("fills", "fill", "fillId");
    piece("borders", "border", "borderId");
    const int numFmt = copy.attribute("numFmtId").as_int(0);
    if (numFmt >= 164) {
        const auto code = src.styles.numFmts.find(numFmt);
        copy.attribute("numFmtId") = NumFmtId(code == src.styles.numFmts.end() ? "General" : code->second);
    }
    if (copy.attribute("xfId")) copy.attribute("xfId") = 0;
    const int index = FindOrAdd(EnsureChild(ss, "cellXfs", kStylesOrder), "xf", Serialize(copy));
    if (index >= int(styles.xfNumFmt.size())) styles.xfNumFmt.push_back(copy.attribute("numFmtId").as_int(0));
    return cache[xf] = index;
}

}  // namespace qem

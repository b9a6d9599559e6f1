// Workbooks: the front of the workbook layer. An .xlsx workbook is its package
// (platform/WorkbookPackage.h), its styles (platform/WorkbookStyles.h) and its worksheets
// (platform/WorkbookSheet.h); an OpenDocument spreadsheet is read by platform/OdsWorkbook.h and
// a legacy .xls workbook by platform/LegacyWorkbook.h.
#include "platform/Workbook.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "platform/ReadOnlySheet.h"
#include "platform/WorkbookDetail.h"
#include "platform/WorkbookImpl.h"
#include "platform/WorkbookPackage.h"
#include "platform/WorkbookSheet.h"
#include "platform/WorkbookStyles.h"

namespace qem {

using namespace wbdetail;

namespace {

// Sheet names compare as spreadsheet programs compare them: without case, Latin and Cyrillic.
std::string FoldCase(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c >= 'A' && c <= 'Z') {
            out += char(c - 'A' + 'a');
        } else if ((c == 0xD0 || c == 0xD1) && i + 1 < utf8.size()) {
            const unsigned cp = ((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F);
            unsigned lower = cp;
            if (cp >= 0x410 && cp <= 0x42F)
                lower = cp + 0x20;
            else if (cp >= 0x400 && cp <= 0x40F)
                lower = cp + 0x50;
            out += char(0xC0 | (lower >> 6));
            out += char(0x80 | (lower & 0x3F));
            ++i;
        } else {
            out += char(c);
        }
    }
    return out;
}

}  // namespace

void Workbook::Impl::Load() {
    if (!Find("[Content_Types].xml")) Damaged("нет части [Content_Types].xml");
    ParseXml("[Content_Types].xml", typesDoc);
    pugi::xml_document root;
    ParseXml("_rels/.rels", root);
    for (pugi::xml_node r : root.document_element().children())
        if (Is(r, "Relationship") && std::string_view(r.attribute("Type").value()) == kRelOfficeDocument &&
            std::string_view(r.attribute("TargetMode").value()) != "External")
            workbookPath = Resolve("", r.attribute("Target").value());
    if (workbookPath.empty()) Damaged("нет ссылки на книгу в _rels/.rels");
    ParseXml(workbookPath, workbookDoc);
    const pugi::xml_node wb = workbookDoc.document_element();
    if (!Is(wb, "workbook")) Damaged("часть " + Quoted(workbookPath) + " не является книгой");
    const std::string_view d1904 = Child(wb, "workbookPr").attribute("date1904").value();
    date1904 = d1904 == "1" || d1904 == "true";

    relsPath = RelsOf(workbookPath);
    ParseXml(relsPath, relsDoc);
    std::map<std::string, std::pair<std::string, std::string>> rels;  // id -> type, part
    for (pugi::xml_node r : relsDoc.document_element().children()) {
        if (!Is(r, "Relationship") || std::string_view(r.attribute("TargetMode").value()) == "External") continue;
        const std::string type = r.attribute("Type").value();
        const std::string target = Resolve(workbookPath, r.attribute("Target").value());
        rels[r.attribute("Id").value()] = {type, target};
        if (type == kRelStyles) stylesPath = target;
        if (type == kRelSharedStrings) LoadSharedStrings(target);
    }
    LoadStyles();
    for (pugi::xml_node s = Child(Child(wb, "sheets"), "sheet"); s; s = s.next_sibling()) {
        if (!Is(s, "sheet")) continue;
        const auto it = rels.find(RelId(s).value());
        if (it == rels.end() || it->second.first != kRelWorksheet) continue;  // chart sheets and the like
        sheets.push_back(OpenXlsxSheet(*this, s.attribute("name").value(), it->second.second));
    }
    if (sheets.empty()) Damaged("в книге нет листов");
}

void Workbook::Impl::LoadSharedStrings(const std::string& part) {
    if (!Find(part)) return;
    pugi::xml_document doc;
    ParseXml(part, doc);
    for (pugi::xml_node si = Child(doc.document_element(), "si"); si; si = si.next_sibling()) {
        if (!Is(si, "si")) continue;
        std::string s;
        CollectText(si, s);
        sharedStrings.push_back(DecodeXString(s));
    }
}

// ---------------------------------------------------------------------------------------
// Workbook.

Workbook::Workbook(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Workbook::Workbook(Workbook&&) noexcept = default;
Workbook& Workbook::operator=(Workbook&&) noexcept = default;
Workbook::~Workbook() = default;

Workbook Workbook::Open(const std::string& path, const WorkbookLimits& limits) {
    std::error_code ec;
    const auto p = PathFromUtf8(path);
    const auto size = std::filesystem::file_size(p, ec);
    if (!ec && size > limits.maxFileSize)
        throw WorkbookError("Книга " + Quoted(path) + " не открыта: файл больше " + MiB(limits.maxFileSize));
    return FromBytes(ReadWholeFile(path), limits, path);
}

Workbook Workbook::FromBytes(const Bytes& bytes, const WorkbookLimits& limits, const std::string& name) {
    auto impl = std::make_unique<Impl>();
    impl->name = name.empty() ? "(из памяти)" : name;
    impl->limits = limits;
    if (bytes.size() > limits.maxFileSize) impl->Refuse("файл больше " + MiB(limits.maxFileSize));
    static const std::uint8_t kZip[] = {'P', 'K', 3, 4};
    static const std::uint8_t kCfb[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (bytes.size() >= 4 && std::equal(kZip, kZip + 4, bytes.begin())) {
        impl->ReadZip(bytes);
        // An OpenDocument package has its content without the parts of Office Open XML.
        if (!impl->Find("[Content_Types].xml") && impl->Find("content.xml"))
            impl->LoadOds();
        else
            impl->Load();
    } else if (bytes.size() >= 8 && std::equal(kCfb, kCfb + 8, bytes.begin())) {
        impl->LoadXls(bytes);
    } else {
        throw WorkbookError("Файл " + Quoted(impl->name) +
                            " не является книгой Excel (.xlsx или .xls) или LibreOffice Calc (.ods)");
    }
    return Workbook(std::move(impl));
}

Workbook Workbook::Create(const std::string& sheetName) {
    auto impl = std::make_unique<Impl>();
    impl->name = "(новая книга)";
    std::string escaped = EscapeAttr(ValidUtf8(sheetName));
    impl->SetPart(
        "[Content_Types].xml",
        std::string(kXmlDeclaration) +
            "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
            "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
            "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
            "<Override PartName=\"/xl/workbook.xml\" "
            "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
            "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
            "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
            "<Override PartName=\"/xl/styles.xml\" "
            "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
            "</Types>");
    impl->SetPart("_rels/.rels", std::string(kXmlDeclaration) + "<Relationships xmlns=\"" + kPkgRelNs +
                                     "\"><Relationship Id=\"rId1\" Type=\"" + kRelOfficeDocument +
                                     "\" Target=\"xl/workbook.xml\"/></Relationships>");
    impl->SetPart("xl/workbook.xml",
                  std::string(kXmlDeclaration) + "<workbook xmlns=\"" + kMainNs + "\" xmlns:r=\"" + kRelNs +
                      "\"><workbookPr/><bookViews><workbookView/></bookViews><sheets><sheet name=\"" + escaped +
                      "\" sheetId=\"1\" r:id=\"rId1\"/></sheets><calcPr fullCalcOnLoad=\"1\"/></workbook>");
    impl->SetPart("xl/_rels/workbook.xml.rels",
                  std::string(kXmlDeclaration) + "<Relationships xmlns=\"" + kPkgRelNs +
                      "\"><Relationship Id=\"rId1\" Type=\"" + kRelWorksheet +
                      "\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" + kRelStyles +
                      "\" Target=\"styles.xml\"/></Relationships>");
    impl->SetPart(
        "xl/worksheets/sheet1.xml",
        std::string(kXmlDeclaration) + "<worksheet xmlns=\"" + kMainNs + "\" xmlns:r=\"" + kRelNs +
            "\"><dimension ref=\"A1\"/><sheetViews><sheetView workbookViewId=\"0\"/></sheetViews>"
            "<sheetFormatPr defaultRowHeight=\"12.75\"/><sheetData/>"
            "<pageMargins left=\"0.5\" right=\"0.5\" top=\"0.6\" bottom=\"0.6\" header=\"0.3\" footer=\"0.3\"/>"
            "</worksheet>");
    impl->SetPart("xl/styles.xml", std::string(kXmlDeclaration) + kEmptyStyles);
    impl->Load();
    return Workbook(std::move(impl));
}

int Workbook::SheetCount() const { return int(impl_->sheets.size()); }

Sheet& Workbook::Worksheet(int i) {
    if (i < 1 || i > SheetCount()) throw WorkbookError("В книге нет листа № " + std::to_string(i));
    return *impl_->sheets[std::size_t(i - 1)];
}

const Sheet& Workbook::Worksheet(int i) const { return const_cast<Workbook*>(this)->Worksheet(i); }

bool Workbook::ReadOnly() const { return !impl_->readOnlyFormat.empty(); }

Sheet& Workbook::AddSheet(const std::string& sheetName) {
    Impl& w = *impl_;
    if (ReadOnly()) ReadOnlySheet::RefuseChange(w.readOnlyFormat);
    const std::string name = ValidUtf8(sheetName);
    if (name.empty() || Utf8Length(name) > 31 || name.find_first_of("[]:*?/\\") != std::string::npos ||
        name.front() == '\'' || name.back() == '\'')
        throw WorkbookError("Недопустимое имя листа " + Quoted(name));
    for (const auto& s : w.sheets)
        if (FoldCase(s->Name()) == FoldCase(name)) throw WorkbookError("Лист " + Quoted(name) + " в книге уже есть");
    int n = 1;
    while (w.Find(w.Resolve(w.workbookPath, "worksheets/sheet" + std::to_string(n) + ".xml"))) ++n;
    const std::string target = "worksheets/sheet" + std::to_string(n) + ".xml";
    const std::string part = w.Resolve(w.workbookPath, target);
    w.SetPart(part, std::string(kXmlDeclaration) + "<worksheet xmlns=\"" + kMainNs + "\" xmlns:r=\"" + kRelNs +
                        "\"><dimension ref=\"A1\"/><sheetViews><sheetView workbookViewId=\"0\"/></sheetViews>"
                        "<sheetFormatPr defaultRowHeight=\"12.75\"/><sheetData/>"
                        "<pageMargins left=\"0.5\" right=\"0.5\" top=\"0.6\" bottom=\"0.6\" header=\"0.3\" "
                        "footer=\"0.3\"/></worksheet>");
    // Its relationship, its content type and its entry in the workbook.
    std::set<std::string> ids;
    for (pugi::xml_node r : w.relsDoc.document_element().children()) ids.insert(r.attribute("Id").value());
    int id = 1;
    while (ids.count("rId" + std::to_string(id))) ++id;
    const std::string rid = "rId" + std::to_string(id);
    pugi::xml_node rels = w.relsDoc.document_element();
    pugi::xml_node rel = rels.append_child((Prefix(rels) + "Relationship").c_str());
    rel.append_attribute("Id") = rid.c_str();
    rel.append_attribute("Type") = kRelWorksheet;
    rel.append_attribute("Target") = target.c_str();
    pugi::xml_node types = w.typesDoc.document_element();
    pugi::xml_node o = types.append_child((Prefix(types) + "Override").c_str());
    o.append_attribute("PartName") = ("/" + part).c_str();
    o.append_attribute("ContentType") = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
    pugi::xml_node wb = w.workbookDoc.document_element();
    pugi::xml_node list = EnsureChild(wb, "sheets", kWorkbookOrder);
    int sheetId = 0;
    for (pugi::xml_node s = Child(list, "sheet"); s; s = s.next_sibling())
        if (Is(s, "sheet")) sheetId = std::max(sheetId, s.attribute("sheetId").as_int(0));
    pugi::xml_node entry = list.append_child((Prefix(wb) + "sheet").c_str());
    entry.append_attribute("name") = name.c_str();
    entry.append_attribute("sheetId") = sheetId + 1;
    std::string relAttr = "r:id";
    for (pugi::xml_attribute a = wb.first_attribute(); a; a = a.next_attribute())
        if (std::string_view(a.value()) == kRelNs && std::string_view(a.name()).rfind("xmlns:", 0) == 0)
            relAttr = std::string(a.name()).substr(6) + ":id";
    entry.append_attribute(relAttr.c_str()) = rid.c_str();
    w.workbookDirty = w.relsDirty = w.typesDirty = true;
    w.sheets.push_back(OpenXlsxSheet(w, name, part));
    return *w.sheets.back();
}

int Workbook::AddStyle(const CellStyle& style) {
    if (ReadOnly()) ReadOnlySheet::RefuseChange(impl_->readOnlyFormat);
    return impl_->AddStyleXml(style);
}

Bytes Workbook::ToBytes() const {
    Impl& w = *impl_;
    if (ReadOnly()) ReadOnlySheet::RefuseChange(w.readOnlyFormat);
    bool changed = false;
    for (auto& s : w.sheets)
        if (StoreXlsxSheet(*s)) changed = true;
    if (changed) {
        // Values changed under the formulas: spreadsheet programs recalculate when they open
        // the file, and the calculation chain, which may name cells without formulas now, goes.
        pugi::xml_node wb = w.workbookDoc.document_element();
        pugi::xml_node calc = EnsureChild(wb, "calcPr", kWorkbookOrder);
        if (!calc.attribute("fullCalcOnLoad")) calc.append_attribute("fullCalcOnLoad");
        calc.attribute("fullCalcOnLoad") = "1";
        w.workbookDirty = true;
        for (pugi::xml_node r = w.relsDoc.document_element().first_child(); r;) {
            pugi::xml_node next = r.next_sibling();
            if (std::string_view(r.attribute("Type").value()) == kRelCalcChain) {
                w.RemovePart(w.Resolve(w.workbookPath, r.attribute("Target").value()));
                w.relsDoc.document_element().remove_child(r);
                w.relsDirty = true;
                for (pugi::xml_node o = w.typesDoc.document_element().first_child(); o;) {
                    pugi::xml_node on = o.next_sibling();
                    if (std::string_view(o.attribute("ContentType").value()).find("calcChain") !=
                        std::string_view::npos) {
                        w.typesDoc.document_element().remove_child(o);
                        w.typesDirty = true;
                    }
                    o = on;
                }
            }
            r = next;
        }
    }
    if (w.workbookDirty) w.SetPart(w.workbookPath, Serialize(w.workbookDoc));
    if (w.stylesDirty) w.SetPart(w.stylesPath, Serialize(w.stylesDoc));
    if (w.relsDirty) w.SetPart(w.relsPath, Serialize(w.relsDoc));
    if (w.typesDirty) w.SetPart("[Content_Types].xml", Serialize(w.typesDoc));
    return w.Package();
}

void Workbook::Save(const std::string& path) const { WriteFileAtomically(path, ToBytes()); }

}  // namespace qem

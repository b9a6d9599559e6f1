// The package: the ZIP archive of a workbook (libzip) and its XML parts (pugixml).
#include "platform/WorkbookPackage.h"

#include <zip.h>

#include <algorithm>
#include <charconv>
#include <cmath>

#include "platform/WorkbookDetail.h"

namespace qem::wbdetail {

std::string Lower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return r;
}

// Element names without their namespace prefix; the files of some programs use "x:c".
std::string_view LocalName(const char* name) {
    std::string_view n(name);
    const auto colon = n.find(':');
    return colon == std::string_view::npos ? n : n.substr(colon + 1);
}
bool Is(pugi::xml_node n, std::string_view local) {
    return n.type() == pugi::node_element && LocalName(n.name()) == local;
}
pugi::xml_node Child(pugi::xml_node n, std::string_view local) {
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
        if (Is(c, local)) return c;
    return {};
}
// The prefix ("x:" or "") of an element, for the elements made next to it.
std::string Prefix(pugi::xml_node n) {
    std::string_view name(n.name());
    const auto colon = name.find(':');
    return colon == std::string_view::npos ? "" : std::string(name.substr(0, colon + 1));
}
// An attribute "r:id" whatever the prefix of the relationships namespace.
pugi::xml_attribute RelId(pugi::xml_node n) {
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
        std::string_view name(a.name());
        if (name.size() > 3 && name.substr(name.size() - 3) == ":id") return a;
    }
    return {};
}

// Text of <t> elements below n (rich-text runs joined, phonetic runs left out).
void CollectText(pugi::xml_node n, std::string& out) {
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
        if (Is(c, "t")) {
            out += c.text().get();
        } else if (Is(c, "r")) {
            CollectText(c, out);
        }
    }
}

std::string Serialize(const pugi::xml_document& doc) {
    struct Writer : pugi::xml_writer {
        std::string s;
        void write(const void* data, size_t size) override { s.append(static_cast<const char*>(data), size); }
    } w;
    w.s = kXmlDeclaration;
    doc.save(w, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return std::move(w.s);
}

std::string Serialize(pugi::xml_node n) {
    struct Writer : pugi::xml_writer {
        std::string s;
        void write(const void* data, size_t size) override { s.append(static_cast<const char*>(data), size); }
    } w;
    n.print(w, "", pugi::format_raw, pugi::encoding_utf8);
    return std::move(w.s);
}

bool ParseInt(std::string_view s, long long& v) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool ParseDouble(std::string_view s, double& v) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\n' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\n' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(v);
}

std::string MiB(std::uint64_t n) { return std::to_string((n + (1 << 20) - 1) >> 20) + " МБ"; }

void ZipPackage::Refuse(const std::string& why) const {
    throw WorkbookError("Книга " + Quoted(name) + " не открыта: " + why);
}
void ZipPackage::Damaged(const std::string& why) const {
    throw WorkbookError("Книга " + Quoted(name) + " повреждена: " + why);
}

const Bytes* ZipPackage::Find(const std::string& part) const {
    const auto it = parts.find(Lower(part));
    return it == parts.end() ? nullptr : &data.at(it->second);
}

void ZipPackage::ReadZip(const Bytes& bytes) {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &err);
    if (!src) Damaged("архив не читается");
    zip_t* za = zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &err);
    if (!za) {
        zip_source_free(src);
        const std::string why = zip_error_strerror(&err);
        zip_error_fini(&err);
        Damaged("архив не читается (" + why + ")");
    }
    struct Closer {
        zip_t* za;
        ~Closer() { zip_discard(za); }
    } closer{za};
    const zip_int64_t n = zip_get_num_entries(za, 0);
    if (n < 0 || std::uint64_t(n) > limits.maxParts)
        Refuse("в пакете больше " + std::to_string(limits.maxParts) + " частей");
    std::uint64_t total = 0;
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(za, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME) ||
            !(st.valid & ZIP_STAT_SIZE))
            Damaged("оглавление архива не читается");
        std::string raw(st.name);
        if (!raw.empty() && raw.back() == '/') continue;  // a folder entry
        // Part names are paths inside the package: no absolute paths, no "..", no back slashes.
        std::string norm;
        try {
            norm = Resolve("", "/" + raw);
        } catch (const WorkbookError&) {
            Refuse("путь части " + Quoted(ValidUtf8(raw)) + " выходит за пределы пакета");
        }
        if (raw.front() == '/' || raw.find('\\') != std::string::npos || norm != raw)
            Refuse("путь части " + Quoted(ValidUtf8(raw)) + " выходит за пределы пакета");
        if (st.size > limits.maxPartSize)
            Refuse("часть " + Quoted(ValidUtf8(raw)) + " больше " + MiB(limits.maxPartSize) + " в распакованном виде");
        total += st.size;
        if (total > limits.maxTotalSize)
            Refuse("содержимое пакета больше " + MiB(limits.maxTotalSize) + " в распакованном виде");
        if (parts.count(Lower(raw))) Damaged("часть " + Quoted(ValidUtf8(raw)) + " повторяется");
        Bytes buf(std::size_t(st.size));
        zip_file_t* f = zip_fopen_index(za, zip_uint64_t(i), 0);
        if (!f) Damaged("часть " + Quoted(ValidUtf8(raw)) + " не читается");
        std::size_t got = 0;
        bool ok = true;
        while (got < buf.size()) {
            const zip_int64_t k = zip_fread(f, buf.data() + got, buf.size() - got);
            if (k <= 0) {
                ok = false;
                break;
            }
            got += std::size_t(k);
        }
        std::uint8_t extra = 0;
        if (ok && zip_fread(f, &extra, 1) != 0) ok = false;  // more data than the directory says
        zip_fclose(f);
        if (!ok) Damaged("часть " + Quoted(ValidUtf8(raw)) + " не распаковывается");
        parts[Lower(raw)] = raw;
        order.push_back(raw);
        data[raw] = std::move(buf);
    }
}

void ZipPackage::ParseXml(const std::string& part, pugi::xml_document& doc) const {
    const Bytes* b = Find(part);
    if (!b) Damaged("нет части " + Quoted(part));
    const pugi::xml_parse_result r =
        doc.load_buffer(b->data(), b->size(), pugi::parse_default | pugi::parse_ws_pcdata_single | pugi::parse_doctype);
    if (!r) Damaged("XML части " + Quoted(part) + " не читается (" + r.description() + ")");
    // A document type can declare entities: such files are not workbooks of any program.
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_doctype) Refuse("XML части " + Quoted(part) + " объявляет DOCTYPE или сущности");
}

std::string ZipPackage::Resolve(const std::string& source, std::string_view target) const {
    std::vector<std::string> segs;
    auto push = [&](std::string_view path) {
        std::size_t i = 0;
        while (i <= path.size()) {
            const std::size_t j = std::min(path.find('/', i), path.size());
            const std::string_view seg = path.substr(i, j - i);
            if (seg == "..") {
                if (segs.empty()) Refuse("путь части " + Quoted(ValidUtf8(target)) + " выходит за пределы пакета");
                segs.pop_back();
            } else if (!seg.empty() && seg != ".") {
                segs.emplace_back(seg);
            }
            i = j + 1;
        }
    };
    if (target.empty() || target.front() != '/')
        push(source.substr(0, source.rfind('/') == std::string::npos ? 0 : source.rfind('/')));
    push(target);
    std::string out;
    for (const auto& s : segs) out += (out.empty() ? "" : "/") + s;
    return out;
}

std::string ZipPackage::RelsOf(const std::string& part) const {
    const auto slash = part.rfind('/');
    return slash == std::string::npos ? "_rels/" + part + ".rels"
                                      : part.substr(0, slash) + "/_rels/" + part.substr(slash + 1) + ".rels";
}

void ZipPackage::SetPart(const std::string& part, std::string bytes) {
    if (!parts.count(Lower(part))) {
        parts[Lower(part)] = part;
        order.push_back(part);
    }
    data[parts[Lower(part)]] = Bytes(bytes.begin(), bytes.end());
}

void ZipPackage::RemovePart(const std::string& part) {
    const auto it = parts.find(Lower(part));
    if (it == parts.end()) return;
    data.erase(it->second);
    order.erase(std::remove(order.begin(), order.end(), it->second), order.end());
    parts.erase(it);
}

Bytes ZipPackage::Package() const {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &err);
    if (!out) throw WorkbookError("Не удалось собрать книгу " + Quoted(name));
    zip_source_keep(out);
    struct Source {
        zip_source_t* s;
        ~Source() { zip_source_free(s); }
    } keep{out};
    zip_t* za = zip_open_from_source(out, ZIP_TRUNCATE, &err);
    if (!za) throw WorkbookError("Не удалось собрать книгу " + Quoted(name));
    // [Content_Types].xml first, as spreadsheet programs write it.
    std::vector<std::string> names{"[Content_Types].xml"};
    for (const auto& p : order)
        if (p != "[Content_Types].xml") names.push_back(p);
    for (const auto& p : names) {
        const Bytes& b = data.at(p);
        zip_source_t* s = zip_source_buffer(za, b.data(), b.size(), 0);
        if (!s || zip_file_add(za, p.c_str(), s, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) {
            if (s) zip_source_free(s);
            zip_discard(za);
            throw WorkbookError("Не удалось собрать книгу " + Quoted(name));
        }
    }
    if (zip_close(za) != 0) {
        zip_discard(za);
        throw WorkbookError("Не удалось собрать книгу " + Quoted(name));
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(out, &st) != 0 || zip_source_open(out) != 0)
        throw WorkbookError("Не удалось собрать книгу " + Quoted(name));
    Bytes bytes(std::size_t(st.size));
    const zip_int64_t k = zip_source_read(out, bytes.data(), bytes.size());
    zip_source_close(out);
    if (k != zip_int64_t(bytes.size())) throw WorkbookError("Не удалось собрать книгу " + Quoted(name));
    return bytes;
}

}  // namespace qem::wbdetail

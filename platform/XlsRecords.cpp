// The compound file of a legacy workbook (the sectors, their allocation table, the directory
// and the mini stream) and the BIFF records that hold the results of formulas.
#include "platform/XlsRecords.h"

#include <cmath>
#include <cstring>
#include <optional>
#include <set>

#include "platform/WorkbookDetail.h"

namespace qem::wbdetail {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;

std::uint16_t U16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

// UTF-16 code units as UTF-8 (unpaired surrogates as U+FFFD).
void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}
std::string Utf16ToUtf8(const std::u16string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        std::uint32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c; }

// The compound file (MS-CFB): sectors of 512 or 4096 bytes, the allocation table that chains
// them, the directory, and the mini stream of 64-byte sectors for small streams.
class CompoundFile {
public:
    explicit CompoundFile(const Bytes& f) : f_(f) {}

    std::optional<Bytes> Stream(std::u16string_view wanted) {
        if (!ReadHeader() || !ReadFat()) return std::nullopt;
        const auto dir = Chain(U32(&f_[0x30]), fat_, sectorSize_, true);
        if (!dir) return std::nullopt;
        const std::size_t entries = dir->size() / 128;
        if (entries == 0) return std::nullopt;
        const std::uint8_t* root = dir->data();
        if (root[0x42] != 5) return std::nullopt;  // the root entry comes first
        for (std::size_t i = 0; i < entries; ++i) {
            const std::uint8_t* e = dir->data() + 128 * i;
            const std::uint16_t nameBytes = U16(e + 0x40);
            if (e[0x42] != 2 || nameBytes < 2 || nameBytes > 64) continue;  // streams only
            std::u16string name;
            for (std::size_t k = 0; k + 2 < nameBytes; k += 2) name += char16_t(U16(e + k));
            if (name.size() != wanted.size()) continue;
            bool same = true;
            for (std::size_t k = 0; k < name.size(); ++k) same = same && Upper(name[k]) == Upper(wanted[k]);
            if (!same) continue;
            std::uint64_t size = U32(e + 0x78);
            if (major_ == 4) size |= std::uint64_t(U32(e + 0x7C)) << 32;
            if (size > f_.size()) return std::nullopt;
            const std::uint32_t start = U32(e + 0x74);
            std::optional<Bytes> data;
            if (size < cutoff_) {
                // Small streams live in the mini stream, the stream of the root entry.
                if (!ReadMiniFat()) return std::nullopt;
                const auto mini = Chain(U32(root + 0x74), fat_, sectorSize_, false);
                if (!mini) return std::nullopt;
                data = MiniChain(start, *mini, std::size_t(size));
            } else {
                data = Chain(start, fat_, sectorSize_, true);
            }
            if (!data || data->size() < size) return std::nullopt;
            data->resize(std::size_t(size));
            return data;
        }
        return std::nullopt;
    }

private:
    bool ReadHeader() {
        static const std::uint8_t kSig[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
        if (f_.size() < 512 || std::memcmp(f_.data(), kSig, 8) != 0) return false;
        major_ = U16(&f_[0x1A]);
        const std::uint16_t shift = U16(&f_[0x1E]);
        if (!((major_ == 3 && shift == 9) || (major_ == 4 && shift == 12)) || U16(&f_[0x20]) != 6) return false;
        sectorSize_ = std::size_t(1) << shift;
        cutoff_ = U32(&f_[0x38]);
        sectors_ = f_.size() > sectorSize_ ? (f_.size() - sectorSize_ + sectorSize_ - 1) / sectorSize_ : 0;
        return true;
    }

    const std::uint8_t* Sector(std::uint32_t n) const {
        if (n >= sectors_) return nullptr;
        const std::size_t at = (std::size_t(n) + 1) * sectorSize_;
        return at + sectorSize_ <= f_.size() ? &f_[at] : nullptr;
    }

    // The allocation table from the sectors the header and the DIFAT chain name.
    bool ReadFat() {
        std::vector<std::uint32_t> fatSectors;
        const std::uint32_t count = U32(&f_[0x2C]);
        if (count > sectors_) return false;
        for (std::uint32_t i = 0; i < 109 && fatSectors.size() < count; ++i)
            fatSectors.push_back(U32(&f_[0x4C + 4 * i]));
        std::uint32_t dif = U32(&f_[0x44]);
        std::set<std::uint32_t> seen;
        while (fatSectors.size() < count && dif <= kMaxRegularSector) {
            const std::uint8_t* s = Sector(dif);
            if (!s || !seen.insert(dif).second) return false;
            const std::size_t per = sectorSize_ / 4 - 1;
            for (std::size_t i = 0; i < per && fatSectors.size() < count; ++i) fatSectors.push_back(U32(s + 4 * i));
            dif = U32(s + 4 * per);
        }
        if (fatSectors.size() < count) return false;
        for (std::uint32_t n : fatSectors) {
            const std::uint8_t* s = Sector(n);
            if (!s) return false;
            for (std::size_t i = 0; i < sectorSize_ / 4; ++i) fat_.push_back(U32(s + 4 * i));
        }
        return true;
    }

    bool ReadMiniFat() {
        if (miniRead_) return true;
        const auto b = Chain(U32(&f_[0x3C]), fat_, sectorSize_, true);
        if (!b) return false;
        for (std::size_t i = 0; i + 4 <= b->size(); i += 4) miniFat_.push_back(U32(b->data() + i));
        miniRead_ = true;
        return true;
    }

    // The sectors of a chain, in order; nullopt when it leaves the file or comes back on itself.
    std::optional<Bytes> Chain(std::uint32_t start, const std::vector<std::uint32_t>& table, std::size_t size,
                               bool emptyAllowed) const {
        Bytes out;
        std::vector<bool> seen(table.size(), false);
        for (std::uint32_t n = start; n != kEndOfChain;) {
            if (n >= table.size() || seen[n]) return std::nullopt;
            seen[n] = true;
            const std::uint8_t* s = Sector(n);
            if (!s) return std::nullopt;
            out.insert(out.end(), s, s + size);
            n = table[n];
        }
        if (out.empty() && !emptyAllowed) return std::nullopt;
        return out;
    }

    std::optional<Bytes> MiniChain(std::uint32_t start, const Bytes& mini, std::size_t size) const {
        Bytes out;
        std::vector<bool> seen(miniFat_.size(), false);
        for (std::uint32_t n = start; n != kEndOfChain && out.size() < size;) {
            if (n >= miniFat_.size() || seen[n] || (std::size_t(n) + 1) * 64 > mini.size()) return std::nullopt;
            seen[n] = true;
            out.insert(out.end(), mini.begin() + std::ptrdiff_t(n) * 64, mini.begin() + std::ptrdiff_t(n + 1) * 64);
            n = miniFat_[n];
        }
        return out;
    }

    const Bytes& f_;
    std::uint16_t major_ = 3;
    std::size_t sectorSize_ = 512;
    std::uint32_t cutoff_ = 4096;
    std::size_t sectors_ = 0;
    std::vector<std::uint32_t> fat_, miniFat_;
    bool miniRead_ = false;
};

// BIFF records: a type, a length and the data, one after the other.
struct Record {
    std::uint16_t type = 0;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

class Records {
public:
    Records(const Bytes& s, std::size_t at) : s_(s), at_(at) {}
    bool Next(Record& r) {
        if (at_ + 4 > s_.size()) return false;
        r.type = U16(&s_[at_]);
        r.size = U16(&s_[at_ + 2]);
        if (at_ + 4 + r.size > s_.size()) return false;
        r.data = &s_[at_ + 4];
        at_ += 4 + r.size;
        return true;
    }

private:
    const Bytes& s_;
    std::size_t at_;
};

constexpr std::uint16_t kBof = 0x0809, kEof = 0x000A, kBoundSheet = 0x0085, kFormat = 0x041E, kXf = 0x00E0,
                        kDateMode = 0x0022, kFormula = 0x0006, kString = 0x0207, kContinue = 0x003C, kFilePass = 0x002F;

// An XLUnicodeString: a count of characters, a flag byte (bit 0: two bytes a character), the
// characters; a long one runs on in CONTINUE records, each starting with its own flag byte.
struct StringReader {
    std::string text;
    bool ok = false;
    void Read(const std::uint8_t* p, std::size_t n, std::size_t countBytes, Records* more) {
        if (n < countBytes + 1) return;
        std::size_t left = countBytes == 2 ? U16(p) : p[0];
        std::u16string s;
        std::size_t i = countBytes;
        bool wide = p[i++] & 1;
        for (;;) {
            while (left > 0 && i + (wide ? 2 : 1) <= n) {
                s += wide ? char16_t(U16(p + i)) : char16_t(p[i]);
                i += wide ? 2 : 1;
                --left;
            }
            if (left == 0) break;
            Record c;
            if (!more || !more->Next(c) || c.type != kContinue || c.size < 1) return;
            p = c.data;
            n = c.size;
            wide = p[0] & 1;
            i = 1;
        }
        text = Utf16ToUtf8(s);
        ok = true;
    }
};

const char* ErrorText(std::uint8_t code) {
    switch (code) {
        case 0x00: return "#NULL!";
        case 0x07: return "#DIV/0!";
        case 0x0F: return "#VALUE!";
        case 0x17: return "#REF!";
        case 0x1D: return "#NAME?";
        case 0x24: return "#NUM!";
        case 0x2A: return "#N/A";
        default: return "#VALUE!";
    }
}

struct Globals {
    bool biff8 = false;
    bool date1904 = false;
    std::map<int, std::string> formats;  // FORMAT records: id -> code
    std::vector<int> xfFormat;           // XF records in order: their format id
    struct Sheet {
        std::string name;
        std::size_t offset;
    };
    std::vector<Sheet> sheets;  // worksheets in workbook order
    bool IsDate(int xf) const {
        if (xf < 0 || xf >= int(xfFormat.size())) return false;
        const int id = xfFormat[std::size_t(xf)];
        const auto it = formats.find(id);
        return it != formats.end() ? IsDateFormat(it->second) : IsBuiltinDateFormat(id);
    }
};

std::optional<Globals> ReadGlobals(const Bytes& s) {
    Globals g;
    Records recs(s, 0);
    Record r;
    if (!recs.Next(r) || (r.type != kBof && r.type != 0x0409 && r.type != 0x0209) || r.size < 4) return std::nullopt;
    g.biff8 = r.type == kBof && U16(r.data) == 0x0600;
    while (recs.Next(r) && r.type != kEof) {
        switch (r.type) {
            case kFilePass: return std::nullopt;  // encrypted: nothing reads
            case kDateMode:
                if (r.size >= 2) g.date1904 = U16(r.data) == 1;
                break;
            case kFormat:
                if (r.size >= 4) {
                    StringReader sr;
                    if (g.biff8) {
                        sr.Read(r.data + 2, r.size - 2, 2, nullptr);
                    } else if (r.size >= 3) {  // BIFF5: a count byte and single-byte characters
                        std::u16string t;
                        for (std::size_t i = 0; i < r.data[2] && 3 + i < r.size; ++i) t += char16_t(r.data[3 + i]);
                        sr.text = Utf16ToUtf8(t);
                        sr.ok = true;
                    }
                    if (sr.ok) g.formats[U16(r.data)] = sr.text;
                }
                break;
            case kXf:
                if (r.size >= 4) g.xfFormat.push_back(U16(r.data + 2));
                break;
            case kBoundSheet:
                if (r.size >= 8) {
                    const std::size_t offset = U32(r.data);
                    const std::uint8_t dt = r.data[5];
                    StringReader sr;
                    if (g.biff8) {
                        sr.Read(r.data + 6, r.size - 6, 1, nullptr);
                    } else {
                        std::u16string t;
                        for (std::size_t i = 0; i < r.data[6] && 7 + i < r.size; ++i) t += char16_t(r.data[7 + i]);
                        sr.text = Utf16ToUtf8(t);
                        sr.ok = true;
                    }
                    if (dt == 0 && sr.ok && offset < s.size()) g.sheets.push_back({sr.text, offset});
                }
                break;
            default: break;
        }
    }
    return g;
}

// The FORMULA records of the worksheet whose BOF lies at `offset`.
XlsFormulaCells ReadSheetFormulas(const Bytes& s, std::size_t offset, const Globals& g) {
    XlsFormulaCells cells;
    Records recs(s, offset);
    Record r;
    if (!recs.Next(r) || (r.type != kBof && r.type != 0x0409 && r.type != 0x0209)) return cells;
    std::optional<std::pair<int, int>> pendingText;  // a text result waits for its STRING record
    while (recs.Next(r) && r.type != kEof) {
        if (r.type == kFormula && r.size >= 14) {
            const int row = U16(r.data) + 1, col = U16(r.data + 2) + 1;
            const int xf = U16(r.data + 4);
            const std::uint8_t* v = r.data + 6;
            CellValue cv;
            cv.formula = true;
            pendingText.reset();
            if (v[6] == 0xFF && v[7] == 0xFF) {
                switch (v[0]) {
                    case 0:  // a text: in the STRING record that follows
                        pendingText = {row, col};
                        break;
                    case 1:
                        cv.kind = CellKind::Boolean;
                        cv.number = v[2] ? 1 : 0;
                        break;
                    case 2:
                        cv.kind = CellKind::Error;
                        cv.text = ErrorText(v[2]);
                        break;
                    case 3:
                        cv.kind = CellKind::Text;  // an empty text
                        break;
                    default: break;  // unknown: a formula whose result does not read
                }
            } else {
                double d = 0;
                std::memcpy(&d, v, 8);
                if (std::isfinite(d)) {
                    cv.kind = CellKind::Number;
                    cv.number = d;
                    cv.date = g.IsDate(xf);
                    if (cv.date && g.date1904) cv.number += 1462;
                }
            }
            cells[{row, col}] = std::move(cv);
        } else if (r.type == kString && pendingText) {
            CellValue& cv = cells[*pendingText];
            if (g.biff8) {
                StringReader sr;
                sr.Read(r.data, r.size, 2, &recs);
                if (sr.ok) cv.kind = CellKind::Text, cv.text = ValidUtf8(sr.text);
            }
            pendingText.reset();
        }
    }
    return cells;
}

}  // namespace

std::optional<Bytes> CompoundFileStream(const Bytes& file, std::u16string_view name) {
    return CompoundFile(file).Stream(name);
}

std::vector<XlsFormulaSheet> XlsFormulaResults(const Bytes& file) {
    std::vector<XlsFormulaSheet> out;
    auto stream = CompoundFileStream(file, u"Workbook");
    if (!stream) stream = CompoundFileStream(file, u"Book");
    if (!stream) return out;
    const auto g = ReadGlobals(*stream);
    if (!g) return out;
    for (const auto& sh : g->sheets) out.push_back({ValidUtf8(sh.name), ReadSheetFormulas(*stream, sh.offset, *g)});
    return out;
}

}  // namespace qem::wbdetail

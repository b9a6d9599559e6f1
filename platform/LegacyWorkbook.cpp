// Legacy .xls workbooks: libfreexl in a child process (platform/ChildProcess.h), the sheets
// handed back through a pipe, and their read-only worksheets.
#include "platform/LegacyWorkbook.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <freexl.h>
#include <cstring>
#include <new>

#include "platform/ChildProcess.h"
#include "platform/ReadOnlySheet.h"
#include "platform/WorkbookDetail.h"
#include "platform/WorkbookImpl.h"
#include "platform/WorkbookPackage.h"
#include "platform/XlsRecords.h"

namespace qem {

using namespace wbdetail;

std::vector<XlsSheetData> Workbook::Impl::ParseXls(const Bytes& bytes) const {
    std::vector<XlsSheetData> result;
    // libfreexl reads files only: the bytes go to an anonymous in-memory file.
    const int fd = memfd_create("qem-xls", MFD_CLOEXEC);
    if (fd < 0) Damaged("нет памяти для чтения файла .xls");
    struct Fd {
        int fd;
        ~Fd() { close(fd); }
    } guard{fd};
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t k = write(fd, bytes.data() + done, bytes.size() - done);
        if (k <= 0) Damaged("нет памяти для чтения файла .xls");
        done += std::size_t(k);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    const void* h = nullptr;
    const int rc = freexl_open(path.c_str(), &h);
    struct Handle {
        const void* h;
        ~Handle() {
            if (h) freexl_close(h);
        }
    } handle{h};
    // Memory that runs out under the reading process's limit is that limit reached.
    if (rc == FREEXL_INSUFFICIENT_MEMORY) throw std::bad_alloc();
    if (rc != FREEXL_OK) Damaged("файл .xls не читается (код libfreexl " + std::to_string(rc) + ")");
    unsigned int count = 0;
    if (freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || count == 0) Damaged("в книге нет листов");
    unsigned int mode = 0;
    freexl_get_info(h, FREEXL_BIFF_DATEMODE, &mode);
    for (unsigned short i = 0; i < count && i < 256; ++i) {
        const char* sheetName = nullptr;
        if (freexl_get_worksheet_name(h, i, &sheetName) != FREEXL_OK) Damaged("имя листа не читается");
        const int selected = freexl_select_active_worksheet(h, i);
        if (selected == FREEXL_INSUFFICIENT_MEMORY) throw std::bad_alloc();
        if (selected != FREEXL_OK) Damaged("лист не читается");
        unsigned int rows = 0;
        unsigned short cols = 0;
        if (freexl_worksheet_dimensions(h, &rows, &cols) != FREEXL_OK) Damaged("размер листа не читается");
        if (rows > unsigned(kMaxSheetRows) || cols > unsigned(kMaxSheetColumns))
            Refuse("лист " + Quoted(ValidUtf8(sheetName ? sheetName : "")) + " больше допустимого");
        std::map<std::pair<int, int>, CellValue> cells;
        for (unsigned int r = 0; r < rows; ++r)
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(h, r, c, &v) != FREEXL_OK) Damaged("ячейка не читается");
                CellValue cv;
                switch (v.type) {
                    case FREEXL_CELL_INT: cv = CellValue::Number(v.value.int_value); break;
                    case FREEXL_CELL_DOUBLE: cv = CellValue::Number(v.value.double_value); break;
                    case FREEXL_CELL_TEXT:
                    case FREEXL_CELL_SST_TEXT:
                        cv = CellValue::Text(ValidUtf8(v.value.text_value ? v.value.text_value : ""));
                        break;
                    case FREEXL_CELL_DATE:
                    case FREEXL_CELL_DATETIME:
                    case FREEXL_CELL_TIME: {
                        const auto d = DateTimeFromText(v.value.text_value ? v.value.text_value : "");
                        if (!d) Damaged("дата ячейки не читается");
                        cv = CellValue::Number(*d);
                        cv.date = true;
                        break;
                    }
                    default: continue;
                }
                if (cells.size() >= limits.maxCells)
                    Refuse("на листе больше " + std::to_string(limits.maxCells) + " ячеек");
                cells[{int(r) + 1, int(c) + 1}] = std::move(cv);
            }
        result.push_back({ValidUtf8(sheetName ? sheetName : ""), std::move(cells)});
    }
    // The results of formulas, which libfreexl does not read, from the file's own records: by
    // the sheet's name, or by its place when the names do not agree.
    const std::vector<XlsFormulaSheet> formulas = XlsFormulaResults(bytes);
    for (std::size_t i = 0; i < result.size(); ++i) {
        const XlsFormulaSheet* f = nullptr;
        for (const auto& s : formulas)
            if (s.name == result[i].name) f = &s;
        if (!f && formulas.size() == result.size()) f = &formulas[i];
        if (!f) continue;
        for (const auto& [at, v] : f->cells) {
            if (at.first > kMaxSheetRows || at.second > kMaxSheetColumns) continue;
            if (result[i].cells.size() >= limits.maxCells)
                Refuse("на листе больше " + std::to_string(limits.maxCells) + " ячеек");
            result[i].cells[at] = v;
        }
    }
    return result;
}

namespace {

// The sheets of an .xls workbook as the reading process hands them to the program.
void PutU32(std::string& o, std::uint32_t v) { o.append(reinterpret_cast<const char*>(&v), 4); }
void PutText(std::string& o, const std::string& t) {
    PutU32(o, std::uint32_t(t.size()));
    o += t;
}

std::string EncodeXls(const std::vector<XlsSheetData>& sheets) {
    std::string o = "S";
    PutU32(o, std::uint32_t(sheets.size()));
    for (const XlsSheetData& s : sheets) {
        PutText(o, s.name);
        PutU32(o, std::uint32_t(s.cells.size()));
        for (const auto& [at, v] : s.cells) {
            PutU32(o, std::uint32_t(at.first));
            PutU32(o, std::uint32_t(at.second));
            o += char(v.kind);
            o += char(v.date | v.formula << 1);
            o.append(reinterpret_cast<const char*>(&v.number), 8);
            PutText(o, v.text);
        }
    }
    return o;
}

// Reads what EncodeXls wrote; false when it is cut short or malformed.
class XlsReader {
public:
    explicit XlsReader(const std::string& s) : s_(s) {}
    bool U32(std::uint32_t& v) { return Take(&v, 4); }
    bool Text(std::string& t) {
        std::uint32_t n;
        if (!U32(n) || n > s_.size() - at_) return false;
        t.assign(s_, at_, n);
        at_ += n;
        return true;
    }
    bool Take(void* dst, std::size_t n) {
        if (n > s_.size() - at_) return false;
        std::memcpy(dst, s_.data() + at_, n);
        at_ += n;
        return true;
    }

private:
    const std::string& s_;
    std::size_t at_ = 1;  // after the tag
};

bool DecodeXls(const std::string& s, std::vector<XlsSheetData>& sheets) {
    XlsReader r(s);
    std::uint32_t n;
    if (!r.U32(n)) return false;
    for (std::uint32_t i = 0; i < n; ++i) {
        XlsSheetData d;
        std::uint32_t cells;
        if (!r.Text(d.name) || !r.U32(cells)) return false;
        for (std::uint32_t k = 0; k < cells; ++k) {
            std::uint32_t row, col;
            unsigned char kind, flags;
            CellValue v;
            if (!r.U32(row) || !r.U32(col) || !r.Take(&kind, 1) || !r.Take(&flags, 1) || !r.Take(&v.number, 8) ||
                !r.Text(v.text) || kind > static_cast<unsigned char>(CellKind::Error))
                return false;
            v.kind = CellKind(kind);
            v.date = (flags & 1) != 0;
            v.formula = (flags & 2) != 0;
            d.cells[{int(row), int(col)}] = std::move(v);
        }
        sheets.push_back(std::move(d));
    }
    return true;
}

}  // namespace

// libfreexl is C code reading untrusted bytes: it runs in a child process, so that a file that
// makes it crash, read out of bounds (under the sanitizers), never finish or eat memory is a
// damaged workbook, not the end of the program. The child sends the sheets, or the refusal,
// through a pipe.
void Workbook::Impl::LoadXls(const Bytes& bytes) {
    readOnlyFormat = ".xls";
    ChildLimits bounds;
    bounds.time = std::chrono::seconds(limits.maxReadSeconds);
    bounds.memory = limits.maxReadMemory;
    bounds.output = limits.maxTotalSize;
    const ChildResult r = RunInChild(
        [&] {
            try {
                return EncodeXls(ParseXls(bytes));
            } catch (const WorkbookError& e) {
                return std::string("E") + e.what();
            }
        },
        bounds);
    switch (r.end) {
        case ChildEnd::Done: break;
        case ChildEnd::NotStarted: Damaged("файл .xls не читается (нет процесса для чтения)");
        case ChildEnd::TimedOut: Damaged("файл .xls читается дольше " + std::to_string(limits.maxReadSeconds) + " с");
        case ChildEnd::OutOfMemory:
            Damaged("файл .xls требует для чтения больше " + MiB(limits.maxReadMemory) + " памяти");
        case ChildEnd::OutputTooLong: Refuse("в листах больше " + MiB(limits.maxTotalSize));
        case ChildEnd::Failed: Damaged("файл .xls не читается (библиотека чтения завершилась аварийно)");
    }
    const std::string& in = r.output;
    if (in.empty()) Damaged("файл .xls не читается (библиотека чтения завершилась аварийно)");
    if (in[0] == 'E') throw WorkbookError(in.substr(1));
    std::vector<XlsSheetData> read;
    if (in[0] != 'S' || !DecodeXls(in, read)) Damaged("файл .xls не читается");
    for (XlsSheetData& d : read)
        sheets.push_back(
            std::make_unique<ReadOnlySheet>(std::move(d.name), std::move(d.cells), std::vector<CellRange>{}, ".xls"));
}

}  // namespace qem

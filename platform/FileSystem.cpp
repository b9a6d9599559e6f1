#include "platform/FileSystem.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <system_error>

namespace qem {

namespace fs = std::filesystem;

fs::path PathFromUtf8(const std::string& utf8) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string PathToUtf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

std::string Quoted(const std::string& utf8Path) { return "«" + utf8Path + "»"; }

FileStamp StampOf(const std::string& utf8Path) {
    FileStamp st;
    std::error_code ec;
    const fs::path p = PathFromUtf8(utf8Path);
    if (utf8Path.empty() || !fs::is_regular_file(p, ec)) return st;
    const auto time = fs::last_write_time(p, ec);
    if (ec) return st;
    const auto size = fs::file_size(p, ec);
    if (ec) return st;
    st.exists = true;
    st.time = time;
    st.size = size;
    return st;
}

FileReader::FileReader(const std::string& path) : path_(path) {
    const fs::path p = PathFromUtf8(path);
    std::error_code ec;
    const auto st = fs::status(p, ec);
    if (!fs::exists(st)) throw FileError("Файл " + Quoted(path) + " не найден");
    if (fs::is_directory(st)) throw FileError(Quoted(path) + " — это папка, а не файл");
    in_.open(p, std::ios::binary);
    if (!in_) throw FileError("Не удалось открыть файл " + Quoted(path) + " для чтения");
    in_.seekg(0, std::ios::end);
    const std::streamoff size = in_.tellg();
    if (size < 0) throw FileError("Не удалось прочитать файл " + Quoted(path));
    size_ = static_cast<std::uintmax_t>(size);
}

void FileReader::Read(std::uintmax_t offset, void* dst, std::size_t n) {
    if (offset > size_ || n > size_ - offset) throw FileError("Не удалось прочитать файл " + Quoted(path_));
    if (n == 0) return;
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset), std::ios::beg);
    in_.read(static_cast<char*>(dst), static_cast<std::streamsize>(n));
    if (!in_ || in_.gcount() != static_cast<std::streamsize>(n))
        throw FileError("Не удалось прочитать файл " + Quoted(path_));
}

std::vector<std::uint8_t> FileReader::Start(std::uintmax_t maxBytes) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size_ < maxBytes ? size_ : maxBytes));
    Read(0, bytes.data(), bytes.size());
    return bytes;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    FileReader f(path);
    return f.Start(f.size());
}

AtomicFile::AtomicFile(const std::string& path) : path_(path), target_(PathFromUtf8(path)) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path name = target_.filename();
    name += ".tmp" + std::to_string(stamp % 1000000007) + "-" + std::to_string(counter++);
    temp_ = target_.parent_path() / name;
    std::error_code ec;
    if (fs::is_directory(target_, ec)) Fail("это папка, а не файл");
    out_.open(temp_, std::ios::binary | std::ios::trunc);
    if (!out_) Fail("нет папки или нет доступа на запись");
}

AtomicFile::~AtomicFile() {
    if (!done_) {
        out_.close();
        std::error_code ec;
        fs::remove(temp_, ec);
    }
}

void AtomicFile::Fail(const std::string& reason) {
    out_.close();
    std::error_code ec;
    fs::remove(temp_, ec);
    done_ = true;
    throw FileError("Не удалось записать файл " + Quoted(path_) + ": " + reason);
}

void AtomicFile::Write(const void* data, std::size_t n) {
    if (done_) throw FileError("Файл " + Quoted(path_) + " уже закрыт");
    out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(n));
    if (!out_) Fail("ошибка записи (нет места на диске?)");
}

void AtomicFile::Commit() {
    if (done_) throw FileError("Файл " + Quoted(path_) + " уже закрыт");
    out_.flush();
    if (!out_) Fail("ошибка записи (нет места на диске?)");
    out_.close();
    if (out_.fail()) Fail("ошибка при закрытии");
    // The new contents reach the disk before they replace the old file.
    const int fd = ::open(temp_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        if (fd >= 0) ::close(fd);
        Fail("ошибка записи на диск");
    }
    ::close(fd);
    std::error_code ec;
    fs::rename(temp_, target_, ec);
    if (ec) Fail("не удалось заменить прежний файл (" + ec.message() + ")");
    done_ = true;
}

void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    AtomicFile f(path);
    f.Write(bytes.data(), bytes.size());
    f.Commit();
}

static char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string SafeFileName(std::string_view text, std::string_view ext, std::string_view fallback) {
    std::string s;
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        s += c < 0x20 || c == 0x7F || std::string_view("/\\:*?\"<>|").find(ch) != std::string_view::npos ? '_' : ch;
    }
    const auto b = s.find_first_not_of(". ");
    s = b == std::string::npos ? "" : s.substr(b);
    while (!s.empty() && (s.back() == ' ' || s.back() == '.')) s.pop_back();
    if (s.empty()) s = std::string(fallback);
    // Names Windows keeps for its devices, with or without an extension.
    std::string stem = s.substr(0, s.find('.'));
    for (char& c : stem)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    static const char* const kReserved[] = {"CON", "PRN", "AUX", "NUL"};
    bool reserved = std::find(std::begin(kReserved), std::end(kReserved), stem) != std::end(kReserved);
    reserved = reserved || (stem.size() == 4 && (stem.rfind("COM", 0) == 0 || stem.rfind("LPT", 0) == 0) &&
                            stem[3] >= '1' && stem[3] <= '9');
    if (reserved) s += '_';
    // At most 255 bytes with the extension, cut between characters.
    const std::size_t room = ext.size() < 255 ? 255 - ext.size() : 0;
    if (s.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
        s.resize(cut);
        while (!s.empty() && (s.back() == ' ' || s.back() == '.')) s.pop_back();
    }
    return s + std::string(ext);
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

bool HasExtensionIgnoringCase(std::string_view name, std::string_view ext) {
    return name.size() >= ext.size() && SameNameIgnoringCase(name.substr(name.size() - ext.size()), ext);
}

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
    AtomicFile f(path);
    f.Write(bytes.data(), bytes.size());
    f.Commit();
}

std::string PathText(const fs::path& p) { return PathToUtf8(p); }

namespace {

// The reader of a regular file; nullopt when there is none or it cannot be opened.
std::optional<FileReader> OpenIfExists(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return std::nullopt;
    try {
        return std::optional<FileReader>(std::in_place, PathToUtf8(file));
    } catch (const FileError&) {
        return std::nullopt;
    }
}

// The first maxBytes bytes of an open file; nullopt when they cannot be read.
std::optional<Bytes> Start(FileReader& f, std::uintmax_t maxBytes) {
    try {
        return f.Start(maxBytes);
    } catch (const FileError&) {
        return std::nullopt;
    }
}

}  // namespace

std::optional<Bytes> ReadFileIfExists(const fs::path& file) {
    std::optional<FileReader> f = OpenIfExists(file);
    return f ? Start(*f, f->size()) : std::nullopt;
}

std::optional<Bytes> ReadFileStartIfExists(const fs::path& file, std::uintmax_t maxBytes) {
    std::optional<FileReader> f = OpenIfExists(file);
    return f ? Start(*f, maxBytes) : std::nullopt;
}

std::optional<Bytes> ReadFileIfExists(const fs::path& file, std::uintmax_t maxBytes) {
    std::optional<FileReader> f = OpenIfExists(file);
    if (!f) return std::nullopt;
    if (f->size() > maxBytes)
        throw FileTooLongError("Файл " + Quoted(PathText(file)) + " слишком велик: " + std::to_string(f->size()) +
                                   " байт (допустимо не больше " + std::to_string(maxBytes) + ")",
                               f->size());
    return Start(*f, f->size());
}

void WriteFileAtomically(const fs::path& file, const Bytes& bytes) { WriteFileAtomically(PathToUtf8(file), bytes); }

void WriteFileAtomically(const fs::path& file, const std::string& bytes) {
    WriteFileAtomically(PathToUtf8(file), bytes);
}

}  // namespace qem

#include "platform/FileSystem.h"

#include <fcntl.h>
#include <unistd.h>

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

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    const fs::path p = PathFromUtf8(path);
    std::error_code ec;
    const auto st = fs::status(p, ec);
    if (!fs::exists(st)) throw FileError("Файл " + Quoted(path) + " не найден");
    if (fs::is_directory(st)) throw FileError(Quoted(path) + " — это папка, а не файл");
    std::ifstream in(p, std::ios::binary);
    if (!in) throw FileError("Не удалось открыть файл " + Quoted(path) + " для чтения");
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) throw FileError("Не удалось прочитать файл " + Quoted(path));
    in.seekg(0, std::ios::beg);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (size > 0) in.read(reinterpret_cast<char*>(bytes.data()), size);
    if (!in || in.gcount() != size) throw FileError("Не удалось прочитать файл " + Quoted(path));
    return bytes;
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

std::optional<Bytes> ReadFileIfExists(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return std::nullopt;
    try {
        return ReadWholeFile(PathToUtf8(file));
    } catch (const FileError&) {
        return std::nullopt;
    }
}

void WriteFileAtomically(const fs::path& file, const Bytes& bytes) { WriteFileAtomically(PathToUtf8(file), bytes); }

void WriteFileAtomically(const fs::path& file, const std::string& bytes) {
    WriteFileAtomically(PathToUtf8(file), bytes);
}

}  // namespace qem

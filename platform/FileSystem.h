#pragma once
// File helpers of the program: whole-file reading, atomic replacement of a file, UTF-8
// paths. Plain C++ (std::filesystem); every failure is a FileError whose message names
// the file, in Russian, ready to be shown to the user.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qem {

// A file could not be read or written, or its contents are not what they must be.
class FileError : public std::runtime_error {
public:
    explicit FileError(const std::string& what) : std::runtime_error(what) {}
};

// A data file of the program (catalog, norms, settings) that is missing where it must
// exist, too short, malformed or not writable.
class DataFileError : public FileError {
public:
    explicit DataFileError(const std::string& what) : FileError(what) {}
};

using Bytes = std::vector<std::uint8_t>;

// Paths travel through the program as UTF-8 text.
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string PathToUtf8(const std::filesystem::path& p);

// The path as UTF-8 text for messages.
std::string PathText(const std::filesystem::path& p);

// "«path»" for messages.
std::string Quoted(const std::string& utf8Path);

// The whole contents of a file. Throws FileError when it is missing, a folder or unreadable.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

// Reads a file piece by piece, so that its length and a few fields can be checked before the
// whole of it is read. Every failure is a FileError naming the file.
class FileReader {
public:
    // Opens the file; the errors of ReadWholeFile.
    explicit FileReader(const std::string& path);
    std::uintmax_t size() const { return size_; }
    // n bytes from offset into dst; the range must lie inside the file.
    void Read(std::uintmax_t offset, void* dst, std::size_t n);
    // The first min(size, maxBytes) bytes.
    std::vector<std::uint8_t> Start(std::uintmax_t maxBytes);

private:
    std::string path_;
    std::ifstream in_;
    std::uintmax_t size_ = 0;
};

// Writes a file so that readers see either its old or its complete new contents: the
// bytes go to a temporary file in the same folder, which is then renamed over the target.
// A failed write leaves the previous file intact and no temporary file behind.
class AtomicFile {
public:
    explicit AtomicFile(const std::string& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void Write(const void* data, std::size_t n);
    // Completes the file and puts it in place of the target.
    void Commit();

private:
    [[noreturn]] void Fail(const std::string& reason);
    std::string path_;
    std::filesystem::path target_;
    std::filesystem::path temp_;
    std::ofstream out_;
    bool done_ = false;
};

void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteFileAtomically(const std::string& path, const std::string& bytes);
void WriteFileAtomically(const std::filesystem::path& file, const Bytes& bytes);
void WriteFileAtomically(const std::filesystem::path& file, const std::string& bytes);

// The whole content of a regular file; nullopt when it does not exist or cannot be read.
std::optional<Bytes> ReadFileIfExists(const std::filesystem::path& file);
// The same, reading no more than the first maxBytes bytes: for files whose reader ignores what
// lies beyond, so that a huge file is not read whole for nothing.
std::optional<Bytes> ReadFileStartIfExists(const std::filesystem::path& file, std::uintmax_t maxBytes);

// A file longer than its reader takes, found from its length before it was read.
class FileTooLongError : public FileError {
public:
    FileTooLongError(const std::string& what, std::uintmax_t length) : FileError(what), length(length) {}
    std::uintmax_t length;
};
// The whole content of a regular file that is no longer than maxBytes; nullopt when it does
// not exist or cannot be read; FileTooLongError, before anything is read, when it is longer.
std::optional<Bytes> ReadFileIfExists(const std::filesystem::path& file, std::uintmax_t maxBytes);

// What shows that a file was written since it was last looked at: whether it exists, its
// modification time and its size.
struct FileStamp {
    bool exists = false;
    std::filesystem::file_time_type time{};
    std::uintmax_t size = 0;
    bool operator==(const FileStamp&) const = default;
};
// The stamp of a file now; a missing or unreadable file gives exists = false.
FileStamp StampOf(const std::string& utf8Path);

// Equal names with Latin letters compared without regard to case.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

// A file name (UTF-8) made from a text such as a line's names, to be put in a folder: what a
// file name cannot hold is replaced by "_" ("/", "\\", NUL and the other control characters,
// and for file systems elsewhere ':*?"<>|'), everything else is kept; leading dots and
// blanks and trailing blanks and dots go, so the name is never ".." or hidden; a name that a
// system reserves (CON, NUL, COM1, ...) gets "_" after it; the name with `ext` fits 255 bytes.
// `fallback` stands for a text that leaves nothing. The result never names another folder.
std::string SafeFileName(std::string_view text, std::string_view ext, std::string_view fallback);
// The name ends with ext ("." included), Latin letters compared without regard to case.
bool HasExtensionIgnoringCase(std::string_view name, std::string_view ext);

}  // namespace qem

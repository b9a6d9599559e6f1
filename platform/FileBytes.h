#pragma once
// Whole-file reads and atomic writes of the program's data files. A file is read into
// memory in one piece, checked, and only then taken into the tables; a file is written
// next to its final place and renamed over it, so a failed save never leaves a torn file.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qem {

// A data file that is missing where it must exist, too short, malformed or not writable.
// The text (UTF-8, Russian) names the file and says what is wrong.
class DataFileError : public std::runtime_error {
public:
    explicit DataFileError(const std::string& what) : std::runtime_error(what) {}
};

using Bytes = std::vector<std::uint8_t>;

// The whole content of a regular file; nullopt when it does not exist or cannot be opened.
std::optional<Bytes> ReadWholeFile(const std::filesystem::path& file);

// Writes data to a temporary file in the same folder and renames it over file.
// Throws DataFileError naming the file when the folder is not writable or the disk is full.
void WriteFileAtomic(const std::filesystem::path& file, const Bytes& data);
void WriteFileAtomic(const std::filesystem::path& file, const std::string& data);

// The path as UTF-8 text for messages.
std::string PathText(const std::filesystem::path& p);

}  // namespace qem

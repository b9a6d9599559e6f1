#pragma once
// A fresh empty folder for one test, removed afterwards.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace qemtest {

struct TempFolder {
    std::filesystem::path path;
    TempFolder() {
        std::random_device rd;
        path = std::filesystem::temp_directory_path() / ("qemtest-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::filesystem::path operator/(const std::string& name) const { return path / std::filesystem::u8path(name); }
};

inline void WriteBytes(const std::filesystem::path& p, const std::vector<std::uint8_t>& b) {
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}
inline void WriteText(const std::filesystem::path& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }
inline std::string ReadText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qemtest

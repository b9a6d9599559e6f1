#include "platform/FileBytes.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

namespace qem {

std::string PathText(const std::filesystem::path& p) {
    auto s = p.u8string();
    return std::string(s.begin(), s.end());
}

std::optional<Bytes> ReadWholeFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return data;
}

static void WriteAll(const std::filesystem::path& file, const std::uint8_t* p, std::size_t n) {
    const auto dir = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    std::random_device rd;
    std::string tmpName = file.filename().string();
    tmpName.insert(tmpName.begin(), '.');
    tmpName.append(".tmp");
    tmpName.append(std::to_string(rd() % 1000000));
    const auto tmp = dir / tmpName;
    auto fail = [&](const char* what) {
        int err = errno;
        ::unlink(tmp.c_str());
        throw DataFileError("Не удалось записать файл \"" + PathText(file) + "\": " + what +
                            (err ? std::string(" (") + std::strerror(err) + ")" : std::string()));
    };
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        int err = errno;
        throw DataFileError("Не удалось записать файл \"" + PathText(file) + "\": " + std::strerror(err));
    }
    std::size_t done = 0;
    while (done < n) {
        ssize_t w = ::write(fd, p + done, n - done);
        if (w < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            fail("ошибка записи");
        }
        done += static_cast<std::size_t>(w);
    }
    if (::fsync(fd) != 0) {
        ::close(fd);
        fail("ошибка записи на диск");
    }
    if (::close(fd) != 0) fail("ошибка закрытия");
    if (std::rename(tmp.c_str(), file.c_str()) != 0) fail("ошибка переименования");
}

void WriteFileAtomic(const std::filesystem::path& file, const Bytes& data) {
    WriteAll(file, data.data(), data.size());
}

void WriteFileAtomic(const std::filesystem::path& file, const std::string& data) {
    WriteAll(file, reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
}

}  // namespace qem

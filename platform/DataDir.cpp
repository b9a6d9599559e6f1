#include "platform/DataDir.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/FileSystem.h"

namespace fs = std::filesystem;

namespace qem {

fs::path ProgramFolder(const char* argv0) {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && !exe.empty()) return exe.parent_path();
    if (argv0 && *argv0) {
        fs::path p = fs::absolute(argv0, ec);
        if (!ec) return fs::weakly_canonical(p, ec).parent_path();
    }
    return fs::current_path(ec);
}

fs::path UserDataFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg && fs::path(xdg).is_absolute())
        return fs::path(xdg) / "qem";
    if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".local" / "share" / "qem";
    return {};
}

bool IsWritableFolder(const fs::path& dir) {
    std::error_code ec;
    return fs::is_directory(dir, ec) && ::access(dir.c_str(), W_OK | X_OK) == 0;
}

void SeedFolder(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (!fs::is_directory(from, ec)) return;
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::skip_existing, ec);
}

fs::path ProgramDataDir(const char* argv0, const std::string& explicitDir) {
    std::error_code ec;
    if (!explicitDir.empty()) {
        fs::path d = fs::u8path(explicitDir);
        if (!fs::is_directory(d, ec)) throw DataFileError("Папка данных \"" + explicitDir + "\" не существует");
        return d;
    }
    fs::path shipped = ProgramFolder(argv0) / "data";
    if (IsWritableFolder(shipped)) return shipped;
    if (!fs::exists(shipped, ec) && IsWritableFolder(shipped.parent_path()) && fs::create_directory(shipped, ec))
        return shipped;
    fs::path user = UserDataFolder();
    if (user.empty())
        throw DataFileError("Папка данных \"" + PathText(shipped) +
                            "\" недоступна для записи, а папку пользователя определить нельзя (не задан HOME)");
    const bool firstStart = !fs::exists(user, ec);
    fs::create_directories(user, ec);
    if (!IsWritableFolder(user)) throw DataFileError("Не удалось создать папку данных \"" + PathText(user) + "\"");
    if (firstStart) SeedFolder(shipped, user);
    return user;
}

}  // namespace qem

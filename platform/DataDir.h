#pragma once
// The program's data folder: where the catalogs, the norms, the settings, LODL.txt, the
// exchange file glld_temp.txt and the terminal-equipment catalog live.
//
//  - an explicit folder (qemcli --data DIR) when given; it must exist;
//  - else <folder of the program file>/data, where the build puts the shipped files,
//    when that folder is writable (or can be created);
//  - else (an installed, read-only program) the per-user folder $XDG_DATA_HOME/qem or
//    ~/.local/share/qem, seeded when it is first created by copying the shipped files
//    (later starts never overwrite what the user has there).
#include <filesystem>
#include <string>

namespace qem {

// Folder of the running program file: /proc/self/exe, else argv0 made absolute, else the
// current directory.
std::filesystem::path ProgramFolder(const char* argv0 = nullptr);
// $XDG_DATA_HOME/qem, else $HOME/.local/share/qem; empty when neither variable is set.
std::filesystem::path UserDataFolder();
// True when files can be created in the folder.
bool IsWritableFolder(const std::filesystem::path& dir);
// Copies every file and folder of from that to lacks (recursively, existing files kept).
void SeedFolder(const std::filesystem::path& from, const std::filesystem::path& to);
// The data folder by the rules above; throws DataFileError when an explicit folder does not
// exist or no folder can be set up.
std::filesystem::path ProgramDataDir(const char* argv0 = nullptr, const std::string& explicitDir = "");

}  // namespace qem

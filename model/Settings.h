#pragma once
// The settings file "qem.cfg" (one fixed 812-byte record) and the remembered line folder
// "LODL.txt", both in the program's data folder.
//
// qem.cfg, little-endian, no header:
//   0    ShortStr[255] NetFileName    256  ShortStr[255] WireCatFile   512  ShortStr[255] ResFile
//   768  Integer WinLeft, WinTop, WinWidth, WinHeight, WinPage
//   788  Single Res788, Res792, Res796   800  8 reserved bytes   808  Single LongTermTemp
#include <array>
#include <filesystem>
#include <string>

#include "model/QEMcom.h"
#include "platform/FileSystem.h"

namespace qem {

inline constexpr std::size_t kSettingsSize = 812;
inline constexpr const char* kSettingsFileName = "qem.cfg";
inline constexpr const char* kFolderMemoryFileName = "LODL.txt";

struct Settings {
    ShortStr<255> NetFileName;  // full path of the open line network file (Windows-1251)
    ShortStr<255> WireCatFile;  // conductor catalog file in the data folder
    ShortStr<255> ResFile;      // reserved file name, not used
    Integer WinLeft = 0;
    Integer WinTop = 0;
    Integer WinWidth = 0;   // below 1: not set
    Integer WinHeight = 0;  // below 1: not set
    Integer WinPage = 0;    // active page of the main window
    Single Res788 = 90.0f;
    Single Res792 = 90.0f;
    Single Res796 = 80.0f;
    std::array<Byte, 8> Res800{};
    Single LongTermTemp = 70.0f;  // allowable long-term conductor temperature, C

    Settings();  // the defaults: WireCatFile "glld.cat", ResFile "qem.rez"
    bool operator==(const Settings&) const = default;
};

// The remembered line folder and the selected file of its list: by its name, and by its row
// for a LODL.txt of an older program, which holds only the folder and the row (the order of
// the list changes when files are added).
struct FolderMemory {
    std::string LineFolder;  // UTF-8 path without a trailing separator
    int SelFileRow = 0;
    std::string SelFileName;  // UTF-8 file name in the folder; empty: not known
    bool operator==(const FolderMemory&) const = default;
};

Bytes EncodeSettings(const Settings& s);
// An image shorter than 812 bytes, or whose LongTermTemp is not a finite number, throws
// DataFileError naming fileName.
Settings DecodeSettings(const Bytes& image, const std::string& fileName);

// Reads qem.cfg of the data folder, then LODL.txt. A missing or unreadable qem.cfg gives the
// defaults, written at once with SaveSettings when writeDefaults is set (this also writes
// LODL.txt with an empty folder and row 0, which LoadFolderMemory then reads back). A
// qem.cfg shorter than 812 bytes throws DataFileError naming it.
Settings LoadSettings(const std::filesystem::path& dataDir, FolderMemory& folder, bool writeDefaults = true);
// Writes qem.cfg (812 bytes), then SaveFolderMemory.
void SaveSettings(const std::filesystem::path& dataDir, const Settings& s, const FolderMemory& folder);

// Reads LODL.txt (Windows-1251): line 1 the folder, line 2 the row (an empty line gives 1; a
// text that is not an integer throws DataFileError), line 3 the file's name (none in the file
// of an older program). Without the file the folder becomes the process's current directory
// and the row and name stay as they were.
void LoadFolderMemory(const std::filesystem::path& dataDir, FolderMemory& folder);
// The two lines of a LODL.txt image into folder (DataFileError naming fileName as above).
void DecodeFolderMemory(const Bytes& image, const std::string& fileName, FolderMemory& folder);
// The text of LODL.txt: the folder and the row, then the name when it is known, each line ended
// by CR LF (a reader of two lines takes the first two as ever).
std::string EncodeFolderMemory(const FolderMemory& folder);
void SaveFolderMemory(const std::filesystem::path& dataDir, const FolderMemory& folder);

// UTF-8 <-> the Windows-1251 text of a record field.
std::string FieldText(const ShortStr<255>& s);
void SetFieldText(ShortStr<255>& s, const std::string& utf8);

}  // namespace qem

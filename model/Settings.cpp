#include "model/Settings.h"

#include <charconv>
#include <cmath>

#include "model/Cp1251.h"
#include "model/Records.h"
#include "model/TextGrid.h"

namespace qem {

Settings::Settings() {
    WireCatFile.assign("glld.cat");
    ResFile.assign("qem.rez");
}

std::string FieldText(const ShortStr<255>& s) { return Cp1251ToUtf8(s.str()); }
void SetFieldText(ShortStr<255>& s, const std::string& utf8) { s.assign(Utf8ToCp1251(utf8)); }

Bytes EncodeSettings(const Settings& s) {
    Bytes out;
    out.reserve(kSettingsSize);
    ByteWriter w(out);
    w.str(s.NetFileName);
    w.str(s.WireCatFile);
    w.str(s.ResFile);
    for (Integer v : {s.WinLeft, s.WinTop, s.WinWidth, s.WinHeight, s.WinPage}) w.i32(v);
    for (Single v : {s.Res788, s.Res792, s.Res796}) w.f32(v);
    w.raw(s.Res800.data(), s.Res800.size());
    w.f32(s.LongTermTemp);
    return out;
}

Settings DecodeSettings(const Bytes& image, const std::string& fileName) {
    if (image.size() < kSettingsSize)
        throw DataFileError("Файл настроек \"" + fileName + "\" повреждён: его длина " + std::to_string(image.size()) +
                            " байт вместо " + std::to_string(kSettingsSize) +
                            ". Исправьте или удалите его: программа создаст настройки по умолчанию.");
    Settings s;
    ByteReader r(image.data(), kSettingsSize);
    r.str(s.NetFileName);
    r.str(s.WireCatFile);
    r.str(s.ResFile);
    for (Integer* v : {&s.WinLeft, &s.WinTop, &s.WinWidth, &s.WinHeight, &s.WinPage}) *v = r.i32();
    for (Single* v : {&s.Res788, &s.Res792, &s.Res796}) *v = r.f32();
    r.raw(s.Res800.data(), s.Res800.size());
    s.LongTermTemp = r.f32();
    if (!std::isfinite(s.LongTermTemp))
        throw DataFileError(
            "Файл настроек \"" + fileName + "\" повреждён: длительно допустимая температура провода " +
            ShortestSingle(s.LongTermTemp) +
            " не является числом. Исправьте или удалите его: программа создаст настройки по умолчанию.");
    return s;
}

Settings LoadSettings(const std::filesystem::path& dataDir, FolderMemory& folder, bool writeDefaults) {
    const auto file = dataDir / kSettingsFileName;
    Settings s;
    if (auto image = ReadFileStartIfExists(file, kSettingsSize)) {  // what follows is never read
        s = DecodeSettings(*image, PathText(file));
    } else if (writeDefaults) {
        SaveSettings(dataDir, s, folder);
    }
    LoadFolderMemory(dataDir, folder);
    return s;
}

void SaveSettings(const std::filesystem::path& dataDir, const Settings& s, const FolderMemory& folder) {
    WriteFileAtomically(dataDir / kSettingsFileName, EncodeSettings(s));
    SaveFolderMemory(dataDir, folder);
}

void DecodeFolderMemory(const Bytes& image, const std::string& fileName, FolderMemory& folder) {
    std::string text(image.begin(), image.end());
    auto takeLine = [&text](std::size_t& pos) {
        std::size_t e = text.find('\n', pos);
        std::string line = text.substr(pos, e == std::string::npos ? std::string::npos : e - pos);
        pos = e == std::string::npos ? text.size() : e + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    };
    std::size_t pos = 0;
    const std::string line1 = takeLine(pos);
    std::string line2 = takeLine(pos);
    int row = 1;
    std::size_t b = 0, e = line2.size();
    while (b < e && line2[b] == ' ') ++b;
    while (e > b && line2[e - 1] == ' ') --e;
    if (b < e) {
        const char* first = line2.data() + b;
        if (*first == '+') ++first;
        auto [p, ec] = std::from_chars(first, line2.data() + e, row);
        if (ec != std::errc() || p != line2.data() + e)
            throw DataFileError("Файл \"" + fileName + "\" повреждён: во второй строке \"" + Cp1251ToUtf8(line2) +
                                "\" вместо номера строки списка файлов.");
    }
    folder.LineFolder = Cp1251ToUtf8(line1);
    folder.SelFileRow = row;
    folder.SelFileName = Cp1251ToUtf8(takeLine(pos));
}

std::string EncodeFolderMemory(const FolderMemory& folder) {
    std::string text = Utf8ToCp1251(folder.LineFolder) + "\r\n" + std::to_string(folder.SelFileRow) + "\r\n";
    if (!folder.SelFileName.empty()) text += Utf8ToCp1251(folder.SelFileName) + "\r\n";
    return text;
}

void LoadFolderMemory(const std::filesystem::path& dataDir, FolderMemory& folder) {
    const auto file = dataDir / kFolderMemoryFileName;
    // Two lines are read; a path is far shorter than this.
    auto image = ReadFileStartIfExists(file, 64 << 10);
    if (!image) {
        std::error_code ec;
        folder.LineFolder = PathText(std::filesystem::current_path(ec));
        return;
    }
    DecodeFolderMemory(*image, PathText(file), folder);
}

void SaveFolderMemory(const std::filesystem::path& dataDir, const FolderMemory& folder) {
    WriteFileAtomically(dataDir / kFolderMemoryFileName, EncodeFolderMemory(folder));
}

}  // namespace qem

#include "model/HeatModelData.h"

#include <charconv>
#include <cmath>

#include "model/Cp1251.h"

namespace qem {
namespace {

constexpr const char* kEmissivityKey = "Emissivity";
constexpr const char* kAbsorptivityKey = "Absorptivity";
// Far more than a catalog of 255 conductors takes.
constexpr std::uintmax_t kMaxFileSize = 1 << 20;

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> f;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t e = line.find(';', pos);
        f.push_back(Trim(line.substr(pos, e == std::string::npos ? std::string::npos : e - pos)));
        if (e == std::string::npos) return f;
        pos = e + 1;
    }
}

bool Number(std::string text, double& v) {
    for (char& ch : text)
        if (ch == ',') ch = '.';
    if (text.empty()) return false;
    const char* b = text.data();
    if (*b == '+') ++b;
    auto [p, ec] = std::from_chars(b, text.data() + text.size(), v);
    return ec == std::errc() && p == text.data() + text.size() && std::isfinite(v);
}

// The shortest text that reads back to the same number.
template <class T>
std::string Shortest(T v) {
    char buf[64];
    const auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, p) : std::string("0");
}

}  // namespace

bool UsableSurfaceFactor(double v) { return std::isfinite(v) && v > 0 && v <= 1; }

HeatModelData DecodeHeatModelData(const Bytes& image, const std::string& fileName) {
    HeatModelData d;
    const std::string text(image.begin(), image.end());
    std::size_t pos = 0;
    for (int lineNo = 1; pos < text.size(); ++lineNo) {
        const std::size_t e = text.find('\n', pos);
        std::string line = text.substr(pos, e == std::string::npos ? std::string::npos : e - pos);
        pos = e == std::string::npos ? text.size() : e + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        auto bad = [&](const std::string& what) {
            // NOLINTNEXTLINE(performance-inefficient-string-concatenation): made once, for the refusal
            return DataFileError("Файл \"" + fileName + "\", строка " + std::to_string(lineNo) + ": " + what + ": \"" +
                                 Cp1251ToUtf8(line) + "\"");
        };
        const std::vector<std::string> f = Fields(line);
        if (f.size() == 2 && (f[0] == kEmissivityKey || f[0] == kAbsorptivityKey)) {
            double v = 0;
            if (!Number(f[1], v) || !UsableSurfaceFactor(v))
                throw bad(std::string(f[0] == kEmissivityKey ? "излучательная" : "поглощательная") +
                          " способность должна быть числом больше 0 и не больше 1");
            (f[0] == kEmissivityKey ? d.emissivity : d.absorptivity) = v;
            continue;
        }
        if (f.size() != 4 || f[0].empty()) throw bad("ожидается \"марка;сечение алюминия;сечение стали;диаметр, мм\"");
        StrandRow r;
        r.name = f[0];
        double al = 0, st = 0;
        if (!Number(f[1], al) || !Number(f[2], st) || al < 0 || st < 0) throw bad("сечения должны быть числами");
        if (!Number(f[3], r.dMm) || !(r.dMm > 0 && r.dMm < 100))
            throw bad("диаметр наружной проволоки должен быть числом от 0 до 100 мм");
        r.SAlN = static_cast<Single>(al);
        r.SStN = static_cast<Single>(st);
        d.strands.push_back(r);
    }
    return d;
}

std::string EncodeHeatModelData(const HeatModelData& d) {
    std::string t;
    auto line = [&t](const std::string& utf8) { t += Utf8ToCp1251(utf8) + "\r\n"; };
    line("# Данные моделей нагрева IEEE Std 738 и CIGRE TB 601, которых нет в каталоге проводов:");
    line("# излучательная (Emissivity) и поглощательная (Absorptivity) способность поверхности провода,");
    line("# затем по строке на провод: марка;сечение алюминия;сечение стали;диаметр проволоки наружного повива, мм");
    line(std::string(kEmissivityKey) + ";" + Shortest(d.emissivity));
    line(std::string(kAbsorptivityKey) + ";" + Shortest(d.absorptivity));
    for (const StrandRow& r : d.strands)
        t += r.name + ";" + Shortest(r.SAlN) + ";" + Shortest(r.SStN) + ";" + Shortest(r.dMm) + "\r\n";
    return t;
}

HeatModelData LoadHeatModelData(const std::filesystem::path& dataDir) {
    const auto file = dataDir / kHeatModelFileName;
    std::optional<Bytes> image;
    try {
        image = ReadFileIfExists(file, kMaxFileSize);
    } catch (const FileTooLongError&) {
        throw DataFileError("Файл \"" + PathText(file) + "\" слишком велик для данных моделей нагрева");
    }
    if (!image) return {};
    return DecodeHeatModelData(*image, PathText(file));
}

void SaveHeatModelData(const std::filesystem::path& dataDir, const HeatModelData& d) {
    WriteFileAtomically(dataDir / kHeatModelFileName, EncodeHeatModelData(d));
}

double OuterStrandOf(const HeatModelData& d, const TyWire& wire) {
    for (const StrandRow& r : d.strands)
        if (r.name == wire.Name.str() && r.SAlN == wire.SAlN && r.SStN == wire.SStN) return r.dMm / 10;
    return 0;
}

}  // namespace qem

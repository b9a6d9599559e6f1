#include "model/NormsFile.h"

#include <cmath>

#include "model/Records.h"

namespace qem {

const char* NormsFileName(bool usePue6) { return usePue6 ? "hdg6.cat" : "hdg7.cat"; }

std::string NormsFault(const Norms& n) {
    auto fault = [](const std::string& name, float v) -> std::string {
        if (!std::isfinite(v)) return name + " = " + ShortestSingle(v) + " — не является конечным числом";
        if (v < 0) return name + " = " + ShortestSingle(v) + " — отрицательное значение";
        return {};
    };
    auto cell = [](const char* table, int i, int j) {
        return std::string(table) + "[" + std::to_string(i) + "][" + std::to_string(j) + "]";
    };
    std::string f;
    for (int c = 0; c < 8 && f.empty(); ++c) {
        for (int t = 0; t < 4 && f.empty(); ++t) f = fault(cell("NormGround", c, t), n.NormGround[c][t]);
        for (int t = 0; t < 24 && f.empty(); ++t) f = fault(cell("NormCross", c, t), n.NormCross[c][t]);
        for (int t = 0; t < 7 && f.empty(); ++t) f = fault(cell("NormObst", c, t), n.NormObst[c][t]);
    }
    for (int r = 1; r <= 10 && f.empty(); ++r) f = fault("IceReg[" + std::to_string(r) + "]", n.IceReg[r]);
    for (int r = 1; r <= 10 && f.empty(); ++r) f = fault("WindReg[" + std::to_string(r) + "]", n.WindReg[r]);
    return f;
}

void DecodeNorms(const Bytes& image, Norms& norms, const std::string& fileName) {
    if (image.size() < kNormsTablesSize || (image.size() > kNormsTablesSize && image.size() < kNormsFileSize))
        throw DataFileError("Файл норм габаритов \"" + fileName + "\" повреждён: его длина " +
                            std::to_string(image.size()) + " байт, нужно " + std::to_string(kNormsTablesSize) +
                            " или не менее " + std::to_string(kNormsFileSize) + ". Нормы не загружены.");
    Norms n = norms;
    ByteReader r(image.data(), image.size());
    for (auto& row : n.NormGround)
        for (float& v : row) v = r.f32();
    for (auto& row : n.NormCross)
        for (float& v : row) v = r.f32();
    for (auto& row : n.NormObst)
        for (float& v : row) v = r.f32();
    if (r.left() > 0) {
        for (float& v : n.IceReg) v = r.f32();
        for (float& v : n.WindReg) v = r.f32();
    } else {
        // No region tables: the regions of the rules, 8..10 kept.
        for (int k = 1; k <= 7; ++k) {
            n.IceReg[k] = kDefaultIceReg[k - 1];
            n.WindReg[k] = kDefaultWindReg[k - 1];
        }
    }
    if (const std::string fault = NormsFault(n); !fault.empty())
        throw DataFileError("Файл норм габаритов \"" + fileName + "\" повреждён: " + fault + ". Нормы не загружены.");
    norms = n;
}

Bytes EncodeNorms(const Norms& norms) {
    Bytes out;
    out.reserve(kNormsFileSize);
    ByteWriter w(out);
    for (const auto& row : norms.NormGround)
        for (float v : row) w.f32(v);
    for (const auto& row : norms.NormCross)
        for (float v : row) w.f32(v);
    for (const auto& row : norms.NormObst)
        for (float v : row) w.f32(v);
    for (float v : norms.IceReg) w.f32(v);
    for (float v : norms.WindReg) w.f32(v);
    return out;
}

bool ReadNormsFile(const std::filesystem::path& file, Norms& norms) {
    auto image = ReadFileStartIfExists(file, kNormsFileSize);  // what follows is never read
    if (!image) return false;
    DecodeNorms(*image, norms, PathText(file));
    return true;
}

void WriteNormsFile(const std::filesystem::path& file, const Norms& norms) {
    if (const std::string fault = NormsFault(norms); !fault.empty())
        throw DataFileError("Нормы габаритов не записаны в файл \"" + PathText(file) + "\": " + fault +
                            ". Исправьте значение в каталоге.");
    WriteFileAtomically(file, EncodeNorms(norms));
}

namespace {

const char* const kGroundRows[] = {"Населенная", "Ненаселенная", "Труднодоступная", "Недоступные склоны"};
const char* const kObstRows[] = {"Здание", "Автодорога", "Ж/д дорога", "Трамвай", "Троллейбус"};

int PageRows(NormsPage page) { return page == NormsPage::Ground ? 4 : page == NormsPage::Cross ? 1 : 5; }

const float* Cell(const Norms& norms, NormsPage page, int row, int col) {
    if (row < 1 || row > PageRows(page) || col < 1 || col > 8) return nullptr;
    switch (page) {
        case NormsPage::Ground: return &norms.NormGround[col - 1][row - 1];
        case NormsPage::Cross: return &norms.NormCross[col - 1][0];
        case NormsPage::Obstacle: return &norms.NormObst[col - 1][row - 1];
    }
    return nullptr;
}

}  // namespace

TextGrid NormsGrid(const Norms& norms, NormsPage page, bool showBelow110) {
    const int classes = showBelow110 ? 8 : 5;
    const int rows = PageRows(page);
    TextGrid g(rows + 1, classes + 1);
    if (page == NormsPage::Ground) g.at(0, 0) = "Тип местности";
    if (page == NormsPage::Obstacle) g.at(0, 0) = "Тип препятствия";
    for (int c = 1; c <= classes; ++c) g.at(0, c) = std::string(kVoltageText[c - 1]) + "кВ";
    for (int r = 1; r <= rows; ++r) {
        g.at(r, 0) = page == NormsPage::Ground ? kGroundRows[r - 1]
                     : page == NormsPage::Cross ? "Минимальное расстояние между проводами, м"
                                                : kObstRows[r - 1];
        for (int c = 1; c <= classes; ++c) g.at(r, c) = FormatFixed(*Cell(norms, page, r, c), 4, 1);
    }
    return g;
}

float* NormsCell(Norms& norms, NormsPage page, int row, int col) {
    return const_cast<float*>(Cell(norms, page, row, col));
}

}  // namespace qem

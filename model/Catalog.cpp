#include "model/Catalog.h"

#include <charconv>
#include <cmath>
#include <utility>

#include "model/Cp1251.h"
#include "model/NormsFile.h"
#include "model/Records.h"

namespace qem {

Bytes EncodeCatalog(const WireCatalog& cat) {
    Bytes out;
    out.reserve(1 + kWireSize * cat.NWires + 3 * kWireArraySize);
    ByteWriter w(out);
    w.u8(cat.NWires);
    for (int k = 1; k <= cat.NWires; ++k) Encode(w, cat.Wires[k]);
    for (float v : cat.WireBreak) w.f32(v);
    for (float v : cat.WireSAl) w.f32(v);
    for (float v : cat.WireSSt) w.f32(v);
    return out;
}

void DecodeCatalog(const Bytes& image, WireCatalog& cat, const std::string& fileName) {
    auto damaged = [&](const std::string& what) {
        return DataFileError("Файл каталога проводов \"" + fileName + "\" повреждён: " + what +
                             ". Каталог проводов не загружен.");
    };
    if (image.empty()) throw damaged("файл пуст");
    WireCatalog c = cat;
    ByteReader r(image.data(), image.size());
    c.NWires = r.u8();
    if (c.NWires == 0) c.NWires = 1;
    if (r.left() < kWireSize * c.NWires)
        throw damaged("в нём " + std::to_string(r.left() / kWireSize) + " записей из " + std::to_string(c.NWires));
    for (int k = 1; k <= c.NWires; ++k) {
        Decode(r, c.Wires[k]);
        c.Wires[k].AlfaR = kCatalogAlfaR;
    }
    if (r.left() > 0 && r.left() < kWireArraySize) throw damaged("таблица разрывных усилий неполна");
    if (r.left() > 0) {
        for (float& v : c.WireBreak) v = r.f32();
    } else {
        for (float& v : c.WireBreak) v = 0;
    }
    if (r.left() > 0 && r.left() < 2 * kWireArraySize) throw damaged("таблицы фактических сечений неполны");
    if (r.left() > 0) {
        for (float& v : c.WireSAl) v = r.f32();
        for (float& v : c.WireSSt) v = r.f32();
    } else {
        for (float& v : c.WireSAl) v = 0;
        for (float& v : c.WireSSt) v = 0;
    }
    cat = c;
}

bool ReadCatalogFile(const std::filesystem::path& file, WireCatalog& cat) {
    // What lies after the longest image is never read.
    auto image = ReadFileStartIfExists(file, 1 + kWireSize * kMaxWires + 3 * kWireArraySize);
    if (!image) return false;
    DecodeCatalog(*image, cat, PathText(file));
    return true;
}

void WriteCatalogFile(const std::filesystem::path& file, const WireCatalog& cat) {
    WriteFileAtomically(file, EncodeCatalog(cat));
}

namespace {

// -1, 0, 1 as a compares with b byte by byte, bytes unsigned; a prefix is the lesser.
int CompareNames(const ShortStr<30>& a, const ShortStr<30>& b) {
    const std::string x = a.str(), y = b.str();
    const std::size_t n = x.size() < y.size() ? x.size() : y.size();
    for (std::size_t i = 0; i < n; ++i) {
        auto p = static_cast<unsigned char>(x[i]), q = static_cast<unsigned char>(y[i]);
        if (p != q) return p < q ? -1 : 1;
    }
    return x.size() == y.size() ? 0 : x.size() < y.size() ? -1 : 1;
}

bool OutOfOrder(const TyWire& a, const TyWire& b, SortOrder order) {
    int c = CompareNames(a.Name, b.Name);
    if (order == SortOrder::Descending) c = -c;
    return c > 0 || (c == 0 && a.SAlN > b.SAlN);
}

void SwapEntries(WireCatalog& cat, int i, int j) {
    std::swap(cat.Wires[i], cat.Wires[j]);
    std::swap(cat.WireBreak[i], cat.WireBreak[j]);
    std::swap(cat.WireSAl[i], cat.WireSAl[j]);
    std::swap(cat.WireSSt[i], cat.WireSSt[j]);
}

bool PlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos;
}

}  // namespace

void SortCatalog(WireCatalog& cat, SortOrder order) {
    for (int last = cat.NWires; last > 1; --last) {
        bool swapped = false;
        for (int k = 1; k < last; ++k)
            if (OutOfOrder(cat.Wires[k], cat.Wires[k + 1], order)) {
                SwapEntries(cat, k, k + 1);
                swapped = true;
            }
        if (!swapped) break;
    }
}

CatalogLoad LoadCatalogs(const std::filesystem::path& dataDir, const std::string& catFileName, bool usePue6,
                         WireCatalog& wires, Norms& norms, KOCat& ko, Dialogs* dialogs) {
    CatalogLoad st;
    auto report = [&](const std::string& text) {
        st.errors.push_back(text);
        if (dialogs) dialogs->Message(text, "Ошибка", Icon::Error);
    };
    // Steps 1-6: the conductor catalog.
    if (PlainFileName(catFileName)) {
        try {
            st.wiresRead = ReadCatalogFile(dataDir / std::filesystem::u8path(catFileName), wires);
        } catch (const DataFileError& e) {
            report(e.what());
        }
    } else if (!catFileName.empty()) {
        report("Имя файла каталога проводов \"" + catFileName +
               "\" в настройках недопустимо: нужно имя файла в папке данных программы. Каталог проводов не загружен.");
    }
    // Step 7: the norms in force.
    try {
        st.normsRead = ReadNormsFile(dataDir / NormsFileName(usePue6), norms);
    } catch (const DataFileError& e) {
        report(e.what());
        return st;
    }
    if (!st.normsRead) return st;
    // Step 8: the terminal-equipment catalog.
    try {
        LoadKOCat(dataDir / std::filesystem::u8path(kKOCatFileName), ko);
        st.koRead = true;
    } catch (const DataFileError& e) {
        report(e.what());
        return st;
    }
    // Step 9.
    SortCatalog(wires);
    st.sorted = true;
    return st;
}

const char* const kConductorGridHeader[12] = {"Тип",        "S Al н,мм2", "S ст н,мм2", "S Al,мм2",
                                              "S ст,мм2",   "d пр,см",    "d ст,см",    "r,Ом/км",
                                              "m Al,кг/км", "m ст,кг/км", "Разр.ус.,Н", "Макс. Т.,С"};

namespace {

// A value in the grid's format, or its exact shortest text when the format would change it:
// taking the grid back must not round the catalog.
std::string CellText(float v, int width, int precision) {
    std::string s = FormatFixed(v, width, precision);
    double back = 0;
    if (ParseReal(s, back) && static_cast<float>(back) == v) return s;
    return ShortestSingle(v);
}

}  // namespace

TextGrid FillConductorGrid(const WireCatalog& cat) {
    TextGrid g(cat.NWires + 1, 12);
    for (int c = 0; c < 12; ++c) g.at(0, c) = kConductorGridHeader[c];
    for (int k = 1; k <= cat.NWires; ++k) {
        const TyWire& w = cat.Wires[k];
        auto& row = g.rows[static_cast<std::size_t>(k)];
        row[0] = Cp1251ToUtf8(w.Name.str());
        row[1] = CellText(w.SAlN, 4, 0);
        row[2] = CellText(w.SStN, 3, 0);
        row[3] = CellText(cat.WireSAl[k], 6, 1);
        row[4] = CellText(cat.WireSSt[k], 5, 1);
        row[5] = CellText(w.D, 4, 2);
        row[6] = CellText(w.DSt, 4, 2);
        row[7] = CellText(w.R, 5, 3);
        row[8] = CellText(w.MAl, 4, 0);
        row[9] = CellText(w.MSt, 4, 0);
        row[10] = CellText(cat.WireBreak[k], 6, 0);
        row[11] = CellText(w.TMax, 6, 0);
    }
    return g;
}

WireCatalog CatalogFromGrid(const TextGrid& grid, const WireCatalog& current) {
    const int n = grid.rowCount() - 1;
    if (n < 1) throw GridError("В таблице проводов нет ни одной записи. Каталог не сохранён.");
    if (n > kMaxWires)
        throw GridError("В таблице проводов " + std::to_string(n) + " записей, допускается не более " +
                        std::to_string(kMaxWires) + ". Каталог не сохранён.");
    WireCatalog c = current;
    c.NWires = static_cast<Byte>(n);
    for (int k = 1; k <= n; ++k) {
        const auto& row = grid.rows[static_cast<std::size_t>(k)];
        if (row.size() < 12)
            throw GridError("В строке " + std::to_string(k) + " таблицы проводов " + std::to_string(row.size()) +
                            " столбцов вместо 12. Каталог не сохранён.");
        auto num = [&](int col) -> float {
            double v = 0;
            if (!ParseReal(row[static_cast<std::size_t>(col)], v) || !std::isfinite(static_cast<float>(v)))
                throw GridError("Строка " + std::to_string(k) + ", столбец \"" + kConductorGridHeader[col] + "\": \"" +
                                row[static_cast<std::size_t>(col)] + "\" не является числом. Каталог не сохранён.");
            return static_cast<float>(v);
        };
        TyWire w = c.Wires[k];
        w.Name.assign(Utf8ToCp1251(row[0]));
        w.SAlN = num(1);
        w.SStN = num(2);
        c.WireSAl[k] = num(3);
        c.WireSSt[k] = num(4);
        w.D = num(5);
        w.DSt = num(6);
        w.R = num(7);
        w.MAl = num(8);
        w.MSt = num(9);
        c.WireBreak[k] = num(10);
        w.TMax = num(11);
        c.Wires[k] = w;
    }
    return c;
}

void SaveCatalogs(const TextGrid& grid, const std::filesystem::path& dataDir, const std::string& catFileName,
                  bool usePue6, WireCatalog& wires, const Norms& norms) {
    WireCatalog c = CatalogFromGrid(grid, wires);
    if (!PlainFileName(catFileName))
        throw DataFileError("Имя файла каталога проводов \"" + catFileName + "\" недопустимо. Каталог не сохранён.");
    WriteCatalogFile(dataDir / std::filesystem::u8path(catFileName), c);
    wires = c;
    WriteNormsFile(dataDir / NormsFileName(usePue6), norms);
}

void ExportGrid(const TextGrid& grid, const std::filesystem::path& file) {
    std::string out = std::to_string(grid.colCount) + "\r\n" + std::to_string(grid.rowCount()) + "\r\n";
    for (const auto& row : grid.rows) {
        std::string line;
        for (int c = 0; c < grid.colCount; ++c) {
            if (static_cast<std::size_t>(c) < row.size()) line += Utf8ToCp1251(row[static_cast<std::size_t>(c)]);
            line += ';';
        }
        if (line.size() > 255) line.resize(255);
        out += line + "\r\n";
    }
    WriteFileAtomically(file, out);
}

TextGrid DecodeGrid(const Bytes& image, const std::string& fileName) {
    std::vector<std::string> lines;
    std::string cur;
    for (auto b : image) {
        if (b == '\n') {
            if (!cur.empty() && cur.back() == '\r') cur.pop_back();
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += static_cast<char>(b);
        }
    }
    if (!cur.empty()) lines.push_back(cur);
    auto bad = [&](const std::string& what) {
        return DataFileError("Файл \"" + fileName + "\" повреждён: " + what + ". Таблица не изменена.");
    };
    auto count = [&](std::size_t i, const char* what, int max) {
        if (i >= lines.size()) throw bad(std::string("нет строки с числом ") + what);
        std::string s = lines[i];
        while (!s.empty() && s.back() == ' ') s.pop_back();
        std::size_t b = 0;
        while (b < s.size() && s[b] == ' ') ++b;
        int v = -1;
        auto [p, ec] = std::from_chars(s.data() + b, s.data() + s.size(), v);
        if (ec != std::errc() || p != s.data() + s.size() || v < 0 || v > max)
            throw bad(std::string("неверное число ") + what + " \"" + Cp1251ToUtf8(lines[i]) + "\"");
        return v;
    };
    const int cols = count(0, "столбцов", 1000);
    const int rows = count(1, "строк", 100000);
    // Every cell is held in memory: a few lines must not describe a table of gigabytes.
    if (static_cast<long long>(rows) * cols > kMaxExchangeCells)
        throw bad("таблица " + std::to_string(rows) + " x " + std::to_string(cols) + " больше " +
                  std::to_string(kMaxExchangeCells) + " ячеек");
    if (lines.size() < 2 + static_cast<std::size_t>(rows))
        throw bad("строк таблицы " + std::to_string(lines.size() - 2) + " вместо " + std::to_string(rows));
    TextGrid g(rows, cols);
    for (int r = 0; r < rows; ++r) {
        std::string line = lines[2 + static_cast<std::size_t>(r)];
        for (int c = 0; c < cols; ++c) {
            auto semi = line.find(';');
            if (semi == std::string::npos) break;
            g.at(r, c) = Cp1251ToUtf8(line.substr(0, semi));
            line.erase(0, semi + 1);
        }
    }
    return g;
}

void ImportGrid(TextGrid& grid, const std::filesystem::path& file) {
    std::optional<Bytes> image;
    try {
        image = ReadFileIfExists(file, kMaxExchangeFileSize);
    } catch (const FileTooLongError& e) {
        throw DataFileError("Файл \"" + PathText(file) + "\" слишком велик: " + std::to_string(e.length) +
                            " байт (допустимо не больше " + std::to_string(kMaxExchangeFileSize) +
                            "). Таблица не изменена.");
    }
    if (!image) throw DataFileError("Не удалось открыть файл \"" + PathText(file) + "\"");
    grid = DecodeGrid(*image, PathText(file));
}

std::string WireDisplayText(const TyWire& w) {
    return PadLeftUtf8(Cp1251ToUtf8(w.Name.str()), 29) + "-" + FormatFixed(w.SAlN, 4, 0) + "/" +
           FormatFixed(w.SStN, 3, 0);
}

std::vector<std::string> ConductorList(const WireCatalog& cat) {
    std::vector<std::string> list;
    for (int k = 1; k <= cat.NWires; ++k) list.push_back(WireDisplayText(cat.Wires[k]));
    return list;
}

int FindWire(const WireCatalog& cat, const TyWire& w) {
    for (int k = 1; k <= cat.NWires; ++k) {
        const TyWire& e = cat.Wires[k];
        if (e.Name.sameText(w.Name) && e.SAlN == w.SAlN && e.SStN == w.SStN && e.D == w.D && e.DSt == w.DSt) return k;
    }
    return 0;
}

void RefreshConductors(std::vector<TyLine>& lines, const WireCatalog& cat) {
    for (auto& line : lines)
        for (auto& span : line.Spans) {
            int k = FindWire(cat, span.Pr);
            if (k == 0) continue;
            span.Pr = cat.Wires[k];
            span.PrBreak = cat.WireBreak[k];
        }
}

void ChooseConductor(const WireCatalog& cat, int k, const std::vector<TySpan*>& spans) {
    if (k < 1 || k > cat.NWires) return;
    const TyWire& e = cat.Wires[k];
    for (TySpan* s : spans) {
        if (!s) continue;
        const float alfa = s->Pr.AlfaR;
        s->Pr = e;
        s->Pr.AlfaR = alfa;
        s->PrBreak = cat.WireBreak[k];
    }
}

}  // namespace qem

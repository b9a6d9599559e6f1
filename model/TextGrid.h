#pragma once
// A plain grid of UTF-8 cell texts, header row included: what the catalog window's string
// grids show and what the text exchange file holds. The windows display it; the commands
// fill it from the catalogs and take it back.
#include <stdexcept>
#include <string>
#include <vector>

namespace qem {

struct TextGrid {
    int colCount = 0;
    std::vector<std::vector<std::string>> rows;  // each row holds colCount cells

    TextGrid() = default;
    TextGrid(int rowCount, int cols)
        : colCount(cols),
          rows(static_cast<std::size_t>(rowCount), std::vector<std::string>(static_cast<std::size_t>(cols))) {}
    int rowCount() const { return static_cast<int>(rows.size()); }
    std::string& at(int r, int c) { return rows.at(static_cast<std::size_t>(r)).at(static_cast<std::size_t>(c)); }
    const std::string& at(int r, int c) const {
        return rows.at(static_cast<std::size_t>(r)).at(static_cast<std::size_t>(c));
    }
    // Removes row r (rows below move up).
    void removeRow(int r) { rows.erase(rows.begin() + r); }
    bool operator==(const TextGrid&) const = default;
};

// printf "%W.Pf" of v, independent of the process locale (always a point).
std::string FormatFixed(double v, int width, int precision);
// Shortest decimal text that reads back to the same 32-bit float.
std::string ShortestSingle(float v);
// Right-aligns text (counted in characters, UTF-8) in width characters, as "%Ws" does.
std::string PadLeftUtf8(const std::string& utf8, int width);
// Reads a real number: surrounding blanks allowed, comma or point as decimal separator,
// nothing else. False when the text is not a number.
bool ParseReal(const std::string& text, double& value);

}  // namespace qem

namespace qem {

// A grid cell whose text cannot be taken into a table; the text names row, column and text.
class GridError : public std::runtime_error {
public:
    explicit GridError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace qem

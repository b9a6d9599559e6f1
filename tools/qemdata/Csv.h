#pragma once
// Reading the reference tables of data/: UTF-8 CSV, comma-separated, double quotes around
// cells that hold commas or quotes, one header row.
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace qemdata {

struct CsvError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct CsvRow {
    int line = 0;  // line number in the file, for messages
    std::map<std::string, std::string> cells;
};

struct CsvTable {
    std::string file;
    std::vector<std::string> header;
    std::vector<CsvRow> rows;

    // Throws CsvError unless every named column is in the header.
    void require(const std::vector<std::string>& columns) const;
};

// Reads a table; throws CsvError on a malformed file (unclosed quote, row wider than the header).
CsvTable ReadCsv(const std::filesystem::path& file);

// The cell's text; empty when the column is absent.
const std::string& Cell(const CsvRow& row, const std::string& column);
// The cell as a number: nullopt-like false for an empty cell, CsvError for a text that is
// not a number.
bool Number(const CsvTable& t, const CsvRow& row, const std::string& column, double& value);

}  // namespace qemdata

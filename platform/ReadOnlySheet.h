#pragma once
// A worksheet read whole when its workbook was opened, for the formats the program reads but
// does not write (.xls, .ods): its cells and merged ranges; every change throws WorkbookError.
#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/Workbook.h"

namespace qem::wbdetail {

class ReadOnlySheet : public Sheet {
public:
    // `format` names the file format in the message of a refused change (".xls").
    ReadOnlySheet(std::string name, std::map<std::pair<int, int>, CellValue> cells, std::vector<CellRange> merged,
                  std::string format)
        : name_(std::move(name)), cells_(std::move(cells)), merged_(std::move(merged)), format_(std::move(format)) {}
    std::string Name() const override { return name_; }
    CellValue Value(int row, int col) const override {
        const auto it = cells_.find({row, col});
        return it == cells_.end() ? CellValue{} : it->second;
    }
    CellAddress LastUsedCell() const override {
        CellAddress last{1, 1};
        for (const auto& [rc, v] : cells_)
            last.row = std::max(last.row, rc.first), last.col = std::max(last.col, rc.second);
        return last;
    }
    void SetText(int, int, std::string_view) override { ReadOnly(); }
    void SetNumber(int, int, double) override { ReadOnly(); }
    void SetFormula(int, int, std::string_view, const CellValue&) override { ReadOnly(); }
    std::string Formula(int, int) const override { return ""; }
    void SetFormulaResult(int, int, const CellValue&) override { ReadOnly(); }
    int Style(int, int) const override { return 0; }
    void SetStyle(int, int, int) override { ReadOnly(); }
    void SetColumnWidth(int, double) override { ReadOnly(); }
    void SetRowHeight(int, double) override { ReadOnly(); }
    void Merge(std::string_view) override { ReadOnly(); }
    std::vector<CellRange> MergedRanges() const override { return merged_; }
    void FreezePanes(std::string_view) override { ReadOnly(); }
    void SetPageSetup(const PageSetup&) override { ReadOnly(); }
    void AddListValidation(const ListValidation&) override { ReadOnly(); }
    std::vector<ListValidation> ListValidations() const override { return {}; }

    [[noreturn]] static void RefuseChange(const std::string& format) {
        throw WorkbookError("Книга в формате " + format + " открыта только для чтения: изменения не сохраняются");
    }

private:
    [[noreturn]] void ReadOnly() const { RefuseChange(format_); }
    std::string name_;
    std::map<std::pair<int, int>, CellValue> cells_;
    std::vector<CellRange> merged_;
    std::string format_;
};

}  // namespace qem::wbdetail

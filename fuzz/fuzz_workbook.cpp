// A spreadsheet workbook (.xlsx or .xls, told apart by their content): refused with a
// WorkbookError, or every sheet read as the import reads it, and an .xlsx workbook saved and
// opened again with the same values.
#include "fuzz/FuzzTarget.h"
#include "platform/Workbook.h"

using namespace qem;

namespace {

// The cells the import would look at: the used range, as far as a reader goes in practice.
std::vector<std::string> Texts(const Sheet& s) {
    const CellAddress last = s.LastUsedCell();
    std::vector<std::string> texts;
    for (int r = 1; r <= last.row && r <= 200; ++r)
        for (int c = 1; c <= last.col && c <= 40; ++c) {
            const CellValue v = s.Value(r, c);
            if (v.kind == CellKind::Number && v.number != v.number) fuzz::Fail("a number cell holds NaN");
            texts.push_back(CellText(v));
        }
    return texts;
}

}  // namespace

QEM_FUZZ_TARGET(workbook) {
    const Bytes bytes(data, data + size);
    std::vector<std::vector<std::string>> values;
    Bytes saved;
    try {
        const Workbook wb = Workbook::FromBytes(bytes, {}, "fuzz.xlsx");
        for (int i = 1; i <= wb.SheetCount(); ++i) {
            const Sheet& s = wb.Worksheet(i);
            s.Name();
            s.MergedRanges();
            values.push_back(Texts(s));
        }
        if (wb.ReadOnly()) return;
        saved = wb.ToBytes();
    } catch (const WorkbookError&) {
        return;
    }
    try {
        const Workbook again = Workbook::FromBytes(saved, {}, "saved.xlsx");
        if (again.SheetCount() != int(values.size())) fuzz::Fail("a saved workbook has other sheets");
        for (int i = 1; i <= again.SheetCount(); ++i)
            if (Texts(again.Worksheet(i)) != values[std::size_t(i - 1)]) fuzz::Fail("a saved workbook reads otherwise");
    } catch (const WorkbookError& e) {
        fuzz::Fail(std::string("a workbook the program saved does not open: ") + e.what());
    }
}

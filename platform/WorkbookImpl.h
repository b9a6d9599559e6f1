#pragma once
// The inside of a Workbook, shared by the files of the workbook layer: the package and its
// parsed parts (.xlsx), or the sheets read from a workbook the program reads only (.ods, .xls).
#include <map>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "platform/LegacyWorkbook.h"
#include "platform/Workbook.h"
#include "platform/WorkbookPackage.h"
#include "platform/WorkbookStyles.h"

namespace qem {

struct Workbook::Impl : wbdetail::ZipPackage {
    std::string readOnlyFormat;  // ".xls", ".ods": read only; empty: an .xlsx workbook
    std::vector<std::unique_ptr<Sheet>> sheets;

    // .xlsx
    std::string workbookPath, stylesPath, relsPath;
    pugi::xml_document workbookDoc, stylesDoc, relsDoc, typesDoc;
    bool workbookDirty = false, stylesDirty = false, relsDirty = false, typesDirty = false;
    std::vector<std::string> sharedStrings;
    wbdetail::StyleTable styles;
    bool date1904 = false;

    void Load();
    void LoadStyles();
    void LoadSharedStrings(const std::string& part);
    void LoadXls(const Bytes& bytes);
    void LoadOds();
    std::vector<wbdetail::XlsSheetData> ParseXls(const Bytes& bytes) const;
    int AddStyleXml(const CellStyle& st);
    int NumFmtId(const std::string& code);
    int ImportStyle(const Impl& src, int xf, std::map<int, int>& cache);
};

}  // namespace qem

// qemcli export, export-all: the spreadsheet exports of the main window, writing the workbooks
// (nothing is opened). Messages go to stderr; a refused, cancelled or failed export, a line
// whose conductor could not be rated or whose workbook was not written, exits with 1. --out
// names the workbook written (the summary for export-all) as given.
#include <iostream>

#include "app/qemcli/Session.h"
#include "lines/Exports.h"

namespace qem::cli {
namespace {

ExportSettings Settings(const Session& s, const Args& a) {
    ExportSettings e;
    e.dataDir = s.dataDir;
    e.useSourceCondition = a.has("use-source-condition");
    e.out = a.get("out");
    return e;
}

int Report(const ExportResult& r) {
    for (const auto& w : r.written) std::cout << w << "\n";
    return r.end == CommandEnd::Done && r.unrated.empty() && r.skipped.empty() ? 0 : 1;
}

int ExportCmd(const Args& a) {
    Session s;
    OpenLine(s, a);
    const ExportSettings e = Settings(s, a);
    return Report(a.has("min") ? ExportLineLimits(s.net, s.env, e, s.dlg) : ExportLineTable(s.net, s.env, e, s.dlg));
}

int ExportAllCmd(const Args& a) {
    if (a.positional.size() != 1) throw UsageError("expects one network file");
    Session s;
    OpenSession(s, a, a.positional[0]);
    ApplyChoices(s, a, s.net.Line(s.net.CurLine).Span(1));
    return Report(ExportAllLines(s.net, s.env, Settings(s, a), s.dlg));
}

const Registrar r1({"export",
                    "export NET.qem --line L [--min] [--use-source-condition] [--out FILE]",
                    "the line's limit table into \"From To.xlsx\" of the data folder (--min: its own ДДТН and "
                    "АДТН into \"2.xlsx\"); prints the workbooks written",
                    {"min", "use-source-condition"},
                    ExportCmd});
const Registrar r2({"export-all",
                    "export-all NET.qem [--use-source-condition] [--out FILE]",
                    "every line's limit table into its workbook and their heads into \"Все_ВЛ.xlsx\"; prints the "
                    "workbooks written",
                    {"use-source-condition"},
                    ExportAllCmd});

}  // namespace
}  // namespace qem::cli

// qemcli import BOOK --points 1|2 ...: the spreadsheet import of measured spans ("Загрузить данные
// из Excel по одному замеру" / "... по двум замерам", then "Подтвердить").
// qemcli template --points 1|2 --out FILE.xlsx: the workbook the field crews fill in.
#include <iostream>

#include "app/qemcli/Cli.h"
#include "app/qemcli/Session.h"
#include "model/Cp1251.h"
#include "model/NetworkFile.h"
#include "session/ImportCommands.h"
#include "setup/ImportLoad.h"
#include "setup/ImportTemplate.h"

namespace qem::cli {
namespace {

ImportPoints Points(const Args& a) {
    const int p = a.getInt("points");
    if (p != 1 && p != 2) throw UsageError("--points must be 1 or 2");
    return p == 1 ? ImportPoints::One : ImportPoints::Two;
}

int VoltageIndex(const std::string& kv) {
    for (int u = 0; u < 8; ++u)
        if (kv == kVoltageText[u]) return u;
    throw UsageError("--voltage must be one of 750, 500, 330, 220, 110, 35, 10, 6; got '" + kv + "'");
}

int Import(const Args& a) {
    if (a.positional.size() != 1) throw UsageError("expects one workbook (.xlsx or .xls)");
    const ImportPoints points = Points(a);
    const bool multi = a.has("multi");
    ImportChoice choice;
    std::string target;
    int modes = 0;
    for (const auto& [opt, mode] : {std::pair{"new", ImportMode::NewNetwork},
                                    {"append", ImportMode::AppendToNetwork},
                                    {"append-to-line", ImportMode::AppendToLine}})
        if (a.has(opt)) {
            ++modes;
            choice.mode = mode;
            target = a.get(opt);
        }
    if (modes != 1) throw UsageError("give one of --new, --append and --append-to-line");
    if (choice.mode == ImportMode::AppendToLine && multi)
        throw UsageError("the rows of several lines (--multi) cannot be added to one line");
    if ((a.has("from") || a.has("to")) && (multi || choice.mode == ImportMode::AppendToLine))
        throw UsageError("--from and --to name the one new line of a single-line workbook");
    choice.from = a.get("from");
    choice.to = a.get("to");

    Session s;
    OpenSession(s, a, "");
    if (choice.mode != ImportMode::NewNetwork) {
        // The lines already there are written back as they were read.
        s.net.NetFileName = target;
        s.net.Lines = ReadNetwork(target);
        if (s.net.NLines() == 0) throw std::runtime_error("the network " + target + " holds no lines");
        s.net.CurLine = 1;
        if (choice.mode == ImportMode::AppendToLine) SelectLine(s, a);
    }
    // The line that receives the spans keeps its class unless --voltage says otherwise.
    choice.uvl = a.has("voltage")                          ? VoltageIndex(a.get("voltage"))
                 : choice.mode == ImportMode::AppendToLine ? s.net.Line(s.net.CurLine).Uvl
                                                           : kDefaultImportVoltage;
    const int before = choice.mode == ImportMode::AppendToNetwork ? s.net.NLines() : 0;
    const int spansBefore = choice.mode == ImportMode::AppendToLine ? s.net.Line(s.net.CurLine).NSpans() : 0;

    ImportTable table;
    try {
        table = ReadImportWorkbook(a.positional[0], points, multi, s.wires);
    } catch (const ImportError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    for (const auto& note : table.notes) std::cerr << note << "\n";
    const TyWire wire1 = s.wires.NWires > 0 ? s.wires.Wires[1] : TyWire{};
    if (!ConfirmImport(s.net, table, choice, target, wire1, s.dlg)) return 1;

    // The lines that received rows.
    std::cout << "{\"File\":" << JsonString(s.net.NetFileName) << ",\"Lines\":[";
    const int first = choice.mode == ImportMode::AppendToLine ? s.net.CurLine : before + 1;
    const int last = choice.mode == ImportMode::AppendToLine ? s.net.CurLine : s.net.NLines();
    for (int p = first; p <= last; ++p) {
        const TyLine& l = s.net.Line(p);
        std::cout << (p > first ? "," : "") << "{\"Line\":" << p
                  << ",\"From\":" << JsonString(Cp1251ToUtf8(l.From.str()))
                  << ",\"To\":" << JsonString(Cp1251ToUtf8(l.To.str())) << ",\"U\":" << JsonString(VoltageText(l.Uvl))
                  << ",\"Spans\":" << l.NSpans() << ",\"Imported\":" << l.NSpans() - spansBefore << "}";
    }
    std::cout << "]}\n";
    return 0;
}

int Template(const Args& a) {
    if (!a.positional.empty()) throw UsageError("takes no positional arguments");
    if (!a.has("out")) throw UsageError("missing option --out");
    Session s;
    OpenSession(s, a, "");
    SaveImportTemplate(Points(a), s.dataDir, a.get("out"), s.wires);
    return 0;
}

const Registrar reg1(
    {"import",
     "import BOOK.xlsx|BOOK.xls --points 1|2 [--multi] [--voltage KV] (--new NET.qem | --append NET.qem "
     "| --append-to-line NET.qem --line L) [--from A --to B]",
     "imports the measured spans of a crews' workbook into a new network, a new line of a network or "
     "the line L; refusals leave NET.qem as it was (an existing --new file is replaced only with --yes)",
     {"multi"},
     Import});
const Registrar reg2({"template",
                      "template --points 1|2 --out FILE.xlsx",
                      "writes the workbook the field crews fill in for the import by 1 or 2 measured points",
                      {},
                      Template});

}  // namespace
}  // namespace qem::cli

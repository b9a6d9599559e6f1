// The import's row reader: a crews' workbook read as a one-point and as a two-point sheet, as a
// sheet of one line and of several; rows it accepts are loaded into a new network with each
// span's reference state, as "Подтвердить" does; what a user runs next on the first line is run
// too. A row the reader accepts either loads or is refused with a message, and a loaded network
// passes the soundness check of a network file.
#include "engine/CalcError.h"
#include "fuzz/FuzzTarget.h"
#include "model/Catalog.h"
#include "model/Network.h"
#include "model/NetworkCheck.h"
#include "setup/ImportLoad.h"
#include "setup/ImportSheet.h"
#include "tests/core/SyntheticLine.h"

using namespace qem;

namespace {

// The conductors the seeds name: АС 240/39, 120/19, 400/51 and the crews' example АС 240/32.
const WireCatalog& Conductors() {
    static const WireCatalog cat = [] {
        WireCatalog c;
        for (int k = 0; k < 3; ++k) {
            c.Wires[k + 1] = test::CatalogWire(k);
            c.WireBreak[k + 1] = test::CatalogBreak(k);
        }
        TyWire w = test::CatalogWire(0);
        w.SStN = 32, w.D = 2.16f, w.MSt = 251;
        c.Wires[4] = w;
        c.WireBreak[4] = 75050;
        c.NWires = 4;
        return c;
    }();
    return cat;
}

// The loaded lines pass the soundness check of a network file (field ranges, finite numbers).
void RequireSoundLines(const std::vector<TyLine>& lines) {
    const std::vector<std::string> problems = CheckLines(lines);
    if (!problems.empty()) fuzz::Fail("an imported network is not sound: " + problems.front());
}

}  // namespace

QEM_FUZZ_TARGET(rows) {
    const Bytes bytes(data, data + size);
    for (ImportPoints points : {ImportPoints::One, ImportPoints::Two})
        for (bool multi : {false, true}) {
            ImportTable table;
            try {
                table = ReadImportBytes(bytes, points, multi, Conductors());
            } catch (const ImportError&) {
                continue;
            }
            if (table.DataRows() == 0) continue;
            Network net;
            ImportChoice choice;
            choice.from = "A", choice.to = "B";
            try {
                LoadImportRows(net, table, choice, Conductors().Wires[1]);
            } catch (const ImportError&) {
                continue;
            } catch (const CalcError&) {
                continue;
            }
            if (net.NLines() == 0) fuzz::Fail("rows were read but no line was loaded");
            RequireSoundLines(net.Lines);
            const Norms& norms = fuzz::UsualNorms();
            TyLine first = net.Line(1);
            fuzz::PlainNames(first);
            fuzz::RunCalculations(first, fuzz::HostEnv(norms));
        }
}

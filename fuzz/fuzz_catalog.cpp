// The conductor catalog file: refused with a message, or taken into the catalog, its grid taken
// back unchanged, and its first conductor calculated in a span.
#include <cmath>

#include "fuzz/FuzzTarget.h"
#include "model/Catalog.h"

using namespace qem;

namespace {

bool AllFinite(const WireCatalog& c) {
    for (int k = 1; k <= c.NWires; ++k) {
        const TyWire& w = c.Wires[k];
        for (float v :
             {w.SAlN, w.SStN, w.D, w.DSt, w.R, w.MAl, w.MSt, w.TMax, c.WireBreak[k], c.WireSAl[k], c.WireSSt[k]})
            if (!std::isfinite(v)) return false;
    }
    return true;
}

}  // namespace

QEM_FUZZ_TARGET(catalog) {
    const Bytes bytes(data, data + size);
    WireCatalog cat;
    try {
        DecodeCatalog(bytes, cat, "glld.cat");
    } catch (const DataFileError&) {
        if (!(cat == WireCatalog())) fuzz::Fail("a refused file changed the catalog");
        return;
    }
    SortCatalog(cat);
    const Bytes image = EncodeCatalog(cat);
    WireCatalog again;
    DecodeCatalog(image, again, "glld.cat");
    if (EncodeCatalog(again) != image) fuzz::Fail("the catalog does not read back as written");
    ConductorList(cat);
    const TextGrid grid = FillConductorGrid(cat);
    if (AllFinite(cat)) {
        const WireCatalog back = CatalogFromGrid(grid, cat);
        for (int k = 1; k <= cat.NWires; ++k) {
            const TyWire &a = cat.Wires[k], &b = back.Wires[k];
            if (a.Name.str() != b.Name.str() || a.SAlN != b.SAlN || a.SStN != b.SStN || a.D != b.D || a.DSt != b.DSt ||
                a.R != b.R || a.MAl != b.MAl || a.MSt != b.MSt || a.TMax != b.TMax ||
                cat.WireBreak[k] != back.WireBreak[k] || cat.WireSAl[k] != back.WireSAl[k] ||
                cat.WireSSt[k] != back.WireSSt[k])
                fuzz::Fail("the conductor grid does not give back entry " + std::to_string(k));
        }
    }
    TyLine line = fuzz::HostLine();
    ChooseConductor(cat, 1, {&line.Spans[0]});
    fuzz::RunCalculations(line, fuzz::HostEnv(fuzz::UsualNorms()));
}

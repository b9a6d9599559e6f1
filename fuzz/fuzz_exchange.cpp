// The catalog exchange file glld_temp.txt: refused with a message, or a grid that the catalog
// window takes into the conductor catalog (or refuses, naming the cell), whose first conductor
// then serves a calculation.
#include "fuzz/FuzzTarget.h"
#include "model/Catalog.h"

using namespace qem;

QEM_FUZZ_TARGET(exchange) {
    const Bytes bytes(data, data + size);
    TextGrid grid;
    try {
        grid = DecodeGrid(bytes, "glld_temp.txt");
    } catch (const DataFileError&) {
        return;
    }
    WireCatalog cat;
    try {
        cat = CatalogFromGrid(grid, WireCatalog());
    } catch (const GridError&) {
        return;
    }
    WireCatalog again;
    DecodeCatalog(EncodeCatalog(cat), again, "glld.cat");
    TyLine line = fuzz::HostLine();
    ChooseConductor(cat, 1, {&line.Spans[0]});
    fuzz::RunCalculations(line, fuzz::HostEnv(fuzz::UsualNorms()));
}

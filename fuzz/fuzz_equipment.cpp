// The terminal equipment catalog: its whole records, written back as read, shown in the lists
// of the equipment window and rated in the component limits of a line.
#include "equipment/LineEquipment.h"
#include "fuzz/FuzzTarget.h"
#include "model/KOCat.h"
#include "model/Records.h"

using namespace qem;

QEM_FUZZ_TARGET(equipment) {
    const Bytes bytes(data, data + size);
    KOCat cat = DecodeKOCat(bytes);
    Bytes image;
    ByteWriter w(image);
    for (const TyKO& ko : cat) Encode(w, ko);
    if (image != Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(image.size())))
        fuzz::Fail("the catalog does not write back as read");
    SortKOCatByI(cat);
    const WireCatalog wires;
    TyLine line = fuzz::HostLine();
    for (int kind = 0; kind < 4; ++kind) {
        GroupItems(cat, wires, KindGroup(kind));
        const std::vector<int> of = KOKindIndexes(cat, kind);
        if (!of.empty()) KOSlot(line, kind, 1) = cat[static_cast<std::size_t>(of[0])];
    }
    if (!cat.empty()) KOSlot(line, 0, 2) = cat[0];
    for (int g = 0; g < kKOGroups; ++g) {
        GroupGrid(line, cat, wires, static_cast<KOGroup>(g));
        SlotItem(line, cat, wires, static_cast<KOGroup>(g), 1);
    }
    fuzz::RunCalculations(line, fuzz::HostEnv(fuzz::UsualNorms()));
}

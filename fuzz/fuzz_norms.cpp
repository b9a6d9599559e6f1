// A clearance norms file: refused with a message, or tables that are all usable numbers, which
// write back as read and serve a calculation.
#include "fuzz/FuzzTarget.h"
#include "model/NormsFile.h"

using namespace qem;

QEM_FUZZ_TARGET(norms) {
    const Bytes bytes(data, data + size);
    Norms norms;
    try {
        DecodeNorms(bytes, norms, "hdg7.cat");
    } catch (const DataFileError&) {
        return;
    }
    if (!NormsFault(norms).empty()) fuzz::Fail("accepted norms with " + NormsFault(norms));
    const Bytes image = EncodeNorms(norms);
    Norms again;
    DecodeNorms(image, again, "hdg7.cat");
    if (EncodeNorms(again) != image) fuzz::Fail("the norms do not read back as written");
    for (NormsPage page : {NormsPage::Ground, NormsPage::Cross, NormsPage::Obstacle})
        for (bool all : {false, true}) NormsGrid(norms, page, all);
    fuzz::RunCalculations(fuzz::HostLine(), fuzz::HostEnv(norms));
}

// The settings file qem.cfg: refused with a message, or its record written back as read and its
// long-term conductor temperature used in a calculation.
#include <algorithm>

#include "fuzz/FuzzTarget.h"
#include "model/Settings.h"

using namespace qem;

QEM_FUZZ_TARGET(settings) {
    const Bytes bytes(data, data + size);
    Settings s;
    try {
        s = DecodeSettings(bytes, "qem.cfg");
    } catch (const DataFileError&) {
        return;
    }
    const Bytes image = EncodeSettings(s);
    if (!std::equal(image.begin(), image.end(), bytes.begin())) fuzz::Fail("the settings do not write back as read");
    FieldText(s.NetFileName);
    FieldText(s.WireCatFile);
    fuzz::RunCalculations(fuzz::HostLine(), fuzz::HostEnv(fuzz::UsualNorms(), s.LongTermTemp));
}

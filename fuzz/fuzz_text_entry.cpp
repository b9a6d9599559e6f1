// The text of an edit field becoming a number: what is stored is a finite number read the way
// the C library reads it; what is refused leaves the field as it was with one message.
#include <clocale>
#include <cmath>
#include <cstdlib>

#include "fuzz/FuzzTarget.h"
#include "model/TextEntry.h"
#include "platform/ScriptedDialogs.h"

using namespace qem;

QEM_FUZZ_TARGET(text_entry) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    EntryText(text);
    double v = 0;
    if (ValReal(text, v) == 0) {
        if (std::isnan(v)) fuzz::Fail("ValReal read NaN");
        bool ascii = true;
        for (unsigned char c : text) ascii &= c > ' ' && c < 0x7F;
        if (ascii && std::isfinite(v) && v != std::strtod(text.c_str(), nullptr))
            fuzz::Fail("ValReal reads another number than strtod");
    }
    int n = 0;
    ValInt(text, n);
    for (int kind = 0; kind < 2; ++kind) {
        ScriptedDialogs dlg;
        float f = 12.5f;
        int i = 7;
        const bool stored = kind == 0 ? TextToSingle(text, f, dlg) : TextToInt(text, i, dlg);
        if (stored && !dlg.shown.empty()) fuzz::Fail("a message for a stored value");
        if (!stored && (dlg.shown.size() != 1 || f != 12.5f || i != 7)) fuzz::Fail("a refused text changed the field");
        if (!std::isfinite(f)) fuzz::Fail("a value that is not finite was stored");
    }
}

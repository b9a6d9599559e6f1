// The remembered line folder LODL.txt: refused with a message, or a folder, row and file name
// that write back as read.
#include "fuzz/FuzzTarget.h"
#include "model/Cp1251.h"
#include "model/Settings.h"

using namespace qem;

QEM_FUZZ_TARGET(folder_memory) {
    const Bytes bytes(data, data + size);
    FolderMemory folder;
    try {
        DecodeFolderMemory(bytes, "LODL.txt", folder);
    } catch (const DataFileError& e) {
        for (char c : TerminalText(e.what()))
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t')
                fuzz::Fail("a control character in print");
        return;
    }
    const std::string text = EncodeFolderMemory(folder);
    FolderMemory again;
    DecodeFolderMemory(Bytes(text.begin(), text.end()), "LODL.txt", again);
    if (!(again == folder)) fuzz::Fail("the remembered folder does not read back as written");
}

#include "equipment/KOCat.h"

#include "model/Records.h"
#include "platform/FileSystem.h"

namespace qem {

const char* const kKOKindText[4] = {"выключатель", "разъединитель", "заградитель", "трансформатор тока"};

void LoadKOCat(const std::filesystem::path& file, KOCat& cat) {
    auto image = ReadFileIfExists(file);
    if (!image)
        throw DataFileError("Не удалось открыть каталог концевого оборудования \"" + PathText(file) + "\"");
    KOCat read;
    const std::size_t n = image->size() / kKOSize;
    read.resize(n);
    ByteReader r(image->data(), n * kKOSize);
    for (auto& ko : read) Decode(r, ko);
    cat = std::move(read);
}

void SaveKOCat(const std::filesystem::path& file, const KOCat& cat) {
    Bytes out;
    out.reserve(cat.size() * kKOSize);
    ByteWriter w(out);
    for (const auto& ko : cat) Encode(w, ko);
    WriteFileAtomically(file, out);
}

int FindKO(const KOCat& cat, const TyKO& entry) {
    for (std::size_t i = 0; i < cat.size(); ++i)
        if (cat[i].Kind == entry.Kind && cat[i].FullName.sameText(entry.FullName)) return static_cast<int>(i);
    return -1;
}

}  // namespace qem

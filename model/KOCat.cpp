#include "model/KOCat.h"

#include "model/Records.h"
#include "platform/FileSystem.h"

namespace qem {

const char* const kKOKindText[4] = {"выключатель", "разъединитель", "заградитель", "трансформатор тока"};

KOCat DecodeKOCat(const Bytes& image) {
    KOCat read(image.size() / kKOSize);
    ByteReader r(image.data(), read.size() * kKOSize);
    for (auto& ko : read) Decode(r, ko);
    return read;
}

void LoadKOCat(const std::filesystem::path& file, KOCat& cat) {
    const std::string name = PathText(file);
    std::optional<Bytes> image;
    try {
        image = ReadFileIfExists(file, (kMaxKOEntries + 1) * kKOSize - 1);
    } catch (const FileTooLongError& e) {
        throw DataFileError("Каталог концевого оборудования \"" + name + "\" повреждён: его длина " +
                            std::to_string(e.length) + " байт — больше " + std::to_string(kMaxKOEntries) +
                            " записей. Каталог не загружен.");
    }
    if (!image) throw DataFileError("Не удалось открыть каталог концевого оборудования \"" + name + "\"");
    cat = DecodeKOCat(*image);
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

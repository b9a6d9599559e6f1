#include "model/NetworkFile.h"

#include <cstring>
#include <stdexcept>

#include "model/Records.h"

namespace qem {

namespace fs = std::filesystem;

// Step of the old layout that kept room for 2550 spans in every line.
static constexpr std::size_t kLegacyStep = 400885;

static std::string Damaged(const std::string& name, const std::string& what) {
    return "Файл " + Quoted(name) + " повреждён: " + what;
}

// The layout of a file of len bytes from its count and line heads alone; readInt(at) gives
// the 32-bit integer at offset at. Nothing is allocated in proportion to the stored counts.
template <class ReadInt>
static std::vector<LineImageRange> ScanLayout(std::uintmax_t len, ReadInt readInt, const std::string& name) {
    if (len < kCountSize)
        throw NetworkLayoutError(Damaged(name, "длина " + std::to_string(len) + " байт — нет даже числа линий"));
    const std::int32_t n = readInt(0);
    if (n < 0 || n > kMaxLines)
        throw NetworkLayoutError(
            Damaged(name, "число линий " + std::to_string(n) + " (допустимо 0.." + std::to_string(kMaxLines) + ")"));
    std::vector<LineImageRange> lines;
    lines.reserve(static_cast<std::size_t>(n));
    std::uintmax_t at = kCountSize;
    for (int k = 1; k <= n; ++k) {
        const std::uintmax_t left = len - at;
        if (left < LineImageSize(1))
            throw NetworkLayoutError(Damaged(name, "обрезан в линии " + std::to_string(k) + " (ожидалось не меньше " +
                                                       std::to_string(LineImageSize(1)) + " байт, осталось " +
                                                       std::to_string(left) + ")"));
        const std::int32_t ns = readInt(at + kLineHeadSize - 4);
        if (ns < 1 || ns > kMaxSpans)
            throw NetworkLayoutError(Damaged(name, "в линии " + std::to_string(k) + " число пролётов " +
                                                       std::to_string(ns) + " (допустимо 1.." +
                                                       std::to_string(kMaxSpans) + ")"));
        const std::size_t size = LineImageSize(static_cast<std::size_t>(ns));
        if (left < size)
            throw NetworkLayoutError(Damaged(name, "обрезан в линии " + std::to_string(k) + " (ожидалось " +
                                                       std::to_string(size) + " байт, осталось " +
                                                       std::to_string(left) + ")"));
        lines.push_back({static_cast<std::size_t>(at), size, ns});
        at += size;
    }
    if (at != len)
        throw NetworkLayoutError(Damaged(name, "после последней линии лишние " + std::to_string(len - at) + " байт"));
    return lines;
}

// ScanLayout, and for a file that fits no consistent layout but has the length of the old one,
// the message that names it so.
template <class ReadInt>
static std::vector<LineImageRange> ScanLayoutOrLegacy(std::uintmax_t len, ReadInt readInt, const std::string& name) {
    try {
        return ScanLayout(len, readInt, name);
    } catch (const NetworkLayoutError&) {
        // Files of an old layout left room for 2550 spans in every line; their length less the
        // count is a multiple of 400885. That description fits no consistent layout, so such a
        // file is not guessed at but named for what it seems to be.
        if (len > kCountSize && (len - kCountSize) % kLegacyStep == 0)
            throw NetworkLayoutError("Файл " + Quoted(name) +
                                     " не читается: похоже, это файл старого формата (с местом под 2550 пролётов "
                                     "в каждой линии), который не поддерживается");
        throw;
    }
}

std::vector<LineImageRange> ScanNetworkLayout(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    auto readInt = [&](std::uintmax_t at) {
        std::int32_t v;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    return ScanLayoutOrLegacy(bytes.size(), readInt, name);
}

std::vector<std::uint8_t> ReadNetworkImage(const std::string& path) {
    FileReader f(path);
    auto readInt = [&](std::uintmax_t at) {
        std::int32_t v;
        f.Read(at, &v, 4);
        return v;
    };
    ScanLayoutOrLegacy(f.size(), readInt, path);
    return f.Start(f.size());
}

std::vector<TyLine> DecodeNetwork(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    const std::vector<LineImageRange> ranges = ScanNetworkLayout(bytes, name);
    std::vector<TyLine> lines(ranges.size());
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        ByteReader r(bytes.data() + ranges[i].offset, ranges[i].size);
        TyLine& line = lines[i];
        DecodeLineHead(r, line);
        line.Spans.resize(static_cast<std::size_t>(ranges[i].nspans));
        for (TySpan& s : line.Spans) Decode(r, s);
        DecodeLineTail(r, line);
    }
    return lines;
}

// Why the lines cannot be stored, or empty.
static std::string LimitFault(const std::vector<TyLine>& lines) {
    if (lines.size() > static_cast<std::size_t>(kMaxLines))
        return "в сети " + std::to_string(lines.size()) + " линий (допустимо не больше " + std::to_string(kMaxLines) +
               ")";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int ns = lines[i].NSpans();
        if (ns < 1 || ns > kMaxSpans)
            return "в линии " + std::to_string(i + 1) + " " + std::to_string(ns) + " пролётов (допустимо 1.." +
                   std::to_string(kMaxSpans) + ")";
    }
    return {};
}

std::vector<std::uint8_t> EncodeNetwork(const std::vector<TyLine>& lines) {
    const std::string fault = LimitFault(lines);
    if (!fault.empty()) throw std::invalid_argument(fault);
    std::size_t size = kCountSize;
    for (const TyLine& l : lines) size += LineImageSize(static_cast<std::size_t>(l.NSpans()));
    std::vector<std::uint8_t> out(kCountSize);
    const std::int32_t n = static_cast<std::int32_t>(lines.size());
    std::memcpy(out.data(), &n, kCountSize);
    out.reserve(size);
    ByteWriter w(out);
    for (const TyLine& l : lines) Encode(w, l);
    return out;
}

std::vector<TyLine> ReadNetwork(const std::string& path) { return DecodeNetwork(ReadNetworkImage(path), path); }

void ReadNetwork(Network& net) {
    std::vector<TyLine> lines = ReadNetwork(net.NetFileName);
    net.Lines.swap(lines);
}

void WriteNetwork(const std::string& path, const std::vector<TyLine>& lines) {
    const std::string fault = LimitFault(lines);
    if (!fault.empty()) throw FileError("Сеть не записана в файл " + Quoted(path) + ": " + fault);
    WriteFileAtomically(path, EncodeNetwork(lines));
}

void WriteNetwork(const Network& net) { WriteNetwork(net.NetFileName, net.Lines); }

std::vector<std::string> ScanFolder(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(PathFromUtf8(folder), ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = PathToUtf8(it->path().filename());
        std::error_code fec;
        if (HasExtensionIgnoringCase(name, kNetworkExt) && it->is_regular_file(fec)) names.push_back(name);
    }
    return names;
}

MergeResult MergeFolder(const std::string& folder) {
    MergeResult result;
    std::error_code ec;
    const fs::path dir = PathFromUtf8(folder);
    if (!fs::is_directory(dir, ec)) return result;

    struct Source {
        std::vector<std::uint8_t> bytes;
        std::vector<LineImageRange> lines;
    };
    std::vector<Source> sources;
    for (const std::string& name : ScanFolder(folder)) {
        if (SameNameIgnoringCase(name, kMergeFileName)) continue;
        const std::string path = PathToUtf8(dir / PathFromUtf8(name));
        try {
            Source s;
            s.bytes = ReadNetworkImage(path);
            s.lines = ScanNetworkLayout(s.bytes, path);
            result.total += static_cast<int>(s.lines.size());
            result.merged.push_back(name);
            sources.push_back(std::move(s));
        } catch (const FileError& e) {
            result.problems.push_back(std::string(e.what()) + " — файл не включён в " + kMergeFileName);
        }
    }
    const std::string target = PathToUtf8(dir / kMergeFileName);
    if (result.total > kMaxLines) {
        result.problems.push_back("Вместе в файлах " + std::to_string(result.total) + " линий — больше " +
                                  std::to_string(kMaxLines) + "; файл " + Quoted(target) + " не записан");
        return result;
    }
    AtomicFile out(target);
    const std::int32_t total = result.total;
    out.Write(&total, sizeof total);
    for (const Source& s : sources)
        for (const LineImageRange& r : s.lines) out.Write(s.bytes.data() + r.offset, r.size);
    out.Commit();
    result.written = true;
    return result;
}

}  // namespace qem

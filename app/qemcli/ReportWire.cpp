#include "app/qemcli/ReportWire.h"

#include <limits>

namespace qem::cli {
namespace {

constexpr std::size_t kMaxText = 1 << 20;      // one text, bytes
constexpr std::size_t kMaxLines = 10'000'000;  // lines of a report

void PutText(std::string& out, const std::string& text) {
    out += std::to_string(text.size());
    out += '\n';
    out += text;
    out += '\n';
}

bool GetText(std::istream& in, std::string& text) {
    std::size_t n = 0;
    if (!(in >> n) || n > kMaxText || in.get() != '\n') return false;
    text.assign(n, '\0');
    if (n > 0 && !in.read(text.data(), static_cast<std::streamsize>(n))) return false;
    return in.get() == '\n';
}

}  // namespace

std::string EncodeReport(const WireHeading& h, const Report& r) {
    std::string out = "QEMPDF 1\n";
    PutText(out, h.title);
    PutText(out, h.subject);
    out += std::to_string(h.tableHeadFirst) + " " + std::to_string(h.tableHeadCount) + "\n";
    out += std::to_string(r.lines.size()) + "\n";
    for (const ReportLine& l : r.lines) {
        out += l.colour == Colour::Red ? 'R' : l.colour == Colour::Blue ? 'B' : 'K';
        out += ' ';
        PutText(out, l.text);
    }
    return out;
}

std::optional<WireRequest> DecodeReport(std::istream& in) {
    std::string magic, version;
    if (!(in >> magic >> version) || magic != "QEMPDF" || version != "1" || in.get() != '\n') return std::nullopt;
    WireRequest req;
    if (!GetText(in, req.heading.title) || !GetText(in, req.heading.subject)) return std::nullopt;
    std::size_t count = 0;
    if (!(in >> req.heading.tableHeadFirst >> req.heading.tableHeadCount >> count) || count > kMaxLines ||
        in.get() != '\n')
        return std::nullopt;
    for (std::size_t i = 0; i < count; ++i) {
        char c = 0;
        if (!in.get(c) || in.get() != ' ') return std::nullopt;
        ReportLine l;
        if (c == 'R')
            l.colour = Colour::Red;
        else if (c == 'B')
            l.colour = Colour::Blue;
        else if (c != 'K')
            return std::nullopt;
        if (!GetText(in, l.text)) return std::nullopt;
        req.report.lines.push_back(std::move(l));
    }
    return req;
}

}  // namespace qem::cli

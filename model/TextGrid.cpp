#include "model/TextGrid.h"

#include <charconv>
#include <cmath>

#include "model/Cp1251.h"

namespace qem {

std::string FormatFixed(double v, int width, int precision) {
    char buf[512];
    std::string s;
    if (std::isnan(v)) {
        s = "NAN";
    } else if (std::isinf(v)) {
        s = v > 0 ? "INF" : "-INF";
    } else {
        auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, precision);
        s = ec == std::errc() ? std::string(buf, p) : std::string("?");
    }
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
    return s;
}

std::string ShortestSingle(float v) {
    char buf[64];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, p);
}

std::string PadLeftUtf8(const std::string& utf8, int width) {
    std::size_t n = Utf8Length(utf8);
    if (static_cast<int>(n) >= width) return utf8;
    return std::string(static_cast<std::size_t>(width) - n, ' ') + utf8;
}

bool ParseReal(const std::string& text, double& value) {
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
    if (b == e) return false;
    std::string s = text.substr(b, e - b);
    for (char& c : s)
        if (c == ',') c = '.';
    const char* first = s.data();
    if (*first == '+') ++first;
    double x = 0;
    auto [p, ec] = std::from_chars(first, s.data() + s.size(), x);
    if (ec != std::errc() || p != s.data() + s.size() || !std::isfinite(x)) return false;
    value = x;
    return true;
}

}  // namespace qem

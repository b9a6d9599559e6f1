#include "model/Format.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "model/Cp1251.h"

namespace qem {

std::string FixedText(double v, int prec) {
    if (!std::isfinite(v)) return std::isnan(v) ? "NAN" : (v > 0 ? "INF" : "-INF");
    double scale = std::pow(10.0, prec);
    double scaled = v * scale;
    // An exact half (representable ties such as 2.5 or 0.125) goes away from zero.
    if (std::fabs(scaled) < 4503599627370496.0 && std::fabs(scaled - std::trunc(scaled)) == 0.5)
        v = (std::trunc(scaled) + (v < 0 ? -1 : 1)) / scale;
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", prec, v);
    return buf;
}

static std::string Pad(const std::string& s, int width, bool left) {
    std::size_t n = Utf8Length(s);
    if (width <= 0 || n >= static_cast<std::size_t>(width)) return s;
    std::string pad(static_cast<std::size_t>(width) - n, ' ');
    return left ? s + pad : pad + s;
}

std::string FormatV(const char* fmt, const std::vector<FormatArg>& args) {
    std::string out;
    std::size_t next = 0;
    for (const char* p = fmt; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        ++p;
        if (*p == '%') {
            out += '%';
            continue;
        }
        bool left = false;
        if (*p == '-') left = true, ++p;
        int width = 0, prec = -1;
        while (*p >= '0' && *p <= '9') width = width * 10 + (*p++ - '0');
        if (*p == '.') {
            ++p;
            prec = 0;
            while (*p >= '0' && *p <= '9') prec = prec * 10 + (*p++ - '0');
        }
        if (next >= args.size()) throw std::invalid_argument(std::string("too few arguments for format ") + fmt);
        const FormatArg& a = args[next++];
        std::string text;
        switch (*p) {
            case 's':
                if (auto s = std::get_if<std::string>(&a))
                    text = prec >= 0 ? Utf8Left(*s, prec) : *s;
                else
                    throw std::invalid_argument("%s needs a text");
                break;
            case 'd':
            case 'u':
                if (auto i = std::get_if<long long>(&a))
                    text = std::to_string(*i);
                else
                    throw std::invalid_argument("%d needs an integer");
                break;
            case 'f': {
                double v;
                if (auto d = std::get_if<double>(&a))
                    v = *d;
                else if (auto i = std::get_if<long long>(&a))
                    v = static_cast<double>(*i);
                else
                    throw std::invalid_argument("%f needs a number");
                text = FixedText(v, prec < 0 ? 6 : prec);
                break;
            }
            default: throw std::invalid_argument(std::string("unsupported format ") + fmt);
        }
        out += Pad(text, width, left);
    }
    return out;
}

}  // namespace qem

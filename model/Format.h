#pragma once
// Report formatting with the conversions the reports use: %s (UTF-8, widths in characters),
// %d and %u (integers), %f (fixed, halves rounded away from zero). Flags '-' and widths and
// precisions as in printf.
#include <string>
#include <variant>
#include <vector>

namespace qem {

using FormatArg = std::variant<long long, double, std::string>;

std::string FormatV(const char* fmt, const std::vector<FormatArg>& args);

inline FormatArg ToFormatArg(int v) { return static_cast<long long>(v); }
inline FormatArg ToFormatArg(long v) { return static_cast<long long>(v); }
inline FormatArg ToFormatArg(long long v) { return v; }
inline FormatArg ToFormatArg(unsigned v) { return static_cast<long long>(v); }
inline FormatArg ToFormatArg(double v) { return v; }
inline FormatArg ToFormatArg(float v) { return static_cast<double>(v); }
inline FormatArg ToFormatArg(const char* v) { return std::string(v); }
inline FormatArg ToFormatArg(const std::string& v) { return v; }

// Format("%6.2f|%5s", x, s)
template <class... A>
std::string Format(const char* fmt, const A&... a) {
    return FormatV(fmt, {ToFormatArg(a)...});
}

// Fixed notation with `prec` decimals, halves rounded away from zero.
std::string FixedText(double v, int prec);

}  // namespace qem

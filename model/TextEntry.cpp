#include "model/TextEntry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

namespace qem {
namespace {

// The characters of a UTF-8 text; only ASCII characters matter to the readers, any other
// character (one or more bytes) counts as one position and is never readable.
std::vector<std::string> Chars(const std::string& s) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        std::size_t j = i + 1;
        while (j < s.size() && j < i + n && (static_cast<unsigned char>(s[j]) & 0xC0) == 0x80) ++j;
        out.push_back(s.substr(i, j - i));
        i = j;
    }
    return out;
}

std::string Join(const std::vector<std::string>& c) {
    std::string s;
    for (const auto& x : c) s += x;
    return s;
}

bool IsDigit(const std::string& c) { return c.size() == 1 && c[0] >= '0' && c[0] <= '9'; }
bool Is(const std::string& c, char x) { return c.size() == 1 && c[0] == x; }
bool IsBlank(const std::string& c) { return c.size() == 1 && static_cast<unsigned char>(c[0]) <= ' '; }

// Scans a real number over the characters; returns 0 or the failing position.
int ScanReal(const std::vector<std::string>& c) {
    const int n = static_cast<int>(c.size());
    int i = 0;
    if (i < n && (Is(c[i], '+') || Is(c[i], '-'))) ++i;
    int digits = 0;
    while (i < n && IsDigit(c[i])) ++i, ++digits;
    if (i < n && Is(c[i], '.')) {
        ++i;
        while (i < n && IsDigit(c[i])) ++i, ++digits;
    }
    if (digits == 0) return i + 1;
    if (i < n && (Is(c[i], 'e') || Is(c[i], 'E'))) {
        ++i;
        if (i < n && (Is(c[i], '+') || Is(c[i], '-'))) ++i;
        int exp = 0;
        while (i < n && IsDigit(c[i])) ++i, ++exp;
        if (exp == 0) return i + 1;
    }
    return i < n ? i + 1 : 0;
}

// Decimal exponent of the leading significant digit of an unsigned number text that the
// scan accepted (digits, point, fraction, exponent); used only to tell overflow from
// underflow.
long DecimalMagnitude(std::string_view t) {
    std::size_t i = 0;
    long intDigits = 0, lead = 0;
    bool found = false;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++intDigits)
        if (!found && t[i] != '0') found = true, lead = intDigits;
    long magnitude = found ? intDigits - lead - 1 : 0;
    if (i < t.size() && t[i] == '.') {
        ++i;
        for (long j = 0; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++j)
            if (!found && t[i] != '0') found = true, magnitude = -(j + 1);
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        const bool neg = i < t.size() && t[i] == '-';
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        long e = 0;
        for (; i < t.size(); ++i) e = std::min(e * 10 + (t[i] - '0'), 1000000L);
        magnitude += neg ? -e : e;
    }
    return magnitude;
}

}  // namespace

std::string EntryText(const std::string& utf8) {
    std::vector<std::string> c = Chars(utf8);
    std::size_t b = 0, e = c.size();
    while (b < e && IsBlank(c[b])) ++b;
    while (e > b && IsBlank(c[e - 1])) --e;
    if (e - b > static_cast<std::size_t>(kEntryMaxChars)) e = b + kEntryMaxChars;
    return Join(std::vector<std::string>(c.begin() + static_cast<std::ptrdiff_t>(b),
                                         c.begin() + static_cast<std::ptrdiff_t>(e)));
}

int ValReal(const std::string& utf8, double& value) {
    const int pos = ScanReal(Chars(utf8));
    if (pos != 0) return pos;
    // The text is plain ASCII here: sign, digits, point, exponent. Read without regard to
    // the locale of the process.
    std::string_view t = utf8;
    const bool negative = !t.empty() && t[0] == '-';
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) t.remove_prefix(1);
    double v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec == std::errc::result_out_of_range)
        v = DecimalMagnitude(t) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    else if (ec != std::errc() || end != t.data() + t.size())
        return 1;  // not reached: the scan above accepts only what from_chars reads
    value = negative ? -v : v;
    return 0;
}

int ValInt(const std::string& utf8, int& value) {
    const std::vector<std::string> c = Chars(utf8);
    const int n = static_cast<int>(c.size());
    int i = 0;
    bool negative = false;
    if (i < n && (Is(c[i], '+') || Is(c[i], '-'))) negative = Is(c[i++], '-');
    if (i >= n) return i + 1;
    std::int64_t v = 0;
    const std::int64_t limit =
        negative ? -static_cast<std::int64_t>(std::numeric_limits<int>::min()) : std::numeric_limits<int>::max();
    for (; i < n; ++i) {
        if (!IsDigit(c[i])) return i + 1;
        v = v * 10 + (c[i][0] - '0');
        if (v > limit) return i + 1;
    }
    value = static_cast<int>(negative ? -v : v);
    return 0;
}

static void ShowEntryError(int pos, Dialogs& dialogs) {
    dialogs.Ask(std::string(kMsgEntryError) + std::to_string(pos), Buttons::Ok, "", Icon::Error);
}

bool TextToSingle(const std::string& text, float& field, Dialogs& dialogs) {
    std::string t = EntryText(text);
    if (t.empty() || t == "-") {
        field = 0;
        return true;
    }
    double v = 0;
    int pos = ValReal(t, v);
    // A failing '.' is tried as ',' and then a failing ',' as '.', so that both work as
    // decimal separator. The separators are ASCII, so positions past them map to bytes by
    // way of the character list.
    auto replaceAt = [&](int p, char from, char to) {
        std::vector<std::string> c = Chars(t);
        if (p < 1 || p > static_cast<int>(c.size()) || !Is(c[p - 1], from)) return false;
        c[p - 1] = std::string(1, to);
        t = Join(c);
        return true;
    };
    if (pos != 0 && replaceAt(pos, '.', ',')) pos = ValReal(t, v);
    if (pos != 0 && replaceAt(pos, ',', '.')) pos = ValReal(t, v);
    if (pos == 0 && std::fabs(v) > std::numeric_limits<float>::max()) pos = static_cast<int>(Chars(t).size()) + 1;
    if (pos != 0) {
        ShowEntryError(pos, dialogs);
        return false;
    }
    field = static_cast<float>(v);
    return true;
}

bool TextToInt(const std::string& text, int& field, Dialogs& dialogs) {
    const std::string t = EntryText(text);
    if (t.empty() || t == "-") {
        field = 0;
        return true;
    }
    int v = 0;
    const int pos = ValInt(t, v);
    if (pos != 0) {
        ShowEntryError(pos, dialogs);
        return false;
    }
    field = v;
    return true;
}

}  // namespace qem

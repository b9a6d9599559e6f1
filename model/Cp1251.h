#pragma once
// Windows-1251 <-> UTF-8. Records keep their text as Windows-1251 bytes; the user
// interface, messages and JSON speak UTF-8.
#include <string>
#include <string_view>

namespace qem {

std::string Cp1251ToUtf8(std::string_view cp1251);
// Characters that Windows-1251 cannot hold become '?'.
std::string Utf8ToCp1251(std::string_view utf8);
// Number of characters (code points) of a UTF-8 text: report widths count these.
std::size_t Utf8Length(std::string_view utf8);
// The first n characters of a UTF-8 text.
std::string Utf8Left(std::string_view utf8, std::size_t n);

// The UTF-8 character at s[i]: its code point and length 1..4; length 0 when the bytes there
// are not valid UTF-8 (a stray byte, an overlong form, a surrogate), -1 when s ends inside a
// character that is valid so far.
struct Utf8Char {
    char32_t code = 0;
    int length = 0;
};
Utf8Char DecodeUtf8Char(std::string_view s, std::size_t i);

// The text as it may go to a terminal: control characters other than the line break and the
// tab (C0, DEL, C1) and bytes that are not valid UTF-8 become '?', so that text from files
// cannot move the cursor, recolour the screen or otherwise steer the terminal.
std::string TerminalText(std::string_view utf8);

}  // namespace qem

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

}  // namespace qem

#pragma once
// The one way the text of an edit box becomes a number field. Texts are UTF-8; positions
// count characters from 1 in the trimmed text.
#include <string>

#include "platform/Dialogs.h"

namespace qem {

// Text of the entry error; the position follows it.
inline constexpr const char* kMsgEntryError = " Ошибка в позиции ";
// Characters of an entry that are read at most.
inline constexpr int kEntryMaxChars = 60;

// Blanks (and control characters) cut at both ends, then at most the first 60 characters.
std::string EntryText(const std::string& utf8);

// Reads a whole text as a decimal real number: optional sign, digits, '.' and fraction,
// exponent (e or E, optional sign, digits). Returns 0 and sets value on success, otherwise
// the position (from 1) of the first character that cannot be read; a text that ends too
// early fails at its length + 1.
int ValReal(const std::string& utf8, double& value);
// The same for a decimal integer (optional sign, digits) that fits 32 bits; a value beyond
// that fails at the digit that makes it too large.
int ValInt(const std::string& utf8, int& value);

// Stores the text into a Single field: empty text or "-" alone store 0 silently; '.' and ','
// both work as decimal separator. When the text cannot be read, the dialog " Ошибка в
// позиции " + position is shown with an OK button and the field keeps its previous value;
// a number beyond the range of a Single counts as unreadable at the position after the
// text. Returns true when the field was stored.
bool TextToSingle(const std::string& text, float& field, Dialogs& dialogs);
// The same for an Integer field; no separator replacement.
bool TextToInt(const std::string& text, int& field, Dialogs& dialogs);

}  // namespace qem

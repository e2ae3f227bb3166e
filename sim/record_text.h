// Small text helpers shared by the unit's records and its request parser.
#pragma once

#include <string>
#include <vector>

namespace sim {

// Every piece between separators: "a;b;" gives "a", "b" and "".
std::vector<std::string> SplitText(const std::string& text, char separator);
// A plain decimal number: digits only, no sign or blank, at most 6 digits.
bool ParseDecimal(const std::string& text, int& value);
// True when every byte is printable (no control byte, no 0x7F) and the length is within `limit`.
bool IsPrintableText(const std::string& text, size_t limit);
// The bytes as a readable line: printable ASCII as is, the rest as "\r", "\n" or "\xNN".
std::string EscapeBytes(const std::string& bytes);

}  // namespace sim

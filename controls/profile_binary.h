// Binary values in the settings file, and the column-width record the sortable list reads from the
// [ListCtrls] section.
//
// A binary value is written as two letters per byte, low half first, each half as 'A' + its value
// ('A' .. 'P'): the bytes 0x03 0x00 become "DAAA". This is how the Windows console stored binary
// profile values in its ini file, so a [ListCtrls] line written there reads the same here.
//
// The width record is a 32-bit column count followed by one 32-bit width in pixels per column,
// all little-endian. For the phone book's three columns 30, 120 and 110 pixels the line is
//   1040=DAAAAAAAOBAAAAAAIHAAAAAAOGAAAAAA
// No Qt here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace profilebinary {

std::string Encode(const std::vector<uint8_t>& bytes);
// The bytes of `text`, or nothing when it is not such a value (odd length, other characters).
std::optional<std::vector<uint8_t>> Decode(const std::string& text);

// The width record of `widths`, and back. Reading gives nothing when the record is cut short,
// carries bytes beyond its widths, or holds a negative width.
std::vector<uint8_t> StoreWidths(const std::vector<int>& widths);
std::optional<std::vector<int>> LoadWidths(const std::vector<uint8_t>& record);

}  // namespace profilebinary

// Where the Reporting Set Up page places its edits and links, in page pixels. The page creates its
// controls at these places and the background picture 175 draws its cells around them, so both
// read from here.
#pragma once

#include <array>

namespace reportinglayout {

struct Span {
    int left;
    int right;
};

constexpr int kRowHeight = 20;

// The System Name edit.
constexpr Span kSystemName = {212, 709};
constexpr int kSystemNameTop = 24;
// E-mail recipients #1..#3: address and description.
constexpr std::array<int, 3> kEmailRows = {150, 177, 204};
constexpr Span kEmailAddress = {53, 251};
constexpr Span kEmailDescription = {255, 423};
// SMTP server, user name, password and sender address.
constexpr std::array<int, 4> kServerRows = {123, 150, 177, 204};
constexpr Span kServerValue = {552, 710};
// Pagers #1..#3: description and service phone on the block's first line, the script on the line
// below with the "Style" link to its left.
constexpr std::array<int, 3> kPagerBlocks = {271, 325, 379};
constexpr Span kPagerDescription = {255, 423};
constexpr Span kServicePhone = {552, 710};
constexpr int kScriptOffset = 27;
constexpr Span kScript = {255, 707};
constexpr int kStyleOffset = 29;
constexpr Span kStyle = {45, 100};

}  // namespace reportinglayout

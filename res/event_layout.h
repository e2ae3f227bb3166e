// Where the Event page places its heads, cells, paging buttons and page label, in page pixels. The
// page creates its controls at these places and the background picture 174 draws its grid around
// them, so both read from here.
#pragma once

#include <array>

namespace eventlayout {

struct Span {
    int left;
    int right;
};

// The grid: five columns (dryer, event, description, date, time), eighteen rows.
constexpr std::array<Span, 5> kColumns = {
    {{55, 115}, {118, 228}, {231, 511}, {514, 594}, {597, 677}}};
constexpr int kFirstRowTop = 45;
constexpr int kRowPitch = 23;
constexpr int kRowHeight = 20;
constexpr int kRows = 18;

// The sortable heads over columns 1, 2, 4 and 5 (column 3 has none).
constexpr int kHeadTop = 19;
constexpr int kHeadBottom = 39;
constexpr Span kDryerHead = {54, 114};
constexpr Span kEventHead = {117, 227};
constexpr Span kDateHead = {513, 593};
constexpr Span kTimeHead = {596, 676};

// The paging buttons First, Prev, Next and Last Page, and the page label beside them.
constexpr std::array<Span, 4> kPagingButtons = {{{163, 245}, {263, 345}, {363, 445}, {463, 545}}};
constexpr int kPagingTop = 470;
constexpr int kPagingBottom = 500;
constexpr Span kPageLabel = {560, 620};
constexpr int kPageLabelTop = 483;
constexpr int kPageLabelBottom = 503;

}  // namespace eventlayout

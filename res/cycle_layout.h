// Where the Cycle Set Up page places its dryer rows, in page pixels. The page creates its
// controls at these places and the background picture 221 draws its table around them, so both
// read from here. (The settings on the right stand where the page's dialog template puts them.)
#pragma once

namespace cyclelayout {

struct Span {
    int left;
    int right;
};

// Dryer row k (dryers 1..8): the status box from kStatusTop + k * kRowPitch, the model edit
// from kModelTop + k * kRowPitch.
constexpr int kRowPitch = 40;
constexpr Span kStatus = {137, 247};
constexpr int kStatusTop = 77;
constexpr Span kModel = {290, 390};
constexpr int kModelTop = 80;
constexpr int kModelHeight = 20;
// The closed height of every drop-down list on the page.
constexpr int kComboHeight = 24;

// The weekday toggles Monday..Friday (and the strip under them) over the Set Cycle Mode line.
constexpr int kDayEdges[6] = {542, 566, 587, 609, 630, 652};
constexpr int kDayTop = 158;
constexpr int kDayBottom = 178;

}  // namespace cyclelayout

// Where the Status page places its values, in page pixels (left, top, right, bottom). The page
// creates its controls at these places and the background picture 172 draws its cells around
// them, so both read from here.
#pragma once

#include <array>

namespace statuslayout {

constexpr int kPictureWidth = 726;
constexpr int kPictureHeight = 512;

// Top of dryer row k (dryers 1..8).
constexpr std::array<int, 8> kRowTop = {78, 112, 146, 180, 215, 250, 285, 320};
constexpr int kTextHeight = 20;
constexpr int kLampSize = 15;

struct Span {
    int left;
    int right;
};
// The value columns of the dryer table.
constexpr Span kDryer = {55, 100};
constexpr Span kOnline = {126, 141};
constexpr Span kStandby = {185, 200};
constexpr Span kAlarm = {245, 260};
constexpr Span kReset = {292, 337};
constexpr Span kAlarmTime = {350, 460};
constexpr Span kStatus = {464, 544};
constexpr Span kModel = {548, 668};

// The lower table: three rows, a value on the left and one on the right.
constexpr std::array<int, 3> kLowerTop = {388, 422, 456};
constexpr Span kLowerLeft = {168, 283};
constexpr Span kLowerRight = {553, 673};

// The weekday strip over the Cycle Mode value.
constexpr int kStripLeft = 168;
constexpr int kStripTop = 387;
constexpr int kStripBottom = 407;
constexpr std::array<int, 6> kStripEdges = {168, 192, 213, 235, 256, 278};

}  // namespace statuslayout

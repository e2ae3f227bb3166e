// The Event page's sort heads, on top of the page 61 lines.
#pragma once

#include <array>
#include <cstdint>

#include "protocol/event_lines.h"

// Head ids and the sort keys the unit knows: 1 event, 2 dryer, 3 date and time.
constexpr int kHeadEvent = 40001;
constexpr int kHeadDryer = 40002;
constexpr int kHeadDate = 40003;
constexpr int kHeadTime = 40004;
constexpr int kFirstHead = kHeadEvent;
constexpr int kHeadCount = 4;

// Paging buttons and the navigation step each sends.
constexpr int kFirstPageButton = 30001;  // step 1 first, 2 previous, 3 next, 4 last

// The sort key and direction the page asks for, and the pictures of the four heads.
class EventSortHeads {
public:
    // The key a head stands for (the Time head acts as the Date head).
    static int KeyOfHead(int headId);

    // The pictures of an activation: Date (and Time) with the down arrow, the others plain. The
    // sort key and direction stay as they are.
    void ShowDefaults();
    // A click on a head: a second click on the current key flips the direction, another key is
    // selected with direction 1.
    void Click(int headId);

    uint8_t m_nSortKey = 3;
    int m_nSortDir = 0;
    // Bitmap id of head 40001..40004; 0 until the first activation.
    int Bitmap(int headId) const { return m_bitmaps.at(headId - kFirstHead); }

private:
    void SetKeyBitmap(int key, int variant);
    std::array<int, kHeadCount> m_bitmaps{};
};

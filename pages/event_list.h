// The event list of unit page 61, without widgets: the request texts, one screen page of the
// reply, and the sort heads' state.
//
// A reply, once its "\r\nEOT" is dropped, is lines separated by "\r\n": line 0 is
// "current page,number of pages", every further line one event
// "dryer,event,description,date,time".
#pragma once

#include <array>
#include <cstdint>
#include <string>

constexpr int kEventRows = 18;
constexpr int kEventColumns = 5;

// Head ids and the sort keys the unit knows: 1 event, 2 dryer, 3 date and time.
constexpr int kHeadEvent = 40001;
constexpr int kHeadDryer = 40002;
constexpr int kHeadDate = 40003;
constexpr int kHeadTime = 40004;
constexpr int kFirstHead = kHeadEvent;
constexpr int kHeadCount = 4;

// Paging buttons and the navigation step each sends.
constexpr int kFirstPageButton = 30001;  // step 1 first, 2 previous, 3 next, 4 last

struct EventScreen {
    std::string label;  // "3 of 12"
    std::array<std::array<std::string, kEventColumns>, kEventRows> rows;
};

// "/61.htm?val=0-0\r" when a is 0; "/61.htm?val=0-" a "\r" when b is -1 (a navigation step);
// otherwise "/61.htm?val=" a "-" b "\r" (a sort key and direction).
std::string BuildEventRequest(int a, int b);

// One screen page from a reply ("\r\nEOT" dropped). Rows past the reply's events are empty; events
// past the eighteenth are dropped.
EventScreen ParseEventReply(const std::string& text);

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

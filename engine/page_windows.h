// Where the receive side hands page replies: the page window for each exchange state 3 to 6
// (3 Status, 4 Cycle Set Up, 5 Reporting Set Up, 6 Event). The page host registers its pages on
// the UI thread; the receive side reads the registration from any thread.
#pragma once

#include <cstdint>
#include <string>

// The reply cell: lParam of WM_PAGE_REPLY. It belongs to the sender; the page copies the text
// during the message.
struct ReplyCell {
    std::string text;
};

void SetPageWindow(int exchangeStatus, uint64_t targetId);  // 0 unregisters
uint64_t PageWindow(int exchangeStatus);                     // 0 when none

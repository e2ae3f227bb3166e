// The event list of unit page 61: the request texts and one screen page of the reply.
//
// A reply, once its "\r\nEOT" is dropped, is lines separated by "\r\n": line 0 is
// "current page,number of pages", every further line one event
// "dryer,event,description,date,time".
#pragma once

#include <array>
#include <string>

constexpr int kEventRows = 18;
constexpr int kEventColumns = 5;

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

// The unit's events as the history keeps them, read from a page 61 reply in full: every event line
// of the screen page (not only the eighteen the Event page shows), and the description whole even
// when it holds commas (the unit writes "dryer,event,description,date,time" without quoting, so
// the first two and the last two fields are fixed and the description is what lies between).
#pragma once

#include <string>
#include <vector>

namespace history {

struct UnitEventRecord {
    std::string dryer;  // "1".."8", "-" for the unit itself
    std::string event;
    std::string description;
    std::string date;  // as the unit writes it, "YYYY-MM-DD"
    std::string time;  // "HH:MM:SS"

    bool operator==(const UnitEventRecord&) const = default;
};

struct EventPage {
    int page = 0;   // the current page, 0 when the header is not a number
    int pages = 0;  // the number of pages, 0 when not a number
    std::vector<UnitEventRecord> events;
};

// One event line; an empty line gives nothing.
bool ParseEventLine(const std::string& line, UnitEventRecord& record);
// A reply without its "\r\nEOT".
EventPage ParseEventPage(const std::string& text);

}  // namespace history

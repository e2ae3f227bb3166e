// The reading of a "/60" reply: three lamp masks, the details of eight dryers, the
// cycle mode and five cycle values, in ";"-separated fields (missing fields are empty).
#pragma once

#include <array>
#include <cstdint>
#include <string>

// The unit's colour names for a dryer's row ("Red", "Lightgrey", "Green", "Orange", "Blue");
// any other name is black.
enum class DryerColour { Black, Red, Lightgrey, Green, Orange, Blue };

struct DryerDetail {
    DryerColour colour = DryerColour::Black;  // text colour of the row's cells
    bool alarm = false;     // the colour name is "Red": the row's RESET link shows
    std::string alarmTime;  // Alarm Date/Time
    std::string status;
    std::string model;
};

struct StatusReply {
    // Bit 7 is dryer 1 ... bit 0 dryer 8.
    uint8_t alarmMask = 0;
    uint8_t onlineMask = 0;
    uint8_t standbyMask = 0;
    std::array<DryerDetail, 8> dryers;
    // Cycle mode: either plain text, or (when it holds "DAYS") the weekdays Monday..Friday chosen.
    bool cycleDays = false;
    std::string cycleText;
    std::array<bool, 5> weekdays{};
    std::string nextCycle;
    std::string currentTime;
    std::string minimumOnline;
    std::string roster;
    std::string skipWeekends;
};

// `text` is the reply without its "EOT".
StatusReply ParseStatusReply(const std::string& text);

// A lamp mask as the unit writes it: leading blanks, an optional sign, decimal digits up to the
// first other character (none gives 0); only the low eight bits count.
uint8_t ParseMask(const std::string& text);

// The colour a name from the unit stands for; anything else is black.
DryerColour DryerColourFromName(const std::string& name);
// The colour's name as the unit writes it ("Black" for black).
const char* DryerColourName(DryerColour colour);

// True when dryer `index` (0 = dryer 1) has its bit set in `mask`.
inline bool DryerBit(uint8_t mask, int index) {
    return (mask >> (7 - index)) & 1;
}

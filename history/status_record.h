// What the history keeps of one Status reply: for each of the eight dryers its lamps, status text,
// alarm date/time and model, and the unit's cycle values. The unit's current time is left out: it
// is a clock that changes with every minute, not a change of the unit.
#pragma once

#include <array>
#include <string>
#include <vector>

struct StatusReply;

namespace history {

// What a dryer is doing, as its lamps say: the alarm lamp first, then online, then standby.
enum class DryerState { Off = 0, Standby = 1, Online = 2, Alarm = 3 };
const char* DryerStateName(DryerState state);

struct DryerRecord {
    bool online = false;
    bool standby = false;
    bool alarm = false;
    std::string status;
    std::string alarmTime;
    std::string model;

    DryerState State() const;
    bool operator==(const DryerRecord&) const = default;
};

struct CycleRecord {
    std::string mode;  // the plain text, or "DAYS " and one letter or "." per weekday
    std::string nextCycle;
    std::string minimumOnline;
    std::string roster;
    std::string skipWeekends;

    bool operator==(const CycleRecord&) const = default;
};

struct StatusRecord {
    std::array<DryerRecord, 8> dryers;
    CycleRecord cycle;
};

StatusRecord RecordOf(const StatusReply& reply);

// What changed from `before` to `after`: the dryers (0..7) whose record differs, and whether the
// cycle values did. With no `before` (the site's first poll in the store), everything counts.
struct StatusChanges {
    std::vector<int> dryers;
    bool cycle = false;
    bool Empty() const { return dryers.empty() && !cycle; }
};
StatusChanges Compare(const StatusRecord* before, const StatusRecord& after);

}  // namespace history

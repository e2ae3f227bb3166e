// The data of one field unit as the simulator keeps it: eight dryers, the cycle settings, the
// reporting settings and the event list, with the record texts the unit sends for its pages and
// the writes that change them. A plain value: copy it freely; it has no lock of its own (the
// simulator guards the one it serves).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// What a dryer is doing, as the Status page shows it.
enum class DryerCondition { Online, Standby, Alarm, Offline };

struct Dryer {
    bool present = false;
    int role = 2;  // cycle role: 1 Running, 2 Available, 3 Backup
    DryerCondition condition = DryerCondition::Standby;
    std::string model;
    std::string alarmTime;  // "YYYY-MM-DD HH:MM" while in alarm, else empty
};

struct CycleSettings {
    int minOnline = 1;         // 1 .. number of present dryers
    std::string nextDate;      // first next-cycle field, at most 11 characters
    std::string nextTime;      // second next-cycle field, at most 6 characters
    int mode = 0;              // 0 "24HR", 1 "48HR", else 128 + day bits ("DAYS")
    int maintenanceDryer = 0;  // 0 none
    int exerciseDryer = 0;     // 0 none
    int exerciseDuration = 0;  // 0 "8 HR", 1 "16 HR", 2 "24 HR"
    bool skipWeekends = false;
    int alarmDelay = 0;  // seconds, 0..10
};

// Weekday bits of the DAYS cycle mode.
constexpr int kMonday = 0x20, kTuesday = 0x10, kWednesday = 0x08, kThursday = 0x04, kFriday = 0x02;
constexpr int kDaysMode = 128;

struct UnitEvent {
    int dryer = 0;  // 0: the unit itself (shown as "-")
    std::string event;
    std::string description;
    std::string date;       // "YYYY-MM-DD"
    std::string time;       // "HH:MM:SS"
    uint32_t sequence = 0;  // order of arrival; the last tie-breaker of every sort
};

class UnitState {
public:
    static constexpr int kDryers = 8;
    static constexpr int kEventsPerPage = 18;
    static constexpr int kReportingFields = 21;
    static constexpr size_t kMaxEvents = 500;  // the oldest go first beyond this

    // The fixed data a unit starts with when nothing else is asked for (see unit_state.cpp).
    static UnitState Base();
    // Data drawn from `seed`: the same seed gives the same unit.
    static UnitState Seeded(uint32_t seed);
    // The demonstration unit: one dryer in alarm, some in standby, a DAYS cycle, three dozen
    // events.
    static UnitState Demo();

    // Unit page 60 (and the answer to 51): the 17 status fields joined by ";". `clock` is the
    // unit's current time text (field 13).
    std::string StatusRecord(const std::string& clock) const;
    // Unit pages 52 and 53: fifteen records, each followed by ";".
    std::string CycleRecord() const;
    // Unit page 55: 21 fields, each followed by "^".
    std::string ReportingRecord() const;
    // Unit page 61: "page,pages\r\n", then one "dryer,event,description,date,time\r\n" per event
    // of the current page, in the current sort order.
    std::string EventPageText() const;

    // Writes. Each returns false and changes nothing when the text is not a valid record.
    bool ApplyCycleWrite(const std::string& records);
    bool ApplyReportingWrite(const std::string& fields);
    // Clears the alarm of dryer `n` (1..8); false when it is not present or not in alarm.
    bool ResetDryer(int n);

    // Puts present dryer `n` (1..8) in alarm at `when` ("YYYY-MM-DD HH:MM") and logs the event.
    bool RaiseAlarm(int n, const std::string& when);
    void AddEvent(int dryer, const std::string& event, const std::string& description,
                  const std::string& date, const std::string& time);

    // Event list paging: step 1 first, 2 previous, 3 next, 4 last page, 0 stays.
    void NavigateEvents(int step);
    // Sort key 1 event, 2 dryer, 3 date and time; direction 1 ascending, 0 descending. Goes to
    // the first page. False (nothing changed) for another key or direction.
    bool SortEvents(int key, int direction);
    int EventPageCount() const;
    // The events in the current sort order.
    std::vector<UnitEvent> SortedEvents() const;

    int PresentCount() const;
    bool IsPresent(int n) const { return n >= 1 && n <= kDryers && dryers[n - 1].present; }

    std::array<Dryer, kDryers> dryers;
    CycleSettings cycle;
    std::array<std::string, kReportingFields> reporting;
    std::vector<UnitEvent> events;  // in order of arrival
    int eventSortKey = 3;
    int eventSortDirection = 0;
    int eventPage = 1;

private:
    uint32_t m_nextSequence = 1;
};

}  // namespace sim

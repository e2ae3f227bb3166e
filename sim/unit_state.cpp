#include "sim/unit_state.h"

#include <algorithm>

#include "platform/clock.h"
#include "sim/record_text.h"

namespace sim {
namespace {

constexpr size_t kModelLimit = 20;
constexpr size_t kSystemNameLimit = 71;
// Short enough that a write's echo and its reply together stay within the console's 4 KB
// receive buffer.
constexpr size_t kReportingFieldLimit = 80;
constexpr int kDayBits = kMonday | kTuesday | kWednesday | kThursday | kFriday;

int DryerBit(int n) {
    return 0x80 >> (n - 1);
}

std::string ModeText(int mode) {
    if (mode == 0) {
        return "24HR";
    }
    if (mode == 1) {
        return "48HR";
    }
    // "DAYS", a blank, then one place per weekday: its letter when chosen, else ".".
    static const char kLetters[] = "MTWTF";
    std::string text = "DAYS ";
    for (int i = 0; i < 5; ++i) {
        text += ((mode - kDaysMode) & (kMonday >> i)) ? kLetters[i] : '.';
    }
    return text;
}

// The date and the time of the unit's clock now, for the events the unit logs itself.
void NowStamp(std::string& date, std::string& time) {
    platform::LocalTime now = platform::Clock::LocalNow();
    date = now.DateText();
    time = now.TimeText().substr(0, 8);
}

bool IsValidMode(int mode) {
    return mode == 0 || mode == 1 || (mode > kDaysMode && ((mode - kDaysMode) & ~kDayBits) == 0);
}

}  // namespace

int UnitState::PresentCount() const {
    return static_cast<int>(
        std::count_if(dryers.begin(), dryers.end(), [](const Dryer& d) { return d.present; }));
}

std::string UnitState::StatusRecord(const std::string& clock) const {
    int alarmMask = 0, onlineMask = 0, standbyMask = 0;
    std::string details;
    for (int n = 1; n <= kDryers; ++n) {
        const Dryer& d = dryers[n - 1];
        details += ";";
        if (!d.present) {
            details += "Lightgrey,,Not Installed,";
            continue;
        }
        if (d.condition == DryerCondition::Alarm) {
            alarmMask |= DryerBit(n);
            details += "Red," + d.alarmTime + ",Alarm," + d.model;
        } else if (cycle.maintenanceDryer == n) {
            details += "Blue,,Maintenance," + d.model;
        } else if (d.condition == DryerCondition::Online) {
            onlineMask |= DryerBit(n);
            details += "Green,,Online," + d.model;
        } else if (d.condition == DryerCondition::Standby) {
            standbyMask |= DryerBit(n);
            details += "Orange,,Standby," + d.model;
        } else {
            details += "Lightgrey,,Offline," + d.model;
        }
    }
    // The roster: the present dryers, running ones first, then available, then backup.
    std::string roster;
    for (int role = 1; role <= 3; ++role) {
        for (int n = 1; n <= kDryers; ++n) {
            if (dryers[n - 1].present && dryers[n - 1].role == role) {
                roster += (roster.empty() ? "" : "-") + std::to_string(n);
            }
        }
    }
    return std::to_string(alarmMask) + ";" + std::to_string(onlineMask) + ";" +
           std::to_string(standbyMask) + details + ";" + ModeText(cycle.mode) + ";" +
           cycle.nextDate + " " + cycle.nextTime + ";" + clock + ";" +
           std::to_string(cycle.minOnline) + ";" + roster + ";" +
           (cycle.skipWeekends ? "Yes" : "No");
}

std::string UnitState::CycleRecord() const {
    std::string text;
    for (const Dryer& d : dryers) {
        text += d.present ? "1," + std::to_string(d.role) + "," + d.model + ";" : "0,0,;";
    }
    text += std::to_string(cycle.minOnline) + ";";
    text += cycle.nextDate + "," + cycle.nextTime + ";";
    text += std::to_string(cycle.mode) + ";";
    text += std::to_string(cycle.maintenanceDryer) + ";";
    text +=
        std::to_string(cycle.exerciseDryer) + "," + std::to_string(cycle.exerciseDuration) + ";";
    text += std::string(cycle.skipWeekends ? "1" : "0") + ";";
    text += std::to_string(cycle.alarmDelay) + ";";
    return text;
}

std::string UnitState::ReportingRecord() const {
    std::string text;
    for (const std::string& field : reporting) {
        text += field + "^";
    }
    return text;
}

bool UnitState::ApplyCycleWrite(const std::string& records) {
    std::vector<std::string> r = SplitText(records, ';');
    // Fifteen records, each ended by ";" (a missing last ";" is forgiven).
    if (r.size() == 16 && r[15].empty()) {
        r.pop_back();
    }
    if (r.size() != 15) {
        return false;
    }
    std::array<Dryer, kDryers> newDryers = dryers;
    for (int k = 0; k < kDryers; ++k) {
        std::vector<std::string> sub = SplitText(r[k], ',');
        int role = 0;
        if (sub.size() != 2 || !ParseDecimal(sub[0], role) || role > 3) {
            return false;
        }
        // Which dryers are installed is the unit's own knowledge: a record for a dryer that
        // is not there, or "0" for one that is, changes nothing.
        if (role == 0 || !newDryers[k].present) {
            continue;
        }
        if (!IsPrintableText(sub[1], kModelLimit)) {
            return false;
        }
        newDryers[k].role = role;
        newDryers[k].model = sub[1];
    }
    CycleSettings c = cycle;
    const int present = PresentCount();
    if (!ParseDecimal(r[8], c.minOnline) || c.minOnline > present ||
        (c.minOnline == 0 && present > 0)) {
        return false;
    }
    std::vector<std::string> next = SplitText(r[9], ',');
    if (next.size() != 2 || !IsPrintableText(next[0], 11) || !IsPrintableText(next[1], 6)) {
        return false;
    }
    c.nextDate = next[0];
    c.nextTime = next[1];
    if (!ParseDecimal(r[10], c.mode) || !IsValidMode(c.mode)) {
        return false;
    }
    if (!ParseDecimal(r[11], c.maintenanceDryer) ||
        (c.maintenanceDryer != 0 && !IsPresent(c.maintenanceDryer))) {
        return false;
    }
    std::vector<std::string> exercise = SplitText(r[12], ',');
    if (exercise.size() != 2 || !ParseDecimal(exercise[0], c.exerciseDryer) ||
        (c.exerciseDryer != 0 && !IsPresent(c.exerciseDryer)) ||
        !ParseDecimal(exercise[1], c.exerciseDuration) || c.exerciseDuration > 2) {
        return false;
    }
    if (r[13] != "0" && r[13] != "1") {
        return false;
    }
    c.skipWeekends = r[13] == "1";
    if (!ParseDecimal(r[14], c.alarmDelay) || c.alarmDelay > 10) {
        return false;
    }
    dryers = newDryers;
    cycle = c;
    std::string date, time;
    NowStamp(date, time);
    AddEvent(0, "Settings", "Cycle set up changed", date, time);
    return true;
}

bool UnitState::ApplyReportingWrite(const std::string& fields) {
    // 21 fields, each ended by "^": without the last "^" an empty last field could not be told
    // from a missing one.
    std::vector<std::string> f = SplitText(fields, '^');
    if (f.size() != kReportingFields + 1 || !f.back().empty()) {
        return false;
    }
    f.pop_back();
    if ((f[1] != "Y" && f[1] != "N") || !IsPrintableText(f[0], kSystemNameLimit)) {
        return false;
    }
    for (const std::string& field : f) {
        if (!IsPrintableText(field, kReportingFieldLimit)) {
            return false;
        }
    }
    std::copy(f.begin(), f.end(), reporting.begin());
    std::string date, time;
    NowStamp(date, time);
    AddEvent(0, "Settings", "Reporting set up changed", date, time);
    return true;
}

bool UnitState::ResetDryer(int n) {
    if (!IsPresent(n) || dryers[n - 1].condition != DryerCondition::Alarm) {
        return false;
    }
    dryers[n - 1].condition = DryerCondition::Standby;
    dryers[n - 1].alarmTime.clear();
    std::string date, time;
    NowStamp(date, time);
    AddEvent(n, "Alarm Reset", "Dryer " + std::to_string(n) + " alarm reset", date, time);
    return true;
}

bool UnitState::RaiseAlarm(int n, const std::string& when) {
    if (!IsPresent(n)) {
        return false;
    }
    dryers[n - 1].condition = DryerCondition::Alarm;
    dryers[n - 1].alarmTime = when;
    std::string date = when.substr(0, 10);
    std::string time = when.size() > 11 ? when.substr(11) + ":00" : "";
    AddEvent(n, "Alarm", "Dryer " + std::to_string(n) + " high dew point", date, time);
    return true;
}

void UnitState::AddEvent(int dryer, const std::string& event, const std::string& description,
                         const std::string& date, const std::string& time) {
    events.push_back({dryer, event, description, date, time, m_nextSequence++});
    if (events.size() > kMaxEvents) {
        events.erase(events.begin(), events.begin() + (events.size() - kMaxEvents));
    }
}

void UnitState::NavigateEvents(int step) {
    const int pages = EventPageCount();
    switch (step) {
        case 1:
            eventPage = 1;
            break;
        case 2:
            eventPage = std::max(1, eventPage - 1);
            break;
        case 3:
            eventPage = std::min(pages, eventPage + 1);
            break;
        case 4:
            eventPage = pages;
            break;
        default:
            break;
    }
    eventPage = std::clamp(eventPage, 1, pages);
}

bool UnitState::SortEvents(int key, int direction) {
    if (key < 1 || key > 3 || direction < 0 || direction > 1) {
        return false;
    }
    eventSortKey = key;
    eventSortDirection = direction;
    eventPage = 1;
    return true;
}

int UnitState::EventPageCount() const {
    int count = static_cast<int>(events.size());
    return std::max(1, (count + kEventsPerPage - 1) / kEventsPerPage);
}

std::vector<UnitEvent> UnitState::SortedEvents() const {
    std::vector<UnitEvent> sorted = events;
    const bool ascending = eventSortDirection == 1;
    const int key = eventSortKey;
    std::sort(sorted.begin(), sorted.end(), [&](const UnitEvent& a, const UnitEvent& b) {
        int order = 0;
        if (key == 1) {
            order = a.event.compare(b.event);
        } else if (key == 2) {
            order = a.dryer - b.dryer;
        } else {
            order = (a.date + " " + a.time).compare(b.date + " " + b.time);
        }
        if (order == 0) {
            order = a.sequence < b.sequence ? -1 : (a.sequence > b.sequence ? 1 : 0);
        }
        return ascending ? order < 0 : order > 0;
    });
    return sorted;
}

std::string UnitState::EventPageText() const {
    const int pages = EventPageCount();
    const int page = std::clamp(eventPage, 1, pages);
    std::string text = std::to_string(page) + "," + std::to_string(pages) + "\r\n";
    std::vector<UnitEvent> sorted = SortedEvents();
    size_t first = static_cast<size_t>(page - 1) * kEventsPerPage;
    for (size_t i = first; i < sorted.size() && i < first + kEventsPerPage; ++i) {
        const UnitEvent& e = sorted[i];
        text += (e.dryer == 0 ? std::string("-") : std::to_string(e.dryer)) + "," + e.event + "," +
                e.description + "," + e.date + "," + e.time + "\r\n";
    }
    return text;
}

}  // namespace sim

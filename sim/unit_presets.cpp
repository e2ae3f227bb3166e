// The data a simulated unit starts with: the fixed base unit, seeded units and the demo unit.
#include <cstdio>
#include <ctime>
#include <random>

#include "sim/unit_state.h"

namespace sim {
namespace {

const char* const kDefaultPagerScript =
    "\\W4\\XM\\r\\W2\\X[Content]\\r\\W2\\S\\X//\\U\\X//\\L\\X//\\A\\X//\\R\\X//\\D\\X//\\T\\r\\r";

void SetDryer(UnitState& s, int n, int role, DryerCondition condition, const std::string& model) {
    Dryer& d = s.dryers[n - 1];
    d.present = true;
    d.role = role;
    d.condition = condition;
    d.model = model;
}

void SetReporting(UnitState& s, const std::string& name) {
    s.reporting = {name,
                   "Y",
                   "smtp.example.com",
                   "unit1",
                   "secret",
                   "unit1@example.com",
                   "ops@example.com",
                   "Operations",
                   "",
                   "",
                   "",
                   "",
                   "Night pager",
                   "5551234",
                   kDefaultPagerScript,
                   "",
                   "",
                   "",
                   "",
                   "",
                   ""};
}

// Events spread over the weeks before 2026-12-07, drawn from `rng`, about dryers in `present`.
void AddDrawnEvents(UnitState& s, std::mt19937& rng, int count) {
    struct Kind {
        const char* event;
        const char* description;  // "%d" takes the dryer number
        bool aboutDryer;
    };
    static const Kind kKinds[] = {
        {"Online", "Dryer %d online", true},        {"Standby", "Dryer %d to standby", true},
        {"Alarm", "Dryer %d high dew point", true}, {"Alarm Reset", "Dryer %d alarm reset", true},
        {"Cycle", "Cycle change-over", false},      {"Power Up", "Unit restarted", false},
    };
    std::vector<int> present;
    for (int n = 1; n <= UnitState::kDryers; ++n) {
        if (s.IsPresent(n)) {
            present.push_back(n);
        }
    }
    std::tm start = {};
    start.tm_year = 2026 - 1900;
    start.tm_mon = 10;  // November
    start.tm_mday = 1;
    std::time_t stamp = timegm(&start);
    for (int i = 0; i < count; ++i) {
        stamp += 600 + static_cast<std::time_t>(rng() % 86400);
        const Kind& kind = kKinds[rng() % std::size(kKinds)];
        int dryer = 0;
        if (kind.aboutDryer && !present.empty()) {
            dryer = present[rng() % present.size()];
        }
        char description[64];
        std::snprintf(description, sizeof description, kind.description, dryer);
        std::tm t = {};
        gmtime_r(&stamp, &t);
        char date[16], time[16];
        std::strftime(date, sizeof date, "%Y-%m-%d", &t);
        std::strftime(time, sizeof time, "%H:%M:%S", &t);
        s.AddEvent(kind.aboutDryer ? dryer : 0, kind.event, description, date, time);
    }
}

}  // namespace

UnitState UnitState::Base() {
    UnitState s;
    SetDryer(s, 1, 1, DryerCondition::Online, "DX-40");
    SetDryer(s, 2, 1, DryerCondition::Online, "DX-40");
    SetDryer(s, 3, 2, DryerCondition::Standby, "DX-60");
    SetDryer(s, 4, 3, DryerCondition::Standby, "DX-60");
    s.cycle.minOnline = 2;
    s.cycle.nextDate = "12/08/2026";
    s.cycle.nextTime = "06:00";
    s.cycle.mode = 0;
    s.cycle.alarmDelay = 3;
    SetReporting(s, "PLANT 1 DRYERS");
    s.AddEvent(0, "Power Up", "Unit restarted", "2026-11-30", "23:59:10");
    s.AddEvent(1, "Online", "Dryer 1 online", "2026-12-01", "06:00:00");
    s.AddEvent(2, "Online", "Dryer 2 online", "2026-12-01", "06:00:05");
    s.AddEvent(3, "Standby", "Dryer 3 to standby", "2026-12-01", "18:00:00");
    s.AddEvent(4, "Alarm Reset", "Dryer 4 alarm reset", "2026-12-02", "07:15:30");
    return s;
}

UnitState UnitState::Seeded(uint32_t seed) {
    static const char* const kModels[] = {"DX-40", "DX-60", "DX-80", "HX-120", "RX-25"};
    std::mt19937 rng(seed);
    UnitState s;
    for (int n = 1; n <= kDryers; ++n) {
        if (n > 1 && rng() % 4 == 0) {
            continue;
        }
        int role = 1 + static_cast<int>(rng() % 3);
        SetDryer(s, n, role, role == 1 ? DryerCondition::Online : DryerCondition::Standby,
                 kModels[rng() % std::size(kModels)]);
        if (rng() % 8 == 0) {
            s.dryers[n - 1].condition = DryerCondition::Alarm;
            char when[32];
            std::snprintf(when, sizeof when, "2026-12-%02d %02d:%02d",
                          1 + static_cast<int>(rng() % 6), static_cast<int>(rng() % 24),
                          static_cast<int>(rng() % 60));
            s.dryers[n - 1].alarmTime = when;
        }
    }
    s.cycle.minOnline = 1 + static_cast<int>(rng() % s.PresentCount());
    char date[16], time[8];
    std::snprintf(date, sizeof date, "12/%02d/2026", 8 + static_cast<int>(rng() % 20));
    std::snprintf(time, sizeof time, "%02d:%s", static_cast<int>(rng() % 24),
                  rng() % 2 ? "30" : "00");
    s.cycle.nextDate = date;
    s.cycle.nextTime = time;
    switch (rng() % 3) {
        case 0:
            s.cycle.mode = 0;
            break;
        case 1:
            s.cycle.mode = 1;
            break;
        default:
            s.cycle.mode = kDaysMode + (kMonday | (2 << (rng() % 5)));
            break;
    }
    s.cycle.skipWeekends = rng() % 2 == 0;
    s.cycle.alarmDelay = static_cast<int>(rng() % 11);
    SetReporting(s, "SITE " + std::to_string(seed));
    AddDrawnEvents(s, rng, static_cast<int>(rng() % 61));
    return s;
}

UnitState UnitState::Demo() {
    UnitState s;
    SetDryer(s, 1, 1, DryerCondition::Online, "DX-40");
    SetDryer(s, 2, 1, DryerCondition::Online, "DX-40");
    SetDryer(s, 3, 2, DryerCondition::Standby, "DX-60");
    SetDryer(s, 4, 3, DryerCondition::Standby, "DX-60");
    SetDryer(s, 5, 1, DryerCondition::Online, "DX-80");
    SetDryer(s, 6, 2, DryerCondition::Standby, "DX-80");
    s.cycle.minOnline = 3;
    s.cycle.nextDate = "12/09/2026";
    s.cycle.nextTime = "05:30";
    s.cycle.mode = kDaysMode + kMonday + kWednesday + kFriday;
    s.cycle.exerciseDryer = 4;
    s.cycle.exerciseDuration = 1;
    s.cycle.alarmDelay = 5;
    SetReporting(s, "NORTH PLANT COMPRESSOR ROOM");
    std::mt19937 rng(2016);
    AddDrawnEvents(s, rng, 35);
    s.RaiseAlarm(5, "2026-12-07 04:12");
    return s;
}

}  // namespace sim

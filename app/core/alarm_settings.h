// The alarm settings in [Settings] of Corvantis.ini: "RenotifyMinutes" (how often an alarm nobody
// acknowledged is told again; default 15, 0 never) and "AlarmSound" (1: the alarm notification
// asks the desktop for its alarm sound; default 0). No Qt.
#pragma once

#include <cstdint>

namespace platform {
class IniFile;
}

struct AlarmSettings {
    static constexpr int kDefaultRenotifyMinutes = 15;
    int renotifyMinutes = kDefaultRenotifyMinutes;
    bool sound = false;

    int64_t RenotifyMs() const { return int64_t{renotifyMinutes} * 60 * 1000; }
};

// A negative interval is no setting of the operator's: it gives the default.
AlarmSettings ReadAlarmSettings(const platform::IniFile& ini);

#include "history/local_stamp.h"

#include <cstdio>
#include <ctime>

namespace history {

// The local calendar is counted like UTC (timegm/gmtime_r), so that no time zone or
// daylight-saving rule is applied.
LocalMs ToLocalMs(const platform::LocalTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    return static_cast<LocalMs>(timegm(&tm)) * 1000 + t.millisecond;
}

platform::LocalTime FromLocalMs(LocalMs ms) {
    int64_t seconds = ms / 1000;
    int64_t rest = ms % 1000;
    if (rest < 0) {
        rest += 1000;
        --seconds;
    }
    const time_t secs = static_cast<time_t>(seconds);
    std::tm tm{};
    gmtime_r(&secs, &tm);
    platform::LocalTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    t.millisecond = static_cast<int>(rest);
    return t;
}

std::string LocalText(LocalMs ms) {
    const platform::LocalTime t = FromLocalMs(ms);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

std::string DurationText(int64_t ms) {
    if (ms < 0) {
        ms = 0;
    }
    int64_t seconds = ms / 1000;
    const int64_t days = seconds / 86400;
    seconds %= 86400;
    char text[48];
    if (days > 0) {
        std::snprintf(text, sizeof text, "%lld d %02lld:%02lld:%02lld",
                      static_cast<long long>(days), static_cast<long long>(seconds / 3600),
                      static_cast<long long>(seconds / 60 % 60),
                      static_cast<long long>(seconds % 60));
    } else {
        std::snprintf(
            text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
            static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    }
    return text;
}

}  // namespace history

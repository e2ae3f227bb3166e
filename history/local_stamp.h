// Times in the history are the console's local wall-clock time as it was seen, kept as
// milliseconds counted from 1970-01-01 00:00 of that local calendar (no time zone applied), so
// that they sort, subtract and print as the operator read them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace history {

using LocalMs = int64_t;

LocalMs ToLocalMs(const platform::LocalTime& t);
platform::LocalTime FromLocalMs(LocalMs ms);
// "YYYY-MM-DD HH:MM:SS".
std::string LocalText(LocalMs ms);
// "3 d 04:05:06", "04:05:06": a duration for the alarm list.
std::string DurationText(int64_t ms);

constexpr int64_t kMsPerDay = 86400000;

}  // namespace history

// The one clock of the program. Every sleep and wait goes through it so that tests can run the
// 100 ms worker tick, the 15 s connect wait and the 167 s dial procedure many times faster, and
// can set the local time (the midnight roll of the logs).
//
// Thread safety: every function may be called from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace platform {

struct LocalTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    // "%Y-%m-%d", the date part of the daily log names.
    std::string DateText() const;
    // "%02d:%02d:%02d.%03d", the stamp of every log line.
    std::string TimeText() const;
    bool SameDate(const LocalTime& other) const {
        return year == other.year && month == other.month && day == other.day;
    }
};

class Clock {
public:
    // Program milliseconds since an arbitrary start: real milliseconds divided by the time
    // scale. Monotonic.
    static int64_t NowMs();

    // Sleeps `ms` program milliseconds. With a cancel flag, returns early (false) as soon as the
    // flag is set; returns true when the whole time passed.
    static bool SleepMs(int64_t ms, const std::atomic<bool>* cancel = nullptr);

    // Program time runs `scale` times faster than real time (1 = real time). Tests only.
    static void SetTimeScale(double scale);
    static double TimeScale();

    // Local wall-clock time. By default the system's local time; tests may pin it.
    static LocalTime LocalNow();
    // Pins the local time: LocalNow() returns `t` advanced by the program time passed since.
    static void SetLocalTime(const LocalTime& t);
    // Back to the system's local time.
    static void ResetLocalTime();
};

}  // namespace platform

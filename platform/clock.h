// The one clock of the program. Every sleep and wait goes through it so that tests can run the
// 100 ms worker tick, the 15 s connect wait and the 167 s dial procedure many times faster, and
// can set the local time (the midnight roll of the logs).
//
// Sleeps do not poll: a sleeper waits on a condition variable until its time is due, until its
// cancel flag is raised through Cancel(), or until the time scale changes (it then works out its
// real wait again). Other waits that count program time (the timer thread) register a listener
// that the scale change calls.
//
// Thread safety: every function may be called from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
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
    // The flag is read under the sleepers' lock, so raise it with Cancel(), which wakes them.
    static bool SleepMs(int64_t ms, const std::atomic<bool>* cancel = nullptr);
    // Raises `flag` and wakes every sleeper so that those waiting on it return at once.
    static void Cancel(std::atomic<bool>& flag);

    // Real milliseconds that `programMs` program milliseconds take at the current scale.
    static double RealMsFor(int64_t programMs);
    // `onChange` runs (on the thread that changes the scale) after every scale change, so that a
    // wait of its own can work out its real time again. It must not change the scale itself.
    // Returns an id for RemoveScaleListener, which waits for a call that is running.
    static uint64_t AddScaleListener(std::function<void()> onChange);
    static void RemoveScaleListener(uint64_t id);

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

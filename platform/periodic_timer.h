// The periodic timer thread, in place of the multimedia timers: one thread runs every timer's
// callback at its period (program milliseconds, see Clock). Kill() waits for a callback of that
// timer that is running at the time, so after Kill() returns the callback never runs again.
//
// The thread sleeps until the next timer is due (it does not wake to look).
// Start and Kill may be called from any thread except from inside a callback of the same timer.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace platform {

class PeriodicTimers {
public:
    using Callback = std::function<void(unsigned timerId)>;

    PeriodicTimers();
    ~PeriodicTimers();  // kills every timer and ends the thread

    // Returns the new timer's id (never 0), or 0 when the timer cannot be started.
    unsigned Start(int periodMs, Callback callback);
    // Returns false when there is no such timer.
    bool Kill(unsigned timerId);

private:
    struct Timer {
        int periodMs;
        int64_t dueMs;
        Callback callback;
    };
    void ThreadProc();

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::map<unsigned, Timer> m_timers;
    unsigned m_nextId = 1;
    unsigned m_running = 0;  // id of the timer whose callback runs now
    bool m_stop = false;
    uint64_t m_scaleListener = 0;  // set before the thread starts
    std::thread m_thread;
};

}  // namespace platform

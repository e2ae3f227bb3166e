#include "platform/periodic_timer.h"

#include <algorithm>

#include "platform/clock.h"

namespace platform {

PeriodicTimers::PeriodicTimers() {
    // A scale change makes the thread work out its wait again.
    m_scaleListener = Clock::AddScaleListener([this] {
        std::lock_guard<std::mutex> lock(m_lock);
        m_wake.notify_all();
    });
    m_thread = std::thread([this] { ThreadProc(); });
}

PeriodicTimers::~PeriodicTimers() {
    Clock::RemoveScaleListener(m_scaleListener);
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
        m_timers.clear();
        m_wake.notify_all();
    }
    m_thread.join();
}

unsigned PeriodicTimers::Start(int periodMs, Callback callback) {
    if (periodMs <= 0 || !callback) {
        return 0;
    }
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_stop) {
        return 0;
    }
    unsigned id = m_nextId++;
    if (m_nextId == 0) {
        m_nextId = 1;
    }
    m_timers[id] = Timer{periodMs, Clock::NowMs() + periodMs, std::move(callback)};
    m_wake.notify_all();
    return id;
}

bool PeriodicTimers::Kill(unsigned timerId) {
    std::unique_lock<std::mutex> lock(m_lock);
    bool found = m_timers.erase(timerId) > 0;
    // Wait out a callback of this timer that is running now.
    m_wake.wait(lock, [&] { return m_running != timerId; });
    return found;
}

void PeriodicTimers::ThreadProc() {
    std::unique_lock<std::mutex> lock(m_lock);
    while (!m_stop) {
        int64_t now = Clock::NowMs();
        unsigned dueId = 0;
        int64_t nextDue = -1;  // none: wait until a timer starts
        for (auto& [id, timer] : m_timers) {
            if (timer.dueMs <= now) {
                dueId = id;
                break;
            }
            nextDue = nextDue < 0 ? timer.dueMs : std::min(nextDue, timer.dueMs);
        }
        if (dueId != 0) {
            Timer& timer = m_timers[dueId];
            // Keep the period steady; a late tick does not make the next ones pile up.
            timer.dueMs += timer.periodMs;
            if (timer.dueMs <= now) {
                timer.dueMs = now + timer.periodMs;
            }
            Callback callback = timer.callback;
            m_running = dueId;
            lock.unlock();
            callback(dueId);
            lock.lock();
            m_running = 0;
            m_wake.notify_all();
            continue;
        }
        // Wait until the next timer is due; Start, Kill, the destructor and a change of the
        // clock's scale wake the thread earlier.
        if (nextDue < 0) {
            m_wake.wait(lock);
        } else {
            m_wake.wait_for(
                lock, std::chrono::microseconds(
                          static_cast<int64_t>(Clock::RealMsFor(nextDue - now) * 1000.0) + 1));
        }
    }
}

}  // namespace platform

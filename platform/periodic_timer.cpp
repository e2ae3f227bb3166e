#include "platform/periodic_timer.h"

#include <algorithm>

#include "platform/clock.h"

namespace platform {

PeriodicTimers::PeriodicTimers() : m_thread([this] { ThreadProc(); }) {}

PeriodicTimers::~PeriodicTimers() {
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
        int64_t nextDue = now + 1000;
        for (auto& [id, timer] : m_timers) {
            if (timer.dueMs <= now) {
                dueId = id;
                break;
            }
            nextDue = std::min(nextDue, timer.dueMs);
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
        // Sleep in short real slices: the clock's scale may change under us.
        double realMs = static_cast<double>(nextDue - now) / Clock::TimeScale();
        int64_t waitMs = std::clamp<int64_t>(static_cast<int64_t>(realMs), 1, 20);
        m_wake.wait_for(lock, std::chrono::milliseconds(waitMs));
    }
}

}  // namespace platform

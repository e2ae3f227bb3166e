// Timed jobs on the UI loop without a thread of their own: one timerfd, watched by the
// dispatcher, armed for the earliest job; jobs run on the UI thread. Times are program
// milliseconds (platform::Clock).
//
// UI thread only (construction, At, Cancel, destruction).
#pragma once

#include <cstdint>
#include <functional>
#include <map>

class PollScheduler {
public:
    PollScheduler();
    ~PollScheduler();
    PollScheduler(const PollScheduler&) = delete;
    PollScheduler& operator=(const PollScheduler&) = delete;

    bool Ok() const { return m_fd >= 0 && m_watch != 0; }
    // Runs `job` on the UI thread once program time reaches `dueMs` (at once when it has).
    // The job receives its due time. Returns an id for Cancel.
    uint64_t At(int64_t dueMs, std::function<void(int64_t dueMs)> job);
    void Cancel(uint64_t id);

private:
    void OnReady();
    void Arm();

    struct Key {
        int64_t due;
        uint64_t id;
        bool operator<(const Key& o) const { return due != o.due ? due < o.due : id < o.id; }
    };
    std::map<Key, std::function<void(int64_t)>> m_jobs;
    std::map<uint64_t, int64_t> m_dueOf;
    uint64_t m_nextId = 1;
    int m_fd = -1;
    uint64_t m_watch = 0;
    int64_t m_armedFor = -1;
};

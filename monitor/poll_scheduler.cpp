#include "monitor/poll_scheduler.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include "app/state/app_state.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"

PollScheduler::PollScheduler() {
    m_fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0) {
        DebugLog(std::string("PollScheduler: timerfd_create fail! reason: ") +
                 std::strerror(errno));
        return;
    }
    m_watch = platform::Dispatch().WatchFd(m_fd, true, false, [this](int) { OnReady(); });
}

PollScheduler::~PollScheduler() {
    platform::Dispatch().UnwatchFd(m_watch);
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

uint64_t PollScheduler::At(int64_t dueMs, std::function<void(int64_t)> job) {
    const uint64_t id = m_nextId++;
    m_jobs.emplace(Key{dueMs, id}, std::move(job));
    m_dueOf[id] = dueMs;
    Arm();
    return id;
}

void PollScheduler::Cancel(uint64_t id) {
    auto it = m_dueOf.find(id);
    if (it == m_dueOf.end()) {
        return;
    }
    m_jobs.erase(Key{it->second, id});
    m_dueOf.erase(it);
}

void PollScheduler::Arm() {
    if (m_fd < 0 || m_jobs.empty()) {
        return;
    }
    const int64_t due = m_jobs.begin()->first.due;
    if (due == m_armedFor) {
        return;
    }
    const int64_t left = due - platform::Clock::NowMs();
    // A zero value would disarm the timer: a due job fires after one nanosecond.
    const int64_t realNs =
        left <= 0 ? 1 : static_cast<int64_t>(std::ceil(platform::Clock::RealMsFor(left) * 1e6));
    itimerspec spec{};
    spec.it_value.tv_sec = realNs / 1000000000;
    spec.it_value.tv_nsec = realNs % 1000000000;
    if (::timerfd_settime(m_fd, 0, &spec, nullptr) != 0) {
        DebugLog(std::string("PollScheduler: timerfd_settime fail! reason: ") +
                 std::strerror(errno));
        return;
    }
    m_armedFor = due;
}

void PollScheduler::OnReady() {
    uint64_t expirations = 0;
    if (::read(m_fd, &expirations, sizeof expirations) < 0 && errno != EAGAIN) {
        DebugLog(std::string("PollScheduler: read(timerfd) fail! reason: ") + std::strerror(errno));
    }
    m_armedFor = -1;
    const int64_t now = platform::Clock::NowMs();
    // The jobs due now; those they schedule (even due at once) run on the next turn of the loop.
    std::vector<Key> due;
    for (auto it = m_jobs.begin(); it != m_jobs.end() && it->first.due <= now; ++it) {
        due.push_back(it->first);
    }
    for (const Key& key : due) {
        auto node = m_jobs.extract(key);
        if (node.empty()) {
            continue;  // cancelled by a job before it
        }
        m_dueOf.erase(key.id);
        node.mapped()(key.due);
    }
    Arm();
}

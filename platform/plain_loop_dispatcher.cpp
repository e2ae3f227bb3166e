#include "platform/plain_loop_dispatcher.h"

#include <poll.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/clock.h"

namespace platform {

struct PlainLoopDispatcher::Call {
    std::function<void()> fn;
    bool isSend = false;
    bool started = false;
    bool done = false;
    bool cancelled = false;
};

PlainLoopDispatcher::PlainLoopDispatcher() : m_uiThread(std::this_thread::get_id()) {}

PlainLoopDispatcher::~PlainLoopDispatcher() {
    // Release any sender still waiting: its call will never run. Wait until each has left Send,
    // which still uses the lock and the condition of this object.
    std::unique_lock<std::mutex> lock(m_lock);
    for (auto& call : m_queue) {
        call->cancelled = true;
    }
    m_queue.clear();
    m_wake.notify_all();
    m_wake.wait(lock, [this] { return m_waitingSenders == 0; });
}

void PlainLoopDispatcher::Post(std::function<void()> fn) {
    auto call = std::make_shared<Call>();
    call->fn = std::move(fn);
    std::lock_guard<std::mutex> lock(m_lock);
    m_queue.push_back(std::move(call));
    m_wake.notify_all();
}

bool PlainLoopDispatcher::Send(std::function<void()> fn, const std::atomic<bool>* cancel) {
    if (OnUiThread()) {
        if (cancel && cancel->load()) {
            return false;
        }
        fn();
        return true;
    }
    auto call = std::make_shared<Call>();
    call->fn = std::move(fn);
    call->isSend = true;
    std::unique_lock<std::mutex> lock(m_lock);
    m_queue.push_back(call);
    ++m_waitingSenders;
    m_wake.notify_all();
    bool ran = false;
    for (;;) {
        if (call->done) {
            ran = true;
            break;
        }
        if (call->cancelled) {
            break;
        }
        if (cancel && cancel->load() && !call->started) {
            call->cancelled = true;
            break;
        }
        m_wake.wait_for(lock, std::chrono::milliseconds(5));
    }
    --m_waitingSenders;
    m_wake.notify_all();
    return ran;
}

bool PlainLoopDispatcher::OnUiThread() const {
    return std::this_thread::get_id() == m_uiThread;
}

bool PlainLoopDispatcher::RunOne(std::unique_lock<std::mutex>& lock) {
    while (!m_queue.empty()) {
        auto call = m_queue.front();
        m_queue.pop_front();
        if (call->cancelled) {
            continue;
        }
        call->started = true;
        lock.unlock();
        call->fn();
        lock.lock();
        call->done = true;
        m_wake.notify_all();
        return true;
    }
    return false;
}

uint64_t PlainLoopDispatcher::WatchFd(int fd, bool readable, bool writable,
                                      std::function<void(int)> callback) {
    Watch watch;
    watch.fd = fd;
    watch.events = static_cast<short>((readable ? POLLIN : 0) | (writable ? POLLOUT : 0));
    watch.callback = std::move(callback);
    const uint64_t id = m_nextWatchId++;
    m_watches.emplace(id, std::move(watch));
    return id;
}

void PlainLoopDispatcher::UnwatchFd(uint64_t id) {
    m_watches.erase(id);
}

int PlainLoopDispatcher::PollWatches(int timeoutMs) {
    if (m_watches.empty()) {
        return 0;
    }
    std::vector<pollfd> fds;
    std::vector<uint64_t> ids;
    for (const auto& [id, watch] : m_watches) {
        fds.push_back(pollfd{watch.fd, watch.events, 0});
        ids.push_back(id);
    }
    int ready = ::poll(fds.data(), fds.size(), timeoutMs);
    if (ready < 0) {
        if (errno != EINTR) {
            std::fprintf(stderr, "UI loop: poll() fail! reason: %s\n", std::strerror(errno));
        }
        return 0;
    }
    int count = 0;
    for (size_t i = 0; i < fds.size() && ready > 0; ++i) {
        if (fds[i].revents == 0) {
            continue;
        }
        // A callback may have ended this watch (or another) meanwhile.
        auto it = m_watches.find(ids[i]);
        if (it == m_watches.end()) {
            continue;
        }
        auto callback = it->second.callback;
        callback(fds[i].revents);
        ++count;
    }
    return count;
}

void PlainLoopDispatcher::WaitBriefly() {
    {
        std::unique_lock<std::mutex> lock(m_lock);
        if (!m_queue.empty()) {
            return;
        }
        if (m_watches.empty()) {
            m_wake.wait_for(lock, std::chrono::milliseconds(2));
            return;
        }
    }
    PollWatches(2);
}

int PlainLoopDispatcher::RunPending() {
    int count = PollWatches(0);
    std::unique_lock<std::mutex> lock(m_lock);
    while (RunOne(lock)) {
        ++count;
    }
    return count;
}

void PlainLoopDispatcher::RunFor(int64_t ms) {
    RunUntil([] { return false; }, ms);
}

bool PlainLoopDispatcher::RunUntil(const std::function<bool()>& done, int64_t ms) {
    const int64_t end = Clock::NowMs() + ms;
    for (;;) {
        RunPending();
        if (done()) {
            return true;
        }
        if (Clock::NowMs() >= end) {
            return false;
        }
        WaitBriefly();
    }
}

void PlainLoopDispatcher::Run() {
    for (;;) {
        RunPending();
        {
            std::unique_lock<std::mutex> lock(m_lock);
            if (m_quit) {
                m_quit = false;
                return;
            }
            if (!m_queue.empty()) {
                continue;
            }
            if (m_watches.empty()) {
                m_wake.wait_for(lock, std::chrono::milliseconds(20));
                continue;
            }
        }
        PollWatches(2);
    }
}

void PlainLoopDispatcher::Quit() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_quit = true;
    m_wake.notify_all();
}

}  // namespace platform

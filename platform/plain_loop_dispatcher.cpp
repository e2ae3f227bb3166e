#include "platform/plain_loop_dispatcher.h"

#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/clock.h"

namespace platform {

struct PlainLoopDispatcher::Call {
    std::function<void()> fn;
    bool isSend = false;
    bool started = false;
    bool done = false;
    bool cancelled = false;
};

namespace {
constexpr uint64_t kWakeKey = 0;  // epoll key of the eventfd; watch ids start at 1
constexpr int kMaxEvents = 64;

void SayFail(const char* what) {
    std::fprintf(stderr, "UI loop: %s fail! reason: %s\n", what, std::strerror(errno));
}
}  // namespace

PlainLoopDispatcher::PlainLoopDispatcher() : m_uiThread(std::this_thread::get_id()) {
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_epoll < 0 || m_wakeFd < 0) {
        SayFail("epoll_create1/eventfd");
        return;
    }
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = kWakeKey;
    if (::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_wakeFd, &ev) != 0) {
        SayFail("epoll_ctl(eventfd)");
    }
}

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
    if (m_epoll >= 0) {
        ::close(m_epoll);
    }
    if (m_wakeFd >= 0) {
        ::close(m_wakeFd);
    }
}

void PlainLoopDispatcher::RaiseWakeLocked() {
    m_wake.notify_all();
    if (m_wakeRaised || m_wakeFd < 0) {
        return;
    }
    const uint64_t one = 1;
    if (::write(m_wakeFd, &one, sizeof one) == sizeof one) {
        m_wakeRaised = true;
    } else if (errno != EAGAIN) {
        SayFail("write(eventfd)");
    }
}

void PlainLoopDispatcher::Post(std::function<void()> fn) {
    auto call = std::make_shared<Call>();
    call->fn = std::move(fn);
    std::lock_guard<std::mutex> lock(m_lock);
    m_queue.push_back(std::move(call));
    RaiseWakeLocked();
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
    RaiseWakeLocked();
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
    const uint64_t id = m_nextWatchId++;
    epoll_event ev{};
    ev.events = (readable ? EPOLLIN : 0u) | (writable ? EPOLLOUT : 0u);
    ev.data.u64 = id;
    if (::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &ev) != 0) {
        SayFail("epoll_ctl(add)");
        return 0;
    }
    Watch watch;
    watch.fd = fd;
    watch.events = static_cast<short>((readable ? POLLIN : 0) | (writable ? POLLOUT : 0));
    watch.callback = std::move(callback);
    m_watches.emplace(id, std::move(watch));
    return id;
}

void PlainLoopDispatcher::UnwatchFd(uint64_t id) {
    auto it = m_watches.find(id);
    if (it == m_watches.end()) {
        return;
    }
    // ENOENT/EBADF: the descriptor was closed first, which ended its place in the set already.
    if (::epoll_ctl(m_epoll, EPOLL_CTL_DEL, it->second.fd, nullptr) != 0 && errno != ENOENT &&
        errno != EBADF) {
        SayFail("epoll_ctl(del)");
    }
    m_watches.erase(it);
}

namespace {
int ToPollEvents(uint32_t events) {
    int revents = 0;
    if (events & EPOLLIN)
        revents |= POLLIN;
    if (events & EPOLLOUT)
        revents |= POLLOUT;
    if (events & EPOLLHUP)
        revents |= POLLHUP;
    if (events & EPOLLERR)
        revents |= POLLERR;
    return revents;
}
}  // namespace

int PlainLoopDispatcher::PollWatches(int timeoutMs) {
    epoll_event events[kMaxEvents];
    const int ready = ::epoll_wait(m_epoll, events, kMaxEvents, timeoutMs);
    if (ready < 0) {
        if (errno != EINTR) {
            SayFail("epoll_wait");
        }
        return 0;
    }
    int count = 0;
    for (int i = 0; i < ready; ++i) {
        if (events[i].data.u64 == kWakeKey) {
            std::lock_guard<std::mutex> lock(m_lock);
            uint64_t drained = 0;
            if (::read(m_wakeFd, &drained, sizeof drained) < 0 && errno != EAGAIN) {
                SayFail("read(eventfd)");
            }
            m_wakeRaised = false;
            continue;
        }
        // A callback may have ended this watch (or another) meanwhile.
        auto it = m_watches.find(events[i].data.u64);
        if (it == m_watches.end()) {
            continue;
        }
        auto callback = it->second.callback;
        callback(ToPollEvents(events[i].events));
        ++count;
    }
    return count;
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
        const int64_t left = end - Clock::NowMs();
        if (left <= 0) {
            return false;
        }
        // `done` may turn on what another thread does without posting: look again every few
        // milliseconds.
        PollWatches(static_cast<int>(std::min<double>(2.0, Clock::RealMsFor(left) + 1)));
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
        }
        // Sleeps until a call is queued (Post, Send, Quit raise the eventfd) or a descriptor is
        // ready.
        PollWatches(-1);
    }
}

void PlainLoopDispatcher::Quit() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_quit = true;
    RaiseWakeLocked();
}

}  // namespace platform

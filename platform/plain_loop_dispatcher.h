// A dispatcher over a plain queue: the thread that constructs it is the UI thread and runs the
// queued calls with RunPending(), RunFor() or Run(). Watched descriptors sit in one epoll set that
// the same loops wait on, together with an eventfd that Post and Send raise: Run() sleeps until a
// call is queued or a descriptor is ready, however many descriptors are watched.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/dispatcher.h"

namespace platform {

class PlainLoopDispatcher : public Dispatcher {
public:
    PlainLoopDispatcher();
    ~PlainLoopDispatcher() override;

    void Post(std::function<void()> fn) override;
    bool Send(std::function<void()> fn, const std::atomic<bool>* cancel = nullptr) override;
    bool OnUiThread() const override;
    uint64_t WatchFd(int fd, bool readable, bool writable,
                     std::function<void(int revents)> callback) override;
    void UnwatchFd(uint64_t id) override;

    // UI thread only. Runs every call queued now (and those they queue); returns how many ran.
    int RunPending();
    // UI thread only. Runs calls as they come for `ms` program milliseconds.
    void RunFor(int64_t ms);
    // UI thread only. Runs calls until `done` returns true or `ms` program milliseconds passed;
    // returns done().
    bool RunUntil(const std::function<bool()>& done, int64_t ms);
    // UI thread only. Runs until Quit().
    void Run();
    void Quit();

private:
    struct Call;
    struct Watch {
        int fd = -1;
        short events = 0;
        std::function<void(int)> callback;
    };
    bool RunOne(std::unique_lock<std::mutex>& lock);
    // UI thread: waits up to `timeoutMs` real milliseconds (-1: no limit) for a ready descriptor
    // or a queued call, and runs the callbacks of the ready descriptors; returns how many ran.
    int PollWatches(int timeoutMs);
    // Any thread: wakes the UI thread's wait (m_lock held).
    void RaiseWakeLocked();

    std::thread::id m_uiThread;
    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<Call>> m_queue;
    bool m_quit = false;
    // Senders inside Send (guarded by m_lock): the destructor waits until they have left.
    int m_waitingSenders = 0;
    // UI thread only.
    std::map<uint64_t, Watch> m_watches;
    uint64_t m_nextWatchId = 1;
    int m_epoll = -1;           // the watched descriptors and m_wakeFd; UI thread waits on it
    int m_wakeFd = -1;          // eventfd: raised by Post and Send, drained by the UI thread
    bool m_wakeRaised = false;  // guarded by m_lock: m_wakeFd holds a count not yet drained
};

}  // namespace platform

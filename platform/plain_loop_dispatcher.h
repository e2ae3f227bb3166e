// A dispatcher over a plain queue: the thread that constructs it is the UI thread and runs the
// queued calls with RunPending(), RunFor() or Run(). Watched descriptors are poll()ed by the same
// loops: a ready descriptor's callback runs as one of the calls.
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
    // UI thread: polls the watched descriptors for up to `timeoutMs` real milliseconds and runs
    // the callbacks of those ready; returns how many ran.
    int PollWatches(int timeoutMs);
    // UI thread: waits up to a few milliseconds for a queued call or a ready descriptor.
    void WaitBriefly();

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
};

}  // namespace platform

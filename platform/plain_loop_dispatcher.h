// A dispatcher over a plain queue: the thread that constructs it is the UI thread and runs the
// queued calls with RunPending(), RunFor() or Run().
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
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
    bool RunOne(std::unique_lock<std::mutex>& lock);

    std::thread::id m_uiThread;
    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<Call>> m_queue;
    bool m_quit = false;
};

}  // namespace platform

// The UI dispatcher over the Qt event loop: Post queues a call to the thread that created the
// dispatcher (the GUI thread); Send waits for it, and can be cancelled before it starts. Watched
// descriptors are followed with QSocketNotifier.
#pragma once

#include <QObject>
#include <map>
#include <memory>
#include <thread>

#include "platform/dispatcher.h"

class QtDispatcher : public QObject, public platform::Dispatcher {
    Q_OBJECT
public:
    QtDispatcher();
    ~QtDispatcher() override;

    void Post(std::function<void()> fn) override;
    bool Send(std::function<void()> fn, const std::atomic<bool>* cancel = nullptr) override;
    bool OnUiThread() const override;
    uint64_t WatchFd(int fd, bool readable, bool writable,
                     std::function<void(int revents)> callback) override;
    void UnwatchFd(uint64_t id) override;

private:
    struct FdWatch;
    void Notify(uint64_t id, int revents);

    std::thread::id m_uiThread;
    // GUI thread only.
    std::map<uint64_t, std::unique_ptr<FdWatch>> m_watches;
    uint64_t m_nextWatchId = 1;
};

#include "app/qt_dispatcher.h"

#include <poll.h>

#include <QMetaObject>
#include <QSocketNotifier>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {
struct PendingSend {
    std::mutex lock;
    std::condition_variable cv;
    bool started = false;
    bool done = false;
    bool cancelled = false;
};
}  // namespace

struct QtDispatcher::FdWatch {
    QSocketNotifier* read = nullptr;
    QSocketNotifier* write = nullptr;
    std::function<void(int)> callback;
};

QtDispatcher::QtDispatcher() : m_uiThread(std::this_thread::get_id()) {}

QtDispatcher::~QtDispatcher() = default;

void QtDispatcher::Post(std::function<void()> fn) {
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

bool QtDispatcher::Send(std::function<void()> fn, const std::atomic<bool>* cancel) {
    if (OnUiThread()) {
        if (cancel && cancel->load()) {
            return false;
        }
        fn();
        return true;
    }
    auto pending = std::make_shared<PendingSend>();
    QMetaObject::invokeMethod(
        this,
        [pending, fn = std::move(fn)] {
            {
                std::lock_guard<std::mutex> lock(pending->lock);
                if (pending->cancelled) {
                    return;
                }
                pending->started = true;
            }
            fn();
            std::lock_guard<std::mutex> lock(pending->lock);
            pending->done = true;
            pending->cv.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(pending->lock);
    for (;;) {
        if (pending->done) {
            return true;
        }
        if (cancel && cancel->load() && !pending->started) {
            pending->cancelled = true;
            return false;
        }
        pending->cv.wait_for(lock, std::chrono::milliseconds(5));
    }
}

bool QtDispatcher::OnUiThread() const {
    return std::this_thread::get_id() == m_uiThread;
}

uint64_t QtDispatcher::WatchFd(int fd, bool readable, bool writable,
                               std::function<void(int)> callback) {
    const uint64_t id = m_nextWatchId++;
    auto watch = std::make_unique<FdWatch>();
    watch->callback = std::move(callback);
    if (readable) {
        watch->read = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(watch->read, &QSocketNotifier::activated, this, [this, id] { Notify(id, POLLIN); });
    }
    if (writable) {
        watch->write = new QSocketNotifier(fd, QSocketNotifier::Write, this);
        connect(watch->write, &QSocketNotifier::activated, this,
                [this, id] { Notify(id, POLLOUT); });
    }
    m_watches.emplace(id, std::move(watch));
    return id;
}

void QtDispatcher::UnwatchFd(uint64_t id) {
    auto it = m_watches.find(id);
    if (it == m_watches.end()) {
        return;
    }
    // The notifier may be emitting right now: disable it and let the loop delete it.
    for (QSocketNotifier* notifier : {it->second->read, it->second->write}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    m_watches.erase(it);
}

void QtDispatcher::Notify(uint64_t id, int revents) {
    auto it = m_watches.find(id);
    if (it == m_watches.end()) {
        return;
    }
    // A copy: the callback may end its own watch.
    auto callback = it->second->callback;
    callback(revents);
}

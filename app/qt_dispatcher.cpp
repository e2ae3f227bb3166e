#include "app/qt_dispatcher.h"

#include <QMetaObject>
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

bool QtDispatcher::OnUiThread() const { return std::this_thread::get_id() == m_uiThread; }

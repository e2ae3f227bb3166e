// The UI dispatcher over the Qt event loop: Post queues a call to the thread that created the
// dispatcher (the GUI thread); Send waits for it, and can be cancelled before it starts.
#pragma once

#include <QObject>
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

private:
    std::thread::id m_uiThread;
};

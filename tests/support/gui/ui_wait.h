// Waiting on the Qt event loop in tests: runs the loop until a condition holds or a real-time limit
// passes, so that timers, socket notifications and posted messages are delivered meanwhile.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>

// True as soon as `done` holds; false when `timeoutMs` passed first.
inline bool UiWaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() >= timeoutMs) {
            return done();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

inline void UiWaitFor(int ms) {
    UiWaitUntil([] { return false; }, ms);
}

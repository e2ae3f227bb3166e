// The UI dispatcher: how threads other than the user-interface thread reach it.
//   Post: queue a call to run on the UI thread; returns at once.
//   Send: run a call on the UI thread and wait until it has run (a direct call when already on
//         the UI thread). A send can be cancelled by the sender's cancel flag: if the call has not
//         started when the flag is set, it never runs and Send returns false. This is what lets
//         the UI thread close a serial port whose read thread is waiting to hand over a reply.
//
//   WatchFd: have the UI loop watch a descriptor (a TCP socket) and run a callback on the UI
//         thread whenever it is ready; UnwatchFd ends that. UI thread only, both of them; a
//         callback may unwatch its own descriptor (or any other) while it runs.
//
// Two implementations: PlainLoopDispatcher (tests, headless runs) and the Qt one in app/.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace platform {

class Dispatcher {
public:
    virtual ~Dispatcher() = default;
    virtual void Post(std::function<void()> fn) = 0;
    virtual bool Send(std::function<void()> fn, const std::atomic<bool>* cancel = nullptr) = 0;
    virtual bool OnUiThread() const = 0;

    // UI thread only. Runs `callback` on the UI thread with the poll() events (POLLIN, POLLOUT,
    // POLLHUP, POLLERR) whenever `fd` is readable (when asked) or writable (when asked). The
    // caller keeps the descriptor open until it has unwatched it. Returns the watch's id, never
    // 0; a dispatcher that cannot watch descriptors returns 0.
    virtual uint64_t WatchFd(int fd, bool readable, bool writable,
                             std::function<void(int revents)> callback);
    // UI thread only. Ends a watch; its callback never runs again. 0 and unknown ids are ignored.
    virtual void UnwatchFd(uint64_t id);
};

// The dispatcher of the process. Set once at start-up (before any other thread runs) and cleared
// at the end; Dispatch() is never null: without one, a PlainLoopDispatcher bound to the first
// caller's thread serves.
Dispatcher& Dispatch();
void SetDispatcher(Dispatcher* dispatcher);

}  // namespace platform

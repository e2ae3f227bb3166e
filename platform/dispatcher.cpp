#include "platform/dispatcher.h"

#include <memory>
#include <mutex>

#include "platform/plain_loop_dispatcher.h"

namespace platform {

uint64_t Dispatcher::WatchFd(int, bool, bool, std::function<void(int)>) {
    return 0;
}

void Dispatcher::UnwatchFd(uint64_t) {}

namespace {
std::atomic<Dispatcher*> g_dispatcher{nullptr};
std::once_flag g_fallbackOnce;
std::unique_ptr<PlainLoopDispatcher> g_fallback;
}  // namespace

Dispatcher& Dispatch() {
    Dispatcher* d = g_dispatcher.load();
    if (d) {
        return *d;
    }
    std::call_once(g_fallbackOnce, [] { g_fallback = std::make_unique<PlainLoopDispatcher>(); });
    return *g_fallback;
}

void SetDispatcher(Dispatcher* dispatcher) {
    g_dispatcher.store(dispatcher);
}

}  // namespace platform

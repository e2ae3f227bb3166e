#include "engine/fd_wait.h"

#include <poll.h>

#include <cerrno>
#include <cmath>

#include "platform/clock.h"

namespace {
constexpr double kSliceMs = 20.0;
}

FdWait WaitForFd(int fd, short events, int64_t limitMs, const std::atomic<bool>* cancel,
                 short* revents) {
    const int64_t deadline = platform::Clock::NowMs() + limitMs;
    for (;;) {
        if (cancel && cancel->load()) {
            return FdWait::Cancelled;
        }
        const int64_t left = deadline - platform::Clock::NowMs();
        const double realLeft = static_cast<double>(left) / platform::Clock::TimeScale();
        const int slice = static_cast<int>(std::ceil(std::fmin(realLeft, kSliceMs)));
        pollfd pfd{fd, events, 0};
        const int ready = ::poll(&pfd, 1, slice > 0 ? slice : 0);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FdWait::Failed;
        }
        if (ready > 0) {
            if (revents) {
                *revents = pfd.revents;
            }
            return FdWait::Ready;
        }
        if (left <= 0) {
            return FdWait::TimedOut;
        }
    }
}

// Waiting for a descriptor (a serial line or a socket) with a limit in program time, cancellable:
// the wait polls in short real-time slices and looks at the cancel flag between them.
//
// Any thread.
#pragma once

#include <atomic>
#include <cstdint>

enum class FdWait { Ready, TimedOut, Cancelled, Failed };

// Waits until `fd` reports one of `events` (POLLIN, POLLOUT) or a hang-up or error, at most
// `limitMs` program milliseconds. `revents` (when given) receives what poll() reported. Failed
// leaves errno as poll() set it.
FdWait WaitForFd(int fd, short events, int64_t limitMs, const std::atomic<bool>* cancel,
                 short* revents = nullptr);

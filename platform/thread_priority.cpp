#include "platform/thread_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {
// A few steps below normal: low enough to yield to the user interface and the read threads,
// not so low that a busy machine starves the 100 ms tick.
constexpr int kLowestNiceStep = 2;
}  // namespace

bool LowerCurrentThreadPriority(std::string* error) {
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    errno = 0;
    int current = getpriority(PRIO_PROCESS, tid);
    if (current == -1 && errno != 0) {
        if (error) {
            *error = std::strerror(errno);
        }
        return false;
    }
    if (setpriority(PRIO_PROCESS, tid, current + kLowestNiceStep) != 0) {
        if (error) {
            *error = std::strerror(errno);
        }
        return false;
    }
    return true;
}

}  // namespace platform

#include "tests/support/forked_check.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>

namespace {
constexpr uid_t kNobody = 65534;
}

bool RunningAsRoot() {
    return geteuid() == 0;
}

int RunInChild(const std::function<int()>& body, bool asPlainUser) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        if (asPlainUser && geteuid() == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
                std::perror("cannot become a plain user");
                _exit(250);
            }
        }
        const int result = body();
        std::fflush(nullptr);
        _exit(result & 0xFF);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

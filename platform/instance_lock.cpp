#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace platform {

std::string InstanceLock::DefaultFolder(std::string* note) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || runtime[0] != '/') {
        return "/tmp";
    }
    // After su or sudo -u the variable often names the first user's folder, or one that is gone.
    struct stat st {};
    const bool exists = stat(runtime, &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        return runtime;
    }
    const int err = exists ? ENOTDIR : errno;
    if (note) {
        *note = std::string("XDG_RUNTIME_DIR=") + runtime + " is not a folder (" +
                std::strerror(err) + "); the single-instance lock is kept in /tmp instead.";
    }
    return "/tmp";
}

InstanceLock::InstanceLock(const std::string& folder, const std::string& name) {
    std::string dir = folder.empty() ? DefaultFolder(&m_note) : folder;
    if (!dir.empty() && dir.back() == '/') {
        dir.pop_back();
    }
    m_path = dir + "/" + name;
}

InstanceLock::~InstanceLock() {
    if (m_fd >= 0) {
        close(m_fd);
    }
}

InstanceLock::Result InstanceLock::Acquire() {
    if (m_fd >= 0) {
        return Result::Acquired;
    }
    m_error.clear();
    // Read-only is enough for flock(), and lets a file another user left in /tmp be shared;
    // O_NOFOLLOW keeps a planted link from making us create a file elsewhere.
    int fd = open(m_path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        m_error = "cannot open the lock file " + m_path + ": " + std::strerror(errno);
        return Result::Error;
    }
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        if (err == EINTR) {
            continue;
        }
        close(fd);
        if (err == EWOULDBLOCK) {
            return Result::AlreadyRunning;
        }
        m_error = "cannot lock " + m_path + ": " + std::strerror(err);
        return Result::Error;
    }
    m_fd = fd;
    return Result::Acquired;
}

}  // namespace platform

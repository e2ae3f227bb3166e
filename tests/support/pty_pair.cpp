#include "tests/support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

PtyPair::PtyPair() {
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) {
        return;
    }
    char name[128];
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 ||
        ptsname_r(m_master, name, sizeof name) != 0) {
        CloseMaster();
        return;
    }
    m_slave = name;
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

PtyPair::~PtyPair() {
    CloseMaster();
}

bool PtyPair::LinkAs(const std::string& link) const {
    ::unlink(link.c_str());
    return ::symlink(m_slave.c_str(), link.c_str()) == 0;
}

void PtyPair::CloseMaster() {
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}

bool PtyPair::Write(const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
        ssize_t n = ::write(m_master, text.data() + sent, text.size() - sent);
        if (n > 0) {
            sent += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd pfd{m_master, POLLOUT, 0};
            ::poll(&pfd, 1, 10);
        } else {
            return false;
        }
    }
    return true;
}

std::string PtyPair::ReadUntil(const std::function<bool(const std::string&)>& done, int timeoutMs) {
    std::string text;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done(text)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || m_master < 0) {
            break;
        }
        pollfd pfd{m_master, POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left < 10 ? left : 10)) <= 0) {
            continue;
        }
        char buffer[4096];
        ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<size_t>(n));
        } else if (n < 0 && errno == EIO) {
            // Nobody has the slave open (yet): wait for the console.
            ::usleep(1000);
        }
    }
    return text;
}

std::string PtyPair::ReadUntilText(const std::string& text, int timeoutMs) {
    return ReadUntil([&](const std::string& got) { return got.find(text) != std::string::npos; },
                     timeoutMs);
}

std::string PtyPair::ReadFor(int waitMs) {
    return ReadUntil([](const std::string&) { return false; }, waitMs);
}

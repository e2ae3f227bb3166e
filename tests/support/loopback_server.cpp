#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace {

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int MsLeft(std::chrono::steady_clock::time_point end) {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                end - std::chrono::steady_clock::now())
                                .count());
}

}  // namespace

LoopbackServer::LoopbackServer() {
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0) {
        return;
    }
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return;
    }
    m_port = ntohs(address.sin_port);
}

LoopbackServer::~LoopbackServer() {
    for (int fd : m_fillers) {
        CloseFd(fd);
    }
    CloseFd(m_listener);
}

std::string LoopbackServer::Address() const {
    return "127.0.0.1 " + std::to_string(m_port);
}

bool LoopbackServer::Listen() {
    return ::listen(m_listener, 16) == 0;
}

bool LoopbackServer::ListenFull() {
    if (::listen(m_listener, 0) != 0) {
        return false;
    }
    const sockaddr_in address = Loopback(m_port);
    for (int& filler : m_fillers) {
        filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(filler, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }
    // The first completes and sits in the queue; the second hangs like every later one.
    pollfd pfd{m_fillers[0], POLLOUT, 0};
    return ::poll(&pfd, 1, 2000) == 1;
}

int LoopbackServer::Accept(int timeoutMs) {
    pollfd pfd{m_listener, POLLIN, 0};
    if (::poll(&pfd, 1, timeoutMs) != 1) {
        return -1;
    }
    return ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
}

std::string LoopbackServer::ReadUntil(int fd, const std::string& text, int timeoutMs) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (got.find(text) == std::string::npos && MsLeft(end) > 0) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, MsLeft(end)) != 1) {
            continue;
        }
        char buffer[4096];
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        got.append(buffer, static_cast<size_t>(n));
    }
    return got;
}

bool LoopbackServer::WriteAll(int fd, const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
        ssize_t n = ::send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

void LoopbackServer::CloseFd(int fd) {
    if (fd >= 0) {
        ::close(fd);
    }
}

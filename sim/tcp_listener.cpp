#include "sim/tcp_listener.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sim {
namespace {

std::string Reason(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

constexpr int kFillerWaitMs = 500;

std::string AddressText(const sockaddr_storage& address) {
    char host[INET6_ADDRSTRLEN] = "?";
    int port = 0;
    if (address.ss_family == AF_INET) {
        const auto* a = reinterpret_cast<const sockaddr_in*>(&address);
        inet_ntop(AF_INET, &a->sin_addr, host, sizeof host);
        port = ntohs(a->sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto* a = reinterpret_cast<const sockaddr_in6*>(&address);
        inet_ntop(AF_INET6, &a->sin6_addr, host, sizeof host);
        port = ntohs(a->sin6_port);
    }
    return std::string(host) + ":" + std::to_string(port);
}

}  // namespace

TcpListener::~TcpListener() {
    Close();
}

bool TcpListener::Open(const std::string& host, int port, std::string& error) {
    Close();
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    int rc = getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &found);
    if (rc != 0) {
        error = "cannot resolve " + host + ": " + gai_strerror(rc);
        return false;
    }
    error = "no address for " + host;
    for (addrinfo* ai = found; ai && m_fd < 0; ai = ai->ai_next) {
        int fd = socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) {
            error = Reason("socket");
            continue;
        }
        int on = 1;
        if (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) {
            error = Reason("setsockopt(SO_REUSEADDR)");
        } else if (bind(fd, ai->ai_addr, ai->ai_addrlen) != 0) {
            error = Reason(("bind " + host + ":" + service).c_str());
        } else if (listen(fd, SOMAXCONN) != 0) {
            error = Reason("listen");
        } else {
            m_fd = fd;
            m_family = ai->ai_family;
            break;
        }
        close(fd);
    }
    freeaddrinfo(found);
    if (m_fd < 0) {
        return false;
    }
    sockaddr_storage bound = {};
    socklen_t length = sizeof bound;
    if (getsockname(m_fd, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        error = Reason("getsockname");
        Close();
        return false;
    }
    m_port = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                         : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    return true;
}

void TcpListener::Close() {
    if (m_filler >= 0) {
        close(m_filler);
        m_filler = -1;
    }
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    m_port = -1;
}

int TcpListener::Accept(std::string& peer, std::string& error) {
    sockaddr_storage address = {};
    socklen_t length = sizeof address;
    int fd =
        accept4(m_fd, reinterpret_cast<sockaddr*>(&address), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR || errno == ECONNABORTED) {
            return -1;
        }
        error = Reason("accept");
        return -2;
    }
    int on = 1;
    if (setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0) {
        error = Reason("setsockopt(TCP_NODELAY)");  // slower, still correct
    }
    peer = AddressText(address);
    return fd;
}

bool TcpListener::SetNeverAccept(bool on, std::string& error) {
    if (m_fd < 0 || on == NeverAccept()) {
        return true;
    }
    if (!on) {
        // Take the filler (and anything that slipped in with it) off the queue, then listen
        // normally again.
        std::string peer, ignored;
        for (int fd; (fd = Accept(peer, ignored)) >= 0;) {
            close(fd);
        }
        close(m_filler);
        m_filler = -1;
        if (listen(m_fd, SOMAXCONN) != 0) {
            error = Reason("listen");
            return false;
        }
        return true;
    }
    // A backlog of 0 holds one finished connection; the unit's own takes that place.
    if (listen(m_fd, 0) != 0) {
        error = Reason("listen");
        return false;
    }
    sockaddr_storage self = {};
    socklen_t length = sizeof self;
    if (getsockname(m_fd, reinterpret_cast<sockaddr*>(&self), &length) != 0) {
        error = Reason("getsockname");
        return false;
    }
    if (m_family == AF_INET6) {
        reinterpret_cast<sockaddr_in6*>(&self)->sin6_addr = in6addr_loopback;
    } else {
        reinterpret_cast<sockaddr_in*>(&self)->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    int fd = socket(m_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error = Reason("socket");
        return false;
    }
    // Non-blocking: when others already fill the queue the connect never completes, which is
    // just as good, and the serving thread must not wait for it.
    if (connect(fd, reinterpret_cast<sockaddr*>(&self), length) != 0 && errno != EINPROGRESS) {
        error = Reason("connect to the own listener");
        close(fd);
        return false;
    }
    pollfd p = {fd, POLLOUT, 0};
    if (poll(&p, 1, kFillerWaitMs) < 0) {
        error = Reason("poll");
    }
    m_filler = fd;
    return true;
}

}  // namespace sim

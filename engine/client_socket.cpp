#include "engine/client_socket.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <system_error>

#include "app/state/app_state.h"
#include "engine/comm_port.h"
#include "engine/fd_wait.h"
#include "engine/os_error.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"
#include "platform/thread_priority.h"

namespace {

constexpr int64_t kRetryPauseMs = 50;
constexpr int64_t kPendingConnectMs = 3000;
// How long Close waits for the connect thread before leaving it to end by itself (a host name
// lookup cannot be interrupted).
constexpr auto kConnectThreadJoinWait = std::chrono::milliseconds(500);

// A connected socket, closed when the last user lets go of it (a writer on the worker may still
// hold it while the UI thread closes the connection).
struct SocketFd {
    explicit SocketFd(int fd) : fd(fd) {}
    ~SocketFd() { ::close(fd); }
    SocketFd(const SocketFd&) = delete;
    SocketFd& operator=(const SocketFd&) = delete;
    const int fd;
};

}  // namespace

// One connection: what the connect thread works on, and, once connected, the socket.
struct CClientSocket::Link {
    std::string host;
    unsigned port = 0;
    std::shared_ptr<LinkProblemSlot> problems;  // the port's; may be null
    std::atomic<bool> stop{false};
    std::atomic<int> connected{0};

    std::mutex lock;  // guards socket and threadDone
    std::condition_variable threadEnded;
    std::shared_ptr<SocketFd> socket;
    bool threadDone = false;

    std::shared_ptr<SocketFd> Socket() {
        std::lock_guard<std::mutex> guard(lock);
        return socket;
    }
};

namespace {

// One round of connecting to every address of the host. The connected descriptor, or -1 with the
// reason in `reason`.
int ConnectOnce(const std::string& host, unsigned port, const std::atomic<bool>& stop,
                std::string* reason, LinkProblem* problem) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    const std::string where = host + " " + service;
    if (rc != 0) {
        const std::string words =
            rc == EAI_SYSTEM ? OsErrorText(errno) : std::string(gai_strerror(rc));
        *reason = "host " + host + " not found: " + words;
        *problem = {LinkProblem::Kind::HostNotFound, where, 0, words};
        return -1;
    }
    auto failed = [&](int error) {
        *reason = where + ": " + OsErrorText(error);
        const bool refused = error == ECONNREFUSED;
        const bool silent = error == ETIMEDOUT || error == EHOSTUNREACH || error == ENETUNREACH;
        *problem = {refused  ? LinkProblem::Kind::Refused
                    : silent ? LinkProblem::Kind::NoAnswer
                             : LinkProblem::Kind::ConnectFailed,
                    where, error, OsErrorText(error)};
    };
    int fd = -1;
    for (addrinfo* ai = found; ai && !stop.load(); ai = ai->ai_next) {
        fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                      ai->ai_protocol);
        if (fd < 0) {
            *reason = "socket not created: " + OsErrorText(errno);
            continue;
        }
        if (::connect(fd, ai->ai_addr, ai->ai_addrlen) == 0) {
            break;
        }
        if (errno == EINPROGRESS) {
            const FdWait wait = WaitForFd(fd, POLLOUT, kPendingConnectMs, &stop);
            if (wait == FdWait::Ready) {
                int error = 0;
                socklen_t length = sizeof error;
                if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
                    error = errno;
                }
                if (error == 0) {
                    break;
                }
                failed(error);
            } else if (wait == FdWait::TimedOut) {
                *reason = where + ": no answer within 3 s";
                *problem = {LinkProblem::Kind::NoAnswer, where, 0, "no answer within 3 s"};
            } else if (wait == FdWait::Failed) {
                failed(errno);
            }
        } else {
            failed(errno);
        }
        ::close(fd);
        fd = -1;
    }
    ::freeaddrinfo(found);
    return fd;
}

}  // namespace

CClientSocket::CClientSocket(CCommPort* owner) : Owner(owner) {}

CClientSocket::~CClientSocket() {
    Close();
}

bool CClientSocket::Init(CCommPort* owner, const std::string& host, unsigned port) {
    Close();
    Owner = owner;
    Host = host;
    HostPort = port;
    auto link = std::make_shared<Link>();
    link->host = host;
    link->port = port;
    if (owner) {
        link->problems = owner->ProblemSlot();
    }
    std::lock_guard<std::mutex> lock(m_linkLock);
    m_link = std::move(link);
    return true;
}

bool CClientSocket::StartConnect() {
    auto link = CurrentLink();
    if (!link) {
        return false;
    }
    if (m_threadLink == link && ConnectThreadRunning()) {
        return true;
    }
    EndConnectThread();
    link->stop.store(false);
    try {
        m_connectThread = std::thread(&CClientSocket::ConnectLoop, link, this);
    } catch (const std::system_error& e) {
        DebugLog(std::string("StartConnect() fail! reason: connect thread not created: ") +
                 e.what());
        return false;
    }
    m_threadLink = link;
    return true;
}

void CClientSocket::ConnectLoop(std::shared_ptr<Link> link, CClientSocket* self) {
    std::string error;
    if (!platform::LowerCurrentThreadPriority(&error)) {
        DebugLog("ConnectThread(): priority not lowered: " + error);
    }
    bool failureLogged = false;
    while (!link->stop.load()) {
        if (!platform::Clock::SleepMs(kRetryPauseMs, &link->stop)) {
            break;
        }
        std::string reason;
        LinkProblem problem;
        const int fd = ConnectOnce(link->host, link->port, link->stop, &reason, &problem);
        if (fd < 0 && link->problems && problem.kind != LinkProblem::Kind::None &&
            !link->stop.load()) {
            link->problems->Set(problem);
        }
        if (fd >= 0) {
            {
                std::lock_guard<std::mutex> guard(link->lock);
                link->socket = std::make_shared<SocketFd>(fd);
            }
            link->connected.store(1);
            // The socket is watched from the UI thread. The socket object is still there when
            // the link has not been stopped: only Close (on the UI thread) stops it.
            platform::Dispatch().Post([self, link] {
                if (!link->stop.load()) {
                    self->Attach(link);
                }
            });
            break;
        }
        // Said once per connection: the thread keeps trying every 50 ms.
        if (!failureLogged && !reason.empty() && !link->stop.load()) {
            DebugLog("Connect() fail! reason: " + reason + "; still trying");
            failureLogged = true;
        }
    }
    std::lock_guard<std::mutex> guard(link->lock);
    link->threadDone = true;
    link->threadEnded.notify_all();
}

void CClientSocket::Attach(const std::shared_ptr<Link>& link) {
    if (CurrentLink() != link) {
        return;
    }
    auto socket = link->Socket();
    if (!socket) {
        return;
    }
    if (Owner) {
        Owner->ClearProblem();  // what failed on the way there is over
    }
    m_watcher = &platform::Dispatch();
    m_watchId = m_watcher->WatchFd(socket->fd, true, false, [this, link](int) { OnReady(link); });
    OnConnect(0);
}

void CClientSocket::OnReady(const std::shared_ptr<Link>& link) {
    if (CurrentLink() != link) {
        return;
    }
    m_peerClosed = false;
    OnReceive(0);
    // The receive side may have closed (and even reopened) the port meanwhile.
    if (m_peerClosed && CurrentLink() == link) {
        OnClose(0);
    }
}

void CClientSocket::OnConnect(int) {}

void CClientSocket::OnReceive(int) {
    if (Owner) {
        Owner->OnCommReceive();
        return;
    }
    char discard[4096];
    Receive(discard, sizeof discard);
}

void CClientSocket::OnClose(int) {
    DebugLog("OnClose(): the unit " + Host + " " + std::to_string(HostPort) +
             " closed the connection");
    if (Owner) {
        Owner->NoteProblem({LinkProblem::Kind::PeerClosed, Host + " " + std::to_string(HostPort), 0,
                            "the unit closed the connection"});
    }
    Close();
    if (Owner) {
        Owner->IsOpen.store(0);
    }
}

void CClientSocket::Close() {
    std::shared_ptr<Link> link;
    {
        std::lock_guard<std::mutex> lock(m_linkLock);
        link = std::move(m_link);
    }
    if (m_watchId != 0) {
        m_watcher->UnwatchFd(m_watchId);
        m_watchId = 0;
        m_watcher = nullptr;
    }
    if (link) {
        platform::Clock::Cancel(link->stop);
        link->connected.store(0);
        std::shared_ptr<SocketFd> socket;
        {
            std::lock_guard<std::mutex> guard(link->lock);
            socket = std::move(link->socket);
        }
        // Wakes a writer still waiting on it; the descriptor closes with its last user.
        if (socket && ::shutdown(socket->fd, SHUT_RDWR) != 0 && errno != ENOTCONN) {
            DebugLog("Close(): shutdown fail: " + OsErrorText(errno));
        }
    }
    EndConnectThread();
}

void CClientSocket::EndConnectThread() {
    if (!m_connectThread.joinable()) {
        m_threadLink.reset();
        return;
    }
    auto link = std::move(m_threadLink);
    platform::Clock::Cancel(link->stop);
    bool ended = false;
    {
        std::unique_lock<std::mutex> guard(link->lock);
        ended = link->threadEnded.wait_for(guard, kConnectThreadJoinWait,
                                           [&] { return link->threadDone; });
    }
    if (ended) {
        m_connectThread.join();
    } else {
        DebugLog("Close(): the connect thread is still looking up " + link->host +
                 "; it ends by itself");
        m_connectThread.detach();
    }
}

std::shared_ptr<CClientSocket::Link> CClientSocket::CurrentLink() const {
    std::lock_guard<std::mutex> lock(m_linkLock);
    return m_link;
}

bool CClientSocket::Connected() const {
    auto link = CurrentLink();
    return link && link->connected.load() == 1;
}

bool CClientSocket::ConnectThreadRunning() const {
    auto link = m_threadLink;
    if (!link) {
        return false;
    }
    std::lock_guard<std::mutex> guard(link->lock);
    return !link->threadDone;
}

int CClientSocket::Receive(char* buffer, int capacity) {
    auto link = CurrentLink();
    auto socket = link ? link->Socket() : nullptr;
    if (!socket || capacity <= 0) {
        return 0;
    }
    const ssize_t n = ::recv(socket->fd, buffer, static_cast<size_t>(capacity), MSG_DONTWAIT);
    if (n > 0) {
        return static_cast<int>(n);
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return 0;
    }
    if (n < 0) {
        DebugLog("Receive() fail! reason: " + OsErrorText(errno));
    }
    m_peerClosed = true;
    return 0;
}

bool CClientSocket::Send(const char* bytes, int length, int64_t limitMs) {
    auto link = CurrentLink();
    auto socket = link ? link->Socket() : nullptr;
    if (!socket || length < 0) {
        return false;
    }
    const int64_t deadline = platform::Clock::NowMs() + limitMs;
    int sent = 0;
    while (sent < length) {
        const ssize_t n = ::send(socket->fd, bytes + sent, static_cast<size_t>(length - sent),
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            DebugLog("Send() fail! reason: " + OsErrorText(errno));
            return false;
        }
        // The connection takes no more for now: wait until it does.
        const FdWait wait =
            WaitForFd(socket->fd, POLLOUT, deadline - platform::Clock::NowMs(), &link->stop);
        if (wait == FdWait::Ready) {
            continue;
        }
        if (wait == FdWait::TimedOut) {
            DebugLog("Send() fail! reason: " + std::to_string(sent) + " of " +
                     std::to_string(length) + " bytes sent in " + std::to_string(limitMs) + " ms");
        } else if (wait == FdWait::Failed) {
            DebugLog("Send() fail! reason: " + OsErrorText(errno));
        }
        return false;
    }
    return true;
}

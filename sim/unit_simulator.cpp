#include "sim/unit_simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "platform/clock.h"
#include "sim/output_pacer.h"
#include "sim/pty_device.h"
#include "sim/record_text.h"
#include "sim/tcp_listener.h"
#include "sim/unit_dialogue.h"
#include "sim/unit_pages.h"

namespace sim {
namespace {

constexpr size_t kReadSize = 4096;
constexpr int kIdlePollMs = 200;    // the longest the serving thread sleeps without a reason
constexpr int kApplyWaitMs = 2000;  // the longest SetFaults waits for the serving thread
constexpr int kPtyProbeMs = 20;     // how often (real ms) a free pseudo-terminal is checked

std::string Reason(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// "YYYY-MM-DD HH:MM" of the local clock.
std::string AlarmStamp() {
    platform::LocalTime now = platform::Clock::LocalNow();
    return now.DateText() + " " + now.TimeText().substr(0, 5);
}

// Program milliseconds from now until `dueMs`, as real milliseconds for poll().
int RealMsUntil(int64_t dueMs, int64_t nowMs) {
    if (dueMs <= nowMs) {
        return 0;
    }
    double real = static_cast<double>(dueMs - nowMs) / platform::Clock::TimeScale();
    return static_cast<int>(std::min(std::ceil(real), static_cast<double>(kIdlePollMs)));
}

}  // namespace

// One line the unit serves: an accepted TCP connection or a pseudo-terminal.
struct ServedLine {
    ServedLine(int lineId, int descriptor, PtyDevice* device, UnitDialogue d)
        : id(lineId), fd(descriptor), pty(device), dialogue(std::move(d)) {}
    int id;
    int fd;
    PtyDevice* pty;        // null for TCP
    bool attached = true;  // pty: a console has the device open
    bool waitWritable = false;
    bool hangUpWhenSent = false;
    bool closed = false;
    std::string outbox;
    OutputPacer pacer;
    UnitDialogue dialogue;
};

class UnitSimulator::Server {
public:
    explicit Server(UnitOptions options);
    ~Server() { Stop(); }

    int StartTcp(const std::string& host, int port);
    std::string StartPty();
    void Stop();

    std::string LastError() const;
    int TcpPort() const;
    std::string PtyPath() const;
    std::vector<std::string> ReceivedRequests() const;
    void ClearReceivedRequests();
    bool WaitForRequests(size_t count, int timeoutMs) const;
    int ConnectionCount() const;
    int LoginCount() const;
    UnitState Snapshot() const;
    void UpdateState(const std::function<void(UnitState&)>& change);
    void SetFaults(const FaultModes& faults);
    FaultModes Faults() const;
    void SetPassword(const std::string& password);

private:
    bool ReadyToStart();  // m_lock held
    void EnsureThread();  // m_lock held
    void Wake();
    void Run();
    void AdoptEndpoints();
    void ApplyNeverAccept(bool on);
    void AcceptAll(TcpListener& listener);
    void ProbePty(ServedLine& line);
    void ReadFrom(ServedLine& line);
    void Answer(ServedLine& line, const std::string& received);
    void SendDue(ServedLine& line, int64_t nowMs);
    void HangUp(ServedLine& line, const std::string& why);
    void Detach(ServedLine& line, const std::string& why);
    UnitDialogue MakeDialogue();
    std::string ServePage(const std::string& requestLine);
    void Note(const std::string& text);
    void Failed(const std::string& reason);

    const UnitOptions m_options;

    mutable std::mutex m_lock;                  // guards the fields from here to m_stopped
    mutable std::condition_variable m_changed;  // requests grew, or faults were applied
    UnitState m_state;
    FaultModes m_faults;
    uint64_t m_faultsSet = 0;      // how many times SetFaults ran
    uint64_t m_faultsApplied = 0;  // how many of those the serving thread has put on its lines
    std::string m_password;
    std::vector<std::string> m_requests;
    int m_connections = 0;
    int m_logins = 0;
    std::string m_lastError;
    int m_tcpPort = -1;
    std::string m_ptyPath;
    std::vector<std::unique_ptr<TcpListener>> m_listeners;  // used by the thread once adopted
    std::vector<std::unique_ptr<PtyDevice>> m_ptys;         // used by the thread once adopted
    bool m_stopped = false;

    std::mutex m_transcriptLock;  // one transcript line at a time
    std::atomic<bool> m_stop{false};
    int m_wake[2] = {-1, -1};
    std::thread m_thread;

    // Owned by the serving thread (and by Stop after it ended).
    std::vector<TcpListener*> m_liveListeners;
    size_t m_adoptedPtys = 0;
    std::vector<std::unique_ptr<ServedLine>> m_lines;
    int m_nextLineId = 1;
};

UnitSimulator::Server::Server(UnitOptions options)
    : m_options(std::move(options)), m_password(m_options.password) {
    m_faults = m_options.faults;
    m_state = m_options.demo        ? UnitState::Demo()
              : m_options.seed != 0 ? UnitState::Seeded(m_options.seed)
                                    : UnitState::Base();
    if (pipe2(m_wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        m_lastError = Reason("pipe2");
        m_wake[0] = m_wake[1] = -1;
    }
}

bool UnitSimulator::Server::ReadyToStart() {
    if (m_stopped) {
        m_lastError = "the simulator was stopped";
        return false;
    }
    return m_wake[0] >= 0;
}

void UnitSimulator::Server::EnsureThread() {
    if (!m_thread.joinable()) {
        m_thread = std::thread([this] { Run(); });
    }
}

// Called with m_lock held, or by Stop before it closes the pipe.
void UnitSimulator::Server::Wake() {
    const char byte = 1;
    // A full pipe already holds a wake-up, so EAGAIN is fine.
    if (write(m_wake[1], &byte, 1) < 0 && errno != EAGAIN) {
        Note("cannot wake the serving thread: " + std::string(std::strerror(errno)));
    }
}

int UnitSimulator::Server::StartTcp(const std::string& host, int port) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!ReadyToStart()) {
        return -1;
    }
    auto listener = std::make_unique<TcpListener>();
    std::string error;
    if (!listener->Open(host, port, error) ||
        (m_faults.neverAccept && !listener->SetNeverAccept(true, error))) {
        m_lastError = error;
        return -1;
    }
    m_tcpPort = listener->Port();
    m_listeners.push_back(std::move(listener));
    EnsureThread();
    Wake();
    Note("listening on " + host + ":" + std::to_string(m_tcpPort));
    return m_tcpPort;
}

std::string UnitSimulator::Server::StartPty() {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!ReadyToStart()) {
        return "";
    }
    auto pty = std::make_unique<PtyDevice>();
    std::string error;
    if (!pty->Open(m_options.ptyLink, error)) {
        m_lastError = error;
        return "";
    }
    m_ptyPath = pty->SlavePath();
    m_ptys.push_back(std::move(pty));
    EnsureThread();
    Wake();
    Note("serving the pseudo-terminal " + m_ptyPath);
    return m_ptyPath;
}

void UnitSimulator::Server::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_stopped) {
            return;
        }
        m_stopped = true;
        m_changed.notify_all();
    }
    m_stop = true;
    if (m_thread.joinable()) {
        Wake();
        m_thread.join();
    }
    for (auto& line : m_lines) {
        if (!line->pty && line->fd >= 0) {
            close(line->fd);
        }
    }
    m_lines.clear();
    std::lock_guard<std::mutex> lock(m_lock);
    for (auto& pty : m_ptys) {
        pty->Remove();
    }
    for (auto& listener : m_listeners) {
        listener->Close();
    }
    for (int& fd : m_wake) {
        if (fd >= 0) {
            close(fd);
            fd = -1;
        }
    }
}

void UnitSimulator::Server::Run() {
    std::vector<pollfd> fds;
    std::vector<ServedLine*> polledLines;
    while (!m_stop) {
        AdoptEndpoints();
        FaultModes faults;
        uint64_t generation = 0;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            faults = m_faults;
            generation = m_faultsSet;
        }
        ApplyNeverAccept(faults.neverAccept);
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_faultsApplied = generation;
            m_changed.notify_all();
        }

        int64_t now = platform::Clock::NowMs();
        int timeout = kIdlePollMs;
        for (auto& line : m_lines) {
            line->pacer.Configure(faults.slowBaud, faults.splitBytes);
            if (line->pty && !line->attached) {
                ProbePty(*line);
                timeout = std::min(timeout, kPtyProbeMs);
            }
            SendDue(*line, now);
            if (!line->outbox.empty() && !line->waitWritable && !line->closed) {
                timeout = std::min(timeout, RealMsUntil(line->pacer.NextDueMs(), now));
            }
        }
        std::erase_if(m_lines, [](const std::unique_ptr<ServedLine>& l) { return l->closed; });

        fds.clear();
        polledLines.clear();
        fds.push_back({m_wake[0], POLLIN, 0});
        if (!faults.neverAccept) {
            for (TcpListener* listener : m_liveListeners) {
                fds.push_back({listener->Fd(), POLLIN, 0});
            }
        }
        const size_t firstLine = fds.size();
        for (auto& line : m_lines) {
            if (line->attached) {
                short events = POLLIN | (line->waitWritable ? POLLOUT : 0);
                fds.push_back({line->fd, events, 0});
                polledLines.push_back(line.get());
            }
        }
        if (poll(fds.data(), fds.size(), timeout) < 0) {
            if (errno != EINTR) {
                Failed(Reason("poll"));
                platform::Clock::SleepMs(kIdlePollMs);
            }
            continue;
        }
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (read(m_wake[0], drain, sizeof drain) > 0) {
            }
        }
        for (size_t i = 1; i < firstLine; ++i) {
            if (fds[i].revents) {
                AcceptAll(*m_liveListeners[i - 1]);
            }
        }
        for (size_t i = firstLine; i < fds.size(); ++i) {
            ServedLine& line = *polledLines[i - firstLine];
            if (fds[i].revents & POLLOUT) {
                line.waitWritable = false;
            }
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) {
                ReadFrom(line);
            }
        }
    }
}

void UnitSimulator::Server::AdoptEndpoints() {
    std::vector<PtyDevice*> newPtys;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        for (size_t i = m_liveListeners.size(); i < m_listeners.size(); ++i) {
            m_liveListeners.push_back(m_listeners[i].get());
        }
        for (; m_adoptedPtys < m_ptys.size(); ++m_adoptedPtys) {
            newPtys.push_back(m_ptys[m_adoptedPtys].get());
        }
    }
    for (PtyDevice* pty : newPtys) {
        auto line =
            std::make_unique<ServedLine>(m_nextLineId++, pty->MasterFd(), pty, MakeDialogue());
        line->attached = false;
        m_lines.push_back(std::move(line));
    }
}

void UnitSimulator::Server::ApplyNeverAccept(bool on) {
    for (TcpListener* listener : m_liveListeners) {
        std::string error;
        if (listener->NeverAccept() != on && !listener->SetNeverAccept(on, error)) {
            Failed(error);
        }
    }
}

void UnitSimulator::Server::AcceptAll(TcpListener& listener) {
    for (;;) {
        std::string peer, error;
        int fd = listener.Accept(peer, error);
        if (fd == -2) {
            Failed(error);
        }
        if (fd < 0) {
            return;
        }
        if (!error.empty()) {
            Note(error);
        }
        auto line = std::make_unique<ServedLine>(m_nextLineId++, fd, nullptr, MakeDialogue());
        Note("[line " + std::to_string(line->id) + "] connection from " + peer);
        m_lines.push_back(std::move(line));
        std::lock_guard<std::mutex> lock(m_lock);
        ++m_connections;
    }
}

void UnitSimulator::Server::ProbePty(ServedLine& line) {
    if (line.pty->ConsoleAttached()) {
        line.attached = true;
        Note("[line " + std::to_string(line.id) + "] the console opened " + line.pty->SlavePath());
        std::lock_guard<std::mutex> lock(m_lock);
        ++m_connections;
    }
}

void UnitSimulator::Server::ReadFrom(ServedLine& line) {
    char buffer[kReadSize];
    ssize_t n = read(line.fd, buffer, sizeof buffer);
    if (n > 0) {
        Answer(line, std::string(buffer, static_cast<size_t>(n)));
        return;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return;
    }
    const bool gone = n == 0 || errno == EIO;
    const std::string why = gone ? "the console closed the line" : Reason("read");
    if (line.pty) {
        // EIO from a pseudo-terminal's master: nobody has the device open any more.
        Detach(line, why);
    } else {
        HangUp(line, why);
    }
}

void UnitSimulator::Server::Answer(ServedLine& line, const std::string& received) {
    const std::string tag = "[line " + std::to_string(line.id) + "] ";
    Note(tag + "console> " + EscapeBytes(received));
    UnitDialogue::Output out = line.dialogue.Feed(received, Faults());
    if (!out.requests.empty() || out.loggedIn) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_requests.insert(m_requests.end(), out.requests.begin(), out.requests.end());
        m_logins += out.loggedIn ? 1 : 0;
        m_changed.notify_all();
    }
    if (!out.bytes.empty()) {
        Note(tag + "unit> " + EscapeBytes(out.bytes));
        line.outbox += out.bytes;
    }
    line.hangUpWhenSent = line.hangUpWhenSent || out.hangUp;
    SendDue(line, platform::Clock::NowMs());
}

void UnitSimulator::Server::SendDue(ServedLine& line, int64_t nowMs) {
    while (!line.closed && line.attached && !line.outbox.empty() && !line.waitWritable) {
        size_t allowed = line.pacer.Allowance(nowMs, line.outbox.size());
        if (allowed == 0) {
            return;
        }
        ssize_t n = line.pty ? write(line.fd, line.outbox.data(), allowed)
                             : send(line.fd, line.outbox.data(), allowed, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                line.waitWritable = true;
            } else if (errno != EINTR) {
                line.pty ? Detach(line, Reason("write")) : HangUp(line, Reason("send"));
            }
            return;
        }
        line.pacer.Sent(static_cast<size_t>(n), nowMs);
        line.outbox.erase(0, static_cast<size_t>(n));
    }
    if (line.outbox.empty()) {
        line.pacer.Idle();
        if (line.hangUpWhenSent && !line.closed) {
            HangUp(line, "the unit dropped the line in the middle of a reply");
        }
    }
}

void UnitSimulator::Server::HangUp(ServedLine& line, const std::string& why) {
    Note("[line " + std::to_string(line.id) + "] " + why);
    line.outbox.clear();
    line.hangUpWhenSent = false;
    line.waitWritable = false;
    if (!line.pty) {
        close(line.fd);
        line.fd = -1;
        line.closed = true;
        return;
    }
    // A pseudo-terminal is dropped by closing its master: the console sees the device go away.
    // With a link, a fresh device takes its place, as when an adapter is plugged in again.
    line.pty->Close();
    line.dialogue.Restart();
    line.attached = false;
    std::string error;
    if (line.pty->LinkPath().empty() || !line.pty->Open(line.pty->LinkPath(), error)) {
        if (!error.empty()) {
            Failed(error);
        }
        line.closed = true;
        return;
    }
    line.fd = line.pty->MasterFd();
    Note("[line " + std::to_string(line.id) + "] the device is back as " + line.pty->SlavePath());
    std::lock_guard<std::mutex> lock(m_lock);
    m_ptyPath = line.pty->SlavePath();
}

void UnitSimulator::Server::Detach(ServedLine& line, const std::string& why) {
    Note("[line " + std::to_string(line.id) + "] " + why);
    line.attached = false;
    line.waitWritable = false;
    line.hangUpWhenSent = false;
    line.outbox.clear();
    line.pacer.Idle();
    line.dialogue.Restart();
}

UnitDialogue UnitSimulator::Server::MakeDialogue() {
    return UnitDialogue(m_options.keyword,
                        [this](const std::string& request) { return ServePage(request); });
}

std::string UnitSimulator::Server::ServePage(const std::string& requestLine) {
    std::string clock = m_options.clockText;
    if (clock.empty()) {
        clock = platform::Clock::LocalNow().TimeText().substr(0, 5);
    }
    std::lock_guard<std::mutex> lock(m_lock);
    return ServePageRequest(m_state, PageContext{m_password, clock}, requestLine);
}

void UnitSimulator::Server::Note(const std::string& text) {
    if (!m_options.transcript) {
        return;
    }
    std::lock_guard<std::mutex> lock(m_transcriptLock);
    *m_options.transcript << platform::Clock::LocalNow().TimeText() << " " << text << "\n";
    m_options.transcript->flush();
}

void UnitSimulator::Server::Failed(const std::string& reason) {
    Note(reason);
    std::lock_guard<std::mutex> lock(m_lock);
    m_lastError = reason;
}

std::string UnitSimulator::Server::LastError() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lastError;
}

int UnitSimulator::Server::TcpPort() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_tcpPort;
}

std::string UnitSimulator::Server::PtyPath() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_ptyPath;
}

std::vector<std::string> UnitSimulator::Server::ReceivedRequests() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_requests;
}

void UnitSimulator::Server::ClearReceivedRequests() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_requests.clear();
}

bool UnitSimulator::Server::WaitForRequests(size_t count, int timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_requests.size() >= count; });
}

int UnitSimulator::Server::ConnectionCount() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_connections;
}

int UnitSimulator::Server::LoginCount() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_logins;
}

UnitState UnitSimulator::Server::Snapshot() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_state;
}

void UnitSimulator::Server::UpdateState(const std::function<void(UnitState&)>& change) {
    std::lock_guard<std::mutex> lock(m_lock);
    change(m_state);
}

void UnitSimulator::Server::SetFaults(const FaultModes& faults) {
    std::unique_lock<std::mutex> lock(m_lock);
    m_faults = faults;
    const uint64_t generation = ++m_faultsSet;
    if (m_stopped || !m_thread.joinable()) {
        return;
    }
    Wake();  // under the lock, so that Stop cannot close the pipe meanwhile
    // Wait (briefly) until the listeners follow, so that a connect made after this call meets
    // the new behaviour. Bytes already queued on a line go out as they were made.
    m_changed.wait_for(lock, std::chrono::milliseconds(kApplyWaitMs),
                       [&] { return m_faultsApplied >= generation || m_stopped; });
}

FaultModes UnitSimulator::Server::Faults() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_faults;
}

void UnitSimulator::Server::SetPassword(const std::string& password) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_password = password;
}

// The public face forwards to the server.

UnitSimulator::UnitSimulator(UnitOptions options)
    : m_server(std::make_unique<Server>(std::move(options))) {}
UnitSimulator::~UnitSimulator() = default;
int UnitSimulator::StartTcp(const std::string& host, int port) {
    return m_server->StartTcp(host, port);
}
std::string UnitSimulator::StartPty() {
    return m_server->StartPty();
}
void UnitSimulator::Stop() {
    m_server->Stop();
}
std::string UnitSimulator::LastError() const {
    return m_server->LastError();
}
int UnitSimulator::TcpPort() const {
    return m_server->TcpPort();
}
std::string UnitSimulator::PtyPath() const {
    return m_server->PtyPath();
}
std::vector<std::string> UnitSimulator::ReceivedRequests() const {
    return m_server->ReceivedRequests();
}
void UnitSimulator::ClearReceivedRequests() {
    m_server->ClearReceivedRequests();
}
bool UnitSimulator::WaitForRequests(size_t count, int timeoutMs) const {
    return m_server->WaitForRequests(count, timeoutMs);
}
int UnitSimulator::ConnectionCount() const {
    return m_server->ConnectionCount();
}
int UnitSimulator::LoginCount() const {
    return m_server->LoginCount();
}
UnitState UnitSimulator::Snapshot() const {
    return m_server->Snapshot();
}
void UnitSimulator::UpdateState(const std::function<void(UnitState&)>& change) {
    m_server->UpdateState(change);
}
bool UnitSimulator::RaiseAlarm(int n) {
    bool raised = false;
    const std::string when = AlarmStamp();
    m_server->UpdateState([&](UnitState& s) { raised = s.RaiseAlarm(n, when); });
    return raised;
}
void UnitSimulator::SetFaults(const FaultModes& faults) {
    m_server->SetFaults(faults);
}
FaultModes UnitSimulator::Faults() const {
    return m_server->Faults();
}
void UnitSimulator::SetPassword(const std::string& password) {
    m_server->SetPassword(password);
}

}  // namespace sim

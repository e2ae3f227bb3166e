#include "engine/serial_line.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <system_error>

#include "app/state/app_state.h"
#include "engine/comm_port.h"
#include "engine/fd_wait.h"
#include "engine/os_error.h"
#include "engine/serial_custom_baud.h"
#include "platform/clock.h"

namespace {

// How often the read thread looks at the modem lines and at the closing flag.
constexpr double kSampleProgramMs = 50.0;
constexpr double kSampleRealMsMax = 20.0;
// A rate the line reports within this fraction of the one asked for counts as taken (a UART
// runs at the nearest rate its divisor allows).
constexpr double kBaudTolerance = 0.03;

bool NoModemLines(int err) {
    return err == ENOTTY || err == EINVAL;
}

bool LineGone(int err) {
    return err == EIO || err == ENXIO || err == ENODEV;
}

int SampleSliceMs() {
    const double real = kSampleProgramMs / platform::Clock::TimeScale();
    return static_cast<int>(std::ceil(std::fmax(1.0, std::fmin(real, kSampleRealMsMax))));
}

void LogOpenFail(const std::string& reason) {
    DebugLog("Open() fail! reason: " + reason);
}

LinkProblem::Kind ProblemKindOf(int err) {
    switch (err) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return LinkProblem::Kind::DeviceMissing;
        case EACCES:
        case EPERM:
            return LinkProblem::Kind::PermissionDenied;
        case EBUSY:
            return LinkProblem::Kind::DeviceBusy;
        default:
            return LinkProblem::Kind::OpenFailed;
    }
}

}  // namespace

std::string SerialOpenFailReason(const std::string& device, int err) {
    switch (err) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "device " + device + " not found";
        case EACCES:
        case EPERM:
            return "permission denied on " + device +
                   " (the user must be a member of the \"dialout\" group)";
        case EBUSY:
            return "device " + device + " busy (in use by another program)";
        default:
            return "cannot open " + device + ": " + OsErrorText(err);
    }
}

SerialLine::SerialLine(CCommPort& port) : m_port(port) {
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0) {
        DebugLog("SerialLine: eventfd fail! reason: " + OsErrorText(errno) +
                 "; the read thread looks for a close every few milliseconds");
    }
}

SerialLine::~SerialLine() {
    Close();
    if (m_wakeFd >= 0) {
        ::close(m_wakeFd);
    }
}

void SerialLine::RaiseClosing() {
    platform::Clock::Cancel(m_closing);
    const uint64_t one = 1;
    if (m_wakeFd >= 0 && ::write(m_wakeFd, &one, sizeof one) < 0 && errno != EAGAIN) {
        DebugLog("Close(): eventfd not raised: " + OsErrorText(errno));
    }
}

bool SerialLine::Open(const std::string& device, const SerialLineSettings& settings) {
    std::lock_guard<std::mutex> lock(m_ioLock);
    if (m_fd >= 0) {
        if (!m_lost.load()) {
            return true;
        }
        ReleaseLocked(false);
    }
    m_closing.store(false);
    m_lost.store(false);
    m_lostErrno.store(0);
    uint64_t drained = 0;
    if (m_wakeFd >= 0 && ::read(m_wakeFd, &drained, sizeof drained) < 0 && errno != EAGAIN) {
        DebugLog("Open(): eventfd not drained: " + OsErrorText(errno));
    }

    auto note = [&](int err, const std::string& reason) {
        m_port.NoteProblem({ProblemKindOf(err), device, err, reason});
    };
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        LogOpenFail(SerialOpenFailReason(device, err));
        note(err, OsErrorText(err));
        return false;
    }
    auto fail = [&](int err, const std::string& reason) {
        ::close(fd);
        LogOpenFail(reason);
        note(err, reason);
        return false;
    };
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        return err == EWOULDBLOCK ? fail(EBUSY, SerialOpenFailReason(device, EBUSY))
                                  : fail(err, "cannot lock " + device + ": " + OsErrorText(err));
    }
    if (::ioctl(fd, TIOCEXCL) != 0 && !NoModemLines(errno)) {
        const int err = errno;
        return fail(err, "cannot take " + device + " for exclusive use: " + OsErrorText(err));
    }
    termios saved{};
    if (::tcgetattr(fd, &saved) != 0) {
        const int err = errno;
        return fail(err == EBUSY ? EBUSY : EINVAL,
                    device + " is not a serial line: " + OsErrorText(err));
    }
    if (!ConfigureLocked(fd, settings)) {
        note(EINVAL, "the line refused its settings");
        if (::tcsetattr(fd, TCSANOW, &saved) != 0) {
            DebugLog("Open(): the settings of " + device +
                     " could not be restored: " + OsErrorText(errno));
        }
        ::close(fd);
        return false;
    }
    const int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd, TIOCMBIS, &lines) != 0 && !NoModemLines(errno)) {
        DebugLog("Open(): DTR and RTS of " + device + " not raised: " + OsErrorText(errno));
    }

    m_fd = fd;
    m_saved = saved;
    m_device = device;
    m_port.Carrier.store(0);
    m_reportsModemLines.store(true);
    if (!SampleModemLines()) {
        LogOpenFail(device + " hung up while opening: " + OsErrorText(m_lostErrno.load()));
        m_port.NoteProblem({LinkProblem::Kind::LineLost, device, m_lostErrno.load(),
                            OsErrorText(m_lostErrno.load())});
        ReleaseLocked(false);
        return false;
    }
    m_port.IsOpen.store(1);
    m_threadRunning.store(true);
    try {
        m_thread = std::thread(&SerialLine::ReadThreadProc, this);
    } catch (const std::system_error& e) {
        m_threadRunning.store(false);
        LogOpenFail(std::string("read thread not created: ") + e.what());
        ReleaseLocked(true);
        return false;
    }
    return true;
}

bool SerialLine::ConfigureLocked(int fd, const SerialLineSettings& settings) {
    termios wanted{};
    if (::tcgetattr(fd, &wanted) != 0) {
        LogOpenFail("cannot read the settings of the line: " + OsErrorText(errno));
        return false;
    }
    int customBaud = 0;
    std::string error;
    if (!ApplyLineSettings(settings, &wanted, &customBaud, &error)) {
        LogOpenFail(error);
        return false;
    }
    if (::tcsetattr(fd, TCSANOW, &wanted) != 0) {
        LogOpenFail("the line refused its settings: " + OsErrorText(errno));
        return false;
    }
    if (customBaud != 0 && !SetCustomBaud(fd, customBaud)) {
        LogOpenFail("the line refused " + std::to_string(customBaud) +
                    " baud: " + OsErrorText(errno));
        return false;
    }
    // tcsetattr succeeds when any of the changes was made: look at what the line took.
    termios actual{};
    if (::tcgetattr(fd, &actual) != 0) {
        LogOpenFail("cannot read the settings back: " + OsErrorText(errno));
        return false;
    }
    if (!LineTookSettings(wanted, actual, &error)) {
        LogOpenFail("the line did not take its settings: " + error);
        return false;
    }
    const int baud = BaudOfIndex(settings.baudIndex);
    const int actualBaud = ReadLineBaud(fd);
    if (actualBaud < 0) {
        LogOpenFail("cannot read the line rate back: " + OsErrorText(errno));
        return false;
    }
    if (std::fabs(actualBaud - baud) > baud * kBaudTolerance) {
        LogOpenFail("the line runs at " + std::to_string(actualBaud) + " baud instead of " +
                    std::to_string(baud));
        return false;
    }
    return true;
}

bool SerialLine::Close() {
    // Before the lock: a write in progress gives up, a pending hand-over is cancelled.
    RaiseClosing();
    std::lock_guard<std::mutex> lock(m_ioLock);
    if (m_fd < 0) {
        return false;
    }
    const bool working = !m_lost.load();
    ReleaseLocked(working);
    return working;
}

void SerialLine::ReleaseLocked(bool working) {
    RaiseClosing();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_port.IsOpen.store(0);
    m_port.Carrier.store(0);
    m_reportsModemLines.store(false);
    if (m_fd < 0) {
        return;
    }
    if (working) {
        // Dropping DTR hangs a modem up. Pending output is discarded so that closing cannot wait
        // for a line that does not drain (the kernel would wait up to 30 s).
        const int dtr = TIOCM_DTR;
        if (::ioctl(m_fd, TIOCMBIC, &dtr) != 0 && !NoModemLines(errno)) {
            DebugLog("Close(): DTR of " + m_device + " not dropped: " + OsErrorText(errno));
        }
        if (::tcflush(m_fd, TCIOFLUSH) != 0) {
            DebugLog("Close(): " + m_device + " not flushed: " + OsErrorText(errno));
        }
        if (::tcsetattr(m_fd, TCSANOW, &m_saved) != 0) {
            DebugLog("Close(): the settings of " + m_device +
                     " could not be restored: " + OsErrorText(errno));
        }
        if (::ioctl(m_fd, TIOCNXCL) != 0 && !NoModemLines(errno)) {
            DebugLog("Close(): " + m_device + " not released: " + OsErrorText(errno));
        }
    }
    if (::close(m_fd) != 0 && working) {
        DebugLog("Close(): " + m_device + " not closed cleanly: " + OsErrorText(errno));
    }
    m_fd = -1;
}

bool SerialLine::Write(const char* bytes, int length, int64_t limitMs) {
    std::lock_guard<std::mutex> lock(m_ioLock);
    if (m_fd < 0 || m_lost.load() || length < 0) {
        return false;
    }
    const int64_t deadline = platform::Clock::NowMs() + limitMs;
    int sent = 0;
    while (sent < length) {
        const ssize_t n = ::write(m_fd, bytes + sent, static_cast<size_t>(length - sent));
        if (n > 0) {
            sent += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            DebugLog("Write() fail! reason: " + m_device + ": " + OsErrorText(errno));
            return false;
        }
        const FdWait wait =
            WaitForFd(m_fd, POLLOUT, deadline - platform::Clock::NowMs(), &m_closing);
        if (wait == FdWait::Ready) {
            continue;
        }
        if (wait == FdWait::TimedOut) {
            DebugLog("Write() fail! reason: " + m_device + " took " + std::to_string(sent) +
                     " of " + std::to_string(length) + " bytes in " + std::to_string(limitMs) +
                     " ms");
        } else if (wait == FdWait::Failed) {
            DebugLog("Write() fail! reason: waiting for " + m_device + ": " + OsErrorText(errno));
        }
        return false;
    }
    return true;
}

int SerialLine::Read(char* buffer, int capacity) {
    if (capacity <= 0) {
        return 0;
    }
    const ssize_t n = ::read(m_fd, buffer, static_cast<size_t>(capacity));
    if (n > 0) {
        return static_cast<int>(n);
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return 0;
    }
    // With VMIN 1 and O_NONBLOCK, 0 bytes means the line hung up.
    m_lostErrno.store(n == 0 ? 0 : errno);
    m_lost.store(true);
    return 0;
}

bool SerialLine::SampleModemLines() {
    if (!m_reportsModemLines.load()) {
        return true;
    }
    const int bits = m_port.ReadModemLines(m_fd);
    if (bits < 0) {
        const int err = errno;
        if (LineGone(err)) {
            m_lostErrno.store(err);
            return false;
        }
        if (!NoModemLines(err)) {
            DebugLog("serial line " + m_device + ": modem lines not readable: " + OsErrorText(err));
        }
        // The line cannot report its modem lines.
        m_reportsModemLines.store(false);
        return true;
    }
    if (bits & TIOCM_CAR) {
        m_port.Carrier.store(1);
    } else if (m_port.CommType == COMM_DIALUP) {
        m_port.Carrier.store(0);
    }
    return true;
}

void SerialLine::ReadThreadProc() {
    const int fd = m_fd;
    while (!m_closing.load()) {
        if (!SampleModemLines()) {
            LineLost(OsErrorText(m_lostErrno.load()));
            break;
        }
        // A line with modem lines is sampled for DCD every slice; one without (a pseudo-terminal,
        // a serial-over-IP port) is waited on until data, a hang-up or Close.
        pollfd fds[2] = {{fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        const bool sample = m_reportsModemLines.load() || m_wakeFd < 0;
        const int ready = ::poll(fds, m_wakeFd >= 0 ? 2 : 1, sample ? SampleSliceMs() : -1);
        const pollfd& pfd = fds[0];
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            LineLost("poll: " + OsErrorText(errno));
            break;
        }
        if (ready == 0) {
            continue;
        }
        if (pfd.revents & POLLIN) {
            m_port.OnCommReceive();
            if (m_lost.load()) {
                const int err = m_lostErrno.load();
                LineLost(err == 0 ? "hung up" : OsErrorText(err));
                break;
            }
            continue;
        }
        if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            LineLost("hung up");
            break;
        }
    }
    m_threadRunning.store(false);
}

void SerialLine::LineLost(const std::string& why) {
    m_lost.store(true);
    m_port.Carrier.store(0);
    m_port.IsOpen.store(0);
    if (!m_closing.load()) {
        DebugLog("serial line lost! reason: " + m_device + ": " + why);
        m_port.NoteProblem({LinkProblem::Kind::LineLost, m_device, m_lostErrno.load(), why});
    }
}

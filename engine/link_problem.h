// What kept a link from coming up, or what ended it, as the port saw it. The port keeps the last
// one (CCommPort::LastProblem) so that the application can tell the operator in words they can
// act on; the debug log keeps its own lines.
#pragma once

#include <mutex>
#include <string>

struct LinkProblem {
    enum class Kind {
        None,
        DeviceMissing,     // the serial device is not there
        PermissionDenied,  // the user may not open the serial device
        DeviceBusy,        // another program holds the serial device
        OpenFailed,        // the serial device could not be opened or set up otherwise
        LineLost,          // the open serial line went away (unplugged, far end closed)
        HostNotFound,      // TCP/IP: the host name does not resolve
        Refused,           // TCP/IP: nothing listens on the port
        NoAnswer,          // TCP/IP: the host did not answer within the wait
        ConnectFailed,     // TCP/IP: any other reason
        PeerClosed,        // TCP/IP: the unit closed the connection
    };
    Kind kind = Kind::None;
    std::string where;   // the device path, or "host port"
    int err = 0;         // the system's error number, when there is one
    std::string detail;  // the system's own words
};

// The last problem of one port, shared with the threads that may outlive a call into the port (a
// connect thread still resolving a host name). Any thread.
class LinkProblemSlot {
public:
    void Set(const LinkProblem& problem) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_problem = problem;
    }
    LinkProblem Get() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_problem;
    }

private:
    mutable std::mutex m_lock;
    LinkProblem m_problem;
};

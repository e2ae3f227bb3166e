// The unit's TCP listening socket, non-blocking, with the "never accepting" fault: the backlog
// shrinks to nothing and is kept full by a connection of the unit's own, so the kernel lets no
// further connect complete.
//
// Used by the simulator's serving thread only (Open also before that thread starts).
#pragma once

#include <string>

namespace sim {

class TcpListener {
public:
    TcpListener() = default;
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    // Binds `host`:`port` (0 picks a free port) and listens. False with the reason in `error`.
    bool Open(const std::string& host, int port, std::string& error);
    void Close();
    int Fd() const { return m_fd; }
    int Port() const { return m_port; }

    // A connection waiting to be taken: its descriptor (non-blocking, no send delay) and the
    // peer's address in `peer`; -1 when none is waiting; -2 on an error (reason in `error`).
    int Accept(std::string& peer, std::string& error);

    // Turns the fault on or off. False with the reason in `error` when the socket refused.
    bool SetNeverAccept(bool on, std::string& error);
    bool NeverAccept() const { return m_filler >= 0; }

private:
    int m_fd = -1;
    int m_port = -1;
    int m_family = 0;
    int m_filler = -1;  // the unit's own connection that fills the backlog
};

}  // namespace sim

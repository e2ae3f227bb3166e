// A TCP server on 127.0.0.1 that a test scripts by hand: bound at once (so its port is known) and
// listening when the test says, or listening with a full queue so that no connection is ever
// accepted. The accept/read/write helpers wait in real time.
//
// One thread uses a LoopbackServer at a time (typically a server thread of the test).
#pragma once

#include <string>

class LoopbackServer {
public:
    LoopbackServer();  // bound, not yet listening: connections are refused
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool Ok() const { return m_listener >= 0 && m_port > 0; }
    int Port() const { return m_port; }
    // "127.0.0.1 <port>", as a System's address.
    std::string Address() const;

    bool Listen();
    // Listens with a queue of one and fills it: later connection attempts hang unanswered.
    bool ListenFull();

    // The next connection, or -1 after `timeoutMs`.
    int Accept(int timeoutMs);

    // Reads from `fd` until `text` arrived (or timeout); returns everything read.
    static std::string ReadUntil(int fd, const std::string& text, int timeoutMs);
    static bool WriteAll(int fd, const std::string& text);
    static void CloseFd(int fd);

private:
    int m_listener = -1;
    int m_port = 0;
    int m_fillers[2] = {-1, -1};
};

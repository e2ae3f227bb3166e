// A bare line to the simulator, as a test drives it: a TCP connection or an opened
// pseudo-terminal, with reads that wait for a marker within a time limit (real milliseconds).
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace simtest {

class RawLine {
public:
    RawLine() = default;
    ~RawLine() { Close(); }
    RawLine(const RawLine&) = delete;
    RawLine& operator=(const RawLine&) = delete;

    bool ConnectTcp(int port) {
        Close();
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return m_fd >= 0 && connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    bool OpenDevice(const std::string& path) {
        Close();
        m_fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios t = {};
        if (m_fd < 0 || tcgetattr(m_fd, &t) != 0) {
            return false;
        }
        cfmakeraw(&t);
        return tcsetattr(m_fd, TCSANOW, &t) == 0;
    }
    void Close() {
        if (m_fd >= 0) {
            close(m_fd);
            m_fd = -1;
        }
    }
    int Fd() const { return m_fd; }

    bool Send(const std::string& text) {
        return write(m_fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }
    // Reads until what was read by this call holds `marker` or `other` (with an empty marker,
    // until the time is up). Sets Closed() when the other side went away. `chunks` gets each
    // read's size.
    std::string ReadUntil(const std::string& marker, int timeoutMs, const std::string& other = "") {
        std::string text;
        chunks.clear();
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        auto found = [&](const std::string& m) {
            return !m.empty() && text.find(m) != std::string::npos;
        };
        while (!found(marker) && !found(other)) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                break;
            }
            pollfd p = {m_fd, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                continue;
            }
            char buffer[8192];
            ssize_t n = read(m_fd, buffer, sizeof buffer);
            if (n <= 0) {
                m_closed = true;
                break;
            }
            chunks.push_back(static_cast<size_t>(n));
            text.append(buffer, static_cast<size_t>(n));
        }
        return text;
    }
    bool Closed() const { return m_closed; }

    std::vector<size_t> chunks;

private:
    int m_fd = -1;
    bool m_closed = false;
};

// The console's login texts, each waited for in turn. True when the unit ended on "Quit)".
inline bool LogIn(RawLine& line, const std::string& keyword = "", int timeoutMs = 3000) {
    auto says = [](const std::string& text, const char* what) {
        return text.find(what) != std::string::npos;
    };
    // A blank wakes the unit; while it answers with a line holding "(" it wants another one.
    bool asked = false;
    for (int i = 0; i < 5 && !asked; ++i) {
        std::string text;
        if (!line.Send(" ")) {
            return false;
        }
        text = line.ReadUntil("ENTER KEYWORD", timeoutMs, "(");
        asked = says(text, "ENTER KEYWORD");
        if (!asked && !says(text, "(")) {
            return false;
        }
    }
    return asked && line.Send(keyword + "\r") &&
           says(line.ReadUntil("COMMAND ?", timeoutMs), "COMMAND ?") && line.Send("5\r") &&
           says(line.ReadUntil("Quit)", timeoutMs), "Quit)") && line.Send("ck\r") &&
           says(line.ReadUntil("Quit)", timeoutMs), "Quit)");
}

// Sends a request and gives everything up to and including "EOT" (or what came in the time).
inline std::string Exchange(RawLine& line, const std::string& request, int timeoutMs = 3000) {
    return line.Send(request) ? line.ReadUntil("EOT", timeoutMs) : std::string();
}

}  // namespace simtest

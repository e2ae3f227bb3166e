// The monitor's HTTP outputs, served by libmicrohttpd on its own thread: GET /metrics (Prometheus
// text), /status.json and /healthz. Each request takes a snapshot of the board; nothing else is
// shared with the UI thread. Only GET and HEAD are answered.
//
// Start and Stop: the thread that owns the server (the UI thread). The handler runs on
// libmicrohttpd's thread.
#pragma once

#include <string>

class SiteBoard;
struct MHD_Daemon;

// "ADDR:PORT" (IPv4, or "[IPv6]:PORT"); PORT 0 picks a free port.
struct ListenAddress {
    std::string host = "127.0.0.1";
    unsigned port = 9677;
};
bool ParseListen(const std::string& text, ListenAddress* out, std::string* error);

class HttpServer {
public:
    explicit HttpServer(SiteBoard& board) : m_board(board) {}
    ~HttpServer();  // Stop()

    // False with the reason in `error` when the address cannot be listened on.
    bool Start(const ListenAddress& address, std::string* error);
    void Stop();
    // The port listened on (the one picked when 0 was asked for).
    unsigned Port() const { return m_port; }

    // What a GET of `path` answers: status code, content type and body.
    struct Reply {
        unsigned code = 404;
        std::string contentType = "text/plain; charset=utf-8";
        std::string body = "not found\n";
    };
    Reply Answer(const std::string& path) const;

private:
    SiteBoard& m_board;
    MHD_Daemon* m_daemon = nullptr;
    unsigned m_port = 0;
};

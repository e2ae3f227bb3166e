// CClientSocket: the TCP/IP connection of a port. A connect thread keeps connecting (every 50 ms,
// each pending attempt given 3 s) until the connection is up or the socket is closed; the
// connected socket is then watched by the UI loop, and the connect, receive and close
// notifications run on the UI thread. Writes come from the worker and wait (bounded) while the
// connection is busy.
//
// Threads:
//   Init, StartConnect, Close, Receive, the notifications, destructor: UI thread
//   Send: the worker
//   Connected: any thread; ConnectThreadRunning: UI thread
//
// Guards: m_linkLock guards the m_link pointer; each link's own lock guards its descriptor. The
// UI-only fields (m_connectThread, m_threadLink, m_watch*, m_peerClosed) have no lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class CCommPort;

namespace platform {
class Dispatcher;
}

class CClientSocket {
public:
    explicit CClientSocket(CCommPort* owner = nullptr);
    virtual ~CClientSocket();  // Close()
    CClientSocket(const CClientSocket&) = delete;
    CClientSocket& operator=(const CClientSocket&) = delete;

    CCommPort* Owner = nullptr;
    std::string Host;
    unsigned HostPort = 0;

    // Closes any earlier connection and readies a new one to `host` (a name or a numeric
    // address) and `port`.
    bool Init(CCommPort* owner, const std::string& host, unsigned port);
    // Starts the connect thread unless one already runs for this connection. False (debug-logged)
    // when the thread cannot be created.
    bool StartConnect();
    // Stops connecting, ends the connection and its watch. The connect thread is waited for
    // (briefly: one still resolving a host name is left to end by itself).
    virtual void Close();

    // UI thread: up to `capacity` received bytes; 0 when none, or when the peer has closed or the
    // connection failed (the receive notification then closes the socket).
    int Receive(char* buffer, int capacity);
    // Worker: sends every byte, waiting while the connection cannot take more, at most `limitMs`
    // program ms in all. False (debug-logged) when not all could be sent.
    bool Send(const char* bytes, int length, int64_t limitMs);

    bool Connected() const;
    bool ConnectThreadRunning() const;

protected:
    // UI thread. `error` is 0: the connection is up.
    virtual void OnConnect(int error);
    // UI thread: data (or the peer's close) has arrived; the port reads it.
    virtual void OnReceive(int error);
    // UI thread: the peer closed the connection (or it failed): closes the socket and marks the
    // port closed, so that the next command connects again.
    virtual void OnClose(int error);

private:
    struct Link;
    static void ConnectLoop(std::shared_ptr<Link> link, CClientSocket* self);
    std::shared_ptr<Link> CurrentLink() const;
    // UI thread: the connect thread has connected `link`.
    void Attach(const std::shared_ptr<Link>& link);
    void OnReady(const std::shared_ptr<Link>& link);
    void EndConnectThread();

    mutable std::mutex m_linkLock;
    std::shared_ptr<Link> m_link;

    std::thread m_connectThread;
    std::shared_ptr<Link> m_threadLink;
    platform::Dispatcher* m_watcher = nullptr;
    uint64_t m_watchId = 0;
    bool m_peerClosed = false;
};

// ScriptedPort: a port for tests that stands in for a real line. It records every write, lets the
// test set the line state (IsOpen, Carrier, LinkUp, SocketConnected, CommType), counts Open and
// Close calls, can be told that Open fails, and feeds text to its System "as a unit would".
//
//   auto* port = new ScriptedPort(COMM_DIRECT);   // the System owns and deletes it
//   system.Port = port; port->Owner = &system;
//   port->SetResponder([&](const std::string& written) {      // runs on the writing thread
//       if (written == " ") port->Feed("ENTER KEYWORD");
//   });
//   ... port->WrittenText() == " \r" ...
//
// Feed runs the System's receive side on the calling thread: a page reply found in the text is
// sent to its page through the dispatcher, so the UI loop must run (or the caller be the UI
// thread). Every accessor may be called from any thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/comm_port.h"

class ScriptedPort : public CCommPort {
public:
    using Responder = std::function<void(const std::string& written)>;

    explicit ScriptedPort(uint8_t commType = COMM_DIRECT);
    ~ScriptedPort() override;

    // The port operations the System uses.
    bool Open() override;   // counts; fails when told to; else IsOpen = 1
    bool Close() override;  // counts; IsOpen = 0, Carrier = 0, socket disconnected
    bool Write(const char* bytes, int length) override;  // records, then calls the responder
    // Unless set with SetLinkUp: TCP/IP the socket's state, serial and dial-up open with carrier
    // (a direct line counts as up while open).
    bool LinkUp() const override;
    bool SocketConnected() const override;
    int Read(char* buffer, int capacity) override;  // nothing ever waits to be read

    // Line state.
    void SetOpenFails(bool fails) { m_openFails.store(fails); }
    void SetWriteResult(bool ok) { m_writeResult.store(ok); }
    void SetLinkUp(std::optional<bool> up);  // nullopt: derived as above
    void SetSocketConnected(bool connected) { m_socketConnected.store(connected); }
    // Open raises the carrier (a modem that connects at once); off by default.
    void SetCarrierOnOpen(bool on) { m_carrierOnOpen.store(on); }
    int OpenCount() const { return m_openCount.load(); }
    int CloseCount() const { return m_closeCount.load(); }

    // Writes, in order, and all of them joined.
    std::vector<std::string> Writes() const;
    std::string WrittenText() const;
    size_t WriteCount() const;
    void ClearWrites();

    // Called after each Write on the writing thread (the worker), without any lock of the port.
    void SetResponder(Responder responder);

    // The unit sends `text`: the owner's receive side runs on the calling thread.
    void Feed(const std::string& text, const std::atomic<bool>* cancel = nullptr);
    // The unit sends `text` as a serial line delivers it: the port's own read thread runs the
    // receive side, in order, and its page replies are a cross-thread send to the UI thread.
    // Returns at once. A responder uses this to answer without holding up the writing worker.
    void FeedLater(const std::string& text);
    // True when the read thread has nothing left to feed.
    bool FeedDone() const;

private:
    void ReadThreadProc();
    std::atomic<bool> m_openFails{false};
    std::atomic<bool> m_writeResult{true};
    std::atomic<int> m_linkUp{-1};  // -1 derived, 0 down, 1 up
    std::atomic<bool> m_socketConnected{false};
    std::atomic<bool> m_carrierOnOpen{false};
    std::atomic<int> m_openCount{0};
    std::atomic<int> m_closeCount{0};

    mutable std::mutex m_lock;  // guards m_writes, m_responder and the read thread's queue
    std::vector<std::string> m_writes;
    Responder m_responder;

    std::condition_variable m_feedWake;
    std::deque<std::string> m_feeds;
    bool m_feeding = false;              // the read thread is inside the receive side
    std::atomic<bool> m_closing{false};  // cancels the read thread's pending hand-over
    std::thread m_readThread;
};

// Window messages between the engine and the user interface, with their Windows numbers.
//
// A MessageTarget is anything that handles messages on the UI thread: the main frame, a page.
// PostMessage queues a message through the dispatcher; SendMessage runs the handler on the UI
// thread and waits. A target deleted before a posted message is delivered simply misses it: the
// registry below is checked on the UI thread at delivery.
#pragma once

#include <atomic>
#include <cstdint>

namespace platform {

constexpr unsigned WM_USER = 0x0400;
constexpr unsigned WM_CONNECT_STATUS = WM_USER + 100;  // wParam 1 Connected, 2 Connecting, 3 Disconnected
constexpr unsigned WM_SYSTEM_START = WM_USER + 101;    // wParam SystemID: open the TCP/IP port
constexpr unsigned WM_SYSTEM_STOP = WM_USER + 102;     // wParam SystemID: close the port, logged out
constexpr unsigned WM_FRAME_RESERVED = WM_USER + 103;
constexpr unsigned WM_AUTO_TRAY = WM_USER + 104;
constexpr unsigned WM_TRAY_NOTIFY = WM_USER + 105;
constexpr unsigned WM_PAGE_REPLY = WM_USER + 106;  // lParam: const ReplyCell*

constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;

constexpr intptr_t CONNECT_STATUS_CONNECTED = 1;
constexpr intptr_t CONNECT_STATUS_CONNECTING = 2;
constexpr intptr_t CONNECT_STATUS_DISCONNECTED = 3;

class MessageTarget {
public:
    MessageTarget();   // registers; UI thread
    virtual ~MessageTarget();  // unregisters; UI thread
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;

    virtual long OnMessage(unsigned msg, intptr_t wParam, intptr_t lParam) = 0;

    uint64_t TargetId() const { return m_id; }

private:
    uint64_t m_id;
};

// Any thread. Queued; delivered on the UI thread if the target still exists then.
void PostMessage(uint64_t targetId, unsigned msg, intptr_t wParam, intptr_t lParam);

// Any thread. Runs the target's handler on the UI thread and waits for it; returns its result,
// or 0 when the target is gone or the send was cancelled through `cancel`.
long SendMessage(uint64_t targetId, unsigned msg, intptr_t wParam, intptr_t lParam,
                 const std::atomic<bool>* cancel = nullptr);

// The main frame, the single receiver of the frame messages (0 while there is none).
void SetMainWindow(uint64_t targetId);
uint64_t MainWindow();
// Any thread: posts to the main frame.
void PostToMainWindow(unsigned msg, intptr_t wParam, intptr_t lParam);

}  // namespace platform

// CSystem: the session of one remote unit. It holds the unit's connection settings, owns its port,
// keeps the command queues and runs one worker thread that takes the commands one at a time:
// bring the link up (open, dial, or wait for TCP), send the text, and wait until the exchange
// ends or goes silent. The receive side (prompt matching, reply cutting) runs on the thread that
// receives the data: the serial read thread, or the UI thread for TCP/IP.
//
// Locking: m_lock guards CurCommand, Status, Started, IdleTime, the queue heads and the receive
// buffers. It is held only around short steps, never across a sleep, a port wait, a port write or
// the hand-over of a reply to the UI thread. TxBuffer belongs to the worker. The session log has
// its own lock, taken after m_lock when both are needed (a report while an exchange ends).
//
// Threads:
//   Start, OpenPort, ClosePort, ReplacePort, destructor: UI thread
//   AddCommand, AbortCommand, ClearCommands, QueueLogin: any thread
//   ProcessChunk: the receiving thread (one at a time; a page reply is handed to the UI thread
//                 synchronously, so the UI thread may abort and queue commands meanwhile)
//   DoCommand, SendCommand: worker only
//   Report, OpenLog, CloseLog, RollLog, WriteLogLine: any thread
//   SetDialGate: UI thread, before Start; the gate itself is called on the worker
//   ModemRefusal, LastReply: any thread
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "engine/comm_port.h"
#include "engine/command_node.h"
#include "platform/clock.h"
#include "platform/log_file.h"

// Exchange states.
constexpr uint8_t STATUS_IDLE = 0;
constexpr uint8_t STATUS_LOGIN = 1;
constexpr uint8_t STATUS_LOGOUT = 2;
constexpr uint8_t STATUS_PAGE_STATUS = 3;
constexpr uint8_t STATUS_PAGE_CYCLE = 4;
constexpr uint8_t STATUS_PAGE_REPORTING = 5;
constexpr uint8_t STATUS_PAGE_EVENT = 6;
constexpr uint8_t STATUS_SAVE_DB = 8;
constexpr uint8_t STATUS_CLOSED = 9;

constexpr int kBufferSize = 4096;
constexpr int kWorkerTickMs = 100;
constexpr int kIdleLimitTicks = 150;  // dropped at the 151st tick

class CSystem {
public:
    CSystem();
    virtual ~CSystem();  // closes the log, ends the worker, deletes queues, CurCommand, Port
    CSystem(const CSystem&) = delete;
    CSystem& operator=(const CSystem&) = delete;

    // Document's list (not owned).
    CSystem* Next = nullptr;
    // The port; owned. Set directly only before Start; from then on replaced only through
    // ReplacePort, on the UI thread, so that it is never deleted while the worker may use it.
    CCommPort* Port = nullptr;

    // Connection settings.
    int16_t SystemID = 0x7FFF;
    std::string Name;
    uint8_t CommType = COMM_DIRECT;
    std::string Telephone;  // number to dial, or "host port" for TCP/IP
    uint8_t SerialNo = 0;
    uint8_t BaudIndex = 0;
    uint8_t ParityIndex = 0;
    uint8_t DataBits = 0;
    uint8_t StopIndex = 0;
    std::string Keyword;
    std::string Device;  // Linux: serial device path, empty for the COM n default

    // Session operations.
    bool Start();
    void AddCommand(CCommandNode* node, int background = 0);
    void QueueLogin();
    void AbortCommand();
    void ClearCommands();
    bool OpenPort();
    bool ClosePort();
    // UI thread. Puts `port` in place of Port and hands the old one to `old` (the caller deletes
    // it, outside every lock). Refused (false, nothing changed) while the worker runs DoCommand:
    // it may then still wait on the old port (for the TCP connection, or in a dial pause) even
    // after the command was aborted.
    bool ReplacePort(CCommPort* port, CCommPort** old);
    // Any thread: the worker is inside DoCommand (bringing the link up, waiting for it, sending).
    bool WorkerUsesPort() const;

    // Receive side: the port hands each block it reads. `cancel` (may be null) cancels a pending
    // hand-over of a page reply to the UI thread (the port is closing).
    void ProcessChunk(const char* data, int length, const std::atomic<bool>* cancel = nullptr);

    // Session log "System%03d %Y-%m-%d.Log" in the log folder, written while "WriteLog" is on.
    void OpenLog();
    void CloseLog();
    // The midnight roll: the closing block ends the old day's file and the opening block starts
    // the new day's file; no line of another thread falls between the two.
    void RollLog();
    void WriteLogLine(const std::string& text, bool raw = false);
    void Report(const std::string& text);
    // "[*******" + phrase + SystemID + "*******]"
    std::string ReportText(const std::string& phrase) const;
    bool LogOpen() const;

    // Snapshot readers for other threads (taken under the lock).
    bool HasCurCommand() const;
    int CurCommandId() const;  // -1 when none
    uint8_t GetStatus() const;
    bool QueuesEmpty() const;

    // Asked by the dial procedure before each "ATDT", with the number it is about to dial; false
    // ends the procedure as failed (nothing more is dialled). Without a gate every call goes out.
    using DialGate = std::function<bool(const std::string& number)>;
    void SetDialGate(DialGate gate) { m_dialGate = std::move(gate); }

    // The modem's own refusal of the last call ("DELAYED" or "BLACKLISTED" and the rest of its
    // line, as the modem sent it), heard while the dial procedure ran; empty when there was none.
    // Cleared when the next dial procedure starts.
    std::string ModemRefusal() const;

    // When the unit's last page reply was handed to its page: program milliseconds (-1 before the
    // first) and the local time then.
    struct ReplyTime {
        int64_t programMs = -1;
        platform::LocalTime at;
    };
    ReplyTime LastReply() const;

    // Where this System's messages go, for a process of many Systems (the monitor). The frame
    // messages (WM_SYSTEM_START, WM_SYSTEM_STOP, WM_CONNECT_STATUS) go to `frame`, page replies
    // (WM_PAGE_REPLY, for every exchange state, with the state as wParam) to `replies`; 0 keeps the
    // console's routes: the main window, and the page window registered for each exchange state.
    // Any thread.
    void SetMessageTargets(uint64_t frame, uint64_t replies);
    // Any thread: posts a frame message of this System to its frame.
    void PostToFrame(unsigned msg, intptr_t wParam, intptr_t lParam) const;

    // This System's own login state: set when its last login step ends, cleared by a last logout
    // step and by ClearLoggedIn (the frame's WM_SYSTEM_STOP). The console's single System also
    // drives the application's m_bLoggedIn. Any thread.
    bool LoggedIn() const { return m_loggedIn.load(); }
    void ClearLoggedIn() { m_loggedIn.store(false); }

    // The worker's stop request, tested at every pass and by every wait of DoCommand.
    const std::atomic<bool>& StopRequested() const { return m_stop; }

protected:
    // Worker side.
    void WorkerProc();
    void DoCommand();
    void SendCommand(int length);
    enum class DialOutcome { Connected, GivenUp, Failed };
    DialOutcome Dial();
    DialOutcome DialAttempts(CCommPort& port);
    // Waits for the TCP connection the frame is making; false when it did not come.
    bool WaitForSocket(CCommPort& port);
    // Sleeps program milliseconds; false when the System is being destroyed.
    bool WorkerSleep(int64_t ms);

    // Under m_lock: what the modem says while the dial procedure runs.
    void ListenToModemLocked(const char* data, int length);

    // Under m_lock: the worker's steps.
    void DropCurrentLocked();  // node deleted, queues emptied (WM_SYSTEM_STOP is the caller's)
    void TakeNextLocked();
    void DeleteCurrentLocked();
    // Link the node (and any nodes linked after it) at the tail of a queue.
    static void AppendLocked(CCommandNode*& head, CCommandNode* node);

    // Receive side (under m_lock). A page reply cut out of the text waits in `pending` for its
    // hand-over, which happens outside the lock.
    struct PendingReply {
        bool ready = false;
        int status = 0;
        uint64_t exchange = 0;  // m_exchange of the command the reply answers
        std::string text;
    };
    void ProcessByteLocked(PendingReply& pending);
    void ProcessReplyByteLocked(PendingReply& pending);
    void ProcessPromptByteLocked();
    void FinishExchangeLocked();
    void ResetRxTextLocked();
    void PushAnswerLocked(const std::string& prompt);
    std::string_view SearchTextLocked() const;  // RxText up to its first zero byte
    // Ends the exchange whose reply was handed over, if it is still the current one.
    void EndDeliveredExchange(const PendingReply& pending);
    void DeliverReply(int status, const std::string& reply, const std::atomic<bool>* cancel);

public:
    // Fields shared by the worker, the receiving thread, the UI thread and the timer thread;
    // guarded by m_lock.
    CCommandNode* Background = nullptr;
    CCommandNode* Commands = nullptr;
    CCommandNode* CurCommand = nullptr;
    uint8_t Started = 0;
    uint8_t Status = STATUS_IDLE;
    uint8_t IdleTime = 0;
    char RxText[kBufferSize] = {};
    char RxChunk[kBufferSize] = {};
    char TxBuffer[kBufferSize] = {};
    int32_t RxChunkLen = 0;
    uint8_t RxByte = 0;
    int32_t RxCount = 0;

    mutable std::mutex m_lock;

private:
    // The idle worker waits here (with m_lock) until a command is queued or the System ends.
    std::condition_variable m_workQueued;
    // Counts the commands the worker has taken; guarded by m_lock. Tells a reply's hand-over
    // whether the exchange it answers is still the current one.
    uint64_t m_exchange = 0;
    // The worker is inside DoCommand and may use Port; guarded by m_lock.
    bool m_inDoCommand = false;
    DialGate m_dialGate;  // set before Start, then only read
    // The dial procedure runs; the modem's lines are looked at. Guarded by m_lock, as are the
    // partial line and the refusal heard.
    bool m_dialling = false;
    std::string m_modemLine;
    std::string m_modemRefusal;
    ReplyTime m_lastReply;  // guarded by m_lock

    // Serialises the session log's writes with the midnight roll (close, then open).
    void OpenLogLocked();
    mutable std::mutex m_logLock;
    platform::LogFile m_logFile;
    bool m_logWriteFailed = false;  // guarded by m_logLock: the first failure is debug-logged

    std::atomic<uint64_t> m_frameTarget{0};
    std::atomic<uint64_t> m_replyTarget{0};
    std::atomic<bool> m_loggedIn{false};

    std::thread m_worker;
    std::atomic<bool> m_stop{false};
};

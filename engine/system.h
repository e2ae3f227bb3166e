// CSystem: the session of one remote unit. It holds the unit's connection settings, owns its port,
// keeps the command queues and runs one worker thread that takes the commands one at a time:
// bring the link up (open, dial, or wait for TCP), send the text, and wait until the exchange
// ends or goes silent. The receive side (prompt matching, reply cutting) runs on the thread that
// receives the data: the serial read thread, or the UI thread for TCP/IP.
//
// Locking: m_lock guards CurCommand, Status, Started, IdleTime, the queue heads and the receive
// buffers. It is held only around short steps, never across a sleep, a port wait, a port write or
// the hand-over of a reply to the UI thread.
//
// Threads:
//   Start, OpenPort, ClosePort, destructor: UI thread
//   AddCommand, AbortCommand, ClearCommands, QueueLogin: any thread
//   ProcessChunk: the receiving thread
//   DoCommand, SendCommand: worker only
//   Report, OpenLog, CloseLog, WriteLogLine: any thread
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "engine/command_node.h"
#include "engine/comm_port.h"
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
    // The port; owned. Replaced only while the worker does not use it (see the document).
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

    // Receive side: the port hands each block it reads. `cancel` (may be null) cancels a pending
    // hand-over of a page reply to the UI thread (the port is closing).
    void ProcessChunk(const char* data, int length, const std::atomic<bool>* cancel = nullptr);

    // Session log.
    void OpenLog();
    void CloseLog();
    void WriteLogLine(const std::string& text, bool raw = false);
    void Report(const std::string& text);
    // "[*******" + phrase + SystemID + "*******]"
    std::string ReportText(const std::string& phrase) const;

    // Snapshot readers for other threads (taken under the lock).
    bool HasCurCommand() const;
    int CurCommandId() const;  // -1 when none
    uint8_t GetStatus() const;
    bool QueuesEmpty() const;

    // The worker's stop request, tested at every pass and by every wait of DoCommand.
    const std::atomic<bool>& StopRequested() const { return m_stop; }

protected:
    // Worker side.
    void WorkerProc();
    void DoCommand();
    void SendCommand(int length);
    enum class DialOutcome { Connected, GivenUp, Failed };
    DialOutcome Dial();

    // Receive side (under m_lock unless said otherwise).
    void ProcessByteLocked(uint8_t byte, std::string* replyOut, int* replyStatus);
    void FinishExchangeLocked();
    void ResetRxTextLocked();
    void PushAnswerLocked(const std::string& prompt);
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
    platform::LogFile m_logFile;
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
};

// The System's worker: takes the commands one at a time, brings the link up, sends the text and
// watches the exchange until the receive side ends it or the unit stays silent too long.
#include <cstring>

#include "app/state/app_state.h"
#include "engine/system.h"
#include "platform/clock.h"
#include "platform/str_format.h"
#include "platform/window_messages.h"

namespace {

constexpr int kTcpConnectChecks = 15;
constexpr int64_t kTcpCheckMs = 1000;
constexpr int64_t kTcpSettleMs = 1000;

bool IsValidCommand(uint8_t commandId) {
    return commandId >= CMD_LOGIN && commandId <= CMD_CLOSING;
}

uint8_t StatusFor(uint8_t commandId) {
    switch (commandId) {
        case CMD_LOGIN:
            return STATUS_LOGIN;
        case CMD_LOGOUT:
            return STATUS_LOGOUT;
        case CMD_PAGE_STATUS:
            return STATUS_PAGE_STATUS;
        case CMD_PAGE_CYCLE:
            return STATUS_PAGE_CYCLE;
        case CMD_PAGE_REPORTING:
            return STATUS_PAGE_REPORTING;
        case CMD_PAGE_EVENT:
            return STATUS_PAGE_EVENT;
        default:
            return STATUS_SAVE_DB;  // the "SaveDB." and closing steps
    }
}

}  // namespace

bool CSystem::WorkerSleep(int64_t ms) {
    return platform::Clock::SleepMs(ms, &m_stop);
}

void CSystem::WorkerProc() {
    while (!m_stop.load()) {
        std::unique_lock<std::mutex> lock(m_lock);
        if (Status != STATUS_IDLE) {
            // An exchange runs: count the silent ticks.
            lock.unlock();
            if (!WorkerSleep(kWorkerTickMs)) {
                break;
            }
            lock.lock();
            if (Status == STATUS_IDLE) {
                continue;  // the exchange ended during the tick
            }
            if (++IdleTime > kIdleLimitTicks) {
                const bool closingStep = Status == STATUS_CLOSED;
                DropCurrentLocked();
                lock.unlock();
                // The operator is logged out next: the log says why.
                if (closingStep) {
                    DebugLog(
                        platform::StrFormat("WorkerProc(): idle time after the closing step "
                                            "is over, closing the link to System%d.",
                                            SystemID));
                } else {
                    DebugLog(platform::StrFormat(
                        "WorkerProc(): System%d did not answer for %d s, closing the link.",
                        SystemID, kIdleLimitTicks * kWorkerTickMs / 1000));
                }
                PostToFrame(platform::WM_SYSTEM_STOP, SystemID, 0);
            }
            continue;
        }
        IdleTime = 0;
        if (CurCommand && Started == 0) {
            Started = 1;
            m_inDoCommand = true;
            lock.unlock();
            DoCommand();
            lock.lock();
            m_inDoCommand = false;
            lock.unlock();
        } else if (CurCommand) {
            // DoCommand returned without starting an exchange: the command failed.
            DropCurrentLocked();
            lock.unlock();
            PostToFrame(platform::WM_SYSTEM_STOP, SystemID, 0);
        } else if (!Commands && !Background) {
            // Nothing to do: wait until a command is queued (or the System ends) instead of
            // waking every tick to look.
            m_workQueued.wait(lock, [this] {
                return m_stop.load() || CurCommand || Commands || Background ||
                       Status != STATUS_IDLE;
            });
            continue;
        } else {
            TakeNextLocked();
            lock.unlock();
        }
        if (!WorkerSleep(kWorkerTickMs)) {
            break;
        }
    }
}

void CSystem::DropCurrentLocked() {
    Status = STATUS_IDLE;
    IdleTime = 0;
    Started = 0;
    DeleteCurrentLocked();
    delete Commands;
    delete Background;
    Commands = Background = nullptr;
}

void CSystem::TakeNextLocked() {
    CCommandNode** head = Commands ? &Commands : (Background ? &Background : nullptr);
    if (!head) {
        return;
    }
    CurCommand = *head;
    *head = CurCommand->Next;
    CurCommand->Next = nullptr;
    ++m_exchange;
}

void CSystem::DoCommand() {
    if (!HasCurCommand()) {
        DebugLog("DoCommand(): Command is null");
        return;
    }
    CCommPort* port = Port;
    if (!port) {
        DebugLog("DoCommand() fail, Reason: system port ptr is null!");
        return;
    }

    // Bring the link up.
    const uint8_t commType = port->CommType;
    if (commType == COMM_TCPIP) {
        if (!port->SocketConnected()) {
            Report(ReportText("Try TCP/IP connect to System"));
            // The socket lives on the UI thread: the frame opens the port there.
            PostToFrame(platform::WM_SYSTEM_START, SystemID, 0);
        }
    } else if (!port->IsOpen.load()) {
        if (!port->Open()) {
            DebugLog("DoCommand() fail, Reason: create port fail!");
            Report(ReportText("Communication fail to System"));
            return;
        }
        if (commType == COMM_DIRECT) {
            Report(ReportText("Direct send command to System"));
        }
    }

    if (commType == COMM_DIALUP && !port->Carrier.load()) {
        // Given up (the operator disconnected) goes on: the node is gone by then.
        if (Dial() == DialOutcome::Failed) {
            return;
        }
    }

    if (commType == COMM_TCPIP && !port->SocketConnected() && !WaitForSocket(*port)) {
        return;
    }

    // The receive side or AbortCommand may have removed the node during the waits.
    int length = 0;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!CurCommand) {
            DebugLog("DoCommand(): Command is null");
            return;
        }
        const uint8_t commandId = CurCommand->CommandID;
        if (commandId == CMD_LINK_ONLY) {
            return;
        }
        if (!IsValidCommand(commandId)) {
            Status = STATUS_IDLE;
            DebugLog(platform::StrFormat("DoCommand(): Invalid CommandID,ID = %d.", commandId));
            DeleteCurrentLocked();
            Started = 0;
            return;
        }
        const std::string& text = CurCommand->SendText;
        if (text.size() > sizeof TxBuffer) {
            DebugLog(
                platform::StrFormat("DoCommand(): Command too long,ID = %d, %zu bytes; not sent.",
                                    commandId, text.size()));
            DeleteCurrentLocked();
            Started = 0;
            return;
        }
        length = static_cast<int>(text.size());
        std::memcpy(TxBuffer, text.data(), text.size());
        // The exchange state is set before the text goes out, so that an answer arriving at once
        // is collected in the right mode and cannot be overtaken by a late state change.
        Status = StatusFor(commandId);
    }
    SendCommand(length);
}

// Up to 15 checks a second apart, then one more second for the fresh connection to settle. The
// wait ends at once when the command is gone (aborted, or ended by what the unit sent): nothing
// would be sent, and the worker would only keep the port busy.
bool CSystem::WaitForSocket(CCommPort& port) {
    for (int checks = 0; !port.SocketConnected(); ++checks) {
        if (!HasCurCommand()) {
            return true;  // the next step finds the command gone
        }
        if (checks == kTcpConnectChecks) {
            DebugLog("DoCommand(): Connect fail");
            if (port.LastProblem().kind == LinkProblem::Kind::None) {
                port.NoteProblem(
                    {LinkProblem::Kind::NoAnswer, port.GetAddress(), 0, "no answer within 15 s"});
            }
            return false;
        }
        if (!WorkerSleep(kTcpCheckMs)) {
            return false;
        }
    }
    return !HasCurCommand() || WorkerSleep(kTcpSettleMs);
}

void CSystem::SendCommand(int length) {
    CCommPort* port = Port;
    if (!port) {
        DebugLog("SendCommand() fail! reason: system port ptr is null");
        return;
    }
    if (!port->Write(TxBuffer, length)) {
        // The exchange then ends by the idle limit.
        DebugLog(
            platform::StrFormat("SendCommand() fail! reason: port write fail, %d bytes", length));
    }
}

#include "engine/system.h"

#include <system_error>

#include "app/state/app_state.h"
#include "engine/login_dialogue.h"
#include "platform/clock.h"
#include "platform/thread_priority.h"
#include "platform/window_messages.h"

CSystem::CSystem() = default;

CSystem::~CSystem() {
    CloseLog();
    {
        std::lock_guard<std::mutex> lock(m_lock);
        platform::Clock::Cancel(m_stop);
    }
    m_workQueued.notify_all();
    if (m_worker.joinable()) {
        m_worker.join();
    }
    {
        std::lock_guard<std::mutex> lock(m_lock);
        delete Background;
        delete Commands;
        delete CurCommand;
        Background = Commands = CurCommand = nullptr;
    }
    // Deleting the port closes it and ends its read thread.
    delete Port;
    Port = nullptr;
}

bool CSystem::Start() {
    if (m_worker.joinable()) {
        return true;
    }
    OpenLog();
    try {
        m_worker = std::thread([this] {
            std::string reason;
            if (!platform::LowerCurrentThreadPriority(&reason)) {
                DebugLog("Start(): SetThreadPriority fail! reason: " + reason);
            }
            WorkerProc();
        });
    } catch (const std::system_error&) {
        DebugLog("Start() fail! reason: CreateThread fail!");
        return false;
    }
    return true;
}

void CSystem::AppendLocked(CCommandNode*& head, CCommandNode* node) {
    CCommandNode** link = &head;
    while (*link) {
        link = &(*link)->Next;
    }
    *link = node;
}

void CSystem::AddCommand(CCommandNode* node, int background) {
    if (!node) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_lock);
        AppendLocked(background ? Background : Commands, node);
    }
    m_workQueued.notify_all();
}

void CSystem::QueueLogin() {
    CCommandNode* steps = MakeLoginSteps(SystemID, Keyword);
    {
        std::lock_guard<std::mutex> lock(m_lock);
        AppendLocked(Commands, steps);
    }
    m_workQueued.notify_all();
}

void CSystem::AbortCommand() {
    std::lock_guard<std::mutex> lock(m_lock);
    ResetRxTextLocked();
    Status = STATUS_IDLE;
    IdleTime = 0;
    Started = 0;
    DeleteCurrentLocked();
}

void CSystem::ClearCommands() {
    std::lock_guard<std::mutex> lock(m_lock);
    delete Commands;
    delete Background;
    Commands = Background = nullptr;
}

bool CSystem::OpenPort() {
    if (!Port) {
        DebugLog("Start() fail! reason: port ptr is null!");
        return false;
    }
    if (!Port->Open()) {
        DebugLog("Start() fail! reason: port create fail!");
        return false;
    }
    return true;
}

bool CSystem::ClosePort() {
    if (Port) {
        Port->Close();
    }
    return true;
}

bool CSystem::ReplacePort(CCommPort* port, CCommPort** old) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_inDoCommand) {
        return false;
    }
    if (old) {
        *old = Port;
    }
    Port = port;
    return true;
}

bool CSystem::WorkerUsesPort() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_inDoCommand;
}

void CSystem::SetMessageTargets(uint64_t frame, uint64_t replies) {
    m_frameTarget.store(frame);
    m_replyTarget.store(replies);
}

void CSystem::PostToFrame(unsigned msg, intptr_t wParam, intptr_t lParam) const {
    const uint64_t frame = m_frameTarget.load();
    platform::PostMessage(frame != 0 ? frame : platform::MainWindow(), msg, wParam, lParam);
}

void CSystem::DeleteCurrentLocked() {
    delete CurCommand;
    CurCommand = nullptr;
}

bool CSystem::HasCurCommand() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return CurCommand != nullptr;
}

int CSystem::CurCommandId() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return CurCommand ? CurCommand->CommandID : -1;
}

uint8_t CSystem::GetStatus() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return Status;
}

bool CSystem::QueuesEmpty() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return !Commands && !Background;
}

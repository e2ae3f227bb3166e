// The receive side of a session: collects what the unit sends, ends the exchange of the current
// command when its end marker or prompt shows, answers the login prompts, and cuts page replies
// out of the text to hand them to their page.
#include <algorithm>
#include <cstring>

#include "app/state/app_state.h"
#include "engine/login_dialogue.h"
#include "engine/page_windows.h"
#include "engine/system.h"
#include "platform/str_format.h"
#include "platform/window_messages.h"

namespace {

constexpr uint8_t EOT = 0x04;
constexpr uint8_t ACK = 0x06;
constexpr uint8_t STX = 0x02;
constexpr uint8_t ETX = 0x03;
constexpr uint8_t ENQ = 0x05;
constexpr std::string_view kReplyEnd = "EOT";
// The modem's own answers that refuse a call (the telephone rules of many countries make a modem
// refuse a number dialled too often: first delayed, then blacklisted).
constexpr std::string_view kModemRefusals[] = {"BLACKLISTED", "DELAYED"};
constexpr size_t kModemLineMax = 80;

bool IsReplyStatus(uint8_t status) {
    return status >= STATUS_PAGE_STATUS && status <= STATUS_PAGE_EVENT;
}

const char* PageName(uint8_t status) {
    switch (status) {
        case STATUS_PAGE_STATUS:
            return "Status";
        case STATUS_PAGE_CYCLE:
            return "Cycle Set Up";
        case STATUS_PAGE_REPORTING:
            return "Reporting Set Up";
        default:
            return "Event";
    }
}

bool IsDialogueCommand(uint8_t commandId) {
    return commandId == CMD_LOGIN || commandId == CMD_LOGOUT || commandId == CMD_SAVE_DB ||
           commandId == CMD_CLOSING;
}

bool Contains(std::string_view text, const std::string& marker) {
    return text.find(marker) != std::string_view::npos;
}

}  // namespace

void CSystem::ProcessChunk(const char* data, int length, const std::atomic<bool>* cancel) {
    int done = 0;
    while (done < length) {
        PendingReply pending;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            const int size = std::min(length - done, kBufferSize);
            if (m_dialling) {
                ListenToModemLocked(data + done, size);
            }
            std::memmove(RxChunk, data + done, static_cast<size_t>(size));
            RxChunkLen = size;
            IdleTime = 0;
            int index = 0;
            while (index < size && !pending.ready) {
                RxByte = static_cast<uint8_t>(RxChunk[index++]);
                ProcessByteLocked(pending);
            }
            done += index;
        }
        if (pending.ready) {
            DeliverReply(pending.status, pending.text, cancel ? cancel : &m_stop);
            EndDeliveredExchange(pending);
        }
    }
}

void CSystem::ListenToModemLocked(const char* data, int length) {
    for (int i = 0; i < length; ++i) {
        const char c = data[i];
        if (c != '\r' && c != '\n') {
            if (m_modemLine.size() < kModemLineMax) {
                m_modemLine += c;
            }
            continue;
        }
        for (std::string_view refusal : kModemRefusals) {
            if (m_modemRefusal.empty() && m_modemLine.rfind(refusal, 0) == 0) {
                m_modemRefusal = m_modemLine;
            }
        }
        m_modemLine.clear();
    }
}

std::string CSystem::ModemRefusal() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_modemRefusal;
}

CSystem::ReplyTime CSystem::LastReply() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_lastReply;
}

void CSystem::ProcessByteLocked(PendingReply& pending) {
    if (!CurCommand) {
        return;  // nothing is expected: dropped
    }
    if (RxCount >= kBufferSize) {
        // A full buffer without a marker: start collecting again.
        ResetRxTextLocked();
    }
    RxText[RxCount++] = static_cast<char>(RxByte);
    if (IsReplyStatus(Status)) {
        ProcessReplyByteLocked(pending);
    } else {
        ProcessPromptByteLocked();
    }
}

void CSystem::ProcessReplyByteLocked(PendingReply& pending) {
    if (RxCount < 3 || std::string_view(RxText + RxCount - 3, 3) != kReplyEnd) {
        return;
    }
    // The unit echoes the request; the reply starts one byte (the line feed) after the echo and
    // runs to the first "EOT". A zero byte hides the rest of the text, and with it the end of the
    // reply: such a reply is incomplete and nothing of it is shown.
    const std::string_view text = SearchTextLocked();
    const std::string& echo = CurCommand->SendText;
    const size_t at = text.find(echo);
    if (at != std::string_view::npos) {
        const size_t start = std::min(text.size(), at + echo.size() + 1);
        const size_t end = text.find(kReplyEnd, start);
        if (end != std::string_view::npos) {
            pending.ready = true;
            pending.status = Status;
            pending.exchange = m_exchange;
            pending.text.assign(text.substr(start, end + kReplyEnd.size() - start));
            ResetRxTextLocked();
            return;
        }
    }
    // The unit answered this request and ended its answer, but a zero byte (line noise, or a
    // break on a serial line) spoilt it. The exchange is over all the same: left open, it would
    // run into the idle limit and close the link. The page asks again at its next turn.
    const std::string_view collected(RxText, static_cast<size_t>(RxCount));
    if (collected.find(echo) != std::string_view::npos) {
        DebugLog(platform::StrFormat(
            "ProcessByte(): reply not delivered, page %s, %d bytes, reason: a zero byte hides %s",
            PageName(Status), RxCount,
            at != std::string_view::npos ? "its end" : "the echo of the request"));
        RxCount = 1;
        RxText[0] = static_cast<char>(EOT);
        FinishExchangeLocked();
    }
    // Without the echo the exchange stays open until the idle limit.
    ResetRxTextLocked();
}

void CSystem::ProcessPromptByteLocked() {
    if (RxByte == 0xFF) {
        ResetRxTextLocked();
        return;
    }
    const std::string_view text = SearchTextLocked();
    const std::string& endPara = CurCommand->EndPara;
    const std::string& prompt = CurCommand->Prompt;
    const auto found = [&](const std::string& marker) {
        return !marker.empty() && static_cast<size_t>(RxCount) >= marker.size() &&
               Contains(text, marker);
    };
    if (found(endPara)) {
        // The end marker alone ends the step.
    } else if (found(prompt)) {
        PushAnswerLocked(prompt);
    } else {
        return;  // keep collecting
    }
    FinishExchangeLocked();
    ResetRxTextLocked();
}

void CSystem::FinishExchangeLocked() {
    Started = 0;
    if (Status != STATUS_CLOSED && CurCommand && IsDialogueCommand(CurCommand->CommandID)) {
        const std::string_view text = SearchTextLocked();
        const CCommandNode& node = *CurCommand;
        if (!Contains(text, node.EndPara) &&
            (node.Prompt.empty() || !Contains(text, node.Prompt))) {
            return;
        }
        if (node.LastStep == 1 && node.CommandID == CMD_LOGIN) {
            m_loggedIn.store(true);
            theApp().m_bLoggedIn.store(1);
            theApp().m_nLogins.fetch_add(1);
            PostToFrame(platform::WM_CONNECT_STATUS, platform::CONNECT_STATUS_CONNECTED, 0);
        }
        if (node.LastStep == 1 && node.CommandID == CMD_LOGOUT) {
            m_loggedIn.store(false);
            theApp().m_bLoggedIn.store(0);
        }
        Status = node.CommandID == CMD_CLOSING ? STATUS_CLOSED : STATUS_IDLE;
        DeleteCurrentLocked();
        return;
    }
    const uint8_t last = RxCount > 0 ? static_cast<uint8_t>(RxText[RxCount - 1]) : 0;
    switch (last) {
        case STX:
        case ETX:
        case ENQ:
            return;  // the exchange goes on
        case EOT:
            DeleteCurrentLocked();
            Status = STATUS_IDLE;
            Report("<Receive data end>");
            return;
        case ACK:
        default:
            DeleteCurrentLocked();
            Status = STATUS_IDLE;
            return;
    }
}

void CSystem::EndDeliveredExchange(const PendingReply& pending) {
    std::lock_guard<std::mutex> lock(m_lock);
    // The page's handler may have aborted the exchange and queued a new request meanwhile.
    if (CurCommand && m_exchange == pending.exchange) {
        RxCount = 1;
        RxText[0] = static_cast<char>(EOT);
        FinishExchangeLocked();
        ResetRxTextLocked();
    }
}

void CSystem::ResetRxTextLocked() {
    RxCount = 0;
    std::memset(RxText, 0, sizeof RxText);
}

std::string_view CSystem::SearchTextLocked() const {
    return std::string_view(RxText, strnlen(RxText, static_cast<size_t>(RxCount)));
}

void CSystem::PushAnswerLocked(const std::string& prompt) {
    if (CCommandNode* answer = MakePromptAnswer(SystemID, prompt)) {
        answer->Next = Commands;
        Commands = answer;
        m_workQueued.notify_all();
    }
}

void CSystem::DeliverReply(int status, const std::string& reply, const std::atomic<bool>* cancel) {
    // A System's own reply target serves every page kind: it learns the kind from wParam (the
    // exchange state). The console's pages each have their own window and get wParam 0.
    const uint64_t own = m_replyTarget.load();
    const uint64_t page = own != 0 ? own : PageWindow(status);
    if (page == 0) {
        DebugLog("DeliverReply(): no page window for the reply");
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_lastReply = {platform::Clock::NowMs(), platform::Clock::LocalNow()};
    }
    ReplyCell cell{reply};
    platform::SendMessage(page, platform::WM_PAGE_REPLY, own != 0 ? status : 0,
                          reinterpret_cast<intptr_t>(&cell), cancel);
}

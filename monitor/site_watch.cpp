#include "monitor/site_watch.h"

#include <algorithm>

#include "app/state/app_state.h"
#include "engine/comm_port.h"
#include "engine/command_node.h"
#include "engine/page_windows.h"
#include "engine/system.h"
#include "monitor/poll_scheduler.h"
#include "platform/clock.h"
#include "platform/str_format.h"
#include "protocol/page_request.h"

namespace {

constexpr size_t kReplyTrailer = 3;  // "EOT"
constexpr int kStatusReplyFields = 17;

}  // namespace

SiteWatch::SiteWatch(const SiteConfig& config, int16_t systemId, SiteBoard& board,
                     size_t boardIndex, PollScheduler& scheduler)
    : m_config(config),
      m_system(std::make_unique<CSystem>()),
      m_board(board),
      m_boardIndex(boardIndex),
      m_scheduler(scheduler),
      m_reading(board.Get(boardIndex)) {
    CSystem& s = *m_system;
    s.SystemID = systemId;
    s.Name = config.name;
    s.CommType = config.commType;
    s.Telephone = config.phone;
    s.SerialNo = config.serialNo;
    s.BaudIndex = config.baudIndex;
    s.DataBits = 8;
    s.Device = config.device;
    auto* port = new CCommPort();
    port->CommType = config.commType;
    if (config.commType != COMM_TCPIP) {
        port->SerialNo = config.serialNo;
        port->BaudIndex = config.baudIndex;
        port->DataBits = 8;
        port->Device = config.device;
    }
    port->SetAddress(config.phone);
    port->Owner = &s;
    s.Port = port;
    s.SetMessageTargets(TargetId(), TargetId());
}

SiteWatch::~SiteWatch() {
    m_scheduler.Cancel(m_limitJob);
    m_scheduler.Cancel(m_hangUpJob);
}

bool SiteWatch::Start() {
    return m_system->Start();
}

void SiteWatch::Poll(std::function<void(bool)> done) {
    if (m_busy) {
        return;
    }
    m_busy = true;
    m_done = std::move(done);
    m_pollStartMs = platform::Clock::NowMs();
    const int64_t limit = m_config.commType == COMM_TCPIP ? kTcpPollLimitMs : kDialPollLimitMs;
    m_limitJob = m_scheduler.At(m_pollStartMs + limit, [this, limit](int64_t) {
        m_limitJob = 0;
        if (m_busy) {
            DropLink();
            Finish(false,
                   platform::StrFormat("no answer within %d s", static_cast<int>(limit / 1000)));
        }
    });
    if (m_system->LoggedIn() && m_system->Port->LinkUp()) {
        AskStatus();
        return;
    }
    // Log in first: the worker brings the link up (for TCP/IP it asks this site, through
    // WM_SYSTEM_START, to open the port here on the UI thread).
    m_system->ClearLoggedIn();
    m_system->AbortCommand();
    m_system->ClearCommands();
    m_system->QueueLogin();
}

void SiteWatch::AskStatus() {
    m_system->AbortCommand();
    m_system->AddCommand(
        new CCommandNode(m_system->SystemID, CMD_PAGE_STATUS, BuildPageRead(kUnitPageStatus)));
}

void SiteWatch::DropLink() {
    m_system->AbortCommand();
    m_system->ClearCommands();
    m_system->ClosePort();
    m_system->ClearLoggedIn();
}

long SiteWatch::OnMessage(unsigned msg, intptr_t wParam, intptr_t lParam) {
    switch (msg) {
        case platform::WM_SYSTEM_START:
            m_system->OpenPort();
            return 0;
        case platform::WM_SYSTEM_STOP:
            // The engine gave the command up: the link failed or the unit stayed silent.
            m_system->ClosePort();
            m_system->ClearLoggedIn();
            if (m_busy) {
                Finish(false, "no answer: the link failed or the unit stayed silent");
            }
            return 0;
        case platform::WM_CONNECT_STATUS:
            if (wParam == platform::CONNECT_STATUS_CONNECTED && m_busy) {
                AskStatus();
            }
            return 0;
        case platform::WM_PAGE_REPLY: {
            const auto* cell = reinterpret_cast<const ReplyCell*>(lParam);
            if (wParam == STATUS_PAGE_STATUS && cell && m_busy) {
                Finish(true, {}, cell->text);
            }
            return 1;
        }
        default:
            return 0;
    }
}

void SiteWatch::Finish(bool answered, const std::string& error, const std::string& reply) {
    m_busy = false;
    m_scheduler.Cancel(m_limitJob);
    m_limitJob = 0;
    const double now = UnixNow();
    SiteReading& r = m_reading;
    ++r.polls;
    r.lastAttemptUnix = now;
    r.up = answered;
    if (answered) {
        const std::string data =
            reply.substr(0, reply.size() - std::min(reply.size(), kReplyTrailer));
        r.status = ParseStatusReply(data);
        r.complete = std::count(data.begin(), data.end(), ';') >= kStatusReplyFields - 1;
        r.lastSuccessUnix = now;
        r.pollSeconds = static_cast<double>(platform::Clock::NowMs() - m_pollStartMs) / 1000.0;
        r.lastError.clear();
        r.consecutiveFailures = 0;
        if (m_config.hangUpAfterPoll) {
            // Not here: the reply is being handed over by the line's read thread, which closing
            // the line would wait for. On the next turn of the loop, before the next site's poll.
            m_hangUpJob = m_scheduler.At(platform::Clock::NowMs(), [this](int64_t) {
                m_hangUpJob = 0;
                DropLink();
            });
        }
    } else {
        ++r.failures;
        ++r.consecutiveFailures;
        r.lastError = error;
    }
    m_board.Update(m_boardIndex, r);
    if (auto done = std::move(m_done)) {
        m_done = nullptr;
        done(answered);
    }
}

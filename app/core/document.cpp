#include "app/core/document.h"

#include <cstdio>
#include <exception>

#include "app/core/settings.h"
#include "app/state/app_state.h"
#include "platform/ini_file.h"
#include "platform/periodic_timer.h"
#include "platform/prompt.h"
#include "platform/window_messages.h"

namespace {

CHalvoricDoc* g_document = nullptr;

constexpr int kSecondTickMs = 1000;
constexpr int kFiveSecondTickMs = 5000;
// The document's own message: the one-second tick asks the UI thread to watch the link.
constexpr unsigned WM_WATCH_LINK = platform::WM_USER + 120;
// A reply older than this is shown with its age.
constexpr int64_t kReplyAgeShownMs = 60 * 1000;

void PostConnectStatus(intptr_t status) {
    platform::PostToMainWindow(platform::WM_CONNECT_STATUS, status, 0);
}

// Receives WM_WATCH_LINK on the UI thread; a message posted after the document stopped its
// timers finds no target and is dropped.
class LinkWatchTarget : public platform::MessageTarget {
public:
    explicit LinkWatchTarget(CHalvoricDoc& doc) : m_doc(doc) {}
    long OnMessage(unsigned msg, intptr_t, intptr_t) override {
        if (msg == WM_WATCH_LINK) {
            m_doc.WatchLink();
        }
        return 0;
    }

private:
    CHalvoricDoc& m_doc;
};

std::string SecondsText(int64_t ms) {
    return std::to_string((ms + 999) / 1000) + " s";
}

std::string ClockText(const platform::LocalTime& t) {
    return t.TimeText().substr(0, 8);  // HH:MM:SS
}

// The local time `programMs` from now.
std::string LocalTimeIn(int64_t programMs) {
    const platform::LocalTime now = platform::Clock::LocalNow();
    const int64_t seconds =
        now.hour * 3600LL + now.minute * 60LL + now.second + (programMs + 999) / 1000;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>((seconds / 3600) % 24),
                  static_cast<int>((seconds / 60) % 60));
    return text;
}

}  // namespace

CHalvoricDoc* TheDocument() {
    return g_document;
}
void SetTheDocument(CHalvoricDoc* doc) {
    g_document = doc;
}

CHalvoricDoc::CHalvoricDoc() = default;

CHalvoricDoc::~CHalvoricDoc() {
    StopAll();
    delete m_pPhoneBook;
    m_pPhoneBook = nullptr;
    if (g_document == this) {
        g_document = nullptr;
    }
}

bool CHalvoricDoc::OnNewDocument() {
    LoadPhoneBook();
    return LoadData();
}

CSystem* CHalvoricDoc::FindSystem(int id) const {
    const auto wanted = static_cast<int16_t>(id & 0xFFFF);
    for (CSystem* s = m_pSystems; s; s = s->Next) {
        if (s->SystemID == wanted) {
            return s;
        }
    }
    return nullptr;
}

// ---- Start and stop -----------------------------------------------------------------------

bool CHalvoricDoc::LoadData() {
    m_linkWatch.SetEnabled(theApp().m_bAutoReconnect.load() != 0);
    m_dialBudget.SetPerHour(theApp().m_nMaxDialsPerHour);
    m_loginsSeen = theApp().m_nLogins.load();
    AddSystem();
    theApp().WriteDebugLog("LoadData OK");
    // The logs the Systems open now are today's; the tick rolls them when the date moves on.
    m_logDate = platform::Clock::LocalNow();
    if (StartAll()) {
        theApp().WriteDebugLog("StartAll OK");
        return true;
    }
    platform::MessageBox("Start thread fail!", platform::PromptButtons::Ok,
                         platform::PromptIcon::Stop);
    StopAll();
    return false;
}

bool CHalvoricDoc::AddSystem() {
    try {
        const CHalvoricApp& app = theApp();
        auto* system = new CSystem;
        system->SystemID = 1;
        system->Name = "AAA";
        system->CommType = app.m_nCommType;
        system->Telephone = app.m_strTelephone;
        system->SerialNo = app.m_nSerialNo;
        system->BaudIndex = app.m_nBaudIndex;
        system->ParityIndex = 0;
        system->DataBits = 8;
        system->StopIndex = 0;
        system->Device = app.m_strDevice;
        system->SetDialGate(
            [this, system](const std::string& number) { return DialAllowed(*system, number); });
        CSystem** link = &m_pSystems;
        while (*link) {
            link = &(*link)->Next;
        }
        *link = system;
        return AddCommPort(system);
    } catch (const std::exception& e) {
        DebugLog(std::string("AddSystem()fail!\r\nreason:") + e.what());
        return false;
    }
}

bool CHalvoricDoc::AddCommPort(CSystem* system) {
    if (!system) {
        return false;
    }
    try {
        CCommPort* port = m_portFactory ? m_portFactory() : new CCommPort;
        if (!port) {
            DebugLog("AddCommPort()fail\r\nreason:no port could be made");
            return false;
        }
        port->CommType = system->CommType;
        if (system->CommType != COMM_TCPIP) {
            port->SerialNo = system->SerialNo;
            port->BaudIndex = system->BaudIndex;
            port->ParityIndex = system->ParityIndex;
            port->DataBits = system->DataBits;
            port->StopIndex = system->StopIndex;
            port->Handshake = 0;
            port->Device = system->Device;
            port->IgnoreCarrier = theApp().m_bIgnoreCarrier != 0;
        }
        if (system->CommType != COMM_DIRECT) {
            port->SetAddress(system->Telephone);
        }
        port->Owner = system;
        if (!InstallPort(system, port)) {
            // The worker still uses the old port: the new settings are built into a port as
            // soon as it is done (at the next Connect or Dial setup).
            delete port;
            m_portRebuildPending = true;
            return false;
        }
        m_portRebuildPending = false;
        return true;
    } catch (const std::exception& e) {
        DebugLog(std::string("AddCommPort()fail\r\nreason:") + e.what());
        return false;
    }
}

bool CHalvoricDoc::InstallPort(CSystem* system, CCommPort* port) {
    CCommPort* old = nullptr;
    {
        std::lock_guard<std::mutex> portLock(m_portLock);
        if (!system->ReplacePort(port, &old)) {
            return false;
        }
    }
    // Outside both locks: closing may wait for the port's read thread, which takes the
    // session lock to hand over what it read.
    delete old;
    return true;
}

bool CHalvoricDoc::StartAll() {
    for (CSystem* s = m_pSystems; s; s = s->Next) {
        if (!s->Start()) {
            DebugLog("StartAll() System Thread Start fail! SystemID = " +
                     std::to_string(s->SystemID));
            return false;
        }
    }
    if (!CreateTimer()) {
        DebugLog("StarAll()fail! reason: create timer fail!");
        return false;
    }
    return true;
}

bool CHalvoricDoc::CreateTimer() {
    if (!m_timers) {
        m_timers = std::make_unique<platform::PeriodicTimers>();
    }
    if (!m_linkTarget) {
        m_linkTarget = std::make_unique<LinkWatchTarget>(*this);
        m_linkTargetId.store(m_linkTarget->TargetId());
    }
    // The callbacks know their own period: they never read the ids, which are stored only after
    // Start returns.
    m_uTimer1s = m_timers->Start(kSecondTickMs, [this](unsigned) { OnSecondTick(); });
    if (m_uTimer1s == 0) {
        DebugLog("CreateTimer()fail! reason: create timer for 1 second fail!");
        return false;
    }
    m_uTimer5s = m_timers->Start(kFiveSecondTickMs, [](unsigned) {});
    if (m_uTimer5s == 0) {
        DebugLog("CreateTimer()fail! reason: create timer for 5 second fail!");
        return false;
    }
    return true;
}

void CHalvoricDoc::DeleteTimer() {
    if (!m_timers) {
        return;
    }
    // Kill waits for a tick that is running, so no tick outlives this.
    if (m_uTimer1s != 0 && !m_timers->Kill(m_uTimer1s)) {
        DebugLog("DeleteTimer()fail! reason: stop timer for 1 second fail!");
    }
    if (m_uTimer5s != 0 && !m_timers->Kill(m_uTimer5s)) {
        DebugLog("DeleteTimer()fail! reason: stop timer for 5 second fail!");
    }
    m_uTimer1s = 0;
    m_uTimer5s = 0;
    m_timers.reset();
    m_linkTargetId.store(0);
    m_linkTarget.reset();
}

void CHalvoricDoc::StopAll() {
    DeleteTimer();
    while (CSystem* s = m_pSystems) {
        m_pSystems = s->Next;
        s->Next = nullptr;
        delete s;
    }
}

// ---- The ticks ----------------------------------------------------------------------------

void CHalvoricDoc::TimeProc(unsigned timerId) {
    if (timerId != 0 && timerId == m_uTimer1s) {
        OnSecondTick();
    } else if (timerId != 0 && timerId == m_uTimer5s) {
        // Nothing on the five-second tick.
    } else {
        DebugLog("TimeProc() error! no timerID, ID = " + std::to_string(timerId) +
                 ",Time:" + platform::Clock::LocalNow().TimeText() + ".");
    }
}

bool CHalvoricDoc::LinkUp(const CSystem& system) const {
    std::lock_guard<std::mutex> lock(m_portLock);
    return system.Port != nullptr && system.Port->LinkUp();
}

bool CHalvoricDoc::LoginUnderway(const CSystem& system) {
    std::lock_guard<std::mutex> lock(system.m_lock);
    if (system.CurCommand) {
        return system.CurCommand->CommandID == CMD_LOGIN;
    }
    // Between Connect and the worker's next pass the first step still waits in the queue.
    return system.Commands && system.Commands->CommandID == CMD_LOGIN;
}

void CHalvoricDoc::OnSecondTick() {
    const platform::LocalTime now = platform::Clock::LocalNow();
    if (CSystem* s = m_pSystems) {
        const bool up = LinkUp(*s);
        if (!up) {
            PostConnectStatus(LoginUnderway(*s) ? platform::CONNECT_STATUS_CONNECTING
                                                : platform::CONNECT_STATUS_DISCONNECTED);
        }
        // A login that outlived its line is stale.
        if (!up && theApp().m_bLoggedIn.load()) {
            if (LoggedInWithoutCarrier(*s)) {
                m_noCarrierSeen.store(true);
            }
            s->AbortCommand();
            theApp().m_bLoggedIn = 0;
        }
    }
    RollLogsOnNewDay(now);
    platform::PostMessage(m_linkTargetId.load(), WM_WATCH_LINK, 0, 0);
}

bool CHalvoricDoc::LoggedInWithoutCarrier(const CSystem& system) const {
    std::lock_guard<std::mutex> lock(m_portLock);
    const CCommPort* port = system.Port;
    return port && port->CommType == COMM_DIRECT && port->IsOpen.load() == 1 &&
           port->Carrier.load() == 0 && !port->IgnoreCarrier && port->ReportsModemLines();
}

void CHalvoricDoc::RollLogsOnNewDay(const platform::LocalTime& now) {
    // The first tick of a new date rolls, even when no tick falls on 00:00:00 itself.
    if (now.SameDate(m_logDate)) {
        return;
    }
    m_logDate = now;
    CHalvoricApp& app = theApp();
    if (app.m_bDebugLog) {
        app.CloseDebugLog();
        app.OpenDebugLog();
    }
    if (app.m_bWriteLog) {
        for (CSystem* s = m_pSystems; s; s = s->Next) {
            s->RollLog();
        }
    }
}

// ---- Closing ------------------------------------------------------------------------------

bool CHalvoricDoc::CanCloseFrame() {
    if (platform::MessageBox("Exit Program?", platform::PromptButtons::YesNo,
                             platform::PromptIcon::Question) != platform::PromptAnswer::Yes) {
        return false;
    }
    StopAll();
    return true;
}

// ---- Operator commands --------------------------------------------------------------------

void CHalvoricDoc::OnConnect() {
    CSystem* s = m_pSystems;
    if (!s) {
        return;
    }
    // A port still waiting for the settings Dial setup changed is built first; the worker may
    // still be busy with the old one for a moment after Disconnect.
    if (s->HasCurCommand() || (m_portRebuildPending && !AddCommPort(s))) {
        platform::MessageBox("Connecting...");
        return;
    }
    // The operator takes over: a planned reconnect is off.
    m_linkWatch.OperatorDisconnects();
    m_holdDials.store(false);
    if (m_pDialogs && m_pDialogs->RunPhoneBook(*this)) {
        LogInNow(*s);
    }
}

void CHalvoricDoc::LogInNow(CSystem& system) {
    m_linkNote = {};
    m_holdDials.store(false);
    m_linkWatch.OperatorConnects();
    PostConnectStatus(platform::CONNECT_STATUS_CONNECTING);
    system.QueueLogin();
}

void CHalvoricDoc::OnDisconnect() {
    CSystem* s = m_pSystems;
    if (!s) {
        return;
    }
    theApp().m_bOnline = 0;  // ends a dialling wait
    m_linkWatch.OperatorDisconnects();
    m_holdDials.store(false);
    m_linkNote = {};
    s->AbortCommand();
    s->ClearCommands();
    platform::PostToMainWindow(platform::WM_SYSTEM_STOP, s->SystemID, 0);
    // The line takes a moment to close; rather than freeze the window for it, "Connect" stays
    // off until it has.
    m_disconnectSettleEndMs = platform::Clock::NowMs() + kDisconnectSettleMs;
}

void CHalvoricDoc::OnPhoneBook() {
    if (m_pDialogs) {
        m_pDialogs->RunPhoneBook(*this);
    }
}

void CHalvoricDoc::OnDialSetup() {
    CSystem* s = FindSystem(1);
    if (!s || !m_pDialogs) {
        return;
    }
    DialSetupValues values;
    values.CommType = s->CommType;
    values.SerialNo = s->SerialNo;
    values.BaudIndex = s->BaudIndex;
    values.ParityIndex = s->ParityIndex;
    values.DataBits = s->DataBits;
    values.StopIndex = s->StopIndex;
    values.Telephone = s->Telephone;
    values.Device = s->Device;
    if (!m_pDialogs->RunDialSetup(values)) {
        return;
    }
    // A session started while the dialog was open: its settings are left alone. (A worker that
    // is only finishing an aborted command keeps its port until it is done: see AddCommPort.)
    if (theApp().m_bLoggedIn.load() || s->HasCurCommand()) {
        platform::MessageBox("Connecting...");
        return;
    }
    if (values.BaudIndex >= kBaudRates.size()) {
        values.BaudIndex = kDefaultBaudIndex;
    }
    s->CommType = values.CommType;
    s->SerialNo = values.SerialNo;
    s->BaudIndex = values.BaudIndex;
    s->ParityIndex = values.ParityIndex;
    s->DataBits = values.DataBits;
    s->StopIndex = values.StopIndex;
    s->Telephone = values.Telephone;
    if (m_pIni) {
        std::string error;
        if (!settings::WriteDialSetup(*m_pIni, values.SerialNo, values.BaudIndex, &error)) {
            DebugLog("OnDialSetup() save fail! reason: " + error);
            TellSaveFailure("The settings could not be saved:\n" + error);
        }
    }
    AddCommPort(s);
}

bool CHalvoricDoc::CanDialSetup() const {
    const CSystem* s = m_pSystems;
    return !theApp().m_bLoggedIn.load() && (!s || (!s->HasCurCommand() && !s->WorkerUsesPort()));
}

bool CHalvoricDoc::CanPhoneBook() const {
    return CanDialSetup();
}

bool CHalvoricDoc::CanConnect() const {
    return !theApp().m_bOnline.load() && platform::Clock::NowMs() >= m_disconnectSettleEndMs;
}

bool CHalvoricDoc::CanDisconnect() const {
    const CLinkWatch::State state = m_linkWatch.GetState();
    return theApp().m_bOnline.load() != 0 || state == CLinkWatch::State::Waiting ||
           state == CLinkWatch::State::Reconnecting;
}

// ---- The link watch -----------------------------------------------------------------------

bool CHalvoricDoc::AutoReconnect() const {
    return m_linkWatch.Enabled();
}

void CHalvoricDoc::SetAutoReconnect(bool on) {
    theApp().m_bAutoReconnect = on ? 1 : 0;
    m_linkWatch.SetEnabled(on);
    if (!m_pIni) {
        return;
    }
    std::string error;
    if (!settings::WriteAutoReconnect(*m_pIni, on, &error)) {
        DebugLog("SetAutoReconnect() save fail! reason: " + error);
        TellSaveFailure("The setting could not be saved:\n" + error);
    }
}

bool CHalvoricDoc::DialAllowed(const CSystem& system, const std::string& number) {
    const bool own = m_holdDials.load();
    // A number the modem refused is not dialled again by the console on its own.
    if (own && !system.ModemRefusal().empty()) {
        return false;
    }
    return m_dialBudget.TryDial(number, platform::Clock::NowMs(), own);
}

void CHalvoricDoc::WatchLink() {
    CSystem* s = m_pSystems;
    if (!s) {
        return;
    }
    const bool loggedIn = theApp().m_bLoggedIn.load() != 0;
    const uint64_t logins = theApp().m_nLogins.load();
    const bool newLogin = logins != m_loginsSeen;
    m_loginsSeen = logins;
    const bool busy = s->HasCurCommand() || !s->QueuesEmpty();
    CLinkWatch::State state = m_linkWatch.GetState();
    if (state == CLinkWatch::State::Connecting || state == CLinkWatch::State::Reconnecting) {
        if (loggedIn || newLogin) {
            // (A login already over again, on a line that dropped at once, counts too.)
            m_holdDials.store(false);
            m_linkNote = {};
            m_linkWatch.LoggedIn();
            state = CLinkWatch::State::Up;
        } else if (!busy) {
            NoteSessionEnd(*s);
            return;
        }
    }
    switch (state) {
        case CLinkWatch::State::Up:
            if (!loggedIn) {
                NoteSessionEnd(*s);
            }
            break;
        case CLinkWatch::State::Waiting:
            if (m_linkWatch.Due() && !busy) {
                StartReconnect(*s);
            }
            break;
        default:
            break;
    }
}

void CHalvoricDoc::NoteSessionEnd(const CSystem& system) {
    m_holdDials.store(false);
    const bool noCarrier = m_noCarrierSeen.exchange(false);
    const std::string refusal = system.ModemRefusal();
    LinkProblem problem;
    std::string where;
    {
        std::lock_guard<std::mutex> lock(m_portLock);
        if (system.Port) {
            problem = system.Port->LastProblem();
            where = system.Port->CommType == COMM_DIRECT ? system.Port->DevicePath()
                                                         : system.Port->GetAddress();
        }
    }
    m_linkWatch.SessionEnded();
    if (noCarrier) {
        m_linkNote = DescribeNoCarrier(where);
        m_linkWatch.StopReconnect("no carrier");
    } else if (!refusal.empty() && system.CommType == COMM_DIALUP) {
        m_linkNote = DescribeModemRefusal(where, refusal);
        DebugLog("The modem refused the call to " + where + ": " + refusal +
                 "; no more calls of the console's own");
        m_linkWatch.StopReconnect(refusal);
    } else if (problem.kind != LinkProblem::Kind::None) {
        m_linkNote = DescribeLinkProblem(problem, GatherDeviceFacts(problem));
    } else {
        m_linkNote = {};
    }
}

void CHalvoricDoc::StartReconnect(CSystem& system) {
    if (system.CommType == COMM_DIALUP && system.Port) {
        const std::string number = system.Port->GetAddress();
        const int64_t now = platform::Clock::NowMs();
        const int64_t allowed = m_dialBudget.NextCallAllowedMs(number, now);
        if (allowed > now) {
            m_linkWatch.HoldUntil(allowed);
            return;
        }
    }
    if (m_portRebuildPending && !AddCommPort(&system)) {
        return;  // the worker still has the old port: the next second tries again
    }
    m_holdDials.store(true);
    m_linkWatch.AttemptStarts();
    theApp().m_bOnline = 1;
    PostConnectStatus(platform::CONNECT_STATUS_CONNECTING);
    system.QueueLogin();
}

CHalvoricDoc::LinkView CHalvoricDoc::GetLinkView() const {
    LinkView view;
    const CSystem* s = m_pSystems;
    if (s) {
        const CSystem::ReplyTime reply = s->LastReply();
        if (reply.programMs < 0) {
            view.reply = "No reply yet";
            view.replyDetail = "The unit has not answered a page request since the start.";
        } else {
            const int64_t age = platform::Clock::NowMs() - reply.programMs;
            view.reply = "Last reply " + ClockText(reply.at);
            if (age >= kReplyAgeShownMs) {
                view.reply += " (" + std::to_string(age / kReplyAgeShownMs) + " min ago)";
            }
            view.replyDetail = "The unit last answered at " + ClockText(reply.at) +
                               ": the values on the page are from then.";
        }
    }
    if (theApp().m_bLoggedIn.load() != 0) {
        return view;
    }
    view.detail = m_linkNote.detail;
    switch (m_linkWatch.GetState()) {
        case CLinkWatch::State::Waiting: {
            const int attempt = m_linkWatch.Attempt();
            if (m_linkWatch.Held()) {
                view.pane = "Redial limit: next call " + LocalTimeIn(m_linkWatch.RemainingMs());
                view.message = "At most " + std::to_string(m_dialBudget.PerHour()) +
                               " calls an hour to one number (MaxDialsPerHour): the next call "
                               "is made at " +
                               LocalTimeIn(m_linkWatch.RemainingMs()) + ".";
            } else {
                view.pane = "Reconnecting in " + SecondsText(m_linkWatch.RemainingMs()) +
                            " (attempt " + std::to_string(attempt) + ")";
            }
            view.detail += std::string(view.detail.empty() ? "" : "\n\n") +
                           "The session ended without Disconnect: the console logs in again by "
                           "itself. Disconnect stops it.";
            break;
        }
        case CLinkWatch::State::Reconnecting:
            view.pane = "Reconnecting (attempt " + std::to_string(m_linkWatch.Attempt()) + ")";
            break;
        default:
            view.pane = m_linkNote.pane;
            break;
    }
    if (view.message.empty() && !m_linkNote.detail.empty()) {
        view.message = m_linkNote.detail.substr(0, m_linkNote.detail.find('\n'));
    }
    return view;
}

// ---- Phone book ---------------------------------------------------------------------------

void CHalvoricDoc::LoadPhoneBook() {
    if (m_pIni) {
        phonebook::Load(*m_pIni, m_pPhoneBook);
    }
}

bool CHalvoricDoc::SavePhoneBook() {
    m_saveError.clear();
    if (!m_pIni) {
        m_saveError = "no settings file";
        return false;
    }
    // On the file as it is now: the rest of it stays as the operator may have edited it.
    if (!m_pIni->Update([this](platform::IniFile& ini) { phonebook::Store(ini, m_pPhoneBook); })) {
        m_saveError = m_pIni->LastError();
        DebugLog("SavePhoneBook() fail! reason: " + m_saveError);
        TellSaveFailure("The phone book could not be saved:\n" + m_saveError);
        return false;
    }
    return true;
}

void CHalvoricDoc::TellSaveFailure(const std::string& text) {
    if (m_pIni && m_pIni->RefusedReadOnly()) {
        // Each change would say the same: once is enough.
        if (!m_readOnlyTold) {
            m_readOnlyTold = true;
            platform::MessageBox("The settings file " + m_pIni->Path() +
                                     " is read-only, so changes are not saved to it.\nThey are "
                                     "kept until the program ends.",
                                 platform::PromptButtons::Ok, platform::PromptIcon::Warning);
        }
        return;
    }
    platform::MessageBox(text, platform::PromptButtons::Ok, platform::PromptIcon::Warning);
}

void CHalvoricDoc::AddPhoneEntry(CPhoneEntry* entry) {
    phonebook::Append(m_pPhoneBook, entry);
}

void CHalvoricDoc::RemovePhoneEntry(int position) {
    phonebook::Remove(m_pPhoneBook, position);
}

CPhoneEntry* CHalvoricDoc::GetPhoneEntry(int position) const {
    return phonebook::At(m_pPhoneBook, position);
}

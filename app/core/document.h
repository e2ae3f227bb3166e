// CHalvoricDoc: owns the Systems (the console has one, id 1) and the phone book, starts the
// workers, runs the 1000 ms and 5000 ms timers, and carries the operator commands "Dial setup",
// "Phone book", "Connect" and "Disconnect". No Qt: dialogs are run through IDocumentDialogs.
//
// Threads: everything on the UI thread except TimeProc (timer thread). m_nActivePage is atomic.
// The System list is changed only at start-up and in StopAll (after the timers are killed).
//
// The link watch (link_watch.h) is the document's: every second the timer thread asks the UI
// thread to look at the session (WatchLink), which tells the watch what happened, starts the
// automatic reconnect when it is due, and keeps the operator's note on the link up to date
// (LinkView, shown by the frame's status bar).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "app/core/dial_budget.h"
#include "app/core/dialog_seam.h"
#include "app/core/link_problem_text.h"
#include "app/core/link_watch.h"
#include "app/core/phone_book.h"
#include "engine/system.h"
#include "platform/clock.h"

namespace platform {
class IniFile;
class MessageTarget;
class PeriodicTimers;
}  // namespace platform

constexpr int PAGE_STATUS = 1;
constexpr int PAGE_CYCLE = 2;
constexpr int PAGE_REPORTING = 3;
constexpr int PAGE_EVENT = 4;

class CHalvoricDoc {
public:
    CHalvoricDoc();
    virtual ~CHalvoricDoc();

    CSystem* m_pSystems = nullptr;
    std::atomic<int> m_nActivePage{PAGE_STATUS};
    CPhoneEntry* m_pPhoneBook = nullptr;
    unsigned m_uTimer1s = 0;
    unsigned m_uTimer5s = 0;

    // The settings file (the profile). Set before OnNewDocument.
    void SetProfile(platform::IniFile* ini) { m_pIni = ini; }
    platform::IniFile* Profile() const { return m_pIni; }
    void SetDialogs(IDocumentDialogs* dialogs) { m_pDialogs = dialogs; }
    // How AddCommPort makes a port (tests put a scripted port in place of a real line). Default:
    // a plain CCommPort. Set before OnNewDocument.
    using PortFactory = std::function<CCommPort*()>;
    void SetPortFactory(PortFactory factory) { m_portFactory = std::move(factory); }

    bool OnNewDocument();
    bool CanCloseFrame();

    CSystem* FindSystem(int id) const;
    CSystem* FirstSystem() const { return m_pSystems; }

    bool LoadData();
    bool AddSystem();
    bool AddCommPort(CSystem* system);
    bool StartAll();
    void StopAll();
    bool CreateTimer();
    void DeleteTimer();
    void TimeProc(unsigned timerId);

    // Operator commands and their update handlers.
    void OnDialSetup();
    void OnPhoneBook();
    void OnConnect();
    void OnDisconnect();
    // The operator's login to the site now in `system` (after the phone book's "Select", or a
    // site named on the command line): "Connecting" is posted and the login queued.
    void LogInNow(CSystem& system);
    bool CanDialSetup() const;
    bool CanPhoneBook() const;
    bool CanConnect() const;
    bool CanDisconnect() const;

    // Phone book (saved to the profile at once by SavePhoneBook, which tells the operator when
    // the save fails).
    void LoadPhoneBook();
    bool SavePhoneBook();
    void AddPhoneEntry(CPhoneEntry* entry);
    void RemovePhoneEntry(int position);
    CPhoneEntry* GetPhoneEntry(int position) const;
    // Why the last SavePhoneBook failed (empty after a good save).
    const std::string& LastSaveError() const { return m_saveError; }

    // For one second after "Disconnect" the old line is still closing and "Connect" stays off.
    static constexpr int64_t kDisconnectSettleMs = 1000;

    // ---- The link, as the operator sees it (UI thread) ----
    CLinkWatch& LinkWatch() { return m_linkWatch; }
    const CLinkWatch& LinkWatch() const { return m_linkWatch; }
    const CDialBudget& DialBudget() const { return m_dialBudget; }
    // Looks at the session: a login, a session or attempt that ended, a reconnect that is due.
    // Run every second (posted by the timer thread); tests may call it directly.
    void WatchLink();
    // "Reconnect automatically" ([Settings] AutoReconnect), saved at once.
    bool AutoReconnect() const;
    void SetAutoReconnect(bool on);

    struct LinkView {
        std::string pane;     // the connection pane's text; empty: the frame's own state text
        std::string detail;   // the pane's tooltip: what happened and what to do
        std::string message;  // one line for the status bar's message pane; empty: none
        std::string reply;    // "Last reply 10:42:05", or "No reply yet"
        std::string replyDetail;
    };
    LinkView GetLinkView() const;

protected:
    // The one-second tick's work (timer thread).
    void OnSecondTick();
    void RollLogsOnNewDay(const platform::LocalTime& now);
    // Replaces the System's port; the old one is deleted after the swap. False (nothing
    // changed) while the worker may still use the old port.
    bool InstallPort(CSystem* system, CCommPort* port);
    // A login step is current, or waits at the head of the queue to be taken.
    static bool LoginUnderway(const CSystem& system);
    // Shows why a save of the settings file failed: `text` each time, but a read-only file only
    // once (the changes are kept in memory while the program runs).
    void TellSaveFailure(const std::string& text);
    // A port's link answer, taken so that Dial setup cannot swap the port meanwhile.
    bool LinkUp(const CSystem& system) const;

    platform::IniFile* m_pIni = nullptr;
    IDocumentDialogs* m_pDialogs = nullptr;
    std::unique_ptr<platform::PeriodicTimers> m_timers;
    PortFactory m_portFactory;
    std::string m_saveError;
    bool m_readOnlyTold = false;  // UI thread
    // Guards every System's Port pointer against the timer thread while Dial setup replaces a
    // port (the worker does not touch the port while no command is current).
    mutable std::mutex m_portLock;
    // The local date of the open logs; set before the timers start, then the timer thread's.
    platform::LocalTime m_logDate;
    // UI thread: Dial setup changed the settings while the worker still used the old port; the
    // new port is built at the next Connect (or Dial setup).
    bool m_portRebuildPending = false;
    // UI thread: the end of the settle time after "Disconnect" (program milliseconds).
    int64_t m_disconnectSettleEndMs = 0;

    // The link watch's side (UI thread unless said otherwise).
    void StartReconnect(CSystem& system);
    // The session or an attempt ended: what the operator is told, and whether reconnecting can
    // help at all.
    void NoteSessionEnd(const CSystem& system);
    // Timer thread: a logged-in direct line whose carrier is off (under m_portLock).
    bool LoggedInWithoutCarrier(const CSystem& system) const;
    bool DialAllowed(const CSystem& system, const std::string& number);  // the worker
    CLinkWatch m_linkWatch;
    CDialBudget m_dialBudget;
    // Calls of the console's own are held to the budget; set while a reconnect attempt runs.
    // UI thread writes, the worker reads.
    std::atomic<bool> m_holdDials{false};
    // The timer thread saw a login on a line without carrier; the UI thread takes it.
    std::atomic<bool> m_noCarrierSeen{false};
    LinkProblemText m_linkNote;
    uint64_t m_loginsSeen = 0;  // theApp().m_nLogins at the last WatchLink
    std::unique_ptr<platform::MessageTarget> m_linkTarget;
    std::atomic<uint64_t> m_linkTargetId{0};
};

// The document of the running console (null before start-up and after shutdown). UI thread.
CHalvoricDoc* TheDocument();
void SetTheDocument(CHalvoricDoc* doc);

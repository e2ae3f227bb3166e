// CHalvoricDoc: owns the Systems (the console has one, id 1) and the phone book, starts the
// workers, runs the 1000 ms and 5000 ms timers, and carries the operator commands "Dial setup",
// "Phone book", "Connect" and "Disconnect". No Qt: dialogs are run through IDocumentDialogs.
//
// Threads: everything on the UI thread except TimeProc (timer thread). m_nActivePage is atomic.
// The System list is changed only at start-up and in StopAll (after the timers are killed).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "app/core/dialog_seam.h"
#include "app/core/phone_book.h"
#include "engine/system.h"
#include "platform/clock.h"

namespace platform {
class IniFile;
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
};

// The document of the running console (null before start-up and after shutdown). UI thread.
CHalvoricDoc* TheDocument();
void SetTheDocument(CHalvoricDoc* doc);

// CHalvoricDoc: owns the Systems (the console has one, id 1) and the phone book, starts the
// workers, runs the 1000 ms and 5000 ms timers, and carries the operator commands "Dial setup",
// "Phone book", "Connect" and "Disconnect". No Qt: dialogs are run through IDocumentDialogs.
//
// Threads: everything on the UI thread except TimeProc (timer thread). m_nActivePage is atomic.
// The System list is changed only at start-up and in StopAll (after the timers are killed).
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "app/core/dialog_seam.h"
#include "app/core/phone_book.h"
#include "engine/system.h"

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

    // Phone book (saved to the profile at once by SavePhoneBook).
    void LoadPhoneBook();
    bool SavePhoneBook();
    void AddPhoneEntry(CPhoneEntry* entry);
    void RemovePhoneEntry(int position);
    CPhoneEntry* GetPhoneEntry(int position) const;

protected:
    platform::IniFile* m_pIni = nullptr;
    IDocumentDialogs* m_pDialogs = nullptr;
    std::unique_ptr<platform::PeriodicTimers> m_timers;
};

// The document of the running console (null before start-up and after shutdown). UI thread.
CHalvoricDoc* TheDocument();
void SetTheDocument(CHalvoricDoc* doc);

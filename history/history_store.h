// The history file of the console (Corvantis.db beside Corvantis.ini): for each site, every
// change of what the Status page showed, the alarms as intervals (raised, cleared, acknowledged)
// and the unit's events. Changes are stored, not polls: a reply that changes nothing adds
// nothing. Each poll is one transaction in a write-ahead log (synchronous=NORMAL), so a process
// killed at any moment loses at most the poll it was writing.
//
// Texts come in as the unit sends them (Latin-1) and are kept as UTF-8. The store holds no
// password of any kind: nothing that reaches it carries one.
//
// Not thread-safe: one thread owns a store (the writer thread of HistoryWriter, or a test).
// Readers on other threads open their own connection (HistoryReader).
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "history/local_stamp.h"
#include "history/sqlite_db.h"
#include "history/status_record.h"
#include "history/unit_event.h"

namespace history {

constexpr int kDefaultKeepDays = 365;

class HistoryStore {
public:
    enum class OpenResult {
        Opened,      // the file was sound (or new)
        Replaced,    // the file was damaged: it was kept aside and a new one started
        Unwritable,  // the folder or the file cannot be written: no history this session
    };

    // Opens or creates the file at `path`; rows older than `keepDays` before `now` go. After
    // Replaced, Notice() names the file kept aside; after Unwritable, Notice() says why.
    OpenResult Open(const std::string& path, int keepDays, LocalMs now);
    bool IsOpen() const { return m_db.IsOpen(); }
    void Close();

    // Stores what changed in `record` (a Status reply shown at `seen`) against the site's last
    // stored state, and opens or closes its alarm intervals. Returns the number of dryer and
    // cycle changes written (0 for an unchanged poll), or nothing when the write failed (the
    // reason in Error(); nothing of this poll was stored).
    std::optional<int> WritePoll(const std::string& site, LocalMs seen, const StatusRecord& record);

    // Stores the events not yet stored for `site`; returns how many were new, or nothing when
    // the write failed (nothing of it was stored).
    std::optional<int> MergeEvents(const std::string& site, LocalMs seen,
                                   const std::vector<UnitEventRecord>& events);

    // The latest alarm of dryer `dryer` (1..8) at `site` that is not yet acknowledged gets `when`
    // as its acknowledge time. False when there was none or the write failed.
    bool Acknowledge(const std::string& site, int dryer, LocalMs when);

    // Removes what is older than the kept days (the last change of each dryer stays, so that the
    // state before the oldest kept change is known). Runs at Open and once a day with the writes.
    bool Prune(LocalMs now);

    const std::string& Error() const { return m_db.Error(); }
    int LastCode() const { return m_db.LastCode(); }
    const std::string& Notice() const { return m_notice; }
    const std::string& Path() const { return m_path; }

    // The name a damaged file is kept under: "Corvantis.db" becomes
    // "Corvantis.db.damaged-2026-12-08-081530".
    static std::string DamagedName(const std::string& path, LocalMs now);

private:
    bool OpenSound(const std::string& path);
    bool SetAside(const std::string& path, LocalMs now);
    bool CreateSchema();
    std::optional<int64_t> SiteId(const std::string& site);
    std::optional<StatusRecord> LoadLast(int64_t site);
    bool WriteChanges(int64_t site, LocalMs seen, const StatusRecord* before,
                      const StatusRecord& after, int& written);
    bool Transaction(const std::function<bool()>& body);
    // A transaction on the site's rows: `body` gets the site's id (the site is added first when it
    // is new). A site id learnt in a transaction that failed is forgotten with it.
    bool SiteTransaction(const std::string& site, const std::function<bool(int64_t)>& body);

    SqliteDb m_db;
    std::string m_path;
    std::string m_notice;
    int m_keepDays = kDefaultKeepDays;
    int64_t m_prunedDay = 0;
    std::map<std::string, int64_t> m_siteIds;
    // The last stored state of each site (by id); loaded from the file at the site's first poll.
    std::map<int64_t, std::optional<StatusRecord>> m_last;
};

}  // namespace history

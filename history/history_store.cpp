#include "history/history_store.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "protocol/latin1_text.h"

namespace history {

namespace {

constexpr int kSchemaVersion = 1;

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS sites(
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS dryer_changes(
    site INTEGER NOT NULL,
    dryer INTEGER NOT NULL,
    seen INTEGER NOT NULL,
    state INTEGER NOT NULL,
    online INTEGER NOT NULL,
    standby INTEGER NOT NULL,
    alarm INTEGER NOT NULL,
    status TEXT NOT NULL,
    alarm_time TEXT NOT NULL,
    model TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS dryer_changes_by_time ON dryer_changes(site, dryer, seen);
CREATE TABLE IF NOT EXISTS cycle_changes(
    site INTEGER NOT NULL,
    seen INTEGER NOT NULL,
    mode TEXT NOT NULL,
    next_cycle TEXT NOT NULL,
    minimum_online TEXT NOT NULL,
    roster TEXT NOT NULL,
    skip_weekends TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS cycle_changes_by_time ON cycle_changes(site, seen);
CREATE TABLE IF NOT EXISTS alarms(
    id INTEGER PRIMARY KEY,
    site INTEGER NOT NULL,
    dryer INTEGER NOT NULL,
    raised INTEGER NOT NULL,
    cleared INTEGER,
    acknowledged INTEGER,
    unit_time TEXT NOT NULL,
    status TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS alarms_by_time ON alarms(site, raised);
CREATE INDEX IF NOT EXISTS alarms_open ON alarms(site, dryer, cleared);
CREATE TABLE IF NOT EXISTS events(
    id INTEGER PRIMARY KEY,
    site INTEGER NOT NULL,
    dryer TEXT NOT NULL,
    event TEXT NOT NULL,
    description TEXT NOT NULL,
    date TEXT NOT NULL,
    time TEXT NOT NULL,
    stored INTEGER NOT NULL,
    UNIQUE(site, date, time, dryer, event, description));
)";

bool FileExists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

}  // namespace

std::string HistoryStore::DamagedName(const std::string& path, LocalMs now) {
    const platform::LocalTime t = FromLocalMs(now);
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, ".damaged-%04d-%02d-%02d-%02d%02d%02d", t.year, t.month,
                  t.day, t.hour, t.minute, t.second);
    return path + stamp;
}

HistoryStore::OpenResult HistoryStore::Open(const std::string& path, int keepDays, LocalMs now) {
    Close();
    m_path = path;
    m_notice.clear();
    m_keepDays = keepDays > 0 ? keepDays : kDefaultKeepDays;
    if (OpenSound(path)) {
        Prune(now);
        return OpenResult::Opened;
    }
    const int code = m_db.LastCode();
    const std::string why = m_db.Error();
    m_db.Close();
    if (!IsDamaged(code)) {
        m_notice = why;
        return OpenResult::Unwritable;
    }
    const std::string aside = DamagedName(path, now);
    if (!SetAside(path, now)) {
        return OpenResult::Unwritable;
    }
    if (!OpenSound(path)) {
        m_notice = m_db.Error();
        m_db.Close();
        return OpenResult::Unwritable;
    }
    m_notice = aside;
    return OpenResult::Replaced;
}

void HistoryStore::Close() {
    m_db.Close();
    m_siteIds.clear();
    m_last.clear();
}

bool HistoryStore::OpenSound(const std::string& path) {
    if (m_db.Open(path, true) != SQLITE_OK) {
        return false;
    }
    // The first statement reads the file's header: a file that is not a database fails here.
    const auto mode = m_db.QueryText("PRAGMA journal_mode=WAL");
    if (!mode) {
        return false;
    }
    if (*mode != "wal") {
        m_db.Note(SQLITE_CANTOPEN, "turning the write-ahead log on (the folder may be read-only)");
        return false;
    }
    const auto check = m_db.QueryText("PRAGMA quick_check");
    if (!check) {
        return false;
    }
    if (*check != "ok") {
        m_db.Note(SQLITE_CORRUPT, "checking the file: " + *check);
        return false;
    }
    if (m_db.Exec("PRAGMA synchronous=NORMAL") != SQLITE_OK) {
        return false;
    }
    return CreateSchema();
}

bool HistoryStore::CreateSchema() {
    const auto version = m_db.QueryText("PRAGMA user_version");
    if (!version) {
        return false;
    }
    if (std::atoi(version->c_str()) == kSchemaVersion) {
        return true;
    }
    return Transaction([this] {
        return m_db.Exec(kSchema) == SQLITE_OK &&
               m_db.Exec("PRAGMA user_version=" + std::to_string(kSchemaVersion)) == SQLITE_OK;
    });
}

bool HistoryStore::SetAside(const std::string& path, LocalMs now) {
    const std::string aside = DamagedName(path, now);
    if (std::rename(path.c_str(), aside.c_str()) != 0) {
        m_notice = "cannot keep the damaged file " + path + " aside as " + aside + ": " +
                   std::strerror(errno);
        return false;
    }
    // The log beside it belongs to the damaged file: it goes with it, and its index is rebuilt.
    const std::string wal = path + "-wal";
    if (FileExists(wal) && std::rename(wal.c_str(), (aside + "-wal").c_str()) != 0) {
        m_notice = "cannot keep " + wal + " aside: " + std::strerror(errno);
        return false;
    }
    const std::string shm = path + "-shm";
    if (FileExists(shm) && ::unlink(shm.c_str()) != 0) {
        m_notice = "cannot remove " + shm + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool HistoryStore::Transaction(const std::function<bool()>& body) {
    if (m_db.Exec("BEGIN IMMEDIATE") != SQLITE_OK) {
        return false;
    }
    if (body() && m_db.Exec("COMMIT") == SQLITE_OK) {
        return true;
    }
    // Keep the failing step's reason, not the rollback's.
    const int code = m_db.LastCode();
    const std::string why = m_db.Error();
    m_db.Exec("ROLLBACK");
    m_db.Note(code, why.empty() ? "writing" : why);
    return false;
}

bool HistoryStore::SiteTransaction(const std::string& site,
                                   const std::function<bool(int64_t)>& body) {
    const bool known = m_siteIds.count(Latin1ToUtf8(site)) != 0;
    const bool ok = Transaction([&] {
        const std::optional<int64_t> siteId = SiteId(site);
        return siteId && body(*siteId);
    });
    if (!ok && !known) {
        m_siteIds.erase(Latin1ToUtf8(site));
    }
    return ok;
}

std::optional<int64_t> HistoryStore::SiteId(const std::string& site) {
    const std::string name = Latin1ToUtf8(site);
    if (auto it = m_siteIds.find(name); it != m_siteIds.end()) {
        return it->second;
    }
    SqliteStmt insert(m_db, "INSERT OR IGNORE INTO sites(name) VALUES(?)");
    if (!insert.Bind(1, name).Run()) {
        return std::nullopt;
    }
    SqliteStmt select(m_db, "SELECT id FROM sites WHERE name=?");
    select.Bind(1, name);
    if (select.Step() != SQLITE_ROW) {
        return std::nullopt;
    }
    // Known only once the transaction that made it is committed: see WritePoll.
    return select.Int(0);
}

std::optional<StatusRecord> HistoryStore::LoadLast(int64_t site) {
    StatusRecord record;
    bool any = false;
    SqliteStmt dryers(m_db,
                      "SELECT dryer, online, standby, alarm, status, alarm_time, model "
                      "FROM dryer_changes d WHERE site=?1 AND seen=(SELECT MAX(seen) FROM "
                      "dryer_changes WHERE site=?1 AND dryer=d.dryer) ORDER BY rowid");
    dryers.Bind(1, site);
    while (dryers.Step() == SQLITE_ROW) {
        const int64_t k = dryers.Int(0) - 1;
        if (k < 0 || k >= 8) {
            continue;
        }
        DryerRecord& dryer = record.dryers[k];
        dryer.online = dryers.Int(1) != 0;
        dryer.standby = dryers.Int(2) != 0;
        dryer.alarm = dryers.Int(3) != 0;
        dryer.status = dryers.Text(4);
        dryer.alarmTime = dryers.Text(5);
        dryer.model = dryers.Text(6);
        any = true;
    }
    SqliteStmt cycle(m_db,
                     "SELECT mode, next_cycle, minimum_online, roster, skip_weekends FROM "
                     "cycle_changes WHERE site=? ORDER BY seen DESC, rowid DESC LIMIT 1");
    cycle.Bind(1, site);
    if (cycle.Step() == SQLITE_ROW) {
        record.cycle = {cycle.Text(0), cycle.Text(1), cycle.Text(2), cycle.Text(3), cycle.Text(4)};
        any = true;
    }
    if (!any) {
        return std::nullopt;
    }
    return record;
}

std::optional<int> HistoryStore::WritePoll(const std::string& site, LocalMs seen,
                                           const StatusRecord& shown) {
    if (!IsOpen()) {
        m_db.Note(SQLITE_MISUSE, "writing a poll without a history file");
        return std::nullopt;
    }
    if (seen / kMsPerDay != m_prunedDay) {
        Prune(seen);
    }
    // What is stored is UTF-8; the unit's texts are Latin-1.
    StatusRecord after = shown;
    for (DryerRecord& dryer : after.dryers) {
        dryer.status = Latin1ToUtf8(dryer.status);
        dryer.alarmTime = Latin1ToUtf8(dryer.alarmTime);
        dryer.model = Latin1ToUtf8(dryer.model);
    }
    for (std::string* text : {&after.cycle.mode, &after.cycle.nextCycle, &after.cycle.minimumOnline,
                              &after.cycle.roster, &after.cycle.skipWeekends}) {
        *text = Latin1ToUtf8(*text);
    }

    int written = 0;
    std::optional<int64_t> siteId;
    std::optional<StatusRecord> before;
    const bool ok = SiteTransaction(site, [&](int64_t id) {
        siteId = id;
        auto cached = m_last.find(id);
        before = cached != m_last.end() ? cached->second : LoadLast(id);
        return WriteChanges(id, seen, before ? &*before : nullptr, after, written);
    });
    if (!ok) {
        // Nothing of this poll is in the file: forget what was learnt inside the transaction.
        if (siteId) {
            m_last.erase(*siteId);
        }
        return std::nullopt;
    }
    m_last[*siteId] = after;
    return written;
}

bool HistoryStore::WriteChanges(int64_t site, LocalMs seen, const StatusRecord* before,
                                const StatusRecord& after, int& written) {
    const StatusChanges changes = Compare(before, after);
    SqliteStmt insertDryer(m_db,
                           "INSERT INTO dryer_changes(site, dryer, seen, state, online, standby, "
                           "alarm, status, alarm_time, model) VALUES(?,?,?,?,?,?,?,?,?,?)");
    SqliteStmt raise(m_db,
                     "INSERT INTO alarms(site, dryer, raised, unit_time, status) "
                     "VALUES(?,?,?,?,?)");
    SqliteStmt clear(m_db,
                     "UPDATE alarms SET cleared=? WHERE site=? AND dryer=? AND cleared IS NULL");
    SqliteStmt open(m_db, "SELECT 1 FROM alarms WHERE site=? AND dryer=? AND cleared IS NULL");
    for (int k : changes.dryers) {
        const DryerRecord& now = after.dryers[k];
        const int dryer = k + 1;
        insertDryer.Bind(1, site)
            .Bind(2, int64_t{dryer})
            .Bind(3, seen)
            .Bind(4, int64_t(now.State()))
            .Bind(5, int64_t{now.online})
            .Bind(6, int64_t{now.standby})
            .Bind(7, int64_t{now.alarm})
            .Bind(8, now.status)
            .Bind(9, now.alarmTime)
            .Bind(10, now.model);
        if (!insertDryer.Run()) {
            return false;
        }
        ++written;
        const DryerRecord* was = before ? &before->dryers[k] : nullptr;
        const bool wasAlarm = was && was->alarm;
        // A new alarm time while the lamp stays on: the unit cleared and raised it again
        // between two polls.
        const bool rearmed = wasAlarm && now.alarm && was->alarmTime != now.alarmTime;
        if ((wasAlarm && !now.alarm) || rearmed) {
            if (!clear.Bind(1, seen).Bind(2, site).Bind(3, int64_t{dryer}).Run()) {
                return false;
            }
        }
        if (now.alarm && (!wasAlarm || rearmed)) {
            // An interval still open from before (the file's last state said "alarm" but the
            // cache was new) is the same alarm.
            open.Bind(1, site).Bind(2, int64_t{dryer});
            const bool stillOpen = !rearmed && open.Step() == SQLITE_ROW;
            open.Reset();
            if (!stillOpen && !raise.Bind(1, site)
                                   .Bind(2, int64_t{dryer})
                                   .Bind(3, seen)
                                   .Bind(4, now.alarmTime)
                                   .Bind(5, now.status)
                                   .Run()) {
                return false;
            }
        }
    }
    if (changes.cycle) {
        SqliteStmt insertCycle(m_db,
                               "INSERT INTO cycle_changes(site, seen, mode, next_cycle, "
                               "minimum_online, roster, skip_weekends) VALUES(?,?,?,?,?,?,?)");
        const CycleRecord& c = after.cycle;
        if (!insertCycle.Bind(1, site)
                 .Bind(2, seen)
                 .Bind(3, c.mode)
                 .Bind(4, c.nextCycle)
                 .Bind(5, c.minimumOnline)
                 .Bind(6, c.roster)
                 .Bind(7, c.skipWeekends)
                 .Run()) {
            return false;
        }
        ++written;
    }
    return true;
}

std::optional<int> HistoryStore::MergeEvents(const std::string& site, LocalMs seen,
                                             const std::vector<UnitEventRecord>& events) {
    if (!IsOpen()) {
        m_db.Note(SQLITE_MISUSE, "storing events without a history file");
        return std::nullopt;
    }
    int added = 0;
    const bool ok = SiteTransaction(site, [&](int64_t siteId) {
        SqliteStmt insert(m_db,
                          "INSERT OR IGNORE INTO events(site, dryer, event, description, date, "
                          "time, stored) VALUES(?,?,?,?,?,?,?)");
        for (const UnitEventRecord& e : events) {
            if (!insert.Bind(1, siteId)
                     .Bind(2, Latin1ToUtf8(e.dryer))
                     .Bind(3, Latin1ToUtf8(e.event))
                     .Bind(4, Latin1ToUtf8(e.description))
                     .Bind(5, Latin1ToUtf8(e.date))
                     .Bind(6, Latin1ToUtf8(e.time))
                     .Bind(7, seen)
                     .Run()) {
                return false;
            }
            added += m_db.Changes();
        }
        return true;
    });
    if (!ok) {
        return std::nullopt;
    }
    return added;
}

bool HistoryStore::Acknowledge(const std::string& site, int dryer, LocalMs when) {
    if (!IsOpen() || dryer < 1 || dryer > 8) {
        return false;
    }
    int changed = 0;
    const bool ok = SiteTransaction(site, [&](int64_t siteId) {
        SqliteStmt update(m_db,
                          "UPDATE alarms SET acknowledged=?1 WHERE id=(SELECT id FROM alarms "
                          "WHERE site=?2 AND dryer=?3 AND acknowledged IS NULL "
                          "ORDER BY raised DESC, id DESC LIMIT 1)");
        if (!update.Bind(1, when).Bind(2, siteId).Bind(3, int64_t{dryer}).Run()) {
            return false;
        }
        changed = m_db.Changes();
        return true;
    });
    return ok && changed > 0;
}

bool HistoryStore::Prune(LocalMs now) {
    m_prunedDay = now / kMsPerDay;
    const int64_t cutoff = now - int64_t{m_keepDays} * kMsPerDay;
    return Transaction([&] {
        SqliteStmt dryers(m_db,
                          "DELETE FROM dryer_changes WHERE seen<?1 AND rowid NOT IN (SELECT "
                          "MAX(rowid) FROM dryer_changes GROUP BY site, dryer)");
        SqliteStmt cycles(m_db,
                          "DELETE FROM cycle_changes WHERE seen<?1 AND rowid NOT IN (SELECT "
                          "MAX(rowid) FROM cycle_changes GROUP BY site)");
        SqliteStmt alarms(m_db, "DELETE FROM alarms WHERE cleared IS NOT NULL AND cleared<?1");
        SqliteStmt events(m_db, "DELETE FROM events WHERE stored<?1");
        for (SqliteStmt* stmt : {&dryers, &cycles, &alarms, &events}) {
            if (!stmt->Bind(1, cutoff).Run()) {
                return false;
            }
        }
        return true;
    });
}

}  // namespace history

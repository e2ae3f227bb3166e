#include "history/history_reader.h"

namespace history {

namespace {

constexpr const char* kSiteOf = "(SELECT id FROM sites WHERE name=?1)";

DryerChange ChangeOf(const SqliteStmt& row) {
    DryerChange change;
    change.dryer = static_cast<int>(row.Int(0));
    change.seen = row.Int(1);
    change.state = static_cast<DryerState>(row.Int(2));
    change.status = row.Text(3);
    change.alarmTime = row.Text(4);
    change.model = row.Text(5);
    return change;
}

}  // namespace

bool HistoryReader::Open(const std::string& path) {
    return m_db.Open(path, false, true) == SQLITE_OK;
}

std::vector<std::string> HistoryReader::Sites() {
    std::vector<std::string> sites;
    SqliteStmt select(m_db, "SELECT name FROM sites ORDER BY name");
    while (select.Step() == SQLITE_ROW) {
        sites.push_back(select.Text(0));
    }
    return sites;
}

std::vector<DryerChange> HistoryReader::DryerChanges(const std::string& site, LocalMs from,
                                                     LocalMs to) {
    std::vector<DryerChange> changes;
    const std::string columns = "SELECT dryer, seen, state, status, alarm_time, model ";
    // The state at the start: one row per dryer, found through the (site, dryer, seen) index.
    SqliteStmt before(m_db, (columns + "FROM dryer_changes WHERE site=" + kSiteOf +
                             " AND dryer=?2 AND seen<?3 ORDER BY seen DESC, rowid DESC LIMIT 1")
                                .c_str());
    for (int dryer = 1; dryer <= 8; ++dryer) {
        before.Bind(1, site).Bind(2, int64_t{dryer}).Bind(3, from);
        if (before.Step() == SQLITE_ROW) {
            changes.push_back(ChangeOf(before));
        }
        before.Reset();
    }
    SqliteStmt within(m_db, (columns + "FROM dryer_changes WHERE site=" + kSiteOf +
                             " AND seen>=?2 AND seen<?3 ORDER BY seen, rowid")
                                .c_str());
    within.Bind(1, site).Bind(2, from).Bind(3, to);
    while (within.Step() == SQLITE_ROW) {
        changes.push_back(ChangeOf(within));
    }
    return changes;
}

std::vector<AlarmInterval> HistoryReader::Alarms(const std::string& site, LocalMs from,
                                                 LocalMs to) {
    std::vector<AlarmInterval> alarms;
    SqliteStmt select(m_db, (std::string("SELECT dryer, raised, cleared, acknowledged, unit_time, "
                                         "status FROM alarms WHERE site=") +
                             kSiteOf +
                             " AND raised<?3 AND (cleared IS NULL OR cleared>=?2) "
                             "ORDER BY raised DESC, id DESC")
                                .c_str());
    select.Bind(1, site).Bind(2, from).Bind(3, to);
    while (select.Step() == SQLITE_ROW) {
        AlarmInterval alarm;
        alarm.dryer = static_cast<int>(select.Int(0));
        alarm.raised = select.Int(1);
        if (!select.IsNull(2)) {
            alarm.cleared = select.Int(2);
        }
        if (!select.IsNull(3)) {
            alarm.acknowledged = select.Int(3);
        }
        alarm.unitTime = select.Text(4);
        alarm.status = select.Text(5);
        alarms.push_back(std::move(alarm));
    }
    return alarms;
}

std::vector<StoredEvent> HistoryReader::Events(const std::string& site) {
    std::vector<StoredEvent> events;
    SqliteStmt select(m_db, (std::string("SELECT dryer, event, description, date, time, stored "
                                         "FROM events WHERE site=") +
                             kSiteOf + " ORDER BY id")
                                .c_str());
    select.Bind(1, site);
    while (select.Step() == SQLITE_ROW) {
        StoredEvent stored;
        stored.event = {select.Text(0), select.Text(1), select.Text(2), select.Text(3),
                        select.Text(4)};
        stored.stored = select.Int(5);
        events.push_back(std::move(stored));
    }
    return events;
}

int64_t HistoryReader::Count(const std::string& table, const std::string& site) {
    if (table != "dryer_changes" && table != "cycle_changes" && table != "alarms" &&
        table != "events") {
        return -1;
    }
    SqliteStmt count(m_db, ("SELECT COUNT(*) FROM " + table + " WHERE site=" + kSiteOf).c_str());
    count.Bind(1, site);
    return count.Step() == SQLITE_ROW ? count.Int(0) : -1;
}

}  // namespace history

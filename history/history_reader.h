// Queries of the history file, for the History window, the exports and tests: the sites in the
// file, the dryer changes of a span (with the state each dryer was in when the span began), the
// alarm intervals of a span, and the stored events. Texts come back as UTF-8.
//
// A reader has its own read-only connection: it may run on any one thread while the writer
// thread writes (the write-ahead log lets readers see the last committed poll without waiting).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/local_stamp.h"
#include "history/sqlite_db.h"
#include "history/status_record.h"
#include "history/unit_event.h"

namespace history {

struct DryerChange {
    int dryer = 0;  // 1..8
    LocalMs seen = 0;
    DryerState state = DryerState::Off;
    std::string status;
    std::string alarmTime;
    std::string model;
};

struct AlarmInterval {
    int dryer = 0;  // 1..8
    LocalMs raised = 0;
    std::optional<LocalMs> cleared;
    std::optional<LocalMs> acknowledged;
    std::string unitTime;  // the alarm date/time the unit showed
    std::string status;
};

struct StoredEvent {
    UnitEventRecord event;
    LocalMs stored = 0;
};

class HistoryReader {
public:
    // False (with the reason in Error()) when the file is missing or cannot be read.
    bool Open(const std::string& path);
    bool IsOpen() const { return m_db.IsOpen(); }
    const std::string& Error() const { return m_db.Error(); }

    std::vector<std::string> Sites();
    // Each dryer's last change before `from` (dated as it was stored), then every change in
    // [from, to), in time order.
    std::vector<DryerChange> DryerChanges(const std::string& site, LocalMs from, LocalMs to);
    // The intervals that overlap [from, to), latest raised first.
    std::vector<AlarmInterval> Alarms(const std::string& site, LocalMs from, LocalMs to);
    // The site's events in the order they were stored.
    std::vector<StoredEvent> Events(const std::string& site);
    // Rows of `table` for `site` ("dryer_changes", "cycle_changes", "alarms", "events").
    int64_t Count(const std::string& table, const std::string& site);

private:
    SqliteDb m_db;
};

}  // namespace history

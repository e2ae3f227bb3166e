// The one place the monitor's readings live: the UI thread writes each site's reading when a poll
// ends; the HTTP server's thread takes a copy of all of them for each request. m_lock guards
// everything here and is held only while copying.
//
// Any thread.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "monitor/site_reading.h"

struct PollLateness {
    int64_t samples = 0;  // polls counted (the last kLatenessWindow of them)
    double p50Ms = 0;
    double p99Ms = 0;
    double maxMs = 0;
};

struct BoardSnapshot {
    std::vector<SiteReading> sites;  // in phone-book order
    double takenUnix = 0;
    double startedUnix = 0;
    PollLateness lateness;
};

class SiteBoard {
public:
    static constexpr size_t kLatenessWindow = 10000;

    SiteBoard();
    // Adds a site (before polling starts); returns its index.
    size_t Add(const SiteReading& reading);
    void Update(size_t index, const SiteReading& reading);
    SiteReading Get(size_t index) const;
    // How late a poll started against its due time (program ms).
    void RecordLateness(int64_t lateMs);
    BoardSnapshot Snapshot() const;

private:
    mutable std::mutex m_lock;
    std::vector<SiteReading> m_sites;
    std::deque<int64_t> m_lateness;
    int64_t m_latenessCount = 0;
    double m_startedUnix = 0;
};

// Wall-clock seconds now.
double UnixNow();

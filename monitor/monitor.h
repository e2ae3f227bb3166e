// The monitor's round of polls: every TCP/IP site has its own System and is polled every
// PollSeconds, all of them at once; the other sites share the [CommSetup] line and are read one
// after the other every SweepMinutes, hanging up after each. A site that fails is tried again
// after a back-off (5 s, doubling, at most 5 min, never later than its next regular poll), so a
// failing site never holds up another and a site that comes back is read again soon.
//
// UI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "monitor/monitor_config.h"
#include "monitor/poll_scheduler.h"
#include "monitor/site_board.h"
#include "monitor/site_watch.h"

class Monitor {
public:
    explicit Monitor(const MonitorConfig& config);
    ~Monitor();

    // Starts every site's System and the first round; false when none can run.
    bool Start();
    SiteBoard& Board() { return m_board; }
    PollScheduler& Scheduler() { return m_scheduler; }
    // Runs `beat` on the UI loop every `periodMs` (the service watchdog: it only beats while the
    // loop turns).
    void Heartbeat(int64_t periodMs, std::function<void()> beat);
    // Runs `onEach(index, answered)` after every poll (one-shot use, tests).
    void OnPollDone(std::function<void(size_t, bool)> onEach) { m_onPollDone = std::move(onEach); }

    static int64_t BackoffMs(int consecutiveFailures, int64_t periodMs);

private:
    void PollTcp(size_t index, int64_t dueMs);
    void ScheduleTcp(size_t index, int64_t dueMs);
    void StartSweep(int64_t dueMs);
    void SweepNext();
    void Beat(int64_t periodMs);

    MonitorConfig m_config;
    SiteBoard m_board;
    PollScheduler m_scheduler;
    std::vector<std::unique_ptr<SiteWatch>> m_watches;
    std::vector<size_t> m_tcp;     // indexes into m_watches
    std::vector<size_t> m_serial;  // indexes into m_watches, swept in this order
    size_t m_sweepAt = 0;
    int64_t m_sweepStartMs = 0;
    bool m_sweeping = false;
    std::function<void()> m_beat;
    std::function<void(size_t, bool)> m_onPollDone;
};

#include "monitor/monitor.h"

#include <algorithm>

#include "app/state/app_state.h"
#include "engine/comm_port.h"
#include "platform/clock.h"

namespace {
constexpr int64_t kFirstBackoffMs = 5000;
constexpr int64_t kMaxBackoffMs = 300000;
// The first round is spread over this share of the period so that a large fleet does not
// connect all at once.
constexpr int64_t kFirstRoundSpreadMs = 2000;
}  // namespace

Monitor::Monitor(const MonitorConfig& config) : m_config(config) {
    int16_t systemId = 1;
    for (const SiteConfig& site : m_config.sites) {
        SiteReading reading;
        reading.name = site.name;
        reading.address = site.phone;
        reading.tcp = site.commType == COMM_TCPIP;
        const size_t boardIndex = m_board.Add(reading);
        m_watches.push_back(
            std::make_unique<SiteWatch>(site, systemId++, m_board, boardIndex, m_scheduler));
        (reading.tcp ? m_tcp : m_serial).push_back(m_watches.size() - 1);
    }
}

Monitor::~Monitor() = default;

bool Monitor::Start() {
    if (!m_scheduler.Ok()) {
        return false;
    }
    size_t started = 0;
    for (auto& watch : m_watches) {
        started += watch->Start() ? 1 : 0;
    }
    const int64_t now = platform::Clock::NowMs();
    const int64_t spread = std::min<int64_t>(kFirstRoundSpreadMs, m_config.pollSeconds * 1000);
    for (size_t i = 0; i < m_tcp.size(); ++i) {
        ScheduleTcp(m_tcp[i], now + static_cast<int64_t>(i) * spread /
                                        static_cast<int64_t>(std::max<size_t>(m_tcp.size(), 1)));
    }
    if (!m_serial.empty()) {
        StartSweep(now);
    }
    return started > 0 || m_watches.empty();
}

int64_t Monitor::BackoffMs(int consecutiveFailures, int64_t periodMs) {
    int64_t backoff = kFirstBackoffMs;
    for (int i = 1; i < consecutiveFailures && backoff < kMaxBackoffMs; ++i) {
        backoff *= 2;
    }
    return std::min({backoff, kMaxBackoffMs, std::max(periodMs, kFirstBackoffMs)});
}

void Monitor::ScheduleTcp(size_t index, int64_t dueMs) {
    m_scheduler.At(dueMs, [this, index](int64_t due) { PollTcp(index, due); });
}

void Monitor::PollTcp(size_t index, int64_t dueMs) {
    const int64_t started = platform::Clock::NowMs();
    m_board.RecordLateness(started - dueMs);
    const int64_t period = static_cast<int64_t>(m_config.pollSeconds) * 1000;
    m_watches[index]->Poll([this, index, dueMs, period](bool answered) {
        const int64_t now = platform::Clock::NowMs();
        int64_t next = dueMs + period;
        if (!answered) {
            const int failures = m_board.Get(index).consecutiveFailures;
            next = std::min(next, now + BackoffMs(failures, period));
        }
        // A poll that overran its period starts the next one at once, not several.
        ScheduleTcp(index, std::max(next, now));
        if (m_onPollDone) {
            m_onPollDone(index, answered);
        }
    });
}

void Monitor::StartSweep(int64_t dueMs) {
    m_board.RecordLateness(platform::Clock::NowMs() - dueMs);
    m_sweeping = true;
    m_sweepAt = 0;
    m_sweepStartMs = dueMs;
    SweepNext();
}

void Monitor::SweepNext() {
    if (m_sweepAt >= m_serial.size()) {
        m_sweeping = false;
        const int64_t period = static_cast<int64_t>(m_config.sweepMinutes) * 60000;
        const int64_t next = std::max(m_sweepStartMs + period, platform::Clock::NowMs());
        m_scheduler.At(next, [this](int64_t due) { StartSweep(due); });
        return;
    }
    const size_t index = m_serial[m_sweepAt++];
    m_watches[index]->Poll([this, index](bool answered) {
        if (m_onPollDone) {
            m_onPollDone(index, answered);
        }
        // The line is free again on the next turn of the loop (the port has been closed).
        m_scheduler.At(platform::Clock::NowMs(), [this](int64_t) { SweepNext(); });
    });
}

void Monitor::Heartbeat(int64_t periodMs, std::function<void()> beat) {
    m_beat = std::move(beat);
    Beat(periodMs);
}

void Monitor::Beat(int64_t periodMs) {
    if (m_beat) {
        m_beat();
    }
    m_scheduler.At(platform::Clock::NowMs() + periodMs,
                   [this, periodMs](int64_t) { Beat(periodMs); });
}

#include "tests/support/gui/ui_stall_meter.h"

#include <algorithm>
#include <atomic>

namespace {
std::atomic<int64_t> g_programLongestMs{0};

void NoteForProgram(int64_t ms) {
    int64_t seen = g_programLongestMs.load();
    while (ms > seen && !g_programLongestMs.compare_exchange_weak(seen, ms)) {
    }
}
}  // namespace

UiStallMeter::UiStallMeter(int intervalMs) {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(intervalMs);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
    Restart();
}

UiStallMeter::~UiStallMeter() {
    Stop();
}

void UiStallMeter::Restart() {
    m_clock.start();
    m_lastTickMs = 0;
    m_longestMs = 0;
    m_ticks = 0;
    m_running = true;
    m_paused = false;
    m_timer.start();
}

void UiStallMeter::Stop() {
    if (!m_running) {
        return;
    }
    m_timer.stop();
    Resume();
    m_longestMs = std::max(m_longestMs, static_cast<int64_t>(m_clock.elapsed()) - m_lastTickMs);
    m_running = false;
    NoteForProgram(m_longestMs);
}

void UiStallMeter::Pause() {
    if (m_running && !m_paused) {
        Tick();
        m_paused = true;
    }
}

void UiStallMeter::Resume() {
    if (m_running && m_paused) {
        m_lastTickMs = static_cast<int64_t>(m_clock.elapsed());
        m_paused = false;
    }
}

void UiStallMeter::Tick() {
    if (m_paused) {
        return;
    }
    const int64_t now = static_cast<int64_t>(m_clock.elapsed());
    m_longestMs = std::max(m_longestMs, now - m_lastTickMs);
    m_lastTickMs = now;
    ++m_ticks;
}

int64_t UiStallMeter::LongestStallMs() const {
    if (!m_running || m_paused) {
        return m_longestMs;
    }
    return std::max(m_longestMs, static_cast<int64_t>(m_clock.elapsed()) - m_lastTickMs);
}

std::string UiStallMeter::Summary(const std::string& what) const {
    return "UI stall [" + what + "]: longest " + std::to_string(LongestStallMs()) + " ms over " +
           std::to_string(m_ticks) + " ticks";
}

int64_t LongestUiStallOfProgramMs() {
    return g_programLongestMs.load();
}

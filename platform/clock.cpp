#include "platform/clock.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <map>
#include <mutex>

namespace platform {
namespace {

std::atomic<double> g_scale{1.0};

// Program time is accumulated piecewise so that changing the scale never makes it jump back.
std::mutex g_timeLock;
double g_baseProgramMs = 0;
std::chrono::steady_clock::time_point g_baseReal = std::chrono::steady_clock::now();

// Every SleepMs waits on this condition; Cancel and scale changes notify it. Taken without
// g_timeLock held (NowMs takes g_timeLock inside it, never the other way round).
std::mutex g_sleepLock;
std::condition_variable g_sleepWake;
uint64_t g_scaleChanges = 0;  // guarded by g_sleepLock

// Scale listeners; g_listenerLock is held while they run, so removal waits for a running call.
std::mutex g_listenerLock;
std::map<uint64_t, std::function<void()>> g_listeners;
uint64_t g_nextListener = 1;

bool g_localPinned = false;
LocalTime g_pinnedLocal;
int64_t g_pinnedAtMs = 0;

int64_t NowLocked() {
    auto real = std::chrono::steady_clock::now();
    double realMs = std::chrono::duration<double, std::milli>(real - g_baseReal).count();
    return static_cast<int64_t>(g_baseProgramMs + realMs * g_scale.load());
}

LocalTime FromTm(const std::tm& tm, int ms) {
    LocalTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    t.millisecond = ms;
    return t;
}

}  // namespace

std::string LocalTime::DateText() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
    return buf;
}

std::string LocalTime::TimeText() const {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", hour, minute, second, millisecond);
    return buf;
}

int64_t Clock::NowMs() {
    std::lock_guard<std::mutex> lock(g_timeLock);
    return NowLocked();
}

bool Clock::SleepMs(int64_t ms, const std::atomic<bool>* cancel) {
    if (ms <= 0) {
        return !(cancel && cancel->load());
    }
    const int64_t end = NowMs() + ms;
    std::unique_lock<std::mutex> lock(g_sleepLock);
    for (;;) {
        if (cancel && cancel->load()) {
            return false;
        }
        const int64_t left = end - NowMs();
        if (left <= 0) {
            return true;
        }
        // Round the real wait up to whole microseconds so that it never ends just short of the
        // due time and spins.
        const auto realWait =
            std::chrono::microseconds(static_cast<int64_t>(RealMsFor(left) * 1000.0) + 1);
        const uint64_t changes = g_scaleChanges;
        g_sleepWake.wait_for(lock, realWait, [&] {
            return (cancel && cancel->load()) || g_scaleChanges != changes;
        });
    }
}

void Clock::Cancel(std::atomic<bool>& flag) {
    {
        std::lock_guard<std::mutex> lock(g_sleepLock);
        flag.store(true);
    }
    g_sleepWake.notify_all();
}

double Clock::RealMsFor(int64_t programMs) {
    return static_cast<double>(programMs) / g_scale.load();
}

uint64_t Clock::AddScaleListener(std::function<void()> onChange) {
    std::lock_guard<std::mutex> lock(g_listenerLock);
    const uint64_t id = g_nextListener++;
    g_listeners[id] = std::move(onChange);
    return id;
}

void Clock::RemoveScaleListener(uint64_t id) {
    std::lock_guard<std::mutex> lock(g_listenerLock);
    g_listeners.erase(id);
}

void Clock::SetTimeScale(double scale) {
    if (scale <= 0) {
        scale = 1.0;
    }
    {
        std::lock_guard<std::mutex> lock(g_timeLock);
        g_baseProgramMs = static_cast<double>(NowLocked());
        g_baseReal = std::chrono::steady_clock::now();
        g_scale.store(scale);
    }
    {
        std::lock_guard<std::mutex> lock(g_sleepLock);
        ++g_scaleChanges;
    }
    g_sleepWake.notify_all();
    std::lock_guard<std::mutex> lock(g_listenerLock);
    for (auto& [id, onChange] : g_listeners) {
        onChange();
    }
}

double Clock::TimeScale() {
    return g_scale.load();
}

LocalTime Clock::LocalNow() {
    int64_t now = NowMs();
    std::lock_guard<std::mutex> lock(g_timeLock);
    if (g_localPinned) {
        // Advance the pinned time by the program time passed since it was pinned.
        std::tm tm{};
        tm.tm_year = g_pinnedLocal.year - 1900;
        tm.tm_mon = g_pinnedLocal.month - 1;
        tm.tm_mday = g_pinnedLocal.day;
        tm.tm_hour = g_pinnedLocal.hour;
        tm.tm_min = g_pinnedLocal.minute;
        tm.tm_sec = g_pinnedLocal.second;
        int64_t totalMs = g_pinnedLocal.millisecond + (now - g_pinnedAtMs);
        tm.tm_sec += static_cast<int>(totalMs / 1000);
        int ms = static_cast<int>(totalMs % 1000);
        tm.tm_isdst = -1;
        // timegm/gmtime keep the arithmetic free of daylight-saving jumps.
        time_t secs = timegm(&tm);
        std::tm out{};
        gmtime_r(&secs, &out);
        return FromTm(out, ms);
    }
    auto sys = std::chrono::system_clock::now();
    time_t secs = std::chrono::system_clock::to_time_t(sys);
    int ms = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sys.time_since_epoch()).count() %
        1000);
    std::tm tm{};
    localtime_r(&secs, &tm);
    return FromTm(tm, ms);
}

void Clock::SetLocalTime(const LocalTime& t) {
    int64_t now = NowMs();
    std::lock_guard<std::mutex> lock(g_timeLock);
    g_localPinned = true;
    g_pinnedLocal = t;
    g_pinnedAtMs = now;
}

void Clock::ResetLocalTime() {
    std::lock_guard<std::mutex> lock(g_timeLock);
    g_localPinned = false;
}

}  // namespace platform

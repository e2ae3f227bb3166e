#include "platform/clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>

namespace platform {
namespace {

std::atomic<double> g_scale{1.0};

// Program time is accumulated piecewise so that changing the scale never makes it jump back.
std::mutex g_timeLock;
double g_baseProgramMs = 0;
std::chrono::steady_clock::time_point g_baseReal = std::chrono::steady_clock::now();

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
    for (;;) {
        if (cancel && cancel->load()) {
            return false;
        }
        int64_t left = end - NowMs();
        if (left <= 0) {
            return true;
        }
        // Real time to sleep for the rest, in slices so that a cancel is seen within 10 ms.
        double realLeft = static_cast<double>(left) / g_scale.load();
        double slice = realLeft < 10.0 ? realLeft : 10.0;
        if (!cancel) {
            slice = realLeft;
        }
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(slice));
    }
}

void Clock::SetTimeScale(double scale) {
    if (scale <= 0) {
        scale = 1.0;
    }
    std::lock_guard<std::mutex> lock(g_timeLock);
    g_baseProgramMs = static_cast<double>(NowLocked());
    g_baseReal = std::chrono::steady_clock::now();
    g_scale.store(scale);
}

double Clock::TimeScale() { return g_scale.load(); }

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

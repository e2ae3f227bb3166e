#include "monitor/service_notify.h"

#include <systemd/sd-daemon.h>

#include <cstring>

#include "app/state/app_state.h"

namespace service {
namespace {
void Notify(const std::string& text) {
    const int r = sd_notify(0, text.c_str());
    if (r < 0) {
        DebugLog("sd_notify() fail! reason: " + std::string(std::strerror(-r)));
    }
}
}  // namespace

void Ready(const std::string& status) {
    Notify("READY=1\nSTATUS=" + status);
}
void Status(const std::string& status) {
    Notify("STATUS=" + status);
}
void Stopping() {
    Notify("STOPPING=1");
}

uint64_t WatchdogUsec() {
    uint64_t usec = 0;
    return sd_watchdog_enabled(0, &usec) > 0 ? usec : 0;
}

void FeedWatchdog() {
    Notify("WATCHDOG=1");
}
}  // namespace service

// The service manager's notifications (sd_notify): ready, status text, stopping, and the
// watchdog. Without a service manager (no NOTIFY_SOCKET) every call does nothing.
//
// Any thread.
#pragma once

#include <cstdint>
#include <string>

namespace service {
void Ready(const std::string& status);
void Status(const std::string& status);
void Stopping();
// The watchdog period the manager asked for, in microseconds (0: none).
uint64_t WatchdogUsec();
void FeedWatchdog();
}  // namespace service

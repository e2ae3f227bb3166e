// What the monitor reads from a Corvantis.ini: the phone book (every site), [Monitor]
// "PollSeconds" (default 60) and "SweepMinutes" (default 15), and the [CommSetup] line through
// which the sites that are not TCP/IP are dialled. A site whose phone reads as "host port" is a
// TCP/IP site.
//
// Any thread (pure reading of a loaded ini).
#pragma once

#include <string>
#include <vector>

#include "monitor/shard.h"
#include "monitor/site_watch.h"

namespace platform {
class IniFile;
}

struct MonitorConfig {
    int pollSeconds = 60;
    int sweepMinutes = 15;
    std::vector<SiteConfig> sites;  // phone-book order, this shard's only
    size_t skippedByShard = 0;
};

constexpr int kDefaultPollSeconds = 60;
constexpr int kDefaultSweepMinutes = 15;

MonitorConfig ReadMonitorConfig(const platform::IniFile& ini, const Shard& shard);

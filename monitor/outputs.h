// What the monitor shows of its readings: the Prometheus text exposition (/metrics), the JSON
// status (/status.json, --once --json) and the monitoring-plugin check (--check). The unit's
// texts are 8-bit (Latin-1); every output here is UTF-8.
//
// Pure functions; any thread.
#pragma once

#include <string>

#include "monitor/site_board.h"
#include "protocol/latin1_text.h"

// Prometheus text format 0.0.4.
std::string RenderMetrics(const BoardSnapshot& snap);

// Every site with its last values and their age.
std::string RenderStatusJson(const BoardSnapshot& snap);
// One site, as --once --json prints it.
std::string RenderSiteJson(const SiteReading& site, double nowUnix);

// Monitoring-plugin result: 0 OK, 1 WARNING (answered, but the reply was incomplete), 2 CRITICAL
// (a dryer in alarm), 3 UNKNOWN (the site could not be read). `text` is the one line to print,
// with performance data after "|".
struct CheckResult {
    int code = 3;
    std::string text;
};
CheckResult EvaluateCheck(const SiteReading& site);

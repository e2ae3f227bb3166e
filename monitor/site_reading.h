// What the monitor knows of one site: whether its last poll worked, when it last did, how long
// the poll took, and the dryers of the last Status reply that was read. Plain data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "protocol/status_reply.h"

struct SiteReading {
    std::string name;
    std::string address;  // "host port" or the number dialled
    bool tcp = false;
    bool up = false;       // the last poll was answered
    int64_t polls = 0;     // polls finished, answered or not
    int64_t failures = 0;  // polls that failed
    int consecutiveFailures = 0;
    double lastSuccessUnix = 0;         // wall-clock seconds of the last answered poll, 0 when none
    double lastAttemptUnix = 0;         // wall-clock seconds of the last poll that finished
    double pollSeconds = 0;             // how long the last answered poll took
    std::string lastError;              // why the last failed poll failed ("" after a success)
    bool complete = true;               // the last reply held every field of a Status reply
    std::optional<StatusReply> status;  // the last Status reply read
};

// A dryer is shown when the unit reports anything for it: a lamp, a status text or a model.
bool DryerPresent(const StatusReply& reply, int index);

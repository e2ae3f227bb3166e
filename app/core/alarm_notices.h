// The words the console uses to tell the operator about alarms and the link: the desktop
// notifications (summary and body) and the session-log lines. Texts are Latin-1, as the unit's
// texts are. No Qt.
#pragma once

#include <string>

#include "app/core/alarm_tracker.h"

struct Notice {
    std::string summary;
    std::string body;
};

// `site` is the phone-book site of the session ("" when not known).
Notice AlarmNotice(const AlarmEvent& event, const std::string& site);
Notice LinkLostNotice(const std::string& site);
Notice LinkBackNotice(const std::string& site);

// The session-log line of a raise, clear or acknowledge ("" for a reminder, which is not logged).
std::string AlarmLogLine(const AlarmEvent& event);

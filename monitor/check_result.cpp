#include <cstdio>

#include "monitor/outputs.h"

CheckResult EvaluateCheck(const SiteReading& site) {
    const std::string name = Latin1ToUtf8(site.name);
    CheckResult result;
    if (!site.up || !site.status) {
        result.code = 3;
        result.text = "CORVANTIS UNKNOWN - " + name + ": " +
                      (site.lastError.empty() ? std::string("not read") : site.lastError);
        return result;
    }
    const StatusReply& r = *site.status;
    std::string alarmed;
    int alarms = 0;
    int online = 0;
    int standby = 0;
    int dryers = 0;
    for (int i = 0; i < 8; ++i) {
        if (!DryerPresent(r, i)) {
            continue;
        }
        ++dryers;
        online += DryerBit(r.onlineMask, i);
        standby += DryerBit(r.standbyMask, i);
        if (DryerBit(r.alarmMask, i)) {
            ++alarms;
            alarmed += (alarmed.empty() ? "" : ", ") + std::to_string(i + 1);
        }
    }
    char perf[160];
    std::snprintf(perf, sizeof perf,
                  " | alarms=%d;;1;0;8 online=%d;;;0;8 standby=%d;;;0;8 poll=%.3fs", alarms, online,
                  standby, site.pollSeconds);
    if (alarms > 0) {
        result.code = 2;
        result.text = "CORVANTIS CRITICAL - " + name + ": dryer" + (alarms > 1 ? "s " : " ") +
                      alarmed + " in alarm";
    } else if (!site.complete) {
        result.code = 1;
        result.text = "CORVANTIS WARNING - " + name + ": the unit's reply was incomplete";
    } else {
        result.code = 0;
        result.text = "CORVANTIS OK - " + name + ": no dryer in alarm (" + std::to_string(dryers) +
                      " reported)";
    }
    result.text += perf;
    return result;
}

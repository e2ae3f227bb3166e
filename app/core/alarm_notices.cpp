#include "app/core/alarm_notices.h"

namespace {

std::string SiteText(const std::string& site) {
    return site.empty() ? "the unit" : site;
}

std::string DryerText(const AlarmEvent& event) {
    return "Dryer " + std::to_string(event.dryer);
}

// The unit's words about the alarm, one per line, empty ones left out.
std::string Details(const AlarmEvent& event) {
    std::string text;
    auto add = [&text](const char* label, const std::string& value) {
        if (!value.empty()) {
            text += std::string("\n") + label + value;
        }
    };
    add("Alarm date/time: ", event.alarmTime);
    add("Status: ", event.status);
    add("Model: ", event.model);
    return text;
}

}  // namespace

Notice AlarmNotice(const AlarmEvent& event, const std::string& site) {
    const std::string where = "Site: " + SiteText(site) + "\n" + DryerText(event);
    switch (event.kind) {
        case AlarmEventKind::Raised:
            return {DryerText(event) + " in alarm at " + SiteText(site), where + Details(event)};
        case AlarmEventKind::Renotified:
            return {DryerText(event) + " still in alarm at " + SiteText(site),
                    where + Details(event) + "\nNobody has acknowledged this alarm yet."};
        case AlarmEventKind::Cleared:
            return {DryerText(event) + " alarm cleared at " + SiteText(site),
                    where + "\nThe unit no longer reports the alarm."};
        case AlarmEventKind::Acknowledged:
            break;
    }
    return {DryerText(event) + " alarm acknowledged at " + SiteText(site), where};
}

Notice LinkLostNotice(const std::string& site) {
    return {"Link to " + SiteText(site) + " lost",
            "The console no longer reaches the unit. Alarms there are not seen until the link is "
            "back."};
}

Notice LinkBackNotice(const std::string& site) {
    return {"Link to " + SiteText(site) + " is back", "The console reaches the unit again."};
}

std::string AlarmLogLine(const AlarmEvent& event) {
    const std::string dryer = "dryer " + std::to_string(event.dryer);
    switch (event.kind) {
        case AlarmEventKind::Raised:
            return "<Alarm raised: " + dryer + ", " + event.alarmTime + ", " + event.status + ", " +
                   event.model + ">";
        case AlarmEventKind::Cleared:
            return "<Alarm cleared: " + dryer + ">";
        case AlarmEventKind::Acknowledged:
            return "<Alarm acknowledged: " + dryer + ">";
        case AlarmEventKind::Renotified:
            break;
    }
    return "";
}

#include <nlohmann/json.hpp>

#include "monitor/outputs.h"

namespace {

using nlohmann::json;

json DryerJson(const StatusReply& r, int i) {
    const DryerDetail& d = r.dryers[static_cast<size_t>(i)];
    return json{{"dryer", i + 1},
                {"alarm", DryerBit(r.alarmMask, i)},
                {"online", DryerBit(r.onlineMask, i)},
                {"standby", DryerBit(r.standbyMask, i)},
                {"colour", DryerColourName(d.colour)},
                {"alarm_time", Latin1ToUtf8(d.alarmTime)},
                {"status", Latin1ToUtf8(d.status)},
                {"model", Latin1ToUtf8(d.model)}};
}

json SiteJson(const SiteReading& s, double nowUnix) {
    json site{{"site", Latin1ToUtf8(s.name)},
              {"address", Latin1ToUtf8(s.address)},
              {"transport", s.tcp ? "tcp" : "serial"},
              {"up", s.up},
              {"polls", s.polls},
              {"failures", s.failures},
              {"poll_seconds", s.pollSeconds}};
    site["last_success"] = s.lastSuccessUnix > 0 ? json(s.lastSuccessUnix) : json(nullptr);
    site["age_seconds"] = s.lastSuccessUnix > 0 ? json(nowUnix - s.lastSuccessUnix) : json(nullptr);
    site["error"] = s.lastError.empty() ? json(nullptr) : json(Latin1ToUtf8(s.lastError));
    if (!s.status) {
        site["dryers"] = json::array();
        return site;
    }
    const StatusReply& r = *s.status;
    json dryers = json::array();
    for (int i = 0; i < 8; ++i) {
        if (DryerPresent(r, i)) {
            dryers.push_back(DryerJson(r, i));
        }
    }
    site["dryers"] = std::move(dryers);
    json weekdays = json::array();
    static const char* const kDays[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday"};
    for (size_t day = 0; day < r.weekdays.size(); ++day) {
        if (r.cycleDays && r.weekdays[day]) {
            weekdays.push_back(kDays[day]);
        }
    }
    site["cycle"] = json{{"mode", r.cycleDays ? std::string("DAYS") : Latin1ToUtf8(r.cycleText)},
                         {"weekdays", std::move(weekdays)},
                         {"next_cycle", Latin1ToUtf8(r.nextCycle)},
                         {"current_time", Latin1ToUtf8(r.currentTime)},
                         {"minimum_online", Latin1ToUtf8(r.minimumOnline)},
                         {"roster", Latin1ToUtf8(r.roster)},
                         {"skip_weekends", Latin1ToUtf8(r.skipWeekends)}};
    site["complete"] = s.complete;
    return site;
}

}  // namespace

std::string RenderSiteJson(const SiteReading& site, double nowUnix) {
    return SiteJson(site, nowUnix).dump(2) + "\n";
}

std::string RenderStatusJson(const BoardSnapshot& snap) {
    json sites = json::array();
    for (const SiteReading& s : snap.sites) {
        sites.push_back(SiteJson(s, snap.takenUnix));
    }
    json doc{{"generated", snap.takenUnix},
             {"started", snap.startedUnix},
             {"poll_lateness_ms",
              {{"polls", snap.lateness.samples},
               {"p50", snap.lateness.p50Ms},
               {"p99", snap.lateness.p99Ms},
               {"max", snap.lateness.maxMs}}},
             {"sites", std::move(sites)}};
    return doc.dump(2) + "\n";
}

#include "app/status_table.h"

#include <algorithm>
#include <array>
#include <vector>

#include "controls/static_ex.h"
#include "pages/web_page_status.h"

namespace {

std::string Text(const CStaticEx* control) {
    return control->WindowText().toUtf8().toStdString();
}

bool Lit(const CStaticEx* control) {
    return !control->isHidden();
}

// The lamps a row shows, as words ("-" when none).
std::string Lamps(const CWebPage_Status::DryerRow& row) {
    std::string lamps;
    for (const auto& [control, name] :
         {std::pair{row.alarm, "Alarm"}, std::pair{row.online, "Online"},
          std::pair{row.standby, "Standby"}}) {
        if (Lit(control)) {
            lamps += (lamps.empty() ? "" : "+") + std::string(name);
        }
    }
    return lamps.empty() ? "-" : lamps;
}

std::string CycleMode(const CWebPage_Status& page) {
    if (!Lit(page.Strip())) {
        return Text(page.CycleMode());
    }
    static const char* const kDays[5] = {"Mon", "Tue", "Wed", "Thu", "Fri"};
    std::string days;
    for (int day = 0; day < 5; ++day) {
        if (Lit(page.Weekday(day))) {
            days += (days.empty() ? "" : " ") + std::string(kDays[day]);
        }
    }
    return "DAYS (" + (days.empty() ? std::string("no weekday") : days) + ")";
}

using Line = std::vector<std::string>;

std::string Columns(const std::vector<Line>& lines) {
    std::vector<size_t> widths;
    for (const Line& line : lines) {
        widths.resize(std::max(widths.size(), line.size()));
        for (size_t i = 0; i < line.size(); ++i) {
            widths[i] = std::max(widths[i], line[i].size());
        }
    }
    std::string text;
    for (const Line& line : lines) {
        std::string out;
        for (size_t i = 0; i < line.size(); ++i) {
            out += line[i];
            if (i + 1 < line.size()) {
                out += std::string(widths[i] - line[i].size() + 2, ' ');
            }
        }
        while (!out.empty() && out.back() == ' ') {
            out.pop_back();
        }
        text += out + "\n";
    }
    return text;
}

}  // namespace

std::string StatusTableText(const CWebPage_Status& page) {
    std::vector<Line> dryers = {{"Dryer", "Lamp", "Status", "Model", "Alarm time"}};
    for (int k = 0; k < 8; ++k) {
        const CWebPage_Status::DryerRow& row = page.Row(k);
        const std::string lamps = Lamps(row);
        if (lamps == "-" && Text(row.model).empty() && Text(row.alarmTime).empty()) {
            continue;  // not installed
        }
        dryers.push_back(
            {std::to_string(k + 1), lamps, Text(row.status), Text(row.model), Text(row.alarmTime)});
    }
    static const std::array<const char*, 6> kLabels = {
        "Cycle Mode:", "Next Cycle:",   "Current Time:", "Minimum Number of Dryers Online:",
        "Roster:",     "Skip Weekends:"};
    std::vector<Line> cycle;
    for (size_t i = 0; i < kLabels.size(); ++i) {
        cycle.push_back(
            {kLabels[i], i == 0 ? CycleMode(page) : Text(page.LowerValue(static_cast<int>(i)))});
    }
    std::string text = Columns(dryers) + "\n" + Columns(cycle);
    if (page.IsStale()) {
        text += "(the unit's last known values: the session had ended)\n";
    }
    return text;
}

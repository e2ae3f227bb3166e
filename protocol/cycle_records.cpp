#include "protocol/cycle_records.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "protocol/split_fields.h"

const std::array<const char*, 3> g_DryerStatusNames = {"Running", "Available", "Backup"};

namespace {

constexpr int kDurationCount = 3;     // "8 HR", "16 HR", "24 HR"
constexpr int kAlarmDelayCount = 11;  // "None", "1 Seconds" .. "10 Seconds"

// A selection index as the combo box keeps it: out of range means no selection.
int Selection(int index, int itemCount) {
    return index >= 0 && index < itemCount ? index : -1;
}

}  // namespace

int UnitNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) {
            value = INT_MAX;  // saturate instead of overflowing on a long run of digits
        }
    }
    return static_cast<int>(negative ? -value : value);
}

void DryerList::Append(int dryer) {
    if (count < numbers.size()) {
        numbers[count++] = static_cast<uint8_t>(dryer);
    }
}

bool DryerList::operator==(const DryerList& other) const {
    if (count != other.count) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (numbers[i] != other.numbers[i]) {
            return false;
        }
    }
    return true;
}

void ParseDryer(const std::string& record, int k, CycleReply& reply) {
    const Fields16 fields = SplitFields<16>(record, ",");
    DryerRow& row = reply.dryers[k];
    if (fields[0] == "0") {
        row = DryerRow{};
        reply.shownSettings += "0,;";
        return;
    }
    reply.shownSettings += fields[1] + "," + fields[2] + ";";
    row.present = true;
    reply.present.Append(k + 1);
    row.statusSelection = Selection(UnitNumber(fields[1]) - 1, int(g_DryerStatusNames.size()));
    if (fields[1] == "3") {
        reply.backup.Append(k + 1);
    }
    row.model = fields[2];
}

void ParseCycleTime(const std::string& record, CycleReply& reply) {
    const Fields16 fields = SplitFields<16>(record, ",");
    reply.cycleTime = {fields[0], fields[1]};
}

void ParseExercise(const std::string& record, CycleReply& reply) {
    const Fields16 fields = SplitFields<16>(record, ",");
    if (fields[0] == "0") {
        reply.exercise.items = {"None"};
        for (int i = 0; i < reply.backup.count; ++i) {
            reply.exercise.items.push_back(std::to_string(reply.backup.numbers[i]));
        }
        reply.exercise.selection = 0;
        reply.durationSelection = 0;
        reply.durationEnabled = true;
    } else {
        reply.exercise.items = {"Clear", fields[0]};
        reply.exercise.selection = 1;
        reply.durationSelection = Selection(UnitNumber(fields[1]), kDurationCount);
        reply.durationEnabled = false;
    }
}

CycleReply ParseCycleReply(const std::string& text) {
    CycleReply reply;
    const Fields16 records = SplitFields<16>(text, ";");
    for (int k = 0; k < kDryerCount; ++k) {
        ParseDryer(records[k], k, reply);
    }
    for (int r = 8; r < kCycleRecordCount; ++r) {
        reply.shownSettings += records[r] + ";";
    }

    for (int i = 1; i <= reply.present.count; ++i) {
        reply.minOnline.items.push_back(std::to_string(i));
    }
    reply.minOnline.selection = Selection(UnitNumber(records[8]) - 1, reply.present.count);

    ParseCycleTime(records[9], reply);

    const std::string& mode = records[10];
    if (mode != "0" && mode != "1") {
        reply.modeSelection = kDaysModeIndex;
        // A far negative number from the unit must not wrap round below the int range.
        reply.dayMask = static_cast<int>(
            std::max<long long>(static_cast<long long>(UnitNumber(mode)) - kDaysModeBase, INT_MIN));
    } else {
        reply.modeSelection = UnitNumber(mode);
    }

    if (records[11] == "0") {
        reply.maintenance.items = {"None"};
        for (int i = 0; i < reply.present.count; ++i) {
            reply.maintenance.items.push_back(std::to_string(reply.present.numbers[i]));
        }
        reply.maintenance.selection = 0;
    } else {
        reply.maintenance.items = {"Clear", records[11]};
        reply.maintenance.selection = 1;
    }

    ParseExercise(records[12], reply);

    reply.skipSelection = records[13] == "1" ? 0 : 1;
    reply.alarmSelection = Selection(UnitNumber(records[14]), kAlarmDelayCount);
    return reply;
}

std::string ComposeSettings(const CycleForm& form) {
    std::string text;
    for (const CycleForm::Dryer& dryer : form.dryers) {
        if (dryer.visible) {
            text += std::to_string(dryer.statusSelection + 1) + "," + dryer.model + ";";
        } else {
            text += "0,;";
        }
    }
    text += std::to_string(form.minOnlineSelection + 1) + ";";
    text += form.cycleTime[0] + "," + form.cycleTime[1] + ";";
    if (form.modeSelection >= kDaysModeIndex) {
        text += std::to_string(form.dayMask + kDaysModeBase) + ";";
    } else {
        text += std::to_string(form.modeSelection) + ";";
    }
    text += (form.maintenanceSelection == 0 ? std::string("0") : form.maintenanceText) + ";";
    if (form.exerciseSelection == 0) {
        text += "0,0;";
    } else {
        text += form.exerciseText + "," + std::to_string(form.durationSelection) + ";";
    }
    text += std::string(form.skipSelection == 1 ? "0" : "1") + ";";
    text += std::to_string(form.alarmSelection) + ";";
    return text;
}

std::string CheckCycleForm(const CycleForm& form) {
    if (form.modeSelection >= kDaysModeIndex && (form.dayMask & kAllDayBits) == 0) {
        return "Please select one day or more for week.";
    }
    for (const CycleForm::Dryer& dryer : form.dryers) {
        if (!dryer.visible) {
            continue;
        }
        if (dryer.model.find(',') != std::string::npos) {
            return "don't input ','.";
        }
        if (dryer.model.find(';') != std::string::npos) {
            return "don't input ';'.";
        }
    }
    for (const std::string& field : form.cycleTime) {
        if (field.find(',') != std::string::npos) {
            return "don't input ','.";
        }
        if (field.find(';') != std::string::npos) {
            return "don't input ';'.";
        }
    }
    return {};
}

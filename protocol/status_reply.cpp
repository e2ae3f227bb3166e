#include "protocol/status_reply.h"

#include "protocol/split_fields.h"

uint8_t ParseMask(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    // Only the low eight bits count, so the value is kept modulo 256 as it is read: no digit
    // string, however long, can overflow.
    unsigned value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = (value * 10 + unsigned(text[i] - '0')) & 0xFF;
    }
    return static_cast<uint8_t>(negative ? (256 - value) & 0xFF : value);
}

DryerColour DryerColourFromName(const std::string& name) {
    if (name == "Red") {
        return DryerColour::Red;
    }
    if (name == "Lightgrey") {
        return DryerColour::Lightgrey;
    }
    if (name == "Green") {
        return DryerColour::Green;
    }
    if (name == "Orange") {
        return DryerColour::Orange;
    }
    if (name == "Blue") {
        return DryerColour::Blue;
    }
    return DryerColour::Black;
}

const char* DryerColourName(DryerColour colour) {
    switch (colour) {
        case DryerColour::Red:
            return "Red";
        case DryerColour::Lightgrey:
            return "Lightgrey";
        case DryerColour::Green:
            return "Green";
        case DryerColour::Orange:
            return "Orange";
        case DryerColour::Blue:
            return "Blue";
        case DryerColour::Black:
            break;
    }
    return "Black";
}

namespace {

DryerDetail ParseDryer(const std::string& field) {
    const Fields16 parts = SplitFields16(field, ",");
    DryerDetail detail;
    detail.colour = DryerColourFromName(parts[0]);
    detail.alarm = parts[0] == "Red";
    detail.alarmTime = parts[1];
    detail.status = parts[2];
    detail.model = parts[3];
    return detail;
}

// "DAYS", one separating character, then one character per weekday Monday..Friday: "." is a day
// off. A mask cut short leaves the missing days off.
void ParseCycleMode(const std::string& field, StatusReply& reply) {
    reply.cycleDays = field.find("DAYS") != std::string::npos;
    if (!reply.cycleDays) {
        reply.cycleText = field;
        return;
    }
    for (size_t day = 0; day < 5; ++day) {
        const size_t at = 5 + day;
        reply.weekdays[day] = at < field.size() && field[at] != '.';
    }
}

}  // namespace

StatusReply ParseStatusReply(const std::string& text) {
    const Fields100 fields = SplitFields100(text, ";");
    StatusReply reply;
    reply.alarmMask = ParseMask(fields[0]);
    reply.onlineMask = ParseMask(fields[1]);
    reply.standbyMask = ParseMask(fields[2]);
    for (size_t k = 0; k < 8; ++k) {
        reply.dryers[k] = ParseDryer(fields[3 + k]);
    }
    ParseCycleMode(fields[11], reply);
    reply.nextCycle = fields[12];
    reply.currentTime = fields[13];
    reply.minimumOnline = fields[14];
    reply.roster = fields[15];
    reply.skipWeekends = fields[16];
    return reply;
}

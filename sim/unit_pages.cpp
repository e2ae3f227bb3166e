#include "sim/unit_pages.h"

#include "sim/record_text.h"

namespace sim {
namespace {

// Reads a run of digits at `pos` as a number (no sign, no leading zeros beyond a single "0").
bool ReadNumber(const std::string& line, size_t& pos, int& value) {
    size_t end = pos;
    while (end < line.size() && line[end] >= '0' && line[end] <= '9') {
        ++end;
    }
    if (!ParseDecimal(line.substr(pos, end - pos), value)) {
        return false;
    }
    pos = end;
    return true;
}

}  // namespace

bool ParsePageRequest(const std::string& line, PageRequest& request) {
    // "/" two digits ".htm?val=" A "-" B [ "," argument ]
    static const std::string kMiddle = ".htm?val=";
    if (line.size() < 3 || line[0] != '/' || !ParseDecimal(line.substr(1, 2), request.page) ||
        line.compare(3, kMiddle.size(), kMiddle) != 0) {
        return false;
    }
    size_t pos = 3 + kMiddle.size();
    if (!ReadNumber(line, pos, request.a) || pos >= line.size() || line[pos] != '-') {
        return false;
    }
    ++pos;
    if (!ReadNumber(line, pos, request.b)) {
        return false;
    }
    request.hasArgument = false;
    request.password.clear();
    request.data.clear();
    if (pos == line.size()) {
        return true;
    }
    if (line[pos] != ',') {
        return false;
    }
    request.hasArgument = true;
    std::string argument = line.substr(pos + 1);
    size_t semicolon = argument.find(';');
    request.password = argument.substr(0, semicolon);
    if (semicolon != std::string::npos) {
        request.data = argument.substr(semicolon + 1);
    }
    return true;
}

std::string ServePageRequest(UnitState& state, const PageContext& context,
                             const std::string& line) {
    PageRequest r;
    if (!ParsePageRequest(line, r)) {
        return "";
    }
    const bool write = r.a == 1 && r.hasArgument && r.password == context.password;
    switch (r.page) {
        case 51: {
            int dryer = 0;
            if (write && ParseDecimal(r.data, dryer)) {
                state.ResetDryer(dryer);
            }
            return state.StatusRecord(context.clock);
        }
        case 60:
            return state.StatusRecord(context.clock);
        case 52:
            return state.CycleRecord();
        case 53:
            if (write) {
                state.ApplyCycleWrite(r.data);
            }
            return state.CycleRecord();
        case 55: {
            static const std::string kTag = "TT=";
            if (write && r.data.compare(0, kTag.size(), kTag) == 0) {
                state.ApplyReportingWrite(r.data.substr(kTag.size()));
            }
            return state.ReportingRecord();
        }
        case 61:
            if (r.a == 0) {
                state.NavigateEvents(r.b);
            } else {
                state.SortEvents(r.a, r.b);
            }
            return state.EventPageText();
        default:
            return "";
    }
}

}  // namespace sim

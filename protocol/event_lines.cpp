#include "protocol/event_lines.h"

#include <algorithm>

#include "protocol/split_fields.h"

std::string BuildEventRequest(int a, int b) {
    if (a == 0) {
        return "/61.htm?val=0-0\r";
    }
    if (b == -1) {
        return "/61.htm?val=0-" + std::to_string(a) + "\r";
    }
    return "/61.htm?val=" + std::to_string(a) + "-" + std::to_string(b) + "\r";
}

EventScreen ParseEventReply(const std::string& text) {
    const Fields100 lines = SplitFields<100>(text, "\r\n");
    // Lines 0..n exist, n being the number of line ends in the text (at most the array's room).
    int lineEnds = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
        ++lineEnds;
    }
    const int events = std::min(lineEnds, int(lines.size()) - 1);

    EventScreen screen;
    const std::string& header = lines[0];
    const size_t comma = header.find(',');
    if (comma == std::string::npos) {
        screen.label = " of " + header;
    } else {
        screen.label = header.substr(0, comma) + " of " + header.substr(comma + 1);
    }
    for (int row = 0; row < kEventRows && row < events; ++row) {
        const Fields16 fields = SplitFields<16>(lines[row + 1], ",");
        for (int c = 0; c < kEventColumns; ++c) {
            screen.rows[row][c] = fields[c];
        }
    }
    return screen;
}

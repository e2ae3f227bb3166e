// The Event page's reading of a "/61" reply on any text: the label and at most 18 rows of five
// cells, each cell one whole field of one line (no "," and no line end inside), rows filled from
// the top with nothing after the first empty line of events; and the paging and sort requests the
// page sends always have the unit's request form.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_check.h"
#include "protocol/event_lines.h"

namespace {

int LineEnds(const std::string& text) {
    int count = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
        ++count;
    }
    return count;
}

bool RowEmpty(const std::array<std::string, kEventColumns>& row) {
    for (const std::string& cell : row) {
        if (!cell.empty()) {
            return false;
        }
    }
    return true;
}

int Int(const uint8_t* data, size_t size, size_t at) {
    int value = 0;
    if (at + sizeof value <= size) {
        std::memcpy(&value, data + at, sizeof value);
    }
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const EventScreen screen = ParseEventReply(text);

    FUZZ_CHECK(screen.label.find(" of ") != std::string::npos);
    FUZZ_CHECK(screen.label.find("\r\n") == std::string::npos);
    const int events = LineEnds(text);
    for (int row = 0; row < kEventRows; ++row) {
        for (const std::string& cell : screen.rows[row]) {
            FUZZ_CHECK(cell.find(',') == std::string::npos);
            FUZZ_CHECK(cell.find("\r\n") == std::string::npos);
            FUZZ_CHECK(text.find(cell) != std::string::npos);
        }
        if (row >= events) {
            FUZZ_CHECK(RowEmpty(screen.rows[row]));
        }
    }

    const std::string request = BuildEventRequest(Int(data, size, 0), Int(data, size, 4));
    FUZZ_CHECK(request.rfind("/61.htm?val=", 0) == 0);
    FUZZ_CHECK(request.back() == '\r');
    FUZZ_CHECK(request.find('\r') == request.size() - 1);
    return 0;
}

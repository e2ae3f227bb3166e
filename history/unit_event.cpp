#include "history/unit_event.h"

#include <cstdlib>

namespace history {

namespace {

// A page number as the unit writes it; 0 for anything that is not a plain number.
int PageNumber(const std::string& text) {
    if (text.empty() || text.size() > 6) {
        return 0;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return 0;
        }
    }
    return std::atoi(text.c_str());
}

}  // namespace

bool ParseEventLine(const std::string& line, UnitEventRecord& record) {
    if (line.empty()) {
        return false;
    }
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = line.find(',', start)) != std::string::npos; start = at + 1) {
        parts.push_back(line.substr(start, at - start));
    }
    parts.push_back(line.substr(start));
    record = {};
    if (parts.size() < 5) {
        // A short line: the fields in order, the missing ones empty.
        std::string* fields[] = {&record.dryer, &record.event, &record.description, &record.date,
                                 &record.time};
        for (size_t i = 0; i < parts.size(); ++i) {
            *fields[i] = parts[i];
        }
        return true;
    }
    record.dryer = parts[0];
    record.event = parts[1];
    record.date = parts[parts.size() - 2];
    record.time = parts[parts.size() - 1];
    for (size_t i = 2; i + 2 < parts.size(); ++i) {
        if (i > 2) {
            record.description += ',';
        }
        record.description += parts[i];
    }
    return true;
}

EventPage ParseEventPage(const std::string& text) {
    EventPage page;
    size_t start = 0;
    bool header = true;
    for (;;) {
        const size_t at = text.find("\r\n", start);
        const std::string line =
            text.substr(start, at == std::string::npos ? std::string::npos : at - start);
        if (header) {
            const size_t comma = line.find(',');
            page.page = PageNumber(line.substr(0, comma));
            page.pages = comma == std::string::npos ? 0 : PageNumber(line.substr(comma + 1));
            header = false;
        } else {
            UnitEventRecord record;
            if (ParseEventLine(line, record)) {
                page.events.push_back(std::move(record));
            }
        }
        if (at == std::string::npos) {
            break;
        }
        start = at + 2;
    }
    return page;
}

}  // namespace history

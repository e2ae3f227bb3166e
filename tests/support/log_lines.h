// Checks on the console's log lines: "%02d:%02d:%02d.%03d : text" stamped lines, raw lines, and
// the 80 '=' separators of the opening and closing blocks.
#pragma once

#include <regex>
#include <string>

inline const std::string& LogSeparator() {
    static const std::string separator(80, '=');
    return separator;
}

// True when `line` (without its "\r\n") is the stamped line of `text`.
inline bool IsStampedLine(const std::string& line, const std::string& text) {
    static const std::regex stamp(R"(^[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\.[0-9]{3} : )");
    return line.size() == 15 + text.size() && std::regex_search(line, stamp) &&
           line.compare(15, std::string::npos, text) == 0;
}

// The "HH:MM:SS" of a stamped line.
inline std::string StampSeconds(const std::string& line) {
    return line.substr(0, 8);
}

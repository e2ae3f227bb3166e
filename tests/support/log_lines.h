// Checks on the console's log lines: "%02d:%02d:%02d.%03d : text" stamped lines, raw lines, and
// the 80 '=' separators of the opening and closing blocks.
#pragma once

#include <cctype>
#include <string>

inline const std::string& LogSeparator() {
    static const std::string separator(80, '=');
    return separator;
}

// True when `line` (without its "\r\n") is the stamped line of `text`.
inline bool IsStampedLine(const std::string& line, const std::string& text) {
    static const std::string shape = "00:00:00.000 : ";  // '0' stands for any digit
    if (line.size() != shape.size() + text.size()) {
        return false;
    }
    for (size_t i = 0; i < shape.size(); ++i) {
        const bool ok = shape[i] == '0' ? std::isdigit(static_cast<unsigned char>(line[i])) != 0
                                        : line[i] == shape[i];
        if (!ok) {
            return false;
        }
    }
    return line[0] <= '2' && line[3] <= '5' && line[6] <= '5' &&
           line.compare(shape.size(), std::string::npos, text) == 0;
}

// The "HH:MM:SS" of a stamped line.
inline std::string StampSeconds(const std::string& line) {
    return line.substr(0, 8);
}

// The splitting rule every page uses to cut a unit reply (or a text it is about to send) into
// fields: element i is the text before the i-th separator, the last element is what follows the
// last separator (so a trailing separator gives an empty last element), elements never reached stay
// empty. The arrays have fixed sizes; text past the last element is dropped, never written past.
#pragma once

#include <array>
#include <cstddef>
#include <string>

template <size_t N>
std::array<std::string, N> SplitFields(const std::string& text, const std::string& separator) {
    static_assert(N > 0, "a split needs at least one element");
    std::array<std::string, N> fields;
    if (separator.empty()) {
        fields[0] = text;
        return fields;
    }
    size_t start = 0;
    size_t i = 0;
    for (;;) {
        size_t found = text.find(separator, start);
        if (found == std::string::npos || i + 1 == N) {
            // The last element: the remainder, or for a full array the text up to the next
            // separator (the surplus fields are dropped).
            fields[i] =
                text.substr(start, found == std::string::npos ? std::string::npos : found - start);
            return fields;
        }
        fields[i++] = text.substr(start, found - start);
        start = found + separator.size();
    }
}

using Fields16 = std::array<std::string, 16>;
using Fields100 = std::array<std::string, 100>;

inline Fields16 SplitFields16(const std::string& text, const std::string& separator) {
    return SplitFields<16>(text, separator);
}
inline Fields100 SplitFields100(const std::string& text, const std::string& separator) {
    return SplitFields<100>(text, separator);
}

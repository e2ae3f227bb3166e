#include "engine/tcp_address.h"

namespace {

// The blanks the "%s %d" pattern skips.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool Fail(std::string* error, const char* reason) {
    if (error) {
        *error = reason;
    }
    return false;
}

}  // namespace

bool ParseTcpAddress(const std::string& text, TcpAddress* out, std::string* error) {
    size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    const size_t hostStart = pos;
    while (pos < text.size() && !IsBlank(text[pos])) {
        ++pos;
    }
    if (pos == hostStart) {
        return Fail(error, "no host name");
    }
    // A longer host would be cut at 79 characters and the rest read as the port number.
    if (pos - hostStart > kMaxTcpHostLength) {
        return Fail(error, "host name longer than 79 characters");
    }
    std::string host = text.substr(hostStart, pos - hostStart);

    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const size_t digitsStart = pos;
    unsigned long value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (value <= 65535) {
            value = value * 10 + static_cast<unsigned long>(text[pos] - '0');
        }
        ++pos;
    }
    if (pos == digitsStart) {
        return Fail(error, "no port number");
    }
    if (negative || value == 0 || value > 65535) {
        return Fail(error, "port number outside 1..65535");
    }
    out->host = std::move(host);
    out->port = static_cast<unsigned>(value);
    return true;
}

// The address of a TCP/IP unit as the settings hold it: the host name (or dotted address), blanks,
// and the decimal port number, "unit.example.net 4001". Read like the pattern "%s %d": leading
// blanks are skipped, the host is the first word, the port the number after it; whatever follows
// the number is ignored.
//
// A pure function; any thread.
#pragma once

#include <string>

constexpr size_t kMaxTcpHostLength = 79;

struct TcpAddress {
    std::string host;
    unsigned port = 0;
};

// True with `out` filled when `text` names a host and a port. False, with the reason in `error`
// when given, for an empty text, a missing or malformed port number, a port outside 1..65535,
// or a host word longer than kMaxTcpHostLength characters.
bool ParseTcpAddress(const std::string& text, TcpAddress* out, std::string* error = nullptr);

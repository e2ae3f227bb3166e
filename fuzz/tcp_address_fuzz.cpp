// The TCP/IP address reader on any text: it must never read past the text, and what it accepts
// must be a host of 1 to 79 non-blank characters and a port in 1..65535.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/tcp_address.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TcpAddress address;
    std::string error;
    if (ParseTcpAddress(text, &address, &error)) {
        if (address.host.empty() || address.host.size() > kMaxTcpHostLength || address.port == 0 ||
            address.port > 65535 ||
            address.host.find_first_of(" \t\r\n\v\f") != std::string::npos) {
            std::abort();
        }
    } else if (error.empty()) {
        std::abort();
    }
    return 0;
}

#include "tests/support/http_get.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>

HttpResult HttpGet(const std::string& host, int port, const std::string& path, int timeoutMs) {
    HttpResult result;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return result;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, host.c_str(), &addr.sin_addr);
    std::string raw;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        const std::string request = "GET " + path + " HTTP/1.0\r\nHost: " + host + "\r\n\r\n";
        if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
            const auto end =
                std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
            for (;;) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    end - std::chrono::steady_clock::now());
                pollfd p{fd, POLLIN, 0};
                if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                    raw.clear();  // timed out: no answer
                    break;
                }
                char buffer[65536];
                const ssize_t n = read(fd, buffer, sizeof buffer);
                if (n <= 0) {
                    break;
                }
                raw.append(buffer, static_cast<size_t>(n));
            }
        }
    }
    close(fd);
    const size_t headEnd = raw.find("\r\n\r\n");
    if (headEnd == std::string::npos ||
        std::sscanf(raw.c_str(), "HTTP/%*s %d", &result.code) != 1) {
        result.code = 0;
        return result;
    }
    const std::string head = raw.substr(0, headEnd);
    const size_t type = head.find("Content-Type: ");
    if (type != std::string::npos) {
        result.contentType = head.substr(type + 14, head.find("\r\n", type) - type - 14);
    }
    result.body = raw.substr(headEnd + 4);
    return result;
}

std::string UrlEncode(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        }
    }
    return out;
}

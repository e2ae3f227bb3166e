// A plain HTTP/1.0 GET over loopback for tests and benchmarks of the monitor's outputs: the
// status code and the body, or code 0 when nothing came back in time.
#pragma once

#include <string>

struct HttpResult {
    int code = 0;
    std::string body;
    std::string contentType;
};

HttpResult HttpGet(const std::string& host, int port, const std::string& path,
                   int timeoutMs = 5000);

// "%XX" for every byte but letters, digits and "-_.~" (a query value).
std::string UrlEncode(const std::string& text);

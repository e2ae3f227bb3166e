#include "monitor/http_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "monitor/outputs.h"
#include "monitor/site_board.h"

namespace {

MHD_Result Handle(void* cls, MHD_Connection* connection, const char* url, const char* method,
                  const char* /*version*/, const char* /*upload*/, size_t* uploadSize,
                  void** /*state*/) {
    const auto* server = static_cast<const HttpServer*>(cls);
    HttpServer::Reply reply;
    if (std::strcmp(method, "GET") != 0 && std::strcmp(method, "HEAD") != 0) {
        reply.code = MHD_HTTP_METHOD_NOT_ALLOWED;
        reply.body = "only GET and HEAD\n";
    } else if (*uploadSize != 0) {
        reply.code = MHD_HTTP_BAD_REQUEST;
        reply.body = "no request body expected\n";
        *uploadSize = 0;
    } else {
        reply = server->Answer(url ? url : "/");
    }
    MHD_Response* response = MHD_create_response_from_buffer(
        reply.body.size(), const_cast<char*>(reply.body.data()), MHD_RESPMEM_MUST_COPY);
    if (!response) {
        return MHD_NO;
    }
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.contentType.c_str());
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    if (reply.code == MHD_HTTP_METHOD_NOT_ALLOWED) {
        MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "GET, HEAD");
    }
    const MHD_Result queued = MHD_queue_response(connection, reply.code, response);
    MHD_destroy_response(response);
    return queued;
}

}  // namespace

bool ParseListen(const std::string& text, ListenAddress* out, std::string* error) {
    std::string host;
    std::string port;
    if (!text.empty() && text[0] == '[') {
        const size_t close = text.find("]:");
        if (close == std::string::npos) {
            *error = "--listen: \"" + text + "\" is not [IPv6]:PORT";
            return false;
        }
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else {
        const size_t colon = text.rfind(':');
        if (colon == std::string::npos) {
            *error = "--listen: \"" + text + "\" is not ADDR:PORT";
            return false;
        }
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    char* end = nullptr;
    const unsigned long number = std::strtoul(port.c_str(), &end, 10);
    if (port.empty() || *end != '\0' || number > 65535) {
        *error = "--listen: \"" + port + "\" is not a port number";
        return false;
    }
    in6_addr probe6{};
    in_addr probe4{};
    if (inet_pton(AF_INET, host.c_str(), &probe4) != 1 &&
        inet_pton(AF_INET6, host.c_str(), &probe6) != 1) {
        *error = "--listen: \"" + host + "\" is not a numeric address (e.g. 127.0.0.1, ::1)";
        return false;
    }
    out->host = host;
    out->port = static_cast<unsigned>(number);
    return true;
}

HttpServer::~HttpServer() {
    Stop();
}

bool HttpServer::Start(const ListenAddress& address, std::string* error) {
    sockaddr_storage storage{};
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    if (inet_pton(AF_INET, address.host.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<uint16_t>(address.port));
    } else if (inet_pton(AF_INET6, address.host.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<uint16_t>(address.port));
        flags |= MHD_USE_IPv6;
    } else {
        *error = "not a numeric address: " + address.host;
        return false;
    }
    errno = 0;
    m_daemon = MHD_start_daemon(flags, static_cast<uint16_t>(address.port), nullptr, nullptr,
                                &Handle, this, MHD_OPTION_SOCK_ADDR, &storage,
                                MHD_OPTION_CONNECTION_TIMEOUT, 30u, MHD_OPTION_END);
    if (!m_daemon) {
        *error = "cannot listen on " + address.host + ":" + std::to_string(address.port) +
                 (errno ? std::string(": ") + std::strerror(errno) : std::string());
        return false;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = info ? info->port : address.port;
    return true;
}

void HttpServer::Stop() {
    if (m_daemon) {
        MHD_stop_daemon(m_daemon);
        m_daemon = nullptr;
    }
}

HttpServer::Reply HttpServer::Answer(const std::string& path) const {
    Reply reply;
    if (path == "/metrics") {
        reply.code = 200;
        reply.contentType = "text/plain; version=0.0.4; charset=utf-8";
        reply.body = RenderMetrics(m_board.Snapshot());
    } else if (path == "/status.json") {
        reply.code = 200;
        reply.contentType = "application/json";
        reply.body = RenderStatusJson(m_board.Snapshot());
    } else if (path == "/healthz") {
        reply.code = 200;
        reply.body = "ok\n";
    } else if (path == "/") {
        reply.code = 200;
        reply.contentType = "text/html; charset=utf-8";
        reply.body =
            "<html><head><title>corvantis-monitor</title></head><body><h1>corvantis-monitor</h1>"
            "<p><a href=\"/metrics\">/metrics</a> <a href=\"/status.json\">/status.json</a> "
            "<a href=\"/healthz\">/healthz</a></p></body></html>\n";
    }
    return reply;
}

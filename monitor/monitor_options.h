// The command line of corvantis-monitor.
//
// Pure function; any thread.
#pragma once

#include <string>

#include "monitor/http_server.h"
#include "monitor/shard.h"

struct MonitorOptions {
    enum class Mode { Serve, Once, Check, Help };
    Mode mode = Mode::Serve;
    std::string site;   // --once / --check
    bool json = false;  // --once --json
    std::string iniPath = "Corvantis.ini";
    ListenAddress listen;
    Shard shard;
    int timeoutSeconds = 30;  // --once / --check: give up after this long
};

// False with the message for standard error in `error`.
bool ParseMonitorOptions(int argc, char** argv, MonitorOptions* out, std::string* error);
extern const char* const kMonitorUsage;

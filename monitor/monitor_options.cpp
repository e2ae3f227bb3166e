#include "monitor/monitor_options.h"

#include <cstdlib>

const char* const kMonitorUsage =
    "usage: corvantis-monitor [--ini FILE] [--listen ADDR:PORT] [--shard K/N]\n"
    "       corvantis-monitor [--ini FILE] --once SITE [--json] [--timeout S]\n"
    "       corvantis-monitor [--ini FILE] --check SITE [--timeout S]\n"
    "Watches the sites of a Corvantis phone book and serves their state over HTTP.\n"
    "\n"
    "  --ini FILE          the settings file (default: Corvantis.ini in the current folder)\n"
    "  --listen ADDR:PORT  serve /metrics, /status.json and /healthz there\n"
    "                      (default 127.0.0.1:9677; PORT 0 picks a free port)\n"
    "  --shard K/N         watch only the K-th of N shares of the phone book, split by a\n"
    "                      stable hash of the site name\n"
    "  --once SITE         read one site, print its status and exit (0 read, 1 not read)\n"
    "  --json              with --once: print JSON\n"
    "  --check SITE        monitoring-plugin check: 0 OK, 1 WARNING, 2 CRITICAL (a dryer\n"
    "                      in alarm), 3 UNKNOWN (the site cannot be read)\n"
    "  --timeout S         with --once or --check: give up after S seconds (default 30)\n"
    "  --help              this text\n"
    "\n"
    "Corvantis.ini: [PhoneBook] lists the sites; a phone of the form \"host port\" is reached\n"
    "over TCP/IP, the others through the [CommSetup] line, one at a time.\n"
    "[Monitor] PollSeconds (default 60) and SweepMinutes (default 15).\n";

bool ParseMonitorOptions(int argc, char** argv, MonitorOptions* out, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string* into) {
            if (i + 1 >= argc) {
                *error = arg + " needs a value";
                return false;
            }
            *into = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            out->mode = MonitorOptions::Mode::Help;
            return true;
        } else if (arg == "--ini") {
            if (!value(&out->iniPath))
                return false;
        } else if (arg == "--listen") {
            if (!value(&text) || !ParseListen(text, &out->listen, error))
                return false;
        } else if (arg == "--shard") {
            if (!value(&text) || !ParseShard(text, &out->shard, error))
                return false;
        } else if (arg == "--once" || arg == "--check") {
            if (out->mode != MonitorOptions::Mode::Serve) {
                *error = "--once and --check go alone";
                return false;
            }
            out->mode = arg == "--once" ? MonitorOptions::Mode::Once : MonitorOptions::Mode::Check;
            if (!value(&out->site))
                return false;
        } else if (arg == "--json") {
            out->json = true;
        } else if (arg == "--timeout") {
            if (!value(&text))
                return false;
            char* end = nullptr;
            const long seconds = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || seconds < 1 || seconds > 3600) {
                *error = "--timeout wants seconds from 1 to 3600";
                return false;
            }
            out->timeoutSeconds = static_cast<int>(seconds);
        } else {
            *error = "unknown option " + arg;
            return false;
        }
    }
    if (out->json && out->mode != MonitorOptions::Mode::Once) {
        *error = "--json goes with --once";
        return false;
    }
    return true;
}

// corvantis-unit: a simulated field unit for trying the console without the real hardware.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "sim/record_text.h"
#include "sim/unit_simulator.h"

namespace {

void PrintUsage(std::FILE* to) {
    std::fprintf(to,
                 "usage: corvantis-unit (--tcp HOST:PORT | --pty) [options]\n"
                 "Answers like a Corvantis field unit until interrupted.\n"
                 "\n"
                 "  --tcp HOST:PORT   listen there (PORT 0 picks a free port)\n"
                 "  --pty             serve a pseudo-terminal and print its device path\n"
                 "  --pty-link PATH   with --pty: also name the device by this symbolic link\n"
                 "  --password P      the password of every write (default 1234)\n"
                 "  --keyword K       the login keyword (default none)\n"
                 "  --seed N          draw the unit's data from N (default: fixed data)\n"
                 "  --demo            the demonstration unit\n"
                 "  --clock TEXT      show TEXT as the unit's current time\n"
                 "  --verbose         write a transcript of the line to standard error\n"
                 "  --fault NAME      put a fault on the line (may be repeated):\n");
    for (const std::string& line : sim::FaultHelpLines()) {
        std::fprintf(to, "                      %s\n", line.c_str());
    }
    std::fprintf(to, "  --help            this text\n");
}

int BadUsage(const std::string& message) {
    std::fprintf(stderr, "corvantis-unit: %s\n", message.c_str());
    PrintUsage(stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    sim::UnitOptions options;
    std::string tcp;
    bool pty = false;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return 0;
        } else if (arg == "--tcp") {
            if (!value(tcp)) {
                return BadUsage("--tcp needs HOST:PORT");
            }
        } else if (arg == "--pty") {
            pty = true;
        } else if (arg == "--pty-link") {
            if (!value(options.ptyLink)) {
                return BadUsage("--pty-link needs a path");
            }
        } else if (arg == "--password") {
            if (!value(options.password) || options.password.empty()) {
                return BadUsage("--password needs a password");
            }
        } else if (arg == "--keyword") {
            if (!value(options.keyword)) {
                return BadUsage("--keyword needs a keyword");
            }
        } else if (arg == "--seed") {
            int seed = 0;
            if (!value(text) || !sim::ParseDecimal(text, seed)) {
                return BadUsage("--seed needs a number of at most 6 digits");
            }
            options.seed = static_cast<uint32_t>(seed);
        } else if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--clock") {
            if (!value(options.clockText)) {
                return BadUsage("--clock needs a text");
            }
        } else if (arg == "--verbose" || arg == "-v") {
            verbose = true;
        } else if (arg == "--fault") {
            if (!value(text) || !sim::EnableFault(text, options.faults)) {
                return BadUsage("unknown fault '" + text + "'");
            }
        } else {
            return BadUsage("unknown argument '" + arg + "'");
        }
    }
    if (tcp.empty() == !pty) {
        return BadUsage("give either --tcp HOST:PORT or --pty");
    }
    std::string host;
    int port = 0;
    if (!tcp.empty()) {
        size_t colon = tcp.rfind(':');
        if (colon == std::string::npos || colon == 0 ||
            !sim::ParseDecimal(tcp.substr(colon + 1), port) || port > 65535) {
            return BadUsage("--tcp needs HOST:PORT with a port from 0 to 65535");
        }
        host = tcp.substr(0, colon);
        if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
            host = host.substr(1, host.size() - 2);
        }
    }
    if (verbose) {
        options.transcript = &std::cerr;
    }

    // SIGINT and SIGTERM are taken by sigwait below, in this thread only.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    sim::UnitSimulator unit(options);
    if (!tcp.empty()) {
        int bound = unit.StartTcp(host, port);
        if (bound < 0) {
            std::fprintf(stderr, "corvantis-unit: cannot listen on %s: %s\n", tcp.c_str(),
                         unit.LastError().c_str());
            return 1;
        }
        std::printf("listening on %s:%d\n", host.c_str(), bound);
    } else {
        std::string path = unit.StartPty();
        if (path.empty()) {
            std::fprintf(stderr, "corvantis-unit: cannot open a pseudo-terminal: %s\n",
                         unit.LastError().c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    unit.Stop();
    return 0;
}

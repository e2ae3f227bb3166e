// The console as the operator runs it: the real `corvantis` program on the offscreen platform
// against a `corvantis-unit` process over loopback TCP/IP. Measures
//   - start-up: from starting the program to its main window being shown (the program stamps
//     that moment when CORVANTIS_SHOWN_STAMP is set), the median of several starts;
//   - idle CPU: `corvantis --connect` logged in and polling the Status page, the CPU time it
//     uses over a window of SECONDS (default 60), as % of one core;
//   - resident memory at the end of that window (VmRSS) and its peak (VmHWM).
// Prints one "RESULT name value" line per figure (for scripts/bench) after a readable report.
//
//   console_process_bench CORVANTIS CORVANTIS-UNIT [SECONDS] [STARTS]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/process_probe.h"

namespace {

using bench::Child;
using bench::CpuTicks;
using bench::MonotonicMs;
using bench::Spawn;
using bench::StatusMb;

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s CORVANTIS CORVANTIS-UNIT [SECONDS] [STARTS]\n", argv[0]);
        return 2;
    }
    // The programs run in a directory of their own: their paths must not be relative.
    const auto absolute = [](const char* path) {
        char resolved[PATH_MAX];
        return std::string(realpath(path, resolved) ? resolved : path);
    };
    const std::string console = absolute(argv[1]);
    const std::string unitProgram = absolute(argv[2]);
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 60;
    const int starts = argc > 4 ? std::atoi(argv[4]) : 7;

    char dirTemplate[] = "/tmp/corvantis-bench-XXXXXX";
    if (!mkdtemp(dirTemplate)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = dirTemplate;
    const std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + dir,
                                          "CORVANTIS_SHOWN_STAMP=1"};

    Child unit = Spawn({unitProgram, "--tcp", "127.0.0.1:0", "--demo", "--verbose"}, dir, {});
    if (!unit.WaitFor("listening on 127.0.0.1:", 10000) || !unit.WaitFor("\n", 1000)) {
        std::fprintf(stderr, "the unit did not start:\n%s\n", unit.text.c_str());
        unit.Stop();
        return 1;
    }
    const size_t portAt = unit.text.find("listening on 127.0.0.1:") + 23;
    const int port = std::atoi(unit.text.c_str() + portAt);
    std::ofstream(dir + "/Corvantis.ini", std::ios::binary)
        << "[CommSetup]\r\nCommType=2\r\n[Settings]\r\nWriteLog=0\r\nDebugLog=0\r\n"
        << "[PhoneBook]\r\nCount=1\r\n1=Bench Unit,127.0.0.1 " << port << "\r\n";

    int status = 0;
    std::vector<double> startMs;
    std::vector<double> startCpuMs;
    for (int i = 0; i < starts; ++i) {
        const double t0 = MonotonicMs();
        Child c = Spawn({console}, dir, env);
        const std::string marker = "window shown at ";
        if (c.WaitFor(marker, 20000) && c.WaitFor("\n", 1000)) {
            const size_t at = c.text.find(marker) + marker.size();
            const double shown = std::atof(c.text.c_str() + at);
            startMs.push_back(shown - t0);
            const size_t cpuAt = c.text.find(" after ", at);
            if (cpuAt != std::string::npos) {
                startCpuMs.push_back(std::atof(c.text.c_str() + cpuAt + 7));
            }
        } else {
            std::fprintf(stderr, "start %d: no window within 20 s:\n%s\n", i + 1, c.text.c_str());
            status = 1;
        }
        c.Stop();
    }
    const auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values.empty() ? -1.0 : values[values.size() / 2];
    };
    const double startMedian = median(startMs);
    const double startCpuMedian = median(startCpuMs);

    Child c = Spawn({console, "--connect", "Bench Unit"}, dir, env);
    double cpuPercent = -1;
    double rss = -1;
    double hwm = -1;
    unit.text.clear();
    // Logged in once the Status page's first poll reaches the unit.
    bool polling = false;
    for (int i = 0; i < 300 && !polling; ++i) {
        unit.Read(100);
        c.Read(0);
        polling = unit.text.find("console> /60.htm") != std::string::npos;
    }
    if (!polling) {
        std::fprintf(stderr, "the console did not log in and poll within 30 s\n%s\n%s\n",
                     c.text.c_str(), unit.text.c_str());
        status = 1;
    } else {
        const long ticksPerSecond = sysconf(_SC_CLK_TCK);
        unit.text.clear();
        const long before = CpuTicks(c.pid);
        const double t0 = MonotonicMs();
        while (MonotonicMs() - t0 < seconds * 1000.0) {
            unit.Read(200);
            c.Read(0);
        }
        const long after = CpuTicks(c.pid);
        const double elapsed = (MonotonicMs() - t0) / 1000.0;
        cpuPercent = 100.0 * static_cast<double>(after - before) /
                     static_cast<double>(ticksPerSecond) / elapsed;
        rss = StatusMb(c.pid, "VmRSS");
        hwm = StatusMb(c.pid, "VmHWM");
        const size_t polls = Count(unit.text, "console> /60.htm");
        std::printf("idle window: %.1f s, %zu Status polls answered, %ld CPU ticks\n", elapsed,
                    polls, after - before);
        if (polls == 0) {
            std::fprintf(stderr, "the console stopped polling during the window\n");
            status = 1;
        }
    }
    c.Stop();
    unit.Stop();

    std::printf("start-up to window shown: median %.1f ms over %zu starts", startMedian,
                startMs.size());
    for (double ms : startMs) {
        std::printf(" %.0f", ms);
    }
    std::printf("\nCPU used until the window was shown: median %.1f ms\n", startCpuMedian);
    std::printf("idle CPU while connected and polling: %.2f %% of one core\n", cpuPercent);
    std::printf("resident memory: %.1f MB (peak %.1f MB)\n", rss, hwm);
    std::printf("RESULT startup_cpu_ms %.1f\n", startCpuMedian);
    std::printf(
        "RESULT startup_ms %.1f\nRESULT idle_cpu_percent %.2f\nRESULT rss_mb %.1f\n"
        "RESULT hwm_mb %.1f\n",
        startMedian, cpuPercent, rss, hwm);
    std::string cleanup = "rm -rf '" + dir + "'";
    if (std::system(cleanup.c_str()) != 0) {
        std::fprintf(stderr, "could not remove %s\n", dir.c_str());
    }
    return status;
}

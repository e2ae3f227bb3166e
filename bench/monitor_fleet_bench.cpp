// One corvantis-monitor process watching a fleet of simulated units over loopback TCP/IP, each
// polled every 5 s. The units run in this process (one simulator each); the monitor runs as its
// own process, so its figures are its own. Measures, after a warm-up that lets every site log in:
//   - the monitor's CPU time over SECONDS (default 60), as % of one core;
//   - its resident memory at the end (VmRSS) and its peak (VmHWM);
//   - how late the polls started against their due times (p50, p99; the monitor's own count,
//     from /status.json);
//   - the time to serve /metrics (median and worst of 20 requests) and its size.
// Prints one "RESULT name value" line per figure after a readable report.
//
//   monitor_fleet_bench CORVANTIS-MONITOR [SITES] [SECONDS]
#include <limits.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "bench/process_probe.h"
#include "sim/unit_simulator.h"
#include "tests/support/http_get.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kPollSeconds = 5;
constexpr int kWarmupSeconds = 20;

int SitesUp(const std::string& metrics) {
    int up = 0;
    for (size_t at = metrics.find("corvantis_site_up{"); at != std::string::npos;
         at = metrics.find("corvantis_site_up{", at + 1)) {
        const size_t end = metrics.find('\n', at);
        up += metrics.compare(end - 2, 2, " 1") == 0 ? 1 : 0;
    }
    return up;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORVANTIS-MONITOR [SITES] [SECONDS]\n", argv[0]);
        return 2;
    }
    char resolved[PATH_MAX];
    const std::string monitorPath = realpath(argv[1], resolved) ? resolved : argv[1];
    const int sites = argc > 2 ? std::atoi(argv[2]) : 500;
    const int seconds = argc > 3 ? std::atoi(argv[3]) : 60;

    // Each unit is a simulator thread with a listening socket and a connection: make room.
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);

    std::vector<std::unique_ptr<sim::UnitSimulator>> units;
    TempDir dir;
    std::ofstream ini(dir.Path() + "/Corvantis.ini");
    ini << "[Monitor]\r\nPollSeconds=" << kPollSeconds << "\r\n[PhoneBook]\r\nCount=" << sites
        << "\r\n";
    for (int i = 0; i < sites; ++i) {
        sim::UnitOptions options;
        options.seed = static_cast<uint32_t>(i + 1);
        units.push_back(std::make_unique<sim::UnitSimulator>(options));
        const int port = units.back()->StartTcp("127.0.0.1", 0);
        if (port <= 0) {
            std::fprintf(stderr, "unit %d: %s\n", i, units.back()->LastError().c_str());
            return 1;
        }
        ini << i + 1 << "=Site " << i + 1 << ",127.0.0.1 " << port << "\r\n";
    }
    ini.close();

    bench::Child monitor = bench::Spawn(
        {monitorPath, "--ini", dir.Path() + "/Corvantis.ini", "--listen", "127.0.0.1:0"},
        dir.Path(), {});
    if (!monitor.WaitFor("listening on", 10000)) {
        std::fprintf(stderr, "the monitor did not start:\n%s\n", monitor.text.c_str());
        return 1;
    }
    std::smatch m;
    std::regex_search(monitor.text, m, std::regex("listening on [0-9.]+:([0-9]+)"));
    const int port = std::stoi(m[1]);

    // Warm-up: every site logs in once.
    const double warmEnd = bench::MonotonicMs() + kWarmupSeconds * 1000.0;
    int up = 0;
    while (bench::MonotonicMs() < warmEnd) {
        monitor.Read(1000);
        up = SitesUp(HttpGet("127.0.0.1", port, "/metrics").body);
    }

    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    const long cpuStart = bench::CpuTicks(monitor.pid);
    const double wallStart = bench::MonotonicMs();
    while (bench::MonotonicMs() < wallStart + seconds * 1000.0) {
        monitor.Read(500);
    }
    const long cpuEnd = bench::CpuTicks(monitor.pid);
    const double wallMs = bench::MonotonicMs() - wallStart;
    const double cpuPercent =
        100.0 * (static_cast<double>(cpuEnd - cpuStart) / ticksPerSecond) / (wallMs / 1000.0);
    const double rssMb = bench::StatusMb(monitor.pid, "VmRSS");
    const double hwmMb = bench::StatusMb(monitor.pid, "VmHWM");

    std::vector<double> metricsMs;
    size_t metricsBytes = 0;
    for (int i = 0; i < 20; ++i) {
        const double t0 = bench::MonotonicMs();
        const HttpResult r = HttpGet("127.0.0.1", port, "/metrics");
        metricsMs.push_back(bench::MonotonicMs() - t0);
        metricsBytes = r.body.size();
        up = SitesUp(r.body);
    }
    std::sort(metricsMs.begin(), metricsMs.end());
    const auto status = nlohmann::json::parse(HttpGet("127.0.0.1", port, "/status.json").body);
    const auto& late = status["poll_lateness_ms"];
    monitor.Stop();

    std::printf(
        "monitor of %d TCP/IP sites polled every %d s, measured over %.0f s after %d s "
        "of warm-up\n",
        sites, kPollSeconds, wallMs / 1000.0, kWarmupSeconds);
    std::printf("  sites answering at the end   %d of %d\n", up, sites);
    std::printf("  CPU                          %.2f %% of one core\n", cpuPercent);
    std::printf("  resident memory              %.1f MB (peak %.1f MB)\n", rssMb, hwmMb);
    std::printf(
        "  poll lateness                p50 %.0f ms, p99 %.0f ms, max %.0f ms (%lld polls)\n",
        late["p50"].get<double>(), late["p99"].get<double>(), late["max"].get<double>(),
        static_cast<long long>(late["polls"].get<int64_t>()));
    std::printf("  /metrics                     median %.1f ms, worst %.1f ms, %zu bytes\n",
                metricsMs[metricsMs.size() / 2], metricsMs.back(), metricsBytes);
    std::printf("  load average                 %s",
                [] {
                    std::ifstream l("/proc/loadavg");
                    std::string s;
                    std::getline(l, s);
                    return s + "\n";
                }()
                    .c_str());
    std::printf("RESULT monitor_sites_up %d\n", up);
    std::printf("RESULT monitor_cpu_percent %.2f\n", cpuPercent);
    std::printf("RESULT monitor_rss_mb %.1f\n", rssMb);
    std::printf("RESULT monitor_hwm_mb %.1f\n", hwmMb);
    std::printf("RESULT monitor_late_p50_ms %.0f\n", late["p50"].get<double>());
    std::printf("RESULT monitor_late_p99_ms %.0f\n", late["p99"].get<double>());
    std::printf("RESULT monitor_metrics_ms %.1f\n", metricsMs[metricsMs.size() / 2]);
    std::printf("RESULT monitor_metrics_worst_ms %.1f\n", metricsMs.back());
    return 0;
}

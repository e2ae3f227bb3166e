// corvantis-monitor: watches the sites of a phone book without a window and serves what it reads
// to Prometheus; or reads one site once (--once, --check).
#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/core/settings.h"
#include "app/state/app_state.h"
#include "monitor/http_server.h"
#include "monitor/monitor.h"
#include "monitor/monitor_config.h"
#include "monitor/monitor_options.h"
#include "monitor/outputs.h"
#include "monitor/service_notify.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"
#include "platform/ini_file.h"
#include "platform/plain_loop_dispatcher.h"

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// SIGTERM, SIGINT and SIGHUP end the loop the orderly way (read through a signalfd on the loop).
class StopSignals {
public:
    explicit StopSignals(platform::PlainLoopDispatcher& loop) {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGTERM);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGHUP);
        // Blocked before any other thread starts, so that every thread leaves them to the fd.
        if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0 ||
            (m_fd = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK)) < 0) {
            std::fprintf(stderr, "corvantis-monitor: signalfd fail! reason: %s\n",
                         std::strerror(errno));
            return;
        }
        m_watch = loop.WatchFd(m_fd, true, false, [this, &loop](int) {
            signalfd_siginfo info{};
            if (::read(m_fd, &info, sizeof info) == sizeof info) {
                loop.Quit();
            }
        });
    }
    ~StopSignals() {
        platform::Dispatch().UnwatchFd(m_watch);
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }

private:
    int m_fd = -1;
    uint64_t m_watch = 0;
};

std::string StatusLine(const SiteBoard& board) {
    const BoardSnapshot snap = board.Snapshot();
    size_t up = 0;
    for (const SiteReading& s : snap.sites) {
        up += s.up ? 1 : 0;
    }
    return std::to_string(up) + " of " + std::to_string(snap.sites.size()) + " sites answering";
}

// --once and --check: one site, one poll.
int ReadOneSite(const MonitorOptions& options, MonitorConfig config,
                platform::PlainLoopDispatcher& loop) {
    std::vector<SiteConfig> found;
    for (const SiteConfig& site : config.sites) {
        if (site.name == options.site) {
            found.push_back(site);
            break;
        }
    }
    const bool check = options.mode == MonitorOptions::Mode::Check;
    if (found.empty()) {
        std::printf("%s%s: no such site in the phone book\n", check ? "CORVANTIS UNKNOWN - " : "",
                    options.site.c_str());
        return check ? 3 : 2;
    }
    config.sites = found;
    Monitor monitor(config);
    bool finished = false;
    monitor.OnPollDone([&](size_t, bool) {
        finished = true;
        loop.Quit();
    });
    if (!monitor.Start()) {
        std::printf("%s%s: the monitor could not start\n", check ? "CORVANTIS UNKNOWN - " : "",
                    options.site.c_str());
        return 3;
    }
    monitor.Scheduler().At(platform::Clock::NowMs() + options.timeoutSeconds * 1000,
                           [&](int64_t) { loop.Quit(); });
    loop.Run();
    SiteReading site = monitor.Board().Get(0);
    if (!finished) {
        site.up = false;
        site.lastError = "no answer within " + std::to_string(options.timeoutSeconds) + " s";
    }
    if (check) {
        const CheckResult result = EvaluateCheck(site);
        std::printf("%s\n", result.text.c_str());
        return result.code;
    }
    if (options.json) {
        std::fputs(RenderSiteJson(site, UnixNow()).c_str(), stdout);
    } else if (site.up) {
        const CheckResult summary = EvaluateCheck(site);
        std::printf("%s\n", summary.text.c_str());
    } else {
        std::printf("%s: not read (%s)\n", Latin1ToUtf8(site.name).c_str(), site.lastError.c_str());
    }
    return site.up ? 0 : 1;
}

int Serve(const MonitorOptions& options, const MonitorConfig& config,
          platform::PlainLoopDispatcher& loop) {
    Monitor monitor(config);
    HttpServer http(monitor.Board());
    std::string error;
    if (!http.Start(options.listen, &error)) {
        std::fprintf(stderr, "corvantis-monitor: %s\n", error.c_str());
        return 1;
    }
    if (!monitor.Start()) {
        std::fprintf(stderr, "corvantis-monitor: the sites' sessions could not start\n");
        return 1;
    }
    std::printf("corvantis-monitor: %zu sites (%zu left to other shards), listening on %s:%u\n",
                config.sites.size(), config.skippedByShard, options.listen.host.c_str(),
                http.Port());
    std::fflush(stdout);
    // The watchdog is fed from the loop that runs the polls: a loop that stops turning stops
    // feeding it, and the service manager restarts the monitor.
    const uint64_t watchdogUsec = service::WatchdogUsec();
    const int64_t beatMs = watchdogUsec ? static_cast<int64_t>(watchdogUsec / 2000) : 30000;
    monitor.Heartbeat(std::max<int64_t>(beatMs, 100), [&] {
        if (watchdogUsec) {
            service::FeedWatchdog();
        }
        service::Status(StatusLine(monitor.Board()));
    });
    service::Ready(StatusLine(monitor.Board()));
    loop.Run();
    service::Stopping();
    http.Stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A unit or an HTTP client that closes its socket must not end the monitor through SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    MonitorOptions options;
    std::string error;
    if (!ParseMonitorOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "corvantis-monitor: %s\n%s", error.c_str(), kMonitorUsage);
        return options.mode == MonitorOptions::Mode::Check ? 3 : 2;
    }
    if (options.mode == MonitorOptions::Mode::Help) {
        std::fputs(kMonitorUsage, stdout);
        return 0;
    }
    const bool check = options.mode == MonitorOptions::Mode::Check;

    platform::IniFile ini;
    if (access(options.iniPath.c_str(), R_OK) != 0 || !ini.Load(options.iniPath)) {
        const std::string why = std::strerror(errno);
        if (check) {
            std::printf("CORVANTIS UNKNOWN - cannot read %s: %s\n", options.iniPath.c_str(),
                        why.c_str());
            return 3;
        }
        std::fprintf(stderr, "corvantis-monitor: cannot read %s: %s\n", options.iniPath.c_str(),
                     why.c_str());
        return 2;
    }
    settings::Read(ini, FolderOf(options.iniPath), theApp());
    // The dial procedure of a dial-up site goes on only while the program is "online".
    theApp().m_bOnline.store(1);
    if (theApp().m_bDebugLog) {
        theApp().OpenDebugLog();
    }
    const MonitorConfig config = ReadMonitorConfig(ini, options.shard);

    platform::PlainLoopDispatcher loop;
    platform::SetDispatcher(&loop);
    int code = 0;
    {
        StopSignals signals(loop);
        code = options.mode == MonitorOptions::Mode::Serve ? Serve(options, config, loop)
                                                           : ReadOneSite(options, config, loop);
    }
    platform::SetDispatcher(nullptr);
    theApp().CloseDebugLog();
    return code;
}

// corvantis-monitor as a service runs it, against four simulated units over loopback TCP/IP:
// one with a dryer in alarm, one without, one that never answers its login, and one that drops
// its line (its process ends) and comes back on the same port. Checks /metrics with promtool and
// by value, has a real Prometheus scrape the monitor and asks its query API for the alarm, and
// runs the one-shot check against each kind of site.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <regex>
#include <thread>

#include "tests/support/child_program.h"
#include "tests/support/http_get.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kUnit = CORVANTIS_BINARY_DIR "/sim/corvantis-unit";
const std::string kMonitor = CORVANTIS_BINARY_DIR "/monitor/corvantis-monitor";
const std::string kHost = "127.0.0.1";

int PortIn(const std::string& output) {
    std::smatch m;
    static const std::regex listening("listening on [0-9.]+:([0-9]+)");
    return std::regex_search(output, m, listening) ? std::stoi(m[1]) : -1;
}

// A port nobody listens on right now (for Prometheus, which cannot report the one it picked).
int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

std::unique_ptr<ChildProgram> StartUnit(const std::string& dir, std::vector<std::string> extra,
                                        int port, int* bound) {
    std::vector<std::string> args = {"--tcp", kHost + ":" + std::to_string(port)};
    args.insert(args.end(), extra.begin(), extra.end());
    auto unit = std::make_unique<ChildProgram>(kUnit, args, dir, Environment{});
    EXPECT_TRUE(unit->WaitForOutput("listening on", 10000)) << unit->Output();
    *bound = PortIn(unit->Output());
    return unit;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return true;
}

class MonitorProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_alarm = StartUnit(m_dir.Path(), {"--demo"}, 0, &m_alarmPort);
        m_calm = StartUnit(m_dir.Path(), {}, 0, &m_calmPort);
        m_silent = StartUnit(m_dir.Path(), {"--fault", "silent-login"}, 0, &m_silentPort);
        m_drop = StartUnit(m_dir.Path(), {}, 0, &m_dropPort);
        ASSERT_GT(m_alarmPort, 0);
        ASSERT_GT(m_dropPort, 0);
        m_ini = m_dir.Path() + "/Corvantis.ini";
        std::ofstream(m_ini) << "[CommSetup]\r\nCommType=1\r\n[Monitor]\r\nPollSeconds=1\r\n"
                             << "[PhoneBook]\r\nCount=4\r\n"
                             << "1=Alarm Plant,127.0.0.1 " << m_alarmPort << "\r\n"
                             << "2=Calm Plant,127.0.0.1 " << m_calmPort << "\r\n"
                             << "3=Silent Plant,127.0.0.1 " << m_silentPort << "\r\n"
                             << "4=Drop Plant,127.0.0.1 " << m_dropPort << "\r\n";
    }

    std::string Metrics() { return HttpGet(kHost, m_monitorPort, "/metrics").body; }
    bool Has(const std::string& metrics, const std::string& line) {
        return metrics.find(line + "\n") != std::string::npos;
    }
    // Polls finished for a site, answered or not (from /status.json).
    int Polls(const std::string& site) {
        const HttpResult r = HttpGet(kHost, m_monitorPort, "/status.json");
        if (r.code != 200) {
            ADD_FAILURE() << "/status.json: " << r.code << " " << r.body;
            return -1;
        }
        const auto doc = nlohmann::json::parse(r.body);
        for (const auto& s : doc["sites"]) {
            if (s["site"] == site) {
                return s["polls"].get<int>();
            }
        }
        return -1;
    }

    ProgramResult Check(const std::string& site, const std::vector<std::string>& more = {}) {
        std::vector<std::string> args = {"--ini", m_ini};
        args.insert(args.end(), more.begin(), more.end());
        args.insert(args.end(), {"--check", site, "--timeout", "8"});
        return RunProgram(kMonitor, args, m_dir.Path(), {}, 30000);
    }

    TempDir m_dir;
    std::string m_ini;
    std::unique_ptr<ChildProgram> m_alarm, m_calm, m_silent, m_drop;
    int m_alarmPort = -1, m_calmPort = -1, m_silentPort = -1, m_dropPort = -1;
    int m_monitorPort = -1;
};

TEST_F(MonitorProcessTest, ServesEverySiteToPrometheusAndFollowsASiteThatComesBack) {
    ChildProgram monitor(kMonitor, {"--ini", m_ini, "--listen", "127.0.0.1:0"}, m_dir.Path(), {});
    ASSERT_TRUE(monitor.WaitForOutput("listening on", 10000)) << monitor.Output();
    m_monitorPort = PortIn(monitor.Output());
    ASSERT_GT(m_monitorPort, 0);
    EXPECT_EQ(HttpGet(kHost, m_monitorPort, "/healthz").body, "ok\n");

    // The answering sites are read within a few polls; the silent one stays down.
    std::string metrics;
    ASSERT_TRUE(WaitUntil(
        [&] {
            metrics = Metrics();
            return Has(metrics, "corvantis_site_up{site=\"Alarm Plant\"} 1") &&
                   Has(metrics, "corvantis_site_up{site=\"Calm Plant\"} 1") &&
                   Has(metrics, "corvantis_site_up{site=\"Drop Plant\"} 1");
        },
        30000))
        << metrics;
    EXPECT_TRUE(Has(metrics, "corvantis_site_up{site=\"Silent Plant\"} 0"));
    EXPECT_TRUE(Has(metrics, "corvantis_dryer_alarm{site=\"Alarm Plant\",dryer=\"5\"} 1"));
    EXPECT_TRUE(Has(metrics, "corvantis_dryer_alarm{site=\"Alarm Plant\",dryer=\"1\"} 0"));
    EXPECT_TRUE(Has(metrics, "corvantis_dryer_online{site=\"Calm Plant\",dryer=\"1\"} 1"));
    EXPECT_TRUE(Has(metrics, "corvantis_dryer_standby{site=\"Calm Plant\",dryer=\"3\"} 1"));
    EXPECT_TRUE(Has(metrics, "corvantis_dryer_alarm{site=\"Calm Plant\",dryer=\"1\"} 0"));
    EXPECT_NE(metrics.find("corvantis_dryer_info{site=\"Calm Plant\",dryer=\"3\",status=\""),
              std::string::npos);
    EXPECT_EQ(metrics.find("corvantis_dryer_alarm{site=\"Calm Plant\",dryer=\"5\"} 1"),
              std::string::npos);

    // promtool accepts the exposition.
    const std::string file = m_dir.Path() + "/metrics.txt";
    std::ofstream(file) << metrics;
    const ProgramResult lint = RunProgram("/bin/sh", {"-c", "promtool check metrics < metrics.txt"},
                                          m_dir.Path(), {}, 30000);
    EXPECT_EQ(lint.exitStatus, 0) << lint.out << lint.err;

    // The dropping site: its unit ends, the site goes down, the unit comes back on its port and
    // the site is read again.
    m_drop.reset();
    ASSERT_TRUE(WaitUntil(
        [&] { return Has(Metrics(), "corvantis_site_up{site=\"Drop Plant\"} 0"); }, 30000));
    const int pollsWhileDown = Polls("Drop Plant");
    int port = -1;
    m_drop = StartUnit(m_dir.Path(), {}, m_dropPort, &port);
    ASSERT_EQ(port, m_dropPort);
    ASSERT_TRUE(WaitUntil(
        [&] { return Has(Metrics(), "corvantis_site_up{site=\"Drop Plant\"} 1"); }, 40000));
    EXPECT_GT(Polls("Drop Plant"), pollsWhileDown);

    // A real Prometheus scrapes the monitor; its query API names the dryer in alarm and its site.
    const int promPort = FreePort();
    const std::string config = m_dir.Path() + "/prometheus.yml";
    std::ofstream(config) << "global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\n"
                          << "scrape_configs:\n  - job_name: corvantis\n    static_configs:\n"
                          << "      - targets: ['127.0.0.1:" << m_monitorPort << "']\n";
    ChildProgram prometheus(
        "/usr/bin/prometheus",
        {"--config.file=" + config, "--storage.tsdb.path=" + m_dir.MakeSub("tsdb"),
         "--web.listen-address=127.0.0.1:" + std::to_string(promPort)},
        m_dir.Path(), {});
    ASSERT_TRUE(prometheus.Started());
    nlohmann::json answer;
    const std::string query = "/api/v1/query?query=" + UrlEncode("corvantis_dryer_alarm == 1");
    ASSERT_TRUE(WaitUntil(
        [&] {
            const HttpResult r = HttpGet(kHost, promPort, query);
            if (r.code != 200) {
                return false;
            }
            answer = nlohmann::json::parse(r.body);
            return answer["status"] == "success" && !answer["data"]["result"].empty();
        },
        60000))
        << answer.dump();
    const auto& results = answer["data"]["result"];
    ASSERT_EQ(results.size(), 1u) << answer.dump();
    EXPECT_EQ(results[0]["metric"]["site"], "Alarm Plant");
    EXPECT_EQ(results[0]["metric"]["dryer"], "5");
    EXPECT_EQ(results[0]["metric"]["job"], "corvantis");

    monitor.Signal(SIGTERM);
    const ProgramResult ended = monitor.Wait(20000);
    EXPECT_EQ(ended.exitStatus, 0) << ended.err;
}

TEST_F(MonitorProcessTest, CheckExitCodesAndOneShotJson) {
    const ProgramResult alarm = Check("Alarm Plant");
    EXPECT_EQ(alarm.exitStatus, 2) << alarm.out << alarm.err;
    EXPECT_EQ(alarm.out.rfind("CORVANTIS CRITICAL - Alarm Plant: dryer 5 in alarm | alarms=1", 0),
              0u)
        << alarm.out;
    const ProgramResult calm = Check("Calm Plant");
    EXPECT_EQ(calm.exitStatus, 0) << calm.out << calm.err;
    EXPECT_NE(calm.out.find("| alarms=0"), std::string::npos) << calm.out;
    const ProgramResult silent = Check("Silent Plant");
    EXPECT_EQ(silent.exitStatus, 3) << silent.out << silent.err;
    EXPECT_EQ(silent.out.rfind("CORVANTIS UNKNOWN - Silent Plant: ", 0), 0u) << silent.out;
    const ProgramResult missing = Check("Nowhere");
    EXPECT_EQ(missing.exitStatus, 3) << missing.out;

    const ProgramResult once = RunProgram(
        kMonitor, {"--ini", m_ini, "--once", "Alarm Plant", "--json"}, m_dir.Path(), {}, 30000);
    ASSERT_EQ(once.exitStatus, 0) << once.out << once.err;
    const auto site = nlohmann::json::parse(once.out);
    EXPECT_EQ(site["site"], "Alarm Plant");
    EXPECT_EQ(site["up"], true);
    bool dryer5InAlarm = false;
    for (const auto& d : site["dryers"]) {
        if (d["dryer"] == 5) {
            dryer5InAlarm = d["alarm"].get<bool>();
        }
    }
    EXPECT_TRUE(dryer5InAlarm) << once.out;

    // Bad arguments: the check is UNKNOWN, the rest a usage error.
    EXPECT_EQ(RunProgram(kMonitor, {"--check", "x", "--shard", "3/2"}, m_dir.Path(), {}, 10000)
                  .exitStatus,
              3);
    EXPECT_EQ(RunProgram(kMonitor, {"--listen", "nowhere"}, m_dir.Path(), {}, 10000).exitStatus, 2);
}

// Sites that are not TCP/IP share the [CommSetup] line: read one after the other, hanging up
// after each (the unit on the line starts a new dialogue at every open).
TEST_F(MonitorProcessTest, SitesOnTheLineAreReadOneAfterTheOther) {
    ChildProgram unit(kUnit, {"--pty"}, m_dir.Path(), {});
    ASSERT_TRUE(unit.WaitForOutput("/dev/", 10000)) << unit.Output();
    std::smatch m;
    const std::string out = unit.Output();
    ASSERT_TRUE(std::regex_search(out, m, std::regex("(/dev/[^\\s]+)")));
    const std::string ini = m_dir.Path() + "/Line.ini";
    std::ofstream(ini) << "[CommSetup]\r\nCommType=0\r\nDevice=" << m[1] << "\r\n"
                       << "[PhoneBook]\r\nCount=2\r\n1=Line A,\r\n2=Line B,\r\n";
    ChildProgram monitor(kMonitor, {"--ini", ini, "--listen", "127.0.0.1:0"}, m_dir.Path(), {});
    ASSERT_TRUE(monitor.WaitForOutput("listening on", 10000)) << monitor.Output();
    m_monitorPort = PortIn(monitor.Output());
    std::string metrics;
    EXPECT_TRUE(WaitUntil(
        [&] {
            metrics = Metrics();
            return Has(metrics, "corvantis_site_up{site=\"Line A\"} 1") &&
                   Has(metrics, "corvantis_site_up{site=\"Line B\"} 1");
        },
        30000))
        << metrics;
    EXPECT_TRUE(Has(metrics, "corvantis_dryer_online{site=\"Line B\",dryer=\"1\"} 1"));
    monitor.Signal(SIGTERM);
    EXPECT_EQ(monitor.Wait(20000).exitStatus, 0);
}

}  // namespace

// What the monitor makes of its readings: the Prometheus text, the JSON status, the check's exit
// codes; and the pure rules around them (shards, listen addresses, back-off, the settings file).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "engine/comm_port.h"
#include "monitor/http_server.h"
#include "monitor/monitor.h"
#include "monitor/monitor_config.h"
#include "monitor/outputs.h"
#include "monitor/shard.h"
#include "platform/ini_file.h"

namespace {

// Dryer 1 online, dryer 2 in alarm, dryer 3 standby; the rest not there.
const char* const kAlarmReply =
    "64;128;32;Green,,Online,DX-40;Red,2026-12-07 04:12,Alarm,DX-40;Orange,,Standby,DX-60;"
    ";;;;;24HR;08:00;12:00;2;A;N";

SiteReading Answered(const std::string& name, const std::string& reply) {
    SiteReading s;
    s.name = name;
    s.address = "127.0.0.1 4001";
    s.tcp = true;
    s.up = true;
    s.polls = 3;
    s.lastSuccessUnix = 1700000000.5;
    s.pollSeconds = 0.25;
    s.status = ParseStatusReply(reply);
    return s;
}

BoardSnapshot Snap(std::vector<SiteReading> sites) {
    BoardSnapshot snap;
    snap.sites = std::move(sites);
    snap.takenUnix = 1700000010.5;
    return snap;
}

TEST(MonitorMetrics, SitesAndPresentDryersWithTheirLampsAndTexts) {
    SiteReading silent;
    silent.name = "Quiet \"East\" \\ Mill";
    silent.failures = 4;
    const std::string text = RenderMetrics(Snap({Answered("North Plant", kAlarmReply), silent}));

    EXPECT_NE(text.find("corvantis_site_up{site=\"North Plant\"} 1\n"), std::string::npos);
    // Quotes and backslashes in a site name are escaped; a site never read is down, 0 successes.
    EXPECT_NE(text.find("corvantis_site_up{site=\"Quiet \\\"East\\\" \\\\ Mill\"} 0\n"),
              std::string::npos);
    EXPECT_NE(text.find("corvantis_site_poll_failures_total{site=\"Quiet \\\"East\\\" \\\\ "
                        "Mill\"} 4\n"),
              std::string::npos);
    EXPECT_NE(text.find("corvantis_site_last_success_timestamp_seconds{site=\"North Plant\"} "
                        "1700000000.5\n"),
              std::string::npos);
    EXPECT_NE(text.find("corvantis_dryer_alarm{site=\"North Plant\",dryer=\"2\"} 1\n"),
              std::string::npos);
    EXPECT_NE(text.find("corvantis_dryer_alarm{site=\"North Plant\",dryer=\"1\"} 0\n"),
              std::string::npos);
    EXPECT_NE(text.find("corvantis_dryer_online{site=\"North Plant\",dryer=\"1\"} 1\n"),
              std::string::npos);
    EXPECT_NE(text.find("corvantis_dryer_standby{site=\"North Plant\",dryer=\"3\"} 1\n"),
              std::string::npos);
    EXPECT_NE(text.find("corvantis_dryer_info{site=\"North Plant\",dryer=\"2\",status=\"Alarm\","
                        "model=\"DX-40\"} 1\n"),
              std::string::npos);
    // Dryers the unit says nothing about have no series; nor has the site never read.
    EXPECT_EQ(text.find("dryer=\"4\""), std::string::npos);
    EXPECT_EQ(text.find("corvantis_dryer_alarm{site=\"Quiet"), std::string::npos);
    EXPECT_NE(text.find("# TYPE corvantis_site_poll_failures_total counter\n"), std::string::npos);
    EXPECT_NE(text.find("corvantis_monitor_sites 2\n"), std::string::npos);
}

TEST(MonitorMetrics, UnitTextsInLatin1BecomeUtf8) {
    SiteReading s = Answered("M\xFChle", "0;128;0;Green,,Gr\xFCn,DX;");
    const std::string text = RenderMetrics(Snap({s}));
    EXPECT_NE(text.find("site=\"M\xC3\xBChle\""), std::string::npos);
    EXPECT_NE(text.find("status=\"Gr\xC3\xBCn\""), std::string::npos);
    // JSON too (a JSON library refuses invalid UTF-8 outright).
    const auto doc = nlohmann::json::parse(RenderStatusJson(Snap({s})));
    EXPECT_EQ(doc["sites"][0]["site"], "M\xC3\xBChle");
}

TEST(MonitorStatusJson, EverySiteWithItsValuesAndTheirAge) {
    SiteReading failed;
    failed.name = "West";
    failed.lastError = "no answer within 60 s";
    const auto doc = nlohmann::json::parse(
        RenderStatusJson(Snap({Answered("North Plant", kAlarmReply), failed})));
    ASSERT_EQ(doc["sites"].size(), 2u);
    const auto& north = doc["sites"][0];
    EXPECT_EQ(north["up"], true);
    EXPECT_DOUBLE_EQ(north["age_seconds"].get<double>(), 10.0);
    ASSERT_EQ(north["dryers"].size(), 3u);
    EXPECT_EQ(north["dryers"][1]["dryer"], 2);
    EXPECT_EQ(north["dryers"][1]["alarm"], true);
    EXPECT_EQ(north["dryers"][1]["alarm_time"], "2026-12-07 04:12");
    EXPECT_EQ(north["dryers"][1]["colour"], "Red");
    EXPECT_EQ(north["cycle"]["mode"], "24HR");
    const auto& west = doc["sites"][1];
    EXPECT_EQ(west["up"], false);
    EXPECT_TRUE(west["age_seconds"].is_null());
    EXPECT_EQ(west["error"], "no answer within 60 s");
}

TEST(MonitorCheck, ExitCodesFollowThePluginConventions) {
    CheckResult alarm = EvaluateCheck(Answered("North", kAlarmReply));
    EXPECT_EQ(alarm.code, 2);
    EXPECT_EQ(alarm.text.rfind("CORVANTIS CRITICAL - North: dryer 2 in alarm |", 0), 0u)
        << alarm.text;
    EXPECT_NE(alarm.text.find("alarms=1;;1;0;8 online=1;;;0;8 standby=1;;;0;8 poll=0.250s"),
              std::string::npos);

    SiteReading calm = Answered("South", "0;192;0;Green,,Online,DX;Green,,Online,DX;");
    EXPECT_EQ(EvaluateCheck(calm).code, 0);
    calm.complete = false;
    EXPECT_EQ(EvaluateCheck(calm).code, 1);

    SiteReading unread;
    unread.name = "Quiet";
    unread.lastError = "no answer within 30 s";
    const CheckResult unknown = EvaluateCheck(unread);
    EXPECT_EQ(unknown.code, 3);
    EXPECT_EQ(unknown.text, "CORVANTIS UNKNOWN - Quiet: no answer within 30 s");
    // A site read before that fails now is unknown, not the old reading's verdict.
    SiteReading stale = Answered("North", kAlarmReply);
    stale.up = false;
    EXPECT_EQ(EvaluateCheck(stale).code, 3);
}

TEST(MonitorShard, StableHashSplitsTheBookWithoutGapsOrOverlaps) {
    EXPECT_EQ(Fnv1a32(""), 2166136261u);
    EXPECT_EQ(Fnv1a32("a"), 0xE40C292Cu);
    Shard a, b, c;
    std::string error;
    ASSERT_TRUE(ParseShard("1/3", &a, &error));
    ASSERT_TRUE(ParseShard("2/3", &b, &error));
    ASSERT_TRUE(ParseShard("3/3", &c, &error));
    int counts[3] = {0, 0, 0};
    for (int i = 0; i < 300; ++i) {
        const std::string name = "Site " + std::to_string(i);
        const int holders = a.Holds(name) + b.Holds(name) + c.Holds(name);
        ASSERT_EQ(holders, 1) << name;
        counts[0] += a.Holds(name);
        counts[1] += b.Holds(name);
        counts[2] += c.Holds(name);
    }
    for (int n : counts) {
        EXPECT_GT(n, 60);  // roughly a third each
    }
    for (const char* bad : {"0/3", "4/3", "1/0", "3", "1/2x", ""}) {
        Shard s;
        EXPECT_FALSE(ParseShard(bad, &s, &error)) << bad;
    }
}

TEST(MonitorListen, NumericAddressesAndPortsOnly) {
    ListenAddress a;
    std::string error;
    ASSERT_TRUE(ParseListen("0.0.0.0:9100", &a, &error));
    EXPECT_EQ(a.host, "0.0.0.0");
    EXPECT_EQ(a.port, 9100u);
    ASSERT_TRUE(ParseListen("[::1]:0", &a, &error));
    EXPECT_EQ(a.host, "::1");
    EXPECT_EQ(a.port, 0u);
    for (const char* bad : {"9100", "localhost:9100", "127.0.0.1:", "127.0.0.1:70000", "[::1]9100",
                            "127.0.0.1:91x"}) {
        EXPECT_FALSE(ParseListen(bad, &a, &error)) << bad;
    }
}

TEST(MonitorBackoff, DoublesFromFiveSecondsAndNeverWaitsPastThePeriodOrFiveMinutes) {
    EXPECT_EQ(Monitor::BackoffMs(1, 60000), 5000);
    EXPECT_EQ(Monitor::BackoffMs(2, 60000), 10000);
    EXPECT_EQ(Monitor::BackoffMs(4, 60000), 40000);
    EXPECT_EQ(Monitor::BackoffMs(9, 60000), 60000);
    EXPECT_EQ(Monitor::BackoffMs(30, 3600000), 300000);
    EXPECT_EQ(Monitor::BackoffMs(3, 1000), 5000);
}

TEST(MonitorConfig, TcpSitesAloneSerialSitesThroughTheLineShardsAndDefaults) {
    platform::IniFile ini;
    ini.ParseText(
        "[CommSetup]\r\nCommType=0\r\nSerialNo=3\r\nBaudRate=19200\r\nDevice=/dev/ttyUSB0\r\n"
        "[PhoneBook]\r\nCount=3\r\n1=North,10.0.0.7 4001\r\n2=Farm,5551234\r\n"
        "3=South,unit.example.net 23\r\n[Monitor]\r\nPollSeconds=0\r\n");
    MonitorConfig config = ReadMonitorConfig(ini, Shard{});
    EXPECT_EQ(config.pollSeconds, 60);  // 0 is no period: the default
    EXPECT_EQ(config.sweepMinutes, 15);
    ASSERT_EQ(config.sites.size(), 3u);
    EXPECT_EQ(config.sites[0].commType, COMM_TCPIP);
    EXPECT_FALSE(config.sites[0].hangUpAfterPoll);
    EXPECT_EQ(config.sites[1].commType, COMM_DIRECT);
    EXPECT_EQ(config.sites[1].device, "/dev/ttyUSB0");
    EXPECT_EQ(config.sites[1].serialNo, 3);
    EXPECT_TRUE(config.sites[1].hangUpAfterPoll);
    EXPECT_EQ(config.sites[2].phone, "unit.example.net 23");

    Shard half;
    std::string error;
    ASSERT_TRUE(ParseShard("1/2", &half, &error));
    const MonitorConfig part = ReadMonitorConfig(ini, half);
    EXPECT_EQ(part.sites.size() + part.skippedByShard, 3u);
}

}  // namespace

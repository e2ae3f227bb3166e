#include "sim/unit_simulator.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <sstream>

#include "platform/clock.h"
#include "tests/sim/raw_line.h"

namespace sim {
namespace {

using simtest::Exchange;
using simtest::LogIn;
using simtest::RawLine;

const std::string kStatusRequest = "/60.htm?val=0-0\r";

UnitOptions FixedClock() {
    UnitOptions options;
    options.clockText = "10:00";
    return options;
}

std::string StatusReplyOf(const UnitState& state) {
    return kStatusRequest + "\n" + state.StatusRecord("10:00") + "EOT";
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(UnitSimulatorTcp, LoginAndStatusRequest) {
    UnitSimulator unit(FixedClock());
    int port = unit.StartTcp("127.0.0.1", 0);
    ASSERT_GT(port, 0) << unit.LastError();
    EXPECT_EQ(unit.TcpPort(), port);
    RawLine line;
    ASSERT_TRUE(line.ConnectTcp(port));
    ASSERT_TRUE(LogIn(line));
    EXPECT_EQ(Exchange(line, kStatusRequest), StatusReplyOf(UnitState::Base()));
    EXPECT_EQ(unit.ReceivedRequests(), std::vector<std::string>{kStatusRequest});
    EXPECT_EQ(unit.ConnectionCount(), 1);
    EXPECT_EQ(unit.LoginCount(), 1);
    unit.ClearReceivedRequests();
    EXPECT_TRUE(unit.ReceivedRequests().empty());
    EXPECT_FALSE(unit.WaitForRequests(1, 50));
}

TEST(UnitSimulatorTcp, WritesChangeWhatLaterReadsAndOtherLinesSee) {
    UnitSimulator unit(FixedClock());
    int port = unit.StartTcp("localhost", 0);
    ASSERT_GT(port, 0) << unit.LastError();
    RawLine first, second;
    ASSERT_TRUE(first.ConnectTcp(port));
    ASSERT_TRUE(second.ConnectTcp(port));
    ASSERT_TRUE(LogIn(first));
    ASSERT_TRUE(LogIn(second));

    const std::string settings =
        "1,DX-40;1,DX-40;2,DX-60;3,DX-60;0,;0,;0,;0,;2;12/09/2026,07:00;162;0;0,0;1;5;";
    // A wrong password changes nothing; the reply is the unchanged record.
    std::string reply = Exchange(first, "/53.htm?val=1-0,4321;" + settings + "\r");
    EXPECT_NE(reply.find(UnitState::Base().CycleRecord() + "EOT"), std::string::npos);
    EXPECT_EQ(unit.Snapshot().cycle.mode, 0);

    reply = Exchange(first, "/53.htm?val=1-0,1234;" + settings + "\r");
    EXPECT_NE(reply.find(";162;0;0,0;1;5;EOT"), std::string::npos);
    EXPECT_EQ(unit.Snapshot().cycle.mode, kDaysMode + kMonday + kFriday);
    reply = Exchange(second, "/60.htm?val=0-0\r");
    EXPECT_NE(reply.find(";DAYS M...F;12/09/2026 07:00;10:00;2;1-2-3-4;YesEOT"), std::string::npos);

    unit.SetPassword("abc");
    reply = Exchange(second, "/55.htm?val=1-0,1234;TT=" + std::string(20, '^') + "N^\r");
    EXPECT_EQ(unit.Snapshot().reporting[0], "PLANT 1 DRYERS");
    std::string fields = "NEW NAME^N^" + std::string(19, '^');
    reply = Exchange(second, "/55.htm?val=1-0,abc;TT=" + fields + "\r");
    EXPECT_EQ(reply, "/55.htm?val=1-0,abc;TT=" + fields + "\r\n" + fields + "EOT");
    EXPECT_EQ(unit.Snapshot().reporting[0], "NEW NAME");
}

TEST(UnitSimulatorTcp, ResetClearsAnAlarmRaisedWhileRunning) {
    UnitSimulator unit(FixedClock());
    int port = unit.StartTcp("127.0.0.1", 0);
    ASSERT_GT(port, 0);
    RawLine line;
    ASSERT_TRUE(line.ConnectTcp(port));
    ASSERT_TRUE(LogIn(line));
    EXPECT_FALSE(unit.RaiseAlarm(7));  // not installed
    ASSERT_TRUE(unit.RaiseAlarm(3));
    std::string reply = Exchange(line, kStatusRequest);
    EXPECT_EQ(reply.substr(kStatusRequest.size() + 1, 3), "32;");
    EXPECT_NE(reply.find(";Red,"), std::string::npos);

    reply = Exchange(line, "/51.htm?val=1-0,0000;3\r");  // wrong password
    EXPECT_EQ(unit.Snapshot().dryers[2].condition, DryerCondition::Alarm);
    reply = Exchange(line, "/51.htm?val=1-0,1234;3\r");
    EXPECT_EQ(reply.substr(reply.find('\n') + 1, 2), "0;");
    EXPECT_EQ(unit.Snapshot().dryers[2].condition, DryerCondition::Standby);
    EXPECT_EQ(unit.ReceivedRequests().size(), 3u);
}

TEST(UnitSimulatorTcp, BadAddressesFailClearly) {
    UnitSimulator unit;
    EXPECT_EQ(unit.StartTcp("no.such.host.invalid", 0), -1);
    EXPECT_FALSE(unit.LastError().empty());
    int port = unit.StartTcp("127.0.0.1", 0);
    ASSERT_GT(port, 0);
    UnitSimulator other;
    EXPECT_EQ(other.StartTcp("127.0.0.1", port), -1);  // in use
    EXPECT_NE(other.LastError().find("bind"), std::string::npos);
}

TEST(UnitSimulatorTcp, CloseInTheMiddleOfAReply) {
    UnitOptions options = FixedClock();
    options.faults.closeMidReply = true;
    UnitSimulator unit(options);
    int port = unit.StartTcp("127.0.0.1", 0);
    ASSERT_GT(port, 0);
    RawLine line;
    ASSERT_TRUE(line.ConnectTcp(port));
    ASSERT_TRUE(LogIn(line));
    std::string half = Exchange(line, kStatusRequest);
    EXPECT_TRUE(line.Closed());
    EXPECT_EQ(half.find("EOT"), std::string::npos);
    EXPECT_EQ(StatusReplyOf(UnitState::Base()).compare(0, half.size(), half), 0);

    unit.SetFaults({});
    ASSERT_TRUE(line.ConnectTcp(port));
    ASSERT_TRUE(LogIn(line));
    EXPECT_EQ(Exchange(line, kStatusRequest), StatusReplyOf(UnitState::Base()));
}

// True when a connect to `port` completes within `ms`.
bool ConnectCompletes(int port, int ms) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int rc = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    pollfd p = {fd, POLLOUT, 0};
    bool done = rc == 0 || (errno == EINPROGRESS && poll(&p, 1, ms) == 1);
    close(fd);
    return done;
}

TEST(UnitSimulatorTcp, NeverAcceptingLetsNoConnectComplete) {
    UnitOptions options;
    options.faults.neverAccept = true;
    UnitSimulator unit(options);
    int port = unit.StartTcp("127.0.0.1", 0);
    ASSERT_GT(port, 0) << unit.LastError();
    EXPECT_FALSE(ConnectCompletes(port, 500));
    EXPECT_EQ(unit.ConnectionCount(), 0);

    // Once the fault is off the unit takes calls again, at once.
    unit.SetFaults({});
    RawLine line;
    ASSERT_TRUE(line.ConnectTcp(port));
    EXPECT_TRUE(LogIn(line));
    EXPECT_EQ(unit.ConnectionCount(), 1);

    // Turned on while running: a line already open stays, new calls hang.
    FaultModes never;
    never.neverAccept = true;
    unit.SetFaults(never);
    EXPECT_FALSE(ConnectCompletes(port, 300));
    EXPECT_EQ(Exchange(line, kStatusRequest).substr(0, kStatusRequest.size()), kStatusRequest);
}

TEST(UnitSimulatorTcp, SplitAndSlowLinesDeliverTheSameBytes) {
    UnitSimulator unit(FixedClock());
    int port = unit.StartTcp("127.0.0.1", 0);
    ASSERT_GT(port, 0);
    RawLine line;
    ASSERT_TRUE(line.ConnectTcp(port));
    ASSERT_TRUE(LogIn(line));
    const std::string expected = StatusReplyOf(UnitState::Base());

    FaultModes split;
    split.splitBytes = true;
    unit.SetFaults(split);
    EXPECT_EQ(Exchange(line, kStatusRequest), expected);
    EXPECT_GT(line.chunks.size(), 1u);

    FaultModes slow;
    slow.slowBaud = 4800;  // 480 bytes a second
    unit.SetFaults(slow);
    const int64_t start = platform::Clock::NowMs();
    EXPECT_EQ(Exchange(line, kStatusRequest, 5000), expected);
    const int64_t took = platform::Clock::NowMs() - start;
    EXPECT_GE(took, static_cast<int64_t>((expected.size() - 1) * 10000 / 4800));
}

TEST(UnitSimulatorPty, LoginRequestAndReopen) {
    UnitSimulator unit(FixedClock());
    std::string path = unit.StartPty();
    ASSERT_FALSE(path.empty()) << unit.LastError();
    EXPECT_EQ(unit.PtyPath(), path);
    RawLine line;
    ASSERT_TRUE(line.OpenDevice(path));
    ASSERT_TRUE(LogIn(line));
    EXPECT_EQ(Exchange(line, kStatusRequest), StatusReplyOf(UnitState::Base()));

    // Closing the device and opening it again is a new call: the unit greets again.
    line.Close();
    usleep(200000);
    ASSERT_TRUE(line.OpenDevice(path));
    ASSERT_TRUE(line.Send(" "));
    EXPECT_NE(line.ReadUntil("(", 3000).find("CORVANTIS"), std::string::npos);
    EXPECT_EQ(unit.ConnectionCount(), 2);
    // A console that comes back before the unit noticed (as on a real serial line, where the
    // unit cannot see the port close) logs in just the same.
    line.Close();
    ASSERT_TRUE(line.OpenDevice(path));
    ASSERT_TRUE(LogIn(line));
    EXPECT_EQ(Exchange(line, kStatusRequest), StatusReplyOf(UnitState::Base()));
}

TEST(UnitSimulatorPty, DroppedDeviceComesBackBehindItsLink) {
    char dir[] = "/tmp/corvantis-sim-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string link = std::string(dir) + "/ttyUnit";
    UnitOptions options = FixedClock();
    options.ptyLink = link;
    options.faults.closeMidReply = true;
    {
        UnitSimulator unit(options);
        std::string first = unit.StartPty();
        ASSERT_FALSE(first.empty()) << unit.LastError();
        RawLine line;
        ASSERT_TRUE(line.OpenDevice(link));
        ASSERT_TRUE(LogIn(line));
        std::string half = Exchange(line, kStatusRequest);
        EXPECT_EQ(half.find("EOT"), std::string::npos);
        EXPECT_TRUE(line.Closed());  // the device hung up

        unit.SetFaults({});
        line.Close();
        // The new device may take a moment to appear behind the link.
        bool reopened = false;
        for (int i = 0; i < 100 && !reopened; ++i) {
            reopened = unit.PtyPath() != first && line.OpenDevice(link);
            if (!reopened) {
                usleep(10000);
            }
        }
        ASSERT_TRUE(reopened);
        ASSERT_TRUE(LogIn(line));
        EXPECT_EQ(Exchange(line, kStatusRequest), StatusReplyOf(UnitState::Base()));
    }
    EXPECT_NE(access(link.c_str(), F_OK), 0);  // Stop removed the link
    rmdir(dir);
}

TEST(UnitSimulatorLifecycle, StopIsPromptWithBusyLines) {
    UnitOptions options = FixedClock();
    options.faults.slowBaud = 10;  // one byte a second: a reply would take minutes
    std::ostringstream transcript;
    options.transcript = &transcript;
    auto unit = std::make_unique<UnitSimulator>(options);
    int port = unit->StartTcp("127.0.0.1", 0);
    ASSERT_GT(port, 0);
    std::string path = unit->StartPty();
    ASSERT_FALSE(path.empty());
    RawLine tcp, pty;
    ASSERT_TRUE(tcp.ConnectTcp(port));
    ASSERT_TRUE(pty.OpenDevice(path));
    tcp.Send(" ");
    pty.Send(" ");
    tcp.ReadUntil("\n", 1500);

    auto start = std::chrono::steady_clock::now();
    unit->Stop();
    unit->Stop();
    EXPECT_LT(SecondsSince(start), 2.0);
    EXPECT_EQ(unit->StartTcp("127.0.0.1", 0), -1);
    EXPECT_TRUE(unit->StartPty().empty());
    unit.reset();
    EXPECT_TRUE(tcp.ReadUntil("", 200).empty());
    EXPECT_TRUE(tcp.Closed());
    EXPECT_NE(transcript.str().find("console>  \n"), std::string::npos) << transcript.str();
}

TEST(UnitSimulatorLifecycle, TranscriptShowsBothDirections) {
    std::ostringstream transcript;
    UnitOptions options = FixedClock();
    options.transcript = &transcript;
    {
        UnitSimulator unit(options);
        int port = unit.StartTcp("127.0.0.1", 0);
        RawLine line;
        ASSERT_TRUE(line.ConnectTcp(port));
        ASSERT_TRUE(LogIn(line));
        Exchange(line, kStatusRequest);
    }
    const std::string text = transcript.str();
    EXPECT_NE(text.find("listening on 127.0.0.1:"), std::string::npos);
    EXPECT_NE(text.find("console> /60.htm?val=0-0\\r"), std::string::npos);
    EXPECT_NE(text.find("unit> /60.htm?val=0-0\\r\\n0;192;48;"), std::string::npos);
}

}  // namespace
}  // namespace sim

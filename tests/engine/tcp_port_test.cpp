// The TCP/IP path of the port through the real worker: connecting on demand, the faults of the
// network (bad address, unknown host, a slow or silent server, a peer that goes away) and writes
// that must wait for the connection.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <atomic>
#include <thread>

#include "app/state/app_state.h"
#include "platform/clock.h"
#include "tests/support/loopback_server.h"
#include "tests/support/port_frame.h"
#include "tests/support/recording_page.h"
#include "tests/support/session_fixture.h"

namespace {

const std::string kStatusRequest = "/60.htm?val=0-0\r";

class TcpPortTest : public SessionFixture {
protected:
    double TimeScale() const override { return 10.0; }

    void SetUp() override {
        SessionFixture::SetUp();
        ASSERT_TRUE(m_server.Ok());
        EnableLogs(true, false);
        m_portFrame = std::make_unique<PortFrame>();
        m_portFrame->AsMainWindow();
    }

    void TearDown() override {
        if (m_serverThread.joinable()) {
            m_serverThread.join();
        }
        DeleteSystem();
        m_portFrame.reset();
        m_frame->AsMainWindow();
        SessionFixture::TearDown();
    }

    // A started TCP/IP System 1 on a real port with `address`.
    CSystem& TcpSystem(const std::string& address) {
        CSystem& system = MakeSystem(COMM_TCPIP);
        delete system.Port;
        m_port = nullptr;
        m_tcp = new CCommPort();
        m_tcp->CommType = COMM_TCPIP;
        m_tcp->Owner = &system;
        m_tcp->SetAddress(address);
        system.Port = m_tcp;
        m_portFrame->SetSystem(&system);
        EXPECT_TRUE(system.Start());
        return system;
    }

    void QueueStatusRequest() {
        m_system->AbortCommand();
        m_system->AddCommand(new CCommandNode(1, CMD_PAGE_STATUS, kStatusRequest));
    }

    bool Logged(const std::string& text) const {
        return DebugLogText().find(text) != std::string::npos;
    }
    int Stops() const { return m_portFrame->Count(platform::WM_SYSTEM_STOP); }

    LoopbackServer m_server;
    std::thread m_serverThread;
    std::unique_ptr<PortFrame> m_portFrame;
    CCommPort* m_tcp = nullptr;
};

TEST_F(TcpPortTest, AnAddressWithoutPortFailsTheOpenAndTheCommand) {
    TcpSystem("127.0.0.1");
    QueueStatusRequest();

    ASSERT_TRUE(RunUntil([&] { return Stops() > 0; }, 60000));
    EXPECT_TRUE(Logged("Open() fail! reason: TCP/IP address \"127.0.0.1\": no port number"));
    EXPECT_TRUE(Logged("Start() fail! reason: port create fail!"));
    EXPECT_TRUE(Logged("DoCommand(): Connect fail"));
    EXPECT_EQ(m_tcp->IsOpen.load(), 0);
}

TEST_F(TcpPortTest, AnUnknownHostIsGivenUpAfter15SecondsAndStopsConnecting) {
    TcpSystem("corvantis-no-such-host.invalid 4001");
    const int64_t start = platform::Clock::NowMs();
    QueueStatusRequest();

    ASSERT_TRUE(RunUntil([&] { return m_tcp->ConnectThreadRunning(); }, 5000));
    ASSERT_TRUE(RunUntil([&] { return Stops() > 0; }, 60000));
    EXPECT_GE(platform::Clock::NowMs() - start, 15000);
    EXPECT_TRUE(Logged("DoCommand(): Connect fail"));
    EXPECT_TRUE(Logged("Connect() fail! reason: host corvantis-no-such-host.invalid not found"));
    // The frame closed the port: nothing keeps trying.
    EXPECT_FALSE(m_tcp->ConnectThreadRunning());
    EXPECT_EQ(m_tcp->IsOpen.load(), 0);
}

TEST_F(TcpPortTest, AServerThatAcceptsAfter10SecondsGetsTheRequest) {
    // Two blanks between host and port are read all the same.
    TcpSystem("127.0.0.1  " + std::to_string(m_server.Port()));
    std::atomic<int64_t> listening{0};
    std::string received;
    m_serverThread = std::thread([&] {
        platform::Clock::SleepMs(10000);
        listening.store(platform::Clock::NowMs());
        ASSERT_TRUE(m_server.Listen());
        const int fd = m_server.Accept(5000);
        received = LoopbackServer::ReadUntil(fd, kStatusRequest, 5000);
        LoopbackServer::CloseFd(fd);
    });
    QueueStatusRequest();

    ASSERT_TRUE(RunUntil([&] { return m_system->GetStatus() == STATUS_PAGE_STATUS; }, 100000));
    // Connected, then the extra second before the text goes out.
    EXPECT_GE(platform::Clock::NowMs() - listening.load(), 1000);
    m_serverThread.join();
    EXPECT_EQ(received, kStatusRequest);
    EXPECT_FALSE(Logged("Connect fail"));
    EXPECT_TRUE(m_tcp->SocketConnected() || m_tcp->IsOpen.load() == 0);
}

TEST_F(TcpPortTest, AServerThatNeverAcceptsIsGivenUpAndTheConnectThreadEnds) {
    ASSERT_TRUE(m_server.ListenFull());
    TcpSystem(m_server.Address());
    QueueStatusRequest();

    ASSERT_TRUE(RunUntil([&] { return m_tcp->ConnectThreadRunning(); }, 5000));
    ASSERT_TRUE(RunUntil([&] { return Stops() > 0; }, 60000));
    EXPECT_TRUE(Logged("DoCommand(): Connect fail"));
    EXPECT_FALSE(m_tcp->SocketConnected());
    EXPECT_FALSE(m_tcp->ConnectThreadRunning());
    EXPECT_EQ(m_tcp->IsOpen.load(), 0);
}

TEST_F(TcpPortTest, APeerClosingMidReplyIsReconnectedByTheNextCommand) {
    ASSERT_TRUE(m_server.Listen());
    TcpSystem(m_server.Address());
    RecordingPage page(STATUS_PAGE_STATUS);
    const std::string reply = "0;1;1;0;;;;;;;;;;12:00;1;0;5EOT";
    m_serverThread = std::thread([&] {
        int fd = m_server.Accept(10000);
        LoopbackServer::ReadUntil(fd, kStatusRequest, 5000);
        LoopbackServer::WriteAll(fd, kStatusRequest + "\n0;1;1;");
        LoopbackServer::CloseFd(fd);
        fd = m_server.Accept(10000);
        LoopbackServer::ReadUntil(fd, kStatusRequest, 5000);
        LoopbackServer::WriteAll(fd, kStatusRequest + "\n" + reply);
        LoopbackServer::ReadUntil(fd, "never", 500);
        LoopbackServer::CloseFd(fd);
    });
    QueueStatusRequest();

    // The peer's close marks the port closed and drops the connection.
    ASSERT_TRUE(RunUntil([&] { return m_system->GetStatus() == STATUS_PAGE_STATUS; }, 30000));
    ASSERT_TRUE(RunUntil([&] { return m_tcp->IsOpen.load() == 0; }, 10000));
    EXPECT_FALSE(m_tcp->SocketConnected());
    EXPECT_EQ(page.ReplyCount(), 0u);

    // The page asks again: the port connects again and the reply arrives whole.
    QueueStatusRequest();
    ASSERT_TRUE(RunUntil([&] { return page.ReplyCount() == 1; }, 30000));
    EXPECT_EQ(page.Replies()[0], reply);
    EXPECT_EQ(m_portFrame->Count(platform::WM_SYSTEM_START), 2);
}

// Port-level: a TCP/IP port connected to the test's server, without a System.
class TcpWriteTest : public TcpPortTest {
protected:
    void SetUp() override {
        TcpPortTest::SetUp();
        ASSERT_TRUE(m_server.Listen());
        m_alone.CommType = COMM_TCPIP;
        m_alone.SetAddress(m_server.Address());
        ASSERT_TRUE(m_alone.Open());
        ASSERT_TRUE(RunUntil([&] { return m_alone.SocketConnected(); }, 10000));
        m_peer = m_server.Accept(5000);
        ASSERT_GE(m_peer, 0);
    }
    void TearDown() override {
        m_alone.Close();
        LoopbackServer::CloseFd(m_peer);
        TcpPortTest::TearDown();
    }

    CCommPort m_alone;
    int m_peer = -1;
};

TEST_F(TcpWriteTest, AWriteThePeerNeverTakesFailsAfter5Seconds) {
    const std::string big(64 << 20, 'x');
    const int64_t start = platform::Clock::NowMs();
    EXPECT_FALSE(m_alone.Write(big.data(), static_cast<int>(big.size())));
    EXPECT_GE(platform::Clock::NowMs() - start, 5000);
    EXPECT_TRUE(Logged("bytes sent in 5000 ms"));
}

TEST_F(TcpWriteTest, AWriteWaitsForASlowPeerAndSendsEverything) {
    platform::Clock::SetTimeScale(1.0);
    std::string big(4 << 20, '\0');
    for (size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 7 + i / 4093);
    }
    std::string got;
    m_serverThread = std::thread([&] {
        char buffer[65536];
        while (got.size() < big.size()) {
            ssize_t n = ::recv(m_peer, buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            got.append(buffer, static_cast<size_t>(n));
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    EXPECT_TRUE(m_alone.Write(big.data(), static_cast<int>(big.size())));
    m_serverThread.join();
    EXPECT_TRUE(got == big);
}

TEST_F(TcpWriteTest, AWriteAfterThePeerLeftFails) {
    LoopbackServer::CloseFd(m_peer);
    m_peer = -1;
    ASSERT_TRUE(RunUntil([&] { return m_alone.IsOpen.load() == 0; }, 10000));
    EXPECT_FALSE(m_alone.Write("x", 1));
}

}  // namespace

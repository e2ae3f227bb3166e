// A System logs in to the unit simulator through a real port, over loopback TCP/IP and over a
// direct line on a pseudo-terminal, and a Status request's reply reaches its page byte for byte.
#include <gtest/gtest.h>

#include "app/state/app_state.h"
#include "sim/unit_simulator.h"
#include "tests/support/port_frame.h"
#include "tests/support/recording_page.h"
#include "tests/support/session_fixture.h"

namespace {

const std::string kStatusRequest = "/60.htm?val=0-0\r";

class PortsSessionTest : public SessionFixture {
protected:
    // Slow enough that a loaded machine does not run into the 15 s idle limit while the unit
    // answers.
    double TimeScale() const override { return 5.0; }

    void SetUp() override {
        SessionFixture::SetUp();
        EnableLogs(true, true);
        sim::UnitOptions options;
        options.seed = 7;
        options.clockText = "12:34";
        m_unit = std::make_unique<sim::UnitSimulator>(options);
        m_portFrame = std::make_unique<PortFrame>();
        m_portFrame->AsMainWindow();
    }

    void TearDown() override {
        DeleteSystem();
        m_portFrame.reset();
        m_frame->AsMainWindow();
        m_unit.reset();
        SessionFixture::TearDown();
    }

    // System 1 on a real port of `commType`, settings as the document gives them.
    CSystem& RealSystem(uint8_t commType) {
        CSystem& system = MakeSystem(commType);
        delete system.Port;
        m_port = nullptr;
        m_line = new CCommPort();
        m_line->CommType = commType;
        m_line->Owner = &system;
        m_line->SerialNo = 1;
        m_line->BaudIndex = 6;
        m_line->DataBits = 8;
        system.Port = m_line;
        m_portFrame->SetSystem(&system);
        return system;
    }

    // Logs in, then asks for the Status page as the page does, and checks what it gets.
    void LogInAndReadStatus() {
        ASSERT_TRUE(m_system->Start());
        theApp().m_bOnline.store(1);
        m_system->QueueLogin();
        ASSERT_TRUE(RunUntil([] { return theApp().m_bLoggedIn.load() == 1; }, 60000));
        EXPECT_EQ(m_unit->LoginCount(), 1);
        EXPECT_EQ(
            m_portFrame->Count(platform::WM_CONNECT_STATUS, platform::CONNECT_STATUS_CONNECTED), 1);
        // The pages send only while the line is up.
        ASSERT_TRUE(m_line->LinkUp());

        RecordingPage page(STATUS_PAGE_STATUS);
        m_system->AbortCommand();
        m_system->AddCommand(new CCommandNode(1, CMD_PAGE_STATUS, kStatusRequest));
        ASSERT_TRUE(RunUntil([&] { return page.ReplyCount() == 1; }, 30000));
        EXPECT_EQ(page.Replies()[0], m_unit->Snapshot().StatusRecord("12:34") + "EOT");
        EXPECT_EQ(m_unit->ReceivedRequests(), std::vector<std::string>{kStatusRequest});
        ASSERT_TRUE(RunUntil([&] { return m_system->GetStatus() == STATUS_IDLE; }, 5000));
        EXPECT_EQ(m_portFrame->Count(platform::WM_SYSTEM_STOP), 0);
        EXPECT_TRUE(theApp().m_bLoggedIn.load() == 1);
    }

    std::unique_ptr<sim::UnitSimulator> m_unit;
    std::unique_ptr<PortFrame> m_portFrame;
    CCommPort* m_line = nullptr;
};

TEST_F(PortsSessionTest, TcpSystemLogsInAndReadsTheStatusPage) {
    const int port = m_unit->StartTcp("127.0.0.1", 0);
    ASSERT_GT(port, 0) << m_unit->LastError();
    RealSystem(COMM_TCPIP).Port->SetAddress("127.0.0.1 " + std::to_string(port));
    LogInAndReadStatus();
    EXPECT_TRUE(m_line->SocketConnected());
    EXPECT_EQ(m_portFrame->Count(platform::WM_SYSTEM_START), 1);
}

TEST_F(PortsSessionTest, DirectSystemOnAPseudoTerminalLogsInAndReadsTheStatusPage) {
    const std::string device = m_unit->StartPty();
    ASSERT_FALSE(device.empty()) << m_unit->LastError();
    RealSystem(COMM_DIRECT).Port->Device = device;
    LogInAndReadStatus();
    EXPECT_EQ(m_line->IsOpen.load(), 1);
    EXPECT_FALSE(m_line->ReportsModemLines());
}

TEST_F(PortsSessionTest, ALineThatVanishesIsOpenedAgainWhenTheDeviceIsBack) {
    // The unit sits behind a stable name, as a USB adapter under /dev/serial/by-id does.
    const std::string link = m_temp.Path() + "/ttyUnit";
    sim::UnitOptions options;
    options.seed = 7;
    options.clockText = "12:34";
    options.ptyLink = link;
    m_unit = std::make_unique<sim::UnitSimulator>(options);
    ASSERT_FALSE(m_unit->StartPty().empty()) << m_unit->LastError();
    RealSystem(COMM_DIRECT).Port->Device = link;
    LogInAndReadStatus();

    // Half a reply, then the line is gone.
    sim::FaultModes faults;
    faults.closeMidReply = true;
    m_unit->SetFaults(faults);
    m_system->AbortCommand();
    m_system->AddCommand(new CCommandNode(1, CMD_PAGE_STATUS, kStatusRequest));
    ASSERT_TRUE(RunUntil([&] { return m_line->IsOpen.load() == 0; }, 30000));
    EXPECT_FALSE(m_line->LinkUp());
    EXPECT_NE(DebugLogText().find("serial line lost! reason: " + link), std::string::npos);
    // The silent exchange runs out and the frame closes the port.
    ASSERT_TRUE(RunUntil([&] { return m_portFrame->Count(platform::WM_SYSTEM_STOP) == 1; }, 60000));

    // The operator connects again: the new device behind the name is opened.
    m_unit->SetFaults({});
    m_unit->ClearReceivedRequests();
    const int logins = m_unit->LoginCount();
    m_system->QueueLogin();
    ASSERT_TRUE(RunUntil([] { return theApp().m_bLoggedIn.load() == 1; }, 60000));
    EXPECT_EQ(m_unit->LoginCount(), logins + 1);
    RecordingPage page(STATUS_PAGE_STATUS);
    m_system->AddCommand(new CCommandNode(1, CMD_PAGE_STATUS, kStatusRequest));
    ASSERT_TRUE(RunUntil([&] { return page.ReplyCount() == 1; }, 30000));
    EXPECT_EQ(page.Replies()[0], m_unit->Snapshot().StatusRecord("12:34") + "EOT");
}

}  // namespace

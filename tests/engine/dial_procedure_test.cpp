// The dial procedure of a dial-up System, through the real worker and serial line, against a
// modem on the far end of a pseudo-terminal.
#include <gtest/gtest.h>

#include "app/state/app_state.h"
#include "platform/clock.h"
#include "tests/support/fake_modem.h"
#include "tests/support/session_fixture.h"

namespace {

const std::string kStatusRequest = "/60.htm?val=0-0";
// The modem stamps a line when its thread gets to it, and the worker runs at the lowest priority:
// on a busy machine either may be late by tens of real milliseconds, which the time scale turns
// into seconds of program time. The bounds below still tell a pause that happened from one that
// did not, and a wait that ended early from one that ran its 45 s.
constexpr int64_t kJitterMs = 1500;

class DialTest : public SessionFixture {
protected:
    double TimeScale() const override { return 50.0; }

    void SetUp() override {
        SessionFixture::SetUp();
        ASSERT_TRUE(m_modem.Ok());
        EnableLogs(true, false);
        MakeSystem(COMM_DIALUP);
        delete m_system->Port;
        m_port = nullptr;
        auto* port = new ModemLinePort(m_modem);
        port->Owner = m_system;
        port->CommType = COMM_DIALUP;
        port->SerialNo = 1;
        port->Device = m_modem.Device();
        port->BaudIndex = 6;
        port->DataBits = 8;
        port->SetAddress("5551234");
        m_system->Port = port;
    }

    // Starts the worker with one Status request queued.
    void SendStatusRequest() {
        ASSERT_TRUE(m_system->Start());
        m_system->AddCommand(new CCommandNode(1, CMD_PAGE_STATUS, kStatusRequest + "\r"));
    }

    std::vector<std::string> LineTexts() const {
        std::vector<std::string> texts;
        for (const auto& line : m_modem.Lines()) {
            texts.push_back(line.text);
        }
        return texts;
    }

    int64_t TimeOf(const std::string& text, int occurrence = 1) const {
        for (const auto& line : m_modem.Lines()) {
            if (line.text == text && --occurrence == 0) {
                return line.atMs;
            }
        }
        return -1;
    }

    int CountExact(const std::string& text) const {
        int count = 0;
        for (const auto& line : m_modem.Lines()) {
            count += line.text == text ? 1 : 0;
        }
        return count;
    }

    FakeModem m_modem;
};

TEST_F(DialTest, CarrierAlreadyUpSendsTheCommandWithoutDialling) {
    m_modem.SetCarrier(true);
    theApp().m_bOnline.store(1);
    SendStatusRequest();

    ASSERT_TRUE(m_modem.WaitForLines(kStatusRequest, 1, 5000));
    EXPECT_EQ(LineTexts(), (std::vector<std::string>{kStatusRequest}));
}

TEST_F(DialTest, CarrierDuringThePauseAfterDiallingEndsTheWaitAtOnce) {
    m_modem.ConnectAfterDial(500);
    theApp().m_bOnline.store(1);
    SendStatusRequest();

    ASSERT_TRUE(m_modem.WaitForLines(kStatusRequest, 1, 5000));
    EXPECT_EQ(LineTexts(), (std::vector<std::string>{"AT", "ATDT5551234", kStatusRequest}));
    EXPECT_GE(TimeOf("ATDT5551234") - TimeOf("AT"), 2000 - kJitterMs);
    // 2 s after the dial command, no carrier checks, then the 10 s pause.
    const int64_t wait = TimeOf(kStatusRequest) - TimeOf("ATDT5551234");
    EXPECT_GE(wait, 12000 - kJitterMs);
    EXPECT_LT(wait, 40000);
    EXPECT_EQ(DebugLogText().find("Connect fail"), std::string::npos);
}

TEST_F(DialTest, OfflineBeforeTheCarrierWaitGivesUpAndSendsAllTheSame) {
    theApp().m_bOnline.store(0);
    SendStatusRequest();

    ASSERT_TRUE(m_modem.WaitForLines(kStatusRequest, 1, 5000));
    EXPECT_EQ(LineTexts(), (std::vector<std::string>{"AT", "ATDT5551234", kStatusRequest}));
    const int64_t wait = TimeOf(kStatusRequest) - TimeOf("ATDT5551234");
    EXPECT_GE(wait, 2000 - kJitterMs);
    EXPECT_LT(wait, 30000);
}

TEST_F(DialTest, OfflineDuringTheCarrierWaitEndsIt) {
    theApp().m_bOnline.store(1);
    SendStatusRequest();
    ASSERT_TRUE(m_modem.WaitForLines("ATDT", 1, 5000));
    const int64_t dialled = platform::Clock::NowMs();
    RunFor(8000);
    theApp().m_bOnline.store(0);

    ASSERT_TRUE(m_modem.WaitForLines(kStatusRequest, 1, 5000));
    EXPECT_EQ(CountExact("ATDT5551234"), 1);
    EXPECT_LT(TimeOf(kStatusRequest) - dialled, 30000);
}

TEST_F(DialTest, DisconnectWhileDiallingDropsTheCommand) {
    theApp().m_bOnline.store(1);
    SendStatusRequest();
    ASSERT_TRUE(m_modem.WaitForLines("ATDT", 1, 5000));
    RunFor(5000);
    // What the Disconnect command does.
    theApp().m_bOnline.store(0);
    m_system->AbortCommand();
    m_system->ClearCommands();

    ASSERT_TRUE(RunUntil(
        [&] { return DebugLogText().find("DoCommand(): Command is null") != std::string::npos; },
        300000));
    RunFor(3000);
    EXPECT_EQ(m_modem.CountLines(kStatusRequest), 0);
    EXPECT_EQ(m_frame->Count(platform::WM_SYSTEM_STOP), 0);
}

TEST_F(DialTest, NoCarrierAfterThreeAttemptsFailsAndStopsTheSystem) {
    theApp().m_bOnline.store(1);
    SendStatusRequest();

    ASSERT_TRUE(RunUntil([&] { return m_frame->Count(platform::WM_SYSTEM_STOP) > 0; }, 400000));
    EXPECT_EQ(m_frame->Count(platform::WM_SYSTEM_STOP, 1), 1);
    EXPECT_EQ(LineTexts(), (std::vector<std::string>{"AT", "ATDT5551234", "AT", "ATDT5551234", "AT",
                                                     "ATDT5551234"}));
    // Two attempts of 2 + 2 + 45 + 10 s, then 2 + 2 + 45 s.
    const int64_t total = platform::Clock::NowMs() - TimeOf("AT");
    EXPECT_GE(total, 167000 - kJitterMs);
    EXPECT_GE(TimeOf("AT", 2) - TimeOf("AT"), 59000 - kJitterMs);
    EXPECT_NE(DebugLogText().find("DoCommand(): Connect fail!"), std::string::npos);
}

TEST_F(DialTest, EmptyNumberStillDials) {
    m_system->Port->SetAddress("");
    m_modem.ConnectAfterDial(3000);
    theApp().m_bOnline.store(1);
    SendStatusRequest();

    ASSERT_TRUE(m_modem.WaitForLines(kStatusRequest, 1, 5000));
    EXPECT_EQ(LineTexts(), (std::vector<std::string>{"AT", "ATDT", kStatusRequest}));
}

}  // namespace

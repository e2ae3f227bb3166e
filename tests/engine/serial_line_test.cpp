// The serial path of the port over pseudo-terminals: opening for exclusive use, the line
// settings, writing, the carrier rules, a device that vanishes while open, and closing while the
// read thread waits to hand a reply to the UI thread.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "app/state/app_state.h"
#include "engine/serial_custom_baud.h"
#include "engine/serial_line.h"
#include "platform/clock.h"
#include "tests/support/fake_modem.h"
#include "tests/support/pty_pair.h"
#include "tests/support/recording_page.h"
#include "tests/support/session_fixture.h"

namespace {

void ConfigureLine(CCommPort& port, const std::string& device, uint8_t commType = COMM_DIRECT) {
    port.CommType = commType;
    port.SerialNo = 1;
    port.Device = device;
    port.BaudIndex = 6;
    port.DataBits = 8;
    port.ParityIndex = 0;
    port.StopIndex = 0;
}

std::unique_ptr<CCommPort> LineOn(const std::string& device, uint8_t commType = COMM_DIRECT) {
    auto port = std::make_unique<CCommPort>();
    ConfigureLine(*port, device, commType);
    return port;
}

// Waits in real time for `done`.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class SerialLineTest : public SessionFixture {
protected:
    double TimeScale() const override { return 100.0; }
    void SetUp() override {
        SessionFixture::SetUp();
        ASSERT_TRUE(m_pty.Ok());
        EnableLogs(true, false);
    }
    bool Logged(const std::string& text) const {
        return DebugLogText().find(text) != std::string::npos;
    }

    PtyPair m_pty;
};

TEST_F(SerialLineTest, OpensRawForExclusiveUseAndRestoresTheLineOnClose) {
    termios before{};
    ASSERT_EQ(tcgetattr(m_pty.Master(), &before), 0);
    ASSERT_TRUE(before.c_lflag & ICANON);

    auto port = LineOn(m_pty.SlavePath());
    ASSERT_TRUE(port->Open());
    EXPECT_EQ(port->IsOpen.load(), 1);
    termios open{};
    ASSERT_EQ(tcgetattr(m_pty.Master(), &open), 0);
    EXPECT_FALSE(open.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(open.c_oflag & OPOST);
    EXPECT_TRUE(open.c_cflag & CLOCAL);
    EXPECT_TRUE(open.c_cflag & HUPCL);
    // A break on the line is dropped, not read as a 0x00 in the middle of a reply.
    EXPECT_TRUE(open.c_iflag & IGNBRK);
    EXPECT_FALSE(open.c_iflag & (BRKINT | PARMRK));
    EXPECT_EQ(cfgetospeed(&open), B9600);
    // Opening an open port changes nothing.
    EXPECT_TRUE(port->Open());

    // A second console (or any other program) is turned away as busy.
    auto second = LineOn(m_pty.SlavePath());
    EXPECT_FALSE(second->Open());
    EXPECT_EQ(second->IsOpen.load(), 0);
    EXPECT_TRUE(Logged("busy"));

    port->Close();
    EXPECT_EQ(port->IsOpen.load(), 0);
    termios after{};
    ASSERT_EQ(tcgetattr(m_pty.Master(), &after), 0);
    EXPECT_TRUE(after.c_lflag & ICANON);
    EXPECT_TRUE(second->Open());
}

TEST_F(SerialLineTest, EveryRateOfTheTableIsSetIncludingTheNonStandardOnes) {
    for (uint8_t index = 0; index < kBaudRates.size(); ++index) {
        auto port = LineOn(m_pty.SlavePath());
        port->BaudIndex = index;
        ASSERT_TRUE(port->Open()) << kBaudRates[index];
        EXPECT_EQ(ReadLineBaud(m_pty.Master()), kBaudRates[index]);
        port->Close();
    }
    auto port = LineOn(m_pty.SlavePath());
    port->BaudIndex = static_cast<uint8_t>(kBaudRates.size());
    EXPECT_FALSE(port->Open());
    EXPECT_TRUE(Logged("baud index 15 not in the table"));
}

TEST_F(SerialLineTest, SettingsTheLineCannotRunFailTheOpenWithTheReason) {
    auto port = LineOn(m_pty.SlavePath());
    port->StopIndex = 1;  // 1.5 stop bits
    EXPECT_FALSE(port->Open());
    EXPECT_TRUE(Logged("1.5 stop bits need 5 data bits; the line has 8"));

    // A pseudo-terminal always runs 8 bits without parity: asking for 7E1 must not pass as done.
    port->StopIndex = 0;
    port->DataBits = 7;
    EXPECT_FALSE(port->Open());
    EXPECT_TRUE(Logged("the line did not take its settings: data bits"));
    port->DataBits = 8;
    port->ParityIndex = 2;
    EXPECT_FALSE(port->Open());
    EXPECT_TRUE(Logged("the line did not take its settings: parity"));

    // Nothing stayed locked or changed by the failed attempts.
    termios now{};
    ASSERT_EQ(tcgetattr(m_pty.Master(), &now), 0);
    EXPECT_TRUE(now.c_lflag & ICANON);
    port->ParityIndex = 0;
    EXPECT_TRUE(port->Open());
}

TEST_F(SerialLineTest, MissingOrWrongDevicesFailClearly) {
    auto missing = LineOn("/dev/corvantis-no-such-line");
    EXPECT_FALSE(missing->Open());
    EXPECT_EQ(missing->IsOpen.load(), 0);
    EXPECT_TRUE(Logged("device /dev/corvantis-no-such-line not found"));

    const std::string file = m_temp.Path() + "/not-a-line";
    std::ofstream(file) << "x";
    auto wrong = LineOn(file);
    EXPECT_FALSE(wrong->Open());
    EXPECT_TRUE(Logged(file + " is not a serial line"));

    auto none = LineOn("");
    none->SerialNo = 0;
    EXPECT_FALSE(none->Open());
}

TEST(SerialOpenFailTest, TheOperatorCanTellMissingDeniedAndBusyApart) {
    EXPECT_EQ(SerialOpenFailReason("/dev/ttyUSB0", ENOENT), "device /dev/ttyUSB0 not found");
    EXPECT_EQ(SerialOpenFailReason("/dev/ttyS0", EACCES),
              "permission denied on /dev/ttyS0 (the user must be a member of the \"dialout\" "
              "group)");
    EXPECT_EQ(SerialOpenFailReason("/dev/ttyS0", EBUSY),
              "device /dev/ttyS0 busy (in use by another program)");
    EXPECT_EQ(SerialOpenFailReason("/dev/ttyS0", EIO),
              "cannot open /dev/ttyS0: Input/output error");
}

TEST_F(SerialLineTest, WritesReachTheLineByteExact) {
    auto port = LineOn(m_pty.SlavePath());
    ASSERT_TRUE(port->Open());
    std::string text = "/60.htm?val=0-0\r";
    text += std::string("\x00\xff\x11\x13\n", 5);
    ASSERT_TRUE(port->Write(text.data(), static_cast<int>(text.size())));
    EXPECT_EQ(
        m_pty.ReadUntil([&](const std::string& got) { return got.size() >= text.size(); }, 2000),
        text);
}

TEST_F(SerialLineTest, WriteGivesUpWhenTheLineTakesNothingFor5Seconds) {
    auto port = LineOn(m_pty.SlavePath());
    ASSERT_TRUE(port->Open());
    const std::string big(1 << 20, 'x');
    const int64_t start = platform::Clock::NowMs();
    EXPECT_FALSE(port->Write(big.data(), static_cast<int>(big.size())));
    EXPECT_GE(platform::Clock::NowMs() - start, 5000);
    EXPECT_TRUE(Logged("bytes in 5000 ms"));
}

TEST_F(SerialLineTest, ALineWithoutModemLinesIsUpWhileOpenOnlyWhenDirect) {
    auto direct = LineOn(m_pty.SlavePath());
    EXPECT_FALSE(direct->LinkUp());
    ASSERT_TRUE(direct->Open());
    EXPECT_FALSE(direct->ReportsModemLines());
    EXPECT_EQ(direct->Carrier.load(), 0);
    EXPECT_TRUE(direct->LinkUp());
    direct->Close();
    EXPECT_FALSE(direct->LinkUp());

    auto dialup = LineOn(m_pty.SlavePath(), COMM_DIALUP);
    ASSERT_TRUE(dialup->Open());
    EXPECT_FALSE(dialup->LinkUp());
}

TEST_F(SerialLineTest, CarrierFollowsDcdAsTheLineTypeSays) {
    FakeModem modem;
    ASSERT_TRUE(modem.Ok());

    // A carrier already on when the line opens counts at once.
    modem.SetCarrier(true);
    ModemLinePort dialup(modem);
    ConfigureLine(dialup, modem.Device(), COMM_DIALUP);
    ASSERT_TRUE(dialup.Open());
    EXPECT_TRUE(dialup.ReportsModemLines());
    EXPECT_EQ(dialup.Carrier.load(), 1);
    modem.SetCarrier(false);
    EXPECT_TRUE(WaitFor([&] { return dialup.Carrier.load() == 0; }));
    EXPECT_FALSE(dialup.LinkUp());
    modem.SetCarrier(true);
    EXPECT_TRUE(WaitFor([&] { return dialup.LinkUp(); }));
    dialup.Close();
    EXPECT_EQ(dialup.Carrier.load(), 0);

    // A direct line keeps its carrier once raised; one that reports DCD off is not up.
    modem.SetCarrier(false);
    ModemLinePort direct(modem);
    ConfigureLine(direct, modem.Device(), COMM_DIRECT);
    ASSERT_TRUE(direct.Open());
    EXPECT_FALSE(direct.LinkUp());
    modem.SetCarrier(true);
    EXPECT_TRUE(WaitFor([&] { return direct.Carrier.load() == 1; }));
    modem.SetCarrier(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(direct.Carrier.load(), 1);
    EXPECT_TRUE(direct.LinkUp());
}

TEST_F(SerialLineTest, AVanishedDeviceEndsTheReadThreadAndCanBeOpenedAgainWhenBack) {
    const std::string link = m_temp.Path() + "/ttyUSB-unit";
    ASSERT_TRUE(m_pty.LinkAs(link));
    auto port = LineOn(link);
    ASSERT_TRUE(port->Open());
    ASSERT_TRUE(port->LinkUp());

    m_pty.CloseMaster();  // the adapter is pulled out
    ASSERT_TRUE(WaitFor([&] { return port->IsOpen.load() == 0; }));
    EXPECT_FALSE(port->LinkUp());
    EXPECT_EQ(port->Carrier.load(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Occurrences(DebugLogText(), "serial line lost! reason: " + link), 1u);
    EXPECT_FALSE(port->Write("x", 1));

    PtyPair back;  // plugged in again
    ASSERT_TRUE(back.LinkAs(link));
    ASSERT_TRUE(port->Open());
    EXPECT_TRUE(port->LinkUp());
    ASSERT_TRUE(port->Write("AT\r", 3));
    EXPECT_EQ(back.ReadUntilText("AT\r", 2000), "AT\r");
}

// A System (worker not started) whose Status request has just been sent over a real line.
class SerialReplyTest : public SerialLineTest {
protected:
    void SetUp() override {
        SerialLineTest::SetUp();
        CSystem& system = MakeSystem(COMM_DIRECT);
        delete system.Port;
        m_port = nullptr;
        m_line = new CCommPort();
        ConfigureLine(*m_line, m_pty.SlavePath());
        m_line->Owner = &system;
        system.Port = m_line;
        std::lock_guard<std::mutex> lock(system.m_lock);
        system.CurCommand = new CCommandNode(1, CMD_PAGE_STATUS, "/60.htm?val=0-0\r");
        system.Status = STATUS_PAGE_STATUS;
    }

    CCommPort* m_line = nullptr;
    RecordingPage m_page{STATUS_PAGE_STATUS};
};

TEST_F(SerialReplyTest, AReplyReachesItsPage) {
    ASSERT_TRUE(m_line->Open());
    ASSERT_TRUE(m_pty.Write("/60.htm?val=0-0\r\n1;2;"));
    ASSERT_TRUE(m_pty.Write("3EOT"));
    ASSERT_TRUE(RunUntil([&] { return m_page.ReplyCount() == 1; }, 5000));
    EXPECT_EQ(m_page.Replies()[0], "1;2;3EOT");
}

TEST_F(SerialReplyTest, ClosingWhileAReplyWaitsForTheUiThreadDoesNotDeadlock) {
    CCommPort* port = m_line;
    RecordingPage& page = m_page;
    ASSERT_TRUE(port->Open());
    // The unit answers; the read thread then waits for this (UI) thread, which does not run.
    ASSERT_TRUE(m_pty.Write("/60.htm?val=0-0\r\n1;2;3EOT"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    const auto start = std::chrono::steady_clock::now();
    port->Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    RunFor(100);
    EXPECT_EQ(page.ReplyCount(), 0u);
}

TEST_F(SerialLineTest, CloseLetsTheLineSettle) {
    for (uint8_t type : {COMM_DIRECT, COMM_DIALUP}) {
        auto port = LineOn(m_pty.SlavePath(), type);
        ASSERT_TRUE(port->Open());
        const int64_t start = platform::Clock::NowMs();
        port->Close();
        EXPECT_GE(platform::Clock::NowMs() - start, type == COMM_DIALUP ? 1000 : 500);
    }
    // Nothing to wait for when nothing was open.
    auto closed = LineOn(m_pty.SlavePath());
    const int64_t start = platform::Clock::NowMs();
    closed->Close();
    EXPECT_LT(platform::Clock::NowMs() - start, 400);
}

}  // namespace

// The running console keeps its line: against the simulated unit, a session that ends without
// Disconnect (the peer closes the TCP connection, the unit goes silent past the idle limit, the
// serial device vanishes and comes back) leads to a new login by itself and the Status page polls
// again, with the pane saying what happens; Disconnect during the wait stops it, and with the
// setting off nothing reconnects. A dial-up line whose carrier never comes back is redialled
// within the hour's budget, and the modem's "BLACKLISTED" ends the reconnect. A direct line
// without carrier detect reads its pages with IgnoreCarrier=1, and without it the operator is
// told why not.
#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <memory>
#include <mutex>
#include <vector>

#include "app/core/document.h"
#include "app/frame_status_bar.h"
#include "app/main_frame.h"
#include "app/state/app_state.h"
#include "engine/comm_port.h"
#include "engine/system.h"
#include "platform/clock.h"
#include "sim/unit_simulator.h"
#include "tests/support/gui/console_harness.h"
#include "tests/support/gui/ui_wait.h"

namespace {

constexpr int kLongWaitMs = 60000;

// A direct or dial-up line to the unit's pseudo-terminal whose modem lines come from the test: a
// cable without DCD, or a modem whose carrier the test raises and drops. It counts the dial
// commands and can answer them as a modem that refuses the number.
class TestLinePort : public CCommPort {
public:
    ~TestLinePort() override { Close(); }

    std::atomic<bool> carrier{false};
    std::string dialAnswer;  // set before use

    bool Write(const char* bytes, int length) override {
        const std::string text(bytes, static_cast<size_t>(length));
        if (text.rfind("ATDT", 0) == 0) {
            {
                std::lock_guard<std::mutex> lock(m_lock);
                m_dials.push_back(platform::Clock::NowMs());
            }
            if (!dialAnswer.empty() && Owner) {
                const std::string answer = text + "\r\r\n" + dialAnswer + "\r\n";
                Owner->ProcessChunk(answer.data(), static_cast<int>(answer.size()));
            }
        }
        // The modem takes its command lines: the unit behind it never hears them.
        if (text == "AT" || text.rfind("ATDT", 0) == 0) {
            m_modemLine = true;
            return true;
        }
        if (text == "\r" && m_modemLine.exchange(false)) {
            return true;
        }
        return CCommPort::Write(bytes, length);
    }
    std::vector<int64_t> Dials() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_dials;
    }

protected:
    int ReadModemLines(int) override { return TIOCM_DSR | TIOCM_CTS | (carrier ? TIOCM_CAR : 0); }

private:
    mutable std::mutex m_lock;
    std::vector<int64_t> m_dials;
    std::atomic<bool> m_modemLine{false};
};

class ReconnectTest : public testing::Test {
protected:
    void SetUp() override { platform::Clock::SetTimeScale(5.0); }
    void TearDown() override {
        if (m_console && m_console->Document()) {
            m_console->Document()->OnDisconnect();
            UiWaitFor(300);
        }
        m_console.reset();
        m_unit.reset();
        platform::Clock::SetTimeScale(1.0);
    }

    void MakeUnit(const std::string& ptyLink = {}) {
        sim::UnitOptions options;
        options.clockText = "12:34";
        options.ptyLink = ptyLink;
        m_unit = std::make_unique<sim::UnitSimulator>(options);
    }
    void StartConsole(const std::string& ini) {
        m_console = std::make_unique<ConsoleHarness>(ini);
        ASSERT_TRUE(m_console->Start());
        m_console->Dialogs().phoneBookAnswer = [](CHalvoricDoc&) { return true; };
    }
    void StartTcp(const std::string& settings) {
        MakeUnit();
        const int port = m_unit->StartTcp("127.0.0.1", 0);
        ASSERT_GT(port, 0);
        StartConsole("[CommSetup]\r\nCommType=2\r\nTelephone=127.0.0.1 " + std::to_string(port) +
                     "\r\n[Settings]\r\n" + settings);
    }
    // A dial-up site 5551234 on a simulated unit behind a pty, its line the test's (m_line, with
    // carrier); `settings` go under [Settings] after AutoReconnect=1.
    void StartModem(const std::string& settings) {
        MakeUnit();
        const std::string device = m_unit->StartPty();
        ASSERT_FALSE(device.empty());
        ASSERT_NO_FATAL_FAILURE(
            StartConsole("[CommSetup]\r\nCommType=1\r\nTelephone=5551234\r\nDevice=" + device +
                         "\r\n[Settings]\r\nAutoReconnect=1\r\n" + settings));
        ASSERT_NE(UseTestLine(), nullptr);
        m_line->carrier = true;
    }
    // The console on `port` (a TestLinePort to the unit's pseudo-terminal).
    TestLinePort* UseTestLine() {
        CHalvoricDoc* doc = m_console->Document();
        doc->SetPortFactory([this] { return m_line = new TestLinePort; });
        EXPECT_TRUE(doc->AddCommPort(doc->FirstSystem()));
        return m_line;
    }

    CHalvoricDoc* Doc() const { return m_console->Document(); }
    QString Pane() const { return m_console->Frame()->StatusBar()->ConnectionText(); }
    bool Connected() const { return Pane() == "Connected" && theApp().m_bLoggedIn.load(); }
    bool Polled(size_t since) const { return m_unit->ReceivedRequests().size() > since; }

    void Connect() {
        ASSERT_TRUE(UiWaitUntil([this] { return Doc()->CanConnect(); }, kLongWaitMs));
        Doc()->OnConnect();
        ASSERT_TRUE(UiWaitUntil([this] { return Connected(); }, kLongWaitMs))
            << Pane().toStdString();
    }
    // The unit closes the connection in the middle of a reply, until the session is down.
    bool UnitClosesMidReply() {
        sim::FaultModes close;
        close.closeMidReply = true;
        m_unit->SetFaults(close);
        const bool down = UiWaitUntil([this] { return !Connected(); }, kLongWaitMs);
        m_unit->SetFaults({});
        return down;
    }
    // Waits for the pane to say "Reconnecting in", then for the new login and a Status poll.
    void ExpectReconnect(int loginsBefore) {
        const auto watch = [](const std::function<bool()>& done) {
            return UiWaitUntil(done, kLongWaitMs);
        };
        ASSERT_TRUE(watch([this] { return Pane().startsWith("Reconnecting in"); }))
            << Pane().toStdString();
        EXPECT_TRUE(Pane().endsWith("(attempt 1)")) << Pane().toStdString();
        ASSERT_TRUE(watch([&] { return Connected() && m_unit->LoginCount() > loginsBefore; }));
        m_unit->ClearReceivedRequests();
        EXPECT_TRUE(watch([this] { return Polled(0); })) << "the Status page does not poll";
        EXPECT_TRUE(watch([this] {
            return m_console->Frame()->StatusBar()->ReplyText().startsWith("Last reply");
        }));
        EXPECT_EQ(Doc()->LinkWatch().GetState(), CLinkWatch::State::Up);
    }

    std::unique_ptr<ConsoleHarness> m_console;
    std::unique_ptr<sim::UnitSimulator> m_unit;
    TestLinePort* m_line = nullptr;  // the System's
};

TEST_F(ReconnectTest, PeerThatClosesOrFallsSilentIsLoggedInAgainAndPollsResume) {
    ASSERT_NO_FATAL_FAILURE(StartTcp("AutoReconnect=1\r\n"));
    Connect();

    ASSERT_TRUE(UnitClosesMidReply());
    ExpectReconnect(1);

    // The unit stops answering: the idle limit ends the session, and once it answers again the
    // console is back by itself.
    sim::FaultModes silent;
    silent.silentReply = true;
    m_unit->SetFaults(silent);
    ASSERT_TRUE(UiWaitUntil([this] { return Pane().startsWith("Reconnecting in"); }, kLongWaitMs));
    m_unit->SetFaults({});
    ExpectReconnect(2);
}

TEST_F(ReconnectTest, DisconnectDuringTheWaitStopsItAndWithTheSettingOffNothingReconnects) {
    ASSERT_NO_FATAL_FAILURE(StartTcp("AutoReconnect=1\r\n"));
    Connect();
    ASSERT_TRUE(UnitClosesMidReply());
    ASSERT_TRUE(UiWaitUntil([this] { return Pane().startsWith("Reconnecting in"); }, kLongWaitMs));
    ASSERT_TRUE(Doc()->CanDisconnect());
    Doc()->OnDisconnect();
    // Longer than the first wait: no login comes.
    UiWaitFor(4000);
    EXPECT_EQ(m_unit->LoginCount(), 1);
    EXPECT_EQ(Pane(), "Disconnected");

    // The setting off (from the menu's command): the lost session stays lost, as it always did.
    Doc()->SetAutoReconnect(false);
    EXPECT_FALSE(theApp().m_bAutoReconnect.load());
    Connect();
    ASSERT_TRUE(UnitClosesMidReply());
    EXPECT_FALSE(UiWaitUntil([this] { return Pane().startsWith("Reconnecting"); }, 4000));
    EXPECT_EQ(m_unit->LoginCount(), 2);
    EXPECT_EQ(Doc()->LinkWatch().GetState(), CLinkWatch::State::Idle);
}

TEST_F(ReconnectTest, SerialDeviceThatVanishesAndComesBackIsLoggedInAgain) {
    TempDir dir;
    const std::string link = dir.Path() + "/ttyUnit";
    MakeUnit(link);
    ASSERT_FALSE(m_unit->StartPty().empty());
    ASSERT_NO_FATAL_FAILURE(StartConsole("[CommSetup]\r\nCommType=0\r\nDevice=" + link +
                                         "\r\n[Settings]\r\nAutoReconnect=1\r\n"));
    Connect();
    ASSERT_TRUE(UnitClosesMidReply());
    ExpectReconnect(1);
}

// A modem line whose carrier drops after the login and never comes back: the console redials by
// itself, but never more than MaxDialsPerHour times in any hour, and says until when it waits.
TEST_F(ReconnectTest, RedialsStayWithinTheHoursBudget) {
    ASSERT_NO_FATAL_FAILURE(StartModem("MaxDialsPerHour=4\r\n"));
    TestLinePort* line = m_line;
    Connect();
    // Two hours of redialling in a few seconds (the login above ran at the usual pace).
    platform::Clock::SetTimeScale(200.0);
    line->carrier = false;

    bool saidLimit = false;
    // Two scaled hours.
    const int64_t end = platform::Clock::NowMs() + 2 * CDialBudget::kHourMs;
    UiWaitUntil(
        [&] {
            saidLimit = saidLimit || Pane().startsWith("Redial limit: next call");
            return platform::Clock::NowMs() >= end;
        },
        kLongWaitMs);
    const std::vector<int64_t> dials = line->Dials();
    ASSERT_GE(dials.size(), 4u);
    for (size_t i = 0; i < dials.size(); ++i) {
        int inHour = 0;
        for (size_t j = i; j < dials.size() && dials[j] < dials[i] + CDialBudget::kHourMs; ++j) {
            ++inHour;
        }
        EXPECT_LE(inHour, 4) << "calls in the hour from call " << i;
    }
    EXPECT_TRUE(saidLimit);
}

TEST_F(ReconnectTest, ModemsBlacklistedAnswerEndsTheReconnectAndIsShown) {
    ASSERT_NO_FATAL_FAILURE(StartModem(""));
    TestLinePort* line = m_line;
    line->dialAnswer = "BLACKLISTED";
    Connect();
    platform::Clock::SetTimeScale(100.0);
    line->carrier = false;

    ASSERT_TRUE(UiWaitUntil([this] { return Pane() == "Modem: BLACKLISTED"; }, kLongWaitMs))
        << Pane().toStdString() << " dials " << line->Dials().size() << " state "
        << static_cast<int>(Doc()->LinkWatch().GetState()) << " refusal "
        << Doc()->FirstSystem()->ModemRefusal();
    const size_t dials = line->Dials().size();
    EXPECT_EQ(dials, 1u) << "a refused number is not dialled again by the console";
    EXPECT_EQ(Doc()->LinkWatch().GetState(), CLinkWatch::State::Stopped);
    EXPECT_TRUE(m_console->Frame()->StatusBar()->ConnectionTooltip().contains("BLACKLISTED"));
    UiWaitFor(3000);
    EXPECT_EQ(line->Dials().size(), dials);
}

// A direct line whose cable does not carry DCD: with IgnoreCarrier=1 the pages are read; without
// it the operator is told that they will not be, and which setting to change.
TEST_F(ReconnectTest, DirectLineWithoutCarrierReadsPagesOnlyWithIgnoreCarrier) {
    for (const bool ignore : {true, false}) {
        SCOPED_TRACE(ignore ? "IgnoreCarrier=1" : "no IgnoreCarrier");
        MakeUnit();
        const std::string device = m_unit->StartPty();
        ASSERT_FALSE(device.empty());
        ASSERT_NO_FATAL_FAILURE(StartConsole("[CommSetup]\r\nCommType=0\r\nDevice=" + device +
                                             (ignore ? "\r\nIgnoreCarrier=1" : "") + "\r\n"));
        ASSERT_NE(UseTestLine(), nullptr);
        ASSERT_TRUE(UiWaitUntil([this] { return Doc()->CanConnect(); }, kLongWaitMs));
        Doc()->OnConnect();
        if (ignore) {
            ASSERT_TRUE(UiWaitUntil([this] { return Connected() && Polled(0); }, kLongWaitMs));
        } else {
            ASSERT_TRUE(
                UiWaitUntil([this] { return Pane() == "Disconnected: no carrier"; }, kLongWaitMs))
                << Pane().toStdString();
            EXPECT_EQ(m_unit->LoginCount(), 1);
            EXPECT_TRUE(
                m_console->Frame()->StatusBar()->ConnectionTooltip().contains("IgnoreCarrier=1"));
            EXPECT_TRUE(m_console->Frame()->StatusBar()->MessageText().contains("IgnoreCarrier"));
            EXPECT_FALSE(Polled(0));
        }
        Doc()->OnDisconnect();
        UiWaitFor(300);
        m_console.reset();
        m_unit.reset();
    }
}

}  // namespace

// The running console against a simulated unit whose line misbehaves: silence, a slow line, bytes
// one by one, noise, 0x00 and 0xFF bytes, over-long text, "EOT" inside the data, a missing echo,
// a peer that hangs up mid-reply, a server that never accepts, a serial device that vanishes, a
// break on a serial line and a modem that never raises its carrier. For each: nothing crashes,
// the connection pane never says "Connected" for long when the console is not logged in on a
// live line (or the reverse), the Status page only ever shows what the unit sent, the UI loop
// never stalls, and once the fault is gone the console shows the unit again.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <cstdio>
#include <map>
#include <memory>
#include <set>

#include "app/core/document.h"
#include "app/frame_status_bar.h"
#include "app/halvoric_view.h"
#include "app/main_frame.h"
#include "app/state/app_state.h"
#include "engine/comm_port.h"
#include "engine/page_windows.h"
#include "pages/dlg_parent.h"
#include "pages/web_page_status.h"
#include "platform/clock.h"
#include "sim/unit_simulator.h"
#include "tests/support/fake_modem.h"
#include "tests/support/gui/console_harness.h"
#include "tests/support/gui/status_view.h"
#include "tests/support/gui/ui_stall_meter.h"
#include "tests/support/gui/ui_wait.h"

namespace {

// Program time runs five times faster: the 15 s idle limit and connect wait take 3 s, the
// one-second tick 200 ms and the Status poll 1 s.
constexpr double kTimeScale = 5.0;
constexpr int kLongWaitMs = 60000;
// How long the pane may disagree with the session (real ms): one tick and a loaded machine.
constexpr int64_t kPaneTruthMs = 2000;
// The longest the UI loop may be kept from turning (real ms): the console's own waits are 1000 ms.
constexpr int64_t kStallLimitMs = 1500;
const std::string kClock = "12:34";

enum class Phase { Login, Reply };
enum class Outcome {
    Works,   // the console logs in / the replies are shown
    Spoilt,  // nothing of the replies is shown, but the session stays logged in
    Drops    // the console gives the session up and says "Disconnected"
};
// How long a fault that spoils every reply is watched (real ms): beyond the idle limit.
constexpr int kSpoiltWatchMs = 4500;

struct FaultCase {
    const char* name;
    sim::FaultModes faults;
    Phase phase;
    Outcome outcome;
};

sim::FaultModes Fault(bool sim::FaultModes::*flag) {
    sim::FaultModes faults;
    faults.*flag = true;
    return faults;
}

sim::FaultModes Slow() {
    sim::FaultModes faults;
    faults.slowBaud = 300;
    return faults;
}

// "silent-login" becomes "silentlogin" in the test's name.
std::string CaseName(const testing::TestParamInfo<FaultCase>& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p) {
        if (*p != '-') {
            name += *p;
        }
    }
    return name;
}

std::ostream& operator<<(std::ostream& out, const FaultCase& c) {
    return out << c.name;
}

// Watches the connection pane against the session while the test turns the UI loop: the longest
// time the pane said "Connected" without a logged-in session on a live line, or the reverse.
class PaneTruth {
public:
    PaneTruth(ConsoleHarness& console) : m_console(console) { m_clock.start(); }

    QString Pane() const { return m_console.Frame()->StatusBar()->ConnectionText(); }
    bool SessionUp() const {
        const CSystem* system = m_console.Document()->FirstSystem();
        return theApp().m_bLoggedIn.load() != 0 && system && system->Port && system->Port->LinkUp();
    }
    void Check() {
        const bool says = Pane() == "Connected";
        if (says == SessionUp()) {
            m_lieSinceMs = -1;
            return;
        }
        const int64_t now = m_clock.elapsed();
        if (m_lieSinceMs < 0) {
            m_lieSinceMs = now;
        }
        m_longestLieMs = std::max(m_longestLieMs, now - m_lieSinceMs);
        m_saidConnected = m_saidConnected || says;
    }
    int64_t LongestLieMs() const { return m_longestLieMs; }
    bool SaidConnected() const { return m_saidConnected; }
    void ForgetConnected() { m_saidConnected = false; }

private:
    ConsoleHarness& m_console;
    QElapsedTimer m_clock;
    int64_t m_lieSinceMs = -1;
    int64_t m_longestLieMs = 0;
    bool m_saidConnected = false;
};

// The console started on `iniText` with the unit `unit`, its Status page, and the watches.
class FaultFixture : public testing::Test {
protected:
    void SetUp() override {
        platform::Clock::SetTimeScale(kTimeScale);
        m_console = std::make_unique<ConsoleHarness>();
    }
    void TearDown() override {
        if (m_meter) {
            m_meter->Stop();
            std::printf("%s\n", m_meter->Summary(m_what).c_str());
            EXPECT_LT(m_meter->LongestStallMs(), kStallLimitMs) << "the UI loop stalled";
        }
        if (m_truth) {
            std::printf("pane truth [%s]: longest disagreement %lld ms\n", m_what.c_str(),
                        static_cast<long long>(m_truth->LongestLieMs()));
        }
        m_truth.reset();
        m_meter.reset();
        m_console.reset();
        m_unit.reset();
        platform::Clock::SetTimeScale(1.0);
    }

    // Builds the unit, the views the Status page may show, and starts the console on `iniText`.
    void StartConsole(const std::string& iniText) {
        WriteFile(m_console->Dir() + "/Corvantis.ini", iniText);
        ASSERT_TRUE(m_console->Start());
        m_page =
            dynamic_cast<CWebPage_Status*>(m_console->Frame()->MainView()->PageHost()->Page(0));
        ASSERT_NE(m_page, nullptr);
        m_truth = std::make_unique<PaneTruth>(*m_console);
        m_meter = std::make_unique<UiStallMeter>();
    }

    void MakeUnit(const sim::UnitOptions& extra = {}) {
        sim::UnitOptions options = extra;
        options.seed = 11;
        options.clockText = kClock;
        m_unit = std::make_unique<sim::UnitSimulator>(options);
        m_allowed.insert(StatusViewOfNothing());
        AllowRecord(m_unit->Snapshot().StatusRecord(kClock));
    }

    // The view a page shows for the unit's `record` (made once per record: a page is not cheap).
    const std::string& ViewOf(const std::string& record) {
        auto it = m_views.find(record);
        if (it == m_views.end()) {
            // Building a page to compare with is the test's own work, not a stall of the console.
            if (m_meter) {
                m_meter->Pause();
            }
            it = m_views.emplace(record, StatusViewOfReply(record + "EOT")).first;
            if (m_meter) {
                m_meter->Resume();
            }
        }
        return it->second;
    }
    void AllowRecord(const std::string& record) { m_allowed.insert(ViewOf(record)); }

    // Runs a step of the simulator's own on the UI thread (SetFaults waits for its serving
    // thread to take the change), left out of the stall measure like ViewOf.
    void OnUnit(const std::function<void(sim::UnitSimulator&)>& step) {
        if (m_meter) {
            m_meter->Pause();
        }
        step(*m_unit);
        if (m_meter) {
            m_meter->Resume();
        }
    }
    void SetUnitFaults(const sim::FaultModes& faults) {
        OnUnit([&](sim::UnitSimulator& unit) { unit.SetFaults(faults); });
    }
    bool Shows(const std::string& record) { return StatusViewOf(*m_page) == ViewOf(record); }

    // Turns the UI loop until `done`, checking on every turn that the page shows only what the
    // unit sent and that the pane tells the truth.
    bool Watch(const std::function<bool()>& done, int timeoutMs) {
        return UiWaitUntil(
            [&] {
                CheckShownValues();
                m_truth->Check();
                return done();
            },
            timeoutMs);
    }
    void WatchFor(int ms) {
        Watch([] { return false; }, ms);
    }

    void CheckShownValues() {
        const std::string view = StatusViewOf(*m_page);
        if (m_allowed.count(view) == 0 && m_badViews < 3) {
            ++m_badViews;
            ADD_FAILURE() << "the Status page shows values the unit did not send:\n" << view;
        }
    }

    bool Connect() {
        CHalvoricDoc* doc = m_console->Document();
        // The pane and the menu follow the one-second tick: wait until "Connect" is on offer.
        if (!Watch([doc] { return doc->CanConnect() && !doc->FirstSystem()->HasCurCommand(); },
                   kLongWaitMs)) {
            ADD_FAILURE() << "Connect is not offered";
            return false;
        }
        m_console->Dialogs().phoneBookAnswer = [](CHalvoricDoc&) { return true; };
        doc->OnConnect();
        return true;
    }

    bool Connected() const { return m_truth->Pane() == "Connected" && theApp().m_bLoggedIn; }
    bool ShowsUnit() { return Shows(m_unit->Snapshot().StatusRecord(kClock)); }
    bool GaveUp() const {
        const CSystem* system = m_console->Document()->FirstSystem();
        return !system->HasCurCommand() && system->QueuesEmpty() && !theApp().m_bLoggedIn &&
               m_truth->Pane().startsWith("Disconnected");
    }

    // While every reply is spoilt the page keeps what it showed and the session stays logged in
    // past the idle limit; once the line is clean again the next poll's reply is shown, without
    // a new login.
    void ExpectSpoiltRepliesKeepTheSession() {
        const int logins = m_unit->LoginCount();
        ChangeUnit();
        EXPECT_FALSE(Watch([this] { return !Connected() || ShowsUnit(); }, kSpoiltWatchMs))
            << "pane: " << m_truth->Pane().toStdString();
        SetUnitFaults({});
        EXPECT_TRUE(Watch([this] { return Connected() && ShowsUnit(); }, kLongWaitMs));
        EXPECT_EQ(m_unit->LoginCount(), logins);
    }

    // Connects and waits until the Status page shows the unit.
    void ConnectAndShowUnit() {
        ASSERT_TRUE(Connect());
        ASSERT_TRUE(Watch([this] { return Connected() && ShowsUnit(); }, kLongWaitMs))
            << "pane: " << m_truth->Pane().toStdString();
    }

    // Changes what the unit will report, so that a new reply shows.
    void ChangeUnit() {
        OnUnit([](sim::UnitSimulator& unit) {
            unit.UpdateState([](sim::UnitState& state) {
                for (sim::Dryer& dryer : state.dryers) {
                    if (dryer.present) {
                        dryer.model = "FAULT TEST";
                        break;
                    }
                }
            });
        });
        AllowRecord(m_unit->Snapshot().StatusRecord(kClock));
    }

    std::unique_ptr<ConsoleHarness> m_console;
    std::unique_ptr<sim::UnitSimulator> m_unit;
    std::unique_ptr<PaneTruth> m_truth;
    std::unique_ptr<UiStallMeter> m_meter;
    CWebPage_Status* m_page = nullptr;
    std::set<std::string> m_allowed;
    std::map<std::string, std::string> m_views;
    int m_badViews = 0;
    std::string m_what;
};

class TcpFault : public FaultFixture, public testing::WithParamInterface<FaultCase> {
protected:
    void SetUp() override {
        FaultFixture::SetUp();
        m_what = std::string("fault ") + GetParam().name;
        MakeUnit();
        const int port = m_unit->StartTcp("127.0.0.1", 0);
        ASSERT_GT(port, 0) << m_unit->LastError();
        StartConsole("[CommSetup]\r\nCommType=2\r\nTelephone=127.0.0.1 " + std::to_string(port) +
                     "\r\n");
    }

    // The record as the page gets it while `faults` are on: the unit puts its marker bytes in
    // the middle of the data, and the receive side cuts the reply at the first "EOT". Allowed on
    // the page from now on.
    std::string FaultedRecord(const sim::FaultModes& faults) {
        std::string data = m_unit->Snapshot().StatusRecord(kClock);
        const std::string inserted =
            std::string(faults.eotInData ? "EOT" : "") + (faults.ffByte ? "\xFF" : "");
        data.insert(data.size() / 2, inserted);
        data = data.substr(0, data.find("EOT"));
        AllowRecord(data);
        return data;
    }
};

TEST_P(TcpFault, ConsoleTellsTheTruthAndRecovers) {
    const FaultCase& c = GetParam();
    if (c.phase == Phase::Login) {
        SetUnitFaults(c.faults);
        ASSERT_TRUE(Connect());
        if (c.outcome == Outcome::Works) {
            const std::string record = FaultedRecord(c.faults);
            ASSERT_TRUE(Watch([&] { return Connected() && Shows(record); }, kLongWaitMs))
                << "pane: " << m_truth->Pane().toStdString();
        } else {
            EXPECT_TRUE(Watch([this] { return m_truth->Pane() == "Connecting"; }, 5000));
            // The connect wait or the idle limit (15 s) ends the attempt.
            ASSERT_TRUE(Watch([this] { return GaveUp(); }, kLongWaitMs));
            EXPECT_FALSE(m_truth->SaidConnected());
            EXPECT_EQ(m_unit->LoginCount(), 0);
        }
    } else if (c.outcome == Outcome::Spoilt) {
        ConnectAndShowUnit();
        SetUnitFaults(c.faults);
        ExpectSpoiltRepliesKeepTheSession();
    } else {
        ConnectAndShowUnit();
        SetUnitFaults(c.faults);
        ChangeUnit();
        if (c.outcome == Outcome::Works) {
            const std::string record = FaultedRecord(c.faults);
            ASSERT_TRUE(Watch([&] { return Shows(record); }, kLongWaitMs));
            EXPECT_TRUE(Connected());
        } else {
            ASSERT_TRUE(Watch([this] { return GaveUp(); }, kLongWaitMs));
        }
    }

    // The fault is gone: the console logs in (again) and shows the unit as it is now.
    SetUnitFaults({});
    if (!Connected()) {
        ConnectAndShowUnit();
    } else {
        ASSERT_TRUE(Watch([this] { return ShowsUnit(); }, kLongWaitMs));
    }
    WatchFor(500);
    EXPECT_LT(m_truth->LongestLieMs(), kPaneTruthMs) << "the pane disagreed with the session";
}

const FaultCase kTcpCases[] = {
    {"silent-login", Fault(&sim::FaultModes::silentLogin), Phase::Login, Outcome::Drops},
    {"never-accept", Fault(&sim::FaultModes::neverAccept), Phase::Login, Outcome::Drops},
    {"slow-login", Slow(), Phase::Login, Outcome::Works},
    {"split-login", Fault(&sim::FaultModes::splitBytes), Phase::Login, Outcome::Works},
    {"garbage-login", Fault(&sim::FaultModes::garbage), Phase::Login, Outcome::Works},
    {"ff-login", Fault(&sim::FaultModes::ffByte), Phase::Login, Outcome::Works},
    {"silent-reply", Fault(&sim::FaultModes::silentReply), Phase::Reply, Outcome::Drops},
    {"slow-reply", Slow(), Phase::Reply, Outcome::Works},
    {"split-reply", Fault(&sim::FaultModes::splitBytes), Phase::Reply, Outcome::Works},
    {"garbage-reply", Fault(&sim::FaultModes::garbage), Phase::Reply, Outcome::Works},
    {"nul-reply", Fault(&sim::FaultModes::nulByte), Phase::Reply, Outcome::Spoilt},
    {"ff-reply", Fault(&sim::FaultModes::ffByte), Phase::Reply, Outcome::Works},
    {"overlong-reply", Fault(&sim::FaultModes::overlong), Phase::Reply, Outcome::Drops},
    {"eot-in-data", Fault(&sim::FaultModes::eotInData), Phase::Reply, Outcome::Works},
    {"no-echo", Fault(&sim::FaultModes::noEcho), Phase::Reply, Outcome::Drops},
    {"close-mid-reply", Fault(&sim::FaultModes::closeMidReply), Phase::Reply, Outcome::Drops},
};

INSTANTIATE_TEST_SUITE_P(Faults, TcpFault, testing::ValuesIn(kTcpCases), CaseName);

// The operator presses Disconnect while the fault holds the session: the pane says so at once,
// nothing waits on the UI thread, and the next Connect works once the fault is gone.
class TcpFaultDisconnect : public TcpFault {};

TEST_P(TcpFaultDisconnect, DisconnectDuringTheFaultEndsItAndConnectWorksAfter) {
    const FaultCase& c = GetParam();
    m_what = std::string("Disconnect during ") + c.name;
    if (c.phase == Phase::Reply) {
        ConnectAndShowUnit();
    }
    SetUnitFaults(c.faults);
    if (c.phase == Phase::Login) {
        ASSERT_TRUE(Connect());
    }
    // The fault holds a command: a login step or a poll the unit does not finish.
    const CSystem* system = m_console->Document()->FirstSystem();
    ASSERT_TRUE(Watch([system] { return system->HasCurCommand(); }, 10000));
    WatchFor(500);
    m_console->Document()->OnDisconnect();
    EXPECT_TRUE(Watch([this] { return GaveUp(); }, static_cast<int>(kPaneTruthMs)));

    SetUnitFaults({});
    ConnectAndShowUnit();
    EXPECT_LT(m_truth->LongestLieMs(), kPaneTruthMs) << "the pane disagreed with the session";
}

const FaultCase kDisconnectCases[] = {
    {"silent-login", Fault(&sim::FaultModes::silentLogin), Phase::Login, Outcome::Drops},
    {"never-accept", Fault(&sim::FaultModes::neverAccept), Phase::Login, Outcome::Drops},
    {"silent-reply", Fault(&sim::FaultModes::silentReply), Phase::Reply, Outcome::Drops},
    {"overlong-reply", Fault(&sim::FaultModes::overlong), Phase::Reply, Outcome::Drops},
};

INSTANTIATE_TEST_SUITE_P(Faults, TcpFaultDisconnect, testing::ValuesIn(kDisconnectCases), CaseName);

// A direct serial line to the unit on a pseudo-terminal; "the device" is a link that points at
// the current terminal, as /dev/serial/by-id does.
class SerialFault : public FaultFixture {
protected:
    // The unit on a pseudo-terminal behind a link, and the console on a direct line to it.
    void StartOnPtyUnit() {
        sim::UnitOptions options;
        options.ptyLink = m_console->Dir() + "/ttyUnit";
        MakeUnit(options);
        ASSERT_FALSE(m_unit->StartPty().empty()) << m_unit->LastError();
        StartConsole("[CommSetup]\r\nCommType=0\r\nDevice=" + options.ptyLink + "\r\n");
    }
};

TEST_F(SerialFault, DeviceThatVanishesMidSessionIsReportedAndComesBack) {
    m_what = "serial device vanishes";
    ASSERT_NO_FATAL_FAILURE(StartOnPtyUnit());

    ConnectAndShowUnit();
    // Half a reply, then the terminal's far end closes: the device is gone.
    SetUnitFaults(Fault(&sim::FaultModes::closeMidReply));
    ASSERT_TRUE(Watch([this] { return GaveUp(); }, kLongWaitMs));
    m_truth->ForgetConnected();

    SetUnitFaults({});
    ChangeUnit();
    ConnectAndShowUnit();
    EXPECT_EQ(m_unit->LoginCount(), 2);
    WatchFor(500);
    EXPECT_LT(m_truth->LongestLieMs(), kPaneTruthMs) << "the pane disagreed with the session";
}

TEST_F(SerialFault, BreakInsideAReplyLosesThatReplyNotTheSession) {
    m_what = "serial break inside replies";
    ASSERT_NO_FATAL_FAILURE(StartOnPtyUnit());

    ConnectAndShowUnit();
    // A terminal cannot carry a real break; the unit sends it as a line without IGNBRK delivers
    // it: a 0x00 byte inside the reply's data.
    SetUnitFaults(Fault(&sim::FaultModes::nulByte));
    ExpectSpoiltRepliesKeepTheSession();
    EXPECT_LT(m_truth->LongestLieMs(), kPaneTruthMs) << "the pane disagreed with the session";
}

// A dial-up line whose modem answers every command but never raises its carrier: the console
// dials three times, gives up and says "Disconnected"; the next Connect dials again.
class ModemFault : public FaultFixture {
protected:
    // The 167 s dial procedure, three times, in a few real seconds.
    void SetUp() override {
        FaultFixture::SetUp();
        platform::Clock::SetTimeScale(100.0);
    }
};

TEST_F(ModemFault, CarrierThatNeverComesEndsTheCallAndTheNextConnectDialsAgain) {
    m_what = "modem without carrier";
    FakeModem modem;
    ASSERT_TRUE(modem.Ok());
    MakeUnit();
    StartConsole("[CommSetup]\r\nCommType=1\r\nTelephone=5551234\r\nDevice=" + modem.Device() +
                 "\r\n");
    CHalvoricDoc* doc = m_console->Document();
    doc->SetPortFactory([&modem] { return new ModemLinePort(modem); });
    ASSERT_TRUE(doc->AddCommPort(doc->FirstSystem()));

    ASSERT_TRUE(Connect());
    EXPECT_TRUE(Watch([this] { return m_truth->Pane() == "Connecting"; }, 5000));
    ASSERT_TRUE(Watch([this] { return GaveUp(); }, kLongWaitMs));
    const int dials = modem.CountLines("ATDT");
    EXPECT_GE(dials, 1);
    EXPECT_FALSE(m_truth->SaidConnected());

    ASSERT_TRUE(Connect());
    EXPECT_TRUE(modem.WaitForLines("ATDT", dials + 1, 20000));
    EXPECT_TRUE(Watch([this] { return GaveUp(); }, kLongWaitMs));
    EXPECT_LT(m_truth->LongestLieMs(), kPaneTruthMs) << "the pane disagreed with the session";
    doc->OnDisconnect();
    WatchFor(300);
}

}  // namespace

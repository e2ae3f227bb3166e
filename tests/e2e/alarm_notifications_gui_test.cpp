// The alarm notifications of the running console, on a D-Bus session bus of the test's own with
// a notification service of the test's own that records every call: a dryer put in alarm on the
// simulated unit gives one critical notification at the first poll that shows it and none for
// the polls after; the clear gives one; an alarm nobody acknowledged is told again after the
// (scaled) interval until "Acknowledge"; a dropped link gives one and its return one; the
// operator's own Disconnect gives none; a bus without a notification service leaves the console
// working and says so once in the debug log.
#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QTabBar>
#include <cstdlib>
#include <memory>

#include "app/alarms/alarm_tray.h"
#include "app/alarms/alarm_watch.h"
#include "app/core/document.h"
#include "app/halvoric_view.h"
#include "app/main_frame.h"
#include "app/state/app_state.h"
#include "pages/dlg_parent.h"
#include "platform/clock.h"
#include "tests/support/gui/alarm_console.h"
#include "tests/support/gui/notification_server.h"
#include "tests/support/gui/page_fixture.h"
#include "tests/support/gui/ui_wait.h"
#include "tests/support/session_bus.h"

namespace {

constexpr double kTimeScale = 20.0;
constexpr int kWaitMs = 30000;
// One minute of program time, in real milliseconds.
constexpr int kMinuteRealMs = static_cast<int>(60000 / kTimeScale);

size_t Count(const std::string& text, const std::string& part) {
    size_t found = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++found;
    }
    return found;
}

class AlarmNotifications : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_bus = new PrivateSessionBus;
        ASSERT_FALSE(s_bus->Address().empty()) << s_bus->Error();
        // Before the console's first use of the session bus.
        setenv("DBUS_SESSION_BUS_ADDRESS", s_bus->Address().c_str(), 1);
        EnsureQtApplication();
        s_server = new NotificationServer(QString::fromStdString(s_bus->Address()));
        ASSERT_TRUE(s_server->Ready());
    }
    static void TearDownTestSuite() {
        delete s_server;
        s_server = nullptr;
        delete s_bus;
        s_bus = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(s_server && s_server->Ready());
        platform::Clock::SetTimeScale(kTimeScale);
    }
    void TearDown() override {
        m_console.reset();
        s_server->Register();
        s_server->Clear();
        platform::Clock::SetTimeScale(1.0);
    }

    // Starts the console with `settings` and forgets what the service heard until it was up.
    void Start(const std::string& settings) {
        m_console = std::make_unique<AlarmConsole>(settings);
        ASSERT_TRUE(m_console->Start());
        WaitPolls(2);
        EXPECT_EQ(s_server->Notifications().size(), 0u) << "a unit without alarms";
        s_server->Clear();
    }
    // Turns the loop until the unit heard `polls` more status requests.
    void WaitPolls(size_t polls) {
        const size_t until = m_console->StatusRequests() + polls;
        ASSERT_TRUE(UiWaitUntil([&] { return m_console->StatusRequests() >= until; }, kWaitMs));
    }
    bool WaitNotifications(size_t count) {
        return UiWaitUntil([count] { return s_server->Notifications().size() >= count; }, kWaitMs);
    }
    CAlarmWatch& Alarms() { return m_console->Alarms(); }

    static PrivateSessionBus* s_bus;
    static NotificationServer* s_server;
    std::unique_ptr<AlarmConsole> m_console;
};

PrivateSessionBus* AlarmNotifications::s_bus = nullptr;
NotificationServer* AlarmNotifications::s_server = nullptr;

TEST_F(AlarmNotifications, OneNotificationPerChangeNeverOnePerPoll) {
    Start("RenotifyMinutes=0\r\nAlarmSound=1\r\n");
    const int dryer = m_console->SomeDryer();
    const std::string name = "Dryer " + std::to_string(dryer);
    size_t requestsAtRaise = 0;
    QObject::connect(&Alarms(), &CAlarmWatch::raised,
                     [&] { requestsAtRaise = m_console->StatusRequests(); });

    const size_t before = m_console->StatusRequests();
    ASSERT_TRUE(m_console->Unit().RaiseAlarm(dryer));
    ASSERT_TRUE(WaitNotifications(1));
    // Told from the first poll after the raise (one may have been on its way already).
    EXPECT_LE(requestsAtRaise, before + 1);
    const NotifyCall alarm = s_server->Notifications()[0];
    EXPECT_TRUE(alarm.Critical());
    EXPECT_EQ(alarm.summary.toStdString(), name + " in alarm at North Plant");
    const std::string when = m_console->Unit().Snapshot().dryers[dryer - 1].alarmTime;
    EXPECT_NE(alarm.body.indexOf(QString::fromStdString("Alarm date/time: " + when)), -1)
        << alarm.body.toStdString();
    EXPECT_NE(alarm.body.indexOf("Site: North Plant"), -1);
    EXPECT_NE(alarm.body.indexOf("Status: "), -1);
    EXPECT_NE(alarm.body.indexOf("Model: "), -1);
    EXPECT_EQ(alarm.hints.value("sound-name").toString(), "alarm-clock-elapsed");
    EXPECT_TRUE(alarm.actions.contains("acknowledge"));
    EXPECT_TRUE(alarm.actions.contains("default"));
    EXPECT_EQ(Alarms().Tray().Look().state, TrayState::Alarm);
    EXPECT_NE(Alarms().Tray().Look().tooltip.find("In alarm: dryer " + std::to_string(dryer)),
              std::string::npos);
    CMainFrame* frame = m_console->Console().Frame();
    EXPECT_EQ(frame->windowTitle().toStdString(),
              frame->isActiveWindow() ? "Corvantis"
                                      : "ALARM dryer " + std::to_string(dryer) + " - Corvantis");

    WaitPolls(4);
    EXPECT_EQ(s_server->Notifications().size(), 1u) << "unchanged polls";

    m_console->Unit().UpdateState([dryer](sim::UnitState& s) { s.ResetDryer(dryer); });
    ASSERT_TRUE(WaitNotifications(2));
    const NotifyCall clear = s_server->Notifications()[1];
    EXPECT_FALSE(clear.Critical());
    EXPECT_EQ(clear.summary.toStdString(), name + " alarm cleared at North Plant");
    // The clear takes the alarm's place on the screen.
    EXPECT_EQ(clear.replacesId, alarm.id);
    EXPECT_TRUE(clear.hints.value("sound-name").isNull());
    WaitPolls(4);
    EXPECT_EQ(s_server->Notifications().size(), 2u);
    EXPECT_EQ(Alarms().Tray().Look().state, TrayState::Connected);
    EXPECT_EQ(frame->windowTitle(), "Corvantis");

    const std::string log = m_console->LogText("System001");
    EXPECT_EQ(Count(log, " : <Alarm raised: dryer " + std::to_string(dryer) + ", " + when), 1u)
        << log;
    EXPECT_EQ(Count(log, " : <Alarm cleared: dryer " + std::to_string(dryer) + ">\r\n"), 1u);
}

TEST_F(AlarmNotifications, RemindsUntilAcknowledged) {
    Start("RenotifyMinutes=1\r\n");
    const int dryer = m_console->SomeDryer();
    ASSERT_TRUE(m_console->Unit().RaiseAlarm(dryer));
    ASSERT_TRUE(WaitNotifications(1));
    QElapsedTimer sinceRaise;
    sinceRaise.start();
    const NotifyCall first = s_server->Notifications()[0];
    EXPECT_FALSE(first.hints.contains("sound-name")) << "AlarmSound is off";

    ASSERT_TRUE(WaitNotifications(2));
    EXPECT_GE(sinceRaise.elapsed(), kMinuteRealMs * 9 / 10);
    const NotifyCall reminder = s_server->Notifications()[1];
    EXPECT_TRUE(reminder.Critical());
    EXPECT_EQ(reminder.replacesId, first.id);
    EXPECT_NE(reminder.summary.indexOf("still in alarm"), -1);

    // A click on the notification brings the window up on the Status page.
    QTabBar* tabs = m_console->Console().Frame()->MainView()->PageHost()->TabCtrl().TabBar();
    tabs->setCurrentIndex(1);
    m_console->Console().Frame()->showMinimized();
    s_server->InvokeAction(reminder.id, "default");
    ASSERT_TRUE(UiWaitUntil([&] { return tabs->currentIndex() == 0; }, kWaitMs));
    EXPECT_FALSE(m_console->Console().Frame()->isMinimized());
    EXPECT_EQ(m_console->Console().Document()->m_nActivePage.load(), PAGE_STATUS);

    // "Acknowledge" on the notification: the reminders stop, the unit hears nothing of it.
    const size_t requestsBefore = m_console->Unit().ReceivedRequests().size();
    s_server->InvokeAction(reminder.id, "acknowledge");
    ASSERT_TRUE(UiWaitUntil([&] { return Alarms().Tracker().Acknowledged(dryer); }, kWaitMs));
    EXPECT_FALSE(Alarms().AcknowledgeAction()->isEnabled());

    // A second alarm, acknowledged from the menu.
    const int other = dryer == 8 ? 1 : dryer + 1;
    ASSERT_TRUE(m_console->Unit().RaiseAlarm(other));
    ASSERT_TRUE(WaitNotifications(3));
    ASSERT_TRUE(Alarms().AcknowledgeAction()->isEnabled());
    Alarms().AcknowledgeAction()->trigger();
    EXPECT_TRUE(Alarms().Tracker().Acknowledged(other));

    UiWaitFor(kMinuteRealMs * 2 + 500);
    EXPECT_EQ(s_server->Notifications().size(), 3u);
    for (const std::string& request : m_console->Unit().ReceivedRequests()) {
        EXPECT_EQ(request.rfind("/51.", 0), std::string::npos) << "a write went to the unit";
    }
    EXPECT_GT(m_console->Unit().ReceivedRequests().size(), requestsBefore);
    const std::string log = m_console->LogText("System001");
    EXPECT_EQ(Count(log, " : <Alarm acknowledged: dryer " + std::to_string(dryer) + ">\r\n"), 1u);
    EXPECT_EQ(Count(log, " : <Alarm acknowledged: dryer " + std::to_string(other) + ">\r\n"), 1u);
}

TEST_F(AlarmNotifications, ALostLinkIsToldOnceAndItsReturnOnceButNotTheOperatorsDisconnect) {
    Start("");
    m_console->ReplaceUnit();  // the unit's line goes
    ASSERT_TRUE(WaitNotifications(1));
    const NotifyCall lost = s_server->Notifications()[0];
    EXPECT_EQ(lost.summary, "Link to North Plant lost");
    EXPECT_EQ(lost.hints.value("category").toString(), "network.disconnected");
    EXPECT_EQ(Alarms().Tray().Look().state, TrayState::Disconnected);
    UiWaitFor(5 * 1000 / static_cast<int>(kTimeScale) + 300);  // five ticks of the line down
    EXPECT_EQ(s_server->Notifications().size(), 1u);

    ASSERT_TRUE(m_console->Connect());
    ASSERT_TRUE(WaitNotifications(2));
    EXPECT_EQ(s_server->Notifications()[1].summary, "Link to North Plant is back");
    EXPECT_EQ(s_server->Notifications()[1].replacesId, lost.id);

    m_console->Console().Document()->OnDisconnect();
    ASSERT_TRUE(UiWaitUntil([&] { return Alarms().Tray().Look().state == TrayState::Disconnected; },
                            kWaitMs));
    UiWaitFor(5 * 1000 / static_cast<int>(kTimeScale) + 300);
    EXPECT_EQ(s_server->Notifications().size(), 2u);
}

TEST_F(AlarmNotifications, WithoutAServiceTheConsoleGoesOnAndSaysSoOnce) {
    s_server->Unregister();
    Start("");
    const int dryer = m_console->SomeDryer();
    ASSERT_TRUE(m_console->Unit().RaiseAlarm(dryer));
    ASSERT_TRUE(UiWaitUntil([&] { return Alarms().Tracker().InAlarm(dryer); }, kWaitMs));
    m_console->Unit().UpdateState([dryer](sim::UnitState& s) { s.ResetDryer(dryer); });
    ASSERT_TRUE(UiWaitUntil([&] { return !Alarms().Tracker().InAlarm(dryer); }, kWaitMs));
    const std::string phrase = "no notification service on the session bus";
    ASSERT_TRUE(
        UiWaitUntil([&] { return Count(m_console->LogText("OPDebug"), phrase) > 0; }, kWaitMs));
    WaitPolls(2);
    EXPECT_EQ(Count(m_console->LogText("OPDebug"), phrase), 1u);
    EXPECT_EQ(Count(m_console->LogText("System001"), "<Alarm cleared: dryer "), 1u);
    EXPECT_TRUE(s_server->Notifications().empty());
}

}  // namespace

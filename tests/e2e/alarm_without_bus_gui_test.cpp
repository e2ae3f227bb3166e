// The console on a desktop without a D-Bus session bus: it connects, shows and tracks the alarm
// of a dryer, logs it, and says once in the debug log that there are no desktop notifications.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/alarms/alarm_tray.h"
#include "app/alarms/alarm_watch.h"
#include "app/main_frame.h"
#include "controls/static_ex.h"
#include "pages/web_page_status.h"
#include "tests/support/gui/alarm_console.h"
#include "tests/support/gui/page_fixture.h"
#include "tests/support/gui/ui_wait.h"

namespace {

constexpr int kWaitMs = 30000;

TEST(AlarmWithoutBus, TheConsoleWorksAndSaysOnceThatThereAreNoNotifications) {
    // A bus address where no bus listens, before anything opens the session bus.
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/corvantis-test-bus", 1);
    EnsureQtApplication();
    AlarmConsole console("");
    ASSERT_TRUE(console.Start());
    const int dryer = console.SomeDryer();
    ASSERT_TRUE(console.Unit().RaiseAlarm(dryer));
    const CStaticEx* lamp = console.Page().Row(dryer - 1).alarm;
    ASSERT_TRUE(UiWaitUntil([&] { return !lamp->isHidden(); }, kWaitMs));
    ASSERT_TRUE(UiWaitUntil([&] { return console.Alarms().Tracker().InAlarm(dryer); }, kWaitMs));
    EXPECT_EQ(console.Alarms().Tray().Look().state, TrayState::Alarm);
    console.Alarms().AcknowledgeAll();
    EXPECT_TRUE(console.Alarms().Tracker().Acknowledged(dryer));

    const std::string session = console.LogText("System001");
    EXPECT_NE(session.find(" : <Alarm raised: dryer " + std::to_string(dryer) + ", "),
              std::string::npos);
    EXPECT_NE(session.find(" : <Alarm acknowledged: dryer " + std::to_string(dryer) + ">"),
              std::string::npos);
    const std::string debug = console.LogText("OPDebug");
    const std::string phrase = "Desktop notifications off: no session bus";
    const size_t first = debug.find(phrase);
    EXPECT_NE(first, std::string::npos) << debug;
    EXPECT_EQ(debug.find(phrase, first + 1), std::string::npos);
    EXPECT_EQ(debug.find("Desktop notification Notify"), std::string::npos);
}

}  // namespace

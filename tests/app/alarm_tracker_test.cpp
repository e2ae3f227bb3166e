// The alarm decisions without a window: which Status replies raise, clear and remind of a dryer's
// alarm, what acknowledging stops, when a connection state is a lost or returned link, and what
// the tray icon and the window title say.
#include "app/core/alarm_tracker.h"

#include <gtest/gtest.h>

#include "app/core/alarm_notices.h"
#include "app/core/alarm_settings.h"
#include "app/core/tray_look.h"
#include "platform/ini_file.h"
#include "platform/window_messages.h"

namespace {

using Kind = AlarmEventKind;
constexpr int64_t kMinute = 60 * 1000;
constexpr int kConnected = platform::CONNECT_STATUS_CONNECTED;
constexpr int kConnecting = platform::CONNECT_STATUS_CONNECTING;
constexpr int kDisconnected = platform::CONNECT_STATUS_DISCONNECTED;

// A /60 reply with `alarmMask` and the detail of dryer 3 (the others green).
StatusReply Reply(int alarmMask, const std::string& dryer3 = "Green,,Online,XL") {
    std::string text = std::to_string(alarmMask) + ";255;0";
    for (int n = 1; n <= 8; ++n) {
        text += ";" + (n == 3 ? dryer3 : std::string("Green,,Online,XL"));
    }
    return ParseStatusReply(text + ";24HR;;16:52;2;A;No");
}

std::vector<std::pair<Kind, int>> Kinds(const std::vector<AlarmEvent>& events) {
    std::vector<std::pair<Kind, int>> kinds;
    for (const AlarmEvent& event : events) {
        kinds.emplace_back(event.kind, event.dryer);
    }
    return kinds;
}

using Events = std::vector<std::pair<Kind, int>>;

TEST(AlarmTracker, EachChangeIsToldOnceAndRepeatedRepliesNever) {
    CAlarmTracker tracker(0);
    EXPECT_EQ(Kinds(tracker.OnStatus(Reply(0), 0)), Events{});
    // The lamp alone (bit 7 is dryer 1), and the red row alone, are alarms.
    EXPECT_EQ(Kinds(tracker.OnStatus(Reply(128), 10)), (Events{{Kind::Raised, 1}}));
    const auto red = tracker.OnStatus(Reply(128, "Red,2016-11-07 16:47,Alarm,XL"), 20);
    ASSERT_EQ(Kinds(red), (Events{{Kind::Raised, 3}}));
    EXPECT_EQ(red[0].alarmTime, "2016-11-07 16:47");
    EXPECT_EQ(AlarmLogLine(red[0]), "<Alarm raised: dryer 3, 2016-11-07 16:47, Alarm, XL>");
    for (int poll = 0; poll < 5; ++poll) {
        EXPECT_EQ(Kinds(tracker.OnStatus(Reply(128, "Red,2016-11-07 16:47,Alarm,XL"), 30)),
                  Events{});
    }
    EXPECT_EQ(tracker.DryersInAlarm(), (std::vector<int>{1, 3}));

    const auto cleared = tracker.OnStatus(Reply(0, "Green,,Online,XL"), 40);
    EXPECT_EQ(Kinds(cleared), (Events{{Kind::Cleared, 1}, {Kind::Cleared, 3}}));
    EXPECT_EQ(AlarmLogLine(cleared[1]), "<Alarm cleared: dryer 3>");
    EXPECT_EQ(Kinds(tracker.OnStatus(Reply(0), 50)), Events{});
    EXPECT_TRUE(tracker.DryersInAlarm().empty());
}

TEST(AlarmTracker, RemindsUntilAcknowledgedAndANewAlarmTimeNeedsANewAcknowledge) {
    CAlarmTracker tracker(15 * kMinute);
    tracker.OnStatus(Reply(0, "Red,10:00,Alarm,XL"), 0);
    EXPECT_EQ(Kinds(tracker.OnTick(15 * kMinute - 1)), Events{});
    EXPECT_EQ(Kinds(tracker.OnTick(15 * kMinute)), (Events{{Kind::Renotified, 3}}));
    // A tick that comes late reminds once, and the next reminder counts from it.
    EXPECT_EQ(Kinds(tracker.OnTick(50 * kMinute)), (Events{{Kind::Renotified, 3}}));
    EXPECT_EQ(Kinds(tracker.OnTick(64 * kMinute)), Events{});
    EXPECT_EQ(Kinds(tracker.OnTick(65 * kMinute)), (Events{{Kind::Renotified, 3}}));

    EXPECT_TRUE(tracker.Acknowledge(5).empty());  // not in alarm
    const auto ack = tracker.Acknowledge(3);
    EXPECT_EQ(Kinds(ack), (Events{{Kind::Acknowledged, 3}}));
    EXPECT_EQ(AlarmLogLine(ack[0]), "<Alarm acknowledged: dryer 3>");
    EXPECT_TRUE(tracker.Acknowledge(3).empty());
    EXPECT_TRUE(tracker.AcknowledgeAll().empty());
    EXPECT_FALSE(tracker.AnyUnacknowledged());
    EXPECT_EQ(Kinds(tracker.OnTick(200 * kMinute)), Events{});
    // The same alarm polled again stays acknowledged; the unit raising it anew does not.
    EXPECT_EQ(Kinds(tracker.OnStatus(Reply(0, "Red,10:00,Alarm,XL"), 201 * kMinute)), Events{});
    EXPECT_EQ(Kinds(tracker.OnStatus(Reply(0, "Red,11:30,Alarm,XL"), 202 * kMinute)),
              (Events{{Kind::Raised, 3}}));
    EXPECT_TRUE(tracker.AnyUnacknowledged());
    EXPECT_EQ(Kinds(tracker.OnTick(217 * kMinute)), (Events{{Kind::Renotified, 3}}));

    // An alarm that clears and comes back needs a new acknowledge too.
    tracker.AcknowledgeAll();
    tracker.OnStatus(Reply(0), 218 * kMinute);
    EXPECT_EQ(Kinds(tracker.OnStatus(Reply(0, "Red,11:30,Alarm,XL"), 219 * kMinute)),
              (Events{{Kind::Raised, 3}}));
}

TEST(AlarmTracker, NoRemindersAtZeroAndNothingToldAfterForget) {
    CAlarmTracker tracker(0);
    tracker.OnStatus(Reply(1), 0);
    EXPECT_EQ(Kinds(tracker.OnTick(1000 * kMinute)), Events{});
    tracker.Forget();
    EXPECT_TRUE(tracker.DryersInAlarm().empty());
    EXPECT_EQ(Kinds(tracker.OnStatus(Reply(0), 1)), Events{});  // no clear for a forgotten alarm
    EXPECT_EQ(Kinds(tracker.OnStatus(Reply(1), 2)), (Events{{Kind::Raised, 8}}));
}

TEST(TrayLookOf, ThePictureAndTooltipOfTheThreeStates) {
    const TrayLook off = LookOf("North Plant", kDisconnected, {});
    EXPECT_EQ(off.state, TrayState::Disconnected);
    EXPECT_EQ(off.tooltip, "Corvantis\nSite: North Plant\nDisconnected");
    EXPECT_EQ(LookOf("", kConnecting, {}).tooltip, "Corvantis\nSite: none\nConnecting");

    const TrayLook on = LookOf("North Plant", kConnected, {});
    EXPECT_EQ(on.state, TrayState::Connected);
    EXPECT_EQ(on.tooltip, "Corvantis\nSite: North Plant\nConnected\nNo dryer in alarm");

    const TrayLook alarm = LookOf("North Plant", kConnected, {2, 5});
    EXPECT_EQ(alarm.state, TrayState::Alarm);
    EXPECT_EQ(alarm.tooltip, "Corvantis\nSite: North Plant\nConnected\nIn alarm: dryers 2, 5");

    // Off line the alarms are only what the unit said last.
    const TrayLook stale = LookOf("North Plant", kDisconnected, {3});
    EXPECT_EQ(stale.state, TrayState::Disconnected);
    EXPECT_EQ(stale.tooltip,
              "Corvantis\nSite: North Plant\nDisconnected\nIn alarm when last seen: dryer 3");
}

TEST(TrayLookOf, TheTitleSaysAlarmOnlyWhileTheWindowIsNotActive) {
    EXPECT_EQ(WindowTitle({}, false), "Corvantis");
    EXPECT_EQ(WindowTitle({3}, true), "Corvantis");
    EXPECT_EQ(WindowTitle({3}, false), "ALARM dryer 3 - Corvantis");
    EXPECT_EQ(WindowTitle({1, 8}, false), "ALARM dryers 1, 8 - Corvantis");
}

TEST(AlarmSettingsOf, RenotifyMinutesAndAlarmSound) {
    platform::IniFile ini;
    EXPECT_EQ(ReadAlarmSettings(ini).renotifyMinutes, 15);
    EXPECT_FALSE(ReadAlarmSettings(ini).sound);
    ini.ParseText("[settings]\r\nrenotifyminutes=0\r\nAlarmSound=1\r\n");
    EXPECT_EQ(ReadAlarmSettings(ini).RenotifyMs(), 0);
    EXPECT_TRUE(ReadAlarmSettings(ini).sound);
    ini.ParseText("[Settings]\nRenotifyMinutes=-5\n");
    EXPECT_EQ(ReadAlarmSettings(ini).RenotifyMs(), 15 * kMinute);
}

}  // namespace

// The link watch's plan on a clock of the test's own: the back-off (10 s doubling to 5 minutes,
// with jitter), what counts as a lost link, and what cancels a reconnect; and the redial budget
// that holds the console's own calls to a number within an hour.
#include "app/core/link_watch.h"

#include <gtest/gtest.h>

#include "app/core/dial_budget.h"

namespace {

using State = CLinkWatch::State;

class LinkWatchTest : public testing::Test {
protected:
    CLinkWatch Make(double random = 0.0) {
        return CLinkWatch([this] { return m_now; }, [random] { return random; });
    }
    // An operator's session that logged in.
    void LogIn(CLinkWatch& watch) {
        watch.OperatorConnects();
        watch.LoggedIn();
    }
    int64_t m_now = 1000;
};

TEST_F(LinkWatchTest, WaitsDoubleFromTenSecondsToFiveMinutesAndALoginStartsAgain) {
    CLinkWatch watch = Make();
    watch.SetEnabled(true);
    LogIn(watch);
    watch.SessionEnded();
    std::vector<int64_t> waits;
    for (int attempt = 1; attempt <= 8; ++attempt) {
        ASSERT_EQ(watch.GetState(), State::Waiting);
        EXPECT_EQ(watch.Attempt(), attempt);
        waits.push_back(watch.RemainingMs());
        m_now += watch.RemainingMs() - 1;
        EXPECT_FALSE(watch.Due());
        m_now += 1;
        EXPECT_TRUE(watch.Due());
        watch.AttemptStarts();
        EXPECT_EQ(watch.GetState(), State::Reconnecting);
        watch.SessionEnded();  // the attempt failed
    }
    EXPECT_EQ(waits,
              (std::vector<int64_t>{10000, 20000, 40000, 80000, 160000, 300000, 300000, 300000}));

    // A login resets the back-off: the next loss waits 10 s again.
    watch.AttemptStarts();
    watch.LoggedIn();
    EXPECT_EQ(watch.GetState(), State::Up);
    watch.SessionEnded();
    EXPECT_EQ(watch.Attempt(), 1);
    EXPECT_EQ(watch.RemainingMs(), 10000);
}

TEST_F(LinkWatchTest, JitterShortensAWaitByAtMostAFifthAndNeverPassesTheCap) {
    for (double random : {0.0, 0.5, 0.999999, 1.0}) {
        CLinkWatch watch = Make(random);
        watch.SetEnabled(true);
        LogIn(watch);
        watch.SessionEnded();
        EXPECT_LE(watch.RemainingMs(), 10000);
        EXPECT_GE(watch.RemainingMs(), 8000);
        for (int i = 0; i < 10; ++i) {
            watch.AttemptStarts();
            watch.SessionEnded();
        }
        EXPECT_LE(watch.RemainingMs(), CLinkWatch::kLongestWaitMs);
        EXPECT_GE(watch.RemainingMs(), CLinkWatch::kLongestWaitMs * 4 / 5);
    }
}

TEST_F(LinkWatchTest, OnlyALoggedInSessionThatEndsUnaskedIsALostLink) {
    CLinkWatch watch = Make();
    watch.SetEnabled(true);
    int lost = 0;
    int back = 0;
    watch.OnLinkLost([&] { ++lost; });
    watch.OnLinkBack([&] { ++back; });

    // The operator's Connect that never logs in: today's behaviour, no reconnect.
    watch.OperatorConnects();
    watch.SessionEnded();
    EXPECT_EQ(watch.GetState(), State::Idle);
    EXPECT_EQ(lost, 0);

    // A logged-in session that drops: lost, then back after one attempt.
    LogIn(watch);
    watch.SessionEnded();
    EXPECT_EQ(lost, 1);
    m_now += watch.RemainingMs();
    watch.AttemptStarts();
    watch.LoggedIn();
    EXPECT_EQ(back, 1);

    // Disconnect is the operator's own: nothing is lost, nothing reconnects, and the next
    // login is no return.
    watch.OperatorDisconnects();
    watch.SessionEnded();
    EXPECT_EQ(watch.GetState(), State::Idle);
    EXPECT_EQ(lost, 1);
    LogIn(watch);
    EXPECT_EQ(back, 1);

    // With reconnect off, the operator's own Connect after a loss brings the link back.
    watch.SetEnabled(false);
    watch.SessionEnded();
    EXPECT_EQ(lost, 2);
    LogIn(watch);
    EXPECT_EQ(back, 2);
}

TEST_F(LinkWatchTest, DisconnectConnectSettingOffAndARefusalEndTheReconnect) {
    CLinkWatch watch = Make();
    watch.SetEnabled(true);

    LogIn(watch);
    watch.SessionEnded();
    watch.OperatorDisconnects();
    EXPECT_EQ(watch.GetState(), State::Idle);
    m_now += CLinkWatch::kLongestWaitMs;
    EXPECT_FALSE(watch.Due());

    LogIn(watch);
    watch.SessionEnded();
    watch.OperatorConnects();
    EXPECT_EQ(watch.GetState(), State::Connecting);

    watch.LoggedIn();
    watch.SessionEnded();
    watch.SetEnabled(false);
    EXPECT_EQ(watch.GetState(), State::Idle);

    // With the setting off a lost link is only lost.
    LogIn(watch);
    watch.SessionEnded();
    EXPECT_EQ(watch.GetState(), State::Idle);

    watch.SetEnabled(true);
    LogIn(watch);
    watch.SessionEnded();
    watch.AttemptStarts();
    watch.StopReconnect("BLACKLISTED");
    watch.SessionEnded();
    EXPECT_EQ(watch.GetState(), State::Stopped);
    EXPECT_EQ(watch.StopReason(), "BLACKLISTED");
    m_now += CLinkWatch::kLongestWaitMs;
    EXPECT_FALSE(watch.Due());
}

TEST_F(LinkWatchTest, HoldPutsTheNextAttemptOffButNeverBringsItForward) {
    CLinkWatch watch = Make();
    watch.SetEnabled(true);
    LogIn(watch);
    watch.SessionEnded();
    watch.HoldUntil(m_now + 5000);
    EXPECT_FALSE(watch.Held());
    EXPECT_EQ(watch.RemainingMs(), 10000);
    watch.HoldUntil(m_now + 60000);
    EXPECT_TRUE(watch.Held());
    m_now += 59999;
    EXPECT_FALSE(watch.Due());
    m_now += 1;
    EXPECT_TRUE(watch.Due());
}

TEST(DialBudget, CountsEveryCallButHoldsOnlyTheConsolesOwnWithinAnyHour) {
    CDialBudget budget(3);
    const int64_t hour = CDialBudget::kHourMs;
    // The operator's calls always go out and count.
    EXPECT_TRUE(budget.TryDial("555", 0, false));
    EXPECT_TRUE(budget.TryDial("555", 1000, false));
    EXPECT_TRUE(budget.TryDial("555", 2000, true));
    EXPECT_FALSE(budget.TryDial("555", 3000, true));
    EXPECT_TRUE(budget.TryDial("555", 3000, false));
    EXPECT_EQ(budget.CallsInLastHour("555", 3000), 4);
    // Another number has its own hour.
    EXPECT_TRUE(budget.TryDial("777", 3000, true));

    // One more call fits once two of the four have left the hour.
    EXPECT_EQ(budget.NextCallAllowedMs("555", 3000), 1000 + hour);
    EXPECT_FALSE(budget.TryDial("555", 1000 + hour - 1, true));
    EXPECT_TRUE(budget.TryDial("555", 1000 + hour, true));
    EXPECT_EQ(budget.NextCallAllowedMs("777", 3000), 3000);

    budget.SetPerHour(0);
    EXPECT_EQ(budget.PerHour(), CDialBudget::kDefaultPerHour);
}

}  // namespace

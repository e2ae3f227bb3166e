// The program clock: time scale, cancellable sleeps, and the local time tests can pin.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/clock.h"

namespace {

using platform::Clock;
using platform::LocalTime;
using SteadyClock = std::chrono::steady_clock;

double RealMsSince(SteadyClock::time_point start) {
    return std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
}

class ClockTest : public ::testing::Test {
protected:
    void TearDown() override {
        Clock::SetTimeScale(1.0);
        Clock::ResetLocalTime();
    }
};

TEST_F(ClockTest, ScaledSleepTakesTheScaledRealTime) {
    Clock::SetTimeScale(20.0);
    const auto start = SteadyClock::now();
    const int64_t programStart = Clock::NowMs();
    EXPECT_TRUE(Clock::SleepMs(2000));
    const double realMs = RealMsSince(start);
    EXPECT_GE(Clock::NowMs() - programStart, 2000);
    EXPECT_GE(realMs, 95.0);
    EXPECT_LT(realMs, 1000.0);  // far below the 2 s it takes at real time
}

TEST_F(ClockTest, ChangingTheScaleNeverMakesProgramTimeGoBack) {
    Clock::SetTimeScale(50.0);
    Clock::SleepMs(500);
    const int64_t before = Clock::NowMs();
    Clock::SetTimeScale(1.0);
    EXPECT_GE(Clock::NowMs(), before);
    Clock::SetTimeScale(0.0);  // refused: real time
    EXPECT_EQ(Clock::TimeScale(), 1.0);
}

TEST_F(ClockTest, CancelledSleepEndsEarlyAndSaysSo) {
    std::atomic<bool> cancel{false};
    const auto start = SteadyClock::now();
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Clock::Cancel(cancel);
    });
    EXPECT_FALSE(Clock::SleepMs(10000, &cancel));
    canceller.join();
    EXPECT_LT(RealMsSince(start), 1000.0);
    EXPECT_FALSE(Clock::SleepMs(0, &cancel));  // already cancelled
    EXPECT_TRUE(Clock::SleepMs(0));
}

// A sleep does not poll: it learns of a faster clock at once, and a sleep long in real time ends
// as soon as the new scale makes it due.
TEST_F(ClockTest, SleepFollowsAScaleChangeMadeWhileItSleeps) {
    const auto start = SteadyClock::now();
    std::thread speeder([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Clock::SetTimeScale(1000.0);
    });
    EXPECT_TRUE(Clock::SleepMs(20000));  // 20 s at real time, 20 ms once sped up
    speeder.join();
    EXPECT_LT(RealMsSince(start), 2000.0);
}

TEST_F(ClockTest, PinnedLocalTimeAdvancesWithProgramTimeAcrossMidnight) {
    Clock::SetTimeScale(20.0);
    Clock::SetLocalTime({2016, 12, 31, 23, 59, 59, 500});
    LocalTime now = Clock::LocalNow();
    EXPECT_EQ(now.DateText(), "2016-12-31");
    EXPECT_EQ(now.hour, 23);

    Clock::SleepMs(1000);
    now = Clock::LocalNow();
    EXPECT_EQ(now.DateText(), "2017-01-01");
    EXPECT_EQ(now.hour, 0);
    EXPECT_EQ(now.minute, 0);
    EXPECT_EQ(now.second, 0);
    EXPECT_GE(now.millisecond, 500);
    EXPECT_FALSE(now.SameDate(LocalTime{2016, 12, 31}));
}

TEST_F(ClockTest, TextsOfDateAndTime) {
    const LocalTime t{2016, 5, 3, 7, 8, 9, 12};
    EXPECT_EQ(t.DateText(), "2016-05-03");
    EXPECT_EQ(t.TimeText(), "07:08:09.012");
}

TEST_F(ClockTest, UnpinnedLocalTimeIsTheSystemsLocalTime) {
    Clock::SetLocalTime({2001, 1, 1});
    Clock::ResetLocalTime();
    const std::time_t secs = std::time(nullptr);
    std::tm tm{};
    localtime_r(&secs, &tm);
    const LocalTime now = Clock::LocalNow();
    EXPECT_EQ(now.year, tm.tm_year + 1900);
    EXPECT_EQ(now.month, tm.tm_mon + 1);
}

}  // namespace

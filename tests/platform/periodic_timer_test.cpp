// The periodic timer thread: periods in program time, and Kill that waits out a running callback.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/clock.h"
#include "platform/periodic_timer.h"

namespace {

using platform::Clock;
using platform::PeriodicTimers;

class PeriodicTimerTest : public ::testing::Test {
protected:
    void SetUp() override { Clock::SetTimeScale(5.0); }
    void TearDown() override { Clock::SetTimeScale(1.0); }
};

TEST_F(PeriodicTimerTest, TimersFireAtTheirPeriods) {
    PeriodicTimers timers;
    std::atomic<int> seconds{0};
    std::atomic<int> fives{0};
    unsigned first = timers.Start(1000, [&](unsigned) { seconds.fetch_add(1); });
    unsigned second = timers.Start(5000, [&](unsigned) { fives.fetch_add(1); });
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_NE(first, second);

    Clock::SleepMs(10500);
    EXPECT_TRUE(timers.Kill(first));
    EXPECT_TRUE(timers.Kill(second));
    // Ten periods of one second and two of five, give or take a tick on a busy machine.
    EXPECT_GE(seconds.load(), 8);
    EXPECT_LE(seconds.load(), 11);
    EXPECT_GE(fives.load(), 1);
    EXPECT_LE(fives.load(), 2);
}

// The thread sleeps until the next timer is due, and a faster clock makes it work its wait out
// again at once (a minute-long period at the test's scale would take 12 s of real time).
TEST_F(PeriodicTimerTest, ScaleChangeReachesTheWaitingThread) {
    PeriodicTimers timers;
    std::atomic<int> fired{0};
    ASSERT_NE(timers.Start(60000, [&](unsigned) { fired.fetch_add(1); }), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto start = std::chrono::steady_clock::now();
    Clock::SetTimeScale(2000.0);
    while (fired.load() == 0 &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GE(fired.load(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(PeriodicTimerTest, CallbackGetsItsTimerId) {
    PeriodicTimers timers;
    std::atomic<unsigned> seen{0};
    unsigned id = timers.Start(100, [&](unsigned timerId) { seen.store(timerId); });
    Clock::SleepMs(500);
    timers.Kill(id);
    EXPECT_EQ(seen.load(), id);
}

TEST_F(PeriodicTimerTest, KillWaitsForARunningCallbackAndNoneRunsAfter) {
    Clock::SetTimeScale(1.0);
    PeriodicTimers timers;
    std::atomic<bool> inside{false};
    std::atomic<bool> finished{false};
    std::atomic<int> calls{0};
    unsigned id = timers.Start(10, [&](unsigned) {
        calls.fetch_add(1);
        inside.store(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        finished.store(true);
        inside.store(false);
    });
    while (!inside.load()) {
        std::this_thread::yield();
    }
    finished.store(false);
    EXPECT_TRUE(timers.Kill(id));
    EXPECT_TRUE(finished.load());  // Kill returned only after the callback ended
    const int callsAtKill = calls.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(calls.load(), callsAtKill);
}

TEST_F(PeriodicTimerTest, BadRequestsAreRefused) {
    PeriodicTimers timers;
    EXPECT_EQ(timers.Start(0, [](unsigned) {}), 0u);
    EXPECT_EQ(timers.Start(100, nullptr), 0u);
    EXPECT_FALSE(timers.Kill(12345));
}

TEST_F(PeriodicTimerTest, DestructionEndsEveryTimer) {
    std::atomic<int> calls{0};
    {
        PeriodicTimers timers;
        timers.Start(100, [&](unsigned) { calls.fetch_add(1); });
        Clock::SleepMs(350);
    }
    const int afterEnd = calls.load();
    Clock::SleepMs(500);
    EXPECT_EQ(calls.load(), afterEnd);
}

}  // namespace

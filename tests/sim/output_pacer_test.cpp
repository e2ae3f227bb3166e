#include "sim/output_pacer.h"

#include <gtest/gtest.h>

namespace sim {
namespace {

TEST(OutputPacer, FullSpeedLetsEverythingOut) {
    OutputPacer pacer;
    EXPECT_EQ(pacer.Allowance(100, 5000), 5000u);
}

TEST(OutputPacer, SplitSendsOneByteAMillisecond) {
    OutputPacer pacer;
    pacer.Configure(0, true);
    EXPECT_EQ(pacer.Allowance(100, 50), 1u);
    pacer.Sent(1, 100);
    EXPECT_EQ(pacer.Allowance(100, 49), 0u);
    EXPECT_EQ(pacer.NextDueMs(), 101);
    EXPECT_EQ(pacer.Allowance(101, 49), 1u);
}

TEST(OutputPacer, SlowLineTakesTenBitsAByte) {
    OutputPacer pacer;
    pacer.Configure(300, false);
    // 300 baud: 30 bytes a second. The first byte goes at once.
    EXPECT_EQ(pacer.Allowance(1000, 100), 1u);
    pacer.Sent(1, 1000);
    EXPECT_EQ(pacer.Allowance(1010, 99), 0u);
    EXPECT_EQ(pacer.NextDueMs(), 1034);
    EXPECT_EQ(pacer.Allowance(1034, 99), 1u);
    pacer.Sent(1, 1034);
    // After a whole second 31 bytes in all may have gone.
    EXPECT_EQ(pacer.Allowance(2000, 98), 29u);
    pacer.Sent(29, 2000);
    // A pause ends the burst: the next byte goes at once again.
    pacer.Idle();
    EXPECT_EQ(pacer.Allowance(9000, 10), 1u);
}

TEST(OutputPacer, SlowAndSplitTogether) {
    OutputPacer pacer;
    pacer.Configure(9600, true);
    EXPECT_EQ(pacer.Allowance(0, 100), 1u);
    pacer.Sent(1, 0);
    EXPECT_EQ(pacer.Allowance(50, 100), 1u);  // 9600 baud would allow 49, split allows one
}

}  // namespace
}  // namespace sim

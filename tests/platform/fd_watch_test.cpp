// The plain loop watching descriptors: callbacks on the UI thread when a descriptor is ready, a
// watch ended from inside its own callback, and posted calls still served while watching.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/plain_loop_dispatcher.h"

namespace {

class FdWatchTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, m_pair), 0); }
    void TearDown() override {
        close(m_pair[0]);
        close(m_pair[1]);
    }
    int m_pair[2] = {-1, -1};
    platform::PlainLoopDispatcher m_loop;
};

TEST_F(FdWatchTest, ReadableCallbacksRunOnTheUiThreadOnlyWhenDataIsThere) {
    int calls = 0;
    int events = 0;
    std::thread::id ranOn;
    const uint64_t id = m_loop.WatchFd(m_pair[0], true, false, [&](int revents) {
        ++calls;
        events = revents;
        ranOn = std::this_thread::get_id();
        char buffer[16];
        (void)read(m_pair[0], buffer, sizeof buffer);
    });
    EXPECT_NE(id, 0u);
    m_loop.RunFor(20);
    EXPECT_EQ(calls, 0);

    std::thread writer([&] { ASSERT_EQ(write(m_pair[1], "x", 1), 1); });
    writer.join();
    EXPECT_TRUE(m_loop.RunUntil([&] { return calls == 1; }, 2000));
    EXPECT_TRUE(events & POLLIN);
    EXPECT_EQ(ranOn, std::this_thread::get_id());

    m_loop.UnwatchFd(id);
    ASSERT_EQ(write(m_pair[1], "y", 1), 1);
    m_loop.RunFor(20);
    EXPECT_EQ(calls, 1);
    m_loop.UnwatchFd(id);  // twice, and unknown ids, are harmless
    m_loop.UnwatchFd(0);
}

TEST_F(FdWatchTest, ACallbackMayEndItsOwnWatchAndOthersGoOn) {
    int first = 0;
    int second = 0;
    uint64_t firstId = 0;
    firstId = m_loop.WatchFd(m_pair[0], true, false, [&](int) {
        ++first;
        m_loop.UnwatchFd(firstId);  // data left unread: only the watch's end stops the calls
    });
    m_loop.WatchFd(m_pair[1], false, true,
                   [&](int revents) { second += (revents & POLLOUT) ? 1 : 0; });
    ASSERT_EQ(write(m_pair[1], "x", 1), 1);
    m_loop.RunFor(30);
    EXPECT_EQ(first, 1);
    EXPECT_GT(second, 1);
}

TEST_F(FdWatchTest, PostedCallsAreServedWhileWatching) {
    m_loop.WatchFd(m_pair[0], true, false, [](int) {});
    bool ran = false;
    std::thread poster([&] {
        m_loop.Post([&] { ran = true; });
        m_loop.Quit();
    });
    m_loop.Run();
    poster.join();
    EXPECT_TRUE(ran);
}

double ThreadCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 +
           usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
}

// Run() sleeps until something happens, however many descriptors it watches: a loop that
// looked every few milliseconds would burn a share of a core in a monitor of many sites.
TEST_F(FdWatchTest, RunSleepsWhileNothingHappensAndWakesForWhatDoes) {
    std::vector<std::array<int, 2>> idle(200);
    for (auto& pair : idle) {
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair.data()), 0);
        m_loop.WatchFd(pair[0], true, false, [](int) { ADD_FAILURE() << "nothing was sent"; });
    }
    std::string got;
    m_loop.WatchFd(m_pair[0], true, false, [&](int) {
        char c = 0;
        if (read(m_pair[0], &c, 1) == 1) {
            got += c;
            m_loop.Quit();
        }
    });
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        ASSERT_EQ(write(m_pair[1], "x", 1), 1);
    });
    const double cpuBefore = ThreadCpuMs();
    const auto start = std::chrono::steady_clock::now();
    m_loop.Run();
    const auto waited = std::chrono::steady_clock::now() - start;
    writer.join();
    EXPECT_EQ(got, "x");
    EXPECT_GE(waited, std::chrono::milliseconds(350));
    EXPECT_LT(ThreadCpuMs() - cpuBefore, 40.0);
    for (auto& pair : idle) {
        close(pair[0]);
        close(pair[1]);
    }
}

}  // namespace

// The plain-loop dispatcher and the window messages over it.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/dispatcher.h"
#include "platform/plain_loop_dispatcher.h"
#include "platform/window_messages.h"
#include "tests/support/recording_window.h"

namespace {

using platform::PlainLoopDispatcher;

class DispatcherTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetDispatcher(&m_loop); }
    void TearDown() override { platform::SetDispatcher(nullptr); }
    PlainLoopDispatcher m_loop;
};

TEST_F(DispatcherTest, PostedCallsRunOnTheUiThreadInOrder) {
    std::vector<int> order;
    std::thread::id ranOn;
    std::thread poster([&] {
        for (int i = 0; i < 5; ++i) {
            m_loop.Post([&, i] {
                order.push_back(i);
                ranOn = std::this_thread::get_id();
            });
        }
    });
    poster.join();
    EXPECT_TRUE(order.empty());  // nothing runs until the loop turns
    EXPECT_EQ(m_loop.RunPending(), 5);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(DispatcherTest, SendWaitsUntilTheUiThreadRanTheCall) {
    std::atomic<bool> ran{false};
    std::atomic<bool> returned{false};
    std::thread sender([&] {
        EXPECT_TRUE(m_loop.Send([&] { ran.store(true); }));
        EXPECT_TRUE(ran.load());
        returned.store(true);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(returned.load());
    EXPECT_TRUE(m_loop.RunUntil([&] { return returned.load(); }, 5000));
    sender.join();
}

TEST_F(DispatcherTest, SendOnTheUiThreadIsADirectCall) {
    bool ran = false;
    EXPECT_TRUE(m_loop.OnUiThread());
    EXPECT_TRUE(m_loop.Send([&] { ran = true; }));
    EXPECT_TRUE(ran);
    std::atomic<bool> cancelled{true};
    EXPECT_FALSE(m_loop.Send([&] { FAIL(); }, &cancelled));
}

TEST_F(DispatcherTest, CancelledSendNeverRunsAndReturnsFalse) {
    std::atomic<bool> cancel{false};
    std::atomic<bool> ran{false};
    std::atomic<int> result{-1};
    std::thread sender([&] { result.store(m_loop.Send([&] { ran.store(true); }, &cancel)); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    cancel.store(true);  // the UI thread is busy elsewhere: the sender gives up
    sender.join();
    EXPECT_EQ(result.load(), 0);
    m_loop.RunPending();
    EXPECT_FALSE(ran.load());
}

TEST_F(DispatcherTest, DestroyedLoopReleasesAWaitingSender) {
    auto loop = std::make_unique<PlainLoopDispatcher>();
    std::atomic<int> result{-1};
    PlainLoopDispatcher* target = loop.get();
    std::thread sender([&] { result.store(target->Send([] {})); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    loop.reset();
    sender.join();
    EXPECT_EQ(result.load(), 0);
}

TEST_F(DispatcherTest, MessagesReachLiveTargetsOnly) {
    auto window = std::make_unique<RecordingWindow>();
    const uint64_t id = window->TargetId();
    platform::PostMessage(id, platform::WM_SYSTEM_STOP, 1, 0);
    m_loop.RunPending();
    EXPECT_EQ(window->Count(platform::WM_SYSTEM_STOP, 1), 1);

    // Posted, then the target goes before the loop delivers: the message is simply missed.
    platform::PostMessage(id, platform::WM_SYSTEM_STOP, 2, 0);
    window.reset();
    EXPECT_EQ(m_loop.RunPending(), 1);

    // Sent to a target that is gone: 0, from another thread too.
    EXPECT_EQ(platform::SendMessage(id, platform::WM_PAGE_REPLY, 0, 0), 0);
    std::atomic<bool> sent{false};
    std::thread sender([&] {
        EXPECT_EQ(platform::SendMessage(id, platform::WM_PAGE_REPLY, 0, 0), 0);
        sent.store(true);
    });
    EXPECT_TRUE(m_loop.RunUntil([&] { return sent.load(); }, 5000));
    sender.join();
}

TEST_F(DispatcherTest, SendReturnsTheHandlersResultAndTheMainWindowFollowsItsTarget) {
    class Answering : public platform::MessageTarget {
    public:
        long OnMessage(unsigned msg, intptr_t wParam, intptr_t) override {
            return msg == platform::WM_PAGE_REPLY ? static_cast<long>(wParam) + 1 : 0;
        }
    };
    auto target = std::make_unique<Answering>();
    std::atomic<long> result{0};
    std::thread sender([&] {
        result.store(platform::SendMessage(target->TargetId(), platform::WM_PAGE_REPLY, 41, 0));
    });
    EXPECT_TRUE(m_loop.RunUntil([&] { return result.load() != 0; }, 5000));
    sender.join();
    EXPECT_EQ(result.load(), 42);

    platform::SetMainWindow(target->TargetId());
    EXPECT_EQ(platform::MainWindow(), target->TargetId());
    target.reset();
    EXPECT_EQ(platform::MainWindow(), 0u);
    platform::PostToMainWindow(platform::WM_SYSTEM_STOP, 1, 0);  // nowhere to go: dropped
    m_loop.RunPending();
}

}  // namespace

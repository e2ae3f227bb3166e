// The Qt dispatcher watching descriptors (the TCP/IP sockets of the console): callbacks on the
// GUI thread when data arrives, and a watch ended from inside its own callback.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>

#include "app/qt_dispatcher.h"
#include "engine/comm_port.h"
#include "tests/support/gui/ui_wait.h"
#include "tests/support/loopback_server.h"

namespace {

class QtFdWatchTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, m_pair), 0); }
    void TearDown() override {
        close(m_pair[0]);
        close(m_pair[1]);
    }
    int m_pair[2] = {-1, -1};
    QtDispatcher m_dispatcher;
};

TEST_F(QtFdWatchTest, DataWakesTheCallbackUntilTheWatchEnds) {
    int calls = 0;
    int events = 0;
    const uint64_t id = m_dispatcher.WatchFd(m_pair[0], true, false, [&](int revents) {
        ++calls;
        events = revents;
        char buffer[16];
        (void)read(m_pair[0], buffer, sizeof buffer);
    });
    EXPECT_NE(id, 0u);
    UiWaitFor(20);
    EXPECT_EQ(calls, 0);

    ASSERT_EQ(write(m_pair[1], "x", 1), 1);
    EXPECT_TRUE(UiWaitUntil([&] { return calls == 1; }, 2000));
    EXPECT_EQ(events, POLLIN);

    m_dispatcher.UnwatchFd(id);
    ASSERT_EQ(write(m_pair[1], "y", 1), 1);
    UiWaitFor(30);
    EXPECT_EQ(calls, 1);
}

TEST_F(QtFdWatchTest, ACallbackMayEndItsOwnWatch) {
    int calls = 0;
    uint64_t id = 0;
    id = m_dispatcher.WatchFd(m_pair[0], true, false, [&](int) {
        ++calls;
        m_dispatcher.UnwatchFd(id);
    });
    ASSERT_EQ(write(m_pair[1], "x", 1), 1);
    UiWaitFor(50);
    EXPECT_EQ(calls, 1);
}

// The console's TCP/IP port under the Qt loop: connected, then told when the unit hangs up.
TEST_F(QtFdWatchTest, ATcpPortSeesThePeerLeave) {
    platform::SetDispatcher(&m_dispatcher);
    LoopbackServer server;
    ASSERT_TRUE(server.Listen());
    {
        CCommPort port;
        port.CommType = COMM_TCPIP;
        port.SetAddress(server.Address());
        ASSERT_TRUE(port.Open());
        EXPECT_TRUE(UiWaitUntil([&] { return port.SocketConnected(); }, 5000));
        const int peer = server.Accept(5000);
        ASSERT_GE(peer, 0);
        UiWaitFor(20);
        LoopbackServer::CloseFd(peer);
        EXPECT_TRUE(UiWaitUntil([&] { return port.IsOpen.load() == 0; }, 5000));
        EXPECT_FALSE(port.LinkUp());
    }
    platform::SetDispatcher(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// The worker's rules: taking commands, bringing the link up, dropping failed and silent
// commands, refusing what cannot be sent, and AbortCommand in each state of an exchange.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "app/state/app_state.h"
#include "platform/clock.h"
#include "tests/support/recording_page.h"
#include "tests/support/session_fixture.h"

namespace {

const std::string kRequest = "/60.htm?val=0-0\r";
// The unit echoes the request with a line end.
const std::string kEcho = "/60.htm?val=0-0\r\n";

class WorkerTest : public SessionFixture {
protected:
    CCommandNode* Node(uint8_t commandId, const std::string& text = "x\r") {
        return new CCommandNode(1, commandId, text);
    }
    size_t QueueLength() {
        std::lock_guard<std::mutex> lock(m_system->m_lock);
        size_t count = 0;
        for (const CCommandNode* node = m_system->Commands; node; node = node->Next) {
            ++count;
        }
        return count;
    }
    bool Stopped() { return m_frame->Count(platform::WM_SYSTEM_STOP, 1) > 0; }
    bool Written(const std::string& text) {
        auto writes = m_port->Writes();
        return std::find(writes.begin(), writes.end(), text) != writes.end();
    }
    uint8_t IdleTime() {
        std::lock_guard<std::mutex> lock(m_system->m_lock);
        return m_system->IdleTime;
    }
    void SetIdleTime(uint8_t ticks) {
        std::lock_guard<std::mutex> lock(m_system->m_lock);
        m_system->IdleTime = ticks;
    }
};

TEST_F(WorkerTest, LinkOnlyCommandOnAClosedPortOpensItThenIsDroppedWithTheQueue) {
    MakeSystem(COMM_DIRECT);
    m_system->AddCommand(Node(CMD_LINK_ONLY));
    m_system->AddCommand(Node(CMD_PAGE_STATUS, kRequest));
    m_system->AddCommand(Node(CMD_PAGE_CYCLE), 1);
    m_system->Start();

    ASSERT_TRUE(RunUntil([&] { return Stopped(); }));
    EXPECT_EQ(m_port->OpenCount(), 1);
    EXPECT_EQ(m_port->IsOpen.load(), 1);
    EXPECT_EQ(m_port->WriteCount(), 0u);
    EXPECT_TRUE(m_system->QueuesEmpty());
    EXPECT_FALSE(m_system->HasCurCommand());
    EXPECT_EQ(m_system->GetStatus(), STATUS_IDLE);
}

TEST_F(WorkerTest, InvalidCommandIdsAreLoggedAndTheNextCommandRuns) {
    EnableLogs();
    MakeSystem(COMM_DIRECT);
    m_system->AddCommand(Node(0));
    m_system->AddCommand(Node(108));
    m_system->AddCommand(Node(CMD_LOGIN, " "));
    m_system->Start();

    ASSERT_TRUE(RunUntil([&] { return Written(" "); }));
    const std::string log = DebugLogText();
    EXPECT_NE(log.find(" : DoCommand(): Invalid CommandID,ID = 0.\r\n"), std::string::npos);
    EXPECT_NE(log.find(" : DoCommand(): Invalid CommandID,ID = 108.\r\n"), std::string::npos);
    EXPECT_EQ(m_port->Writes(), (std::vector<std::string>{" "}));
    EXPECT_FALSE(Stopped());
}

TEST_F(WorkerTest, SilentExchangeIsDroppedAtTheHundredFiftyFirstTick) {
    EnableLogs(true, false);
    MakeSystem(COMM_DIRECT);
    m_system->AddCommand(Node(CMD_LOGIN, " "));
    m_system->AddCommand(Node(CMD_LOGIN, "\r"));
    m_system->Start();
    ASSERT_TRUE(RunUntil([&] { return m_system->GetStatus() == STATUS_LOGIN; }));

    // Skip most of the wait, and count the last ticks at real time so that the test sees each
    // one even on a loaded machine; the command must still be there with 150 ticks counted.
    platform::Clock::SetTimeScale(1.0);
    SetIdleTime(146);
    ASSERT_TRUE(RunUntil([&] { return IdleTime() >= 150 || !m_system->HasCurCommand(); }));
    EXPECT_EQ(IdleTime(), 150);
    EXPECT_TRUE(m_system->HasCurCommand());
    EXPECT_FALSE(Stopped());

    ASSERT_TRUE(RunUntil([&] { return Stopped(); }));
    EXPECT_FALSE(m_system->HasCurCommand());
    EXPECT_TRUE(m_system->QueuesEmpty());
    EXPECT_EQ(m_system->GetStatus(), STATUS_IDLE);
    EXPECT_EQ(m_port->Writes(), (std::vector<std::string>{" "}));
    // The operator is logged out next: the debug log says why, once.
    const std::string log = DebugLogText();
    const std::string line =
        " : WorkerProc(): System1 did not answer for 15 s, closing the link.\r\n";
    const size_t at = log.find(line);
    EXPECT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log.find(line, at + 1), std::string::npos) << log;
}

TEST_F(WorkerTest, ReplyWithoutItsEchoIsNeverShownAndTheIdleLimitEndsIt) {
    MakeSystem(COMM_DIRECT);
    RecordingPage page(STATUS_PAGE_STATUS);
    m_port->SetResponder([this](const std::string&) { m_port->Feed("\r\n1;0;0\r\nEOT"); });
    m_system->AddCommand(Node(CMD_PAGE_STATUS, kRequest));
    m_system->AddCommand(Node(CMD_PAGE_STATUS, kRequest));
    m_system->Start();

    ASSERT_TRUE(RunUntil([&] { return Stopped(); }));
    EXPECT_EQ(page.ReplyCount(), 0u);
    EXPECT_EQ(m_port->WriteCount(), 1u);
    EXPECT_TRUE(m_system->QueuesEmpty());
    EXPECT_FALSE(m_system->HasCurCommand());
}

TEST_F(WorkerTest, ReceivedDataKeepsAnExchangeAlive) {
    MakeSystem(COMM_DIRECT);
    m_system->AddCommand(Node(CMD_LOGIN, " "));
    m_system->Start();
    ASSERT_TRUE(RunUntil([&] { return m_system->GetStatus() == STATUS_LOGIN; }));

    // Four times the idle limit, with a block every 3 s of program time.
    platform::Clock::SetTimeScale(10.0);
    const int64_t end = platform::Clock::NowMs() + 4 * 15100;
    while (platform::Clock::NowMs() < end) {
        m_port->Feed("...");
        RunFor(3000);
        ASSERT_LT(IdleTime(), 150);
    }
    EXPECT_TRUE(m_system->HasCurCommand());
    EXPECT_FALSE(Stopped());
}

TEST_F(WorkerTest, PortThatCannotOpenDropsTheCommand) {
    EnableLogs();
    MakeSystem(COMM_DIRECT);
    m_system->OpenLog();
    m_port->SetOpenFails(true);
    m_system->AddCommand(Node(CMD_LOGIN, " "));
    m_system->AddCommand(Node(CMD_LOGIN, "\r"));
    m_system->Start();

    ASSERT_TRUE(RunUntil([&] { return Stopped(); }));
    EXPECT_EQ(m_port->WriteCount(), 0u);
    EXPECT_TRUE(m_system->QueuesEmpty());
    EXPECT_NE(DebugLogText().find("DoCommand() fail, Reason: create port fail!"),
              std::string::npos);
    const std::string log =
        ReadWholeFile(LogDir() + "/System001 " + platform::Clock::LocalNow().DateText() + ".Log");
    EXPECT_NE(log.find(" : [*******Communication fail to System1*******]\r\n"), std::string::npos);
}

TEST_F(WorkerTest, DirectLineOpenedForACommandIsReported) {
    EnableLogs(false, true);
    MakeSystem(COMM_DIRECT);
    m_system->AddCommand(Node(CMD_LOGIN, " "));
    m_system->Start();
    ASSERT_TRUE(RunUntil([&] { return Written(" "); }));
    const std::string log =
        ReadWholeFile(LogDir() + "/System001 " + platform::Clock::LocalNow().DateText() + ".Log");
    EXPECT_NE(log.find(" : [*******Direct send command to System1*******]\r\n"), std::string::npos);
}

TEST_F(WorkerTest, TcpCommandAsksTheFrameToConnectAndWaitsForTheSocket) {
    MakeSystem(COMM_TCPIP);
    m_system->AddCommand(Node(CMD_LOGIN, " "));
    m_system->Start();

    ASSERT_TRUE(RunUntil([&] { return m_frame->Count(platform::WM_SYSTEM_START, 1) > 0; }));
    RunFor(3000);
    EXPECT_EQ(m_port->WriteCount(), 0u);
    EXPECT_EQ(m_port->OpenCount(), 0);  // the frame opens TCP/IP ports on the UI thread

    const int64_t connectedAt = platform::Clock::NowMs();
    m_port->SetSocketConnected(true);
    ASSERT_TRUE(RunUntil([&] { return Written(" "); }));
    // The worker lets a fresh connection settle for a second before sending.
    EXPECT_GE(platform::Clock::NowMs() - connectedAt, 1000);
}

TEST_F(WorkerTest, TcpSocketThatNeverConnectsDropsTheCommand) {
    EnableLogs(true, false);
    MakeSystem(COMM_TCPIP);
    m_system->AddCommand(Node(CMD_LOGIN, " "));
    m_system->Start();
    const int64_t start = platform::Clock::NowMs();

    ASSERT_TRUE(RunUntil([&] { return Stopped(); }, 60000));
    EXPECT_GE(platform::Clock::NowMs() - start, 15000);
    EXPECT_NE(DebugLogText().find(" : DoCommand(): Connect fail\r\n"), std::string::npos);
    EXPECT_EQ(m_port->WriteCount(), 0u);
}

TEST_F(WorkerTest, OverlongCommandIsRefusedAndTheNextOneRuns) {
    EnableLogs(true, false);
    MakeSystem(COMM_DIRECT);
    m_system->AddCommand(Node(CMD_LOGIN, std::string(kBufferSize + 1, 'a')));
    m_system->AddCommand(Node(CMD_LOGIN, std::string(kBufferSize, 'b')));
    m_system->Start();

    ASSERT_TRUE(RunUntil([&] { return m_port->WriteCount() > 0; }));
    EXPECT_EQ(m_port->Writes(), (std::vector<std::string>{std::string(kBufferSize, 'b')}));
    EXPECT_NE(DebugLogText().find("DoCommand(): Command too long,ID = 100"), std::string::npos);
    EXPECT_FALSE(Stopped());
}

TEST_F(WorkerTest, CommandsRunBeforeBackgroundAndInQueueOrder) {
    MakeSystem(COMM_DIRECT);
    // Each command is answered at once, so the next one follows.
    m_port->SetResponder([this](const std::string&) { m_port->Feed("OK>"); });
    for (const char* text : {"b1", "b2"}) {
        m_system->AddCommand(new CCommandNode(1, CMD_LOGIN, text, "OK>"), 1);
    }
    for (const char* text : {"c1", "c2"}) {
        m_system->AddCommand(new CCommandNode(1, CMD_LOGIN, text, "OK>"));
    }
    m_system->Start();

    ASSERT_TRUE(RunUntil([&] { return m_port->WriteCount() == 4; }));
    EXPECT_EQ(m_port->Writes(), (std::vector<std::string>{"c1", "c2", "b1", "b2"}));
}

TEST_F(WorkerTest, PageRequestAbortsTheCurrentCommandAndIsTakenPromptly) {
    MakeSystem(COMM_DIRECT);
    RecordingPage page(STATUS_PAGE_STATUS);
    m_port->SetResponder([this](const std::string& written) {
        if (written == kRequest) {
            m_port->Feed(kEcho + "fresh\r\nEOT");
        }
    });
    m_system->AddCommand(Node(CMD_LOGIN, " "));  // the unit never answers this one
    m_system->Start();
    ASSERT_TRUE(RunUntil([&] { return m_system->GetStatus() == STATUS_LOGIN; }));

    // Measured at real time: about a tick or two, far below a second.
    platform::Clock::SetTimeScale(1.0);
    m_system->AbortCommand();
    m_system->AddCommand(Node(CMD_PAGE_STATUS, kRequest));
    const int64_t queuedAt = platform::Clock::NowMs();
    ASSERT_TRUE(RunUntil([&] { return page.ReplyCount() > 0; }));
    EXPECT_LE(platform::Clock::NowMs() - queuedAt, 1000);
    EXPECT_EQ(page.Replies(), (std::vector<std::string>{"fresh\r\nEOT"}));
    EXPECT_FALSE(Stopped());
}

TEST_F(WorkerTest, PageHandlerMayAbortAndQueueWhileItsReplyIsHandedOver) {
    // The page aborts the finished exchange and queues its next request from inside its reply
    // handler, and waits until the worker took it: the hand-over must not hold the session, and
    // the old reply's end must not end the new exchange.
    MakeSystem(COMM_DIRECT);
    RecordingPage page(STATUS_PAGE_STATUS);
    std::atomic<int> requests{0};
    m_port->SetResponder([&](const std::string& written) {
        if (written == kRequest && ++requests == 1) {
            m_port->FeedLater(kEcho + "first\r\nEOT");  // a cross-thread send
        }
    });
    page.OnReply([&] {
        m_system->AbortCommand();
        m_system->AddCommand(Node(CMD_PAGE_STATUS, kRequest));
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (m_system->CurCommandId() != CMD_PAGE_STATUS &&
               std::chrono::steady_clock::now() < until) {
            std::this_thread::yield();
        }
    });
    m_system->AddCommand(Node(CMD_PAGE_STATUS, kRequest));
    m_system->Start();

    ASSERT_TRUE(RunUntil([&] { return requests == 2; }));
    RunFor(500);
    EXPECT_EQ(page.Replies(), (std::vector<std::string>{"first\r\nEOT"}));
    EXPECT_EQ(m_system->CurCommandId(), CMD_PAGE_STATUS);
    EXPECT_EQ(m_system->GetStatus(), STATUS_PAGE_STATUS);
}

TEST_F(WorkerTest, AbortDuringTheLinkWaitLetsTheNextCommandRun) {
    EnableLogs(true, false);
    MakeSystem(COMM_TCPIP);
    m_system->AddCommand(Node(CMD_LOGIN, "first"));
    m_system->AddCommand(Node(CMD_LOGIN, "second"));
    m_system->Start();
    ASSERT_TRUE(RunUntil([&] { return m_frame->Count(platform::WM_SYSTEM_START) > 0; }));

    m_system->AbortCommand();
    EXPECT_EQ(QueueLength(), 1u);
    m_port->SetSocketConnected(true);

    ASSERT_TRUE(RunUntil([&] { return Written("second"); }));
    EXPECT_FALSE(Written("first"));
    EXPECT_NE(DebugLogText().find(" : DoCommand(): Command is null\r\n"), std::string::npos);
    EXPECT_FALSE(Stopped());
}

TEST_F(WorkerTest, AbortDuringTheTcpWaitFreesThePortAtOnce) {
    // Disconnect while the worker waits for a connection that never comes: the wait ends with
    // the command, and until it has ended the port cannot be taken from under the worker.
    MakeSystem(COMM_TCPIP);
    m_system->AddCommand(Node(CMD_LOGIN, " "));
    m_system->Start();
    ASSERT_TRUE(RunUntil([&] { return m_frame->Count(platform::WM_SYSTEM_START) > 0; }));
    ASSERT_TRUE(m_system->WorkerUsesPort());
    auto* spare = new ScriptedPort(COMM_TCPIP);
    CCommPort* old = nullptr;
    EXPECT_FALSE(m_system->ReplacePort(spare, &old));
    EXPECT_EQ(m_system->Port, m_port);

    const int64_t abortedAt = platform::Clock::NowMs();
    m_system->AbortCommand();
    ASSERT_TRUE(RunUntil([&] { return !m_system->WorkerUsesPort(); }, 20000));
    // One check of the link, not the rest of the 15 s wait.
    EXPECT_LT(platform::Clock::NowMs() - abortedAt, 5000);
    ASSERT_TRUE(m_system->ReplacePort(spare, &old));
    EXPECT_EQ(old, m_port);
    delete old;
    m_port = spare;
    EXPECT_FALSE(Stopped());
}

TEST_F(WorkerTest, DestroyingTheSystemEndsTheWorkerDuringALongWait) {
    platform::Clock::SetTimeScale(1.0);
    MakeSystem(COMM_TCPIP);
    m_system->AddCommand(Node(CMD_LOGIN, " "));
    m_system->Start();
    ASSERT_TRUE(RunUntil([&] { return m_frame->Count(platform::WM_SYSTEM_START) > 0; }, 5000));

    const auto start = std::chrono::steady_clock::now();
    DeleteSystem();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
}

// AbortCommand in each state: the exchange goes, the queues stay.
class AbortTest : public WorkerTest, public ::testing::WithParamInterface<int> {};

TEST_P(AbortTest, LeavesTheQueuesIntact) {
    MakeSystem(COMM_DIRECT);
    m_system->AddCommand(Node(CMD_PAGE_CYCLE));
    m_system->AddCommand(Node(CMD_PAGE_EVENT));
    m_system->AddCommand(Node(CMD_PAGE_REPORTING), 1);
    {
        std::lock_guard<std::mutex> lock(m_system->m_lock);
        const int state = GetParam();  // 0 idle, 1 taken, 2 starting, else the exchange state
        if (state > 0) {
            m_system->CurCommand = Node(CMD_PAGE_STATUS, kRequest);
            m_system->Started = state >= 2 ? 1 : 0;
            m_system->Status = state >= 3 ? static_cast<uint8_t>(state - 2) : 0;
        }
        m_system->IdleTime = 42;
        m_system->RxCount = 5;
        std::memcpy(m_system->RxText, "/60.h", 5);
    }

    m_system->AbortCommand();

    std::lock_guard<std::mutex> lock(m_system->m_lock);
    EXPECT_EQ(m_system->CurCommand, nullptr);
    EXPECT_EQ(m_system->Status, 0);
    EXPECT_EQ(m_system->Started, 0);
    EXPECT_EQ(m_system->IdleTime, 0);
    EXPECT_EQ(m_system->RxCount, 0);
    EXPECT_EQ(std::string(m_system->RxText, 5), std::string(5, '\0'));
    ASSERT_NE(m_system->Commands, nullptr);
    EXPECT_EQ(m_system->Commands->CommandID, CMD_PAGE_CYCLE);
    ASSERT_NE(m_system->Commands->Next, nullptr);
    EXPECT_EQ(m_system->Commands->Next->CommandID, CMD_PAGE_EVENT);
    ASSERT_NE(m_system->Background, nullptr);
    EXPECT_EQ(m_system->Background->CommandID, CMD_PAGE_REPORTING);
}

// 0 idle, 1 taken, 2 starting, then exchange states 1 to 6, 8 and 9 (as state - 2).
INSTANTIATE_TEST_SUITE_P(EveryState, AbortTest,
                         ::testing::Values(0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11));

TEST_F(WorkerTest, AbortWithTheRealWorkerInEachPhaseKeepsTheQueue) {
    MakeSystem(COMM_DIRECT);
    m_system->Start();
    // Exchanging: a login step the unit does not answer.
    m_system->AddCommand(Node(CMD_LOGIN, " "));
    ASSERT_TRUE(RunUntil([&] { return m_system->GetStatus() == STATUS_LOGIN; }));
    m_system->AddCommand(Node(CMD_LOGIN, "queued"));
    m_system->AbortCommand();
    ASSERT_TRUE(RunUntil([&] { return Written("queued"); }));

    // Waiting out a closing step (state 9).
    m_port->SetResponder([this](const std::string& written) {
        if (written == "bye") {
            m_port->Feed("Goodbye");
        }
    });
    m_system->AddCommand(new CCommandNode(1, CMD_CLOSING, "bye", "Goodbye"));
    m_system->AbortCommand();  // ends the unanswered "queued" step
    ASSERT_TRUE(RunUntil([&] { return m_system->GetStatus() == STATUS_CLOSED; }));
    m_system->AddCommand(Node(CMD_LOGIN, "after"));
    m_system->AbortCommand();
    ASSERT_TRUE(RunUntil([&] { return Written("after"); }));
    EXPECT_FALSE(Stopped());
}

}  // namespace

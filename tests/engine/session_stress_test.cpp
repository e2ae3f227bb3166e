// Many rounds of a busy session: the UI thread aborts and queues page requests and logins, a
// timer thread aborts, rolls the log and reads the state, another thread fills and empties the
// queues, the unit answers (with noise between its answers) from the port's read thread, and the
// worker runs at full speed. Nothing may crash, hang, race or deliver a reply that is not one.
#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "app/state/app_state.h"
#include "tests/support/recording_page.h"
#include "tests/support/session_fixture.h"

namespace {

const std::string kRequest = "/60.htm?val=0-0\r";
const std::string kEcho = "/60.htm?val=0-0\r\n";

class SessionStressTest : public SessionFixture {
protected:
    double TimeScale() const override { return 200.0; }
};

TEST_F(SessionStressTest, AbortAddReceiveAndWorkerStepsRace) {
    EnableLogs(true, true);
    MakeSystem(COMM_DIRECT);
    RecordingPage page(STATUS_PAGE_STATUS);
    std::atomic<int> answered{0};
    m_port->SetResponder([&](const std::string& written) {
        const int n = answered.fetch_add(1);
        if (written == kRequest) {
            m_port->FeedLater(kEcho + "data;" + std::to_string(n) + "\r\nEOT");
        } else if (written == " ") {
            m_port->FeedLater(n % 3 ? "ENTER KEYWORD" : "menu (1)\r\n");
        } else if (written == "\r") {
            m_port->FeedLater(n % 2 ? "COMMAND ?" : "Quit)");
        } else {
            m_port->FeedLater("Quit)");
        }
    });
    int handled = 0;
    page.OnReply([&] {
        // As a page polling again at once.
        if (++handled % 2 == 0) {
            m_system->AbortCommand();
            m_system->AddCommand(new CCommandNode(1, CMD_PAGE_STATUS, kRequest));
        }
    });
    ASSERT_TRUE(m_system->Start());

    std::atomic<bool> done{false};
    std::thread timer([&] {
        std::mt19937 random(1);
        while (!done.load()) {
            if (random() % 8 == 0) {
                m_system->AbortCommand();
            }
            if (random() % 64 == 0) {
                m_system->RollLog();
            }
            m_system->Report(m_system->ReportText("Try dial to System"));
            (void)m_system->HasCurCommand();
            (void)m_system->GetStatus();
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });
    std::thread queues([&] {
        std::mt19937 random(2);
        while (!done.load()) {
            m_system->AddCommand(new CCommandNode(1, CMD_PAGE_STATUS, kRequest), random() % 2);
            if (random() % 4 == 0) {
                m_system->ClearCommands();
            }
            (void)m_system->QueuesEmpty();
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    });
    std::thread noise([&] {
        std::mt19937 random(3);
        const std::string pieces[] = {
            std::string(1, '\0'),  "\xFF", "(", "ENTER KEY", "WORD", "Quit)", "E", "OT", "zzz",
            std::string(5000, 'n')};
        while (!done.load()) {
            m_port->FeedLater(pieces[random() % std::size(pieces)]);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });

    // Thousands of rounds, and enough time for the worker to carry many commands through.
    std::mt19937 random(4);
    constexpr int kRounds = 3000;
    constexpr size_t kWrites = 500;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int round = 0;
    for (; (round < kRounds || m_port->WriteCount() < kWrites) &&
           std::chrono::steady_clock::now() < deadline;
         ++round) {
        switch (random() % 4) {
            case 0:
                m_system->AbortCommand();
                m_system->AddCommand(new CCommandNode(1, CMD_PAGE_STATUS, kRequest));
                break;
            case 1:
                m_system->QueueLogin();
                break;
            default:
                break;
        }
        m_loop->RunFor(10);
    }
    done.store(true);
    timer.join();
    queues.join();
    noise.join();

    // Settle: the worker and the read thread still run; replies keep their shape.
    m_system->ClearCommands();
    m_system->AbortCommand();
    RunUntil([&] { return m_port->FeedDone(); }, 20000);
    m_system->AbortCommand();
    EXPECT_FALSE(m_system->HasCurCommand());
    EXPECT_EQ(m_system->GetStatus(), STATUS_IDLE);

    // Every reply shown is one the unit sent: "data;<n>\r\nEOT".
    const auto replies = page.Replies();
    for (const auto& text : replies) {
        const std::string head = "data;";
        const std::string tail = "\r\nEOT";
        ASSERT_GT(text.size(), head.size() + tail.size()) << text;
        EXPECT_EQ(text.substr(0, head.size()), head) << text;
        EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;
        const std::string number =
            text.substr(head.size(), text.size() - head.size() - tail.size());
        EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos) << text;
    }
    EXPECT_GE(round, kRounds);
    EXPECT_GE(m_port->WriteCount(), kWrites);
    EXPECT_FALSE(replies.empty());
    std::cout << "rounds " << round << ", writes " << m_port->WriteCount() << ", replies "
              << replies.size() << "\n";

    DeleteSystem();  // ends the worker and the read thread promptly
}

TEST_F(SessionStressTest, LongQueuesAreDeletedWithoutExhaustingTheStack) {
    MakeSystem(COMM_DIRECT);
    for (int background = 0; background < 2; ++background) {
        // A million nodes linked in one chain, queued at once.
        auto* head = new CCommandNode(1, CMD_PAGE_STATUS, kRequest);
        CCommandNode* tail = head;
        for (int i = 0; i < 1000000; ++i) {
            tail = tail->Next = new CCommandNode(1, CMD_PAGE_STATUS, kRequest);
        }
        m_system->AddCommand(head, background);
    }
    EXPECT_FALSE(m_system->QueuesEmpty());
    m_system->ClearCommands();
    EXPECT_TRUE(m_system->QueuesEmpty());
}

}  // namespace

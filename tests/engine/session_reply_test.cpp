// Cutting page replies out of the unit's text, and prompt-mode collection, on the receive side.
// Most cases put an exchange in place by hand (no worker), as the worker would leave it after
// sending the request.
#include <gtest/gtest.h>

#include <cstring>

#include "app/state/app_state.h"
#include "tests/support/recording_page.h"
#include "tests/support/recording_window.h"
#include "tests/support/session_fixture.h"

namespace {

const std::string kRequest = "/60.htm?val=0-0\r";
// The unit echoes the request with a line end.
const std::string kEcho = "/60.htm?val=0-0\r\n";

class ReplyTest : public SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        EnableLogs();
        MakeSystem(COMM_DIRECT);
        m_system->OpenLog();
        m_page = std::make_unique<RecordingPage>(STATUS_PAGE_STATUS);
    }
    void TearDown() override {
        m_page.reset();
        SessionFixture::TearDown();
    }

    // The exchange as the worker leaves it once the command is sent.
    void BeginExchange(uint8_t commandId, const std::string& sendText, uint8_t status,
                       const std::string& endPara = "", const std::string& prompt = "") {
        std::lock_guard<std::mutex> lock(m_system->m_lock);
        delete m_system->CurCommand;
        m_system->CurCommand = new CCommandNode(1, commandId, sendText, endPara, prompt);
        m_system->Status = status;
        m_system->Started = 1;
    }
    void BeginStatusRequest() { BeginExchange(CMD_PAGE_STATUS, kRequest, STATUS_PAGE_STATUS); }
    void BeginLoginStep() { BeginExchange(CMD_LOGIN, " ", STATUS_LOGIN, "ENTER KEYWORD", "("); }
    int RxCount() {
        std::lock_guard<std::mutex> lock(m_system->m_lock);
        return m_system->RxCount;
    }
    std::string SessionLogText() {
        return ReadWholeFile(m_system->LogOpen()
                                 ? LogDir() + "/" + TempDir::FileNames(LogDir()).back()
                                 : std::string());
    }
    static std::string Bytes(const char* data, size_t size) { return std::string(data, size); }

    std::unique_ptr<RecordingPage> m_page;
};

TEST_F(ReplyTest, EchoedRequestDeliversTheDataWithItsTrailer) {
    BeginStatusRequest();
    m_port->Feed(kEcho + "1;0;0;AAA\r\nEOT");

    EXPECT_EQ(m_page->Replies(), (std::vector<std::string>{"1;0;0;AAA\r\nEOT"}));
    EXPECT_FALSE(m_system->HasCurCommand());
    EXPECT_EQ(m_system->GetStatus(), STATUS_IDLE);
    EXPECT_EQ(RxCount(), 0);
    EXPECT_NE(SessionLogText().find(" : <Receive data end>\r\n"), std::string::npos);
}

TEST_F(ReplyTest, ReplyGoesToThePageOfTheExchangeState) {
    RecordingPage eventPage(STATUS_PAGE_EVENT);
    BeginExchange(CMD_PAGE_EVENT, "/61.htm?val=0-0\r", STATUS_PAGE_EVENT);
    m_port->Feed("/61.htm?val=0-0\r\nrow;row\r\nEOT");

    EXPECT_EQ(eventPage.Replies(), (std::vector<std::string>{"row;row\r\nEOT"}));
    EXPECT_TRUE(m_page->Replies().empty());
}

// Many Systems in one process (the monitor): a System with targets of its own sends its replies,
// whatever the page, and its frame messages there, with the exchange state as wParam; the pages
// and the main frame of the process hear nothing of it, and its login is its own.
TEST_F(ReplyTest, SystemWithItsOwnTargetsKeepsItsRepliesAndMessagesToItself) {
    RecordingWindow own;
    m_system->SetMessageTargets(own.TargetId(), own.TargetId());
    RecordingPage eventPage(STATUS_PAGE_EVENT);

    BeginStatusRequest();
    m_port->Feed(kEcho + "1;0;0;AAA\r\nEOT");
    BeginExchange(CMD_PAGE_EVENT, "/61.htm?val=0-0\r", STATUS_PAGE_EVENT);
    m_port->Feed("/61.htm?val=0-0\r\nrow\r\nEOT");
    EXPECT_EQ(own.Count(platform::WM_PAGE_REPLY, STATUS_PAGE_STATUS), 1);
    EXPECT_EQ(own.Count(platform::WM_PAGE_REPLY, STATUS_PAGE_EVENT), 1);
    EXPECT_TRUE(m_page->Replies().empty());
    EXPECT_TRUE(eventPage.Replies().empty());

    EXPECT_FALSE(m_system->LoggedIn());
    BeginExchange(CMD_LOGIN, "ck\r", STATUS_LOGIN, "Quit)");
    {
        std::lock_guard<std::mutex> lock(m_system->m_lock);
        m_system->CurCommand->LastStep = 1;
    }
    m_port->Feed("menu ... Quit)");
    RunFor(200);
    EXPECT_TRUE(m_system->LoggedIn());
    EXPECT_EQ(own.Count(platform::WM_CONNECT_STATUS, platform::CONNECT_STATUS_CONNECTED), 1);
    EXPECT_EQ(m_frame->Count(platform::WM_CONNECT_STATUS), 0);
    m_system->ClearLoggedIn();
    EXPECT_FALSE(m_system->LoggedIn());
}

TEST_F(ReplyTest, LettersEotInsideTheDataCutTheReplyThereAndTheRestIsDropped) {
    BeginStatusRequest();
    m_port->Feed(kEcho + "1;GEOTHERMAL;2\r\nEOT");

    EXPECT_EQ(m_page->Replies(), (std::vector<std::string>{"1;GEOT"}));
    EXPECT_FALSE(m_system->HasCurCommand());
    EXPECT_EQ(RxCount(), 0);  // "HERMAL;2..." arrived with no command current
}

TEST_F(ReplyTest, MissingEchoDeliversNothingAndKeepsTheExchangeOpen) {
    BeginStatusRequest();
    m_port->Feed("\r\n1;0;0;AAA\r\nEOT");

    EXPECT_TRUE(m_page->Replies().empty());
    EXPECT_TRUE(m_system->HasCurCommand());
    EXPECT_EQ(m_system->GetStatus(), STATUS_PAGE_STATUS);
    EXPECT_EQ(RxCount(), 0);
    EXPECT_EQ(SessionLogText().find("<Receive data end>"), std::string::npos);

    // The collected text was discarded: a complete reply afterwards still arrives whole.
    m_port->Feed(kEcho + "late\r\nEOT");
    EXPECT_EQ(m_page->Replies(), (std::vector<std::string>{"late\r\nEOT"}));
}

TEST_F(ReplyTest, MarkersSplitAcrossBlocksAreFound) {
    BeginStatusRequest();
    for (const char* piece : {"/60.htm?va", "l=0-0", "\r", "\nda", "ta\r\nE", "O", "T"}) {
        m_port->Feed(piece);
    }
    EXPECT_EQ(m_page->Replies(), (std::vector<std::string>{"data\r\nEOT"}));

    BeginLoginStep();
    m_port->Feed("ENTER KEY");
    EXPECT_TRUE(m_system->HasCurCommand());
    m_port->Feed("WORD:");
    EXPECT_FALSE(m_system->HasCurCommand());
}

TEST_F(ReplyTest, ZeroByteHidesWhatFollows) {
    // Prompt mode: the marker after the zero byte is not seen.
    BeginLoginStep();
    m_port->Feed(Bytes("x\0ENTER KEYWORD", 15));
    EXPECT_TRUE(m_system->HasCurCommand());
    EXPECT_EQ(RxCount(), 15);
}

TEST_F(ReplyTest, ZeroByteSpoilsTheReplyButTheExchangeEndsWithItsEot) {
    // A zero byte inside the data (noise, or a break on a serial line) hides the end of the
    // reply; one before the echo hides the echo. Either way nothing half is shown as if it were
    // the unit's data, and the exchange is over: left open it would run into the idle limit and
    // close the link.
    const std::string spoilt[] = {kEcho + Bytes("1;0\0;0\r\nEOT", 11),
                                  Bytes("\0", 1) + kEcho + "1;0;0\r\nEOT"};
    for (const std::string& reply : spoilt) {
        BeginStatusRequest();
        {
            std::lock_guard<std::mutex> lock(m_system->m_lock);
            m_system->RxCount = 0;
            std::memset(m_system->RxText, 0, sizeof m_system->RxText);
        }
        m_port->Feed(reply + "late");
        EXPECT_TRUE(m_page->Replies().empty());
        EXPECT_FALSE(m_system->HasCurCommand());
        EXPECT_EQ(m_system->GetStatus(), STATUS_IDLE);
        EXPECT_EQ(RxCount(), 0);  // "late" came with no command current
    }
    const std::string log = DebugLogText();
    EXPECT_NE(log.find(" : ProcessByte(): reply not delivered, page Status, 28 bytes, reason: a "
                       "zero byte hides its end\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(" : ProcessByte(): reply not delivered, page Status, 28 bytes, reason: a "
                       "zero byte hides the echo of the request\r\n"),
              std::string::npos)
        << log;
    const std::string session = SessionLogText();
    const size_t first = session.find("<Receive data end>");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(session.find("<Receive data end>", first + 1), std::string::npos);

    // The page's next request is answered and shown as usual.
    BeginStatusRequest();
    m_port->Feed(kEcho + "1;0;0\r\nEOT");
    EXPECT_EQ(m_page->Replies(), (std::vector<std::string>{"1;0;0\r\nEOT"}));
}

TEST_F(ReplyTest, ByteFFResetsCollectionInPromptMode) {
    BeginLoginStep();
    m_port->Feed("ENTER KEY\xFFWORD");
    EXPECT_TRUE(m_system->HasCurCommand());
    EXPECT_EQ(RxCount(), 4);  // "WORD"

    m_port->Feed("ENTER KEYWORD");
    EXPECT_FALSE(m_system->HasCurCommand());
}

TEST_F(ReplyTest, BytesWithNoCommandCurrentAreDropped) {
    m_port->Feed(kEcho + "data\r\nEOT ENTER KEYWORD");
    EXPECT_EQ(RxCount(), 0);
    EXPECT_TRUE(m_page->Replies().empty());
}

TEST_F(ReplyTest, OverlongTextNeverWritesPastTheBuffer) {
    // Prompt mode: 10000 bytes without a marker, then the marker still ends the step.
    BeginLoginStep();
    m_port->Feed(std::string(10000, 'x'));
    EXPECT_LE(RxCount(), kBufferSize);
    EXPECT_TRUE(m_system->HasCurCommand());
    m_port->Feed("ENTER KEYWORD");
    EXPECT_FALSE(m_system->HasCurCommand());

    // Reply mode, byte by byte and in one block: the reply after the flood is delivered.
    BeginStatusRequest();
    for (int i = 0; i < 5000; ++i) {
        m_port->Feed("y");
    }
    EXPECT_LE(RxCount(), kBufferSize);
    m_port->Feed(std::string(9000, 'z') + kEcho + "ok\r\nEOT");
    EXPECT_EQ(m_page->Replies(), (std::vector<std::string>{"ok\r\nEOT"}));
}

TEST_F(ReplyTest, PromptAnswersGoToTheHeadOfTheQueue) {
    m_system->AddCommand(new CCommandNode(1, CMD_PAGE_STATUS, kRequest));
    BeginExchange(CMD_LOGIN, "\r", STATUS_LOGIN, "Quit)", "COMMAND ?");
    m_port->Feed("COMMAND ?");
    BeginExchange(CMD_CLOSING, "x", STATUS_SAVE_DB, "never", "[Remote]:");
    m_port->Feed("[Remote]:");
    BeginExchange(CMD_LOGIN, "y", STATUS_LOGIN, "never", "unknown?");
    m_port->Feed("unknown?");  // ends the step without an answer

    std::lock_guard<std::mutex> lock(m_system->m_lock);
    const CCommandNode* node = m_system->Commands;
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->CommandID, CMD_SAVE_DB);
    EXPECT_EQ(node->SendText, "\r");
    EXPECT_EQ(node->EndPara, "[System]:");
    EXPECT_EQ(node->Label, "SaveDB.");
    node = node->Next;
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->CommandID, CMD_LOGIN);
    EXPECT_EQ(node->SendText, "5\r");
    EXPECT_EQ(node->EndPara, "Quit)");
    EXPECT_TRUE(node->Prompt.empty());
    node = node->Next;
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->CommandID, CMD_PAGE_STATUS);
    EXPECT_EQ(node->Next, nullptr);
}

TEST_F(ReplyTest, ClosingStepLeavesTheSessionWaitingOutItsIdleTime) {
    BeginExchange(CMD_CLOSING, "bye\r", STATUS_SAVE_DB, "Goodbye");
    m_port->Feed("Goodbye");
    EXPECT_FALSE(m_system->HasCurCommand());
    EXPECT_EQ(m_system->GetStatus(), STATUS_CLOSED);
}

TEST_F(ReplyTest, ControlByteEndsOrContinuesAnExchangeOutsideTheDialogue) {
    // A page node in prompt mode (its link still coming up) with a marker: the last byte decides.
    BeginExchange(CMD_PAGE_STATUS, "q", STATUS_IDLE, "\x02");
    m_port->Feed("data\x02");
    EXPECT_TRUE(m_system->HasCurCommand());  // STX: the exchange goes on

    BeginExchange(CMD_PAGE_STATUS, "q", STATUS_IDLE, "\x06");
    m_port->Feed("data\x06");
    EXPECT_FALSE(m_system->HasCurCommand());  // ACK ends it
}

}  // namespace

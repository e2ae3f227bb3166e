// What every device page shares: the splitting rule, the request texts, the sending steps, the
// reply hand-over and the password step.
#include <gtest/gtest.h>

#include "app/state/app_state.h"
#include "engine/page_windows.h"
#include "pages/web_page.h"
#include "protocol/split_fields.h"
#include "tests/support/gui/page_fixture.h"

namespace {

TEST(SplitFields, FollowsTheSplittingRule) {
    auto fields = SplitFields<16>("", ";");
    EXPECT_EQ(fields[0], "");
    fields = SplitFields<16>("abc", ";");
    EXPECT_EQ(fields[0], "abc");
    EXPECT_EQ(fields[1], "");
    fields = SplitFields<16>("a;;b;", ";");
    EXPECT_EQ(fields[0], "a");
    EXPECT_EQ(fields[1], "");
    EXPECT_EQ(fields[2], "b");
    EXPECT_EQ(fields[3], "") << "a trailing separator gives an empty last element";
    fields = SplitFields<16>("l1,x\r\nl2\r\n\r\nl4", "\r\n");
    EXPECT_EQ(fields[0], "l1,x");
    EXPECT_EQ(fields[1], "l2");
    EXPECT_EQ(fields[2], "");
    EXPECT_EQ(fields[3], "l4");
}

TEST(SplitFields, NeverWritesPastItsArrayAndDropsTheSurplus) {
    std::string text;
    for (int i = 0; i < 250; ++i) {
        text += std::to_string(i) + ";";
    }
    const Fields100 fields = SplitFields100(text, ";");
    EXPECT_EQ(fields[0], "0");
    EXPECT_EQ(fields[99], "99");
    const Fields16 few = SplitFields16("a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r", ",");
    EXPECT_EQ(few[15], "p");
}

TEST(PageRequests, AreBuiltByteForByte) {
    EXPECT_EQ(CWebPage::BuildRead(52), "/52.htm?val=0-0\r");
    EXPECT_EQ(CWebPage::BuildRequest(61, 3, 1), "/61.htm?val=3-1\r");
    EXPECT_EQ(CWebPage::BuildWrite(53, "pw", "a;b;"), "/53.htm?val=1-0,pw;a;b;\r");
    EXPECT_EQ(CWebPage::BuildWrite(51, "", "8"), "/51.htm?val=1-0,;8\r");
}

// A page that records what it is given.
class TestPage : public CWebPage {
public:
    explicit TestPage(int trailer = 3)
        : CWebPage(PAGE_CYCLE, CMD_PAGE_CYCLE, STATUS_PAGE_CYCLE, nullptr), m_trailer(trailer) {}
    int TrailerLength() const override { return m_trailer; }
    void OnReply(const std::string& text) override { replies.push_back(text); }
    std::vector<std::string> replies;

private:
    int m_trailer;
};

class PageProtocolTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        m_doc->m_nActivePage = PAGE_CYCLE;
    }
};

TEST_F(PageProtocolTest, SendAbandonsTheCurrentCommandQueuesAtTheTailAndWaits) {
    {
        std::lock_guard<std::mutex> lock(m_system->m_lock);
        m_system->CurCommand = new CCommandNode(1, CMD_PAGE_STATUS, "/60.htm?val=0-0\r");
        m_system->Status = STATUS_PAGE_STATUS;
    }
    m_system->AddCommand(new CCommandNode(1, CMD_LOGIN, "queued"));
    TestPage page;
    ASSERT_TRUE(page.SendRequest("/52.htm?val=0-0\r"));
    EXPECT_FALSE(m_system->HasCurCommand());
    EXPECT_EQ(Queued(), (std::vector<std::string>{"queued", "/52.htm?val=0-0\r"}));
    {
        std::lock_guard<std::mutex> lock(m_system->m_lock);
        EXPECT_EQ(m_system->Commands->Next->CommandID, CMD_PAGE_CYCLE);
    }
    EXPECT_TRUE(page.m_bWaitReply);

    // The guard: a box, a silent skip, or none.
    EXPECT_FALSE(page.SendRequest("again"));
    EXPECT_EQ(m_prompts.Texts(), std::vector<std::string>{"Requesting data..."});
    EXPECT_FALSE(page.SendRequest("again", CWebPage::WaitGuard::SkipSilently));
    EXPECT_EQ(m_prompts.Texts().size(), 1u);
    EXPECT_EQ(Queued().size(), 2u);
    EXPECT_TRUE(page.SendRequest("write", CWebPage::WaitGuard::Ignore));
    EXPECT_EQ(Queued().back(), "write");
}

TEST_F(PageProtocolTest, NothingIsSentOrSaidWithoutActivePageSystemPortLinkOrLogin) {
    TestPage page;
    auto sendsNothing = [&](const char* why) {
        EXPECT_FALSE(page.SendRequest("x")) << why;
        EXPECT_FALSE(page.m_bWaitReply) << why;
        EXPECT_TRUE(Queued().empty()) << why;
    };
    m_doc->m_nActivePage = PAGE_STATUS;
    sendsNothing("another page is active");
    m_doc->m_nActivePage = PAGE_CYCLE;
    m_port->SetLinkUp(false);
    sendsNothing("link down");
    m_port->SetLinkUp(true);
    theApp().m_bLoggedIn = 0;
    sendsNothing("not logged in");
    theApp().m_bLoggedIn = 1;
    m_system->Port = nullptr;
    sendsNothing("no port");
    m_system->Port = m_port;
    m_doc->m_pSystems = nullptr;
    EXPECT_FALSE(page.SendRequest("x")) << "no System";
    m_doc->m_pSystems = m_system;
    SetTheDocument(nullptr);
    EXPECT_FALSE(page.SendRequest("x")) << "no document";
    SetTheDocument(m_doc);
    EXPECT_TRUE(m_prompts.Texts().empty());
    EXPECT_TRUE(page.SendRequest("x"));
}

TEST_F(PageProtocolTest, ReplyClearsTheWaitAndLosesOnlyItsTrailer) {
    TestPage page;
    TestPage eventPage(5);
    page.SendRequest("x");
    ASSERT_TRUE(page.m_bWaitReply);
    EXPECT_EQ(Reply(page, "a;bEOTcEOT"), 1);
    EXPECT_FALSE(page.m_bWaitReply);
    EXPECT_EQ(Reply(page, "EOT"), 1);
    EXPECT_EQ(Reply(page, "T"), 1) << "a reply shorter than its trailer is empty, not a fault";
    EXPECT_EQ(page.replies, (std::vector<std::string>{"a;bEOTc", "", ""}));
    Reply(eventPage, "1,a\r\n2,b\r\nEOT");
    Reply(eventPage, "EOT");
    EXPECT_EQ(eventPage.replies, (std::vector<std::string>{"1,a\r\n2,b", ""}));

    EXPECT_EQ(page.OnMessage(platform::WM_PAGE_REPLY, 0, 0), 0) << "no cell";
    EXPECT_EQ(page.OnMessage(platform::WM_CONNECT_STATUS, 1, 0), 0);
}

TEST_F(PageProtocolTest, PageReceivesItsExchangeRepliesWhileItExists) {
    EXPECT_EQ(PageWindow(STATUS_PAGE_CYCLE), 0u);
    {
        TestPage page;
        EXPECT_EQ(PageWindow(STATUS_PAGE_CYCLE), page.TargetId());
    }
    EXPECT_EQ(PageWindow(STATUS_PAGE_CYCLE), 0u);
}

TEST_F(PageProtocolTest, ActivationSetsTheActivePageAndClearsTheWait) {
    TestPage page;
    page.SendRequest("x");
    page.OnKillActive();
    EXPECT_FALSE(page.m_bWaitReply);
    m_doc->m_nActivePage = PAGE_EVENT;
    page.m_bWaitReply = true;
    page.OnSetActive();
    EXPECT_EQ(m_doc->m_nActivePage.load(), PAGE_CYCLE);
    EXPECT_FALSE(page.m_bWaitReply);
}

TEST_F(PageProtocolTest, PasswordStepsRunInOrderAndStopSilently) {
    TestPage page;
    AnswerPassword("12345678");
    EXPECT_EQ(page.AskPassword(), std::optional<std::string>("12345678"));

    bool checked = false;
    EXPECT_EQ(page.AskPassword([&] {
        checked = true;
        return false;
    }),
              std::nullopt);
    EXPECT_TRUE(checked);
    EXPECT_EQ(PasswordDialogsShown(), 1) << "a failed check asks for no password";

    AnswerPassword(std::nullopt);
    EXPECT_EQ(page.AskPassword(), std::nullopt);
    AnswerPassword("");
    EXPECT_EQ(page.AskPassword(), std::nullopt);
    EXPECT_TRUE(m_prompts.Texts().empty());

    theApp().m_bLoggedIn = 0;
    checked = false;
    EXPECT_EQ(page.AskPassword([&] { return checked = true; }), std::nullopt);
    EXPECT_FALSE(checked);
    EXPECT_EQ(m_prompts.Texts(), std::vector<std::string>{"Please connect first."});
    EXPECT_EQ(PasswordDialogsShown(), 3);
}

}  // namespace

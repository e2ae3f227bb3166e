// The login dialogue through the real worker and receive side, against a scripted unit.
#include <gtest/gtest.h>

#include "app/state/app_state.h"
#include "tests/support/session_fixture.h"

namespace {

class LoginTest : public SessionFixture {
protected:
    // A unit that shows `firstMenus` menu lines with "(" before its keyword prompt, asks
    // "COMMAND ?" after the keyword, and ends its menus with "Quit)".
    void ScriptUnit(int firstMenus) {
        m_port->SetResponder([this, firstMenus](const std::string& written) {
            if (written == " ") {
                m_port->Feed(m_blanks++ < firstMenus ? "\r\nMain menu (press space)\r\n"
                                                     : "\r\nENTER KEYWORD: ");
            } else if (written == m_system->Keyword + "\r") {
                m_port->Feed("\r\nCOMMAND ? ");
            } else if (written == "5\r" || written == "ck\r") {
                m_port->Feed("\r\n1) Status  2) Setup  Q) Quit)\r\n");
            }
        });
    }
    bool LoggedIn() { return theApp().m_bLoggedIn.load() == 1; }

    int m_blanks = 0;
};

TEST_F(LoginTest, SendsTheExactDialogueAndLogsIn) {
    MakeSystem(COMM_DIRECT);
    ScriptUnit(0);
    m_system->Start();
    m_system->QueueLogin();

    ASSERT_TRUE(RunUntil([&] { return m_frame->Count(platform::WM_CONNECT_STATUS) > 0; }));
    EXPECT_EQ(m_port->Writes(), (std::vector<std::string>{" ", "\r", "5\r", "ck\r"}));
    EXPECT_TRUE(LoggedIn());
    EXPECT_EQ(m_frame->Count(platform::WM_CONNECT_STATUS, platform::CONNECT_STATUS_CONNECTED), 1);
    EXPECT_EQ(m_port->OpenCount(), 1);
    EXPECT_FALSE(m_system->HasCurCommand());
    EXPECT_TRUE(m_system->QueuesEmpty());
    EXPECT_EQ(m_system->GetStatus(), STATUS_IDLE);

    // The session stays up: nothing is dropped afterwards.
    RunFor(2000);
    EXPECT_EQ(m_frame->Count(platform::WM_SYSTEM_STOP), 0);
}

TEST_F(LoginTest, MenuLinesBeforeTheKeywordPromptGetAnotherBlankEach) {
    MakeSystem(COMM_DIRECT);
    ScriptUnit(2);
    m_system->Start();
    m_system->QueueLogin();

    ASSERT_TRUE(RunUntil([&] { return LoggedIn(); }));
    EXPECT_EQ(m_port->Writes(), (std::vector<std::string>{" ", " ", " ", "\r", "5\r", "ck\r"}));
}

TEST_F(LoginTest, KeywordGoesOutWithTheCarriageReturn) {
    MakeSystem(COMM_DIRECT);
    m_system->Keyword = "halvor";
    ScriptUnit(0);
    m_system->Start();
    m_system->QueueLogin();

    ASSERT_TRUE(RunUntil([&] { return LoggedIn(); }));
    EXPECT_EQ(m_port->Writes(), (std::vector<std::string>{" ", "halvor\r", "5\r", "ck\r"}));
}

TEST_F(LoginTest, GreetingBeforeTheFirstBlankEndsTheFirstStep) {
    // The unit's greeting arrives while the worker still opens the line: the first step is over
    // before it was sent, and the worker goes on with the second.
    MakeSystem(COMM_DIRECT);
    ScriptUnit(0);
    m_system->QueueLogin();
    {
        std::lock_guard<std::mutex> lock(m_system->m_lock);
        // As the worker would have taken it.
        m_system->CurCommand = m_system->Commands;
        m_system->Commands = m_system->CurCommand->Next;
        m_system->CurCommand->Next = nullptr;
    }
    m_port->Feed("Welcome\r\nENTER KEYWORD: ");
    EXPECT_FALSE(m_system->HasCurCommand());
    m_system->Start();

    ASSERT_TRUE(RunUntil([&] { return LoggedIn(); }));
    EXPECT_EQ(m_port->Writes(), (std::vector<std::string>{"\r", "5\r", "ck\r"}));
}

TEST_F(LoginTest, SilentUnitEndsTheDialogueWithoutLoggingIn) {
    MakeSystem(COMM_DIRECT);
    m_system->Start();
    m_system->QueueLogin();

    ASSERT_TRUE(RunUntil([&] { return m_frame->Count(platform::WM_SYSTEM_STOP) > 0; }));
    EXPECT_EQ(m_port->Writes(), (std::vector<std::string>{" "}));
    EXPECT_FALSE(LoggedIn());
    EXPECT_TRUE(m_system->QueuesEmpty());
    EXPECT_EQ(m_frame->Count(platform::WM_CONNECT_STATUS), 0);
}

TEST_F(LoginTest, LastLogoutStepLogsOut) {
    MakeSystem(COMM_DIRECT);
    theApp().m_bLoggedIn = 1;
    m_port->SetResponder([this](const std::string&) { m_port->Feed("Bye. Quit)"); });
    m_system->Start();
    m_system->AddCommand(new CCommandNode(1, CMD_LOGOUT, "q\r", "Quit)", "", "Login.", 1));

    ASSERT_TRUE(RunUntil([&] { return !LoggedIn(); }));
    EXPECT_EQ(m_frame->Count(platform::WM_CONNECT_STATUS), 0);
}

}  // namespace

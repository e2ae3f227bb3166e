// The document's automatic reconnect on a scripted line, with program time running fast: a
// logged-in session whose line drops is logged in again after the wait, failed attempts wait
// longer, a login starts the back-off again; Disconnect ends a wait; and the menu's setting is
// written into the settings file as it is on disk.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

#include "app/core/document.h"
#include "app/state/app_state.h"
#include "platform/clock.h"
#include "platform/ini_file.h"
#include "tests/support/session_fixture.h"

namespace {

class AlwaysSelect : public IDocumentDialogs {
public:
    bool RunPhoneBook(CHalvoricDoc&) override { return true; }
    bool RunDialSetup(DialSetupValues&) override { return false; }
};

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ReconnectDocumentTest : public SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        m_iniPath = m_temp.Path() + "/Corvantis.ini";
        std::ofstream(m_iniPath, std::ios::binary) << "[Settings]\r\nAutoReconnect=1\r\n";
        ASSERT_TRUE(m_ini.Load(m_iniPath));
        theApp().m_nCommType = COMM_DIRECT;
        theApp().m_bAutoReconnect = 1;
        m_doc = std::make_unique<CHalvoricDoc>();
        m_doc->SetProfile(&m_ini);
        m_doc->SetDialogs(&m_dialogs);
        m_doc->SetPortFactory([this] {
            m_line = new ScriptedPort(COMM_DIRECT);
            // The unit's login dialogue, answered from its own line.
            m_line->SetResponder([this](const std::string& written) {
                if (!m_unitAnswers) {
                    return;
                }
                if (written == " ") {
                    m_line->FeedLater("\r\nENTER KEYWORD: ");
                } else if (written == "\r") {
                    m_line->FeedLater("\r\nMAIN MENU (Q=Quit)");
                } else if (written == "ck\r") {
                    ++m_logins;
                    m_line->FeedLater("\r\nREADY (Q=Quit)");
                }
            });
            return m_line;
        });
        ASSERT_TRUE(m_doc->OnNewDocument());
    }
    void TearDown() override {
        m_doc.reset();
        SessionFixture::TearDown();
    }

    bool LoggedIn() const { return theApp().m_bLoggedIn.load() != 0; }
    CLinkWatch::State State() const { return m_doc->LinkWatch().GetState(); }

    std::string m_iniPath;
    platform::IniFile m_ini;
    AlwaysSelect m_dialogs;
    std::unique_ptr<CHalvoricDoc> m_doc;
    ScriptedPort* m_line = nullptr;
    std::atomic<bool> m_unitAnswers{true};
    std::atomic<int> m_logins{0};
};

TEST_F(ReconnectDocumentTest, LostLineIsLoggedInAgainAndFailedAttemptsWaitLonger) {
    m_doc->OnConnect();
    ASSERT_TRUE(RunUntil([&] { return LoggedIn() && State() == CLinkWatch::State::Up; }));

    // The line drops and the unit stays silent: the first attempt after 10 s fails by the idle
    // limit, and the next one waits about 20 s.
    m_unitAnswers = false;
    m_line->SetLinkUp(false);
    ASSERT_TRUE(RunUntil([&] { return State() == CLinkWatch::State::Waiting; }));
    EXPECT_EQ(m_doc->LinkWatch().Attempt(), 1);
    EXPECT_LE(m_doc->LinkWatch().RemainingMs(), CLinkWatch::kFirstWaitMs);
    EXPECT_EQ(m_doc->GetLinkView().pane.rfind("Reconnecting in ", 0), 0u)
        << m_doc->GetLinkView().pane;
    ASSERT_TRUE(RunUntil([&] { return State() == CLinkWatch::State::Reconnecting; }));
    m_line->SetLinkUp(std::nullopt);
    ASSERT_TRUE(RunUntil([&] { return State() == CLinkWatch::State::Waiting; }));
    EXPECT_EQ(m_doc->LinkWatch().Attempt(), 2);
    EXPECT_GT(m_doc->LinkWatch().RemainingMs(), CLinkWatch::kFirstWaitMs);

    // The unit is back: the next attempt logs in, and the back-off starts again.
    m_unitAnswers = true;
    ASSERT_TRUE(RunUntil([&] { return LoggedIn() && State() == CLinkWatch::State::Up; }));
    EXPECT_EQ(m_logins.load(), 2);
    EXPECT_EQ(m_doc->LinkWatch().Attempt(), 0);
}

TEST_F(ReconnectDocumentTest, DisconnectDuringTheWaitEndsIt) {
    m_doc->OnConnect();
    ASSERT_TRUE(RunUntil([&] { return LoggedIn() && State() == CLinkWatch::State::Up; }));
    m_line->SetLinkUp(false);
    ASSERT_TRUE(RunUntil([&] { return State() == CLinkWatch::State::Waiting; }));
    EXPECT_TRUE(m_doc->CanDisconnect());
    m_doc->OnDisconnect();
    m_line->SetLinkUp(std::nullopt);
    RunFor(3 * CLinkWatch::kFirstWaitMs);
    EXPECT_EQ(State(), CLinkWatch::State::Idle);
    EXPECT_EQ(m_logins.load(), 1);
    EXPECT_EQ(m_doc->GetLinkView().pane, "");
}

TEST_F(ReconnectDocumentTest, TheSettingIsSavedIntoTheFileAsItIsOnDisk) {
    // Edited by hand while the console runs.
    std::ofstream(m_iniPath, std::ios::binary | std::ios::app) << "WriteLog=1\r\n";
    m_doc->SetAutoReconnect(false);
    EXPECT_FALSE(m_doc->AutoReconnect());
    std::string text = FileText(m_iniPath);
    EXPECT_NE(text.find("AutoReconnect=0"), std::string::npos) << text;
    EXPECT_NE(text.find("WriteLog=1"), std::string::npos) << text;
    m_doc->SetAutoReconnect(true);
    text = FileText(m_iniPath);
    EXPECT_NE(text.find("AutoReconnect=1"), std::string::npos) << text;
    EXPECT_TRUE(m_prompts.Texts().empty());
}

}  // namespace

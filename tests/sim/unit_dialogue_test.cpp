#include "sim/unit_dialogue.h"

#include <gtest/gtest.h>

#include "sim/unit_pages.h"
#include "sim/unit_state.h"
#include "tests/sim/console_model.h"

namespace sim {
namespace {

using simtest::CutReply;
using simtest::RunConsoleLogin;

class DialogueTest : public ::testing::Test {
protected:
    UnitState state = UnitState::Base();
    FaultModes faults;
    UnitDialogue dialogue{"", [this](const std::string& line) {
                              return ServePageRequest(state, PageContext{"1234", "10:00"}, line);
                          }};
    std::vector<std::string> requests;

    std::string Talk(const std::string& text) {
        UnitDialogue::Output out = dialogue.Feed(text, faults);
        requests.insert(requests.end(), out.requests.begin(), out.requests.end());
        return out.bytes;
    }
    bool Login() {
        return RunConsoleLogin([this](const std::string& t) { return Talk(t); }, "");
    }
    // The full reply the unit should send for `request` with no fault on the line.
    std::string CleanReply(const std::string& request) {
        UnitState copy = state;
        std::string line = request.substr(0, request.size() - 1);
        return line + "\r\n" + ServePageRequest(copy, PageContext{"1234", "10:00"}, line) + "EOT";
    }
};

TEST_F(DialogueTest, ConsoleLoginStepsSucceed) {
    std::vector<std::string> sent;
    ASSERT_TRUE(RunConsoleLogin([this](const std::string& t) { return Talk(t); }, "", &sent));
    // The greeting's "(" costs the console a second blank; "COMMAND ?" asks for "5".
    EXPECT_EQ(sent, (std::vector<std::string>{" ", " ", "\r", "5\r", "ck\r"}));
    EXPECT_EQ(dialogue.CurrentStage(), UnitDialogue::Stage::Pages);
    EXPECT_TRUE(requests.empty());
}

TEST_F(DialogueTest, LoginTextsByteForByte) {
    EXPECT_EQ(Talk(" "), "\r\nCORVANTIS DRYER CONTROL UNIT (V1.8)\r\n");
    EXPECT_EQ(Talk(" "), "\r\nENTER KEYWORD: ");
    EXPECT_EQ(Talk(" "), "\r\nENTER KEYWORD: ");
    EXPECT_EQ(Talk("\r"), "\r\nCOMMAND ? ");
    std::string menu = Talk("5\r");
    EXPECT_EQ(menu.substr(menu.size() - 5), "Quit)");
    EXPECT_EQ(Talk("ck\r"), "\r\nREMOTE CONSOLE READY (Q=Quit)");
    // A blank at the start of a line, also when logged in, begins the login again.
    EXPECT_EQ(Talk(" "), "\r\nENTER KEYWORD: ");
    EXPECT_EQ(dialogue.CurrentStage(), UnitDialogue::Stage::AskKeyword);
}

TEST(DialogueKeyword, OnlyTheRightKeywordLogsIn) {
    UnitDialogue unit("SECRET", [](const std::string&) { return std::string(); });
    auto talk = [&](const std::string& t) { return unit.Feed(t, {}).bytes; };
    EXPECT_FALSE(RunConsoleLogin(talk, ""));
    EXPECT_NE(talk("WRONG\r").find("INVALID KEYWORD"), std::string::npos);
    unit.Restart();
    EXPECT_TRUE(RunConsoleLogin(talk, "SECRET"));
}

TEST_F(DialogueTest, EveryPageIsEchoedAndEndsWithEot) {
    ASSERT_TRUE(Login());
    const char* pages[] = {"/60.htm?val=0-0\r",       "/52.htm?val=0-0\r", "/55.htm?val=0-0\r",
                           "/61.htm?val=0-0\r",       "/61.htm?val=0-3\r", "/61.htm?val=1-1\r",
                           "/51.htm?val=1-0,1234;2\r"};
    for (const char* request : pages) {
        std::string expected = CleanReply(request);
        std::string sent = Talk(request);
        EXPECT_EQ(sent, expected) << request;
        // The echo is the request with its "\r", then "\n"; the page gets the rest.
        EXPECT_EQ(sent.substr(0, std::strlen(request) + 1), std::string(request) + "\n");
        std::optional<std::string> page = CutReply(request, sent);
        ASSERT_TRUE(page.has_value()) << request;
        EXPECT_EQ(*page, expected.substr(std::strlen(request) + 1));
    }
    EXPECT_EQ(requests.size(), std::size(pages));
    EXPECT_EQ(requests[0], "/60.htm?val=0-0\r");
}

TEST_F(DialogueTest, PageTrailers) {
    ASSERT_TRUE(Login());
    // Status, Cycle Set Up and Reporting Set Up drop "EOT"; the event page drops "\r\nEOT".
    std::string status = *CutReply("/60.htm?val=0-0\r", Talk("/60.htm?val=0-0\r"));
    EXPECT_EQ(status.substr(status.size() - 6), ";NoEOT");
    std::string cycle = *CutReply("/52.htm?val=0-0\r", Talk("/52.htm?val=0-0\r"));
    EXPECT_EQ(cycle.substr(cycle.size() - 6), ";3;EOT");
    std::string events = *CutReply("/61.htm?val=0-0\r", Talk("/61.htm?val=0-0\r"));
    EXPECT_EQ(events.substr(0, 5), "1,1\r\n");
    EXPECT_EQ(events.substr(events.size() - 8), ":10\r\nEOT");
}

TEST_F(DialogueTest, RequestsBeforeLoginAreNotServed) {
    EXPECT_EQ(Talk("/60.htm?val=0-0\r"), "\r\nCORVANTIS DRYER CONTROL UNIT (V1.8)\r\n");
    EXPECT_EQ(Talk("/60.htm?val=0-0\r"), "\r\nINVALID KEYWORD\r\nENTER KEYWORD: ");
    EXPECT_TRUE(requests.empty());
}

TEST_F(DialogueTest, RequestSplitAcrossFeedsAndOverlongLines) {
    ASSERT_TRUE(Login());
    EXPECT_EQ(Talk("/60.htm?v"), "");
    EXPECT_EQ(Talk("al=0-0\r"), CleanReply("/60.htm?val=0-0\r"));
    // A line longer than the unit's buffer is thrown away whole; the next one is served.
    EXPECT_EQ(Talk("/" + std::string(5000, 'x') + "\r"), "");
    EXPECT_EQ(Talk("/52.htm?val=0-0\r"), CleanReply("/52.htm?val=0-0\r"));
    EXPECT_EQ(requests.size(), 2u);
}

TEST_F(DialogueTest, SilenceFaults) {
    faults.silentLogin = true;
    EXPECT_FALSE(Login());
    EXPECT_EQ(Talk(" "), "");
    faults = {};
    dialogue.Restart();
    ASSERT_TRUE(Login());
    faults.silentReply = true;
    EXPECT_EQ(Talk("/60.htm?val=0-0\r"), "");
    EXPECT_EQ(requests, std::vector<std::string>{"/60.htm?val=0-0\r"});
}

TEST_F(DialogueTest, FaultsThatSpoilTheReply) {
    ASSERT_TRUE(Login());
    const std::string request = "/60.htm?val=0-0\r";
    const std::string clean = CleanReply(request);
    const std::string echo = "/60.htm?val=0-0\r\n";

    faults = {};
    faults.noEcho = true;
    std::string sent = Talk(request);
    EXPECT_EQ(sent, clean.substr(echo.size()));
    EXPECT_FALSE(CutReply(request, sent).has_value());

    faults = {};
    faults.eotInData = true;
    sent = Talk(request);
    EXPECT_EQ(sent.size(), clean.size() + 3);
    std::optional<std::string> cut = CutReply(request, sent);
    ASSERT_TRUE(cut.has_value());
    EXPECT_LT(cut->size(), clean.size() - echo.size());
    EXPECT_EQ(cut->substr(cut->size() - 3), "EOT");

    faults = {};
    faults.nulByte = true;
    sent = Talk(request);
    ASSERT_EQ(sent.size(), clean.size() + 1);
    size_t zero = sent.find('\0');
    ASSERT_NE(zero, std::string::npos);
    EXPECT_GT(zero, echo.size());
    EXPECT_EQ(sent.substr(0, zero) + sent.substr(zero + 1), clean);

    faults = {};
    faults.overlong = true;
    sent = Talk(request);
    EXPECT_GT(sent.size(), 4096u);
    EXPECT_EQ(sent.find("EOT"), std::string::npos);
    EXPECT_FALSE(CutReply(request, sent).has_value());

    faults = {};
    faults.closeMidReply = true;
    UnitDialogue::Output out = dialogue.Feed(request, faults);
    EXPECT_TRUE(out.hangUp);
    EXPECT_GT(out.bytes.size(), echo.size());
    EXPECT_LT(out.bytes.size(), clean.size());
    EXPECT_EQ(clean.compare(0, out.bytes.size(), out.bytes), 0);
}

TEST_F(DialogueTest, NoiseAndHighBytesStillLogIn) {
    faults.garbage = true;
    faults.ffByte = true;
    ASSERT_TRUE(Login());
    const std::string request = "/52.htm?val=0-0\r";
    std::string clean = CleanReply(request);
    std::string sent = Talk(request);
    EXPECT_EQ(sent.substr(0, std::strlen(kLineNoise)), kLineNoise);
    EXPECT_NE(sent.find('\xFF'), std::string::npos);
    std::optional<std::string> cut = CutReply(request, sent);
    ASSERT_TRUE(cut.has_value());
    std::string withoutFF = *cut;
    withoutFF.erase(withoutFF.find('\xFF'), 1);
    EXPECT_EQ(withoutFF, clean.substr(request.size() + 1));
}

}  // namespace
}  // namespace sim

// The program debug log and the application state's login check.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "app/state/app_state.h"
#include "platform/clock.h"
#include "platform/prompt.h"
#include "tests/support/log_lines.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_dir.h"

namespace {

class DebugLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        theApp().Reset();
        m_logDir = m_temp.MakeSub("Log");
        theApp().m_strLogDir = m_logDir;
        theApp().m_bDebugLog = 1;
        platform::Clock::SetLocalTime({2016, 5, 31, 10, 20, 30, 123});
    }
    void TearDown() override {
        theApp().Reset();
        platform::Clock::ResetLocalTime();
    }
    std::string Path() const { return m_logDir + "/OPDebug 2016-05-31.Log"; }
    std::vector<std::string> Lines() const { return SplitCrLfLines(ReadWholeFile(Path())); }

    TempDir m_temp;
    std::string m_logDir;
};

TEST_F(DebugLogTest, DayFileWithOpeningBlockStampedAndRawLinesAndClosingBlock) {
    ASSERT_TRUE(theApp().OpenDebugLog());
    EXPECT_EQ(TempDir::FileNames(m_logDir), (std::vector<std::string>{"OPDebug 2016-05-31.Log"}));
    theApp().WriteDebugLog("Start() fail! reason: port create fail!");
    theApp().WriteDebugLog("raw text", true);
    theApp().CloseDebugLog();

    const std::string text = ReadWholeFile(Path());
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], LogSeparator());
    EXPECT_TRUE(IsStampedLine(lines[1], "Log Start!")) << lines[1];
    EXPECT_EQ(lines[1].substr(0, 8), "10:20:30");
    EXPECT_EQ(lines[2], LogSeparator());
    EXPECT_TRUE(IsStampedLine(lines[3], "Start() fail! reason: port create fail!")) << lines[3];
    EXPECT_EQ(lines[4], "raw text");
    EXPECT_EQ(lines[5], LogSeparator());
    EXPECT_TRUE(IsStampedLine(lines[6], "Log End!")) << lines[6];
    EXPECT_EQ(lines[7], LogSeparator());
}

TEST_F(DebugLogTest, SecondOpenTheSameDayAppends) {
    ASSERT_TRUE(theApp().OpenDebugLog());
    theApp().WriteDebugLog("first run");
    theApp().CloseDebugLog();
    ASSERT_TRUE(theApp().OpenDebugLog());
    theApp().WriteDebugLog("second run");

    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_TRUE(IsStampedLine(lines[3], "first run"));
    EXPECT_TRUE(IsStampedLine(lines[5], "Log End!"));
    EXPECT_TRUE(IsStampedLine(lines[8], "Log Start!"));
    EXPECT_TRUE(IsStampedLine(lines[10], "second run"));
}

TEST_F(DebugLogTest, ClosedLogWritesNothing) {
    ASSERT_TRUE(theApp().OpenDebugLog());
    theApp().CloseDebugLog();
    const std::string before = ReadWholeFile(Path());
    theApp().CloseDebugLog();
    theApp().WriteDebugLog("lost");
    DebugLog("lost too");
    EXPECT_FALSE(theApp().DebugLogOpen());
    EXPECT_EQ(ReadWholeFile(Path()), before);
}

TEST_F(DebugLogTest, MissingLogFolderMeansNoDebugLog) {
    theApp().m_strLogDir = m_temp.Path() + "/NoSuchFolder";
    EXPECT_FALSE(theApp().OpenDebugLog());
    EXPECT_FALSE(theApp().DebugLogOpen());
    theApp().WriteDebugLog("nowhere");
    EXPECT_FALSE(std::filesystem::exists(theApp().m_strLogDir));
}

TEST_F(DebugLogTest, DebugLogHelperWritesOnlyWhenSwitchedOn) {
    ASSERT_TRUE(theApp().OpenDebugLog());
    theApp().m_bDebugLog = 0;
    DebugLog("hidden");
    theApp().m_bDebugLog = 1;
    DebugLog("shown");
    const std::string text = ReadWholeFile(Path());
    EXPECT_EQ(text.find("hidden"), std::string::npos);
    EXPECT_NE(text.find(" : shown\r\n"), std::string::npos);
}

TEST_F(DebugLogTest, LinesFromManyThreadsLandWhole) {
    ASSERT_TRUE(theApp().OpenDebugLog());
    constexpr int kThreads = 8;
    constexpr int kLines = 400;
    const std::string body(120, '#');
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kLines; ++i) {
                theApp().WriteDebugLog("thread " + std::to_string(t) + " " + body, i % 2 == 1);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 3u + kThreads * kLines);
    for (size_t i = 3; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const size_t at = line.find("thread ");
        ASSERT_TRUE(at == 0 || at == 15) << line;
        EXPECT_EQ(line.substr(line.size() - body.size()), body) << line;
        if (at == 15) {
            EXPECT_TRUE(IsStampedLine(line, line.substr(15))) << line;
        }
    }
}

TEST(CheckLoggedInTest, AsksToConnectFirstUntilLoggedIn) {
    RecordingPrompts prompts;
    platform::SetPromptService(&prompts);
    theApp().Reset();

    EXPECT_FALSE(theApp().CheckLoggedIn());
    EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{"Please connect first."}));

    theApp().m_bLoggedIn = 1;
    EXPECT_TRUE(theApp().CheckLoggedIn());
    EXPECT_EQ(prompts.Texts().size(), 1u);

    theApp().Reset();
    platform::SetPromptService(nullptr);
}

}  // namespace

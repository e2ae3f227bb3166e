// The session log of a System: names, blocks, reports, the midnight roll, and the switch.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "app/state/app_state.h"
#include "platform/clock.h"
#include "tests/support/log_lines.h"
#include "tests/support/session_fixture.h"

namespace {

class SessionLogTest : public SessionFixture {
protected:
    // Real time: the stamps of a test must not run past a second boundary by surprise.
    double TimeScale() const override { return 1.0; }
    void SetUp() override {
        SessionFixture::SetUp();
        platform::Clock::SetLocalTime({2016, 5, 3, 9, 15, 0, 0});
    }
    std::vector<std::string> Lines(const std::string& name) {
        return SplitCrLfLines(ReadWholeFile(LogDir() + "/" + name));
    }
};

TEST_F(SessionLogTest, StartOpensTheDayFileAndTheSystemsEndClosesIt) {
    EnableLogs(false, true);
    CSystem& system = MakeSystem(COMM_DIRECT);
    ASSERT_TRUE(system.Start());
    system.Report(system.ReportText("Try dial to System"));
    system.Report("<Receive data end>");
    DeleteSystem();

    EXPECT_EQ(TempDir::FileNames(LogDir()), (std::vector<std::string>{"System001 2016-05-03.Log"}));
    const auto lines = Lines("System001 2016-05-03.Log");
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], LogSeparator());
    EXPECT_TRUE(IsStampedLine(lines[1], "Log Start!")) << lines[1];
    EXPECT_EQ(StampSeconds(lines[1]), "09:15:00");
    EXPECT_EQ(lines[2], LogSeparator());
    EXPECT_TRUE(IsStampedLine(lines[3], "[*******Try dial to System1*******]")) << lines[3];
    EXPECT_TRUE(IsStampedLine(lines[4], "<Receive data end>")) << lines[4];
    EXPECT_EQ(lines[5], LogSeparator());
    EXPECT_TRUE(IsStampedLine(lines[6], "Log End!")) << lines[6];
    EXPECT_EQ(lines[7], LogSeparator());
}

TEST_F(SessionLogTest, NamesCarryAtLeastThreeDigitsOfTheSystemId) {
    EnableLogs(false, true);
    MakeSystem(COMM_DIRECT, 1000).OpenLog();
    MakeSystem(COMM_DIRECT, 42).OpenLog();
    DeleteSystem();
    EXPECT_EQ(TempDir::FileNames(LogDir()),
              (std::vector<std::string>{"System042 2016-05-03.Log", "System1000 2016-05-03.Log"}));
    EXPECT_EQ(MakeSystem(COMM_DIRECT, 1000).ReportText("Try dial to System"),
              "[*******Try dial to System1000*******]");
}

TEST_F(SessionLogTest, SecondStartTheSameDayAppendsAnotherBlock) {
    EnableLogs(false, true);
    MakeSystem(COMM_DIRECT).Start();
    m_system->Report("first");
    MakeSystem(COMM_DIRECT).Start();  // deletes the first System
    m_system->Report("second");
    DeleteSystem();

    const auto lines = Lines("System001 2016-05-03.Log");
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_TRUE(IsStampedLine(lines[3], "first"));
    EXPECT_TRUE(IsStampedLine(lines[5], "Log End!"));
    EXPECT_TRUE(IsStampedLine(lines[8], "Log Start!"));
    EXPECT_TRUE(IsStampedLine(lines[10], "second"));
    EXPECT_TRUE(IsStampedLine(lines[12], "Log End!"));
}

TEST_F(SessionLogTest, SwitchedOffThereIsNoFileAtAll) {
    EnableLogs(false, false);
    MakeSystem(COMM_DIRECT).Start();
    m_system->Report("nothing");
    m_system->WriteLogLine("nothing either");
    m_system->RollLog();
    EXPECT_FALSE(m_system->LogOpen());
    DeleteSystem();
    EXPECT_TRUE(TempDir::FileNames(LogDir()).empty());
}

TEST_F(SessionLogTest, SwitchTurnedOffStopsReportsButKeepsTheFileUntilClosed) {
    EnableLogs(false, true);
    MakeSystem(COMM_DIRECT).OpenLog();
    theApp().m_bWriteLog = 0;
    m_system->Report("hidden");
    m_system->WriteLogLine("raw line", true);
    m_system->CloseLog();
    const auto lines = Lines("System001 2016-05-03.Log");
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[3], "raw line");
    EXPECT_TRUE(IsStampedLine(lines[5], "Log End!"));
}

TEST_F(SessionLogTest, FileThatCannotBeCreatedIsDebugLogged) {
    EnableLogs(true, true);
    theApp().m_strLogDir = LogDir() + "/missing";
    MakeSystem(COMM_DIRECT).OpenLog();
    EXPECT_FALSE(m_system->LogOpen());
    m_system->Report("into the void");
    theApp().m_strLogDir = LogDir();
    EXPECT_NE(DebugLogText().find(" : System001 Log file: " + LogDir() +
                                  "/missing/System001 2016-05-03.Log create fail!\r\n"),
              std::string::npos);
}

TEST_F(SessionLogTest, MidnightRollEndsTheOldFileAndStartsTheNewOne) {
    EnableLogs(false, true);
    platform::Clock::SetLocalTime({2016, 5, 3, 23, 59, 59, 900});
    MakeSystem(COMM_DIRECT).OpenLog();
    m_system->Report("late");
    platform::Clock::SetLocalTime({2016, 5, 4, 0, 0, 0, 250});
    m_system->RollLog();
    m_system->Report("early");

    EXPECT_EQ(TempDir::FileNames(LogDir()),
              (std::vector<std::string>{"System001 2016-05-03.Log", "System001 2016-05-04.Log"}));
    const auto old = Lines("System001 2016-05-03.Log");
    ASSERT_EQ(old.size(), 7u);
    EXPECT_TRUE(IsStampedLine(old[3], "late"));
    EXPECT_TRUE(IsStampedLine(old[5], "Log End!"));
    EXPECT_EQ(StampSeconds(old[5]), "00:00:00");
    const auto fresh = Lines("System001 2016-05-04.Log");
    ASSERT_EQ(fresh.size(), 4u);
    EXPECT_TRUE(IsStampedLine(fresh[1], "Log Start!"));
    EXPECT_EQ(StampSeconds(fresh[1]), "00:00:00");
    EXPECT_TRUE(IsStampedLine(fresh[3], "early"));
}

TEST_F(SessionLogTest, ReportsRacingTheRollAreNeitherLostNorTorn) {
    EnableLogs(false, true);
    MakeSystem(COMM_DIRECT).OpenLog();
    constexpr int kThreads = 4;
    constexpr int kReports = 300;
    std::atomic<bool> done{false};
    std::thread roller([&] {
        while (!done.load()) {
            m_system->RollLog();  // the same day: closes and reopens the same file
        }
    });
    std::vector<std::thread> reporters;
    for (int t = 0; t < kThreads; ++t) {
        reporters.emplace_back([&, t] {
            for (int i = 0; i < kReports; ++i) {
                m_system->Report("report " + std::to_string(t));
            }
        });
    }
    for (auto& thread : reporters) {
        thread.join();
    }
    done.store(true);
    roller.join();

    int reports = 0;
    for (const auto& line : Lines("System001 2016-05-03.Log")) {
        if (line == LogSeparator()) {
            continue;
        }
        ASSERT_GE(line.size(), 15u) << line;
        EXPECT_TRUE(IsStampedLine(line, line.substr(15))) << line;
        reports += line.find(" : report ") == 12 ? 1 : 0;
    }
    EXPECT_EQ(reports, kThreads * kReports);
}

}  // namespace

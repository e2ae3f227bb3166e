// The snapshot tour's verdict when the unit does not fill the pages: it must never report success
// for a page the unit did not answer, must not hang, and must say which pages were missed. Also
// the command-line rules of --snapshot and --demo.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/command_line.h"
#include "app/snapshot_tour.h"
#include "sim/unit_simulator.h"
#include "tests/support/gui/console_harness.h"
#include "tests/support/gui/ui_wait.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kWaitMs = 30000;
const std::string kAllPages = "Status, Cycle Set Up, Reporting Set Up, Event";

std::string ReadBack(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, file)) {
        text += buffer;
    }
    return text;
}

class SnapshotTour : public ::testing::Test {
protected:
    // A console started with --connect to a unit with `faults`, and the tour with its limits.
    void Start(const sim::FaultModes& faults, int loginLimitMs, int pageLimitMs) {
        sim::UnitOptions unit;
        unit.faults = faults;
        m_unit = std::make_unique<sim::UnitSimulator>(unit);
        const int port = m_unit->StartTcp("127.0.0.1", 0);
        ASSERT_GT(port, 0) << m_unit->LastError();
        m_console = std::make_unique<ConsoleHarness>(
            "[CommSetup]\r\nCommType=2\r\n[PhoneBook]\r\nCount=1\r\n1=Unit,127.0.0.1 " +
            std::to_string(port) + "\r\n");
        CommandLine line;
        line.connectSite = "Unit";
        ASSERT_TRUE(m_console->Start(line));
        CSnapshotTour::Options options;
        options.dir = m_pictures.Path();
        options.loginLimitMs = loginLimitMs;
        options.pageLimitMs = pageLimitMs;
        options.out = m_out;
        options.err = m_err;
        m_tour = std::make_unique<CSnapshotTour>(*m_console->Frame(), options);
        QObject::connect(m_tour.get(), &CSnapshotTour::Finished,
                         [this](int status) { m_finished = status; });
        m_tour->Begin();
    }
    void TearDown() override {
        m_tour.reset();
        m_console.reset();
        m_unit.reset();
        std::fclose(m_out);
        std::fclose(m_err);
    }
    bool WaitFinished(int ms) {
        return UiWaitUntil([this] { return m_finished >= 0; }, ms);
    }
    size_t PicturesWritten() const { return TempDir::FileNames(m_pictures.Path()).size(); }

    TempDir m_pictures;
    std::FILE* m_out = std::tmpfile();
    std::FILE* m_err = std::tmpfile();
    std::unique_ptr<sim::UnitSimulator> m_unit;
    std::unique_ptr<ConsoleHarness> m_console;
    std::unique_ptr<CSnapshotTour> m_tour;
    int m_finished = -1;
};

TEST_F(SnapshotTour, AUnitThatNeverRepliesFillsNoPage) {
    sim::FaultModes faults;
    faults.silentReply = true;
    Start(faults, kWaitMs, 1500);
    ASSERT_TRUE(WaitFinished(2 * kWaitMs));
    EXPECT_EQ(m_finished, 1);
    EXPECT_EQ(m_tour->Finish(), 1) << "the verdict stays";
    const std::string err = ReadBack(m_err);
    EXPECT_NE(err.find("pages not filled from the unit: " + kAllPages + "\n"), std::string::npos)
        << err;
    EXPECT_NE(err.find("the Event page got no reply within 1 s"), std::string::npos) << err;
    // What the window showed is kept for a look all the same.
    EXPECT_EQ(PicturesWritten(), 4u);
    EXPECT_FALSE(m_unit->ReceivedRequests().empty()) << "the tour did ask";
}

TEST_F(SnapshotTour, NoLoginNamesEveryPage) {
    sim::FaultModes faults;
    faults.silentLogin = true;
    Start(faults, 1000, kWaitMs);
    ASSERT_TRUE(WaitFinished(2 * kWaitMs));
    EXPECT_EQ(m_finished, 1);
    const std::string err = ReadBack(m_err);
    EXPECT_NE(err.find("did not log in to the unit within 1 s"), std::string::npos) << err;
    EXPECT_NE(err.find(kAllPages), std::string::npos) << err;
    EXPECT_EQ(PicturesWritten(), 0u);
}

TEST_F(SnapshotTour, AUnitLostMidTourEndsItAtOnce) {
    sim::FaultModes faults;
    faults.silentReply = true;
    Start(faults, kWaitMs, 60000);
    ASSERT_TRUE(UiWaitUntil([this] { return !m_unit->ReceivedRequests().empty(); }, kWaitMs));
    m_unit->Stop();
    // Well before the page's own limit: the session is gone, no page can be filled any more.
    ASSERT_TRUE(WaitFinished(20000));
    EXPECT_EQ(m_finished, 1);
    const std::string err = ReadBack(m_err);
    EXPECT_NE(err.find("the session with the unit ended"), std::string::npos) << err;
    EXPECT_NE(err.find(kAllPages), std::string::npos) << err;
}

TEST_F(SnapshotTour, EndedEarlyTheRestCountsAsNotFilled) {
    Start({}, kWaitMs, 60000);
    ASSERT_TRUE(UiWaitUntil([this] { return !m_unit->ReceivedRequests().empty(); }, kWaitMs));
    // The window closed (or a signal came) before the tour got round.
    EXPECT_EQ(m_tour->Finish(), 1);
    EXPECT_NE(ReadBack(m_err).find("Event"), std::string::npos);
    EXPECT_TRUE(m_tour->Done());
}

TEST(SnapshotCommandLine, NeedsASiteOrTheDemo) {
    const CommandLine demo = ParseCommandLine({"--demo", "--snapshot", "out"});
    EXPECT_EQ(demo.action, CommandLine::Action::Run);
    EXPECT_TRUE(demo.demo);
    EXPECT_EQ(demo.snapshotDir.value_or("?"), "out");
    const CommandLine site = ParseCommandLine({"--snapshot=out", "--connect", "North"});
    EXPECT_EQ(site.action, CommandLine::Action::Run);
    EXPECT_EQ(site.snapshotDir.value_or("?"), "out");
    EXPECT_EQ(ParseCommandLine({"--demo"}).action, CommandLine::Action::Run);

    const CommandLine alone = ParseCommandLine({"--snapshot", "out"});
    EXPECT_EQ(alone.action, CommandLine::Action::Fail);
    EXPECT_EQ(alone.error, "option '--snapshot' needs --connect SITE or --demo");
    const CommandLine empty = ParseCommandLine({"--demo", "--snapshot="});
    EXPECT_EQ(empty.action, CommandLine::Action::Fail);
    EXPECT_EQ(empty.error, "option '--snapshot' needs a folder name");
    EXPECT_EQ(ParseCommandLine({"--snapshot", "out", "--help"}).action, CommandLine::Action::Help);
    EXPECT_EQ(ParseCommandLine({"--demo=1"}).action, CommandLine::Action::Fail);
}

}  // namespace

// Start-up as a process and end to end: the single-instance lock between two real copies of the
// program, the command line's answers and exit statuses, the orderly end on SIGTERM, and
// `--connect` logging in to a simulated unit over TCP/IP.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QAction>
#include <csignal>
#include <filesystem>
#include <string>

#include "app/command_ids.h"
#include "app/core/document.h"
#include "app/frame_commands.h"
#include "app/frame_status_bar.h"
#include "app/main_frame.h"
#include "app/state/app_state.h"
#include "platform/clock.h"
#include "sim/unit_simulator.h"
#include "tests/support/child_program.h"
#include "tests/support/gui/console_harness.h"
#include "tests/support/gui/ui_wait.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kProgram = CORVANTIS_BINARY_DIR "/app/corvantis";
constexpr int kProcessTimeoutMs = 20000;

// A folder to start the program in, and a runtime folder of its own for the instance lock, so
// that tests running side by side do not see each other's console.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(access(kProgram.c_str(), X_OK), 0) << kProgram << " is not built";
        m_runtime = m_root.MakeSub("runtime");
        m_appDir = m_root.MakeSub("app");
    }

    Environment Env() const {
        return {{"XDG_RUNTIME_DIR", m_runtime}, {"QT_QPA_PLATFORM", "offscreen"}};
    }
    ProgramResult Run(const std::vector<std::string>& args) {
        return RunProgram(kProgram, args, m_appDir, Env(), kProcessTimeoutMs);
    }
    void WriteIni(const std::string& text) { WriteFile(m_appDir + "/Corvantis.ini", text); }

    // True once somebody holds the "CvHist" lock in the runtime folder.
    bool LockHeld() const {
        const int fd = open((m_runtime + "/CvHist").c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        close(fd);  // releases the lock when this probe took it
        return held;
    }

    TempDir m_root;
    std::string m_runtime;
    std::string m_appDir;
};

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    for (int waited = 0; !done(); waited += 20) {
        if (waited >= timeoutMs) {
            return false;
        }
        usleep(20000);
    }
    return true;
}

TEST_F(ProgramTest, SecondCopyIsRefusedAndFirstEndsInOrderOnSigterm) {
    WriteIni("[Settings]\r\nDebugLog=1\r\n");
    const std::string logDir = m_root.MakeSub("app/Log");

    ChildProgram first(kProgram, {}, m_appDir, Env());
    ASSERT_TRUE(first.Started());
    ASSERT_TRUE(WaitFor([&] { return LockHeld() || !first.Running(); }, kProcessTimeoutMs));
    ASSERT_TRUE(first.Running()) << first.Wait(0).err;

    const ProgramResult second = Run({});
    EXPECT_EQ(second.exitStatus, 1);
    EXPECT_NE(second.err.find("Program has started!"), std::string::npos) << second.err;
    EXPECT_TRUE(first.Running());

    first.Signal(SIGTERM);
    const ProgramResult ended = first.Wait(kProcessTimeoutMs);
    EXPECT_FALSE(ended.timedOut);
    EXPECT_EQ(ended.exitStatus, 0) << ended.err;
    // The debug log was closed quietly (no closing block at exit; only the midnight roll writes
    // one), and nothing asked a question on the way out.
    const std::vector<std::string> logs = TempDir::FileNames(logDir);
    ASSERT_EQ(logs.size(), 1u);
    const std::string log = ReadWholeFile(logDir + "/" + logs[0]);
    EXPECT_NE(log.find("Log Start!"), std::string::npos) << log;
    EXPECT_EQ(log.find("Log End!"), std::string::npos) << log;
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n") << log;
    EXPECT_EQ(ended.err.find("Exit Program?"), std::string::npos);

    // The lock went with the first copy: a new one starts.
    ChildProgram third(kProgram, {}, m_appDir, Env());
    EXPECT_TRUE(WaitFor([&] { return LockHeld() || !third.Running(); }, kProcessTimeoutMs));
    EXPECT_TRUE(third.Running());
}

TEST_F(ProgramTest, RuntimeFolderThatIsGoneStillStartsAndIsLogged) {
    // As after su or sudo -u: the variable names a folder that is not there. The lock is then
    // kept in /tmp, which other programs on this machine may hold: the test gives way to them.
    WriteIni("[Settings]\r\nDebugLog=1\r\n");
    const std::string logDir = m_root.MakeSub("app/Log");
    const std::string gone = m_root.Path() + "/run/user/4242";
    ChildProgram program(kProgram, {}, m_appDir,
                         {{"XDG_RUNTIME_DIR", gone}, {"QT_QPA_PLATFORM", "offscreen"}});
    ASSERT_TRUE(program.Started());
    const std::string note = "XDG_RUNTIME_DIR=" + gone +
                             " is not a folder (No such file or directory); the single-instance "
                             "lock is kept in /tmp instead.";
    auto logText = [&] {
        const std::vector<std::string> logs = TempDir::FileNames(logDir);
        return logs.empty() ? std::string() : ReadWholeFile(logDir + "/" + logs[0]);
    };
    WaitFor(
        [&] { return logText().find("StartAll OK") != std::string::npos || !program.Running(); },
        kProcessTimeoutMs);
    if (!program.Running()) {
        const ProgramResult ended = program.Wait(0);
        if (ended.err.find("Program has started!") != std::string::npos) {
            GTEST_SKIP() << "another program holds /tmp/CvHist";
        }
        FAIL() << "the console did not start: " << ended.err;
    }
    EXPECT_NE(logText().find(" : " + note + "\r\n"), std::string::npos) << logText();
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(kProcessTimeoutMs).exitStatus, 0);
}

TEST_F(ProgramTest, ConnectToAnUnknownSiteEndsWithStatusTwo) {
    WriteIni("[PhoneBook]\r\nCount=2\r\n1=North Yard,1234\r\n2=Depot,#7\r\n");
    for (const char* name : {"Nowhere", "north yard", "North Yard "}) {
        const ProgramResult result = Run({"--connect", name});
        EXPECT_EQ(result.exitStatus, 2) << name;
        EXPECT_NE(result.err.find(std::string("corvantis: no site named '") + name +
                                  "' in the phone book\n"),
                  std::string::npos)
            << result.err;
        // Refused before anything started: no lock was ever taken by a window.
        EXPECT_FALSE(LockHeld());
    }
}

// Started as the desktop entry starts it, the console keeps its settings and logs in a folder of
// its own, never in the home folder (or the current directory); an operator's ~/Corvantis.ini
// is still used where it stands. An unknown site ends each run right after the settings are read.
TEST_F(ProgramTest, FromTheDesktopSettingsAndLogsLiveInTheConsolesOwnFolder) {
    const std::string home = m_root.MakeSub("home");
    const std::string own = home + "/.local/share/Corvantis";
    Environment env = Env();
    env.push_back({"HOME", home});
    env.push_back({"XDG_DATA_HOME", ""});
    const auto runFromDesktop = [&] {
        return RunProgram(kProgram, {"--desktop", "--connect", "Nowhere"}, m_appDir, env,
                          kProcessTimeoutMs);
    };

    const ProgramResult first = runFromDesktop();
    EXPECT_EQ(first.exitStatus, 2) << first.err;
    EXPECT_TRUE(std::filesystem::is_directory(own + "/Log"));
    EXPECT_EQ(TempDir::FileNames(home), std::vector<std::string>{".local"});
    EXPECT_TRUE(TempDir::FileNames(m_appDir).empty());

    WriteFile(own + "/Corvantis.ini", "[Settings]\r\nDebugLog=1\r\n");
    EXPECT_EQ(runFromDesktop().exitStatus, 2);
    EXPECT_EQ(TempDir::FileNames(own + "/Log").size(), 1u) << "the debug log, read from there";

    WriteFile(home + "/Corvantis.ini", "[Settings]\r\nDebugLog=1\r\n");
    const std::string homeLog = m_root.MakeSub("home/Log");
    EXPECT_EQ(runFromDesktop().exitStatus, 2);
    EXPECT_EQ(TempDir::FileNames(homeLog).size(), 1u) << "the operator's own file is used";

    // A data home that cannot hold the folder is told, and nothing falls back into home.
    const std::string blocked = m_root.Path() + "/blocked";
    WriteFile(blocked, "a file, not a folder");
    Environment blockedEnv = Env();
    blockedEnv.push_back({"HOME", m_root.MakeSub("home2")});
    blockedEnv.push_back({"XDG_DATA_HOME", blocked});
    const ProgramResult told = RunProgram(kProgram, {"--desktop", "--connect", "Nowhere"}, m_appDir,
                                          blockedEnv, kProcessTimeoutMs);
    EXPECT_EQ(told.exitStatus, 2);
    EXPECT_NE(told.err.find("Cannot create the folder " + blocked + ": "), std::string::npos)
        << told.err;
    EXPECT_EQ(told.err.find("Cannot read the settings file"), std::string::npos)
        << "one message, about the cause: " << told.err;
    EXPECT_TRUE(TempDir::FileNames(m_root.Path() + "/home2").empty());

    // From a shell the current directory stays the start folder, whatever HOME holds.
    WriteIni("[Settings]\r\nDebugLog=1\r\n");
    const std::string shellLog = m_root.MakeSub("app/Log");
    const ProgramResult fromShell =
        RunProgram(kProgram, {"--connect", "Nowhere"}, m_appDir, env, kProcessTimeoutMs);
    EXPECT_EQ(fromShell.exitStatus, 2) << fromShell.err;
    EXPECT_EQ(TempDir::FileNames(shellLog).size(), 1u);
}

TEST_F(ProgramTest, HelpVersionAndBadOptions) {
    ProgramResult help = Run({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("--connect SITE"), std::string::npos) << help.out;

    ProgramResult version = Run({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, "Corvantis Version 1.8.1.2\n");

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--frobnicate"}, {"--connect"}, {"stray"}, {"--help=yes"}}) {
        ProgramResult bad = Run(args);
        EXPECT_EQ(bad.exitStatus, 2) << args[0];
        EXPECT_NE(bad.err.find("Usage: corvantis"), std::string::npos) << bad.err;
        EXPECT_TRUE(bad.out.empty());
    }
}

TEST(StartupInProcess, UnknownSiteStopsBeforeAnyWindow) {
    ConsoleHarness console("[PhoneBook]\r\nCount=1\r\n1=Depot,#7\r\n");
    CommandLine line;
    line.connectSite = "Nowhere";
    EXPECT_FALSE(console.Start(line));
    EXPECT_EQ(console.Console().ExitStatus(), 2);
    EXPECT_EQ(console.Frame(), nullptr);
    EXPECT_EQ(console.Document(), nullptr);
    EXPECT_EQ(TheDocument(), nullptr);
}

TEST(StartupInProcess, ConnectLogsInToASimulatedUnitOverTcp) {
    sim::UnitSimulator unit;
    const int port = unit.StartTcp("127.0.0.1", 0);
    ASSERT_GT(port, 0) << unit.LastError();
    ConsoleHarness console(
        "[CommSetup]\r\nCommType=2\r\n[PhoneBook]\r\nCount=2\r\n"
        "1=Depot,#7\r\n2=Sim Unit,127.0.0.1 " +
        std::to_string(port) + "\r\n");
    CommandLine line;
    line.connectSite = "Sim Unit";
    ASSERT_TRUE(console.Start(line));
    CMainFrame& frame = *console.Frame();
    auto command = [&](int id) { return frame.Commands()->Action(id)->isEnabled(); };

    ASSERT_TRUE(UiWaitUntil(
        [&] {
            return frame.StatusBar()->ConnectionText() == "Connected" &&
                   theApp().m_bLoggedIn.load() != 0;
        },
        20000))
        << frame.StatusBar()->ConnectionText().toStdString();
    EXPECT_EQ(unit.LoginCount(), 1);
    EXPECT_EQ(console.Document()->FirstSystem()->Telephone, "127.0.0.1 " + std::to_string(port));
    // Logged in over TCP/IP, the one-second tick keeps the pane as it is.
    UiWaitFor(1500);
    EXPECT_EQ(frame.StatusBar()->ConnectionText(), "Connected");
    EXPECT_NE(theApp().m_bLoggedIn.load(), 0);
    UiWaitFor(2 * CMainFrame::kUpdateIntervalMs);
    EXPECT_FALSE(command(ID_CONNECT));
    EXPECT_TRUE(command(ID_DISCONNECT));
    EXPECT_FALSE(command(ID_DIAL_SETUP));
    EXPECT_FALSE(command(ID_PHONE_BOOK));

    // The Status page polls the unit once logged in.
    EXPECT_TRUE(UiWaitUntil([&] { return !unit.ReceivedRequests().empty(); }, 8000));
    if (!unit.ReceivedRequests().empty()) {
        EXPECT_EQ(unit.ReceivedRequests().front(), "/60.htm?val=0-0\r");
    }

    frame.Commands()->Action(ID_DISCONNECT)->trigger();
    EXPECT_TRUE(UiWaitUntil(
        [&] {
            return frame.StatusBar()->ConnectionText() == "Disconnected" && command(ID_CONNECT) &&
                   command(ID_DIAL_SETUP) && command(ID_PHONE_BOOK);
        },
        5000))
        << frame.StatusBar()->ConnectionText().toStdString();
    EXPECT_EQ(theApp().m_bLoggedIn.load(), 0);
    EXPECT_FALSE(command(ID_DISCONNECT));
}

}  // namespace

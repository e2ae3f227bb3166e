// The snapshot tour as a real process: `corvantis --connect SITE --snapshot DIR` against a
// separately started corvantis-unit, and `corvantis --demo --snapshot DIR` with the built-in unit.
// Each must end by itself with exit status 0, four pictures of the main window that differ from
// one another, and the Status values of the unit printed; the demo must leave the operator's own
// settings alone.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QImage>
#include <filesystem>
#include <sstream>

#include "sim/unit_state.h"
#include "tests/support/child_program.h"
#include "tests/support/gui/console_harness.h"
#include "tests/support/gui/page_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kConsole = CORVANTIS_BINARY_DIR "/app/corvantis";
const std::string kUnitProgram = CORVANTIS_BINARY_DIR "/sim/corvantis-unit";
constexpr int kRunLimitMs = 180000;
const char* const kPictures[] = {"status.png", "cycle.png", "reporting.png", "event.png"};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The blank-separated word after `label` in `text` ("" when there is none).
std::string WordAfter(const std::string& text, const std::string& label) {
    const size_t at = text.find(label);
    if (at == std::string::npos) {
        return "";
    }
    std::istringstream rest(text.substr(at + label.size()));
    std::string word;
    rest >> word;
    return word;
}

// The words of the output line that starts with the word `first`; empty when there is none.
std::vector<std::string> LineStartingWith(const std::string& text, const std::string& first) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::vector<std::string> found;
        for (std::string word; words >> word;) {
            found.push_back(word);
        }
        if (!found.empty() && found[0] == first) {
            return found;
        }
    }
    return {};
}

class SnapshotProgram : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        for (const std::string& program : {kConsole, kUnitProgram}) {
            ASSERT_TRUE(std::filesystem::exists(program)) << program << " is not built";
        }
        m_runtime = m_dir.MakeSub("run");
        chmod(m_runtime.c_str(), 0700);
        m_work = m_dir.MakeSub("work");
        m_tmp = m_dir.MakeSub("tmp");
    }

    ProgramResult RunConsole(const std::vector<std::string>& args) {
        return RunProgram(
            kConsole, args, m_work,
            {{"QT_QPA_PLATFORM", "offscreen"}, {"XDG_RUNTIME_DIR", m_runtime}, {"TMPDIR", m_tmp}},
            kRunLimitMs);
    }

    // The four pictures are there, of the main window's size, and no two are alike.
    void ExpectFourPictures(const std::string& folder) {
        std::vector<QImage> images;
        for (const char* name : kPictures) {
            QImage image(QString::fromStdString(folder + "/" + name));
            ASSERT_FALSE(image.isNull()) << name;
            EXPECT_GE(image.width(), 735) << name;
            EXPECT_GE(image.height(), 570) << name;
            images.push_back(image);
        }
        for (size_t a = 0; a < images.size(); ++a) {
            for (size_t b = a + 1; b < images.size(); ++b) {
                EXPECT_NE(images[a], images[b]) << kPictures[a] << " and " << kPictures[b];
            }
        }
    }

    // Every installed dryer of `unit` has its line in the printed table, with its model (and its
    // alarm time when in alarm); and the cycle values follow.
    static void ExpectStatusTable(const std::string& out, const sim::UnitState& unit) {
        for (int n = 1; n <= sim::UnitState::kDryers; ++n) {
            const sim::Dryer& dryer = unit.dryers[n - 1];
            const auto words = LineStartingWith(out, std::to_string(n));
            if (!dryer.present) {
                EXPECT_TRUE(words.empty()) << "dryer " << n << "\n" << out;
                continue;
            }
            // Dryer, lamp, status, model, and the alarm's date and time when in alarm.
            ASSERT_EQ(words.size(), dryer.alarmTime.empty() ? 4u : 6u) << "dryer " << n << "\n"
                                                                       << out;
            EXPECT_EQ(words[3], dryer.model) << "dryer " << n;
            if (!dryer.alarmTime.empty()) {
                EXPECT_EQ(words[4] + " " + words[5], dryer.alarmTime);
                EXPECT_EQ(words[1], "Alarm");
            }
        }
        EXPECT_TRUE(Contains(out, "Minimum Number of Dryers Online:  " +
                                      std::to_string(unit.cycle.minOnline) + "\n"))
            << out;
    }

    TempDir m_dir;
    std::string m_runtime;
    std::string m_work;
    std::string m_tmp;
};

TEST_F(SnapshotProgram, ConnectsToASeparateUnitAndSavesTheFourPages) {
    ChildProgram unit(kUnitProgram, {"--tcp", "127.0.0.1:0"}, m_work, {});
    ASSERT_TRUE(unit.WaitForOutput("\n", 20000)) << "corvantis-unit says where it listens";
    const std::string port = WordAfter(unit.Output(), "listening on 127.0.0.1:");
    ASSERT_FALSE(port.empty()) << unit.Output();
    WriteFile(m_work + "/Corvantis.ini",
              "[CommSetup]\r\nCommType=2\r\n[Settings]\r\nWriteLog=1\r\n"
              "[PhoneBook]\r\nCount=2\r\n1=Old Depot,127.0.0.1 1\r\n2=Demo unit,127.0.0.1 " +
                  port + "\r\n");
    m_dir.MakeSub("work/Log");

    const ProgramResult run = RunConsole({"--connect", "Demo unit", "--snapshot", "pictures"});
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    ExpectFourPictures(m_work + "/pictures");
    ExpectStatusTable(run.out, sim::UnitState::Base());
    EXPECT_TRUE(Contains(run.out, "Cycle Mode:                       24HR\n")) << run.out;
    EXPECT_FALSE(Contains(run.err, "not filled")) << run.err;

    // The session was logged where the operator's settings say.
    bool sessionLog = false;
    for (const std::string& name : TempDir::FileNames(m_work + "/Log")) {
        sessionLog = sessionLog || name.rfind("System001 ", 0) == 0;
    }
    EXPECT_TRUE(sessionLog);
    unit.Signal(SIGTERM);
    EXPECT_EQ(unit.Wait(10000).exitStatus, 0);
}

TEST_F(SnapshotProgram, TheDemoWorksInAScratchFolderOfItsOwn) {
    const std::string operatorsIni = "[CommSetup]\r\nCommType=1\r\nTelephone=5550000\r\n";
    WriteFile(m_work + "/Corvantis.ini", operatorsIni);

    const ProgramResult run = RunConsole({"--demo", "--snapshot", m_work + "/pictures"});
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 0) << run.out << run.err;
    ExpectFourPictures(m_work + "/pictures");
    ExpectStatusTable(run.out, sim::UnitState::Demo());
    EXPECT_TRUE(Contains(run.out, "Cycle Mode:                       DAYS (Mon Wed Fri)\n"))
        << run.out;
    EXPECT_TRUE(Contains(run.out, "password: 1234")) << run.out;

    // The operator's folder is as it was; the demo's own is under TMPDIR, with its settings and
    // both logs.
    EXPECT_EQ(ReadWholeFile(m_work + "/Corvantis.ini"), operatorsIni);
    EXPECT_FALSE(std::filesystem::exists(m_work + "/Log"));
    const std::string scratch = WordAfter(run.out, "folder:");
    EXPECT_EQ(scratch.rfind(m_tmp + "/", 0), 0u) << scratch;
    EXPECT_TRUE(Contains(ReadWholeFile(scratch + "/Corvantis.ini"), "1=Demo unit,127.0.0.1 "));
    const auto logs = TempDir::FileNames(scratch + "/Log");
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(logs[0].rfind("OPDebug ", 0), 0u);
    EXPECT_EQ(logs[1].rfind("System001 ", 0), 0u);
}

}  // namespace

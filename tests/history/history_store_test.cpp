// The history store on a real SQLite file: only changes are stored, alarms become intervals
// (raised, cleared, raised again, acknowledged), the last state survives a restart, unit texts are
// kept as UTF-8, events are stored once; a damaged file is kept aside and replaced; a read-only
// folder or a full disk is told once and the writer goes on without history.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <fstream>

#include "history/history_reader.h"
#include "history/history_store.h"
#include "history/history_writer.h"
#include "tests/support/forked_check.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace history;

constexpr int64_t kMinute = 60000;

LocalMs At(int day, int hour, int minute = 0) {
    return ToLocalMs(platform::LocalTime{2026, 12, day, hour, minute, 0, 0});
}

StatusRecord Quiet() {
    StatusRecord record;
    for (int k = 0; k < 4; ++k) {
        record.dryers[k].online = k < 2;
        record.dryers[k].standby = k >= 2;
        record.dryers[k].status = k < 2 ? "Online" : "Standby";
        record.dryers[k].model = "DX-40";
    }
    record.cycle = {"24HR", "12/08/2026 06:00", "2", "1-2-3-4", "No"};
    return record;
}

StatusRecord WithAlarm(StatusRecord record, int dryer, const std::string& when) {
    DryerRecord& d = record.dryers[dryer - 1];
    d.alarm = true;
    d.online = d.standby = false;
    d.status = "Alarm";
    d.alarmTime = when;
    return record;
}

class HistoryStoreTest : public ::testing::Test {
protected:
    std::string Path() const { return m_dir.Path() + "/Corvantis.db"; }
    void OpenStore(LocalMs now = At(8, 0)) {
        ASSERT_EQ(m_store.Open(Path(), 365, now), HistoryStore::OpenResult::Opened)
            << m_store.Notice();
    }
    HistoryReader Reader() {
        HistoryReader reader;
        EXPECT_TRUE(reader.Open(Path())) << reader.Error();
        return reader;
    }
    int Write(const StatusRecord& record, LocalMs seen, const std::string& site = "North") {
        const auto written = m_store.WritePoll(site, seen, record);
        EXPECT_TRUE(written.has_value()) << m_store.Error();
        return written.value_or(-1);
    }

    TempDir m_dir;
    HistoryStore m_store;
};

TEST_F(HistoryStoreTest, OnlyChangesAreStoredAndAlarmsBecomeIntervals) {
    OpenStore();
    EXPECT_EQ(Write(Quiet(), At(8, 0)), 9);  // the first poll: all eight dryers and the cycle
    EXPECT_EQ(Write(Quiet(), At(8, 0, 5)), 0);
    EXPECT_EQ(Write(Quiet(), At(8, 0, 10)), 0);

    const StatusRecord alarm2 = WithAlarm(Quiet(), 2, "2026-12-08 03:00");
    EXPECT_EQ(Write(alarm2, At(8, 3)), 1);
    EXPECT_EQ(Write(alarm2, At(8, 3, 5)), 0);
    EXPECT_EQ(Write(Quiet(), At(8, 5, 30)), 1);  // cleared
    // Cleared and raised again between two polls: a new alarm time with the lamp still on.
    EXPECT_EQ(Write(WithAlarm(Quiet(), 3, "2026-12-08 12:00"), At(8, 12)), 1);
    EXPECT_EQ(Write(WithAlarm(Quiet(), 3, "2026-12-08 12:40"), At(8, 12, 45)), 1);
    // Only the cycle changes.
    StatusRecord cycle = WithAlarm(Quiet(), 3, "2026-12-08 12:40");
    cycle.cycle.mode = "DAYS M.W.F";
    EXPECT_EQ(Write(cycle, At(8, 13)), 1);

    HistoryReader reader = Reader();
    EXPECT_EQ(reader.Count("dryer_changes", "North"), 8 + 4);
    EXPECT_EQ(reader.Count("cycle_changes", "North"), 2);
    const auto alarms = reader.Alarms("North", At(8, 0), At(9, 0));
    ASSERT_EQ(alarms.size(), 3u);
    EXPECT_EQ(alarms[2].dryer, 2);
    EXPECT_EQ(alarms[2].raised, At(8, 3));
    EXPECT_EQ(alarms[2].cleared, At(8, 5, 30));
    EXPECT_EQ(alarms[2].unitTime, "2026-12-08 03:00");
    EXPECT_EQ(alarms[1].dryer, 3);
    EXPECT_EQ(alarms[1].cleared, At(8, 12, 45));
    EXPECT_EQ(alarms[0].dryer, 3);
    EXPECT_EQ(alarms[0].raised, At(8, 12, 45));
    EXPECT_FALSE(alarms[0].cleared.has_value());
    // A span that ends before the alarm of dryer 2 sees none of them.
    EXPECT_TRUE(reader.Alarms("North", At(8, 0), At(8, 2)).empty());
}

TEST_F(HistoryStoreTest, ARestartContinuesFromTheStoredStateAndItsOpenAlarm) {
    OpenStore();
    const StatusRecord alarm = WithAlarm(Quiet(), 1, "2026-12-08 09:00");
    Write(alarm, At(8, 9));
    m_store.Close();

    HistoryStore again;
    ASSERT_EQ(again.Open(Path(), 365, At(8, 10)), HistoryStore::OpenResult::Opened);
    EXPECT_EQ(again.WritePoll("North", At(8, 10), alarm), 0);  // nothing new after the restart
    EXPECT_EQ(again.WritePoll("North", At(8, 11), Quiet()), 1);
    EXPECT_TRUE(again.Acknowledge("North", 1, At(8, 11, 1)));
    EXPECT_FALSE(again.Acknowledge("North", 1, At(8, 11, 2)));  // nothing left to acknowledge
    EXPECT_FALSE(again.Acknowledge("South", 1, At(8, 11, 2)));

    const auto alarms = Reader().Alarms("North", At(8, 0), At(9, 0));
    ASSERT_EQ(alarms.size(), 1u);
    EXPECT_EQ(alarms[0].raised, At(8, 9));
    EXPECT_EQ(alarms[0].cleared, At(8, 11));
    EXPECT_EQ(alarms[0].acknowledged, At(8, 11, 1));
}

TEST_F(HistoryStoreTest, SitesAreKeptApartAndUnitTextsBecomeUtf8) {
    OpenStore();
    StatusRecord record = Quiet();
    record.dryers[0].status = "Pr\xe9sent";  // Latin-1
    Write(record, At(8, 1), "Usine \xe0 Lyon");
    Write(Quiet(), At(8, 1), "North");
    HistoryReader reader = Reader();
    EXPECT_EQ(reader.Sites(), (std::vector<std::string>{"North", "Usine \xc3\xa0 Lyon"}));
    const auto changes = reader.DryerChanges("Usine \xc3\xa0 Lyon", At(8, 0), At(9, 0));
    ASSERT_EQ(changes.size(), 8u);
    EXPECT_EQ(changes[0].status, "Pr\xc3\xa9sent");
    // The second site's first poll is its own, not a change against the first site.
    EXPECT_EQ(reader.Count("dryer_changes", "North"), 8);
}

TEST_F(HistoryStoreTest, DryerChangesOfASpanStartWithTheStateBeforeIt) {
    OpenStore(At(1, 0));
    Write(Quiet(), At(1, 0));
    Write(WithAlarm(Quiet(), 1, "x"), At(5, 6));
    Write(Quiet(), At(5, 7));
    HistoryReader reader = Reader();
    const auto changes = reader.DryerChanges("North", At(5, 0), At(6, 0));
    // Eight dryers as they were at midnight, then the two changes of dryer 1.
    ASSERT_EQ(changes.size(), 10u);
    EXPECT_EQ(changes[0].seen, At(1, 0));
    EXPECT_EQ(changes[8].state, DryerState::Alarm);
    EXPECT_EQ(changes[9].state, DryerState::Online);
}

TEST_F(HistoryStoreTest, PruningDropsOldRowsButKeepsEachDryersLastState) {
    ASSERT_EQ(m_store.Open(Path(), 2, At(1, 0)), HistoryStore::OpenResult::Opened);
    Write(Quiet(), At(1, 0));
    Write(WithAlarm(Quiet(), 1, "a"), At(1, 1));
    Write(Quiet(), At(1, 2));
    ASSERT_TRUE(
        m_store.MergeEvents("North", At(1, 3), {{"1", "Alarm", "d", "2026-12-01", "03:00"}}));
    // Five days later (a new day prunes with the write): the old alarm and event go, the last
    // state of each dryer stays.
    EXPECT_EQ(Write(Quiet(), At(6, 0)), 0);
    HistoryReader reader = Reader();
    EXPECT_EQ(reader.Count("alarms", "North"), 0);
    EXPECT_EQ(reader.Count("events", "North"), 0);
    EXPECT_EQ(reader.Count("dryer_changes", "North"), 8);
    EXPECT_EQ(reader.DryerChanges("North", At(6, 0), At(7, 0)).size(), 8u);
}

TEST_F(HistoryStoreTest, EventsAreStoredOnce) {
    OpenStore();
    std::vector<UnitEventRecord> events = {
        {"1", "Alarm", "Dryer 1 high dew point", "2026-12-01", "10:00:00"},
        {"-", "Settings", "Cycle set up changed, \"24HR\"", "2026-12-01", "11:00:00"},
    };
    EXPECT_EQ(m_store.MergeEvents("North", At(8, 1), events), 2);
    events.push_back({"2", "Alarm", "Dryer 2 high dew point", "2026-12-02", "10:00:00"});
    EXPECT_EQ(m_store.MergeEvents("North", At(8, 2), events), 1);
    EXPECT_EQ(m_store.MergeEvents("South", At(8, 2), events), 3);
    const auto stored = Reader().Events("North");
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[1].event, events[1]);
}

TEST_F(HistoryStoreTest, ADamagedFileIsKeptAsideUnderADatedNameAndANewOneStarted) {
    const std::string junk(8192, 'x');
    {
        std::ofstream out(Path(), std::ios::binary);
        out << junk;
    }
    ASSERT_EQ(m_store.Open(Path(), 365, At(8, 9, 15)), HistoryStore::OpenResult::Replaced);
    const std::string aside = Path() + ".damaged-2026-12-08-091500";
    EXPECT_EQ(m_store.Notice(), aside);
    EXPECT_EQ(ReadWholeFile(aside), junk);
    EXPECT_EQ(Write(Quiet(), At(8, 9, 16)), 9);
    EXPECT_EQ(Reader().Count("dryer_changes", "North"), 8);
}

// The writer's notices, counted in the child that runs it.
struct NoticeCount {
    int unwritable = 0;
    int replaced = 0;
};

int WriteThreePollsAndCount(const std::string& path, NoticeCount& count) {
    HistoryWriter writer(path, 365, [&count](HistoryWriter::Notice kind, const std::string&) {
        (kind == HistoryWriter::Notice::Unwritable ? count.unwritable : count.replaced)++;
    });
    writer.Start();
    StatusRecord record = Quiet();
    for (int i = 0; i < 3; ++i) {
        record.dryers[0].status = std::string(40000, char('a' + i));
        writer.WritePoll("North", At(8, 1, i), record);
    }
    writer.Flush();
    const bool off = writer.state() == HistoryWriter::State::Off;
    writer.Stop();
    return off ? 0 : 10;
}

TEST_F(HistoryStoreTest, AReadOnlyFolderIsToldOnceAndHistoryGoesOff) {
    chmod(m_dir.Path().c_str(), 0755);
    const std::string folder = m_dir.MakeSub("readonly");
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    const int result = RunInChild(
        [&] {
            NoticeCount count;
            const int off = WriteThreePollsAndCount(folder + "/Corvantis.db", count);
            return off + (count.unwritable == 1 ? 0 : 1) + (count.replaced == 0 ? 0 : 2);
        },
        true);
    EXPECT_EQ(result, 0);
}

TEST_F(HistoryStoreTest, AFullDiskIsToldOnceAndHistoryGoesOff) {
    const std::string path = Path();
    const int result = RunInChild([&] {
        // A file size limit stands for the full disk: writes past it fail with EFBIG.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64 * 1024, 64 * 1024};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return 20;
        }
        NoticeCount count;
        const int off = WriteThreePollsAndCount(path, count);
        return off + (count.unwritable == 1 ? 0 : 1);
    });
    EXPECT_EQ(result, 0);
}

}  // namespace

// Reading the whole event list: the harvest asks for the first page, then the next until the
// header says "N of N", keeps each event once even when the list moved under it, and stops on a
// header it cannot follow. Event lines keep descriptions with commas whole, and the CSV file reads
// back field for field (commas, quotes, line ends, Latin-1 turned UTF-8).
#include <gtest/gtest.h>

#include "history/csv_file.h"
#include "history/event_harvest.h"
#include "history/state_timeline.h"
#include "protocol/latin1_text.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace history;

std::string Page(int page, int pages, const std::vector<std::string>& lines) {
    std::string text = std::to_string(page) + "," + std::to_string(pages);
    for (const std::string& line : lines) {
        text += "\r\n" + line;
    }
    return text;
}

TEST(EventHarvestTest, ReadsFromTheFirstPageToTheLastAndKeepsEachEventOnce) {
    EventHarvest harvest;
    EXPECT_EQ(harvest.Start(), "/61.htm?val=0-1\r");
    EXPECT_EQ(harvest.OnReply(
                  Page(1, 3, {"1,Alarm,a,2026-12-01,10:00:00", "2,Alarm,b,2026-12-01,09:00:00"})),
              "/61.htm?val=0-3\r");
    // A new event pushed "b" onto the second page meanwhile.
    EXPECT_EQ(harvest.OnReply(
                  Page(2, 3, {"2,Alarm,b,2026-12-01,09:00:00", "3,Alarm,c,2026-12-01,08:00:00"})),
              "/61.htm?val=0-3\r");
    EXPECT_EQ(harvest.OnReply(Page(3, 3, {"-,Settings,d,2026-12-01,07:00:00"})), "");
    EXPECT_EQ(harvest.state(), EventHarvest::State::Done);
    ASSERT_EQ(harvest.Events().size(), 4u);
    EXPECT_EQ(harvest.Events()[3].dryer, "-");
    EXPECT_EQ(harvest.PagesRead(), 3);
}

TEST(EventHarvestTest, AnEmptyListIsOnePageAndAnUnfollowableHeaderStops) {
    EventHarvest harvest;
    harvest.Start();
    EXPECT_EQ(harvest.OnReply("1,1"), "");
    EXPECT_EQ(harvest.state(), EventHarvest::State::Done);
    EXPECT_TRUE(harvest.Events().empty());

    for (const std::string& reply :
         {std::string("x,y"), Page(2, 3, {}), Page(4, 3, {}), std::string()}) {
        harvest.Start();
        EXPECT_EQ(harvest.OnReply(reply), "") << reply;
        EXPECT_EQ(harvest.state(), EventHarvest::State::Failed) << reply;
        EXPECT_FALSE(harvest.Problem().empty());
    }
    // The unit stays on the same page instead of going on.
    harvest.Start();
    harvest.OnReply(Page(1, 3, {}));
    EXPECT_EQ(harvest.OnReply(Page(1, 3, {})), "");
    EXPECT_EQ(harvest.state(), EventHarvest::State::Failed);
    // A reply after the end or after a cancel is not read.
    harvest.Start();
    harvest.Cancel("cancelled");
    EXPECT_EQ(harvest.OnReply(Page(1, 1, {"1,a,b,c,d"})), "");
    EXPECT_TRUE(harvest.Events().empty());
}

TEST(EventHarvestTest, EventLinesKeepDescriptionsWithCommasWhole) {
    UnitEventRecord record;
    ASSERT_TRUE(ParseEventLine("3,Alarm,Dew point high, 41 \"C\",2026-12-01,10:00:00", record));
    EXPECT_EQ(record, (UnitEventRecord{"3", "Alarm", "Dew point high, 41 \"C\"", "2026-12-01",
                                       "10:00:00"}));
    ASSERT_TRUE(ParseEventLine("3,Alarm", record));
    EXPECT_EQ(record, (UnitEventRecord{"3", "Alarm", "", "", ""}));
    EXPECT_FALSE(ParseEventLine("", record));
}

TEST(CsvFileTest, FieldsReadBackAsTheyWereWritten) {
    const CsvRow header = {"Dryer", "Event", "Description", "Date", "Time"};
    const std::vector<CsvRow> rows = {
        {"1", "Alarm", "plain", "2026-12-01", "10:00:00"},
        {"2", "Alarm", "with, comma and \"quotes\"", "2026-12-01", "10:00:01"},
        {"-", "", "two\r\nlines", "", ""},
        {"3", "R\xc3\xa9glage", "\"", ",", ""},
    };
    const std::string text = CsvText(header, rows);
    EXPECT_EQ(text.substr(0, 36), "Dryer,Event,Description,Date,Time\r\n1");
    EXPECT_NE(text.find("\"with, comma and \"\"quotes\"\"\""), std::string::npos);
    std::vector<CsvRow> expected = {header};
    expected.insert(expected.end(), rows.begin(), rows.end());
    EXPECT_EQ(ParseCsv(text), expected);

    TempDir dir;
    const std::string path = dir.Path() + "/events.csv";
    std::string error;
    ASSERT_TRUE(WriteFileWhole(path, text, &error)) << error;
    EXPECT_EQ(ReadWholeFile(path), text);
    EXPECT_EQ(TempDir::FileNames(dir.Path()), std::vector<std::string>{"events.csv"});
    EXPECT_FALSE(WriteFileWhole(dir.Path() + "/missing/events.csv", text, &error));
    EXPECT_NE(error.find("missing"), std::string::npos);
}

TEST(CsvFileTest, Latin1BecomesUtf8) {
    EXPECT_EQ(Latin1ToUtf8("caf\xe9 \xb0"
                           "C \xff"),
              "caf\xc3\xa9 \xc2\xb0"
              "C \xc3\xbf");
    EXPECT_EQ(Latin1ToUtf8("plain"), "plain");
}

TEST(StateTimelineTest, SegmentsAreClippedToTheSpanAndEndNow) {
    const LocalMs day = ToLocalMs(platform::LocalTime{2026, 12, 8, 0, 0, 0, 0});
    const LocalMs hour = 3600000;
    std::vector<DryerChange> changes = {
        {1, day - 5 * hour, DryerState::Online, "Online", "", ""},
        {1, day + 3 * hour, DryerState::Alarm, "Alarm", "03:00", ""},
        {1, day + 5 * hour, DryerState::Online, "Online", "", ""},
        {2, day + 2 * hour, DryerState::Standby, "Standby", "", ""},
    };
    const auto segments = SegmentsOf(changes, day, day + 24 * hour, day + 10 * hour);
    ASSERT_EQ(segments.size(), 4u);
    EXPECT_EQ(segments[0].from, day);  // known since before the span
    EXPECT_EQ(segments[0].to, day + 3 * hour);
    EXPECT_EQ(segments[1].state, DryerState::Alarm);
    EXPECT_EQ(segments[1].to, day + 5 * hour);
    EXPECT_EQ(segments[2].to, day + 10 * hour);  // up to now, not the span's end
    EXPECT_EQ(segments[3].dryer, 2);
    EXPECT_EQ(segments[3].from, day + 2 * hour);  // nothing drawn before its first change

    // Stamps count the local calendar: a leap day, a year's end, and no zone or summer time.
    EXPECT_EQ(day, 1796688000000LL);
    const LocalMs leap = ToLocalMs(platform::LocalTime{2028, 2, 28, 23, 59, 59, 500});
    EXPECT_EQ(LocalText(leap + 1000), "2028-02-29 00:00:00");
    EXPECT_EQ(LocalText(ToLocalMs(platform::LocalTime{2026, 12, 31, 23, 0, 0, 0}) + 2 * hour),
              "2027-01-01 01:00:00");
    EXPECT_EQ(FromLocalMs(day - 1).millisecond, 999);
    EXPECT_EQ(FromLocalMs(day - 1).day, 7);
}

}  // namespace

#include "sim/unit_state.h"

#include <gtest/gtest.h>

#include "sim/unit_pages.h"

namespace sim {
namespace {

const std::string kBaseCycle =
    "1,1,DX-40;1,1,DX-40;1,2,DX-60;1,3,DX-60;0,0,;0,0,;0,0,;0,0,;2;12/08/2026,06:00;0;0;0,0;0;3;";

// The settings text the Cycle Set Up page writes back for the base unit when nothing changed.
const std::string kBaseCycleWrite =
    "1,DX-40;1,DX-40;2,DX-60;3,DX-60;0,;0,;0,;0,;2;12/08/2026,06:00;0;0;0,0;0;3;";

TEST(UnitStateRecords, BaseUnitTexts) {
    UnitState s = UnitState::Base();
    EXPECT_EQ(s.StatusRecord("10:00"),
              "0;192;48;Green,,Online,DX-40;Green,,Online,DX-40;Orange,,Standby,DX-60;"
              "Orange,,Standby,DX-60;Lightgrey,,Not Installed,;Lightgrey,,Not Installed,;"
              "Lightgrey,,Not Installed,;Lightgrey,,Not Installed,;24HR;12/08/2026 06:00;10:00;2;"
              "1-2-3-4;No");
    EXPECT_EQ(s.CycleRecord(), kBaseCycle);
    std::string reporting = s.ReportingRecord();
    EXPECT_EQ(std::count(reporting.begin(), reporting.end(), '^'), 21);
    EXPECT_EQ(reporting.substr(0, 17), "PLANT 1 DRYERS^Y^");
    EXPECT_EQ(reporting.back(), '^');
}

TEST(UnitStateRecords, StatusShowsAlarmMaintenanceAndDaysMode) {
    UnitState s = UnitState::Base();
    ASSERT_TRUE(s.RaiseAlarm(2, "2016-11-07 16:47"));
    s.cycle.maintenanceDryer = 3;
    s.cycle.mode = kDaysMode + kMonday + kWednesday + kFriday;
    std::string status = s.StatusRecord("x");
    // Dryer 2 moves from the online mask (bit 6) to the alarm mask; dryer 3 leaves standby.
    EXPECT_EQ(status.substr(0, 9), "64;128;16");
    EXPECT_NE(status.find(";Red,2016-11-07 16:47,Alarm,DX-40;"), std::string::npos);
    EXPECT_NE(status.find(";Blue,,Maintenance,DX-60;"), std::string::npos);
    EXPECT_NE(status.find(";DAYS M.W.F;"), std::string::npos);
    // Positions 5..9 of the mode field carry the weekday mask.
    EXPECT_EQ(std::string("DAYS M.W.F").substr(5, 5), "M.W.F");
}

TEST(UnitStateWrites, CycleWriteChangesLaterReads) {
    UnitState s = UnitState::Base();
    ASSERT_TRUE(s.ApplyCycleWrite(
        "1,DX-40;2,DX-41;2,DX-60;3,DX-60;0,;0,;0,;0,;3;12/09/2026,07:30;170;4;4,2;1;10;"));
    EXPECT_EQ(
        s.CycleRecord(),
        "1,1,DX-40;1,2,DX-41;1,2,DX-60;1,3,DX-60;0,0,;0,0,;0,0,;0,0,;3;12/09/2026,07:30;170;4;"
        "4,2;1;10;");
    EXPECT_EQ(s.events.back().description, "Cycle set up changed");
    // Writing back what was read changes nothing but is accepted.
    UnitState same = UnitState::Base();
    EXPECT_TRUE(same.ApplyCycleWrite(kBaseCycleWrite));
    EXPECT_EQ(same.CycleRecord(), kBaseCycle);
}

TEST(UnitStateWrites, InvalidCycleWriteChangesNothing) {
    const char* bad[] = {
        "",                                                                           // empty
        "1,DX-40;1,DX-40;2,DX-60;3,DX-60;0,;0,;0,;0,;2;12/08/2026,06:00;0;0;0,0;0;",  // 14 records
        "1,DX-40;1,DX-40;2,DX-60;3,DX-60;0,;0,;0,;0,;9;12/08/2026,06:00;0;0;0,0;0;3;",    // min > 4
        "1,DX-40;1,DX-40;2,DX-60;3,DX-60;0,;0,;0,;0,;0;12/08/2026,06:00;0;0;0,0;0;3;",    // min 0
        "1,DX-40;1,DX-40;2,DX-60;3,DX-60;0,;0,;0,;0,;2;12/08/2026,06:00;128;0;0,0;0;3;",  // no day
        "1,DX-40;1,DX-40;2,DX-60;3,DX-60;0,;0,;0,;0,;2;12/08/2026,06:00;2;0;0,0;0;3;",    // mode 2
        "1,DX-40;1,DX-40;2,DX-60;3,DX-60;0,;0,;0,;0,;2;12/08/2026,06:00;0;6;0,0;0;3;",    // absent
        "1,DX-40;1,DX-40;2,DX-60;3,DX-60;0,;0,;0,;0,;2;12/08/2026,06:00;0;0;4,3;0;3;",    // 3 = ?
        "1,DX-40;1,DX-40;2,DX-60;3,DX-60;0,;0,;0,;0,;2;12/08/2026,06:00;0;0;0,0;2;3;",    // skip 2
        "1,DX-40;1,DX-40;2,DX-60;3,DX-60;0,;0,;0,;0,;2;12/08/2026,06:00;0;0;0,0;0;11;",   // delay
        "4,DX-40;1,DX-40;2,DX-60;3,DX-60;0,;0,;0,;0,;2;12/08/2026,06:00;0;0;0,0;0;3;",  // status 4
        "1,DX-40;1,DX-40;2,DX-60;3,DX-60;0,;0,;0,;0,;2;123456789012,06:00;0;0;0,0;0;3;",  // long
        "1,DX-40;1,DX-40;2,DX-60;3,DX-60;0,;0,;0,;0,;2;12/08/2026;0;0;0,0;0;3;",  // one time field
        "1,DX-40;1,DX-40;2,DX-60;3,DX-60;0,;0,;0,;0,;+2;12/08/2026,06:00;0;0;0,0;0;3;",  // sign
    };
    for (const char* text : bad) {
        UnitState s = UnitState::Base();
        size_t events = s.events.size();
        EXPECT_FALSE(s.ApplyCycleWrite(text)) << text;
        EXPECT_EQ(s.CycleRecord(), kBaseCycle) << text;
        EXPECT_EQ(s.events.size(), events) << text;
    }
}

TEST(UnitStateWrites, CycleWriteKeepsWhichDryersAreInstalled) {
    UnitState s = UnitState::Base();
    // A record for absent dryer 5 and "0," for present dryer 4: neither changes presence.
    ASSERT_TRUE(s.ApplyCycleWrite(
        "1,DX-40;1,DX-40;2,DX-60;0,;2,NEW;0,;0,;0,;2;12/08/2026,06:00;0;0;0,0;0;3;"));
    EXPECT_TRUE(s.dryers[3].present);
    EXPECT_EQ(s.dryers[3].model, "DX-60");
    EXPECT_FALSE(s.dryers[4].present);
}

TEST(UnitStateWrites, ReportingWrite) {
    UnitState s = UnitState::Base();
    std::string record;
    for (int i = 0; i < 21; ++i) {
        record += (i == 1 ? std::string("N") : "f" + std::to_string(i)) + "^";
    }
    ASSERT_TRUE(s.ApplyReportingWrite(record));
    EXPECT_EQ(s.ReportingRecord(), record);

    UnitState t = UnitState::Base();
    const std::string before = t.ReportingRecord();
    std::string lowerY = record;
    lowerY.replace(lowerY.find("^N^"), 3, "^y^");
    EXPECT_FALSE(t.ApplyReportingWrite(lowerY));
    EXPECT_FALSE(t.ApplyReportingWrite(record.substr(0, record.size() - 4)));  // 20 fields
    EXPECT_FALSE(t.ApplyReportingWrite(std::string(72, 'N') + record.substr(record.find('^'))));
    EXPECT_FALSE(t.ApplyReportingWrite("a\r^" + record.substr(record.find('^') + 1)));
    std::string longScript = record;
    longScript.replace(longScript.find("f14"), 3, std::string(81, 's'));
    EXPECT_FALSE(t.ApplyReportingWrite(longScript));
    EXPECT_EQ(t.ReportingRecord(), before);
}

TEST(UnitStateWrites, ResetClearsOnlyAnAlarm) {
    UnitState s = UnitState::Base();
    EXPECT_FALSE(s.ResetDryer(1));  // not in alarm
    EXPECT_FALSE(s.ResetDryer(6));  // not installed
    EXPECT_FALSE(s.ResetDryer(0));
    EXPECT_FALSE(s.ResetDryer(9));
    ASSERT_TRUE(s.RaiseAlarm(4, "2026-12-07 08:00"));
    EXPECT_EQ(s.StatusRecord("t").substr(0, 2), "16");
    EXPECT_TRUE(s.ResetDryer(4));
    EXPECT_EQ(s.StatusRecord("t").substr(0, 2), "0;");
    EXPECT_EQ(s.dryers[3].alarmTime, "");
    EXPECT_EQ(s.events.back().event, "Alarm Reset");
    EXPECT_FALSE(s.ResetDryer(4));
}

TEST(UnitStateEvents, PagingAndSorting) {
    UnitState s;
    for (int i = 0; i < 40; ++i) {
        char time[sizeof "10:-2147483648:00"];  // room for any int, as the compiler checks
        std::snprintf(time, sizeof time, "10:%02d:00", i);
        s.AddEvent(1 + i % 8, i % 2 ? "Online" : "Alarm", "e" + std::to_string(i), "2026-12-01",
                   time);
    }
    EXPECT_EQ(s.EventPageCount(), 3);
    // Date descending by default: the newest first.
    std::string page = s.EventPageText();
    EXPECT_EQ(page.substr(0, 5), "1,3\r\n");
    EXPECT_NE(page.find("\r\n8,Online,e39,2026-12-01,10:39:00\r\n"), std::string::npos);
    EXPECT_EQ(std::count(page.begin(), page.end(), '\n'), 19);

    s.NavigateEvents(4);
    page = s.EventPageText();
    EXPECT_EQ(page.substr(0, 5), "3,3\r\n");
    EXPECT_EQ(std::count(page.begin(), page.end(), '\n'), 5);  // 4 events on the last page
    s.NavigateEvents(3);
    EXPECT_EQ(s.eventPage, 3);
    s.NavigateEvents(2);
    EXPECT_EQ(s.eventPage, 2);
    s.NavigateEvents(1);
    s.NavigateEvents(2);
    EXPECT_EQ(s.eventPage, 1);

    s.NavigateEvents(4);
    ASSERT_TRUE(s.SortEvents(2, 1));  // dryer ascending, back to the first page
    EXPECT_EQ(s.eventPage, 1);
    std::vector<UnitEvent> sorted = s.SortedEvents();
    EXPECT_EQ(sorted.front().dryer, 1);
    EXPECT_EQ(sorted.front().description, "e0");  // ties in order of arrival
    EXPECT_EQ(sorted.back().dryer, 8);
    ASSERT_TRUE(s.SortEvents(1, 0));  // event descending
    EXPECT_EQ(s.SortedEvents().front().event, "Online");
    EXPECT_FALSE(s.SortEvents(4, 0));
    EXPECT_FALSE(s.SortEvents(1, 2));
    EXPECT_EQ(s.eventSortKey, 1);
}

TEST(UnitStateEvents, EmptyListIsOnePage) {
    UnitState s;
    EXPECT_EQ(s.EventPageText(), "1,1\r\n");
    s.NavigateEvents(3);
    EXPECT_EQ(s.eventPage, 1);
}

TEST(UnitStatePresets, DemoAndSeeds) {
    UnitState demo = UnitState::Demo();
    int alarms = 0, standby = 0;
    for (const Dryer& d : demo.dryers) {
        alarms += d.present && d.condition == DryerCondition::Alarm;
        standby += d.present && d.condition == DryerCondition::Standby;
    }
    EXPECT_EQ(alarms, 1);
    EXPECT_GE(standby, 2);
    EXPECT_GT(demo.cycle.mode, kDaysMode);
    EXPECT_GE(demo.events.size(), 24u);
    EXPECT_EQ(demo.StatusRecord("t").find("EOT"), std::string::npos);

    for (uint32_t seed : {1u, 2u, 77u, 123456u}) {
        UnitState a = UnitState::Seeded(seed), b = UnitState::Seeded(seed);
        EXPECT_EQ(a.StatusRecord("t"), b.StatusRecord("t"));
        EXPECT_EQ(a.EventPageText(), b.EventPageText());
        EXPECT_GE(a.PresentCount(), 1);
        EXPECT_GE(a.cycle.minOnline, 1);
        EXPECT_LE(a.cycle.minOnline, a.PresentCount());
        // Whatever a seed draws, writing back what it reads is accepted.
        std::string write;
        for (const Dryer& d : a.dryers) {
            write += d.present ? std::to_string(d.role) + "," + d.model + ";" : "0,;";
        }
        std::string cycle = a.CycleRecord();
        size_t afterDryers = 0;
        for (int i = 0; i < 8; ++i) {
            afterDryers = cycle.find(';', afterDryers) + 1;
        }
        EXPECT_TRUE(a.ApplyCycleWrite(write + cycle.substr(afterDryers))) << seed;
        for (const std::string& text : {a.StatusRecord("t"), a.EventPageText(), a.CycleRecord()}) {
            EXPECT_EQ(text.find("EOT"), std::string::npos) << seed;
        }
    }
    EXPECT_NE(UnitState::Seeded(1).StatusRecord("t"), UnitState::Seeded(2).StatusRecord("t"));
}

TEST(UnitPages, RequestGrammar) {
    PageRequest r;
    ASSERT_TRUE(ParsePageRequest("/61.htm?val=2-1", r));
    EXPECT_EQ(r.page, 61);
    EXPECT_EQ(r.a, 2);
    EXPECT_EQ(r.b, 1);
    EXPECT_FALSE(r.hasArgument);
    ASSERT_TRUE(ParsePageRequest("/53.htm?val=1-0,pa ss;1,X;", r));
    EXPECT_TRUE(r.hasArgument);
    EXPECT_EQ(r.password, "pa ss");
    EXPECT_EQ(r.data, "1,X;");
    for (const char* bad : {"", "/", "/6.htm?val=0-0", "/60.htm?val=0", "/60.htm?val=-0-0",
                            "/60.htm?val=0-0x", "/60.html?val=0-0", "60.htm?val=0-0"}) {
        EXPECT_FALSE(ParsePageRequest(bad, r)) << bad;
    }
}

TEST(UnitPages, WritesNeedThePassword) {
    UnitState s = UnitState::Base();
    s.RaiseAlarm(1, "2026-12-07 01:00");
    PageContext context{"1234", "t"};
    const std::string alarmed = s.StatusRecord("t");
    EXPECT_EQ(ServePageRequest(s, context, "/51.htm?val=1-0,9999;1"), alarmed);
    EXPECT_EQ(ServePageRequest(s, context, "/51.htm?val=1-0,;1"), alarmed);
    EXPECT_EQ(ServePageRequest(s, context, "/51.htm?val=0-0,1234;1"), alarmed);  // not a write
    const std::string cycleWrite = "/53.htm?val=1-0,123;" + kBaseCycleWrite;
    std::string changed = cycleWrite;
    changed.replace(changed.find("3;", changed.size() - 3), 1, "7");
    EXPECT_EQ(ServePageRequest(s, context, changed), kBaseCycle);
    EXPECT_EQ(ServePageRequest(s, context, "/55.htm?val=1-0,1234;" + s.ReportingRecord()),
              s.ReportingRecord());  // without "TT=" nothing is written
    EXPECT_EQ(s.events.size(), UnitState::Base().events.size() + 1);  // only the alarm

    std::string reset = ServePageRequest(s, context, "/51.htm?val=1-0,1234;1");
    EXPECT_EQ(reset.substr(0, 2), "0;");
    EXPECT_EQ(ServePageRequest(s, context,
                               "/53.htm?val=1-0,1234;" +
                                   kBaseCycleWrite.substr(0, kBaseCycleWrite.size() - 2) + "7;"),
              kBaseCycle.substr(0, kBaseCycle.size() - 2) + "7;");
    EXPECT_EQ(ServePageRequest(s, context, "/99.htm?val=0-0"), "");
    EXPECT_EQ(ServePageRequest(s, context, "garbage"), "");
}

}  // namespace
}  // namespace sim

// The console's history against the simulated unit over loopback TCP: alarms raised and cleared
// over a day (the local clock set forward hour by hour) appear in Corvantis.db as the right
// intervals and unchanged polls add nothing; the History window shows them; the reset password
// never reaches the file. "Export events..." reads a list of 100 events, then 105: exactly 105
// are stored and the CSV file reads back field for field; Cancel or a click on the page midway
// stops it with the file unwritten and the store consistent.
#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <memory>

#include "app/core/document.h"
#include "app/halvoric_view.h"
#include "app/history/console_history.h"
#include "app/history/event_export.h"
#include "app/history/history_window.h"
#include "app/history/save_file_chooser.h"
#include "app/history_view.h"
#include "app/main_frame.h"
#include "app/state/app_state.h"
#include "controls/static_ex.h"
#include "history/csv_file.h"
#include "history/history_reader.h"
#include "pages/dlg_parent.h"
#include "pages/web_page_event.h"
#include "pages/web_page_status.h"
#include "platform/clock.h"
#include "protocol/latin1_text.h"
#include "sim/unit_simulator.h"
#include "tests/support/gui/console_harness.h"
#include "tests/support/gui/scoped_modal_handler.h"
#include "tests/support/gui/ui_stall_meter.h"
#include "tests/support/gui/ui_wait.h"

namespace {

constexpr int kWaitMs = 20000;
constexpr const char* kSite = "North Plant";
constexpr const char* kPassword = "Kv8#pass";

using history::LocalMs;

platform::LocalTime Day(int hour, int minute = 0) {
    return platform::LocalTime{2026, 12, 8, hour, minute, 0, 0};
}

// The events of the simulated unit, all different; one description with a comma, quotes and a
// Latin-1 letter.
void FillEvents(sim::UnitState& unit, int count) {
    unit.events.clear();
    for (int i = 0; i < count; ++i) {
        char date[32];
        char time[32];
        std::snprintf(date, sizeof date, "2026-11-%02d", 1 + i / 24);
        std::snprintf(time, sizeof time, "%02d:%02d:00", i % 24, i % 60);
        const std::string description =
            i == 7 ? "Dew point high, 41 \"C\" in r\xe9seau" : "Event number " + std::to_string(i);
        unit.AddEvent(i % 9, i % 2 ? "Alarm" : "Alarm Reset", description, date, time);
    }
}

class HistoryEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Clock::SetLocalTime(Day(0));
        sim::UnitOptions options;
        options.clockText = "10:00";
        options.password = kPassword;
        m_unit = std::make_unique<sim::UnitSimulator>(options);
        const int port = m_unit->StartTcp("127.0.0.1", 0);
        ASSERT_GT(port, 0) << m_unit->LastError();
        const std::string address = "127.0.0.1 " + std::to_string(port);

        m_console = std::make_unique<ConsoleHarness>(
            "[CommSetup]\r\nCommType=2\r\nTelephone=" + address +
            "\r\n[PhoneBook]\r\nCount=1\r\n1=" + kSite + "," + address + "\r\n");
        ASSERT_TRUE(m_console->Start());
        ASSERT_TRUE(m_console->LogIn(address, kWaitMs));
        m_host = m_console->Frame()->MainView()->PageHost();
        m_status = dynamic_cast<CWebPage_Status*>(m_host->Page(0));
        m_events = dynamic_cast<CWebPage_Event*>(m_host->Page(3));
        ASSERT_TRUE(m_status && m_events);
        m_modal = std::make_unique<ScopedModalHandler>([](QDialog& dialog) {
            dialog.findChild<QLineEdit*>()->setText(kPassword);
            dialog.accept();
            return int(QDialog::Accepted);
        });
        SetSaveFileChooser([this](QWidget*, const QString&, const QString&) {
            return QString::fromStdString(m_csvPath);
        });
    }
    void TearDown() override {
        SetSaveFileChooser({});
        m_modal.reset();
        m_console.reset();
        m_unit.reset();
        platform::Clock::ResetLocalTime();
    }

    CConsoleHistory& History() { return *m_console->Console().History(); }
    CEventExport& Export() { return *m_console->Console().HistoryView()->EventExport(); }
    std::string DbPath() const { return m_console->Dir() + "/Corvantis.db"; }

    history::HistoryReader Reader() {
        History().Flush();
        history::HistoryReader reader;
        EXPECT_TRUE(reader.Open(DbPath())) << reader.Error();
        return reader;
    }

    // Polls (as the page's timer does) until `done` holds.
    bool PollUntil(const std::function<bool()>& done) {
        return UiWaitUntil(
            [&] {
                m_status->OnTimer(1);
                return done();
            },
            kWaitMs);
    }
    bool AlarmShown(int dryer) const { return !m_status->Row(dryer - 1).alarm->isHidden(); }

    void ShowEventPage() {
        m_host->TabCtrl().TabBar()->setCurrentIndex(3);
        ASSERT_TRUE(UiWaitUntil([this] { return !m_events->m_bWaitReply; }, kWaitMs));
    }
    // Runs "Export events..." to `path` until it ends; true when the file was written.
    bool RunExport(const std::string& path) {
        m_csvPath = path;
        bool ended = false;
        bool written = false;
        auto connection = QObject::connect(&Export(), &CEventExport::finished, [&](bool ok) {
            ended = true;
            written = ok;
        });
        m_events->ExportButton()->click();
        EXPECT_TRUE(UiWaitUntil([&] { return ended; }, 60000));
        QObject::disconnect(connection);
        return written;
    }

    std::unique_ptr<sim::UnitSimulator> m_unit;
    std::unique_ptr<ConsoleHarness> m_console;
    std::unique_ptr<ScopedModalHandler> m_modal;
    CDlgParent* m_host = nullptr;
    CWebPage_Status* m_status = nullptr;
    CWebPage_Event* m_events = nullptr;
    std::string m_csvPath;
};

TEST_F(HistoryEndToEnd, AlarmsOfADayBecomeIntervalsAndUnchangedPollsAddNothing) {
    UiStallMeter meter;
    ASSERT_TRUE(PollUntil([this] { return m_status->RepliesShown() > 0; }));

    auto at = [](int hour, int minute = 0) {
        platform::Clock::SetLocalTime(Day(hour, minute));
        return history::ToLocalMs(Day(hour, minute));
    };
    const LocalMs raised2 = at(3);
    m_unit->UpdateState([](sim::UnitState& s) { s.RaiseAlarm(2, "2026-12-08 03:00"); });
    ASSERT_TRUE(PollUntil([&] { return AlarmShown(2); }));
    const LocalMs cleared2 = at(5, 30);
    m_unit->UpdateState([](sim::UnitState& s) { s.ResetDryer(2); });
    ASSERT_TRUE(PollUntil([&] { return !AlarmShown(2); }));
    const LocalMs raised13 = at(12);
    m_unit->UpdateState([](sim::UnitState& s) {
        s.RaiseAlarm(1, "2026-12-08 12:00");
        s.RaiseAlarm(3, "2026-12-08 12:00");
    });
    ASSERT_TRUE(PollUntil([&] { return AlarmShown(1) && AlarmShown(3); }));
    // Dryer 1 is reset from the page, with the password.
    const LocalMs cleared1 = at(18);
    m_status->OnReset(IDC_RESET_FIRST + 0);
    ASSERT_TRUE(PollUntil([&] { return !AlarmShown(1); }));
    History().Acknowledge(3);
    at(23);
    meter.Stop();

    auto reader = Reader();
    const int64_t changes = reader.Count("dryer_changes", kSite);
    // Coming back to the page shows the unchanged reply again: nothing is added.
    for (int i = 0; i < 3; ++i) {
        const int shown = m_status->RepliesShown();
        m_status->OnSetActive();
        ASSERT_TRUE(PollUntil([&] { return m_status->RepliesShown() > shown; }));
    }
    auto after = Reader();
    EXPECT_EQ(after.Count("dryer_changes", kSite), changes);

    const auto alarms = after.Alarms(kSite, history::ToLocalMs(Day(0)),
                                     history::ToLocalMs(Day(0)) + history::kMsPerDay);
    ASSERT_EQ(alarms.size(), 3u);
    // Seen at the poll after the change: within the few seconds a poll takes.
    auto near = [](LocalMs seen, LocalMs when) { return seen >= when && seen < when + 20000; };
    const history::AlarmInterval& two = alarms[2];
    EXPECT_EQ(two.dryer, 2);
    EXPECT_TRUE(near(two.raised, raised2));
    ASSERT_TRUE(two.cleared);
    EXPECT_TRUE(near(*two.cleared, cleared2));
    EXPECT_EQ(two.unitTime, "2026-12-08 03:00");
    for (const history::AlarmInterval* alarm : {&alarms[0], &alarms[1]}) {
        EXPECT_TRUE(near(alarm->raised, raised13));
        if (alarm->dryer == 1) {
            ASSERT_TRUE(alarm->cleared);
            EXPECT_TRUE(near(*alarm->cleared, cleared1));
        } else {
            EXPECT_EQ(alarm->dryer, 3);
            EXPECT_FALSE(alarm->cleared);
            EXPECT_TRUE(alarm->acknowledged);
        }
    }
    std::printf("%s\n", meter.Summary("history writes over a day of polls").c_str());

    // The History window of the View menu shows the day.
    m_console->Console().HistoryView()->HistoryAction()->trigger();
    CHistoryWindow* window = m_console->Console().HistoryView()->Window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Site().toStdString(), kSite);
    EXPECT_EQ(window->AlarmList().size(), 3u);
    EXPECT_EQ(window->AlarmTable()->rowCount(), 3);
    EXPECT_NE(window->AlarmsCsv().find("2026-12-08 03:00"), std::string::npos);
    bool alarmSegment = false;
    for (const history::StateSegment& segment : window->Segments()) {
        alarmSegment |= segment.dryer == 2 && segment.state == history::DryerState::Alarm;
    }
    EXPECT_TRUE(alarmSegment);
    UiWaitFor(300);
    const QString dir = QString(CORVANTIS_BINARY_DIR) + "/screenshots";
    QDir().mkpath(dir);
    EXPECT_TRUE(window->grab().save(dir + "/history_window.png"));

    // The reset's password went to the unit, never to the history.
    for (const std::string& file : {DbPath(), DbPath() + "-wal"}) {
        EXPECT_EQ(ReadWholeFile(file).find(kPassword), std::string::npos) << file;
    }
}

std::vector<history::CsvRow> ExpectedRows(const sim::UnitState& unit) {
    std::vector<history::CsvRow> rows = {{"Dryer", "Event", "Description", "Date", "Time"}};
    for (const sim::UnitEvent& e : unit.SortedEvents()) {
        rows.push_back({e.dryer == 0 ? "-" : std::to_string(e.dryer), e.event,
                        Latin1ToUtf8(e.description), e.date, e.time});
    }
    return rows;
}

TEST_F(HistoryEndToEnd, AnExportOf100Then105EventsStoresEachOnceAndReadsBack) {
    m_unit->UpdateState([](sim::UnitState& s) { FillEvents(s, 100); });
    ShowEventPage();
    m_unit->ClearReceivedRequests();
    ASSERT_TRUE(RunExport(m_console->Dir() + "/events-100.csv"));
    const auto requests = m_unit->ReceivedRequests();
    ASSERT_EQ(requests.size(), 6u);  // 100 events, 18 a page
    EXPECT_EQ(requests[0], "/61.htm?val=0-1\r");
    EXPECT_EQ(requests[5], "/61.htm?val=0-3\r");
    EXPECT_EQ(history::ParseCsv(ReadWholeFile(m_console->Dir() + "/events-100.csv")),
              ExpectedRows(m_unit->Snapshot()));
    EXPECT_EQ(m_console->Prompts().Last(),
              "100 events exported to " + m_console->Dir() + "/events-100.csv.");
    const QString dir = QString(CORVANTIS_BINARY_DIR) + "/screenshots";
    QDir().mkpath(dir);
    EXPECT_TRUE(m_console->Frame()->grab().save(dir + "/event_page_export.png"));

    m_unit->UpdateState([](sim::UnitState& s) {
        for (int i = 0; i < 5; ++i) {
            s.AddEvent(4, "Alarm", "Late event " + std::to_string(i), "2026-12-08",
                       "0" + std::to_string(i) + ":00:00");
        }
    });
    const std::string path = m_console->Dir() + "/events-105.csv";
    ASSERT_TRUE(RunExport(path));
    const auto rows = history::ParseCsv(ReadWholeFile(path));
    EXPECT_EQ(rows.size(), 106u);
    EXPECT_EQ(rows, ExpectedRows(m_unit->Snapshot()));
    EXPECT_NE(ReadWholeFile(path).find("\"Dew point high, 41 \"\"C\"\" in r\xc3\xa9seau\""),
              std::string::npos);
    EXPECT_EQ(Reader().Count("events", kSite), 105);
}

TEST_F(HistoryEndToEnd, CancelOrAClickMidwayStopsTheExportAndLeavesTheStoreConsistent) {
    m_unit->UpdateState([](sim::UnitState& s) { FillEvents(s, 105); });
    ShowEventPage();
    const std::string path = m_console->Dir() + "/events.csv";

    // Cancel in the progress dialog after the second page.
    int replies = 0;
    auto cancel = QObject::connect(m_events, &CWebPage_Event::replyShown, [&] {
        if (++replies == 2 && Export().Progress()) {
            Export().Progress()->findChild<QPushButton*>()->click();
        }
    });
    EXPECT_FALSE(RunExport(path));
    QObject::disconnect(cancel);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    EXPECT_FALSE(m_events->m_bWaitReply);
    EXPECT_EQ(Reader().Count("events", kSite), 36);  // the two pages read, whole

    // A click on "Last Page" after the first page: the operator's request goes out at once.
    const size_t prompts = m_console->Prompts().Texts().size();
    replies = 0;
    auto click = QObject::connect(m_events, &CWebPage_Event::replyShown, [&] {
        if (++replies == 1) {
            m_unit->ClearReceivedRequests();
            m_events->OnPaging(kFirstPageButton + 3);
        }
    });
    EXPECT_FALSE(RunExport(path));
    QObject::disconnect(click);
    EXPECT_EQ(m_console->Prompts().Texts().size(), prompts)  // no "Requesting data..."
        << m_console->Prompts().Last();
    // The export's next request was already on its way; the operator's follows it.
    ASSERT_TRUE(UiWaitUntil(
        [this] {
            const auto requests = m_unit->ReceivedRequests();
            return !requests.empty() && requests.back() == "/61.htm?val=0-4\r";
        },
        kWaitMs));
    EXPECT_TRUE(UiWaitUntil(
        [this] { return m_events->PageLabel()->WindowText() == QStringLiteral("6 of 6"); },
        kWaitMs))
        << m_events->PageLabel()->WindowText().toStdString();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));

    // The whole list then: every event once.
    ASSERT_TRUE(RunExport(path));
    EXPECT_EQ(Reader().Count("events", kSite), 105);
}

}  // namespace

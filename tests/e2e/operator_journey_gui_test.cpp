// An operator's whole session with the console, through its real widgets, against a simulated unit
// over loopback TCP: Connect, pick the site in the Phone Book and Select; the Status page shows the
// dryer in alarm and RESET clears it; a Cycle Set Up change and a Reporting Set Up change are
// accepted; the event list is paged and sorted; Disconnect; Exit. Every step checks both what the
// operator sees and what the unit received.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/command_ids.h"
#include "app/core/document.h"
#include "app/frame_commands.h"
#include "app/frame_status_bar.h"
#include "app/halvoric_view.h"
#include "app/main_frame.h"
#include "app/state/app_state.h"
#include "controls/button_ex.h"
#include "controls/static_ex.h"
#include "dialogs/qt_document_dialogs.h"
#include "pages/dlg_parent.h"
#include "pages/web_page_config.h"
#include "pages/web_page_event.h"
#include "pages/web_page_report.h"
#include "pages/web_page_status.h"
#include "sim/unit_simulator.h"
#include "tests/support/gui/console_harness.h"
#include "tests/support/gui/operator_hands.h"
#include "tests/support/gui/ui_stall_meter.h"
#include "tests/support/gui/ui_wait.h"
#include "tests/support/gui/widget_actions.h"

namespace {

constexpr int kWaitMs = 30000;
const std::string kSite = "Plant 7 Dryers";
const std::string kPassword = "1234";

std::string Text(const CStaticEx* control) {
    return control->WindowText().toLatin1().toStdString();
}

class OperatorJourney : public ::testing::Test {
protected:
    void SetUp() override {
        sim::UnitOptions options;
        options.demo = true;
        options.password = kPassword;
        options.clockText = "16:52";
        m_unit = std::make_unique<sim::UnitSimulator>(options);
        const int port = m_unit->StartTcp("127.0.0.1", 0);
        ASSERT_GT(port, 0) << m_unit->LastError();
        m_address = "127.0.0.1 " + std::to_string(port);

        // System 1 starts at an address nobody answers at: only the phone book brings the unit's.
        m_console = std::make_unique<ConsoleHarness>(
            "[CommSetup]\r\nCommType=2\r\nTelephone=127.0.0.1 1\r\n"
            "[Settings]\r\nWriteLog=1\r\n"
            "[PhoneBook]\r\nCount=2\r\n1=Old Depot,127.0.0.1 1\r\n2=" +
            kSite + "," + m_address + "\r\n");
        ASSERT_TRUE(m_console->Start());
        m_dialogs = std::make_unique<QtDocumentDialogs>(m_console->Frame());
        m_console->Document()->SetDialogs(m_dialogs.get());
        m_hands = std::make_unique<OperatorHands>(kSite, kPassword);
    }
    void TearDown() override {
        m_hands.reset();
        m_console.reset();
        m_dialogs.reset();
        m_unit.reset();
    }

    CMainFrame& Frame() { return *m_console->Frame(); }
    template <typename Page>
    Page& PageAt(int index) {
        return dynamic_cast<Page&>(*Frame().MainView()->PageHost()->Page(index));
    }
    void Command(int id) { Frame().Commands()->Action(id)->trigger(); }
    QString Pane() { return Frame().StatusBar()->ConnectionText(); }

    bool Received(const std::string& request) const {
        const auto requests = m_unit->ReceivedRequests();
        return std::find(requests.begin(), requests.end(), request) != requests.end();
    }
    bool ReceivedStartingWith(const std::string& head) const {
        const auto requests = m_unit->ReceivedRequests();
        return std::any_of(requests.begin(), requests.end(),
                           [&](const std::string& r) { return r.rfind(head, 0) == 0; });
    }
    // Opens the page's tab and waits until the page has shown a reply from the unit.
    bool OpenTab(int index, const std::string& expectedRead) {
        CWebPage* page = Frame().MainView()->PageHost()->Page(index);
        const int before = page->RepliesShown();
        ChooseTab(Frame(), index);
        return UiWaitUntil([&] { return page->RepliesShown() > before; }, kWaitMs) &&
               Received(expectedRead);
    }
    // Presses the page's Accept button once it is offered and waits for the unit's answer.
    bool Accept(CWebPage& page, CButtonEx* accept) {
        if (!UiWaitUntil([&] { return Shown(accept); }, 3000)) {
            return false;
        }
        const int before = page.RepliesShown();
        accept->click();
        return UiWaitUntil([&] { return page.RepliesShown() > before; }, kWaitMs);
    }

    std::unique_ptr<sim::UnitSimulator> m_unit;
    std::unique_ptr<ConsoleHarness> m_console;
    std::unique_ptr<QtDocumentDialogs> m_dialogs;
    std::unique_ptr<OperatorHands> m_hands;
    std::string m_address;
};

TEST_F(OperatorJourney, FromConnectToExit) {
    // The UI loop turns all along: no step may hold it longer than the console's own 1000 ms.
    UiStallMeter stall;
    // Connect: the Phone Book, the unit's site, Select; the console logs in.
    Command(ID_CONNECT);
    EXPECT_EQ(m_hands->PhoneBooksAnswered(), 1);
    EXPECT_EQ(m_console->Document()->FindSystem(1)->Telephone, m_address);
    ASSERT_TRUE(UiWaitUntil([&] { return Pane() == "Connected"; }, kWaitMs))
        << "the pane shows " << Pane().toStdString();
    EXPECT_EQ(m_unit->LoginCount(), 1);

    // Status: the unit's dryer in alarm, with its time and a RESET link.
    auto& status = PageAt<CWebPage_Status>(0);
    ASSERT_TRUE(UiWaitUntil([&] { return status.RepliesShown() > 0; }, kWaitMs));
    EXPECT_TRUE(Received("/60.htm?val=0-0\r"));
    const sim::UnitState unit = m_unit->Snapshot();
    int alarmed = 0;
    for (int n = 1; n <= 8; ++n) {
        const sim::Dryer& dryer = unit.dryers[n - 1];
        const auto& row = status.Row(n - 1);
        const bool alarm = dryer.present && dryer.condition == sim::DryerCondition::Alarm;
        EXPECT_EQ(Shown(row.reset), alarm) << "dryer " << n;
        EXPECT_EQ(Shown(row.alarm), alarm) << "dryer " << n;
        EXPECT_EQ(Text(row.model), dryer.model) << "dryer " << n;
        if (alarm) {
            alarmed = n;
            EXPECT_EQ(Text(row.alarmTime), dryer.alarmTime);
            EXPECT_EQ(row.status->m_crColor, QColor(255, 0, 0));
        }
    }
    ASSERT_NE(alarmed, 0) << "the demo unit has a dryer in alarm";
    EXPECT_EQ(Text(status.LowerValue(2)), "16:52");

    // RESET with the password: the unit takes the reset, and a later poll hides the link.
    const auto& alarmRow = status.Row(alarmed - 1);
    PressWidget(*alarmRow.reset);
    EXPECT_EQ(m_hands->PasswordsTyped(), 1);
    ASSERT_TRUE(UiWaitUntil(
        [&] {
            return Received("/51.htm?val=1-0," + kPassword + ";" + std::to_string(alarmed) + "\r");
        },
        kWaitMs));
    EXPECT_NE(m_unit->Snapshot().dryers[alarmed - 1].condition, sim::DryerCondition::Alarm);
    ASSERT_TRUE(UiWaitUntil([&] { return !Shown(alarmRow.reset); }, kWaitMs))
        << "the next poll shows the dryer out of alarm";
    EXPECT_FALSE(Shown(alarmRow.alarm));

    // Cycle Set Up: the unit's settings; a new alarm delay is accepted and written.
    auto& cycle = PageAt<CWebPage_Config>(1);
    ASSERT_TRUE(OpenTab(1, "/52.htm?val=0-0\r"));
    EXPECT_EQ(cycle.Mode()->currentText(), "DAYS");
    EXPECT_EQ(cycle.DryerModel(0)->text().toStdString(), unit.dryers[0].model);
    EXPECT_EQ(cycle.AlarmDelay()->currentIndex(), unit.cycle.alarmDelay);
    EXPECT_FALSE(Shown(cycle.AcceptButton())) << "nothing to accept before a change";
    const int delay = unit.cycle.alarmDelay == 8 ? 9 : 8;
    cycle.AlarmDelay()->setCurrentIndex(delay);
    emit cycle.AlarmDelay()->activated(delay);
    ASSERT_TRUE(Accept(cycle, cycle.AcceptButton()));
    EXPECT_EQ(m_hands->PasswordsTyped(), 2);
    EXPECT_TRUE(ReceivedStartingWith("/53.htm?val=1-0," + kPassword + ";"));
    EXPECT_EQ(m_unit->Snapshot().cycle.alarmDelay, delay);
    EXPECT_EQ(m_unit->Snapshot().cycle.mode, unit.cycle.mode) << "the rest is written unchanged";
    EXPECT_TRUE(UiWaitUntil([&] { return !Shown(cycle.AcceptButton()); }, 3000));

    // Reporting Set Up: the system name, changed and accepted.
    auto& reporting = PageAt<CWebPage_Report>(2);
    ASSERT_TRUE(OpenTab(2, "/55.htm?val=0-0\r"));
    EXPECT_EQ(reporting.Edit(kFieldSystemName)->text().toStdString(), unit.reporting[0]);
    reporting.Edit(kFieldSystemName)->setText("SOUTH PLANT DRYERS");
    ASSERT_TRUE(Accept(reporting, reporting.AcceptButton()));
    EXPECT_EQ(m_hands->PasswordsTyped(), 3);
    EXPECT_TRUE(ReceivedStartingWith("/55.htm?val=1-0," + kPassword + ";"));
    EXPECT_EQ(m_unit->Snapshot().reporting[kFieldSystemName], "SOUTH PLANT DRYERS");
    EXPECT_EQ(m_unit->Snapshot().reporting[kFieldSmtpServer], unit.reporting[kFieldSmtpServer]);
    EXPECT_TRUE(UiWaitUntil([&] { return !Shown(reporting.AcceptButton()); }, 3000));

    // Event: the first of the unit's pages, the next one, then sorted by dryer.
    auto& events = PageAt<CWebPage_Event>(3);
    ASSERT_TRUE(OpenTab(3, "/61.htm?val=0-0\r"));
    const std::string pages = std::to_string(m_unit->Snapshot().EventPageCount());
    ASSERT_GE(m_unit->Snapshot().EventPageCount(), 2) << "the demo unit has a few dozen events";
    EXPECT_EQ(Text(events.PageLabel()), "1 of " + pages);
    auto sorted = m_unit->Snapshot().SortedEvents();
    EXPECT_EQ(Text(events.Cell(0, 2)), sorted[0].description);

    int shown = events.RepliesShown();
    events.PagingButton(3)->click();
    ASSERT_TRUE(UiWaitUntil([&] { return events.RepliesShown() > shown; }, kWaitMs));
    EXPECT_TRUE(Received("/61.htm?val=0-3\r"));
    EXPECT_EQ(m_unit->Snapshot().eventPage, 2);
    EXPECT_EQ(Text(events.PageLabel()), "2 of " + pages);
    EXPECT_EQ(Text(events.Cell(0, 2)), sorted[sim::UnitState::kEventsPerPage].description);

    shown = events.RepliesShown();
    PressWidget(*events.Head(kHeadDryer));
    ASSERT_TRUE(UiWaitUntil([&] { return events.RepliesShown() > shown; }, kWaitMs));
    EXPECT_EQ(m_unit->Snapshot().eventSortKey, 2);
    EXPECT_EQ(Text(events.PageLabel()), "1 of " + pages);
    sorted = m_unit->Snapshot().SortedEvents();
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(Text(events.Cell(row, 2)), sorted[row].description) << "row " << row;
    }

    // Disconnect: the pane says so, and the pages send nothing more.
    Command(ID_DISCONNECT);
    ASSERT_TRUE(UiWaitUntil([&] { return Pane() == "Disconnected"; }, kWaitMs))
        << "the pane shows " << Pane().toStdString();
    EXPECT_FALSE(theApp().m_bLoggedIn.load());
    const size_t requests = m_unit->ReceivedRequests().size();
    events.PagingButton(3)->click();
    EXPECT_EQ(m_console->Prompts().Last(), "Please connect first.");
    UiWaitFor(500);
    EXPECT_EQ(m_unit->ReceivedRequests().size(), requests);

    // Exit, answering "Exit Program?" with Yes: the window closes and the System is gone.
    m_console->Prompts().Clear();
    Command(ID_APP_EXIT);
    UiWaitFor(100);
    EXPECT_EQ(m_console->Prompts().Last(), "Exit Program?");
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_EQ(m_console->Document()->FirstSystem(), nullptr);
    EXPECT_EQ(m_hands->OthersCancelled(), 0);

    stall.Stop();
    std::printf("%s\n", stall.Summary("operator journey").c_str());
    EXPECT_LT(stall.LongestStallMs(), 1500);
}

}  // namespace

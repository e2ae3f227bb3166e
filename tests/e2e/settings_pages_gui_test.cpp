// The Cycle Set Up, Reporting Set Up and Event pages of the running console against a simulated
// unit over loopback TCP: reads on activation, writes with the right and a wrong password, paging
// and sorting on the unit's side, and pictures of the filled pages for a person to look at.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabBar>
#include <memory>

#include "app/core/document.h"
#include "app/qt_dispatcher.h"
#include "app/state/app_state.h"
#include "controls/button_ex.h"
#include "controls/static_ex.h"
#include "engine/system.h"
#include "pages/accept_watch.h"
#include "pages/web_page_config.h"
#include "pages/web_page_event.h"
#include "pages/web_page_report.h"
#include "platform/dispatcher.h"
#include "platform/prompt.h"
#include "platform/window_messages.h"
#include "res/page_picture_kit.h"
#include "sim/unit_simulator.h"
#include "tests/support/gui/page_fixture.h"
#include "tests/support/gui/scoped_modal_handler.h"
#include "tests/support/gui/ui_wait.h"
#include "tests/support/gui/widget_actions.h"
#include "tests/support/recording_prompts.h"

namespace {

constexpr int kWaitMs = 20000;
const std::string kUnitPassword = "1234";

// The engine as the console runs it, without the main window: the Qt dispatcher, a document with
// System 1 on a real TCP/IP port to the simulated unit, its worker running, and a main-window
// stand-in that opens the port on the UI thread when the worker asks for it.
class PortOpener : public platform::MessageTarget {
public:
    long OnMessage(unsigned msg, intptr_t wParam, intptr_t) override {
        CHalvoricDoc* doc = TheDocument();
        CSystem* system = doc ? doc->FindSystem(static_cast<int>(wParam)) : nullptr;
        if (msg == platform::WM_SYSTEM_START && system) {
            system->OpenPort();
        } else if (msg == platform::WM_SYSTEM_STOP && system) {
            system->ClosePort();
        }
        return 0;
    }
};

class SettingsPagesEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        theApp().Reset();
        platform::SetPromptService(&m_prompts);
        m_dispatcher = std::make_unique<QtDispatcher>();
        platform::SetDispatcher(m_dispatcher.get());
        platform::SetMainWindow(m_opener.TargetId());

        sim::UnitOptions options;
        options.demo = true;
        m_unit = std::make_unique<sim::UnitSimulator>(options);
        const int port = m_unit->StartTcp("127.0.0.1", 0);
        ASSERT_GT(port, 0) << m_unit->LastError();

        m_doc = std::make_unique<CHalvoricDoc>();
        auto* system = new CSystem;
        system->SystemID = 1;
        system->CommType = COMM_TCPIP;
        system->Telephone = "127.0.0.1 " + std::to_string(port);
        auto* line = new CCommPort;
        line->CommType = COMM_TCPIP;
        line->SetAddress(system->Telephone);
        line->Owner = system;
        system->Port = line;
        m_doc->m_pSystems = system;
        SetTheDocument(m_doc.get());
        ASSERT_TRUE(system->Start());
        system->QueueLogin();
        ASSERT_TRUE(UiWaitUntil([] { return theApp().m_bLoggedIn.load() != 0; }, kWaitMs))
            << "the console logs in to the unit";

        m_modal = std::make_unique<ScopedModalHandler>([this](QDialog& dialog) {
            ++m_passwordsAsked;
            if (auto* edit = dialog.findChild<QLineEdit*>()) {
                edit->setText(QString::fromStdString(m_password));
            }
            dialog.accept();
            return int(QDialog::Accepted);
        });
    }
    void TearDown() override {
        m_modal.reset();
        m_page.reset();
        SetTheDocument(nullptr);
        m_doc.reset();  // ends the worker and closes the port
        m_unit.reset();
        platform::SetMainWindow(0);
        platform::SetDispatcher(nullptr);
        m_dispatcher.reset();
        platform::SetPromptService(nullptr);
        theApp().Reset();
    }

    // The page becomes the active one, as when the operator picks its tab.
    template <typename Page>
    Page* Open() {
        auto* page = new Page(nullptr);
        m_page.reset(page);
        page->resize(picturekit::kPageWidth, picturekit::kPageHeight);
        page->show();
        page->OnSetActive();
        return page;
    }
    bool WaitReply(CWebPage* page) {
        return UiWaitUntil([page] { return !page->m_bWaitReply; }, kWaitMs);
    }
    void SavePicture(const char* name) {
        UiWaitFor(300);
        const QString dir = QString(CORVANTIS_BINARY_DIR) + "/screenshots";
        QDir().mkpath(dir);
        EXPECT_TRUE(m_page->grab().save(dir + "/" + name + ".png"));
    }

    RecordingPrompts m_prompts;
    std::unique_ptr<QtDispatcher> m_dispatcher;
    PortOpener m_opener;
    std::unique_ptr<sim::UnitSimulator> m_unit;
    std::unique_ptr<CHalvoricDoc> m_doc;
    std::unique_ptr<ScopedModalHandler> m_modal;
    std::unique_ptr<CWebPage> m_page;
    std::string m_password = kUnitPassword;
    int m_passwordsAsked = 0;
};

TEST_F(SettingsPagesEndToEnd, CycleModeDaysWithMondayAndFridayIsWrittenToTheUnit) {
    auto* page = Open<CWebPage_Config>();
    ASSERT_TRUE(UiWaitUntil([page] { return !page->m_strShownSettings.empty(); }, kWaitMs));
    const std::string unit = m_unit->Snapshot().CycleRecord();
    EXPECT_EQ(page->m_strShownSettings.substr(page->m_strShownSettings.find("3;12")),
              unit.substr(unit.find("3;12")))
        << "records 9 to 15 as the unit holds them";
    SavePicture("cycle_setup");

    page->Mode()->setCurrentIndex(kDaysModeIndex);
    emit page->Mode()->activated(kDaysModeIndex);
    for (int day = 0; day < 5; ++day) {
        const bool want = day == 0 || day == 4;
        if (((page->m_nDayMask & kDayBits[day]) != 0) != want) {
            Click(page->DayToggle(day));
        }
    }
    ASSERT_EQ(page->m_nDayMask & kAllDayBits, 0x22);
    ASSERT_NE(m_unit->Snapshot().cycle.mode, 128 + 0x22);
    ASSERT_TRUE(UiWaitUntil([page] { return Shown(page->AcceptButton()); }, 2000));
    SavePicture("cycle_setup_changed");

    page->AcceptButton()->click();
    EXPECT_EQ(m_passwordsAsked, 1);
    ASSERT_TRUE(WaitReply(page));
    EXPECT_EQ(m_unit->Snapshot().cycle.mode, 128 + 0x22);
    EXPECT_TRUE(UiWaitUntil([page] { return !Shown(page->AcceptButton()); }, 2000))
        << "the reply repeats what was written";
}

TEST_F(SettingsPagesEndToEnd, AWrongPasswordChangesNothingAndAcceptStays) {
    auto* page = Open<CWebPage_Config>();
    ASSERT_TRUE(UiWaitUntil([page] { return !page->m_strShownSettings.empty(); }, kWaitMs));
    const sim::UnitState before = m_unit->Snapshot();
    const int delay = page->AlarmDelay()->currentIndex();
    page->AlarmDelay()->setCurrentIndex(delay == 7 ? 8 : 7);
    ASSERT_TRUE(UiWaitUntil([page] { return Shown(page->AcceptButton()); }, 2000));

    m_password = "9999";
    page->AcceptButton()->click();
    ASSERT_TRUE(WaitReply(page));
    EXPECT_EQ(m_unit->Snapshot().CycleRecord(), before.CycleRecord());
    UiWaitFor(400);
    EXPECT_TRUE(Shown(page->AcceptButton()));
}

TEST_F(SettingsPagesEndToEnd, ReportingFieldIsWrittenToTheUnit) {
    auto* page = Open<CWebPage_Report>();
    ASSERT_TRUE(UiWaitUntil([page] { return !page->m_strLastReply.empty(); }, kWaitMs));
    EXPECT_EQ(page->m_strLastReply, m_unit->Snapshot().ReportingRecord());
    SavePicture("reporting_setup");

    page->Edit(kFieldSmtpServer)->setText("mail.plant.example");
    ASSERT_TRUE(UiWaitUntil([page] { return Shown(page->AcceptButton()); }, 2000));
    page->AcceptButton()->click();
    ASSERT_TRUE(WaitReply(page));
    EXPECT_EQ(m_unit->Snapshot().reporting[kFieldSmtpServer], "mail.plant.example");
    EXPECT_TRUE(UiWaitUntil([page] { return !Shown(page->AcceptButton()); }, 2000));
}

TEST_F(SettingsPagesEndToEnd, EventListPagesAndSortsOnTheUnit) {
    auto* page = Open<CWebPage_Event>();
    ASSERT_TRUE(WaitReply(page));
    const std::string pages = std::to_string(m_unit->Snapshot().EventPageCount());
    EXPECT_EQ(page->PageLabel()->WindowText().toStdString(), "1 of " + pages);
    SavePicture("event");

    page->PagingButton(3)->click();
    ASSERT_TRUE(WaitReply(page));
    EXPECT_EQ(page->PageLabel()->WindowText().toStdString(), "2 of " + pages);
    page->PagingButton(2)->click();
    ASSERT_TRUE(WaitReply(page));
    EXPECT_EQ(page->PageLabel()->WindowText().toStdString(), "1 of " + pages);

    Click(page->Head(kHeadDryer));
    ASSERT_TRUE(WaitReply(page));
    EXPECT_EQ(m_unit->Snapshot().eventSortKey, 2);
    EXPECT_EQ(m_unit->Snapshot().eventSortDirection, 1);
    const auto sorted = m_unit->Snapshot().SortedEvents();
    ASSERT_GE(sorted.size(), 2u);
    EXPECT_EQ(page->Cell(0, 1)->WindowText().toStdString(), sorted[0].event);
    EXPECT_EQ(page->Cell(1, 2)->WindowText().toStdString(), sorted[1].description);
}

}  // namespace

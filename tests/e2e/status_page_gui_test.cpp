// The Status page of the running console, logged in to a simulated unit over loopback TCP: the
// poll shows the unit's dryers and cycle values, a dryer put in alarm shows its red row and RESET
// link, and resetting it with the password clears the alarm on a later poll.
#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <memory>

#include "app/core/document.h"
#include "app/halvoric_view.h"
#include "app/main_frame.h"
#include "app/state/app_state.h"
#include "controls/static_ex.h"
#include "pages/dlg_parent.h"
#include "pages/web_page_status.h"
#include "sim/unit_simulator.h"
#include "tests/support/gui/console_harness.h"
#include "tests/support/gui/scoped_modal_handler.h"
#include "tests/support/gui/ui_wait.h"

namespace {

constexpr int kWaitMs = 20000;

std::string Text(const CStaticEx* control) {
    return control->WindowText().toLatin1().toStdString();
}

class StatusPageEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        sim::UnitOptions options;
        options.demo = true;
        options.clockText = "16:52";
        m_unit = std::make_unique<sim::UnitSimulator>(options);
        const int port = m_unit->StartTcp("127.0.0.1", 0);
        ASSERT_GT(port, 0) << m_unit->LastError();
        const std::string address = "127.0.0.1 " + std::to_string(port);

        m_console = std::make_unique<ConsoleHarness>(
            "[CommSetup]\r\nCommType=2\r\nTelephone=" + address + "\r\n");
        ASSERT_TRUE(m_console->Start());
        ASSERT_TRUE(m_console->LogIn(address, kWaitMs));
        CDlgParent* host = m_console->Frame()->MainView()->PageHost();
        ASSERT_NE(host, nullptr);
        m_page = dynamic_cast<CWebPage_Status*>(host->Page(0));
        ASSERT_NE(m_page, nullptr);
        m_modal = std::make_unique<ScopedModalHandler>([this](QDialog& dialog) {
            ++m_passwordsAsked;
            dialog.findChild<QLineEdit*>()->setText("1234");
            dialog.accept();
            return int(QDialog::Accepted);
        });
    }
    void TearDown() override {
        m_modal.reset();
        m_console.reset();
        m_unit.reset();
    }

    // Polls (as the page's timer does) until `done` holds.
    bool PollUntil(const std::function<bool()>& done) {
        return UiWaitUntil(
            [&] {
                m_page->OnTimer(1);
                return done();
            },
            kWaitMs);
    }

    std::unique_ptr<sim::UnitSimulator> m_unit;
    std::unique_ptr<ConsoleHarness> m_console;
    std::unique_ptr<ScopedModalHandler> m_modal;
    CWebPage_Status* m_page = nullptr;
    int m_passwordsAsked = 0;
};

TEST_F(StatusPageEndToEnd, ShowsTheUnitAndResetsADryerInAlarm) {
    // The page's own 5 s timer brings the first reply.
    ASSERT_TRUE(UiWaitUntil([this] { return Text(m_page->Row(0).number) == "1"; }, kWaitMs));
    EXPECT_EQ(m_unit->ReceivedRequests().front(), "/60.htm?val=0-0\r");
    EXPECT_EQ(Text(m_page->LowerValue(2)), "16:52");

    const sim::UnitState unit = m_unit->Snapshot();
    int quiet = 0;  // a present dryer not in alarm
    for (int k = 0; k < 8; ++k) {
        const sim::Dryer& dryer = unit.dryers[k];
        const bool alarm = dryer.present && dryer.condition == sim::DryerCondition::Alarm;
        EXPECT_EQ(!m_page->Row(k).reset->isHidden(), alarm) << "dryer " << k + 1;
        EXPECT_EQ(!m_page->Row(k).alarm->isHidden(), alarm) << "dryer " << k + 1;
        if (dryer.present) {
            EXPECT_EQ(Text(m_page->Row(k).model), dryer.model);
        }
        if (dryer.present && !alarm && quiet == 0) {
            quiet = k + 1;
        }
    }
    ASSERT_NE(quiet, 0);
    CStaticEx* link = m_page->Row(quiet - 1).reset;

    ASSERT_TRUE(m_unit->RaiseAlarm(quiet));
    ASSERT_TRUE(PollUntil([link] { return !link->isHidden(); }));
    EXPECT_EQ(m_page->Row(quiet - 1).status->m_crColor, QColor(255, 0, 0));
    EXPECT_FALSE(m_page->Row(quiet - 1).alarm->isHidden());

    m_console->Frame()->resize(780, 640);
    UiWaitFor(300);
    const QString dir = QString(CORVANTIS_BINARY_DIR) + "/screenshots";
    QDir().mkpath(dir);
    EXPECT_TRUE(m_console->Frame()->grab().save(dir + "/status_page_live.png"));

    m_page->OnReset(IDC_RESET_FIRST + quiet - 1);
    EXPECT_EQ(m_passwordsAsked, 1);
    const std::string reset = "/51.htm?val=1-0,1234;" + std::to_string(quiet) + "\r";
    ASSERT_TRUE(UiWaitUntil(
        [&] {
            const auto requests = m_unit->ReceivedRequests();
            return std::find(requests.begin(), requests.end(), reset) != requests.end();
        },
        kWaitMs));
    ASSERT_TRUE(PollUntil([link] { return link->isHidden(); }));
    EXPECT_TRUE(m_page->Row(quiet - 1).alarm->isHidden());
}

}  // namespace

// A password the operator types for a write goes to the unit and nowhere else: with the debug log
// and the session log on, a Status RESET and a Cycle Set Up write (one with a wrong password) leave
// no trace of either password in any file of the application folder.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <filesystem>
#include <memory>

#include "app/core/document.h"
#include "app/halvoric_view.h"
#include "app/main_frame.h"
#include "app/state/app_state.h"
#include "controls/button_ex.h"
#include "pages/dlg_parent.h"
#include "pages/web_page_config.h"
#include "pages/web_page_status.h"
#include "sim/unit_simulator.h"
#include "tests/support/gui/console_harness.h"
#include "tests/support/gui/scoped_modal_handler.h"
#include "tests/support/gui/ui_wait.h"

namespace {

constexpr int kWaitMs = 30000;
const std::string kPassword = "Zq7#Wp2x";
const std::string kWrongPassword = "Qv9!Rt4m";

bool Received(const sim::UnitSimulator& unit, const std::string& prefix) {
    for (const std::string& request : unit.ReceivedRequests()) {
        if (request.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

TEST(PasswordSecrecy, TypedPasswordsReachNoFile) {
    sim::UnitOptions options;
    options.demo = true;
    options.password = kPassword;
    sim::UnitSimulator unit(options);
    const int port = unit.StartTcp("127.0.0.1", 0);
    ASSERT_GT(port, 0) << unit.LastError();
    const std::string address = "127.0.0.1 " + std::to_string(port);

    ConsoleHarness console("[CommSetup]\r\nCommType=2\r\nTelephone=" + address +
                           "\r\n[Settings]\r\nWriteLog=1\r\nDebugLog=1\r\n"
                           "[PhoneBook]\r\nCount=1\r\n1=Plant,#7\r\n");
    ASSERT_TRUE(console.Start());
    ASSERT_TRUE(console.LogIn({}, kWaitMs));

    std::string typed = kPassword;
    ScopedModalHandler passwordDialog([&typed](QDialog& dialog) {
        dialog.findChild<QLineEdit*>()->setText(QString::fromLatin1(typed.c_str()));
        dialog.accept();
        return int(QDialog::Accepted);
    });
    CDlgParent* host = console.Frame()->MainView()->PageHost();

    // Status: RESET of dryer 1 carries the password.
    auto* status = dynamic_cast<CWebPage_Status*>(host->Page(0));
    ASSERT_NE(status, nullptr);
    ASSERT_TRUE(UiWaitUntil([status] { return !status->m_strLastReply.empty(); }, kWaitMs));
    status->OnReset(IDC_RESET_FIRST);
    ASSERT_TRUE(
        UiWaitUntil([&] { return Received(unit, "/51.htm?val=1-0," + kPassword); }, kWaitMs));

    // Cycle Set Up: a write with the wrong password, then with the right one.
    auto* cycle = dynamic_cast<CWebPage_Config*>(host->Page(1));
    ASSERT_NE(cycle, nullptr);
    status->OnKillActive();
    cycle->OnSetActive();
    ASSERT_TRUE(UiWaitUntil([cycle] { return !cycle->m_strShownSettings.empty(); }, kWaitMs));
    const int delay = cycle->AlarmDelay()->currentIndex();
    cycle->AlarmDelay()->setCurrentIndex(delay == 7 ? 8 : 7);
    for (const std::string& password : {kWrongPassword, kPassword}) {
        typed = password;
        ASSERT_TRUE(UiWaitUntil([cycle] { return !cycle->AcceptButton()->isHidden(); }, 3000));
        cycle->AcceptButton()->click();
        ASSERT_TRUE(
            UiWaitUntil([&] { return Received(unit, "/53.htm?val=1-0," + password); }, kWaitMs));
        ASSERT_TRUE(UiWaitUntil([cycle] { return !cycle->m_bWaitReply; }, kWaitMs));
    }

    // Close everything so that the logs are complete on disk.
    const std::string dir = console.Dir();
    console.Console().Shutdown();

    int logs = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const std::string text = ReadWholeFile(entry.path().string());
        const std::string name = entry.path().filename().string();
        logs += name.size() > 4 && name.substr(name.size() - 4) == ".Log" && !text.empty() ? 1 : 0;
        EXPECT_EQ(text.find(kPassword), std::string::npos) << "the password is in " << name;
        EXPECT_EQ(text.find(kWrongPassword), std::string::npos)
            << "the wrong password is in " << name;
    }
    EXPECT_EQ(logs, 2) << "the debug log and the session log were written";
}

}  // namespace

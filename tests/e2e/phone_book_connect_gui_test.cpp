// The operator's way in: "Connect" opens the phone book, the operator picks the simulated unit's
// site and presses Select, and the console logs in to it over loopback TCP.
#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <memory>

#include "app/command_ids.h"
#include "app/core/document.h"
#include "app/frame_commands.h"
#include "app/frame_status_bar.h"
#include "app/main_frame.h"
#include "app/state/app_state.h"
#include "controls/sort_list_ctrl.h"
#include "dialogs/dlg_phone_book.h"
#include "dialogs/qt_document_dialogs.h"
#include "sim/unit_simulator.h"
#include "tests/support/gui/console_harness.h"
#include "tests/support/gui/scoped_modal_handler.h"
#include "tests/support/gui/ui_wait.h"

namespace {

constexpr int kWaitMs = 20000;

class PhoneBookConnect : public testing::Test {
protected:
    void SetUp() override {
        m_unit = std::make_unique<sim::UnitSimulator>();
        const int port = m_unit->StartTcp("127.0.0.1", 0);
        ASSERT_GT(port, 0) << m_unit->LastError();
        m_address = "127.0.0.1 " + std::to_string(port);
        // The System starts with an address nobody answers at: only Select can bring the unit's.
        m_console = std::make_unique<ConsoleHarness>(
            "[CommSetup]\r\nCommType=2\r\nTelephone=127.0.0.1 1\r\n"
            "[PhoneBook]\r\nCount=2\r\n1=Old Depot,127.0.0.1 1\r\n2=Test Unit," +
            m_address + "\r\n");
        ASSERT_TRUE(m_console->Start());
        m_dialogs = std::make_unique<QtDocumentDialogs>(m_console->Frame());
        m_console->Document()->SetDialogs(m_dialogs.get());
    }
    void TearDown() override {
        m_console.reset();
        m_dialogs.reset();
        m_unit.reset();
    }

    // Presses "Connect"; in the phone book the operator picks the site named `site` and presses
    // Select.
    void ConnectTo(const std::string& site) {
        ScopedModalHandler handler([&](QDialog& dialog) {
            auto& book = dynamic_cast<CDlgPhoneBook&>(dialog);
            ++m_phoneBooks;
            CSortListCtrl* list = book.m_listSites;
            list->OnColumnClick(1);  // by site name: the rows no longer stand in phone-book order
            for (int row = 0; row < list->GetItemCount(); ++row) {
                if (list->GetItemText(row, 1) == site) {
                    list->SelectRow(row);
                }
            }
            book.Item<QPushButton>(IDC_BTN_SELECT)->click();
            return book.result();
        });
        QAction* connect = m_console->Frame()->Commands()->Action(ID_CONNECT);
        ASSERT_NE(connect, nullptr);
        connect->trigger();
    }

    QString Pane() const { return m_console->Frame()->StatusBar()->ConnectionText(); }

    std::unique_ptr<sim::UnitSimulator> m_unit;
    std::unique_ptr<ConsoleHarness> m_console;
    std::unique_ptr<QtDocumentDialogs> m_dialogs;
    std::string m_address;
    int m_phoneBooks = 0;
};

TEST_F(PhoneBookConnect, SelectingTheUnitsSiteLogsIn) {
    ConnectTo("Test Unit");
    EXPECT_EQ(m_phoneBooks, 1);
    EXPECT_EQ(m_console->Document()->FindSystem(1)->Telephone, m_address);
    ASSERT_TRUE(UiWaitUntil([this] { return Pane() == "Connected"; }, kWaitMs))
        << "the pane shows " << Pane().toStdString();
    EXPECT_TRUE(theApp().m_bLoggedIn.load());
    EXPECT_EQ(m_unit->LoginCount(), 1);
}

}  // namespace

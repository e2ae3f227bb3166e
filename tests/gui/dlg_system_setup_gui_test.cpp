// The "Dial Setup" dialog: what it shows for a System, what OK and Cancel give back, the hidden
// telephone rule, the 25-character check; and the document's "Dial setup" command running it.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "app/core/document.h"
#include "app/state/app_state.h"
#include "dialogs/dlg_system_setup.h"
#include "dialogs/qt_document_dialogs.h"
#include "platform/ini_file.h"
#include "tests/support/gui/page_fixture.h"
#include "tests/support/gui/scoped_modal_handler.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr uint8_t kBaud19200 = 8;
constexpr uint8_t kBaud9600 = 6;

DialSetupValues DialUp(uint8_t serialNo, uint8_t baudIndex, const std::string& telephone) {
    DialSetupValues values;
    values.CommType = COMM_DIALUP;
    values.SerialNo = serialNo;
    values.BaudIndex = baudIndex;
    values.Telephone = telephone;
    return values;
}

class DialSetup : public testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        platform::SetPromptService(&m_prompts);
    }
    void TearDown() override { platform::SetPromptService(nullptr); }

    // Runs the dialog through the document's runner; `act` works on it while it is open and
    // returns how it closed.
    bool Run(DialSetupValues& values, const std::function<int(CDlgSystemSetup&)>& act) {
        ScopedModalHandler handler([&](QDialog& dialog) {
            auto* dlg = dynamic_cast<CDlgSystemSetup*>(&dialog);
            EXPECT_NE(dlg, nullptr);
            return dlg ? act(*dlg) : int(QDialog::Rejected);
        });
        return m_dialogs.RunDialSetup(values);
    }

    static QComboBox* Combo(CDlgSystemSetup& dlg, int id) { return dlg.Item<QComboBox>(id); }
    static QString Shown(CDlgSystemSetup& dlg, int id) { return Combo(dlg, id)->currentText(); }
    // Whether a label on show holds `text`.
    static bool Says(CDlgSystemSetup& dlg, const QString& text) {
        auto labels = dlg.findChildren<QLabel*>();
        return std::any_of(labels.begin(), labels.end(), [&](QLabel* label) {
            return !label->isHidden() && label->text().contains(text);
        });
    }
    static int OkThenResult(CDlgSystemSetup& dlg) {
        dlg.accept();
        return dlg.result();
    }

    RecordingPrompts m_prompts;
    QtDocumentDialogs m_dialogs;
};

TEST_F(DialSetup, DialUpSystemOpensWithItsSettingsAndOnlyPortAndRateChangeable) {
    DialSetupValues values = DialUp(3, kBaud19200, "5551234");
    Run(values, [](CDlgSystemSetup& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Dial Setup");
        EXPECT_EQ(Shown(dlg, IDC_COMBO_COMMTYPE), "Dial");
        EXPECT_EQ(Shown(dlg, IDC_COMBO_SERIALNO), "COM3 (/dev/ttyS2)");
        EXPECT_EQ(Shown(dlg, IDC_COMBO_BAUDRATE), "19200");
        EXPECT_EQ(Shown(dlg, IDC_COMBO_PARITY), "No");
        EXPECT_EQ(Shown(dlg, IDC_COMBO_DATABITS), "8");
        EXPECT_EQ(Shown(dlg, IDC_COMBO_STOPBITS), "1");
        EXPECT_TRUE(Combo(dlg, IDC_COMBO_SERIALNO)->isEnabled());
        EXPECT_TRUE(Combo(dlg, IDC_COMBO_BAUDRATE)->isEnabled());
        for (int id :
             {IDC_COMBO_COMMTYPE, IDC_COMBO_PARITY, IDC_COMBO_DATABITS, IDC_COMBO_STOPBITS}) {
            EXPECT_FALSE(Combo(dlg, id)->isEnabled()) << id;
        }
        QComboBox* ports = Combo(dlg, IDC_COMBO_SERIALNO);
        EXPECT_EQ(ports->count(), 24);
        EXPECT_EQ(ports->itemText(0), "COM1 (/dev/ttyS0)");
        EXPECT_EQ(ports->itemText(23), "COM24 (/dev/ttyS23)");
        EXPECT_EQ(Combo(dlg, IDC_COMBO_BAUDRATE)->count(), 15);
        EXPECT_EQ(Combo(dlg, IDC_COMBO_BAUDRATE)->itemText(14), "256000");
        EXPECT_TRUE(dlg.GetDlgItem(IDC_EDIT_TELEPHONE)->isHidden());
        EXPECT_TRUE(Says(dlg, "/dev/ttyS2"));
        ports->setCurrentIndex(4);
        EXPECT_TRUE(Says(dlg, "/dev/ttyS4")) << "the line follows the chosen port";
        return int(QDialog::Rejected);
    });
}

TEST_F(DialSetup, OkGivesBackTheChosenPortAndRate) {
    DialSetupValues values = DialUp(3, kBaud9600, "5551234");
    ASSERT_TRUE(Run(values, [](CDlgSystemSetup& dlg) {
        Combo(dlg, IDC_COMBO_SERIALNO)->setCurrentIndex(4);
        Combo(dlg, IDC_COMBO_BAUDRATE)->setCurrentIndex(kBaud19200);
        return OkThenResult(dlg);
    }));
    EXPECT_EQ(values.SerialNo, 5);
    EXPECT_EQ(values.BaudIndex, kBaud19200);
    EXPECT_EQ(values.CommType, COMM_DIALUP);
    EXPECT_EQ(values.DataBits, 8);
    EXPECT_EQ(values.Telephone, "5551234") << "a number goes through the hidden edit unchanged";
}

TEST_F(DialSetup, TelephoneLookingLikeAnAddressComesBackEmpty) {
    DialSetupValues values = DialUp(1, kBaud9600, "10.0.0.1");
    ASSERT_TRUE(Run(values, OkThenResult));
    EXPECT_EQ(values.Telephone, "");

    DialSetupValues twoDots = DialUp(1, kBaud9600, "555.12.34");
    ASSERT_TRUE(Run(twoDots, OkThenResult));
    EXPECT_EQ(twoDots.Telephone, "555.12.34");
}

TEST_F(DialSetup, OverLongTelephoneIsRefusedAndOnlyCancelCloses) {
    const std::string longNumber(26, '7');
    DialSetupValues values = DialUp(2, kBaud9600, longNumber);
    bool ok = Run(values, [](CDlgSystemSetup& dlg) {
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Rejected) << "OK must not close the dialog";
        dlg.reject();
        return dlg.result();
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(m_prompts.Last(), "Please enter no more than 25 characters.");
    EXPECT_EQ(values.Telephone, longNumber);
    EXPECT_EQ(values.SerialNo, 2);

    m_prompts.Clear();
    DialSetupValues fits = DialUp(2, kBaud9600, std::string(25, '7'));
    EXPECT_TRUE(Run(fits, OkThenResult));
    EXPECT_TRUE(m_prompts.Texts().empty());
}

TEST_F(DialSetup, TcpIpSystemShowsNoSerialSelectionAndKeepsEverything) {
    DialSetupValues values;
    values.CommType = COMM_TCPIP;
    values.SerialNo = 4;
    values.BaudIndex = kBaud9600;
    values.Telephone = "127.0.0.1 5000";
    ASSERT_TRUE(Run(values, [](CDlgSystemSetup& dlg) {
        EXPECT_EQ(Shown(dlg, IDC_COMBO_COMMTYPE), "TCP/IP");
        for (int id : {IDC_COMBO_SERIALNO, IDC_COMBO_BAUDRATE, IDC_COMBO_PARITY, IDC_COMBO_DATABITS,
                       IDC_COMBO_STOPBITS}) {
            EXPECT_EQ(Combo(dlg, id)->currentIndex(), -1) << id;
        }
        return OkThenResult(dlg);
    }));
    EXPECT_EQ(values.CommType, COMM_TCPIP);
    EXPECT_EQ(values.Telephone, "127.0.0.1 5000");
    EXPECT_EQ(values.SerialNo, 4);
    EXPECT_EQ(values.BaudIndex, kBaud9600) << "no selection must not become a rate index";
    EXPECT_EQ(values.DataBits, 8);
}

TEST_F(DialSetup, NamedDeviceIsShownInsteadOfTheComDevices) {
    DialSetupValues values = DialUp(1, kBaud9600, "1");
    values.Device = "/dev/ttyUSB0";
    Run(values, [](CDlgSystemSetup& dlg) {
        EXPECT_EQ(Combo(dlg, IDC_COMBO_SERIALNO)->itemText(0), "COM1");
        EXPECT_TRUE(Says(dlg, "/dev/ttyUSB0"));
        EXPECT_FALSE(Says(dlg, "/dev/ttyS0"));
        return int(QDialog::Rejected);
    });
}

// The document's "Dial setup" command with the real dialog.
class DialSetupCommand : public DialSetup {
protected:
    void SetUp() override {
        DialSetup::SetUp();
        theApp().Reset();
        theApp().m_nCommType = COMM_DIALUP;
        theApp().m_nSerialNo = 3;
        theApp().m_nBaudIndex = kBaud19200;
        m_path = m_dir.Path() + "/Corvantis.ini";
        std::ofstream(m_path, std::ios::binary)
            << "[CommSetup]\r\nSerialNo=3\r\nBaudRate=19200\r\n";
        ASSERT_TRUE(m_ini.Load(m_path));
        m_doc.SetProfile(&m_ini);
        m_doc.SetDialogs(&m_dialogs);
        ASSERT_TRUE(m_doc.AddSystem());
    }
    void TearDown() override {
        theApp().Reset();
        DialSetup::TearDown();
    }

    int Run(const std::function<int(CDlgSystemSetup&)>& act) {
        int runs = 0;
        ScopedModalHandler handler([&](QDialog& dialog) {
            ++runs;
            return act(dynamic_cast<CDlgSystemSetup&>(dialog));
        });
        m_doc.OnDialSetup();
        return runs;
    }

    TempDir m_dir;
    std::string m_path;
    platform::IniFile m_ini;
    CHalvoricDoc m_doc;
};

TEST_F(DialSetupCommand, OkWritesTheSettingsAndReplacesThePort) {
    CCommPort* oldPort = m_doc.FirstSystem()->Port;
    ASSERT_EQ(Run([](CDlgSystemSetup& dlg) {
                  Combo(dlg, IDC_COMBO_SERIALNO)->setCurrentIndex(4);
                  return OkThenResult(dlg);
              }),
              1);
    platform::IniFile saved;
    ASSERT_TRUE(saved.Load(m_path));
    EXPECT_EQ(saved.GetInt("CommSetup", "SerialNo", 0), 5);
    EXPECT_EQ(saved.GetInt("CommSetup", "BaudRate", 0), 19200);
    CSystem* system = m_doc.FirstSystem();
    EXPECT_EQ(system->SerialNo, 5);
    ASSERT_NE(system->Port, nullptr);
    EXPECT_NE(system->Port, oldPort);
    EXPECT_EQ(system->Port->SerialNo, 5);
}

TEST_F(DialSetupCommand, CancelChangesNothing) {
    const std::string before = ReadWholeFile(m_path);
    CCommPort* oldPort = m_doc.FirstSystem()->Port;
    ASSERT_EQ(Run([](CDlgSystemSetup& dlg) {
                  Combo(dlg, IDC_COMBO_SERIALNO)->setCurrentIndex(7);
                  Combo(dlg, IDC_COMBO_BAUDRATE)->setCurrentIndex(0);
                  dlg.reject();
                  return dlg.result();
              }),
              1);
    EXPECT_EQ(ReadWholeFile(m_path), before);
    EXPECT_EQ(m_doc.FirstSystem()->Port, oldPort);
    EXPECT_EQ(m_doc.FirstSystem()->SerialNo, 3);
    EXPECT_EQ(m_doc.FirstSystem()->BaudIndex, kBaud19200);
}

}  // namespace

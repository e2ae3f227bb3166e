// The "Phone Book" and "Setup Phone" dialogs on a document with a phone book in its settings file:
// every change saved at once, the commands acting on the site the selected row shows (also after
// sorting), Select giving the number to System 1 and its port.
#include <gtest/gtest.h>

#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <functional>

#include "app/core/document.h"
#include "app/state/app_state.h"
#include "controls/sort_list_ctrl.h"
#include "dialogs/dlg_password.h"
#include "dialogs/dlg_phone.h"
#include "dialogs/dlg_phone_book.h"
#include "dialogs/dlg_system_setup.h"
#include "dialogs/qt_document_dialogs.h"
#include "platform/ini_file.h"
#include "tests/support/gui/page_fixture.h"
#include "tests/support/gui/scoped_modal_handler.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_dir.h"

namespace {

using Sites = std::vector<std::pair<std::string, std::string>>;

const char* const kThreeSites =
    "[PhoneBook]\r\nCount=3\r\n1=Zulu Works,111\r\n2=Alpha Depot,222\r\n3=Mike Yard,333\r\n";

// What "Setup Phone" does when it opens: type these texts and press OK, or press Cancel.
struct PhoneAnswer {
    bool ok = true;
    std::string site;
    std::string phone;
};

class PhoneBook : public testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        platform::SetPromptService(&m_prompts);
        theApp().Reset();
        theApp().m_nCommType = COMM_DIALUP;
        theApp().m_strTelephone = "#7";
    }
    void TearDown() override {
        m_dlg.reset();
        platform::SetPromptService(nullptr);
        theApp().Reset();
    }

    // The document over a settings file holding `iniText`, and the dialog open on it.
    void Open(const std::string& iniText, const std::string& dir = {}) {
        m_path = (dir.empty() ? m_dir.Path() : dir) + "/Corvantis.ini";
        if (dir.empty()) {
            std::ofstream(m_path, std::ios::binary) << iniText;
        }
        ASSERT_TRUE(m_ini.Load(m_path));
        m_doc.SetProfile(&m_ini);
        m_doc.LoadPhoneBook();
        ASSERT_TRUE(m_doc.AddSystem());
        m_dlg = std::make_unique<CDlgPhoneBook>(m_doc);
        m_dlg->OnInitDialog();
        m_dlg->show();
    }

    CSortListCtrl& List() { return *m_dlg->m_listSites; }

    void SelectRows(std::initializer_list<int> rows) {
        List().clearSelection();
        for (int row : rows) {
            List().SelectRow(row);
        }
    }

    // Site names and phones as the list shows them, top to bottom.
    Sites Shown() {
        Sites sites;
        for (int row = 0; row < List().GetItemCount(); ++row) {
            sites.emplace_back(List().GetItemText(row, 1), List().GetItemText(row, 2));
        }
        return sites;
    }

    // The phone book as the settings file on disk now holds it.
    Sites Saved() {
        platform::IniFile saved;
        EXPECT_TRUE(saved.Load(m_path));
        Sites sites;
        int count = saved.GetInt("PhoneBook", "Count", -1);
        for (int i = 1; i <= count; ++i) {
            std::string value = saved.GetString("PhoneBook", std::to_string(i), "?");
            auto comma = value.find(',');
            sites.emplace_back(value.substr(0, comma), value.substr(comma + 1));
        }
        return sites;
    }

    // Runs `command` with "Setup Phone" answered by `answer`; returns the texts it opened with.
    std::pair<std::string, std::string> WithPhone(const PhoneAnswer& answer,
                                                  void (CDlgPhoneBook::*command)()) {
        std::pair<std::string, std::string> opened;
        ScopedModalHandler handler([&](QDialog& dialog) {
            auto& phone = dynamic_cast<CDlgPhone&>(dialog);
            opened = {phone.m_strSite, phone.m_strPhone};
            if (!answer.ok) {
                phone.reject();
                return phone.result();
            }
            phone.Item<QLineEdit>(IDC_EDIT_SITE)->setText(QString::fromLatin1(answer.site));
            phone.Item<QLineEdit>(IDC_EDIT_PHONE)->setText(QString::fromLatin1(answer.phone));
            phone.accept();
            if (phone.result() != QDialog::Accepted) {
                phone.reject();  // refused: the operator gives up
            }
            return phone.result();
        });
        ((*m_dlg).*command)();
        return opened;
    }

    std::string SystemPhone() { return m_doc.FindSystem(1)->Telephone; }
    std::string PortAddress() { return m_doc.FindSystem(1)->Port->GetAddress(); }

    TempDir m_dir;
    std::string m_path;
    platform::IniFile m_ini;
    RecordingPrompts m_prompts;
    CHalvoricDoc m_doc;
    std::unique_ptr<CDlgPhoneBook> m_dlg;
};

TEST_F(PhoneBook, CommandsWithoutASelectedRowAskForOne) {
    Open(kThreeSites);
    for (auto command :
         {&CDlgPhoneBook::OnDelete, &CDlgPhoneBook::OnEdit, &CDlgPhoneBook::OnSelect}) {
        m_prompts.Clear();
        WithPhone({}, command);
        EXPECT_EQ(m_prompts.Texts(), std::vector<std::string>{"Please select a site!"});
    }
    EXPECT_EQ(m_dlg->result(), QDialog::Rejected);
    EXPECT_EQ(SystemPhone(), "#7");
    EXPECT_EQ(Saved().size(), 3u);
}

TEST_F(PhoneBook, DeletingTheOnlySiteLeavesCountZero) {
    Open("[PhoneBook]\r\nCount=1\r\n1=Depot,#7\r\n");
    SelectRows({0});
    m_prompts.QueueAnswer(platform::PromptAnswer::No);
    m_dlg->OnDelete();
    EXPECT_EQ(m_prompts.Last(), "Are you sure to delete this site?");
    EXPECT_EQ(m_prompts.LastCaption(), "Delete Site");
    EXPECT_EQ(Shown().size(), 1u) << "No keeps the site";

    m_dlg->OnDelete();  // Yes
    EXPECT_EQ(List().GetItemCount(), 0);
    platform::IniFile saved;
    ASSERT_TRUE(saved.Load(m_path));
    EXPECT_EQ(saved.GetString("PhoneBook", "Count", "missing"), "0");
    EXPECT_FALSE(saved.HasKey("PhoneBook", "1"));
}

TEST_F(PhoneBook, EditCancelKeepsEntryFileAndSelection) {
    Open(kThreeSites);
    const std::string before = ReadWholeFile(m_path);
    SelectRows({1});
    auto opened = WithPhone({false, "", ""}, &CDlgPhoneBook::OnEdit);
    EXPECT_EQ(opened, (std::pair<std::string, std::string>{"Alpha Depot", "222"}));
    EXPECT_EQ(ReadWholeFile(m_path), before);
    EXPECT_EQ(Shown()[1], (std::pair<std::string, std::string>{"Alpha Depot", "222"}));
    EXPECT_EQ(List().GetFirstSelected(), 1);
}

TEST_F(PhoneBook, EditOkSavesAndReselectsTheSite) {
    Open(kThreeSites);
    SelectRows({1});
    WithPhone({true, "Alpha Depot East", "2229"}, &CDlgPhoneBook::OnEdit);
    EXPECT_EQ(Saved(),
              (Sites{{"Zulu Works", "111"}, {"Alpha Depot East", "2229"}, {"Mike Yard", "333"}}));
    EXPECT_EQ(Shown()[1].first, "Alpha Depot East");
    EXPECT_EQ(List().GetFirstSelected(), 1);
}

TEST_F(PhoneBook, SelectUsesTheUpperOfTwoSelectedRows) {
    Open(kThreeSites);
    SelectRows({2, 1});
    m_dlg->OnSelect();
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_EQ(SystemPhone(), "222");
    EXPECT_EQ(PortAddress(), "222");
}

TEST_F(PhoneBook, SelectAcceptsAnEmptyPhone) {
    Open("[PhoneBook]\r\nCount=2\r\n1=North Yard,1234\r\n2=No Number,\r\n");
    SelectRows({1});
    m_dlg->OnSelect();
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_EQ(SystemPhone(), "");
    EXPECT_EQ(PortAddress(), "");
}

TEST_F(PhoneBook, AddPutsTheNewSiteLastWithTheNextNumber) {
    Open(kThreeSites);
    auto opened = WithPhone({true, "Harbour", "4444"}, &CDlgPhoneBook::OnAdd);
    EXPECT_EQ(opened, (std::pair<std::string, std::string>{"", ""})) << "opens empty";
    ASSERT_EQ(List().GetItemCount(), 4);
    EXPECT_EQ(List().GetItemText(3, 0), "4");
    EXPECT_EQ(Shown()[3], (std::pair<std::string, std::string>{"Harbour", "4444"}));
    EXPECT_EQ(Saved().size(), 4u);
    EXPECT_EQ(Saved()[3], (std::pair<std::string, std::string>{"Harbour", "4444"}));
    EXPECT_EQ(List().GetFirstSelected(), 3) << "the new site is selected";

    WithPhone({false, "", ""}, &CDlgPhoneBook::OnAdd);
    EXPECT_EQ(List().GetItemCount(), 4) << "Cancel adds nothing";
}

TEST_F(PhoneBook, SiteNameWithACommaIsRefused) {
    // Stored as "site,phone" and read back split at the first comma, such a name would turn
    // "North, Yard" + "1234" into the site "North" with the number " Yard,1234".
    Open(kThreeSites);
    WithPhone({true, "North, Yard", "1234"}, &CDlgPhoneBook::OnAdd);
    EXPECT_EQ(m_prompts.Last(), "don't input ','.");
    EXPECT_EQ(List().GetItemCount(), 3);
    EXPECT_EQ(Saved().size(), 3u);

    m_prompts.Clear();
    WithPhone({true, "North Yard", "12,34"}, &CDlgPhoneBook::OnAdd);
    EXPECT_TRUE(m_prompts.Texts().empty()) << "a comma in the number reads back whole";
    EXPECT_EQ(Saved().back(), (std::pair<std::string, std::string>{"North Yard", "12,34"}));
}

TEST_F(PhoneBook, SetupPhoneLimitsSiteToFortyAndPhoneToTwenty) {
    CDlgPhone phone;
    phone.OnInitDialog();
    auto* site = phone.Item<QLineEdit>(IDC_EDIT_SITE);
    site->setText(QString(40, 'a'));
    site->insert("b");
    EXPECT_EQ(site->text().size(), 40) << "typing stops at the limit";

    phone.m_strSite = std::string(41, 's');
    phone.m_strPhone = "1";
    phone.OnInitDialog();
    phone.accept();
    EXPECT_EQ(m_prompts.Last(), "Please enter no more than 40 characters.");
    EXPECT_EQ(phone.result(), QDialog::Rejected);

    phone.m_strSite = "s";
    phone.m_strPhone = std::string(21, '9');
    phone.OnInitDialog();
    phone.accept();
    EXPECT_EQ(m_prompts.Last(), "Please enter no more than 20 characters.");
    EXPECT_EQ(phone.result(), QDialog::Rejected);

    phone.m_strPhone = std::string(20, '9');
    phone.OnInitDialog();
    phone.accept();
    EXPECT_EQ(phone.result(), QDialog::Accepted);
}

TEST_F(PhoneBook, AfterSortingCommandsActOnTheSiteTheRowShows) {
    Open(kThreeSites);
    List().OnColumnClick(1);
    ASSERT_EQ(Shown(),
              (Sites{{"Alpha Depot", "222"}, {"Mike Yard", "333"}, {"Zulu Works", "111"}}));

    SelectRows({2});  // Zulu Works, entry 1
    auto opened = WithPhone({true, "Zulu Works", "1119"}, &CDlgPhoneBook::OnEdit);
    EXPECT_EQ(opened.first, "Zulu Works");
    EXPECT_EQ(Saved()[0], (std::pair<std::string, std::string>{"Zulu Works", "1119"}));
    EXPECT_EQ(Shown()[2].first, "Zulu Works") << "the list stays sorted after the change";
    EXPECT_EQ(List().GetItemText(List().GetFirstSelected(), 1), "Zulu Works");

    SelectRows({1});  // Mike Yard, entry 3
    m_dlg->OnDelete();
    EXPECT_EQ(Saved(), (Sites{{"Zulu Works", "1119"}, {"Alpha Depot", "222"}}));
    EXPECT_EQ(Shown(), (Sites{{"Alpha Depot", "222"}, {"Zulu Works", "1119"}}));

    SelectRows({0});  // Alpha Depot, now entry 2
    m_dlg->OnSelect();
    EXPECT_EQ(SystemPhone(), "222");
}

TEST_F(PhoneBook, FailedSaveIsToldAndTheListKeepsTheChange) {
    Open("", m_dir.Path() + "/no-such-folder");
    WithPhone({true, "Harbour", "4444"}, &CDlgPhoneBook::OnAdd);
    ASSERT_FALSE(m_prompts.Texts().empty());
    EXPECT_EQ(m_prompts.Last().rfind("The phone book could not be saved:", 0), 0u)
        << m_prompts.Last();
    EXPECT_EQ(Shown(), (Sites{{"Harbour", "4444"}}));
}

TEST_F(PhoneBook, PhoneBookCommandSelectChangesSystemOneWithoutConnecting) {
    Open(kThreeSites);
    m_dlg.reset();
    QtDocumentDialogs dialogs;
    m_doc.SetDialogs(&dialogs);
    ScopedModalHandler handler([](QDialog& dialog) {
        auto& book = dynamic_cast<CDlgPhoneBook&>(dialog);
        book.m_listSites->SelectRow(2);
        book.OnSelect();
        return book.result();
    });
    m_doc.OnPhoneBook();
    EXPECT_EQ(SystemPhone(), "333");
    EXPECT_EQ(PortAddress(), "333");
    EXPECT_FALSE(m_doc.FirstSystem()->HasCurCommand()) << "no login was queued";
}

}  // namespace

namespace {

// A key pressed where the keyboard focus is (or on `widget` when it has none).
void PressKey(QWidget* widget, int key) {
    QWidget* target = widget->focusWidget() ? widget->focusWidget() : widget;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

// Enter closes with OK (the dialog's own OK step), Escape with Cancel, from wherever the focus is.
template <class Dialog>
void ExpectEnterAndEscape(const char* name, const std::function<void(Dialog&)>& fill = {}) {
    for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        Dialog dialog;
        dialog.OnInitDialog();
        dialog.show();
        QApplication::processEvents();
        if (fill) {
            fill(dialog);
        }
        PressKey(&dialog, key);
        EXPECT_EQ(dialog.result(), key == Qt::Key_Escape ? QDialog::Rejected : QDialog::Accepted)
            << name << ", key " << key;
        EXPECT_FALSE(dialog.isVisible()) << name << ", key " << key;
    }
}

}  // namespace

TEST_F(PhoneBook, EnterAndEscapeDoWhatTheOperatorExpectsInEveryDialog) {
    // Phone Book: Enter on a site selects it, as a double click does; Add is not the default.
    Open(kThreeSites);
    SelectRows({2});
    List().setFocus();
    PressKey(m_dlg.get(), Qt::Key_Return);
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_EQ(SystemPhone(), "333");
    EXPECT_EQ(Shown().size(), 3u) << "no \"Setup Phone\" for a new site";

    m_dlg->setResult(-1);
    m_dlg->show();
    SelectRows({0});
    List().setFocus();
    PressKey(m_dlg.get(), Qt::Key_Escape);
    EXPECT_EQ(m_dlg->result(), QDialog::Rejected);
    EXPECT_EQ(SystemPhone(), "333") << "Escape changes nothing";

    // A button with the focus answers Enter itself.
    m_dlg->setResult(-1);
    m_dlg->show();
    SelectRows({0});
    int phones = 0;
    ScopedModalHandler handler([&](QDialog& dialog) {
        ++phones;
        dialog.reject();
        return dialog.result();
    });
    m_dlg->GetDlgItem(IDC_BTN_EDIT)->setFocus();
    PressKey(m_dlg.get(), Qt::Key_Return);
    EXPECT_EQ(phones, 1) << "Edit opened \"Setup Phone\"";
    EXPECT_TRUE(m_dlg->isVisible());

    ExpectEnterAndEscape<CDlgPhone>("Setup Phone", [](CDlgPhone& phone) {
        phone.Item<QLineEdit>(IDC_EDIT_SITE)->setText("Site");
    });
    ExpectEnterAndEscape<CDlgPassword>(
        "Password", [](CDlgPassword& password) { password.Edit()->setText("pw"); });
    ExpectEnterAndEscape<CDlgSystemSetup>("Dial Setup");
}

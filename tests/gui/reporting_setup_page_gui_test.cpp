// The Reporting Set Up page: the /55 record shown and composed back, Secure and the SMTP password,
// the Style cycle of the pager scripts, the Accept watch and the write with "TT=".
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <memory>

#include "app/state/app_state.h"
#include "controls/button_ex.h"
#include "controls/static_ex.h"
#include "pages/accept_watch.h"
#include "pages/web_page_report.h"
#include "tests/support/gui/page_fixture.h"
#include "tests/support/gui/ui_wait.h"
#include "tests/support/gui/widget_actions.h"

namespace {

const std::string kRead = "/55.htm?val=0-0\r";
const std::string kDefaultScript =
    R"(\W4\XM\r\W2\X[Content]\r\W2\S\X//\U\X//\L\X//\A\X//\R\X//\D\X//\T\r\r)";

// The 21 fields of a unit's settings, each followed by "^".
std::string Record(const std::string& name = "Plant 7", const std::string& secure = "Y") {
    return name + "^" + secure +
           "^smtp.example.com^ops^s3cret^unit@example.com^"
           "a@example.com^Shift A^b@example.com^Shift B^^^"
           "Pager 1^5551234^SCRIPT-1^Pager 2^5555678^SCRIPT-2^^^^";
}

class ReportingSetupPageTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        ResetPagerStyles();
        m_page = std::make_unique<CWebPage_Report>(nullptr);
        m_doc->m_nActivePage = PAGE_REPORTING;
    }
    void TearDown() override {
        m_page.reset();
        PageFixture::TearDown();
    }
    void Show(const std::string& record) { ASSERT_EQ(Reply(*m_page, record + "EOT"), 1); }
    bool AcceptShown() {
        m_page->Watch()->Check();
        EXPECT_NE(Shown(m_page->AcceptButton()), Shown(m_page->AcceptPicture()));
        return Shown(m_page->AcceptButton());
    }
    QLineEdit* Script(int pager) const { return m_page->Edit(PagerField(pager, 2)); }

    std::unique_ptr<CWebPage_Report> m_page;
};

TEST_F(ReportingSetupPageTest, EachActivationReadsOnce) {
    m_doc->m_nActivePage = PAGE_STATUS;
    m_page->OnSetActive();
    EXPECT_EQ(m_doc->m_nActivePage.load(), PAGE_REPORTING);
    EXPECT_EQ(Queued(), std::vector<std::string>{kRead});
    m_page->OnSetActive();
    EXPECT_EQ(Queued(), (std::vector<std::string>{kRead, kRead}))
        << "activation clears the outstanding flag first";
    EXPECT_TRUE(m_prompts.Texts().empty());
}

TEST_F(ReportingSetupPageTest, ReplyFillsEveryEditAndComposesBackUnchanged) {
    Show(Record());
    EXPECT_EQ(m_page->Edit(kFieldSystemName)->text(), "Plant 7");
    EXPECT_TRUE(m_page->Secure()->isChecked());
    EXPECT_EQ(m_page->Edit(2)->text(), "smtp.example.com");
    EXPECT_EQ(m_page->Edit(kFieldSmtpPassword)->text(), "s3cret");
    EXPECT_EQ(m_page->Edit(kFieldSmtpPassword)->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(m_page->Edit(kFieldSmtpPassword)->isEnabled());
    EXPECT_EQ(m_page->Edit(8)->text(), "b@example.com");
    EXPECT_EQ(m_page->Edit(9)->text(), "Shift B");
    EXPECT_EQ(m_page->Edit(PagerField(1, 1))->text(), "5555678");
    EXPECT_EQ(Script(1)->text(), "SCRIPT-2");
    EXPECT_EQ(m_page->m_strLastReply, Record());
    EXPECT_EQ(ComposeReportRecord(m_page->ReadForm()), Record());
    EXPECT_FALSE(AcceptShown());

    // Fewer fields: the rest are emptied, and Accept stays until the form matches.
    Show("Short^N");
    EXPECT_EQ(m_page->Edit(2)->text(), "");
    EXPECT_EQ(Script(0)->text(), "");
    EXPECT_FALSE(m_page->Secure()->isChecked());
    EXPECT_TRUE(AcceptShown());
}

TEST_F(ReportingSetupPageTest, SecureFollowsAnUpperCaseYAndGatesThePasswordEdit) {
    Show(Record("Plant 7", "y"));
    EXPECT_FALSE(m_page->Secure()->isChecked());
    EXPECT_FALSE(m_page->Edit(kFieldSmtpPassword)->isEnabled());

    Show(Record());
    EXPECT_FALSE(AcceptShown());
    m_page->Secure()->click();
    EXPECT_FALSE(m_page->Secure()->isChecked());
    EXPECT_FALSE(m_page->Edit(kFieldSmtpPassword)->isEnabled());
    EXPECT_TRUE(AcceptShown()) << "the unit said Y";
    m_page->Secure()->click();
    EXPECT_TRUE(m_page->Edit(kFieldSmtpPassword)->isEnabled());
    EXPECT_FALSE(AcceptShown());
}

TEST_F(ReportingSetupPageTest, AcceptAppearsForAnyEditOnlyAfterAReply) {
    m_page->show();
    m_page->Edit(3)->setText("typed");
    EXPECT_FALSE(AcceptShown()) << "nothing read yet";

    Show(Record());
    for (int field : {0, 2, 5, 7, 12, 20}) {
        QLineEdit* edit = m_page->Edit(field);
        const QString before = edit->text();
        edit->setText(before + "x");
        EXPECT_TRUE(UiWaitUntil([&] { return Shown(m_page->AcceptButton()); }, 1000))
            << "field " << field;
        edit->setText(before);
        EXPECT_TRUE(UiWaitUntil([&] { return !Shown(m_page->AcceptButton()); }, 1000))
            << "field " << field;
    }
}

TEST_F(ReportingSetupPageTest, StyleLinksStepThroughDefaultEmptyAndReadScript) {
    Click(m_page->StyleLink(0));
    Click(m_page->StyleLink(0));
    Click(m_page->StyleLink(0));
    EXPECT_EQ(Script(0)->text(), "") << "no script read yet";

    Show(Record());
    Click(m_page->StyleLink(1));
    EXPECT_EQ(Script(1)->text().toStdString(), kDefaultScript);
    EXPECT_EQ(kDefaultScript.size(), 69u);
    EXPECT_TRUE(AcceptShown());
    Click(m_page->StyleLink(1));
    EXPECT_EQ(Script(1)->text(), "");
    Click(m_page->StyleLink(1));
    EXPECT_EQ(Script(1)->text(), "SCRIPT-2");
    EXPECT_FALSE(AcceptShown());
    EXPECT_EQ(Script(0)->text(), "SCRIPT-1") << "each pager has its own state";
}

TEST_F(ReportingSetupPageTest, AcceptWritesTheRecordAfterTT) {
    Show(Record());
    m_page->Edit(kFieldSystemName)->setText("Plant 8");
    m_page->Secure()->click();
    AnswerPassword("pw");
    m_page->OnAccept();
    EXPECT_EQ(Queued(),
              std::vector<std::string>{"/55.htm?val=1-0,pw;TT=" + Record("Plant 8", "N") + "\r"});
    EXPECT_TRUE(m_page->m_bWaitReply);

    AnswerPassword("pw");
    m_page->OnAccept();
    EXPECT_EQ(m_prompts.Last(), "Requesting data...");
    EXPECT_EQ(Queued().size(), 1u);

    // The unit answers with what it now holds: the form matches and Accept goes.
    Show(Record("Plant 8", "N"));
    EXPECT_FALSE(m_page->m_bWaitReply);
    EXPECT_FALSE(AcceptShown());
}

TEST_F(ReportingSetupPageTest, TheAnswerToAWriteIsShownUnlessTheUnitKeptItsSettings) {
    Show(Record());
    m_page->Edit(3)->setText("other");
    AnswerPassword("wrong");
    m_page->OnAccept();
    Show(Record());  // the unit still holds its settings
    EXPECT_EQ(m_page->Edit(3)->text(), "other");
    EXPECT_TRUE(AcceptShown());
    EXPECT_TRUE(UiWaitUntil([&] { return !m_prompts.Texts().empty(); }, 2000));
    EXPECT_EQ(m_prompts.Last(), CWebPage::kChangeNotAccepted);
    Show(Record());  // a later read is shown as it is
    EXPECT_EQ(m_page->Edit(3)->text(), "ops");

    // Taken, in the unit's own spelling: the name typed "Plant a1x" is stored as "PLANT A1X".
    m_page->Edit(kFieldSystemName)->setText("Plant a1x");
    AnswerPassword("pw");
    m_page->OnAccept();
    Show(Record("PLANT A1X"));
    EXPECT_EQ(m_page->Edit(kFieldSystemName)->text(), "PLANT A1X");
    EXPECT_FALSE(AcceptShown());
    EXPECT_EQ(m_prompts.Texts().size(), 1u) << "an accepted change is not reported as refused";
}

TEST_F(ReportingSetupPageTest, CaretIsRefusedBeforeThePassword) {
    Show(Record());
    for (int field : {0, 4, 14}) {
        QLineEdit* edit = m_page->Edit(field);
        const QString before = edit->text();
        edit->setText("a^b");
        m_page->OnAccept();
        EXPECT_EQ(m_prompts.Last(), "don't input '^'.") << field;
        edit->setText(before);
    }
    EXPECT_EQ(PasswordDialogsShown(), 0);
    EXPECT_TRUE(Queued().empty());

    theApp().m_bLoggedIn = 0;
    m_page->OnAccept();
    EXPECT_EQ(m_prompts.Last(), "Please connect first.");
    theApp().m_bLoggedIn = 1;
    AnswerPassword(std::nullopt);
    m_page->OnAccept();
    EXPECT_TRUE(Queued().empty());
    EXPECT_EQ(m_page->Edit(kFieldSystemName)->text(), "Plant 7") << "the form keeps its edits";
}

TEST_F(ReportingSetupPageTest, SystemNameLimitHoldsForTypingButNotForTheUnitsName) {
    const std::string longName(80, 'N');
    Show(Record(longName));
    EXPECT_TRUE(m_prompts.Texts().empty()) << "no validation box on a reply";
    EXPECT_EQ(m_page->Edit(kFieldSystemName)->text().toStdString(), longName);
    EXPECT_FALSE(AcceptShown()) << "the name is kept whole, the form matches the reply";
    EXPECT_EQ(m_page->Edit(kFieldSystemName)->cursorPosition(), 0) << "shown from its start";
    m_page->Edit(kFieldSystemName)->end(false);
    m_page->Edit(kFieldSystemName)->insert("x");
    EXPECT_EQ(m_page->Edit(kFieldSystemName)->text().size(), 80) << "typing does not lengthen it";

    Show(Record());
    QLineEdit* name = m_page->Edit(kFieldSystemName);
    name->clear();
    name->setFocus();
    for (int i = 0; i < 75; ++i) {
        name->insert("x");
    }
    EXPECT_EQ(name->text().size(), kSystemNameLimit);
}

TEST_F(ReportingSetupPageTest, FieldsShowTheirStartMaskThePasswordAndRefuseWhatTheUnitCannotHold) {
    Show(Record());
    QLineEdit* password = m_page->Edit(kFieldSmtpPassword);
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_EQ(password->displayText(), "******") << "one * for each character";

    QLineEdit* address = m_page->Edit(kFieldFirstEmail);
    address->end(false);
    address->insert(QString(QChar(0x0436)));  // Cyrillic zhe
    EXPECT_EQ(address->text(), "a@example.com");
    EXPECT_FALSE(AcceptShown()) << "nothing changed, nothing to send";

    Click(m_page->StyleLink(0));
    EXPECT_EQ(Script(0)->text().toStdString(), kDefaultScript);
    EXPECT_EQ(Script(0)->cursorPosition(), 0) << "a long script shows its start, not its tail";
}

}  // namespace

// The Cycle Set Up page: what a /52 reply shows, the settings text composed back from the form,
// the Accept watch, and the /53 write with its checks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <memory>

#include "app/state/app_state.h"
#include "controls/button_ex.h"
#include "controls/static_ex.h"
#include "pages/accept_watch.h"
#include "pages/web_page_config.h"
#include "res/pictures.h"
#include "tests/support/gui/page_fixture.h"
#include "tests/support/gui/ui_wait.h"
#include "tests/support/gui/widget_actions.h"

namespace {

const std::string kRead = "/52.htm?val=0-0\r";

// Dryers 1 (Running), 2 (Backup) and 4 (Available) present; minimum online 2; DAYS with Monday;
// no maintenance or exercise; skip weekends; alarm delay 3 s.
const std::string kRecords =
    "1,1,XL100;1,3,XL200;0,0,;1,2,ABC;0,0,;0,0,;0,0,;0,0,;2;06:00,2016;160;0;0,0;1;3";
const std::string kShown = "1,XL100;3,XL200;0,;2,ABC;0,;0,;0,;0,;2;06:00,2016;160;0;0,0;1;3;";

// The records of a reply with all dryers absent and the given records 9 to 15.
std::string Absent(const std::string& tail) {
    std::string text;
    for (int k = 0; k < 8; ++k) {
        text += "0,0,;";
    }
    return text + tail;
}

std::vector<std::string> Items(const QComboBox* combo) {
    std::vector<std::string> items;
    for (int i = 0; i < combo->count(); ++i) {
        items.push_back(combo->itemText(i).toStdString());
    }
    return items;
}

class CycleSetupPageTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        m_page = std::make_unique<CWebPage_Config>(nullptr);
        m_doc->m_nActivePage = PAGE_CYCLE;
    }
    void TearDown() override {
        m_page.reset();
        PageFixture::TearDown();
    }
    void Show(const std::string& records) { ASSERT_EQ(Reply(*m_page, records + "EOT"), 1); }
    std::string Composed() const { return ComposeSettings(m_page->ReadForm()); }

    std::unique_ptr<CWebPage_Config> m_page;
};

TEST_F(CycleSetupPageTest, ActivationReadsOnceAndGuardsAgainstASecondRequest) {
    m_doc->m_nActivePage = PAGE_STATUS;
    m_page->OnSetActive();
    EXPECT_EQ(m_doc->m_nActivePage.load(), PAGE_CYCLE);
    EXPECT_EQ(Queued(), std::vector<std::string>{kRead});
    EXPECT_TRUE(m_page->m_bWaitReply);

    AnswerPassword("pw");
    m_page->OnAccept();  // the form has nothing to write, but the guard comes first
    EXPECT_EQ(m_prompts.Last(), "Requesting data...");
    EXPECT_EQ(Queued().size(), 1u);

    m_page->OnKillActive();
    EXPECT_FALSE(m_page->m_bWaitReply);
    m_page->OnSetActive();
    EXPECT_EQ(Queued().size(), 2u) << "coming back reads again";
}

TEST_F(CycleSetupPageTest, ReplyFillsRowsListsAndDays) {
    Show(kRecords);
    for (int k : {0, 1, 3}) {
        EXPECT_TRUE(Shown(m_page->DryerStatus(k))) << k;
        EXPECT_TRUE(Shown(m_page->DryerModel(k))) << k;
    }
    for (int k : {2, 4, 5, 6, 7}) {
        EXPECT_FALSE(Shown(m_page->DryerStatus(k))) << k;
        EXPECT_FALSE(Shown(m_page->DryerModel(k))) << k;
    }
    EXPECT_EQ(Items(m_page->DryerStatus(1)),
              (std::vector<std::string>{"Running", "Available", "Backup"}));
    EXPECT_EQ(m_page->DryerStatus(0)->currentIndex(), 0);
    EXPECT_EQ(m_page->DryerStatus(1)->currentIndex(), 2);
    EXPECT_EQ(m_page->DryerStatus(3)->currentIndex(), 1);
    EXPECT_EQ(m_page->DryerModel(3)->text(), "ABC");

    EXPECT_EQ(Items(m_page->MinOnline()), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(m_page->MinOnline()->currentIndex(), 1);
    EXPECT_EQ(m_page->CycleTime(0)->text(), "06:00");
    EXPECT_EQ(m_page->CycleTime(1)->text(), "2016");
    // Every present dryer may go to maintenance; only the Backup dryer to exercise.
    EXPECT_EQ(Items(m_page->Maintenance()), (std::vector<std::string>{"None", "1", "2", "4"}));
    EXPECT_EQ(m_page->Maintenance()->currentIndex(), 0);
    EXPECT_EQ(Items(m_page->Exercise()), (std::vector<std::string>{"None", "2"}));
    EXPECT_EQ(m_page->Exercise()->currentIndex(), 0);
    EXPECT_TRUE(m_page->Duration()->isEnabled());
    EXPECT_EQ(m_page->Duration()->currentIndex(), 0);
    EXPECT_EQ(m_page->SkipWeekends()->currentIndex(), 0);
    EXPECT_EQ(m_page->AlarmDelay()->currentText(), "3 Seconds");

    // 160 = 128 + Monday: DAYS with only Monday lit; the strip and skip weekends give way.
    EXPECT_EQ(m_page->Mode()->currentText(), "DAYS");
    EXPECT_EQ(m_page->m_nDayMask, 0x20);
    EXPECT_FALSE(Shown(m_page->DayStrip()));
    EXPECT_FALSE(m_page->SkipWeekends()->isEnabled());
    EXPECT_EQ(m_page->DayToggle(0)->m_nBitmapID, res::IDB_WEEKDAY_LIT_FIRST);
    for (int day = 1; day < 5; ++day) {
        EXPECT_TRUE(Shown(m_page->DayToggle(day)));
        EXPECT_EQ(m_page->DayToggle(day)->m_nBitmapID, res::IDB_WEEKDAY_PLAIN_FIRST + day);
    }

    EXPECT_EQ(g_PresentDryers.count, 3);
    EXPECT_EQ(g_BackupDryers.count, 1);
    EXPECT_EQ(g_BackupDryers.numbers[0], 2);
    EXPECT_EQ(m_page->m_strShownSettings, kShown);
    EXPECT_EQ(Composed(), kShown) << "an untouched form composes to what was read";
}

TEST_F(CycleSetupPageTest, NextReplyReplacesEverything) {
    Show(kRecords);
    Show(Absent("1;,;0;0;0,0;0;0"));
    for (int k = 0; k < 8; ++k) {
        EXPECT_FALSE(Shown(m_page->DryerStatus(k)));
    }
    // No dryer present: no minimum to choose, and the form writes 0 for it.
    EXPECT_EQ(m_page->MinOnline()->count(), 0);
    EXPECT_EQ(m_page->MinOnline()->currentIndex(), -1);
    EXPECT_EQ(Composed(), "0,;0,;0,;0,;0,;0,;0,;0,;0;,;0;0;0,0;0;0;");
    EXPECT_EQ(Items(m_page->Maintenance()), std::vector<std::string>{"None"});
    EXPECT_EQ(g_PresentDryers.count, 0);

    // Mode 0 and 1: the strip is back, the toggles gone, skip weekends usable again.
    EXPECT_EQ(m_page->Mode()->currentText(), "24HR");
    EXPECT_TRUE(Shown(m_page->DayStrip()));
    EXPECT_TRUE(m_page->SkipWeekends()->isEnabled());
    for (int day = 0; day < 5; ++day) {
        EXPECT_FALSE(Shown(m_page->DayToggle(day)));
    }
    Show(Absent("1;,;1;0;0,0;0;0"));
    EXPECT_EQ(m_page->Mode()->currentText(), "48HR");
    EXPECT_TRUE(Shown(m_page->DayStrip()));
}

TEST_F(CycleSetupPageTest, MaintenanceAndExerciseSetOnTheUnitOfferClear) {
    Show("1,3,A;1,3,B;0,0,;0,0,;1,2,E;0,0,;0,0,;0,0,;1;1,2;0;5;2,1;0;0");
    EXPECT_EQ(Items(m_page->Maintenance()), (std::vector<std::string>{"Clear", "5"}));
    EXPECT_EQ(m_page->Maintenance()->currentIndex(), 1);
    EXPECT_EQ(Items(m_page->Exercise()), (std::vector<std::string>{"Clear", "2"}));
    EXPECT_EQ(m_page->Exercise()->currentIndex(), 1);
    EXPECT_EQ(m_page->Duration()->currentText(), "16 HR");
    EXPECT_FALSE(m_page->Duration()->isEnabled());
    EXPECT_EQ(Composed(), m_page->m_strShownSettings);
    EXPECT_NE(Composed().find(";5;2,1;"), std::string::npos);

    m_page->Maintenance()->setCurrentIndex(0);
    m_page->Exercise()->setCurrentIndex(0);
    EXPECT_NE(Composed().find(";0;0,0;"), std::string::npos) << "Clear writes 0";
}

TEST_F(CycleSetupPageTest, OddValuesFromTheUnitDoNotSelectAnything) {
    // A status outside 1..3, a minimum beyond the present dryers, a delay beyond 10 s, far more
    // records than the page has: nothing is selected that the unit did not say, nothing breaks.
    std::string text = "1,7,M;0,0,;0,0,;0,0,;0,0,;0,0,;0,0,;0,0,;9;a,b,c;0;0;0,9;2;42";
    for (int i = 0; i < 40; ++i) {
        text += ";x";
    }
    Show(text);
    EXPECT_TRUE(Shown(m_page->DryerStatus(0)));
    EXPECT_EQ(m_page->DryerStatus(0)->currentIndex(), -1);
    EXPECT_EQ(m_page->MinOnline()->currentIndex(), -1);
    EXPECT_EQ(m_page->AlarmDelay()->currentIndex(), -1);
    EXPECT_EQ(m_page->SkipWeekends()->currentText(), "No");

    // Cycle-time fields longer than an operator may type are shown whole and sent back as they
    // are; typing stays limited.
    Show(Absent("0;2016-12-09 X,05:30:00;0;0;0,0;0;0"));
    EXPECT_EQ(m_page->CycleTime(0)->text(), "2016-12-09 X");
    EXPECT_EQ(m_page->CycleTime(1)->text(), "05:30:00");
    EXPECT_EQ(Composed(), m_page->m_strShownSettings);
    Show(Absent("1;,;0;0;0,0;0;0"));
    m_page->CycleTime(1)->insert("123456789");
    EXPECT_EQ(m_page->CycleTime(1)->text(), "123456");

    Show(Absent("0;,;-99999999999;0;0,0;0;0"));
    EXPECT_EQ(m_page->Mode()->currentText(), "DAYS");
    EXPECT_EQ(m_page->m_nDayMask & kAllDayBits, 0);

    Show("");  // a reply of only "EOT"
    for (int k = 0; k < 8; ++k) {
        EXPECT_TRUE(Shown(m_page->DryerStatus(k))) << "an empty presence field is not \"0\"";
    }
}

TEST_F(CycleSetupPageTest, AcceptShowsOnlyWhileTheFormDiffersFromTheReply) {
    m_page->show();
    m_page->DryerModel(0)->show();
    m_page->DryerModel(0)->setText("typed");
    m_page->Watch()->Check();
    EXPECT_FALSE(Shown(m_page->AcceptButton())) << "nothing read yet";
    EXPECT_TRUE(Shown(m_page->AcceptPicture()));

    Show(kRecords);
    m_page->Watch()->Check();
    EXPECT_FALSE(Shown(m_page->AcceptButton()));

    m_page->DryerModel(3)->setText("ABCD");
    EXPECT_TRUE(UiWaitUntil([&] { return Shown(m_page->AcceptButton()); }, 1000))
        << "the 200 ms watch shows Accept";
    EXPECT_FALSE(Shown(m_page->AcceptPicture()));
    m_page->DryerModel(3)->setText("ABC");
    EXPECT_TRUE(UiWaitUntil([&] { return !Shown(m_page->AcceptButton()); }, 1000));
    EXPECT_TRUE(Shown(m_page->AcceptPicture()));

    m_page->AlarmDelay()->setCurrentIndex(4);
    m_page->Watch()->Check();
    EXPECT_TRUE(Shown(m_page->AcceptButton()));
}

TEST_F(CycleSetupPageTest, AcceptWritesDaysChosenOnThePage) {
    Show(Absent("1;06:00,2016;0;0;0,0;0;0").replace(0, 5, "1,1,XL;"));
    m_page->Mode()->setCurrentIndex(2);
    emit m_page->Mode()->activated(2);
    for (int day = 0; day < 5; ++day) {
        EXPECT_TRUE(Shown(m_page->DayToggle(day)));
    }
    Click(m_page->DayToggle(0));  // Monday
    Click(m_page->DayToggle(4));  // Friday
    EXPECT_EQ(m_page->m_nDayMask, 0x22);

    AnswerPassword("pw");
    m_page->OnAccept();
    EXPECT_EQ(Queued(), std::vector<std::string>{"/53.htm?val=1-0,pw;1,XL;0,;0,;0,;0,;0,;0,;0,;1;"
                                                 "06:00,2016;162;0;0,0;0;0;\r"});
    EXPECT_TRUE(m_page->m_bWaitReply);

    Click(m_page->DayToggle(0));
    EXPECT_EQ(m_page->m_nDayMask, 0x02) << "a second click clears the day";
}

TEST_F(CycleSetupPageTest, TheAnswerToAWriteIsShownUnlessTheUnitKeptItsSettings) {
    Show(kRecords);
    m_page->AlarmDelay()->setCurrentIndex(9);
    AnswerPassword("wrong");
    m_page->OnAccept();
    ASSERT_EQ(Queued().size(), 1u);
    Show(kRecords);  // the unit answers with the settings it still holds
    EXPECT_EQ(m_page->AlarmDelay()->currentIndex(), 9) << "the operator's edit stays";
    m_page->Watch()->Check();
    EXPECT_TRUE(Shown(m_page->AcceptButton())) << "the write can be tried again";
    EXPECT_TRUE(UiWaitUntil([&] { return !m_prompts.Texts().empty(); }, 2000));
    EXPECT_EQ(m_prompts.Last(), CWebPage::kChangeNotAccepted);

    // Taken, but stored the unit's way: a model typed "xl100" that the unit keeps as "XL100-B",
    // and a delay of 10 s that it caps at 9. What the unit holds now is shown, and nothing is
    // left to accept.
    ClearQueue();
    m_page->AlarmDelay()->setCurrentIndex(10);
    m_page->DryerModel(0)->setText("xl100");
    AnswerPassword("pw");
    m_page->OnAccept();
    ASSERT_EQ(Queued().size(), 1u);
    const std::string stored =
        "1,1,XL100-B;1,3,XL200;0,0,;1,2,ABC;0,0,;0,0,;0,0,;0,0,;2;06:00,2016;160;0;0,0;1;9";
    Show(stored);
    EXPECT_EQ(m_page->DryerModel(0)->text(), "XL100-B");
    EXPECT_EQ(m_page->AlarmDelay()->currentIndex(), 9);
    m_page->Watch()->Check();
    EXPECT_FALSE(Shown(m_page->AcceptButton()));
    EXPECT_EQ(m_prompts.Texts().size(), 1u) << "an accepted change is not reported as refused";

    Show(kRecords);  // a later read is shown as it is
    EXPECT_EQ(m_page->AlarmDelay()->currentIndex(), 3);
    EXPECT_EQ(m_page->DryerModel(0)->text(), "XL100");
}

// Typing as an operator does: one key press per character.
void Type(QWidget* field, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
    }
}

void Backspace(QWidget* field) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(field, &press);
}

TEST_F(CycleSetupPageTest, FieldsTakeOnlyUnitTextAndKeepTheirTypingLimitsAfterALongReply) {
    // The unit holds next-cycle fields longer than an operator may type (14 and 8 characters).
    Show("1,1,XL100;" + Absent("1;2026-12-08 Tue,06:00:00;0;0;0,0;0;0").substr(5));
    QLineEdit* date = m_page->CycleTime(0);
    QLineEdit* time = m_page->CycleTime(1);
    EXPECT_EQ(date->text(), "2026-12-08 Tue") << "shown whole";
    EXPECT_EQ(time->text(), "06:00:00");
    EXPECT_EQ(date->cursorPosition(), 0) << "from its start, not its tail";
    EXPECT_EQ(Composed(), m_page->m_strShownSettings) << "the form equals the unit's settings";

    date->setCursorPosition(date->text().size());
    Type(date, "x");
    EXPECT_EQ(date->text(), "2026-12-08 Tue") << "typing never lengthens it past the limit";
    Backspace(date);
    Type(date, "e");
    EXPECT_EQ(date->text(), "2026-12-08 Tu") << "shortened, it does not grow back";
    date->clear();
    Type(date, "123456789012345");
    EXPECT_EQ(date->text(), "12345678901") << "11 characters";
    time->clear();
    Type(time, "123456789");
    EXPECT_EQ(time->text(), "123456") << "6 characters";

    // Characters the unit cannot hold are refused where they are typed or pasted; Latin-1 ones
    // are taken.
    QLineEdit* model = m_page->DryerModel(0);
    model->setText("XL");
    model->setCursorPosition(2);
    Type(model, QString(QChar(0x0416)) + QChar(0x20AC));  // Cyrillic Zhe, the euro sign
    model->insert(QString(QChar(0x2122)));                // the trade mark sign, pasted
    EXPECT_EQ(model->text(), "XL");
    Type(model, QString(QChar(0xE9)));  // e acute is Latin-1
    EXPECT_EQ(model->text(), QString("XL") + QChar(0xE9));
}

TEST_F(CycleSetupPageTest, DaysModeNeedsADayAndFridayAloneIsEnough) {
    Show(Absent("1;,;0;0;0,0;0;0"));
    m_page->Mode()->setCurrentIndex(2);
    emit m_page->Mode()->activated(2);
    m_page->OnAccept();
    EXPECT_EQ(m_prompts.Last(), "Please select one day or more for week.");
    EXPECT_EQ(PasswordDialogsShown(), 0);
    EXPECT_TRUE(Queued().empty());

    m_page->OnDayClicked(IDC_DAY_FIRST + 4);
    AnswerPassword("pw");
    m_page->OnAccept();
    ASSERT_EQ(Queued().size(), 1u);
    EXPECT_NE(Queued()[0].find(";130;"), std::string::npos);
}

TEST_F(CycleSetupPageTest, SeparatorsTypedIntoFieldsAreRefusedBeforeThePassword) {
    Show(kRecords);
    struct Case {
        QLineEdit* edit;
        const char* typed;
        const char* message;
    };
    const Case cases[] = {{m_page->DryerModel(0), "XL,1", "don't input ','."},
                          {m_page->DryerModel(0), "XL;1", "don't input ';'."},
                          {m_page->CycleTime(0), "06;00", "don't input ';'."},
                          {m_page->CycleTime(1), "20,16", "don't input ','."}};
    for (const Case& c : cases) {
        const QString before = c.edit->text();
        c.edit->setText(c.typed);
        m_prompts.Clear();
        AnswerPassword("pw");
        m_page->OnAccept();
        EXPECT_EQ(m_prompts.Last(), c.message) << c.typed;
        EXPECT_EQ(PasswordDialogsShown(), 0) << c.typed;
        EXPECT_TRUE(Queued().empty()) << c.typed;
        c.edit->setText(before);
    }
}

TEST_F(CycleSetupPageTest, AcceptSendsNothingWithoutLoginOrPassword) {
    Show(kRecords);
    theApp().m_bLoggedIn = 0;
    m_page->OnAccept();
    EXPECT_EQ(m_prompts.Last(), "Please connect first.");
    EXPECT_EQ(PasswordDialogsShown(), 0);

    theApp().m_bLoggedIn = 1;
    AnswerPassword(std::nullopt);
    m_page->OnAccept();
    AnswerPassword("");
    m_page->OnAccept();
    EXPECT_EQ(PasswordDialogsShown(), 2);
    EXPECT_TRUE(Queued().empty());
    EXPECT_FALSE(m_page->m_bWaitReply);
}

TEST(CycleSettingsText, ComposeWritesEveryRecordInPlainDecimal) {
    CycleForm form;
    form.dryers[2] = {true, 2, "Z9"};
    form.minOnlineSelection = 0;
    form.cycleTime = {"12:30", "1"};
    form.modeSelection = 2;
    form.dayMask = 0x3E;
    form.maintenanceSelection = 1;
    form.maintenanceText = "3";
    form.exerciseSelection = 1;
    form.exerciseText = "3";
    form.durationSelection = 2;
    form.skipSelection = 1;
    form.alarmSelection = 10;
    EXPECT_EQ(ComposeSettings(form), "0,;0,;3,Z9;0,;0,;0,;0,;0,;1;12:30,1;190;3;3,2;0;10;");
    EXPECT_EQ(CheckCycleForm(form), "");
}

}  // namespace

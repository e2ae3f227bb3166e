// The Status page: what a /60 reply shows, the 5 s poll and its guard, and the RESET command.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <memory>

#include "app/state/app_state.h"
#include "controls/static_ex.h"
#include "pages/web_page_status.h"
#include "tests/support/gui/page_fixture.h"
#include "tests/support/gui/widget_actions.h"

namespace {

const std::string kPoll = "/60.htm?val=0-0\r";

// Alarm 129 (dryers 1 and 8), Online 0, Standby -1 (all eight); dryer 1 in alarm, dryer 2 online.
const std::string kReply =
    "129;0;-1;Red,2016-11-07 16:47,Alarm,XL;Green,,Online,XL;;;;;;;DAYS M.W.F;"
    "2016-11-08 06:00;2016-11-07 16:52;3;1-2-3;YesEOT";

std::string Text(const CStaticEx* control) {
    return control->WindowText().toLatin1().toStdString();
}

class StatusPageTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        m_page = std::make_unique<CWebPage_Status>(nullptr);
        m_page->resize(760, 540);
    }
    void TearDown() override {
        m_page.reset();
        PageFixture::TearDown();
    }

    std::vector<int> LampsShown(CStaticEx* CWebPage_Status::DryerRow::*lamp) const {
        std::vector<int> dryers;
        for (int k = 0; k < 8; ++k) {
            if (Shown(m_page->Row(k).*lamp)) {
                dryers.push_back(k + 1);
            }
        }
        return dryers;
    }

    std::unique_ptr<CWebPage_Status> m_page;
};

TEST_F(StatusPageTest, ReplyShowsLampsTextsColoursAndWeekdayStrip) {
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(Text(m_page->Row(k).number), "") << "no dryer numbers before the first reply";
    }
    EXPECT_EQ(Reply(*m_page, kReply), 1);

    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(Text(m_page->Row(k).number), std::to_string(k + 1));
    }
    EXPECT_EQ(LampsShown(&CWebPage_Status::DryerRow::alarm), (std::vector<int>{1, 8}));
    EXPECT_EQ(LampsShown(&CWebPage_Status::DryerRow::online), std::vector<int>{});
    EXPECT_EQ(LampsShown(&CWebPage_Status::DryerRow::standby),
              (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));

    const auto& red = m_page->Row(0);
    EXPECT_TRUE(Shown(red.reset));
    EXPECT_EQ(Text(red.alarmTime), "2016-11-07 16:47");
    EXPECT_EQ(Text(red.status), "Alarm");
    EXPECT_EQ(Text(red.model), "XL");
    for (auto* cell : {red.alarmTime, red.status, red.model}) {
        EXPECT_EQ(cell->m_crColor, QColor(255, 0, 0));
    }
    const auto& green = m_page->Row(1);
    EXPECT_FALSE(Shown(green.reset));
    EXPECT_EQ(Text(green.alarmTime), "");
    EXPECT_EQ(Text(green.status), "Online");
    EXPECT_EQ(green.status->m_crColor, QColor(0, 128, 0));
    EXPECT_FALSE(Shown(m_page->Row(2).reset));
    EXPECT_EQ(m_page->Row(2).model->m_crColor, QColor(0, 0, 0));

    EXPECT_EQ(Text(m_page->CycleMode()), "");
    EXPECT_TRUE(Shown(m_page->Strip()));
    const bool lit[5] = {true, false, true, false, true};
    for (int day = 0; day < 5; ++day) {
        EXPECT_EQ(Shown(m_page->Weekday(day)), lit[day]) << "weekday " << day;
    }
    EXPECT_EQ(Text(m_page->LowerValue(1)), "2016-11-08 06:00");
    EXPECT_EQ(Text(m_page->LowerValue(2)), "2016-11-07 16:52");
    EXPECT_EQ(Text(m_page->LowerValue(3)), "3");
    EXPECT_EQ(Text(m_page->LowerValue(4)), "1-2-3");
    EXPECT_EQ(Text(m_page->LowerValue(5)), "Yes");
}

TEST_F(StatusPageTest, MasksKeepOnlyTheirLowEightBitsAndNonNumbersCountAsNothing) {
    Reply(*m_page, "256; +3x;garbage;;;;;;;;;24HREOT");
    EXPECT_EQ(LampsShown(&CWebPage_Status::DryerRow::alarm), std::vector<int>{});
    EXPECT_EQ(LampsShown(&CWebPage_Status::DryerRow::online), (std::vector<int>{7, 8}));
    EXPECT_EQ(LampsShown(&CWebPage_Status::DryerRow::standby), std::vector<int>{});
    EXPECT_EQ(Text(m_page->CycleMode()), "24HR");
    EXPECT_FALSE(Shown(m_page->Strip()));
    for (int day = 0; day < 5; ++day) {
        EXPECT_FALSE(Shown(m_page->Weekday(day)));
    }

    // A digit string far longer than any integer still reads as its low eight bits.
    Reply(*m_page, "100000000000000000000000000000000000248;-128;1EOT");
    EXPECT_EQ(LampsShown(&CWebPage_Status::DryerRow::alarm), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(LampsShown(&CWebPage_Status::DryerRow::online), (std::vector<int>{1}));
    EXPECT_EQ(LampsShown(&CWebPage_Status::DryerRow::standby), (std::vector<int>{8}));
}

TEST_F(StatusPageTest, ShortReplyEmptiesWhatItLacksAndShortDayMaskLeavesDaysOff) {
    Reply(*m_page, kReply);
    Reply(*m_page, "0;255;0;Blue,x,y,z;;;;;;;;DAYS MTEOT");
    EXPECT_EQ(LampsShown(&CWebPage_Status::DryerRow::online).size(), 8u);
    EXPECT_FALSE(Shown(m_page->Row(0).reset));
    EXPECT_EQ(m_page->Row(0).model->m_crColor, QColor(0, 0, 255));
    EXPECT_EQ(Text(m_page->Row(1).status), "");
    EXPECT_TRUE(Shown(m_page->Strip()));
    EXPECT_TRUE(Shown(m_page->Weekday(0)));
    EXPECT_TRUE(Shown(m_page->Weekday(1)));
    for (int day = 2; day < 5; ++day) {
        EXPECT_FALSE(Shown(m_page->Weekday(day)));
    }
    for (int i = 1; i < 6; ++i) {
        EXPECT_EQ(Text(m_page->LowerValue(i)), "");
    }

    // Only "EOT": every lamp off, every text empty, the numbers stay.
    Reply(*m_page, "EOT");
    EXPECT_EQ(LampsShown(&CWebPage_Status::DryerRow::online), std::vector<int>{});
    EXPECT_FALSE(Shown(m_page->Strip()));
    EXPECT_EQ(Text(m_page->Row(0).model), "");
    EXPECT_EQ(Text(m_page->Row(7).number), "8");
}

TEST_F(StatusPageTest, SameReplyTwiceIsNotShownAgainButClearsTheWait) {
    Reply(*m_page, kReply);
    // Mark a cell: a reply that is processed again would overwrite the mark.
    m_page->Row(0).status->SetWindowText("marked");
    m_page->OnTimer(1);
    ASSERT_TRUE(m_page->m_bWaitReply);
    EXPECT_EQ(Reply(*m_page, kReply), 0);
    EXPECT_FALSE(m_page->m_bWaitReply);
    EXPECT_EQ(Text(m_page->Row(0).status), "marked");

    // Leaving and coming back shows the same reply in full.
    m_page->OnKillActive();
    m_page->OnSetActive();
    EXPECT_EQ(Reply(*m_page, kReply), 1);
    EXPECT_EQ(Text(m_page->Row(0).status), "Alarm");
}

TEST_F(StatusPageTest, PollSendsOnlyWhenActiveLoggedInAndLinkUpAndNeverTwiceWhileWaiting) {
    m_page->OnTimer(2);
    EXPECT_TRUE(Queued().empty()) << "other timers do nothing";

    m_page->OnTimer(1);
    EXPECT_EQ(Queued(), std::vector<std::string>{kPoll});
    {
        std::lock_guard<std::mutex> lock(m_system->m_lock);
        EXPECT_EQ(m_system->Commands->CommandID, CMD_PAGE_STATUS);
        EXPECT_EQ(m_system->Commands->SystemID, 1);
    }
    m_page->OnTimer(1);
    EXPECT_EQ(Queued().size(), 1u) << "a poll is outstanding";
    EXPECT_TRUE(m_prompts.Texts().empty()) << "the poll skips silently";

    Reply(*m_page, kReply);
    ClearQueue();
    m_page->OnTimer(1);
    EXPECT_EQ(Queued(), std::vector<std::string>{kPoll});

    // Leaving clears the wait; another page is active: no poll.
    m_page->OnKillActive();
    ClearQueue();
    m_doc->m_nActivePage = PAGE_CYCLE;
    m_page->OnTimer(1);
    EXPECT_TRUE(Queued().empty());
    m_page->OnSetActive();
    EXPECT_EQ(m_doc->m_nActivePage.load(), PAGE_STATUS);

    m_port->SetLinkUp(false);
    m_page->OnTimer(1);
    EXPECT_TRUE(Queued().empty());
    m_port->SetLinkUp(true);
    theApp().m_bLoggedIn = 0;
    m_page->OnTimer(1);
    EXPECT_TRUE(Queued().empty());
    theApp().m_bLoggedIn = 1;
    m_page->OnTimer(1);
    EXPECT_EQ(Queued(), std::vector<std::string>{kPoll});
    EXPECT_TRUE(m_prompts.Texts().empty());
}

TEST_F(StatusPageTest, PollWhoseReplyCanNeverComeDoesNotStopThePolling) {
    m_page->OnTimer(1);
    // The worker takes the poll: it is in progress, still owed.
    {
        std::lock_guard<std::mutex> lock(m_system->m_lock);
        m_system->CurCommand = m_system->Commands;
        m_system->Commands = nullptr;
    }
    m_page->OnTimer(1);
    EXPECT_TRUE(Queued().empty());

    // The unit stayed silent and the System dropped the exchange: the next tick polls again.
    m_system->AbortCommand();
    m_page->OnTimer(1);
    EXPECT_EQ(Queued(), std::vector<std::string>{kPoll});
    EXPECT_TRUE(m_page->m_bWaitReply);
}

TEST_F(StatusPageTest, ValuesWithoutASessionAreShownDimmedUntilTheNextReply) {
    Reply(*m_page, kReply);
    m_page->OnTimer(1);
    Reply(*m_page, kReply);
    ASSERT_FALSE(m_page->IsStale());
    m_page->show();
    const QPoint lamp = m_page->Row(0).alarm->geometry().center();
    EXPECT_EQ(Grab(*m_page).pixelColor(lamp), QColor(255, 0, 0));

    m_port->SetLinkUp(false);
    m_page->OnTimer(1);
    EXPECT_TRUE(m_page->IsStale());
    EXPECT_FALSE(m_page->Row(0).status->isEnabled());
    EXPECT_EQ(Text(m_page->Row(0).status), "Alarm") << "the last known values stay readable";
    EXPECT_NE(Grab(*m_page).pixelColor(lamp), QColor(255, 0, 0));
    EXPECT_TRUE(m_page->Row(0).reset->isEnabled());

    // Back on line: the first reply is shown in full even though the unit has not changed.
    m_port->SetLinkUp(true);
    m_page->OnTimer(1);
    EXPECT_TRUE(m_page->IsStale()) << "still the old values until the reply";
    EXPECT_EQ(Reply(*m_page, kReply), 1);
    EXPECT_FALSE(m_page->IsStale());
    EXPECT_TRUE(m_page->Row(0).status->isEnabled());
    EXPECT_EQ(Grab(*m_page).pixelColor(lamp), QColor(255, 0, 0));
    EXPECT_EQ(Reply(*m_page, kReply), 0) << "and the next same one is not shown again";
}

TEST_F(StatusPageTest, ResetSendsThePasswordAndDryerNumberEvenWhilePolling) {
    m_page->OnTimer(1);
    ASSERT_TRUE(m_page->m_bWaitReply);
    ClearQueue();

    AnswerPassword("Ab1$ x");
    m_page->OnReset(IDC_RESET_FIRST + 7);
    EXPECT_EQ(Queued(), std::vector<std::string>{"/51.htm?val=1-0,Ab1$ x;8\r"});
    EXPECT_TRUE(m_page->m_bWaitReply);

    // The password is asked for every time.
    ClearQueue();
    AnswerPassword("pw");
    m_page->OnReset(IDC_RESET_FIRST + 2);
    EXPECT_EQ(Queued(), std::vector<std::string>{"/51.htm?val=1-0,pw;3\r"});
    EXPECT_EQ(PasswordDialogsShown(), 2);
}

TEST_F(StatusPageTest, ResetSendsNothingWhenCancelledEmptyNotActiveOrNotConnected) {
    AnswerPassword(std::nullopt);
    m_page->OnReset(IDC_RESET_FIRST);
    AnswerPassword("");
    m_page->OnReset(IDC_RESET_FIRST);
    EXPECT_EQ(PasswordDialogsShown(), 2);
    EXPECT_TRUE(Queued().empty());
    EXPECT_TRUE(m_prompts.Texts().empty());

    m_doc->m_nActivePage = PAGE_EVENT;
    m_page->OnReset(IDC_RESET_FIRST);
    EXPECT_EQ(PasswordDialogsShown(), 2) << "no password asked for a page that is not active";
    m_doc->m_nActivePage = PAGE_STATUS;

    theApp().m_bLoggedIn = 0;
    m_page->OnReset(IDC_RESET_FIRST);
    EXPECT_EQ(m_prompts.Texts(), std::vector<std::string>{"Please connect first."});
    EXPECT_EQ(PasswordDialogsShown(), 2);

    // Logged in but the link went down after the password: nothing goes out, nothing is said.
    theApp().m_bLoggedIn = 1;
    m_port->SetLinkUp(false);
    AnswerPassword("pw");
    m_page->OnReset(IDC_RESET_FIRST);
    EXPECT_TRUE(Queued().empty());
    EXPECT_FALSE(m_page->m_bWaitReply);
}

TEST_F(StatusPageTest, ClickOnTheResetLinkAsksForThePassword) {
    Reply(*m_page, kReply);
    m_page->show();
    CStaticEx* link = m_page->Row(0).reset;
    ASSERT_TRUE(link->isVisible());
    AnswerPassword("pw");
    const QPointF at(link->width() / 2.0, link->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, link->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(link, &press);
    EXPECT_EQ(Queued(), std::vector<std::string>{"/51.htm?val=1-0,pw;1\r"});
}

// Renders the page filled with a reply into the build tree, for a person to look at; and checks
// that the lamps and values are drawn where their cells are.
TEST_F(StatusPageTest, ScreenshotShowsEveryValueInItsCell) {
    Reply(*m_page,
          "129;118;8;Red,2016-11-07 16:47,Alarm,XL;Green,,Online,XL;Green,,Online,XL-2;"
          "Orange,2016-11-06 03:12,Standby,L;Lightgrey,,Offline,XL;Green,,Online,M;"
          "Blue,,Maintenance,XL;Red,2016-11-07 16:50,Alarm,L;DAYS M.W.F;2016-11-08 06:00;"
          "2016-11-07 16:52;3;1-2-3-4-5-6-7-8;YesEOT");
    const QImage image = Grab(*m_page);
    const QString dir = QString(CORVANTIS_BINARY_DIR) + "/screenshots";
    QDir().mkpath(dir);
    ASSERT_TRUE(image.save(dir + "/status_page.png"));

    auto centre = [&](QWidget* w) { return image.pixelColor(w->geometry().center()); };
    EXPECT_EQ(centre(m_page->Row(0).alarm), QColor(255, 0, 0));
    EXPECT_EQ(centre(m_page->Row(1).online), QColor(0, 128, 0));
    EXPECT_EQ(centre(m_page->Row(4).standby), QColor(255, 165, 0));
    // Dryer 2's Alarm lamp is off: its cell shows the picture's white.
    EXPECT_EQ(centre(m_page->Row(1).alarm), QColor(255, 255, 255));

    // Without a session the same values are shown dimmed.
    m_port->SetLinkUp(false);
    m_page->OnTimer(1);
    ASSERT_TRUE(Grab(*m_page).save(dir + "/status_page_offline.png"));
}

}  // namespace

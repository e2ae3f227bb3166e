// The Event page: the screen page a /61 reply shows, paging, and the sort heads with their
// pictures and remembered state.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <memory>

#include "app/state/app_state.h"
#include "controls/button_ex.h"
#include "controls/static_ex.h"
#include "pages/web_page_event.h"
#include "tests/support/gui/page_fixture.h"
#include "tests/support/gui/widget_actions.h"

namespace {

std::string Text(const CStaticEx* control) {
    return control->WindowText().toStdString();
}

std::string Events(int count) {
    std::string text = "2,7";
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        text += "\r\n" + n + ",ALARM,Dryer " + n + " high temperature,07/11/2016,16:4" +
                std::to_string(i % 10);
    }
    return text + "\r\nEOT";
}

class EventPageTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        m_page = std::make_unique<CWebPage_Event>(nullptr);
        m_page->OnSetActive();
        ClearQueue();
        m_page->m_bWaitReply = false;
    }
    void TearDown() override {
        m_page.reset();
        PageFixture::TearDown();
    }
    // Clicks head `id` and answers the request, so that the next click may send.
    std::string ClickHead(int id) {
        ClearQueue();
        Click(m_page->Head(id));
        const auto queued = Queued();
        Reply(*m_page, "1,1\r\nEOT");
        return queued.empty() ? std::string() : queued.back();
    }
    int Picture(int id) const { return m_page->Head(id)->m_nBitmapID; }

    std::unique_ptr<CWebPage_Event> m_page;
};

TEST_F(EventPageTest, ActivationReadsTheFirstPageWithDefaultPictures) {
    m_doc->m_nActivePage = PAGE_STATUS;
    m_page->OnSetActive();
    EXPECT_EQ(m_doc->m_nActivePage.load(), PAGE_EVENT);
    EXPECT_EQ(Queued(), std::vector<std::string>{"/61.htm?val=0-0\r"});
    EXPECT_EQ(Picture(kHeadEvent), 183);
    EXPECT_EQ(Picture(kHeadDryer), 180);
    EXPECT_EQ(Picture(kHeadDate), 188);
    EXPECT_EQ(Picture(kHeadTime), 191);
}

TEST_F(EventPageTest, HeaderOnlyEmptiesEveryRow) {
    EXPECT_EQ(Reply(*m_page, Events(5)), 1);
    EXPECT_EQ(Reply(*m_page, "1,1\r\nEOT"), 1);
    EXPECT_EQ(Text(m_page->PageLabel()), "1 of 1");
    for (int r = 0; r < kEventRows; ++r) {
        for (int c = 0; c < kEventColumns; ++c) {
            EXPECT_EQ(Text(m_page->Cell(r, c)), "") << r << "," << c;
        }
    }
    Reply(*m_page, "EOT");
    EXPECT_EQ(Text(m_page->PageLabel()), " of ");
}

TEST_F(EventPageTest, EventsFillTheirRowsAndTheRestIsEmptied) {
    Reply(*m_page, Events(kEventRows));
    Reply(*m_page, Events(5));
    EXPECT_EQ(Text(m_page->PageLabel()), "2 of 7");
    EXPECT_EQ(Text(m_page->Cell(0, 0)), "1");
    EXPECT_EQ(Text(m_page->Cell(0, 1)), "ALARM");
    EXPECT_EQ(Text(m_page->Cell(4, 2)), "Dryer 5 high temperature");
    EXPECT_EQ(Text(m_page->Cell(4, 3)), "07/11/2016");
    EXPECT_EQ(Text(m_page->Cell(4, 4)), "16:45");
    for (int r = 5; r < kEventRows; ++r) {
        EXPECT_EQ(Text(m_page->Cell(r, 0)), "") << r;
        EXPECT_EQ(Text(m_page->Cell(r, 2)), "") << r;
    }
}

TEST_F(EventPageTest, ShortLongAndSurplusLinesStayInsideTheGrid) {
    Reply(*m_page, "1,1\r\n3,STOP\r\n4,A,B,C,D,E,F,G\r\nEOT");
    EXPECT_EQ(Text(m_page->Cell(0, 0)), "3");
    EXPECT_EQ(Text(m_page->Cell(0, 1)), "STOP");
    EXPECT_EQ(Text(m_page->Cell(0, 2)), "");
    EXPECT_EQ(Text(m_page->Cell(1, 4)), "D") << "fields past the fifth are ignored";

    // 150 events: the grid shows the first 18, nothing is written past it or the line array.
    Reply(*m_page, Events(150));
    EXPECT_EQ(Text(m_page->Cell(17, 0)), "18");
    const EventScreen screen = ParseEventReply(Events(150).substr(0, Events(150).size() - 5));
    EXPECT_EQ(screen.rows[17][0], "18");
}

TEST_F(EventPageTest, PagingButtonsSendTheirSteps) {
    for (int step = 1; step <= 4; ++step) {
        ClearQueue();
        m_page->PagingButton(step)->click();
        EXPECT_EQ(Queued(),
                  std::vector<std::string>{"/61.htm?val=0-" + std::to_string(step) + "\r"});
        Reply(*m_page, "1,1\r\nEOT");
    }
    ClearQueue();
    m_page->PagingButton(3)->click();
    m_page->PagingButton(3)->click();
    EXPECT_EQ(m_prompts.Last(), "Requesting data...");
    EXPECT_EQ(Queued().size(), 1u);

    theApp().m_bLoggedIn = 0;
    m_page->m_bWaitReply = false;
    m_page->PagingButton(1)->click();
    EXPECT_EQ(m_prompts.Last(), "Please connect first.");
    EXPECT_EQ(Queued().size(), 1u);
}

TEST_F(EventPageTest, EventHeadTwiceSelectsThenFlips) {
    EXPECT_EQ(ClickHead(kHeadEvent), "/61.htm?val=1-1\r");
    EXPECT_EQ(Picture(kHeadEvent), 184) << "up arrow";
    EXPECT_EQ(Picture(kHeadDryer), 180);
    EXPECT_EQ(Picture(kHeadDate), 186);
    EXPECT_EQ(Picture(kHeadTime), 189);
    EXPECT_EQ(ClickHead(kHeadEvent), "/61.htm?val=1-0\r");
    EXPECT_EQ(Picture(kHeadEvent), 185) << "down arrow";

    EXPECT_EQ(ClickHead(kHeadDryer), "/61.htm?val=2-1\r");
    EXPECT_EQ(Picture(kHeadDryer), 181);
    EXPECT_EQ(Picture(kHeadEvent), 183);
}

TEST_F(EventPageTest, DateAndTimeActAsOneHeadAndTheStateOutlivesActivation) {
    // Key 3, direction 0 at start: the first click on Date or Time flips to direction 1.
    EXPECT_EQ(ClickHead(kHeadTime), "/61.htm?val=3-1\r");
    EXPECT_EQ(Picture(kHeadDate), 187);
    EXPECT_EQ(Picture(kHeadTime), 190);
    EXPECT_EQ(ClickHead(kHeadDate), "/61.htm?val=3-0\r");
    EXPECT_EQ(Picture(kHeadTime), 191);

    ClickHead(kHeadDryer);  // key 2, direction 1
    m_page->OnKillActive();
    m_page->OnSetActive();
    Reply(*m_page, "1,1\r\nEOT");
    EXPECT_EQ(Picture(kHeadDryer), 180) << "activation shows the default pictures";
    EXPECT_EQ(m_page->Sort().m_nSortKey, 2) << "but keeps the sort";
    EXPECT_EQ(ClickHead(kHeadDryer), "/61.htm?val=2-0\r");
}

TEST_F(EventPageTest, HeadClickWhileNotConnectedChangesNothing) {
    theApp().m_bLoggedIn = 0;
    EXPECT_EQ(ClickHead(kHeadEvent), "");
    EXPECT_EQ(m_prompts.Last(), "Please connect first.");
    EXPECT_EQ(m_page->Sort().m_nSortKey, 3);
    EXPECT_EQ(Picture(kHeadEvent), 183);
}

}  // namespace

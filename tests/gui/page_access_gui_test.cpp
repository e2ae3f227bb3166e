// The device pages for an operator without a mouse or with assistive technology, and for one
// whose double click is quick: every lamp, link, toggle, sort head and paging button says what it
// is and what it shows; the clickable statics are reached with Tab and worked with Space or Enter;
// a double click on one of them counts once.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <memory>

#include "controls/button_ex.h"
#include "controls/static_ex.h"
#include "pages/reporting_settings.h"
#include "pages/web_page_config.h"
#include "pages/web_page_event.h"
#include "pages/web_page_report.h"
#include "pages/web_page_status.h"
#include "res/pictures.h"
#include "tests/support/gui/page_fixture.h"
#include "tests/support/gui/widget_actions.h"

namespace {

std::string NameOf(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name).toStdString() : "(none)";
}
std::string ValueOf(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Value).toStdString() : "(none)";
}

void DoubleClick(QWidget* widget) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QMouseEvent second(QEvent::MouseButtonDblClick, at, global, Qt::LeftButton, Qt::LeftButton,
                       Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
    QApplication::sendEvent(widget, &second);
    QApplication::sendEvent(widget, &release);
}

void Key(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

class PageAccessTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        ResetPagerStyles();
    }
};

TEST_F(PageAccessTest, LampsLinksTogglesHeadsAndButtonsSayWhatTheyShow) {
    CWebPage_Status status(nullptr);
    // Dryer 5 in alarm (bit 3 of the masks), dryer 1 online.
    ASSERT_EQ(
        Reply(status, "8;128;0;Green,,Online,A;;;;Red,2026-12-07 04:12,Alarm,B;;;;24HR;;;;;EOT"),
        1);
    const auto& five = status.Row(4);
    EXPECT_EQ(NameOf(five.alarm), "Dryer 5, Alarm lamp, on");
    EXPECT_EQ(ValueOf(five.alarm), "on");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(five.alarm)->role(), QAccessible::Indicator);
    EXPECT_EQ(NameOf(five.online), "Dryer 5, Online lamp, off");
    EXPECT_EQ(NameOf(status.Row(0).online), "Dryer 1, Online lamp, on");
    EXPECT_EQ(NameOf(five.reset), "Dryer 5, RESET, resets the alarm");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(five.reset)->role(), QAccessible::Button);
    EXPECT_EQ(ValueOf(five.alarmTime), "2026-12-07 04:12");

    CWebPage_Config cycle(nullptr);
    m_doc->m_nActivePage = PAGE_CYCLE;
    ASSERT_EQ(Reply(cycle, "1,1,A;0,0,;0,0,;0,0,;0,0,;0,0,;0,0,;0,0,;1;a,b;160;0;0,0;0;0EOT"), 1);
    EXPECT_EQ(NameOf(cycle.DayToggle(0)), "Monday, cycle day, selected");
    EXPECT_EQ(NameOf(cycle.DayToggle(4)), "Friday, cycle day, not selected");
    Click(cycle.DayToggle(4));
    EXPECT_EQ(ValueOf(cycle.DayToggle(4)), "selected");

    CWebPage_Report report(nullptr);
    EXPECT_EQ(NameOf(report.StyleLink(1)), "Pager 2, Style, script read from the unit");
    Click(report.StyleLink(1));
    EXPECT_EQ(ValueOf(report.StyleLink(1)), "default script");
    EXPECT_EQ(NameOf(report.AcceptPicture()), "Accept, nothing to accept");
    EXPECT_EQ(NameOf(report.AcceptButton()), "Accept");

    CWebPage_Event event(nullptr);
    m_doc->m_nActivePage = PAGE_EVENT;
    event.OnSetActive();
    EXPECT_EQ(NameOf(event.Head(kHeadDate)), "Date column, sort, sorted descending");
    EXPECT_EQ(ValueOf(event.Head(kHeadDryer)), "not sorted");
    ASSERT_EQ(Reply(event, "1,1\r\nEOT"), 1);
    Click(event.Head(kHeadDryer));
    EXPECT_EQ(ValueOf(event.Head(kHeadDryer)), "sorted ascending");
    EXPECT_EQ(ValueOf(event.Head(kHeadDate)), "not sorted");
    EXPECT_EQ(NameOf(event.PagingButton(1)), "First Page");
    EXPECT_EQ(NameOf(event.PagingButton(4)), "Last Page");
}

TEST_F(PageAccessTest, ClickableStaticsAreReachedWithTabAndWorkedWithSpaceOrEnter) {
    CWebPage_Report report(nullptr);
    EXPECT_EQ(report.StyleLink(0)->focusPolicy(), Qt::StrongFocus);
    Key(report.StyleLink(0), Qt::Key_Space);
    EXPECT_EQ(report.Edit(PagerField(0, 2))->text().size(), 69) << "the default script";
    Key(report.StyleLink(0), Qt::Key_Return);
    EXPECT_EQ(report.Edit(PagerField(0, 2))->text(), "") << "then the empty box";
    EXPECT_EQ(report.Edit(PagerField(0, 2))->nextInFocusChain(), report.StyleLink(0))
        << "Tab goes from a pager's script to its Style link";

    CWebPage_Config cycle(nullptr);
    EXPECT_EQ(cycle.DryerModel(0)->nextInFocusChain(), cycle.DryerStatus(1))
        << "the table row by row";

    CWebPage_Status status(nullptr);
    EXPECT_EQ(status.Row(0).reset->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(status.Row(0).alarm->focusPolicy(), Qt::NoFocus) << "a lamp is not a stop";

    CWebPage_Event event(nullptr);
    m_doc->m_nActivePage = PAGE_EVENT;
    event.OnSetActive();
    ASSERT_EQ(Reply(event, "1,1\r\nEOT"), 1);
    ClearQueue();
    Key(event.Head(kHeadEvent), Qt::Key_Enter);
    EXPECT_EQ(Queued(), std::vector<std::string>{"/61.htm?val=1-1\r"});
    EXPECT_EQ(event.PagingButton(3)->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
}

TEST_F(PageAccessTest, ADoubleClickIsOneClick) {
    CWebPage_Report report(nullptr);
    DoubleClick(report.StyleLink(2));
    EXPECT_EQ(report.Edit(PagerField(2, 2))->text().size(), 69)
        << "Style shows the default script, it does not skip it";

    CWebPage_Event event(nullptr);
    m_doc->m_nActivePage = PAGE_EVENT;
    event.OnSetActive();
    ASSERT_EQ(Reply(event, "1,1\r\nEOT"), 1);
    ClearQueue();
    DoubleClick(event.Head(kHeadEvent));
    EXPECT_EQ(Queued(), std::vector<std::string>{"/61.htm?val=1-1\r"});
    EXPECT_TRUE(m_prompts.Texts().empty()) << "no \"Requesting data...\"";
    EXPECT_EQ(event.Head(kHeadEvent)->m_nBitmapID, res::IDB_PAGING_FIRST + 4 + 3 + 1)
        << "the up arrow of the request that went out";

    CWebPage_Config cycle(nullptr);
    m_doc->m_nActivePage = PAGE_CYCLE;
    ASSERT_EQ(Reply(cycle, "1,1,A;0,0,;0,0,;0,0,;0,0,;0,0,;0,0,;0,0,;1;a,b;160;0;0,0;0;0EOT"), 1);
    DoubleClick(cycle.DayToggle(1));
    EXPECT_EQ(cycle.m_nDayMask, 0x20 | 0x10) << "Tuesday toggled once";
}

}  // namespace

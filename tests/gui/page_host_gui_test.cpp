// The page host and its tab strip: registration limits, captions and their colours, activation on
// every tab change (mouse or keyboard), and the page on screen following the active page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QShortcut>
#include <QTabBar>
#include <memory>

#include "pages/dlg_parent.h"
#include "pages/web_page.h"
#include "pages/web_page_status.h"
#include "tests/support/gui/page_fixture.h"

namespace {

TEST(PageTabCtrl, RefusesASeventeenthPageAndOutOfRangeIndexes) {
    EnsureQtApplication();
    CPageTabCtrl strip;
    std::vector<std::unique_ptr<QWidget>> pages;
    for (int i = 0; i < kMaxPages; ++i) {
        pages.push_back(std::make_unique<QWidget>());
        EXPECT_TRUE(strip.AddPage(QString("p%1").arg(i), 0, pages.back().get(), 140));
    }
    QWidget extra;
    EXPECT_FALSE(strip.AddPage("extra", 0, &extra, 140));
    EXPECT_EQ(strip.GetPageCount(), kMaxPages);
    strip.CreatePages();
    EXPECT_EQ(strip.TabBar()->count(), kMaxPages);
    EXPECT_EQ(strip.SetActivePage(-1), -1);
    EXPECT_EQ(strip.SetActivePage(kMaxPages), -1);
    EXPECT_EQ(strip.CurrentPage(), 0);
    EXPECT_EQ(strip.SetActivePage(3), 0);
    EXPECT_EQ(strip.SetActivePage(5), 3);
    EXPECT_EQ(strip.GetCurSel(), 5);
    EXPECT_TRUE(strip.GetPage(3)->isHidden());
    EXPECT_FALSE(strip.GetPage(5)->isHidden());
    for (auto& page : pages) {
        page->setParent(nullptr);  // the test owns them
    }
}

class PageHostTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        m_host = std::make_unique<CDlgParent>(nullptr);
        m_host->resize(m_host->sizeHint());
        m_host->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        m_host.reset();
        PageFixture::TearDown();
    }
    QTabBar* Bar() { return m_host->TabCtrl().TabBar(); }
    void Click(int index) {
        const QPoint at = Bar()->tabRect(index).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, Bar()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Bar(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, Bar()->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(Bar(), &release);
    }
    int VisiblePage() {
        int shown = -1;
        for (int i = 0; i < 4; ++i) {
            if (!m_host->Page(i)->isHidden()) {
                EXPECT_EQ(shown, -1) << "two pages on screen";
                shown = i;
            }
        }
        return shown;
    }
    std::unique_ptr<CDlgParent> m_host;
};

TEST_F(PageHostTest, StartsOnStatusWithTheFourCaptions) {
    ASSERT_EQ(Bar()->count(), 4);
    EXPECT_EQ(Bar()->tabText(0), "            Status");
    EXPECT_EQ(Bar()->tabText(1), "      Cycle Set Up");
    EXPECT_EQ(Bar()->tabText(2), "  Reporting Set Up");
    EXPECT_EQ(Bar()->tabText(3), "            Event ");
    EXPECT_EQ(VisiblePage(), 0);
    EXPECT_EQ(m_doc->m_nActivePage.load(), PAGE_STATUS);
    EXPECT_NE(dynamic_cast<CWebPage_Status*>(m_host->Page(0)), nullptr);
    EXPECT_EQ(Bar()->tabTextColor(0), QColor(0, 0, 0));
    EXPECT_EQ(Bar()->tabTextColor(1), QColor(0, 0, 255));
    // The pages sit below the strip.
    EXPECT_GE(m_host->Page(0)->geometry().top(), Bar()->geometry().bottom());
}

TEST_F(PageHostTest, ClickingATabMovesActivationAndTheVisiblePage) {
    m_host->Page(0)->m_bWaitReply = true;
    Click(3);
    EXPECT_EQ(m_doc->m_nActivePage.load(), PAGE_EVENT);
    EXPECT_FALSE(m_host->Page(0)->m_bWaitReply) << "the page left was deactivated";
    EXPECT_EQ(VisiblePage(), 3);
    EXPECT_EQ(Bar()->tabTextColor(3), QColor(0, 0, 0));
    EXPECT_EQ(Bar()->tabTextColor(0), QColor(0, 0, 255));

    // Re-clicking the selected tab deactivates nothing.
    m_host->Page(3)->m_bWaitReply = true;
    Click(3);
    EXPECT_TRUE(m_host->Page(3)->m_bWaitReply);
    EXPECT_EQ(VisiblePage(), 3);
}

TEST_F(PageHostTest, KeyboardTabChangeShowsTheNewlyActivePage) {
    Bar()->setFocus();
    m_host->Page(0)->m_bWaitReply = true;
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(Bar(), &right);
    EXPECT_EQ(Bar()->currentIndex(), 1);
    EXPECT_EQ(m_doc->m_nActivePage.load(), PAGE_CYCLE);
    EXPECT_FALSE(m_host->Page(0)->m_bWaitReply);
    EXPECT_EQ(VisiblePage(), 1) << "the page on screen is the active page";

    // Ctrl+Tab and Ctrl+PgDown go on, Ctrl+Shift+Tab and Ctrl+PgUp back, from anywhere on the
    // pages, round the end.
    auto press = [this](const QKeySequence& keys) {
        for (QShortcut* shortcut : m_host->TabCtrl().findChildren<QShortcut*>()) {
            if (shortcut->key() == keys) {
                EXPECT_EQ(shortcut->context(), Qt::WidgetWithChildrenShortcut);
                emit shortcut->activated();
                return;
            }
        }
        ADD_FAILURE() << keys.toString().toStdString() << " does nothing";
    };
    press(QKeySequence(Qt::CTRL | Qt::Key_Tab));
    EXPECT_EQ(m_doc->m_nActivePage.load(), PAGE_REPORTING);
    press(QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    press(QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    EXPECT_EQ(VisiblePage(), 0);
    press(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab));
    EXPECT_EQ(m_doc->m_nActivePage.load(), PAGE_EVENT);
    press(QKeySequence(Qt::CTRL | Qt::Key_PageUp));
    EXPECT_EQ(VisiblePage(), 2);
}

TEST_F(PageHostTest, ClearWaitRepliesClearsEveryPage) {
    for (int i = 0; i < 4; ++i) {
        m_host->Page(i)->m_bWaitReply = true;
    }
    m_host->ClearWaitReplies();
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(m_host->Page(i)->m_bWaitReply);
    }
}

}  // namespace

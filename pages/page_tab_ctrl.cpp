#include "pages/page_tab_ctrl.h"

#include <QResizeEvent>
#include <QShortcut>
#include <QTabBar>
#include <algorithm>

#include "res/pictures.h"

CPageTabCtrl::CPageTabCtrl(QWidget* parent) : QWidget(parent) {
    m_tabBar = new QTabBar(this);
    m_tabBar->setDrawBase(true);
    m_tabBar->setExpanding(false);
    m_tabBar->setCursor(HandCursor());
    m_tabBar->setFocusPolicy(Qt::StrongFocus);
    connect(m_tabBar, &QTabBar::currentChanged, this, &CPageTabCtrl::OnTabBarChanged);
    // From the keyboard alone: Ctrl+Tab and Ctrl+PgDown go to the next page, Ctrl+Shift+Tab and
    // Ctrl+PgUp to the previous one, wherever the focus is on the pages.
    auto step = [this](const QKeySequence& keys, int by) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, by] {
            if (m_tabBar->count() > 0) {
                m_tabBar->setCurrentIndex((m_tabBar->currentIndex() + by + m_tabBar->count()) %
                                          m_tabBar->count());
            }
        });
    };
    step(QKeySequence(Qt::CTRL | Qt::Key_Tab), 1);
    step(QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1);
    step(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1);
    step(QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);
}

bool CPageTabCtrl::AddPage(const QString& caption, int image, QWidget* page, int templateId) {
    if (m_nCount >= kMaxPages || !page) {
        return false;
    }
    m_captions[m_nCount] = caption;
    m_images[m_nCount] = image;
    m_templateIds[m_nCount] = templateId;
    m_pages[m_nCount] = page;
    ++m_nCount;
    return true;
}

void CPageTabCtrl::CreatePages() {
    if (m_nCount == 0) {
        return;
    }
    {
        // Building the strip is not an operator's choice: nothing is reported.
        QSignalBlocker block(m_tabBar);
        for (int i = 0; i < m_nCount; ++i) {
            if (m_pages[i]->parentWidget() != this) {
                m_pages[i]->setParent(this);
            }
            m_tabBar->insertTab(i, m_captions[i]);
        }
        m_tabBar->setCurrentIndex(0);
    }
    m_nCurrent = 0;
    ColourCaptions();
    PlacePages();
}

void CPageTabCtrl::PlacePages() {
    const QSize hint = m_tabBar->sizeHint();
    m_tabBar->setGeometry(0, 0, std::min(hint.width(), width()), hint.height());
    const QRect client = rect();
    const QRect item = m_tabBar->tabRect(0);
    const int top = m_tabBar->geometry().top() + item.bottom() + 1;
    const QRect area(item.left(), top, client.right() - item.left() - 1, client.bottom() - top - 1);
    for (int i = 0; i < m_nCount; ++i) {
        m_pages[i]->setGeometry(area);
        m_pages[i]->setVisible(i == m_nCurrent);
    }
    if (m_nCount > 0) {
        m_pages[m_nCurrent]->raise();
    }
    m_tabBar->raise();
}

int CPageTabCtrl::SetActivePage(int index) {
    if (index < 0 || index >= m_nCount) {
        return -1;
    }
    const int previous = m_nCurrent;
    if (index != m_nCurrent) {
        ShowPage(index);
        QSignalBlocker block(m_tabBar);
        m_tabBar->setCurrentIndex(index);
        ColourCaptions();
    }
    return previous;
}

int CPageTabCtrl::GetCurSel() const {
    return m_tabBar->currentIndex();
}

QWidget* CPageTabCtrl::GetPage(int index) const {
    return index >= 0 && index < m_nCount ? m_pages[index] : nullptr;
}

void CPageTabCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlacePages();
}

void CPageTabCtrl::OnTabBarChanged(int index) {
    if (index < 0 || index >= m_nCount) {
        return;
    }
    ColourCaptions();
    // The host moves the activation first, then the chosen page is shown: whether the tab was
    // clicked or chosen from the keyboard, the page on screen is the active page.
    emit SelChanged(index);
    ShowPage(index);
}

void CPageTabCtrl::ShowPage(int index) {
    if (index == m_nCurrent) {
        m_pages[index]->show();
        return;
    }
    m_pages[m_nCurrent]->hide();
    m_nCurrent = index;
    m_pages[index]->show();
    m_pages[index]->raise();
}

void CPageTabCtrl::ColourCaptions() {
    const int selected = m_tabBar->currentIndex();
    for (int i = 0; i < m_tabBar->count(); ++i) {
        m_tabBar->setTabTextColor(i, i == selected ? QColor(0, 0, 0) : QColor(0, 0, 255));
    }
}

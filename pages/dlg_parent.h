// CDlgParent: the page host that fills the main view: the tab strip with the four device pages
// ("Status", "Cycle Set Up", "Reporting Set Up", "Event"). It owns the pages, tells the page that
// is left and the page that is chosen, and keeps the strip sized to the view.
//
// UI thread only.
#pragma once

#include <QWidget>
#include <array>

#include "pages/page_tab_ctrl.h"

class CWebPage;

class CDlgParent : public QWidget {
    Q_OBJECT
public:
    explicit CDlgParent(QWidget* parent);
    ~CDlgParent() override;

    // Clears every page's outstanding-request flag (a fresh login: no reply is owed any more).
    void ClearWaitReplies();

    CPageTabCtrl& TabCtrl() { return *m_tabCtrl; }
    // 0 Status, 1 Cycle Set Up, 2 Reporting Set Up, 3 Event.
    CWebPage* Page(int index) const;

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnSelChange(int index);

    CPageTabCtrl* m_tabCtrl = nullptr;
    std::array<CWebPage*, 4> m_pages{};
};

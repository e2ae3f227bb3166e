#include "pages/dlg_parent.h"

#include <QResizeEvent>

#include "app/core/document.h"
#include "pages/template_font.h"
#include "pages/web_page_config.h"
#include "pages/web_page_event.h"
#include "pages/web_page_report.h"
#include "pages/web_page_status.h"
#include "res/status_layout.h"

namespace {

struct TabEntry {
    const char* caption;
    int templateId;
};
// The captions are padded with blanks to 18 characters, as the unit's operators know them.
constexpr TabEntry kTabs[4] = {{"            Status", 140},
                               {"      Cycle Set Up", 145},
                               {"  Reporting Set Up", 154},
                               {"            Event ", 144}};

}  // namespace

CDlgParent::CDlgParent(QWidget* parent) : QWidget(parent) {
    setFont(TemplateFont("MS Shell Dlg", 8));
    m_tabCtrl = new CPageTabCtrl(this);
    m_pages[0] = new CWebPage_Status(m_tabCtrl);
    m_pages[1] = new CWebPage_Config(m_tabCtrl);
    m_pages[2] = new CWebPage_Report(m_tabCtrl);
    m_pages[3] = new CWebPage_Event(m_tabCtrl);

    for (int i = 0; i < 4; ++i) {
        m_tabCtrl->AddPage(kTabs[i].caption, 0, m_pages[i], kTabs[i].templateId);
    }
    m_tabCtrl->CreatePages();
    m_tabCtrl->SetActivePage(0);
    connect(m_tabCtrl, &CPageTabCtrl::SelChanged, this, &CDlgParent::OnSelChange);
    m_tabCtrl->setGeometry(rect());
}

CDlgParent::~CDlgParent() {
    // The pages go before the strip that holds them.
    for (CWebPage*& page : m_pages) {
        delete page;
        page = nullptr;
    }
}

void CDlgParent::ClearWaitReplies() {
    for (CWebPage* page : m_pages) {
        page->m_bWaitReply = false;
    }
}

CWebPage* CDlgParent::Page(int index) const {
    return index >= 0 && index < 4 ? m_pages[index] : nullptr;
}

QSize CDlgParent::sizeHint() const {
    // Room for the strip and a page background at its own size.
    return QSize(statuslayout::kPictureWidth + 8, statuslayout::kPictureHeight + 40);
}

void CDlgParent::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_tabCtrl->setGeometry(0, 0, event->size().width(), event->size().height());
}

void CDlgParent::OnSelChange(int index) {
    CWebPage* chosen = Page(index);
    if (!chosen) {
        return;
    }
    CHalvoricDoc* doc = TheDocument();
    const int active = doc ? doc->m_nActivePage.load() : 0;
    for (CWebPage* page : m_pages) {
        if (page != chosen && page->PageNumber() == active) {
            page->OnKillActive();
        }
    }
    chosen->OnSetActive();
}

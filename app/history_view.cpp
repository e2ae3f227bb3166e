#include "app/history_view.h"

#include <QMenu>
#include <QMenuBar>

#include "app/alarms/alarm_watch.h"
#include "app/halvoric_view.h"
#include "app/history/console_history.h"
#include "app/history/event_export.h"
#include "app/history/history_window.h"
#include "app/main_frame.h"
#include "pages/dlg_parent.h"
#include "pages/web_page_event.h"
#include "pages/web_page_status.h"
#include "protocol/latin1_text.h"

CHistoryView::CHistoryView(CMainFrame& frame, CConsoleHistory& history)
    : QObject(&frame), m_frame(frame), m_history(history) {
    // "&View" goes before "&Help", the last menu.
    auto* view = new QMenu(tr("&View"), &frame);
    const QList<QAction*> menus = frame.menuBar()->actions();
    frame.menuBar()->insertMenu(menus.isEmpty() ? nullptr : menus.last(), view);
    m_action = view->addAction(tr("&History"), this, &CHistoryView::OpenWindow);
    m_action->setObjectName(QStringLiteral("viewHistory"));

    // An alarm the operator acknowledges gets its acknowledge time in the history.
    if (CAlarmWatch* alarms = frame.Alarms()) {
        connect(alarms, &CAlarmWatch::acknowledged, &history, &CConsoleHistory::Acknowledge);
    }

    CDlgParent* host = frame.MainView() ? frame.MainView()->PageHost() : nullptr;
    if (!host) {
        return;
    }
    if (auto* status = dynamic_cast<CWebPage_Status*>(host->Page(0))) {
        history.Watch(*status);
    }
    if (auto* events = dynamic_cast<CWebPage_Event*>(host->Page(3))) {
        m_export = std::make_unique<CEventExport>(*events, history.Enabled() ? &history : nullptr);
    }
}

CHistoryView::~CHistoryView() {
    delete m_window;
}

void CHistoryView::OpenWindow() {
    // The window reads what the writer has committed; a poll still queued shows at the next
    // Reload. The UI thread never waits for the writer.
    if (!m_window) {
        m_window =
            new CHistoryWindow(m_history.Path(), Latin1ToUtf8(m_history.CurrentSite()), &m_frame);
        m_window->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        m_window->Reload();
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

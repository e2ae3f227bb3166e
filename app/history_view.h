// The console's history on its window: the "&View" menu with "History" (one History window, raised
// when open again), the Status page's replies going to the history, and the Event page's
// "Export events...". Made by start-up once the frame and its pages exist.
//
// UI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "app/history/history_window.h"

class CConsoleHistory;
class CEventExport;

class CMainFrame;
class QAction;

class CHistoryView : public QObject {
    Q_OBJECT
public:
    CHistoryView(CMainFrame& frame, CConsoleHistory& history);
    ~CHistoryView() override;

    // "History" of the View menu: opens (or raises) the window on the connected site.
    void OpenWindow();
    CHistoryWindow* Window() const { return m_window; }
    QAction* HistoryAction() const { return m_action; }
    CEventExport* EventExport() const { return m_export.get(); }

private:
    CMainFrame& m_frame;
    CConsoleHistory& m_history;
    QAction* m_action = nullptr;
    QPointer<CHistoryWindow> m_window;
    std::unique_ptr<CEventExport> m_export;
};

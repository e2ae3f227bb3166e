// CMainFrame: the console's only top-level window. Menu, toolbar and status bar; a two-row
// splitter holding the main view (with the device pages) and the collapsed hint view; and the
// single receiver of the frame messages that the System workers, the timer thread and the
// document post (see platform/window_messages.h). It owns the alarm watch (tray icon, desktop
// notifications, acknowledge) and shows in its title that a dryer is in alarm while the window is
// not active. Everything here runs on the UI thread.
//
// With "AutoTray" on and a tray on the desktop, minimising hides the window to the tray; a
// double-click on the tray icon brings it back.
//
// The window has a fixed size (client area 735 x 570 below the menu bar), can be minimised but
// not maximised or resized. Closing it asks the document ("Exit Program?").
#pragma once

#include <QMainWindow>

#include "platform/window_messages.h"

class CAlarmWatch;
class CFrameCommands;
class CFrameStatusBar;
class CHalvoricDoc;
class CHalvoricView;
class CHintInfoView;
class QSplitter;
class QTimer;
class QToolBar;

class CMainFrame : public QMainWindow, public platform::MessageTarget {
    Q_OBJECT
public:
    // Registers itself as the main window of the process (platform::SetMainWindow).
    CMainFrame(CHalvoricDoc& doc, bool autoTray, QWidget* parent = nullptr);
    ~CMainFrame() override;

    long OnMessage(unsigned msg, intptr_t wParam, intptr_t lParam) override;

    CHalvoricView* MainView() const { return m_pMainView; }
    CHintInfoView* HintView() const { return m_pHintView; }
    CFrameStatusBar* StatusBar() const { return m_wndStatusBar; }
    QToolBar* ToolBar() const { return m_wndToolBar; }
    QSplitter* Splitter() const { return m_wndSplitter; }
    CFrameCommands* Commands() const { return m_pCommands; }
    CAlarmWatch* Alarms() const { return m_pAlarms; }

    static constexpr int kClientWidth = 735;
    static constexpr int kClientHeight = 570;
    // The client height below the menu bar: 570, or more when the page host needs it.
    int ClientHeight() const;
    // How often the commands' enable states are refreshed while the console is idle.
    static constexpr int kUpdateIntervalMs = 150;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateClient();
    void IgnoreDocumentKeys();
    void CollapseHintRow();

    void OnConnectStatus(intptr_t state);
    void RefreshLinkPanes();
    void OnSystemStart(intptr_t systemId);
    void OnSystemStop(intptr_t systemId);
    void OnAutoTray();
    void OnTrayNotify(intptr_t wParam, intptr_t lParam);
    void CreateAlarmWatch();
    // Brings the window back from the tray or from being minimised, in front and active.
    void ShowFromTray();
    // The window in front on the Status page (a click on an alarm notification).
    void ShowStatusPage();
    void UpdateAlarmTitle();

    CHalvoricDoc& m_doc;
    CFrameCommands* m_pCommands;
    bool m_bAutoTray;
    CAlarmWatch* m_pAlarms = nullptr;
    CFrameStatusBar* m_wndStatusBar = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    int m_bSplitterReady = 0;
    QSplitter* m_wndSplitter = nullptr;
    CHalvoricView* m_pMainView = nullptr;
    CHintInfoView* m_pHintView = nullptr;
    QTimer* m_idleUpdate;
    bool m_bClosed = false;  // the operator agreed to exit
    QString m_stateText;     // the text of the last WM_CONNECT_STATUS
    QString m_linkMessage;   // the link's line in the message pane
};

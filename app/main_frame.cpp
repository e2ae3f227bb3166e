#include "app/main_frame.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QShortcut>
#include <QSplitter>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>

#include "app/alarms/alarm_tray.h"
#include "app/alarms/alarm_watch.h"
#include "app/command_ids.h"
#include "app/core/alarm_settings.h"
#include "app/core/document.h"
#include "app/core/tray_look.h"
#include "app/frame_commands.h"
#include "app/frame_status_bar.h"
#include "app/halvoric_view.h"
#include "app/hint_info_view.h"
#include "app/latin1.h"
#include "app/shown_stamp.h"
#include "app/state/app_state.h"
#include "app/toolbar_icons.h"
#include "pages/dlg_parent.h"
#include "pages/web_page_status.h"
#include "platform/ini_file.h"

CMainFrame::CMainFrame(CHalvoricDoc& doc, bool autoTray, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      m_doc(doc),
      m_pCommands(new CFrameCommands(doc, *this)),
      m_bAutoTray(autoTray),
      m_idleUpdate(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Corvantis"));
    setWindowIcon(ApplicationIcon());
    CreateAlarmWatch();
    CreateMenus();
    CreateToolBar();
    m_wndStatusBar = new CFrameStatusBar(this);
    setStatusBar(m_wndStatusBar);
    CreateClient();
    if (auto* status = dynamic_cast<CWebPage_Status*>(m_pMainView->PageHost()->Page(0))) {
        connect(status, &CWebPage_Status::statusShown, m_pAlarms, &CAlarmWatch::OnStatusShown);
    }
    IgnoreDocumentKeys();

    // The menu bar stays inside the window so that the client area has the same size everywhere.
    setFixedSize(kClientWidth, ClientHeight() + menuBar()->sizeHint().height());

    connect(m_idleUpdate, &QTimer::timeout, m_pCommands, &CFrameCommands::UpdateStates);
    connect(m_idleUpdate, &QTimer::timeout, this, &CMainFrame::RefreshLinkPanes);
    m_idleUpdate->start(kUpdateIntervalMs);

    platform::SetMainWindow(TargetId());
    if (autoTray) {
        platform::PostToMainWindow(platform::WM_AUTO_TRAY, 0, 0);
    }
}

// The message registry forgets the main window with the target.
CMainFrame::~CMainFrame() = default;

void CMainFrame::CreateAlarmWatch() {
    const platform::IniFile* profile = m_doc.Profile();
    const AlarmSettings settings = profile ? ReadAlarmSettings(*profile) : AlarmSettings{};
    m_pAlarms = new CAlarmWatch(m_doc, settings, m_pCommands->Action(ID_APP_EXIT), this);
    connect(m_pAlarms, &CAlarmWatch::alarmsChanged, this, &CMainFrame::UpdateAlarmTitle);
    connect(m_pAlarms, &CAlarmWatch::showStatusRequested, this, &CMainFrame::ShowStatusPage);
    // The taskbar entry asks for attention until the window is activated.
    for (auto signal : {&CAlarmWatch::raised, &CAlarmWatch::reminded}) {
        connect(m_pAlarms, signal, this, [this] {
            if (!isActiveWindow()) {
                QApplication::alert(this);
            }
        });
    }
    // The tray's double-click is the tray message of the classic console.
    connect(&m_pAlarms->Tray(), &CAlarmTray::doubleClicked, this, [] {
        platform::PostToMainWindow(platform::WM_TRAY_NOTIFY, 0, platform::WM_LBUTTONDBLCLK);
    });
    connect(&m_pAlarms->Tray(), &CAlarmTray::showRequested, this,
            [] { platform::PostToMainWindow(platform::WM_TRAY_NOTIFY, 1, 0); });
}

void CMainFrame::CreateMenus() {
    menuBar()->setNativeMenuBar(false);
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(m_pCommands->Action(ID_APP_EXIT));

    QMenu* system = menuBar()->addMenu(tr("&System"));
    system->addAction(m_pCommands->Action(ID_DIAL_SETUP));
    system->addAction(m_pCommands->Action(ID_PHONE_BOOK));
    system->addSeparator();
    system->addAction(m_pCommands->Action(ID_CONNECT));
    system->addAction(m_pCommands->Action(ID_DISCONNECT));
    system->addSeparator();
    system->addAction(m_pCommands->Action(ID_AUTO_RECONNECT));
    system->addAction(m_pAlarms->AcknowledgeAction());

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(m_pCommands->Action(ID_APP_ABOUT));

    // A menu shows the states of the moment.
    for (QMenu* menu : {file, system, help}) {
        connect(menu, &QMenu::aboutToShow, m_pCommands, &CFrameCommands::UpdateStates);
    }
}

void CMainFrame::CreateToolBar() {
    m_wndToolBar = new QToolBar(tr("Toolbar"), this);
    m_wndToolBar->setObjectName(QStringLiteral("mainToolBar"));
    m_wndToolBar->setIconSize(QSize(16, 16));
    m_wndToolBar->setMovable(false);
    m_wndToolBar->setFloatable(false);
    m_wndToolBar->toggleViewAction()->setEnabled(false);
    m_wndToolBar->addAction(m_pCommands->Action(ID_APP_EXIT));
    m_wndToolBar->addSeparator();
    m_wndToolBar->addAction(m_pCommands->Action(ID_DIAL_SETUP));
    m_wndToolBar->addAction(m_pCommands->Action(ID_PHONE_BOOK));
    m_wndToolBar->addSeparator();
    m_wndToolBar->addAction(m_pCommands->Action(ID_CONNECT));
    m_wndToolBar->addAction(m_pCommands->Action(ID_DISCONNECT));
    m_wndToolBar->addSeparator();
    m_wndToolBar->addAction(m_pCommands->Action(ID_APP_ABOUT));
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
    setContextMenuPolicy(Qt::NoContextMenu);
}

// 570 pixels hold the toolbar, the page host and the status bar of the classic look; Qt's toolbar,
// tab strip and status bar are taller, and a page cut off at the bottom would hide its paging
// buttons and last settings. The window grows just enough to show the whole page host.
int CMainFrame::ClientHeight() const {
    const int handle = m_wndSplitter ? m_wndSplitter->handleWidth() : 0;
    const int needed = m_wndToolBar->sizeHint().height() +
                       m_pMainView->PageHost()->sizeHint().height() + handle +
                       statusBar()->sizeHint().height();
    return std::max(kClientHeight, needed);
}

void CMainFrame::CreateClient() {
    m_wndSplitter = new QSplitter(Qt::Vertical, this);
    m_wndSplitter->setChildrenCollapsible(true);
    m_pMainView = new CHalvoricView(m_wndSplitter);
    m_pHintView = new CHintInfoView(m_wndSplitter);
    m_wndSplitter->addWidget(m_pMainView);
    m_wndSplitter->addWidget(m_pHintView);
    m_wndSplitter->setSizes({500, 100});
    setCentralWidget(m_wndSplitter);
    m_bSplitterReady = 1;
    CollapseHintRow();
}

void CMainFrame::IgnoreDocumentKeys() {
    // New, open, save and print have no meaning for the console's one document: the keys are
    // taken here so that nothing else acts on them.
    for (QKeySequence::StandardKey key :
         {QKeySequence::New, QKeySequence::Open, QKeySequence::Save, QKeySequence::Print}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WindowShortcut);
    }
}

void CMainFrame::CollapseHintRow() {
    if (!m_bSplitterReady) {
        return;
    }
    // The main view takes the whole height; the hint row keeps zero.
    m_wndSplitter->setSizes({qMax(10, m_wndSplitter->height()), 0});
}

long CMainFrame::OnMessage(unsigned msg, intptr_t wParam, intptr_t lParam) {
    switch (msg) {
        case platform::WM_CONNECT_STATUS:
            OnConnectStatus(wParam);
            break;
        case platform::WM_SYSTEM_START:
            OnSystemStart(wParam);
            break;
        case platform::WM_SYSTEM_STOP:
            OnSystemStop(wParam);
            break;
        case platform::WM_AUTO_TRAY:
            OnAutoTray();
            break;
        case platform::WM_TRAY_NOTIFY:
            OnTrayNotify(wParam, lParam);
            break;
        default:  // WM_FRAME_RESERVED and anything else: nothing
            return 0;
    }
    m_pCommands->UpdateStates();
    RefreshLinkPanes();
    return 0;
}

void CMainFrame::OnConnectStatus(intptr_t state) {
    // "Disconnect" clears the online flag at once; a line that went down by itself has it set
    // until this state is handled.
    m_pAlarms->OnConnectStatus(static_cast<int>(state), theApp().m_bOnline.load() == 0);
    switch (state) {
        case platform::CONNECT_STATUS_CONNECTED:
            m_stateText = tr("Connected");
            // Requests outstanding from before the login will never be answered.
            m_pMainView->ClearWaitReplies();
            break;
        case platform::CONNECT_STATUS_CONNECTING:
            m_stateText = tr("Connecting");
            theApp().m_bOnline = 1;
            break;
        case platform::CONNECT_STATUS_DISCONNECTED:
            m_stateText = tr("Disconnected");
            theApp().m_bOnline = 0;
            break;
        default:
            break;
    }
}

// The pane shows the state of the last WM_CONNECT_STATUS, unless the document has more to say
// about the link (a reconnect planned, a line that does not come up); the tooltip says why.
void CMainFrame::RefreshLinkPanes() {
    const CHalvoricDoc::LinkView view = m_doc.GetLinkView();
    const bool connected = m_stateText == tr("Connected");
    const QString pane = view.pane.empty() || connected ? m_stateText : FromLatin1(view.pane);
    m_wndStatusBar->SetConnectionText(pane, connected ? QString() : FromLatin1(view.detail));
    m_wndStatusBar->SetReplyText(FromLatin1(view.reply), FromLatin1(view.replyDetail));
    const QString message = connected ? QString() : FromLatin1(view.message);
    // A menu prompt shown meanwhile has cleared the line: it comes back once the prompt is gone.
    if (message != m_linkMessage ||
        (!message.isEmpty() && m_wndStatusBar->currentMessage().isEmpty())) {
        m_linkMessage = message;
        m_wndStatusBar->SetLinkMessage(message);
    }
}

void CMainFrame::OnSystemStart(intptr_t systemId) {
    if (CSystem* system = m_doc.FindSystem(static_cast<int>(systemId))) {
        system->OpenPort();
    }
}

void CMainFrame::OnSystemStop(intptr_t systemId) {
    if (CSystem* system = m_doc.FindSystem(static_cast<int>(systemId))) {
        system->ClosePort();
    }
    theApp().m_bLoggedIn = 0;
}

void CMainFrame::OnAutoTray() {
    // A closed console stays closed.
    if (m_bClosed) {
        return;
    }
    // Minimised with "AutoTray" on, the window goes to the tray when there is one.
    if (m_bAutoTray && isMinimized() && CAlarmTray::Available()) {
        hide();
        return;
    }
    // Shows the window without restoring it when minimised.
    setVisible(true);
}

void CMainFrame::OnTrayNotify(intptr_t wParam, intptr_t lParam) {
    if (wParam != 0 || lParam == static_cast<intptr_t>(platform::WM_LBUTTONDBLCLK)) {
        ShowFromTray();
    }
}

void CMainFrame::ShowFromTray() {
    if (m_bClosed) {
        return;
    }
    // A window hidden to the tray is minimised still: shown as it is, it would stay out of sight.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void CMainFrame::ShowStatusPage() {
    ShowFromTray();
    // As if the operator chose the tab: the page that was active is left, Status is entered.
    QTabBar* tabs = m_pMainView->PageHost()->TabCtrl().TabBar();
    if (tabs->currentIndex() != 0) {
        tabs->setCurrentIndex(0);
    }
}

void CMainFrame::UpdateAlarmTitle() {
    setWindowTitle(FromLatin1(WindowTitle(m_pAlarms->DryersInAlarm(), isActiveWindow())));
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    StampWindowShown();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_doc.CanCloseFrame()) {
        event->ignore();
        return;
    }
    m_idleUpdate->stop();
    m_bClosed = true;
    event->accept();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    CollapseHintRow();
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && m_pAlarms) {
        UpdateAlarmTitle();
    }
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        platform::PostToMainWindow(platform::WM_AUTO_TRAY, 0, 0);
    }
}

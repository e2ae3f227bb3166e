// The main window as the operator meets it: menus, toolbar, status bar, fixed size, the frame
// messages, the exit question and the keys it must ignore. The console runs in this process on
// the offscreen platform, started the way the program starts it.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>

#include "app/command_ids.h"
#include "app/core/document.h"
#include "app/frame_commands.h"
#include "app/frame_status_bar.h"
#include "app/halvoric_view.h"
#include "app/hint_info_view.h"
#include "app/main_frame.h"
#include "app/state/app_state.h"
#include "pages/dlg_parent.h"
#include "pages/web_page.h"
#include "platform/ini_file.h"
#include "platform/window_messages.h"
#include "tests/support/gui/console_harness.h"
#include "tests/support/gui/ui_wait.h"

// QtGui's own entry to the shortcut map, the one QTest uses for key clicks.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k,
                                               Qt::KeyboardModifiers mods, const QString& text,
                                               bool autorep, ushort count);

namespace {

const char* const kIni =
    "[CommSetup]\r\nSerialNo=3\r\nBaudRate=19200\r\nDevice=/nonexistent/ttyCorvantis\r\n"
    "[PhoneBook]\r\nCount=2\r\n1=North Yard,1234\r\n2=Depot,#7\r\n";

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_console.Start()); }

    CMainFrame& Frame() { return *m_console.Frame(); }
    CHalvoricDoc& Doc() { return *m_console.Document(); }
    QAction* Command(int id) { return Frame().Commands()->Action(id); }

    // Posts a frame message as a worker does and lets the UI loop deliver it.
    void Post(unsigned msg, intptr_t wParam, intptr_t lParam = 0) {
        platform::PostToMainWindow(msg, wParam, lParam);
        UiWaitFor(30);
    }

    // Stops the document's timers so that the one-second tick posts nothing meanwhile.
    void QuietTicks() { Doc().DeleteTimer(); }

    void PressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers) {
        if (qt_sendShortcutOverrideEvent(target, 0, key, modifiers, QString(), false, 1)) {
            return;
        }
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(target, &release);
    }

    ConsoleHarness m_console{kIni};
};

QStringList ActionTexts(const QList<QAction*>& actions) {
    QStringList texts;
    for (QAction* action : actions) {
        texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
    }
    return texts;
}

TEST_F(MainFrameTest, MenusCarryTheConsoleCommands) {
    const QList<QAction*> menus = Frame().menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    EXPECT_EQ(menus[0]->text(), "&File");
    EXPECT_EQ(menus[1]->text(), "&System");
    EXPECT_EQ(menus[2]->text(), "&View");
    EXPECT_EQ(menus[3]->text(), "&Help");
    EXPECT_EQ(ActionTexts(menus[0]->menu()->actions()), QStringList({"E&xit"}));
    EXPECT_EQ(ActionTexts(menus[1]->menu()->actions()),
              QStringList({"Dial setup", "Phone book", "|", "Connect", "Disconnect", "|",
                           "&Reconnect automatically", "Acknowledge alarms"}));
    EXPECT_EQ(ActionTexts(menus[2]->menu()->actions()), QStringList({"&History"}));
    EXPECT_EQ(ActionTexts(menus[3]->menu()->actions()), QStringList({"&About Corvantis..."}));
    EXPECT_EQ(Command(ID_DIAL_SETUP)->statusTip(), "Dial setup");
    EXPECT_EQ(Frame().windowTitle(), "Corvantis");
}

TEST_F(MainFrameTest, ReconnectItemIsCheckedAsTheSettingIsAndSavesItAtOnce) {
    QAction* reconnect = Command(ID_AUTO_RECONNECT);
    ASSERT_TRUE(reconnect->isCheckable());
    EXPECT_FALSE(reconnect->isChecked());  // off when the key is missing
    reconnect->trigger();
    EXPECT_TRUE(Doc().AutoReconnect());
    platform::IniFile saved;
    ASSERT_TRUE(saved.Load(m_console.Dir() + "/Corvantis.ini"));
    EXPECT_EQ(saved.GetInt("Settings", "AutoReconnect", -1), 1);
    reconnect->trigger();
    Frame().Commands()->UpdateStates();
    EXPECT_FALSE(reconnect->isChecked());
    ASSERT_TRUE(saved.Load(m_console.Dir() + "/Corvantis.ini"));
    EXPECT_EQ(saved.GetInt("Settings", "AutoReconnect", -1), 0);
}

TEST_F(MainFrameTest, ToolbarHasNineItemsWithTooltipsAndSmallPictures) {
    QToolBar* bar = Frame().ToolBar();
    QStringList tips;
    for (QAction* action : bar->actions()) {
        tips << (action->isSeparator() ? QStringLiteral("|") : action->toolTip());
        if (!action->isSeparator()) {
            EXPECT_FALSE(action->icon().isNull()) << action->toolTip().toStdString();
        }
    }
    EXPECT_EQ(tips, QStringList({"Exit", "|", "Dial setup", "Phone book", "|", "Connect",
                                 "Disconnect", "|", "About"}));
    EXPECT_EQ(bar->iconSize(), QSize(16, 16));
    EXPECT_FALSE(bar->isMovable());
}

TEST_F(MainFrameTest, WindowHasAFixedSizeAndNoMaximiseBox) {
    EXPECT_EQ(Frame().width(), CMainFrame::kClientWidth);
    EXPECT_EQ(Frame().height() - Frame().menuBar()->height(), Frame().ClientHeight());
    EXPECT_GE(Frame().ClientHeight(), CMainFrame::kClientHeight);
    // Every page is shown whole: the page host gets at least the room it asks for.
    QWidget* host = Frame().MainView()->PageHost();
    EXPECT_GE(host->height(), host->sizeHint().height());
    EXPECT_EQ(Frame().minimumSize(), Frame().maximumSize());
    EXPECT_FALSE(Frame().windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(Frame().windowFlags() & Qt::WindowMinimizeButtonHint);

    Frame().resize(1000, 800);
    EXPECT_EQ(Frame().width(), CMainFrame::kClientWidth);
}

TEST_F(MainFrameTest, StatusBarHasReadyConnectionPaneAndKeyIndicators) {
    CFrameStatusBar* bar = Frame().StatusBar();
    EXPECT_EQ(bar->MessageText(), "Ready");
    EXPECT_EQ(bar->ConnectionPane()->width(), CFrameStatusBar::kConnectionPaneWidth);
    QStringList labels;
    for (QLabel* label : bar->findChildren<QLabel*>()) {
        labels << label->text();
    }
    for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
        EXPECT_TRUE(labels.contains(indicator)) << indicator;
    }
}

TEST_F(MainFrameTest, HintRowIsCollapsedAndThePageHostCoversTheView) {
    UiWaitFor(20);
    const QList<int> sizes = Frame().Splitter()->sizes();
    ASSERT_EQ(sizes.size(), 2);
    EXPECT_EQ(sizes[1], 0);
    EXPECT_GT(sizes[0], 300);
    CHalvoricView* view = Frame().MainView();
    EXPECT_EQ(view->PageHost()->geometry(), view->rect());
    view->resize(400, 300);
    EXPECT_EQ(view->PageHost()->geometry(), QRect(0, 0, 400, 300));
}

TEST_F(MainFrameTest, TypingIntoTheHintViewChangesNothing) {
    CHintInfoView* hint = Frame().HintView();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(hint, &key);
    EXPECT_TRUE(hint->toPlainText().isEmpty());
}

TEST_F(MainFrameTest, ConnectionPaneFollowsEachStatusAndFourChangesNothing) {
    QuietTicks();
    CFrameStatusBar* bar = Frame().StatusBar();

    Post(platform::WM_CONNECT_STATUS, platform::CONNECT_STATUS_CONNECTING);
    EXPECT_EQ(bar->ConnectionText(), "Connecting");
    EXPECT_EQ(theApp().m_bOnline.load(), 1);

    Post(platform::WM_CONNECT_STATUS, 4);
    EXPECT_EQ(bar->ConnectionText(), "Connecting");
    EXPECT_EQ(theApp().m_bOnline.load(), 1);

    // A fresh login owes no page a reply any more.
    CDlgParent* host = Frame().MainView()->PageHost();
    for (int i = 0; i < 4; ++i) {
        host->Page(i)->m_bWaitReply = true;
    }
    Post(platform::WM_CONNECT_STATUS, platform::CONNECT_STATUS_CONNECTED);
    EXPECT_EQ(bar->ConnectionText(), "Connected");
    EXPECT_EQ(theApp().m_bOnline.load(), 1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(host->Page(i)->m_bWaitReply) << "page " << i;
    }

    Post(platform::WM_CONNECT_STATUS, platform::CONNECT_STATUS_DISCONNECTED);
    EXPECT_EQ(bar->ConnectionText(), "Disconnected");
    EXPECT_EQ(theApp().m_bOnline.load(), 0);

    Post(platform::WM_CONNECT_STATUS, 0);
    Post(platform::WM_FRAME_RESERVED, 1);
    EXPECT_EQ(bar->ConnectionText(), "Disconnected");
    EXPECT_EQ(theApp().m_bOnline.load(), 0);
}

TEST_F(MainFrameTest, OneSecondTickShowsDisconnectedWithoutALine) {
    EXPECT_TRUE(
        UiWaitUntil([&] { return Frame().StatusBar()->ConnectionText() == "Disconnected"; }, 3000));
}

TEST_F(MainFrameTest, EnableStatesFollowTheUpdateHandlers) {
    QuietTicks();
    EXPECT_TRUE(Command(ID_CONNECT)->isEnabled());
    EXPECT_FALSE(Command(ID_DISCONNECT)->isEnabled());
    EXPECT_TRUE(Command(ID_DIAL_SETUP)->isEnabled());
    EXPECT_TRUE(Command(ID_PHONE_BOOK)->isEnabled());

    Post(platform::WM_CONNECT_STATUS, platform::CONNECT_STATUS_CONNECTING);
    theApp().m_bLoggedIn = 1;
    UiWaitFor(2 * CMainFrame::kUpdateIntervalMs);
    EXPECT_FALSE(Command(ID_CONNECT)->isEnabled());
    EXPECT_TRUE(Command(ID_DISCONNECT)->isEnabled());
    EXPECT_FALSE(Command(ID_DIAL_SETUP)->isEnabled());
    EXPECT_FALSE(Command(ID_PHONE_BOOK)->isEnabled());

    // The unit dropped the exchange: logged out, and with no command left the setup commands
    // come back.
    Post(platform::WM_SYSTEM_STOP, 1);
    EXPECT_EQ(theApp().m_bLoggedIn.load(), 0);
    EXPECT_TRUE(Command(ID_DIAL_SETUP)->isEnabled());
    EXPECT_TRUE(Command(ID_PHONE_BOOK)->isEnabled());

    // A System id the document does not know still logs out.
    theApp().m_bLoggedIn = 1;
    Post(platform::WM_SYSTEM_STOP, 7);
    EXPECT_EQ(theApp().m_bLoggedIn.load(), 0);
}

TEST_F(MainFrameTest, DisabledCommandDoesNotRunWhenTriggered) {
    QuietTicks();
    Post(platform::WM_CONNECT_STATUS, platform::CONNECT_STATUS_CONNECTING);
    theApp().m_bLoggedIn = 1;
    // Triggered before the refresh caught up (a stale toolbar state).
    Command(ID_PHONE_BOOK)->setEnabled(true);
    Command(ID_PHONE_BOOK)->trigger();
    EXPECT_EQ(m_console.Dialogs().phoneBookRuns, 0);

    theApp().m_bLoggedIn = 0;
    Post(platform::WM_CONNECT_STATUS, platform::CONNECT_STATUS_DISCONNECTED);
    Command(ID_PHONE_BOOK)->trigger();
    EXPECT_EQ(m_console.Dialogs().phoneBookRuns, 1);
}

TEST_F(MainFrameTest, ConnectThroughTheToolbarPostsConnectingAndQueuesTheLogin) {
    QuietTicks();
    m_console.Dialogs().phoneBookAnswer = [](CHalvoricDoc& doc) {
        doc.FirstSystem()->Telephone = "1234";
        return true;
    };
    Command(ID_CONNECT)->trigger();
    UiWaitFor(50);
    EXPECT_EQ(m_console.Dialogs().phoneBookRuns, 1);
    EXPECT_EQ(Frame().StatusBar()->ConnectionText(), "Connecting");
    EXPECT_FALSE(Command(ID_CONNECT)->isEnabled());
    EXPECT_TRUE(Command(ID_DISCONNECT)->isEnabled());

    Command(ID_DISCONNECT)->trigger();
    UiWaitFor(50);
    EXPECT_EQ(theApp().m_bOnline.load(), 0);
    EXPECT_FALSE(Command(ID_DISCONNECT)->isEnabled());
    EXPECT_TRUE(UiWaitUntil([&] { return !Doc().FirstSystem()->HasCurCommand(); }, 3000));
}

TEST_F(MainFrameTest, ExitAnsweredNoKeepsRunningAndYesCloses) {
    m_console.Prompts().QueueAnswer(platform::PromptAnswer::No);
    Command(ID_APP_EXIT)->trigger();
    EXPECT_EQ(m_console.Prompts().Last(), "Exit Program?");
    EXPECT_TRUE(Frame().isVisible());
    ASSERT_NE(Doc().FirstSystem(), nullptr);
    EXPECT_NE(Doc().m_uTimer1s, 0u);
    // The ticks go on: the pane is kept up to date.
    Frame().StatusBar()->SetConnectionText(QString());
    EXPECT_TRUE(
        UiWaitUntil([&] { return Frame().StatusBar()->ConnectionText() == "Disconnected"; }, 3000));

    m_console.Prompts().QueueAnswer(platform::PromptAnswer::Yes);
    EXPECT_TRUE(Frame().close());
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_EQ(Doc().FirstSystem(), nullptr);
    EXPECT_EQ(m_console.Prompts().Texts().size(), 2u);
    // A late request to show the window does not bring a closed console back.
    Post(platform::WM_AUTO_TRAY, 0);
    EXPECT_FALSE(Frame().isVisible());
}

TEST_F(MainFrameTest, DocumentKeysDoNothing) {
    CSystem* system = Doc().FirstSystem();
    const int sites = phonebook::Count(Doc().m_pPhoneBook);
    // Shortcuts reach only the active window.
    Frame().activateWindow();
    ASSERT_TRUE(UiWaitUntil([&] { return QApplication::activeWindow() == &Frame(); }, 2000));
    for (int key : {Qt::Key_N, Qt::Key_O, Qt::Key_S, Qt::Key_P}) {
        PressKey(Frame().MainView(), key, Qt::ControlModifier);
        UiWaitFor(20);
    }
    EXPECT_TRUE(m_console.Prompts().Texts().empty());
    EXPECT_EQ(m_console.Dialogs().phoneBookRuns + m_console.Dialogs().dialSetupRuns, 0);
    EXPECT_EQ(Doc().FirstSystem(), system);
    EXPECT_EQ(phonebook::Count(Doc().m_pPhoneBook), sites);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(Frame().isVisible());
}

TEST_F(MainFrameTest, MinimisedWindowStaysMinimisedOnAutoTray) {
    Frame().showMinimized();
    UiWaitFor(30);
    Post(platform::WM_AUTO_TRAY, 0);
    EXPECT_TRUE(Frame().isMinimized());
    EXPECT_TRUE(Frame().isVisible());

    Frame().hide();
    Post(platform::WM_TRAY_NOTIFY, 0, 0x0200);
    EXPECT_FALSE(Frame().isVisible());
    Post(platform::WM_TRAY_NOTIFY, 0, platform::WM_LBUTTONDBLCLK);
    EXPECT_TRUE(Frame().isVisible());
    // Called back from the tray, a window hidden while minimised comes back in sight.
    EXPECT_FALSE(Frame().isMinimized());
}

TEST_F(MainFrameTest, AboutBoxNamesTheVersion) {
    QString title;
    QStringList texts;
    QTimer::singleShot(50, [&] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            title = box->windowTitle();
            for (QLabel* label : box->findChildren<QLabel*>()) {
                texts << label->text();
            }
            box->accept();
        }
    });
    Command(ID_APP_ABOUT)->trigger();
    EXPECT_EQ(title, "About Corvantis");
    EXPECT_TRUE(texts.contains("Corvantis Version 1.8.1.2"));
}

TEST(MainFrameAutoTray, WindowIsShownNormallyWhenAutoTrayIsOn) {
    ConsoleHarness console("[Settings]\r\nAutoTray=1\r\n");
    ASSERT_TRUE(console.Start());
    UiWaitFor(50);
    EXPECT_TRUE(console.Frame()->isVisible());
    EXPECT_FALSE(console.Frame()->isMinimized());

    // Without a tray on the desktop, minimising does not hide the window.
    console.Frame()->showMinimized();
    UiWaitFor(50);
    EXPECT_TRUE(console.Frame()->isVisible());
    EXPECT_TRUE(console.Frame()->isMinimized());
}

}  // namespace

#include "app/frame_commands.h"

#include <QAction>
#include <QWidget>

#include "app/about_dialog.h"
#include "app/command_ids.h"
#include "app/core/document.h"
#include "app/toolbar_icons.h"

CFrameCommands::CFrameCommands(CHalvoricDoc& doc, QWidget& frame)
    : QObject(&frame), m_doc(doc), m_frame(frame) {
    // The prompt is "status-bar text\ntooltip".
    Add(ID_APP_EXIT, tr("E&xit"), tr("Quit the application\nExit"))
        ->setIcon(ToolbarIconFor(ToolbarIcon::Exit));
    Add(ID_DIAL_SETUP, tr("Dial setup"), tr("Dial setup\nDial setup"))
        ->setIcon(ToolbarIconFor(ToolbarIcon::DialSetup));
    Add(ID_PHONE_BOOK, tr("Phone book"), tr("Phone book\nPhone book"))
        ->setIcon(ToolbarIconFor(ToolbarIcon::PhoneBook));
    Add(ID_CONNECT, tr("Connect"), tr("Connect\nConnect"))
        ->setIcon(ToolbarIconFor(ToolbarIcon::Connect));
    Add(ID_DISCONNECT, tr("Disconnect"), tr("Disconnect\nDisconnect"))
        ->setIcon(ToolbarIconFor(ToolbarIcon::Disconnect));
    QAction* reconnect =
        Add(ID_AUTO_RECONNECT, tr("&Reconnect automatically"),
            tr("Log in to the site again by itself when the line drops\nReconnect automatically"));
    reconnect->setCheckable(true);
    Add(ID_APP_ABOUT, tr("&About Corvantis..."),
        tr("Display program information, version number and copyright\nAbout"))
        ->setIcon(ToolbarIconFor(ToolbarIcon::About));
    UpdateStates();
}

QAction* CFrameCommands::Add(int commandId, const QString& menuText, const QString& prompt) {
    auto* action = new QAction(menuText, &m_frame);
    const qsizetype split = prompt.indexOf(QLatin1Char('\n'));
    action->setStatusTip(prompt.left(split));
    action->setToolTip(prompt.mid(split + 1));
    action->setData(commandId);
    connect(action, &QAction::triggered, this, [this, commandId] { Run(commandId); });
    m_actions[commandId] = action;
    return action;
}

QAction* CFrameCommands::Action(int commandId) const {
    auto it = m_actions.find(commandId);
    return it == m_actions.end() ? nullptr : it->second;
}

void CFrameCommands::Run(int commandId) {
    // A command may have been disabled since the last refresh: test again before running it.
    if (!Enabled(commandId)) {
        UpdateStates();
        return;
    }
    switch (commandId) {
        case ID_APP_EXIT:
            m_frame.close();
            break;
        case ID_APP_ABOUT: {
            CAboutDlg about(&m_frame);
            about.exec();
            break;
        }
        case ID_DIAL_SETUP:
            m_doc.OnDialSetup();
            break;
        case ID_PHONE_BOOK:
            m_doc.OnPhoneBook();
            break;
        case ID_CONNECT:
            m_doc.OnConnect();
            break;
        case ID_DISCONNECT:
            m_doc.OnDisconnect();
            break;
        case ID_AUTO_RECONNECT:
            m_doc.SetAutoReconnect(Action(ID_AUTO_RECONNECT)->isChecked());
            break;
        default:
            break;
    }
    UpdateStates();
}

bool CFrameCommands::Enabled(int commandId) const {
    switch (commandId) {
        case ID_DIAL_SETUP:
            return m_doc.CanDialSetup();
        case ID_PHONE_BOOK:
            return m_doc.CanPhoneBook();
        case ID_CONNECT:
            return m_doc.CanConnect();
        case ID_DISCONNECT:
            return m_doc.CanDisconnect();
        default:
            return true;
    }
}

void CFrameCommands::UpdateStates() {
    for (auto& [id, action] : m_actions) {
        action->setEnabled(Enabled(id));
    }
    m_actions[ID_AUTO_RECONNECT]->setChecked(m_doc.AutoReconnect());
}

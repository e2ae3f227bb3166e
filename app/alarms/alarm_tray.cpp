#include "app/alarms/alarm_tray.h"

#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include "app/alarms/tray_icons.h"
#include "app/latin1.h"
#include "platform/window_messages.h"

CAlarmTray::CAlarmTray(QAction* acknowledge, QAction* exit, QObject* parent)
    : QObject(parent), m_menu(new QMenu) {
    SetLook(LookOf("", platform::CONNECT_STATUS_DISCONNECTED, {}));
    // The offscreen platform (tests, headless runs) never has a tray.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        return;
    }
    m_icon = new QSystemTrayIcon(TrayIconFor(m_look.state), this);
    m_icon->setToolTip(FromLatin1(m_look.tooltip));
    m_menu->addAction(tr("Show Corvantis"), this, &CAlarmTray::showRequested);
    m_menu->addAction(acknowledge);
    m_menu->addSeparator();
    m_menu->addAction(exit);
    m_icon->setContextMenu(m_menu);
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) {
                    emit doubleClicked();
                }
            });
    // A tray that appears later gets the icon then (Qt watches for it).
    m_icon->show();
}

CAlarmTray::~CAlarmTray() {
    delete m_menu;
}

bool CAlarmTray::Available() {
    return QGuiApplication::platformName() != QLatin1String("offscreen") &&
           QSystemTrayIcon::isSystemTrayAvailable();
}

void CAlarmTray::SetLook(const TrayLook& look) {
    if (m_lookSet && look.state == m_look.state && look.tooltip == m_look.tooltip) {
        return;
    }
    const bool newPicture = !m_lookSet || look.state != m_look.state;
    m_look = look;
    m_lookSet = true;
    if (!m_icon) {
        return;
    }
    if (newPicture) {
        m_icon->setIcon(TrayIconFor(look.state));
    }
    m_icon->setToolTip(FromLatin1(look.tooltip));
}

// CAlarmTray: the console's tray icon, where the desktop offers a tray. Its picture and tooltip
// follow the connection and the alarms (TrayLook); a double-click asks for the window
// (activated()), and its menu offers showing the window, acknowledging the alarms and exit.
// Without a tray nothing of this appears; the look is kept all the same.
//
// UI thread only.
#pragma once

#include <QObject>

#include "app/core/tray_look.h"

class QAction;
class QMenu;
class QSystemTrayIcon;

class CAlarmTray : public QObject {
    Q_OBJECT
public:
    // `acknowledge` and `exit` are the console's own actions, shared with its menu.
    CAlarmTray(QAction* acknowledge, QAction* exit, QObject* parent);
    ~CAlarmTray() override;

    void SetLook(const TrayLook& look);
    const TrayLook& Look() const { return m_look; }
    // Whether the desktop has a tray now.
    static bool Available();
    // Null on the offscreen platform, which has no tray.
    QSystemTrayIcon* Icon() const { return m_icon; }

signals:
    // A double-click on the icon.
    void doubleClicked();
    // "Show Corvantis" in the icon's menu.
    void showRequested();

private:
    QSystemTrayIcon* m_icon = nullptr;
    QMenu* m_menu;
    TrayLook m_look;
    bool m_lookSet = false;
};

// CAlarmWatch: the console's alarm awareness. It reads each reply the Status page shows, each
// connection state the frame shows and what the document's link watch says of the session, and
// tells the operator, one notification per change, never
// one per poll: a dryer entering alarm (critical), its alarm clearing, the link to the unit lost
// without the operator asking, and the link back. An alarm nobody acknowledged is told again every
// [Settings] "RenotifyMinutes"; "Acknowledge" on the notification, in the System menu or in the
// tray stops that (locally: nothing goes to the unit). Every raise, clear and acknowledge is a
// line in the System's session log. It keeps the tray icon's picture and tooltip up to date.
//
// The main frame owns it. UI thread only.
#pragma once

#include <QObject>
#include <QTimer>
#include <string>
#include <vector>

#include "app/alarms/desktop_notifier.h"
#include "app/core/alarm_settings.h"
#include "app/core/alarm_tracker.h"

class CAlarmTray;
class CHalvoricDoc;
class QAction;
struct StatusReply;

class CAlarmWatch : public QObject {
    Q_OBJECT
public:
    // `exit` is the console's Exit command, offered in the tray's menu. `parent` owns the watch
    // and its "Acknowledge alarms" action.
    CAlarmWatch(CHalvoricDoc& doc, const AlarmSettings& settings, QAction* exit, QObject* parent);
    ~CAlarmWatch() override;

    // A reply the Status page showed.
    void OnStatusShown(const StatusReply& reply);
    // A connection state the frame shows (1 Connected, 2 Connecting, 3 Disconnected);
    // `operatorAsked`: the operator chose "Disconnect" before it.
    void OnConnectStatus(int connectStatus, bool operatorAsked);
    // Acknowledges every alarm not acknowledged yet (the menu item and the tray's).
    void AcknowledgeAll();

    QAction* AcknowledgeAction() const { return m_acknowledge; }
    CAlarmTray& Tray() const { return *m_tray; }
    const CAlarmTracker& Tracker() const { return m_tracker; }
    std::vector<int> DryersInAlarm() const { return m_tracker.DryersInAlarm(); }

    // The subject of the link's notification (dryers are 1..8).
    static constexpr int kLinkSubject = 9;
    // How often (program time) the reminders are looked at.
    static constexpr int kReminderTickMs = 1000;

signals:
    void raised(int dryer);
    void reminded(int dryer);
    void cleared(int dryer);
    void acknowledged(int dryer);
    // The set of dryers in alarm changed.
    void alarmsChanged();
    // The operator clicked a notification: the window should come up on the Status page.
    void showStatusRequested();

private:
    void Tell(const std::vector<AlarmEvent>& events);
    void TellLink(bool lost);
    void OnReminderTick();
    void OnAction(int subject, const QString& action);
    void Log(const std::string& line) const;
    void UpdateLook();
    // The phone-book site whose number the System dials ("" when none matches).
    std::string SiteName() const;

    CHalvoricDoc& m_doc;
    AlarmSettings m_settings;
    CAlarmTracker m_tracker;
    int m_connectStatus = 3;
    CDesktopNotifier m_notifier;
    QAction* m_acknowledge;
    CAlarmTray* m_tray;
    QTimer m_reminders;
};

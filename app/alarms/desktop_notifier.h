// CDesktopNotifier: the desktop's notification service, org.freedesktop.Notifications on the
// session bus. Each subject (a dryer, the link) has at most one notification on screen: showing
// it again replaces the one before. Every call is asynchronous, so a slow or missing service
// never holds up the window. Without a session bus or without a service the console goes on
// without notifications, and the debug log says so once.
//
// UI thread only.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <map>

class QDBusError;

class CDesktopNotifier : public QObject {
    Q_OBJECT
public:
    struct Message {
        QString summary;
        QString body;  // plain text (escaped here when the service reads markup)
        bool critical = false;
        // Asks the desktop for its alarm sound (the standard "sound-name" hint).
        bool alarmSound = false;
        QString category;  // a standard category ("device.error"), or empty
        // Action keys and their labels, in pairs ("default" is a click on the notification).
        QStringList actions;
    };

    explicit CDesktopNotifier(QObject* parent = nullptr);

    // Shows `message` as the notification of `subject`, in place of the one shown for it before.
    void Show(int subject, const Message& message);
    // Takes the notification of `subject` off the screen.
    void Close(int subject);

    // Notifications sent and answered so far (for the debug log's figures and tests).
    int Answered() const { return m_answered; }

signals:
    // The operator chose `action` on the notification of `subject`.
    void actionInvoked(int subject, const QString& action);

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnNotificationClosed(uint id, uint reason);

private:
    void AskCapabilities();
    void OnShown(int subject, uint id);
    void TellFailure(const char* call, const QDBusError& error);
    int SubjectOf(uint id) const;

    QDBusConnection m_bus;
    bool m_markup = false;       // the service reads markup in bodies
    bool m_missingTold = false;  // "no service" is in the debug log; cleared by an answer
    int m_answered = 0;
    std::map<int, uint> m_ids;          // subject -> the service's id of its notification
    std::map<int, bool> m_closeWanted;  // Close came before the service answered Show
};

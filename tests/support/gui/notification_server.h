// A desktop notification service of the test's own: it owns org.freedesktop.Notifications on a
// bus (its own connection), records every call made to it, answers Notify with fresh ids,
// GetCapabilities, GetServerInformation and CloseNotification, and sends ActionInvoked as a
// desktop does when the operator clicks an action.
//
// Calls are answered on the UI thread while the test turns the event loop; the records may be
// read from any thread.
#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QStringList>
#include <QVariantMap>
#include <mutex>
#include <vector>

struct NotifyCall {
    QString method;  // "Notify", "CloseNotification", "GetCapabilities", ...
    uint replacesId = 0;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
    int expireTimeout = 0;
    uint id = 0;  // the id answered to Notify, or the id closed

    bool Critical() const { return hints.value(QStringLiteral("urgency")).toInt() == 2; }
};

class NotificationServer : public QDBusVirtualObject {
public:
    // Connects to the bus at `address` and owns the service name; Ready() tells.
    explicit NotificationServer(const QString& address);
    ~NotificationServer() override;

    bool Ready() const { return m_ready; }
    // Gives the name up and takes it again: a desktop without, then with, a notification service.
    void Unregister();
    bool Register();

    std::vector<NotifyCall> Calls() const;
    // The Notify calls only.
    std::vector<NotifyCall> Notifications() const;
    void Clear();
    // As the desktop does when the operator clicks `action` on notification `id`.
    void InvokeAction(uint id, const QString& action);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QDBusConnection m_bus;
    bool m_ready = false;
    mutable std::mutex m_lock;  // guards m_calls and m_nextId
    std::vector<NotifyCall> m_calls;
    uint m_nextId = 1;
};

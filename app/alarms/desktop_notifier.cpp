#include "app/alarms/desktop_notifier.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include "app/state/app_state.h"

namespace {

const char kService[] = "org.freedesktop.Notifications";
const char kPath[] = "/org/freedesktop/Notifications";
const char kInterface[] = "org.freedesktop.Notifications";
constexpr uchar kUrgencyNormal = 1;
constexpr uchar kUrgencyCritical = 2;
// The freedesktop sound theme's alarm.
const char kAlarmSoundName[] = "alarm-clock-elapsed";

QDBusMessage Call(const char* method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

bool ServiceMissing(const QDBusError& error) {
    switch (error.type()) {
        case QDBusError::ServiceUnknown:
        case QDBusError::NoServer:
        case QDBusError::Disconnected:
        case QDBusError::NoReply:
        case QDBusError::Timeout:
            return true;
        default:
            return false;
    }
}

}  // namespace

CDesktopNotifier::CDesktopNotifier(QObject* parent)
    : QObject(parent), m_bus(QDBusConnection::sessionBus()) {
    if (!m_bus.isConnected()) {
        m_missingTold = true;
        DebugLog("Desktop notifications off: no session bus (" +
                 m_bus.lastError().message().toStdString() + ")");
        return;
    }
    m_bus.connect(kService, kPath, kInterface, "ActionInvoked", this,
                  SLOT(OnActionInvoked(uint, QString)));
    m_bus.connect(kService, kPath, kInterface, "NotificationClosed", this,
                  SLOT(OnNotificationClosed(uint, uint)));
    AskCapabilities();
}

void CDesktopNotifier::AskCapabilities() {
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(Call("GetCapabilities")), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QStringList> reply = *w;
        if (reply.isError()) {
            TellFailure("GetCapabilities", reply.error());
            return;
        }
        m_markup = reply.value().contains(QStringLiteral("body-markup"));
    });
}

void CDesktopNotifier::Show(int subject, const Message& message) {
    m_closeWanted.erase(subject);
    if (!m_bus.isConnected()) {
        return;
    }
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"),
                 QVariant::fromValue(message.critical ? kUrgencyCritical : kUrgencyNormal));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("corvantis"));
    if (!message.category.isEmpty()) {
        hints.insert(QStringLiteral("category"), message.category);
    }
    if (message.alarmSound) {
        hints.insert(QStringLiteral("sound-name"), QString::fromLatin1(kAlarmSoundName));
    }
    const auto known = m_ids.find(subject);
    const uint replaces = known == m_ids.end() ? 0u : known->second;
    QDBusMessage call = Call("Notify");
    // A critical notification stays until the operator closes it; the others as the desktop
    // likes (-1).
    call << QStringLiteral("Corvantis") << replaces << QStringLiteral("corvantis")
         << message.summary << (m_markup ? message.body.toHtmlEscaped() : message.body)
         << message.actions << hints << int(message.critical ? 0 : -1);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, subject](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<uint> reply = *w;
                if (reply.isError()) {
                    TellFailure("Notify", reply.error());
                    return;
                }
                OnShown(subject, reply.value());
            });
}

void CDesktopNotifier::OnShown(int subject, uint id) {
    ++m_answered;
    m_missingTold = false;
    m_ids[subject] = id;
    if (m_closeWanted.erase(subject)) {
        Close(subject);
    }
}

void CDesktopNotifier::Close(int subject) {
    const auto known = m_ids.find(subject);
    if (known == m_ids.end()) {
        m_closeWanted[subject] = true;
        return;
    }
    const uint id = known->second;
    m_ids.erase(known);
    if (!m_bus.isConnected()) {
        return;
    }
    QDBusMessage call = Call("CloseNotification");
    call << id;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<> reply = *w;
        if (reply.isError()) {
            TellFailure("CloseNotification", reply.error());
        }
    });
}

int CDesktopNotifier::SubjectOf(uint id) const {
    for (const auto& [subject, known] : m_ids) {
        if (known == id) {
            return subject;
        }
    }
    return -1;
}

void CDesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    // The signal goes to every program on the bus: only our own notifications count.
    const int subject = SubjectOf(id);
    if (subject >= 0) {
        emit actionInvoked(subject, action);
    }
}

void CDesktopNotifier::OnNotificationClosed(uint id, uint /*reason*/) {
    const int subject = SubjectOf(id);
    if (subject >= 0) {
        m_ids.erase(subject);
    }
}

void CDesktopNotifier::TellFailure(const char* call, const QDBusError& error) {
    const std::string reason =
        (error.name() + QStringLiteral(": ") + error.message()).toStdString();
    if (ServiceMissing(error)) {
        if (!m_missingTold) {
            m_missingTold = true;
            DebugLog("Desktop notifications off: no notification service on the session bus (" +
                     reason + ")");
        }
        return;
    }
    DebugLog(std::string("Desktop notification ") + call + "() fail! reason: " + reason);
}

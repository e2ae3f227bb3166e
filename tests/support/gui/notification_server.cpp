#include "tests/support/gui/notification_server.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>

namespace {
const char kService[] = "org.freedesktop.Notifications";
const char kPath[] = "/org/freedesktop/Notifications";
const char kInterface[] = "org.freedesktop.Notifications";
const char kConnectionName[] = "corvantis-test-notification-server";
}  // namespace

NotificationServer::NotificationServer(const QString& address)
    : m_bus(QDBusConnection::connectToBus(address, kConnectionName)) {
    m_ready = m_bus.isConnected() &&
              m_bus.registerVirtualObject(kPath, this, QDBusConnection::SingleNode) && Register();
}

NotificationServer::~NotificationServer() {
    m_bus.unregisterObject(kPath);
    Unregister();
    QDBusConnection::disconnectFromBus(kConnectionName);
}

void NotificationServer::Unregister() {
    m_bus.unregisterService(kService);
}

bool NotificationServer::Register() {
    return m_bus.registerService(kService);
}

std::vector<NotifyCall> NotificationServer::Calls() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_calls;
}

std::vector<NotifyCall> NotificationServer::Notifications() const {
    std::vector<NotifyCall> found;
    for (const NotifyCall& call : Calls()) {
        if (call.method == QLatin1String("Notify")) {
            found.push_back(call);
        }
    }
    return found;
}

void NotificationServer::Clear() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_calls.clear();
}

void NotificationServer::InvokeAction(uint id, const QString& action) {
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, "ActionInvoked");
    signal << id << action;
    m_bus.send(signal);
}

QString NotificationServer::introspect(const QString&) const {
    return QStringLiteral(
        "<interface name=\"org.freedesktop.Notifications\">"
        "<method name=\"Notify\"><arg type=\"s\" direction=\"in\"/><arg type=\"u\" "
        "direction=\"in\"/><arg type=\"s\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
        "<arg type=\"s\" direction=\"in\"/><arg type=\"as\" direction=\"in\"/><arg "
        "type=\"a{sv}\" direction=\"in\"/><arg type=\"i\" direction=\"in\"/><arg type=\"u\" "
        "direction=\"out\"/></method>"
        "<method name=\"CloseNotification\"><arg type=\"u\" direction=\"in\"/></method>"
        "<method name=\"GetCapabilities\"><arg type=\"as\" direction=\"out\"/></method>"
        "<method name=\"GetServerInformation\"><arg type=\"s\" direction=\"out\"/><arg "
        "type=\"s\" direction=\"out\"/><arg type=\"s\" direction=\"out\"/><arg type=\"s\" "
        "direction=\"out\"/></method>"
        "<signal name=\"ActionInvoked\"><arg type=\"u\"/><arg type=\"s\"/></signal>"
        "<signal name=\"NotificationClosed\"><arg type=\"u\"/><arg type=\"u\"/></signal>"
        "</interface>");
}

bool NotificationServer::handleMessage(const QDBusMessage& message,
                                       const QDBusConnection& connection) {
    if (message.interface() != QLatin1String(kInterface)) {
        return false;
    }
    const QList<QVariant> args = message.arguments();
    NotifyCall call;
    call.method = message.member();
    QDBusMessage reply;
    if (call.method == QLatin1String("Notify") && args.size() == 8) {
        call.replacesId = args[1].toUInt();
        call.summary = args[3].toString();
        call.body = args[4].toString();
        call.actions = args[5].toStringList();
        call.hints = qdbus_cast<QVariantMap>(args[6]);
        call.expireTimeout = args[7].toInt();
        {
            std::lock_guard<std::mutex> lock(m_lock);
            call.id = call.replacesId ? call.replacesId : m_nextId++;
        }
        reply = message.createReply(QVariant::fromValue(call.id));
    } else if (call.method == QLatin1String("CloseNotification") && args.size() == 1) {
        call.id = args[0].toUInt();
        reply = message.createReply();
    } else if (call.method == QLatin1String("GetCapabilities")) {
        reply = message.createReply(QVariant(QStringList{
            QStringLiteral("actions"), QStringLiteral("body"), QStringLiteral("sound")}));
    } else if (call.method == QLatin1String("GetServerInformation")) {
        reply =
            message.createReply(QVariantList{QStringLiteral("test"), QStringLiteral("corvantis"),
                                             QStringLiteral("1"), QStringLiteral("1.2")});
    } else {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_calls.push_back(call);
    }
    connection.send(reply);
    return true;
}

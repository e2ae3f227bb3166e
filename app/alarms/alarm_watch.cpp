#include "app/alarms/alarm_watch.h"

#include <QAction>
#include <QPointer>
#include <algorithm>

#include "app/alarms/alarm_tray.h"
#include "app/core/alarm_notices.h"
#include "app/core/document.h"
#include "app/latin1.h"
#include "platform/clock.h"
#include "platform/window_messages.h"

namespace {

const char kActionDefault[] = "default";
const char kActionAcknowledge[] = "acknowledge";

CDesktopNotifier::Message MessageOf(const Notice& notice) {
    CDesktopNotifier::Message message;
    message.summary = FromLatin1(notice.summary);
    message.body = FromLatin1(notice.body);
    message.actions = {QString::fromLatin1(kActionDefault), QObject::tr("Show")};
    return message;
}

}  // namespace

CAlarmWatch::CAlarmWatch(CHalvoricDoc& doc, const AlarmSettings& settings, QAction* exit,
                         QObject* parent)
    : QObject(parent),
      m_doc(doc),
      m_settings(settings),
      m_tracker(settings.RenotifyMs()),
      m_connectStatus(static_cast<int>(platform::CONNECT_STATUS_DISCONNECTED)),
      m_acknowledge(new QAction(tr("Acknowledge alarms"), this)) {
    m_acknowledge->setStatusTip(
        tr("Stop the reminders of the alarms shown (nothing is sent to the unit)"));
    m_acknowledge->setEnabled(false);
    connect(m_acknowledge, &QAction::triggered, this, &CAlarmWatch::AcknowledgeAll);
    connect(&m_notifier, &CDesktopNotifier::actionInvoked, this, &CAlarmWatch::OnAction);

    m_tray = new CAlarmTray(m_acknowledge, exit, this);
    UpdateLook();

    // The link watch decides whether a session ended without the operator asking. It keeps its
    // listeners for the document's life, which may outlast this watch.
    QPointer<CAlarmWatch> self(this);
    m_doc.LinkWatch().OnLinkLost([self] {
        if (self) {
            self->TellLink(true);
        }
    });
    m_doc.LinkWatch().OnLinkBack([self] {
        if (self) {
            self->TellLink(false);
        }
    });

    // The reminders run on the program's clock, so that tests may run them faster.
    const double scale = std::max(platform::Clock::TimeScale(), 1.0);
    m_reminders.setInterval(std::max(1, static_cast<int>(kReminderTickMs / scale)));
    connect(&m_reminders, &QTimer::timeout, this, &CAlarmWatch::OnReminderTick);
    if (m_settings.renotifyMinutes > 0) {
        m_reminders.start();
    }
}

CAlarmWatch::~CAlarmWatch() = default;

void CAlarmWatch::OnStatusShown(const StatusReply& reply) {
    Tell(m_tracker.OnStatus(reply, platform::Clock::NowMs()));
}

void CAlarmWatch::OnConnectStatus(int connectStatus, bool operatorAsked) {
    if (connectStatus < platform::CONNECT_STATUS_CONNECTED ||
        connectStatus > platform::CONNECT_STATUS_DISCONNECTED) {
        return;
    }
    const bool sessionEnded = m_connectStatus == platform::CONNECT_STATUS_CONNECTED &&
                              connectStatus != platform::CONNECT_STATUS_CONNECTED;
    if (sessionEnded && operatorAsked) {
        // The operator left the unit: its dryers are no longer watched, and no reminder comes
        // for an alarm nobody can see any more.
        m_tracker.Forget();
        emit alarmsChanged();
    }
    m_connectStatus = connectStatus;
    UpdateLook();
}

void CAlarmWatch::AcknowledgeAll() {
    Tell(m_tracker.AcknowledgeAll());
}

void CAlarmWatch::OnReminderTick() {
    Tell(m_tracker.OnTick(platform::Clock::NowMs()));
}

void CAlarmWatch::OnAction(int subject, const QString& action) {
    if (action == QLatin1String(kActionAcknowledge)) {
        Tell(m_tracker.Acknowledge(subject));
    } else if (action == QLatin1String(kActionDefault)) {
        emit showStatusRequested();
    }
}

void CAlarmWatch::Tell(const std::vector<AlarmEvent>& events) {
    if (events.empty()) {
        return;
    }
    const std::string site = SiteName();
    bool changed = false;
    for (const AlarmEvent& event : events) {
        Log(AlarmLogLine(event));
        CDesktopNotifier::Message message = MessageOf(AlarmNotice(event, site));
        switch (event.kind) {
            case AlarmEventKind::Raised:
            case AlarmEventKind::Renotified:
                message.critical = true;
                message.alarmSound = m_settings.sound;
                message.category = QStringLiteral("device.error");
                message.actions << QString::fromLatin1(kActionAcknowledge) << tr("Acknowledge");
                m_notifier.Show(event.dryer, message);
                if (event.kind == AlarmEventKind::Raised) {
                    changed = true;
                    emit raised(event.dryer);
                } else {
                    emit reminded(event.dryer);
                }
                break;
            case AlarmEventKind::Cleared:
                // In place of the alarm's notification.
                m_notifier.Show(event.dryer, message);
                changed = true;
                emit cleared(event.dryer);
                break;
            case AlarmEventKind::Acknowledged:
                m_notifier.Close(event.dryer);
                emit acknowledged(event.dryer);
                break;
        }
    }
    if (changed) {
        emit alarmsChanged();
    }
    UpdateLook();
}

void CAlarmWatch::TellLink(bool lost) {
    const std::string site = SiteName();
    CDesktopNotifier::Message message =
        MessageOf(lost ? LinkLostNotice(site) : LinkBackNotice(site));
    message.category =
        lost ? QStringLiteral("network.disconnected") : QStringLiteral("network.connected");
    m_notifier.Show(kLinkSubject, message);
}

void CAlarmWatch::Log(const std::string& line) const {
    if (line.empty()) {
        return;
    }
    if (CSystem* system = m_doc.FirstSystem()) {
        system->Report(line);
    }
}

void CAlarmWatch::UpdateLook() {
    m_acknowledge->setEnabled(m_tracker.AnyUnacknowledged());
    m_tray->SetLook(LookOf(SiteName(), m_connectStatus, m_tracker.DryersInAlarm()));
}

std::string CAlarmWatch::SiteName() const {
    const CSystem* system = m_doc.FirstSystem();
    if (!system) {
        return "";
    }
    for (const CPhoneEntry* entry = m_doc.m_pPhoneBook; entry; entry = entry->next) {
        if (system->Telephone == entry->phone) {
            return entry->siteName;
        }
    }
    return "";
}

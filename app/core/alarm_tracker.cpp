#include "app/core/alarm_tracker.h"

std::vector<AlarmEvent> CAlarmTracker::OnStatus(const StatusReply& reply, int64_t nowMs) {
    std::vector<AlarmEvent> events;
    for (int k = 0; k < 8; ++k) {
        const DryerDetail& detail = reply.dryers[k];
        Dryer& dryer = m_dryers[k];
        const bool inAlarm = DryerBit(reply.alarmMask, k) || detail.alarm;
        if (!inAlarm) {
            if (dryer.inAlarm) {
                dryer.inAlarm = false;
                events.push_back(EventOf(dryer, AlarmEventKind::Cleared));
            }
            continue;
        }
        const bool again = dryer.inAlarm && !detail.alarmTime.empty() &&
                           detail.alarmTime != dryer.raised.alarmTime;
        if (dryer.inAlarm && !again) {
            continue;
        }
        dryer.inAlarm = true;
        dryer.acknowledged = false;
        dryer.nextReminderMs = nowMs + m_renotifyMs;
        dryer.raised.dryer = k + 1;
        dryer.raised.alarmTime = detail.alarmTime;
        dryer.raised.status = detail.status;
        dryer.raised.model = detail.model;
        events.push_back(EventOf(dryer, AlarmEventKind::Raised));
    }
    return events;
}

std::vector<AlarmEvent> CAlarmTracker::OnTick(int64_t nowMs) {
    std::vector<AlarmEvent> events;
    if (m_renotifyMs <= 0) {
        return events;
    }
    for (Dryer& dryer : m_dryers) {
        if (dryer.inAlarm && !dryer.acknowledged && nowMs >= dryer.nextReminderMs) {
            // A late tick (a busy machine) reminds once, not once per interval missed.
            dryer.nextReminderMs = nowMs + m_renotifyMs;
            events.push_back(EventOf(dryer, AlarmEventKind::Renotified));
        }
    }
    return events;
}

std::vector<AlarmEvent> CAlarmTracker::Acknowledge(int dryer) {
    if (!Valid(dryer)) {
        return {};
    }
    Dryer& d = m_dryers[dryer - 1];
    if (!d.inAlarm || d.acknowledged) {
        return {};
    }
    d.acknowledged = true;
    return {EventOf(d, AlarmEventKind::Acknowledged)};
}

std::vector<AlarmEvent> CAlarmTracker::AcknowledgeAll() {
    std::vector<AlarmEvent> events;
    for (int n = 1; n <= 8; ++n) {
        for (AlarmEvent& event : Acknowledge(n)) {
            events.push_back(std::move(event));
        }
    }
    return events;
}

void CAlarmTracker::Forget() {
    m_dryers = {};
}

bool CAlarmTracker::InAlarm(int dryer) const {
    return Valid(dryer) && m_dryers[dryer - 1].inAlarm;
}

bool CAlarmTracker::Acknowledged(int dryer) const {
    return InAlarm(dryer) && m_dryers[dryer - 1].acknowledged;
}

bool CAlarmTracker::AnyUnacknowledged() const {
    for (const Dryer& dryer : m_dryers) {
        if (dryer.inAlarm && !dryer.acknowledged) {
            return true;
        }
    }
    return false;
}

std::vector<int> CAlarmTracker::DryersInAlarm() const {
    std::vector<int> dryers;
    for (int n = 1; n <= 8; ++n) {
        if (InAlarm(n)) {
            dryers.push_back(n);
        }
    }
    return dryers;
}

AlarmEvent CAlarmTracker::EventOf(const Dryer& dryer, AlarmEventKind kind) const {
    AlarmEvent event = dryer.raised;
    event.kind = kind;
    return event;
}

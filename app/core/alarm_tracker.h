// CAlarmTracker: follows the alarms of the eight dryers through the Status replies the console
// shows, and decides when the operator is told: once when a dryer enters alarm, once when it
// leaves it, again every renotify interval while nobody acknowledged it, and never for a reply
// that only repeats what is known. Acknowledging is local: it stops the reminders and changes
// nothing on the unit.
//
// A dryer is in alarm while its Alarm lamp is on or its row is "Red". A new alarm time on a dryer
// that is still in alarm is a new alarm (the unit raised it again): it is told and needs a new
// acknowledge.
//
// Times are program milliseconds passed in by the caller (the console passes the program clock,
// which tests may run faster). No Qt; one thread (the UI thread in the console).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/status_reply.h"

enum class AlarmEventKind { Raised, Renotified, Cleared, Acknowledged };

struct AlarmEvent {
    AlarmEventKind kind = AlarmEventKind::Raised;
    int dryer = 0;  // 1..8
    // What the unit said about the alarm when it was raised (Latin-1, as received).
    std::string alarmTime;
    std::string status;
    std::string model;
};

class CAlarmTracker {
public:
    // `renotifyMs` 0: an unacknowledged alarm is told once only.
    explicit CAlarmTracker(int64_t renotifyMs = 0) : m_renotifyMs(renotifyMs) {}

    void SetRenotifyMs(int64_t renotifyMs) { m_renotifyMs = renotifyMs; }

    // A reply the Status page showed: the alarms it raises and clears, in dryer order.
    std::vector<AlarmEvent> OnStatus(const StatusReply& reply, int64_t nowMs);
    // The unacknowledged alarms whose reminder is due at `nowMs`.
    std::vector<AlarmEvent> OnTick(int64_t nowMs);
    // Acknowledges the alarm of `dryer`: one Acknowledged event, or none when the dryer is not in
    // alarm or was acknowledged already.
    std::vector<AlarmEvent> Acknowledge(int dryer);
    // Acknowledges every alarm not acknowledged yet.
    std::vector<AlarmEvent> AcknowledgeAll();
    // The operator ended the session: what the unit's dryers do is no longer known, and nothing
    // is told about them (no clear, no reminder) until replies come again.
    void Forget();

    bool InAlarm(int dryer) const;
    bool Acknowledged(int dryer) const;
    bool AnyUnacknowledged() const;
    // The dryers in alarm (1..8), in order.
    std::vector<int> DryersInAlarm() const;

private:
    struct Dryer {
        bool inAlarm = false;
        bool acknowledged = false;
        int64_t nextReminderMs = 0;
        AlarmEvent raised;
    };
    static bool Valid(int dryer) { return dryer >= 1 && dryer <= 8; }
    AlarmEvent EventOf(const Dryer& dryer, AlarmEventKind kind) const;

    int64_t m_renotifyMs;
    std::array<Dryer, 8> m_dryers{};
};

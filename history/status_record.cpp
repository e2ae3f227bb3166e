#include "history/status_record.h"

#include "protocol/status_reply.h"

namespace history {

const char* DryerStateName(DryerState state) {
    switch (state) {
        case DryerState::Alarm:
            return "Alarm";
        case DryerState::Online:
            return "Online";
        case DryerState::Standby:
            return "Standby";
        case DryerState::Off:
            break;
    }
    return "Off";
}

DryerState DryerRecord::State() const {
    if (alarm) {
        return DryerState::Alarm;
    }
    if (online) {
        return DryerState::Online;
    }
    return standby ? DryerState::Standby : DryerState::Off;
}

StatusRecord RecordOf(const StatusReply& reply) {
    StatusRecord record;
    for (int k = 0; k < 8; ++k) {
        DryerRecord& dryer = record.dryers[k];
        dryer.alarm = DryerBit(reply.alarmMask, k);
        dryer.online = DryerBit(reply.onlineMask, k);
        dryer.standby = DryerBit(reply.standbyMask, k);
        dryer.status = reply.dryers[k].status;
        dryer.alarmTime = reply.dryers[k].alarmTime;
        dryer.model = reply.dryers[k].model;
    }
    CycleRecord& cycle = record.cycle;
    if (reply.cycleDays) {
        static constexpr char kLetters[] = "MTWTF";
        cycle.mode = "DAYS ";
        for (int day = 0; day < 5; ++day) {
            cycle.mode += reply.weekdays[day] ? kLetters[day] : '.';
        }
    } else {
        cycle.mode = reply.cycleText;
    }
    cycle.nextCycle = reply.nextCycle;
    cycle.minimumOnline = reply.minimumOnline;
    cycle.roster = reply.roster;
    cycle.skipWeekends = reply.skipWeekends;
    return record;
}

StatusChanges Compare(const StatusRecord* before, const StatusRecord& after) {
    StatusChanges changes;
    for (int k = 0; k < 8; ++k) {
        if (!before || !(before->dryers[k] == after.dryers[k])) {
            changes.dryers.push_back(k);
        }
    }
    changes.cycle = !before || !(before->cycle == after.cycle);
    return changes;
}

}  // namespace history

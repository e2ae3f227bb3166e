#include "monitor/site_reading.h"

bool DryerPresent(const StatusReply& reply, int index) {
    const DryerDetail& d = reply.dryers[static_cast<size_t>(index)];
    return DryerBit(reply.alarmMask, index) || DryerBit(reply.onlineMask, index) ||
           DryerBit(reply.standbyMask, index) || !d.status.empty() || !d.model.empty() ||
           !d.alarmTime.empty();
}

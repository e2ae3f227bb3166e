// A dryer's states over a span, as the History window draws them and exports them: from the
// changes of the span (with the state each dryer was in when it began), one segment per state,
// clipped to the span. Before the first known change of a dryer nothing is known and nothing is
// drawn; the last segment runs to the end of the span (or to `now`, when the span reaches past
// it).
#pragma once

#include <vector>

#include "history/history_reader.h"

namespace history {

struct StateSegment {
    int dryer = 0;  // 1..8
    LocalMs from = 0;
    LocalMs to = 0;
    DryerState state = DryerState::Off;
    std::string status;
    std::string alarmTime;
};

// `changes` as HistoryReader::DryerChanges returns them.
std::vector<StateSegment> SegmentsOf(const std::vector<DryerChange>& changes, LocalMs from,
                                     LocalMs to, LocalMs now);

}  // namespace history

#include "history/state_timeline.h"

#include <algorithm>
#include <array>
#include <optional>

namespace history {

std::vector<StateSegment> SegmentsOf(const std::vector<DryerChange>& changes, LocalMs from,
                                     LocalMs to, LocalMs now) {
    const LocalMs end = std::max(from, std::min(to, now));
    std::vector<StateSegment> segments;
    std::array<std::optional<StateSegment>, 8> open;
    auto close = [&](int k, LocalMs at) {
        if (open[k] && at > open[k]->from) {
            open[k]->to = at;
            segments.push_back(*open[k]);
        }
        open[k].reset();
    };
    std::vector<DryerChange> ordered = changes;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const DryerChange& a, const DryerChange& b) { return a.seen < b.seen; });
    for (const DryerChange& change : ordered) {
        const int k = change.dryer - 1;
        if (k < 0 || k >= 8 || change.seen >= end) {
            continue;
        }
        const LocalMs at = std::max(change.seen, from);
        close(k, at);
        open[k] = StateSegment{change.dryer, at, at, change.state, change.status, change.alarmTime};
    }
    for (int k = 0; k < 8; ++k) {
        close(k, end);
    }
    std::stable_sort(segments.begin(), segments.end(),
                     [](const StateSegment& a, const StateSegment& b) {
                         return a.dryer != b.dryer ? a.dryer < b.dryer : a.from < b.from;
                     });
    return segments;
}

}  // namespace history

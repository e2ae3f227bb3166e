// The chart of the History window: one band per dryer (dryer 1 on top) over the chosen span,
// coloured by the dryer's state (alarm red, online green, standby orange, off grey), drawn with
// Qt Charts: one area series per dryer and state, so that a month of changes stays a few dozen
// series.
//
// UI thread only.
#pragma once

#include <QChart>
#include <vector>

#include "history/state_timeline.h"

// Fills `chart` (its series and axes are replaced) with `segments` over [from, to).
void DrawTimeline(QChart& chart, const std::vector<history::StateSegment>& segments,
                  history::LocalMs from, history::LocalMs to);

// The chart's time axis value of a local time (milliseconds since the epoch of that local time).
qint64 ChartTimeOf(history::LocalMs local);

// What the tray icon and the window title say: the picture (disconnected, connected, or alarm on
// any dryer), the tooltip (site, connection state, dryers in alarm), and the title of a window
// that is not active while a dryer is in alarm. No Qt.
#pragma once

#include <string>
#include <vector>

enum class TrayState { Disconnected, Connected, Alarm };

struct TrayLook {
    TrayState state = TrayState::Disconnected;
    std::string tooltip;  // Latin-1, lines separated by "\n"
};

// `connectStatus` is the state the frame shows (1 Connected, 2 Connecting, 3 Disconnected);
// `site` the phone-book site ("" when none was chosen); `dryersInAlarm` the dryers (1..8) in
// alarm at the last reply. Off line, those are what the unit said last: the picture says
// disconnected and the tooltip says the alarms were last seen.
TrayLook LookOf(const std::string& site, int connectStatus, const std::vector<int>& dryersInAlarm);

// "Corvantis", or while a dryer is in alarm and the window is not active
// "ALARM dryer 3 - Corvantis" ("ALARM dryers 2, 5 - Corvantis").
std::string WindowTitle(const std::vector<int>& dryersInAlarm, bool windowActive);

// "dryer 3", "dryers 2, 5".
std::string DryerList(const std::vector<int>& dryers);

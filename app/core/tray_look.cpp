#include "app/core/tray_look.h"

#include "platform/window_messages.h"

namespace {
const char kProgram[] = "Corvantis";
}

std::string DryerList(const std::vector<int>& dryers) {
    std::string text = dryers.size() == 1 ? "dryer " : "dryers ";
    for (size_t i = 0; i < dryers.size(); ++i) {
        text += (i ? ", " : "") + std::to_string(dryers[i]);
    }
    return text;
}

TrayLook LookOf(const std::string& site, int connectStatus, const std::vector<int>& dryersInAlarm) {
    TrayLook look;
    const bool connected = connectStatus == platform::CONNECT_STATUS_CONNECTED;
    const char* state = connected                                              ? "Connected"
                        : connectStatus == platform::CONNECT_STATUS_CONNECTING ? "Connecting"
                                                                               : "Disconnected";
    look.tooltip =
        std::string(kProgram) + "\nSite: " + (site.empty() ? "none" : site) + "\n" + state;
    if (!connected) {
        look.state = TrayState::Disconnected;
        if (!dryersInAlarm.empty()) {
            look.tooltip += "\nIn alarm when last seen: " + DryerList(dryersInAlarm);
        }
        return look;
    }
    if (dryersInAlarm.empty()) {
        look.state = TrayState::Connected;
        look.tooltip += "\nNo dryer in alarm";
        return look;
    }
    look.state = TrayState::Alarm;
    look.tooltip += "\nIn alarm: " + DryerList(dryersInAlarm);
    return look;
}

std::string WindowTitle(const std::vector<int>& dryersInAlarm, bool windowActive) {
    if (windowActive || dryersInAlarm.empty()) {
        return kProgram;
    }
    return "ALARM " + DryerList(dryersInAlarm) + " - " + kProgram;
}

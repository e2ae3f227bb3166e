// The operator's words for a link problem (engine/link_problem.h): a short text for the status
// bar's connection pane and the full explanation with what to do, for its tooltip. The facts
// about the device (the devices that exist, its group, who holds it) are gathered from the system
// by GatherDeviceFacts, or given by the caller.
//
// No Qt. Any thread.
#pragma once

#include <string>
#include <vector>

#include "engine/link_problem.h"
#include "platform/device_facts.h"

struct LinkProblemText {
    std::string pane;    // e.g. "Disconnected: device busy"
    std::string detail;  // what happened and what to do
};

struct DeviceFacts {
    std::string byIdDir = "/dev/serial/by-id";
    std::vector<std::string> byId;  // the names in byIdDir
    platform::FileGroup group;      // the device's group
    std::string user;               // who runs the console
    std::vector<platform::FileHolder> holders;
};

// What the system says about `device` (for a missing, refused or busy one).
DeviceFacts GatherDeviceFacts(const LinkProblem& problem,
                              const std::string& byIdDir = "/dev/serial/by-id");

LinkProblemText DescribeLinkProblem(const LinkProblem& problem, const DeviceFacts& facts);

// The modem refused the call to `number` with `answer` ("BLACKLISTED", "DELAYED ...").
LinkProblemText DescribeModemRefusal(const std::string& number, const std::string& answer);
// A direct line that logged in but reports no carrier.
LinkProblemText DescribeNoCarrier(const std::string& device);

#include "sim/fault_mode.h"

#include "sim/record_text.h"

namespace sim {
namespace {

struct FaultName {
    const char* name;
    bool FaultModes::*flag;
    const char* help;
};

const FaultName kFaults[] = {
    {"silent-login", &FaultModes::silentLogin, "never answer during the login"},
    {"silent-reply", &FaultModes::silentReply, "take page requests in, never answer them"},
    {"split", &FaultModes::splitBytes, "send every byte in a write of its own"},
    {"garbage", &FaultModes::garbage, "line noise before each answer and after each reply"},
    {"nul", &FaultModes::nulByte, "a 0x00 byte in the middle of each reply"},
    {"ff", &FaultModes::ffByte, "a 0xFF byte before each login prompt and inside each reply"},
    {"overlong", &FaultModes::overlong, "replies of over 4 KB that never end with EOT"},
    {"eot-in-data", &FaultModes::eotInData, "the letters EOT in the middle of each reply"},
    {"no-echo", &FaultModes::noEcho, "replies without the echo of the request"},
    {"close-mid-reply", &FaultModes::closeMidReply, "send half a reply, then drop the line"},
    {"never-accept", &FaultModes::neverAccept, "TCP: listen, but let no connect complete"},
};

constexpr int kSlowBaud = 300;

}  // namespace

bool EnableFault(const std::string& name, FaultModes& faults) {
    if (name == "slow") {
        faults.slowBaud = kSlowBaud;
        return true;
    }
    if (name.rfind("slow=", 0) == 0) {
        int baud = 0;
        if (!ParseDecimal(name.substr(5), baud) || baud == 0) {
            return false;
        }
        faults.slowBaud = baud;
        return true;
    }
    for (const FaultName& f : kFaults) {
        if (name == f.name) {
            faults.*f.flag = true;
            return true;
        }
    }
    return false;
}

std::vector<std::string> FaultHelpLines() {
    std::vector<std::string> lines;
    lines.push_back("slow, slow=N: send at 300 (or N) baud");
    for (const FaultName& f : kFaults) {
        lines.push_back(std::string(f.name) + ": " + f.help);
    }
    return lines;
}

}  // namespace sim

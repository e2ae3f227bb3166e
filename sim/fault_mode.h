// The faults the unit simulator can put on its line, for tests of the console's receive side and
// ports. Each is off by default; while one is on it applies to every exchange of every connection.
#pragma once

#include <string>
#include <vector>

namespace sim {

struct FaultModes {
    bool silentLogin = false;  // the unit never answers during the login dialogue
    bool silentReply = false;  // page requests are taken in but never answered
    int slowBaud = 0;          // > 0: the unit sends at this many bits per second (10 bits a byte)
    bool splitBytes = false;   // every byte goes out in a write of its own
    bool garbage = false;      // line noise before each answer and after each reply
    bool nulByte = false;      // a 0x00 byte in the middle of each reply's data
    bool ffByte = false;       // a 0xFF byte before each login prompt and inside each reply
    bool overlong = false;     // each reply is over 4 KB of text and never ends with "EOT"
    bool eotInData = false;    // the letters "EOT" in the middle of each reply's data
    bool noEcho = false;       // replies come without the echo of the request
    bool closeMidReply = false;  // the unit sends half a reply, then drops the line
    bool neverAccept = false;    // TCP: the listener takes no connection (connects never complete)

    bool operator==(const FaultModes&) const = default;
};

// The fault names of the command line ("silent-login", "slow", ...). Turns the named fault on in
// `faults`; false for an unknown name. "slow" means 300 baud; "slow=N" sets N baud.
bool EnableFault(const std::string& name, FaultModes& faults);
// One "name: what it does" line per fault, for --help.
std::vector<std::string> FaultHelpLines();

}  // namespace sim

// The unit's page requests: "/NN.htm?val=A-B" with, for a write, "," password ";" and the page's
// record. Serving one reads or changes the unit's data and gives the reply's data text (what
// goes between the echo and "EOT").
#pragma once

#include <string>

#include "sim/unit_state.h"

namespace sim {

struct PageRequest {
    int page = 0;
    int a = 0;
    int b = 0;
    bool hasArgument = false;  // a "," followed the numbers
    std::string password;      // before the first ";" of the argument
    std::string data;          // after it
};

// Parses a request line without its "\r". False when it is not a page request.
bool ParsePageRequest(const std::string& line, PageRequest& request);

struct PageContext {
    std::string password;  // the unit's password
    std::string clock;     // the unit's current time text
};

// The reply data for `line` (without its "\r"); unknown pages and malformed lines get "".
// Writes with a wrong password change nothing and get the same reply as the read.
std::string ServePageRequest(UnitState& state, const PageContext& context, const std::string& line);

}  // namespace sim

// The monitor's outputs on any reply and any site name: the metrics are valid exposition lines
// (every sample line is a name, labels in quotes with their escapes, a value), the JSON status
// parses back (the unit's 8-bit texts become valid UTF-8), and the check gives a plugin code.
// The first byte splits the input into a site name and the reply.
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "fuzz/fuzz_check.h"
#include "monitor/outputs.h"

namespace {

// One sample line: NAME{...} VALUE, with every quote inside the braces escaped or closing.
bool SampleLine(const std::string& line) {
    const size_t brace = line.find('{');
    if (brace == std::string::npos) {
        return line.find(' ') != std::string::npos;
    }
    bool inQuotes = false;
    for (size_t i = brace + 1; i < line.size(); ++i) {
        const char c = line[i];
        if (inQuotes && c == '\\') {
            ++i;  // an escape: the next character is taken as it is
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (!inQuotes && c == '}') {
            return line.compare(i + 1, 1, " ") == 0;
        } else if (c == '\n') {
            return false;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const size_t split = std::min<size_t>(data[0], size - 1);
    SiteReading site;
    site.name.assign(reinterpret_cast<const char*>(data) + 1, split);
    site.up = true;
    const std::string reply(reinterpret_cast<const char*>(data) + 1 + split, size - 1 - split);
    site.status = ParseStatusReply(reply);

    BoardSnapshot snap;
    snap.sites = {site};
    std::istringstream metrics(RenderMetrics(snap));
    for (std::string line; std::getline(metrics, line);) {
        FUZZ_CHECK(line.rfind("# ", 0) == 0 || SampleLine(line));
    }
    const auto doc = nlohmann::json::parse(RenderStatusJson(snap), nullptr, false);
    FUZZ_CHECK(!doc.is_discarded());
    FUZZ_CHECK(doc["sites"].size() == 1);
    const CheckResult check = EvaluateCheck(site);
    FUZZ_CHECK(check.code == 0 || check.code == 1 || check.code == 2);
    return 0;
}

// The Status page's reading of a "/60" reply on any text: it must never read past the reply or
// its fixed arrays, every value it shows is one whole field of the reply (no separator inside),
// and a dryer shows its RESET link exactly when the unit named its colour "Red".
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "protocol/status_reply.h"

namespace {

bool Holds(const std::string& text, const char* separators) {
    return text.find_first_of(separators) != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const StatusReply reply = ParseStatusReply(text);

    for (const DryerDetail& dryer : reply.dryers) {
        FUZZ_CHECK(dryer.alarm == (dryer.colour == DryerColour::Red));
        for (const std::string* value : {&dryer.alarmTime, &dryer.status, &dryer.model}) {
            FUZZ_CHECK(!Holds(*value, ";,"));
            FUZZ_CHECK(value->size() <= text.size());
        }
    }
    for (const std::string* value : {&reply.cycleText, &reply.nextCycle, &reply.currentTime,
                                     &reply.minimumOnline, &reply.roster, &reply.skipWeekends}) {
        FUZZ_CHECK(!Holds(*value, ";"));
        FUZZ_CHECK(text.find(*value) != std::string::npos);
    }
    if (!reply.cycleDays) {
        for (bool day : reply.weekdays) {
            FUZZ_CHECK(!day);
        }
    } else {
        FUZZ_CHECK(reply.cycleText.empty());
    }
    // A mask as the unit writes it reads back as itself.
    FUZZ_CHECK(ParseMask(std::to_string(reply.alarmMask)) == reply.alarmMask);
    return 0;
}

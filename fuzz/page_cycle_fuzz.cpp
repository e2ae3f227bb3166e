// The Cycle Set Up page's reading of a "/52" reply on any text, and the write composed from what
// it shows: the dryer lists agree with the rows, every selection is one the combo box holds (or
// none), the settings text has its 15 records, and a form the page's checks let through composes
// 15 records whose dryer records are each "status,model" (a write never shifts a record).
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "protocol/cycle_records.h"

namespace {

size_t CountOf(const std::string& text, char c) {
    size_t n = 0;
    for (char x : text) {
        n += x == c ? 1 : 0;
    }
    return n;
}

bool ValidSelection(const ComboContents& combo) {
    return combo.selection >= -1 && combo.selection < static_cast<int>(combo.items.size());
}

// What the page's controls hold after it has shown the reply.
CycleForm FormOf(const CycleReply& reply) {
    CycleForm form;
    for (int k = 0; k < kDryerCount; ++k) {
        form.dryers[k] = {reply.dryers[k].present, reply.dryers[k].statusSelection,
                          reply.dryers[k].model};
    }
    form.minOnlineSelection = reply.minOnline.selection;
    form.cycleTime = reply.cycleTime;
    form.modeSelection = reply.modeSelection;
    form.dayMask = reply.dayMask;
    const auto text = [](const ComboContents& combo) {
        return combo.selection >= 0 ? combo.items[static_cast<size_t>(combo.selection)]
                                    : std::string();
    };
    form.maintenanceSelection = reply.maintenance.selection;
    form.maintenanceText = text(reply.maintenance);
    form.exerciseSelection = reply.exercise.selection;
    form.exerciseText = text(reply.exercise);
    form.durationSelection = reply.durationSelection;
    form.skipSelection = reply.skipSelection;
    form.alarmSelection = reply.alarmSelection;
    return form;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const CycleReply reply = ParseCycleReply(text);

    int present = 0;
    for (int k = 0; k < kDryerCount; ++k) {
        const DryerRow& row = reply.dryers[k];
        if (!row.present) {
            continue;
        }
        FUZZ_CHECK(reply.present.numbers[present] == k + 1);
        ++present;
        FUZZ_CHECK(row.statusSelection >= -1 && row.statusSelection < 3);
        FUZZ_CHECK(row.model.find_first_of(",;") == std::string::npos);
    }
    FUZZ_CHECK(reply.present.count == present);
    for (int i = 0; i < reply.backup.count; ++i) {
        const int dryer = reply.backup.numbers[i];
        FUZZ_CHECK(dryer >= 1 && dryer <= kDryerCount && reply.dryers[dryer - 1].present);
        FUZZ_CHECK(reply.dryers[dryer - 1].statusSelection == 2);
    }
    FUZZ_CHECK(CountOf(reply.shownSettings, ';') == static_cast<size_t>(kCycleRecordCount));
    FUZZ_CHECK(reply.minOnline.items.size() == static_cast<size_t>(present));
    FUZZ_CHECK(ValidSelection(reply.minOnline));
    FUZZ_CHECK(ValidSelection(reply.maintenance));
    FUZZ_CHECK(ValidSelection(reply.exercise));
    FUZZ_CHECK(reply.modeSelection >= 0 && reply.modeSelection <= kDaysModeIndex);
    FUZZ_CHECK(reply.durationSelection >= -1 && reply.durationSelection < 3);
    FUZZ_CHECK(reply.alarmSelection >= -1 && reply.alarmSelection < 11);
    FUZZ_CHECK(reply.skipSelection == 0 || reply.skipSelection == 1);
    for (const std::string& part : reply.cycleTime) {
        FUZZ_CHECK(part.find_first_of(",;") == std::string::npos);
    }

    const CycleForm form = FormOf(reply);
    if (CheckCycleForm(form).empty()) {
        const std::string settings = ComposeSettings(form);
        FUZZ_CHECK(CountOf(settings, ';') == static_cast<size_t>(kCycleRecordCount));
        size_t start = 0;
        for (int k = 0; k < kDryerCount; ++k) {
            const size_t end = settings.find(';', start);
            FUZZ_CHECK(CountOf(settings.substr(start, end - start), ',') == 1);
            start = end + 1;
        }
    }
    return 0;
}

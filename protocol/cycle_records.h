// The cycle settings records of unit pages 52 (read) and 53 (write).
//
// A reply, once its "EOT" is dropped, is 15 records separated by ";":
//   1..8  dryer k: presence ("0" absent), status (1 Running, 2 Available, 3 Backup), model
//   9     minimum number of dryers online (1..number of present dryers)
//   10    next cycle time: two fields separated by ","
//   11    cycle mode: "0" 24HR, "1" 48HR, otherwise 128 + day bits (DAYS)
//   12    dryer set to maintenance, "0" for none
//   13    dryer set to exercise ("0" for none) "," duration index (8, 16, 24 HR)
//   14    skip weekends: "1" yes
//   15    alarm delay in seconds, 0..10
// A write carries the same 15 records, each followed by ";", where a dryer record is only
// status "," model, or "0," for an absent dryer.
//
// ParseCycleReply turns a reply into what the page shows (item lists and selections, as the
// combo boxes hold them); ComposeSettings turns what the page shows back into the record text.
// When nothing was changed, ComposeSettings(form) equals the reply's shownSettings.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kDryerCount = 8;
constexpr int kCycleRecordCount = 15;

// Day bits of the DAYS cycle mode, Monday to Friday.
constexpr std::array<int, 5> kDayBits = {0x20, 0x10, 0x08, 0x04, 0x02};
constexpr int kAllDayBits = 0x3E;
constexpr int kDaysModeBase = 128;
// Index of "DAYS" in the cycle mode list "24HR", "48HR", "DAYS".
constexpr int kDaysModeIndex = 2;

// Dryer numbers in dryer order, at most eight.
struct DryerList {
    std::array<uint8_t, kDryerCount> numbers{};
    uint8_t count = 0;

    void Clear() { count = 0; }
    void Append(int dryer);
    bool operator==(const DryerList& other) const;
};

// The names of dryer statuses 1, 2 and 3.
extern const std::array<const char*, 3> g_DryerStatusNames;

// A combo box's contents: its items and the selected index (-1 none).
struct ComboContents {
    std::vector<std::string> items;
    int selection = -1;
};

struct DryerRow {
    bool present = false;
    int statusSelection = -1;  // index into g_DryerStatusNames, -1 when not one of them
    std::string model;
};

struct CycleReply {
    std::array<DryerRow, kDryerCount> dryers;
    DryerList present;
    DryerList backup;
    std::string shownSettings;  // the canonical settings text of this reply
    ComboContents minOnline;    // "1".."present count"
    std::array<std::string, 2> cycleTime;
    int modeSelection = 0;  // 0 24HR, 1 48HR, 2 DAYS
    int dayMask = 0;        // meaningful in DAYS mode
    ComboContents maintenance;
    ComboContents exercise;
    int durationSelection = -1;
    bool durationEnabled = true;
    int skipSelection = 1;  // 0 "Yes", 1 "No"
    int alarmSelection = -1;
};

// What the page's controls hold when the settings are composed.
struct CycleForm {
    struct Dryer {
        bool visible = false;
        int statusSelection = -1;
        std::string model;
    };
    std::array<Dryer, kDryerCount> dryers;
    int minOnlineSelection = -1;
    std::array<std::string, 2> cycleTime;
    int modeSelection = -1;
    int dayMask = 0;
    int maintenanceSelection = -1;
    std::string maintenanceText;  // the selected item's text
    int exerciseSelection = -1;
    std::string exerciseText;  // the selected item's text
    int durationSelection = -1;
    int skipSelection = -1;
    int alarmSelection = -1;
};

// The whole reply, "EOT" already dropped.
CycleReply ParseCycleReply(const std::string& text);
// One dryer record (dryer k + 1): fills row k, the dryer lists and the shown settings.
void ParseDryer(const std::string& record, int k, CycleReply& reply);
// Record 10.
void ParseCycleTime(const std::string& record, CycleReply& reply);
// Record 13.
void ParseExercise(const std::string& record, CycleReply& reply);

// The 15 records of the form, each followed by ";".
std::string ComposeSettings(const CycleForm& form);

// The operator's message for the first entry that cannot be written, or empty when the form
// can be sent: DAYS without a day, and separators typed into a model or cycle-time field (they
// would shift every record after them on the unit).
std::string CheckCycleForm(const CycleForm& form);

// atoi: leading blanks, an optional sign, then digits; 0 when there are none.
int UnitNumber(const std::string& text);

// The settings reader and the phone book store on any file contents. The start-up settings are
// always ones the console can use (COM 1..24, a baud rate of its table, a known comm type). Loading
// never makes a site
// name longer than 40 characters or a number longer than 20, nor more placeholder sites than the
// store's limit; storing the phone book changes no other section; the text written reads back as
// itself; and the phone book read back from it has the same sites (a number cut to 20 characters
// may lose the blanks it then ends in, as the reader trims every value).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/core/phone_book.h"
#include "app/core/settings.h"
#include "app/state/app_state.h"
#include "fuzz/fuzz_check.h"
#include "platform/ini_file.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

std::string TrimEnd(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.pop_back();
    }
    return text;
}

// Loads the phone book of `ini`, checks each site's bounds, and frees the list.
Entries LoadSites(const platform::IniFile& ini) {
    CPhoneEntry* head = nullptr;
    phonebook::Load(ini, head);
    Entries entries;
    for (const CPhoneEntry* e = head; e; e = e->next) {
        FUZZ_CHECK(strnlen(e->siteName, sizeof e->siteName) <= static_cast<size_t>(kSiteNameMax));
        FUZZ_CHECK(strnlen(e->phone, sizeof e->phone) <= static_cast<size_t>(kPhoneMax));
        entries.emplace_back(e->siteName, TrimEnd(e->phone));
    }
    // Placeholders for missing keys are capped; the sites that are there are all read.
    FUZZ_CHECK(entries.size() <=
               static_cast<size_t>(kPhoneBookMax) + ini.Entries("PhoneBook").size());
    delete head;
    return entries;
}

// Every section the text names other than the phone book, with its entries.
using Sections = std::vector<std::pair<std::string, Entries>>;
Sections OtherSections(const platform::IniFile& ini, const std::string& text) {
    Sections sections;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const size_t open = line.find('[');
        if (open == std::string::npos || line.find_first_not_of(" \t") != open) {
            continue;
        }
        const size_t close = line.find(']', open);
        std::string name = line.substr(
            open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
        name.erase(0, name.find_first_not_of(" \t"));
        name = TrimEnd(name);
        if (strcasecmp(name.c_str(), "PhoneBook") == 0 || name.find('\0') != std::string::npos) {
            continue;
        }
        Entries entries;
        for (const std::string& key : ini.Keys(name)) {
            entries.emplace_back(key, ini.GetString(name, key, "(missing)"));
        }
        sections.emplace_back(name, std::move(entries));
    }
    return sections;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string contents(reinterpret_cast<const char*>(data), size);
    platform::IniFile ini;
    ini.ParseText(contents);

    // The text as it would be saved reads back as itself.
    const std::string rendered = ini.Text();
    platform::IniFile again;
    again.ParseText(rendered);
    FUZZ_CHECK(again.Text() == rendered);

    CHalvoricApp app;
    settings::Read(ini, "/opt/site", app);
    FUZZ_CHECK(app.m_nSerialNo >= 1 && app.m_nSerialNo <= 24);
    FUZZ_CHECK(app.m_nBaudIndex < kBaudRates.size());
    FUZZ_CHECK(app.m_nCommType <= 2);
    FUZZ_CHECK(app.m_strLogDir == "/opt/site/Log");

    const Entries sites = LoadSites(ini);
    const Sections before = OtherSections(ini, contents);

    CPhoneEntry* head = nullptr;
    phonebook::Load(ini, head);
    phonebook::Store(ini, head);
    delete head;

    FUZZ_CHECK(OtherSections(ini, contents) == before);
    const std::string saved = ini.Text();
    platform::IniFile reread;
    reread.ParseText(saved);
    FUZZ_CHECK(reread.Text() == saved);
    FUZZ_CHECK(LoadSites(reread) == sites);
    return 0;
}

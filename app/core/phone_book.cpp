#include "app/core/phone_book.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "platform/ini_file.h"
#include "platform/ini_text.h"

namespace {

const char kSection[] = "PhoneBook";
const char kCountKey[] = "Count";
const char kMissingValue[] = "1234";

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// The position a key names: its decimal text, 1 to `count` (so "7", not "07" or "+7"); 0 for
// any other key.
int SitePosition(const std::string& key, int count) {
    if (key.empty() || key.size() > 10 || key[0] == '0') {
        return 0;
    }
    int64_t position = 0;
    for (char c : key) {
        if (c < '0' || c > '9') {
            return 0;
        }
        position = position * 10 + (c - '0');
    }
    return position <= count ? static_cast<int>(position) : 0;
}

void CopyCut(char* field, size_t capacity, const std::string& text) {
    size_t length = std::min(text.size(), capacity - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

}  // namespace

CPhoneEntry::~CPhoneEntry() {
    // Delete the rest of the list one by one: a long list must not recurse once per entry.
    CPhoneEntry* rest = next;
    while (rest) {
        CPhoneEntry* after = rest->next;
        rest->next = nullptr;
        delete rest;
        rest = after;
    }
}

void CPhoneEntry::SetSiteName(const std::string& name) {
    CopyCut(siteName, sizeof siteName, name);
}

void CPhoneEntry::SetPhone(const std::string& number) {
    CopyCut(phone, sizeof phone, number);
}

namespace phonebook {

void Load(const platform::IniFile& ini, CPhoneEntry*& head) {
    // The section is read in one pass, so that a long phone book loads in time proportional to
    // its length. As for every profile read, the first of a repeated key wins and keys compare
    // without regard to case.
    const std::vector<std::pair<std::string, std::string>> entries = ini.Entries(kSection);
    int count = 0;
    for (const auto& [key, value] : entries) {
        if (LowerAscii(key) == LowerAscii(kCountKey)) {
            count = platform::ProfileInt(value);
            break;
        }
    }
    if (count <= 0) {
        return;
    }
    // The sites stored under the keys 1 to Count, by position.
    std::map<int, std::string> stored;
    for (const auto& [key, value] : entries) {
        const int position = SitePosition(key, count);
        if (position > 0) {
            stored.emplace(position, value);
        }
    }
    CPhoneEntry** tail = &head;
    while (*tail) {
        tail = &(*tail)->next;
    }
    auto append = [&tail](const std::string& value) {
        auto* entry = new CPhoneEntry;
        size_t comma = value.find(',');
        if (comma == std::string::npos) {
            entry->SetPhone(value);
        } else {
            entry->SetSiteName(value.substr(0, comma));
            entry->SetPhone(value.substr(comma + 1));
        }
        *tail = entry;
        tail = &entry->next;
    };
    // A key that is missing gives a placeholder site. A damaged Count must not make the console
    // build millions of them, so their number is capped; the sites that are there are always
    // read, however many.
    int placeholders = 0;
    int64_t next = 1;
    auto fillTo = [&](int64_t end) {
        for (; next < end && placeholders < kPhoneBookMax; ++next, ++placeholders) {
            append(kMissingValue);
        }
    };
    for (const auto& [position, value] : stored) {
        fillTo(position);
        append(value);
        next = position + 1;
    }
    fillTo(static_cast<int64_t>(count) + 1);
}

void Store(platform::IniFile& ini, const CPhoneEntry* head) {
    std::vector<std::pair<std::string, std::string>> entries;
    entries.emplace_back(kCountKey, std::to_string(Count(head)));
    int k = 1;
    for (const CPhoneEntry* e = head; e; e = e->next, ++k) {
        entries.emplace_back(std::to_string(k), std::string(e->siteName) + "," + e->phone);
    }
    ini.ReplaceSection(kSection, entries);
}

void Append(CPhoneEntry*& head, CPhoneEntry* entry) {
    if (!entry) {
        return;
    }
    CPhoneEntry** link = &head;
    while (*link) {
        link = &(*link)->next;
    }
    *link = entry;
}

bool Remove(CPhoneEntry*& head, int position) {
    if (position < 0) {
        return false;
    }
    CPhoneEntry** link = &head;
    for (int i = 0; i < position && *link; ++i) {
        link = &(*link)->next;
    }
    CPhoneEntry* entry = *link;
    if (!entry) {
        return false;
    }
    *link = entry->next;
    entry->next = nullptr;
    delete entry;
    return true;
}

CPhoneEntry* At(CPhoneEntry* head, int position) {
    if (position < 0) {
        return nullptr;
    }
    CPhoneEntry* e = head;
    for (int i = 0; i < position && e; ++i) {
        e = e->next;
    }
    return e;
}

int Count(const CPhoneEntry* head) {
    int n = 0;
    for (const CPhoneEntry* e = head; e; e = e->next) {
        ++n;
    }
    return n;
}

}  // namespace phonebook

#include "app/core/phone_book.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
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
    // The section is read in one pass and looked up by key, so that a long phone book loads in
    // time proportional to its length. As for every profile read, the first of a repeated key
    // wins and keys compare without regard to case.
    std::unordered_map<std::string, std::string> values;
    for (auto& [key, value] : ini.Entries(kSection)) {
        values.emplace(LowerAscii(key), std::move(value));
    }
    const auto countAt = values.find(LowerAscii(kCountKey));
    int count = countAt == values.end() ? 0 : platform::ProfileInt(countAt->second);
    if (count <= 0) {
        return;
    }
    // A damaged count must not make the console build millions of placeholder sites.
    count = std::min(count, kPhoneBookMax);
    CPhoneEntry** tail = &head;
    while (*tail) {
        tail = &(*tail)->next;
    }
    for (int i = 1; i <= count; ++i) {
        const auto found = values.find(std::to_string(i));
        const std::string value = found == values.end() ? kMissingValue : found->second;
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
    }
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

// The phone book: the console's list of sites (name and telephone number), stored in the ini
// section [PhoneBook] as "Count" and the keys "1".."Count", each "site name,phone".
#pragma once

#include <string>

namespace platform {
class IniFile;
}

constexpr int kSiteNameMax = 40;
constexpr int kPhoneMax = 20;
// The most placeholder sites made for keys missing from the ini file (a damaged "Count" must not
// make millions of them). Sites that are there are always read.
constexpr int kPhoneBookMax = 10000;

class CPhoneEntry {
public:
    CPhoneEntry() = default;
    virtual ~CPhoneEntry();  // deletes next, and so every entry after it
    CPhoneEntry(const CPhoneEntry&) = delete;
    CPhoneEntry& operator=(const CPhoneEntry&) = delete;

    // Copy texts in, cut to 40 and 20 characters.
    void SetSiteName(const std::string& name);
    void SetPhone(const std::string& phone);

    CPhoneEntry* next = nullptr;
    char siteName[kSiteNameMax + 1] = {};
    char phone[kPhoneMax + 1] = {};
};

// The list operations over a head pointer (the document owns the head).
namespace phonebook {
// Appends the entries stored in `ini` to the list.
void Load(const platform::IniFile& ini, CPhoneEntry*& head);
// Replaces the whole [PhoneBook] section of `ini` (in memory) by the list.
void Store(platform::IniFile& ini, const CPhoneEntry* head);
void Append(CPhoneEntry*& head, CPhoneEntry* entry);
// Unlinks and deletes the entry at the 0-based position; false when there is none.
bool Remove(CPhoneEntry*& head, int position);
CPhoneEntry* At(CPhoneEntry* head, int position);  // null past the end
int Count(const CPhoneEntry* head);
}  // namespace phonebook

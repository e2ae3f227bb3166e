// The phone book against the settings text: a long book keeps every site through a store and a
// load, and the keys are read the way every other profile read reads them.
#include <gtest/gtest.h>

#include <string>

#include "app/core/phone_book.h"
#include "platform/ini_file.h"

namespace {

std::string Describe(const CPhoneEntry* head) {
    std::string text;
    for (const CPhoneEntry* e = head; e; e = e->next) {
        text += std::string(e->siteName) + "|" + e->phone + "\n";
    }
    return text;
}

TEST(PhoneBookStore, TheLongestBookSurvivesAStoreAndALoad) {
    CPhoneEntry* book = nullptr;
    for (int i = 0; i < kPhoneBookMax; ++i) {
        auto* entry = new CPhoneEntry;
        entry->SetSiteName("Site " + std::to_string(i));
        entry->SetPhone(std::to_string(5550000 + i));
        phonebook::Append(book, entry);
    }
    platform::IniFile ini;
    ini.ParseText(
        "[CommSetup]\r\nSerialNo=2\r\n[PhoneBook]\r\nCount=1\r\n1=Old,1\r\n[Settings]\r\n");
    phonebook::Store(ini, book);
    EXPECT_EQ(ini.GetInt("CommSetup", "SerialNo", 0), 2);
    EXPECT_TRUE(ini.HasSection("Settings"));

    platform::IniFile reread;
    reread.ParseText(ini.Text());
    CPhoneEntry* loaded = nullptr;
    phonebook::Load(reread, loaded);
    EXPECT_EQ(phonebook::Count(loaded), kPhoneBookMax);
    EXPECT_EQ(Describe(loaded), Describe(book));
    delete loaded;
    delete book;
}

TEST(PhoneBookStore, KeysReadWithoutCaseAndTheFirstOfARepeatWins) {
    platform::IniFile ini;
    ini.ParseText(
        "[phonebook]\r\nCOUNT= 3 \r\n2=Second,22\r\n1=First,11\r\n1=Repeat,99\r\n"
        "[PhoneBook]\r\n3=In a later section,33\r\n");
    CPhoneEntry* loaded = nullptr;
    phonebook::Load(ini, loaded);
    // Site 3 is missing from the first section: it reads as the placeholder number.
    EXPECT_EQ(Describe(loaded), "First|11\nSecond|22\n|1234\n");
    delete loaded;
}

}  // namespace

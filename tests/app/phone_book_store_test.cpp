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

TEST(PhoneBookStore, ABookOfElevenThousandSitesSurvivesAStoreAndALoad) {
    // More sites than the cap on placeholder sites: every one that is there is read, and so
    // nothing is lost at the next save.
    constexpr int kSites = 11000;
    CPhoneEntry* book = nullptr;
    for (int i = 0; i < kSites; ++i) {
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
    EXPECT_EQ(phonebook::Count(loaded), kSites);
    EXPECT_EQ(Describe(loaded), Describe(book));
    delete loaded;

    // Stored again from what was read, the section is the same.
    const std::string text = reread.Text();
    loaded = nullptr;
    phonebook::Load(reread, loaded);
    phonebook::Store(reread, loaded);
    EXPECT_EQ(reread.Text(), text);
    EXPECT_NE(text.find("\r\n11000=Site 10999,5560999\r\n"), std::string::npos);
    delete loaded;
    delete book;
}

TEST(PhoneBookStore, OnlyPlaceholdersForMissingKeysAreCapped) {
    // A damaged Count: the sites that are there are all read, wherever they stand, and no more
    // than the cap of placeholder sites is made for the keys that are missing.
    platform::IniFile ini;
    ini.ParseText(
        "[PhoneBook]\r\nCount=2000000000\r\n1=North,1\r\n20000=Far,2\r\n"
        "1999999999=Last,3\r\n07=Not a key,4\r\n2000000001=Beyond,5\r\n");
    CPhoneEntry* loaded = nullptr;
    phonebook::Load(ini, loaded);
    EXPECT_EQ(phonebook::Count(loaded), kPhoneBookMax + 3);
    EXPECT_STREQ(loaded->siteName, "North");
    EXPECT_STREQ(phonebook::At(loaded, 1)->phone, "1234");
    EXPECT_STREQ(phonebook::At(loaded, kPhoneBookMax + 1)->siteName, "Far");
    EXPECT_STREQ(phonebook::At(loaded, kPhoneBookMax + 2)->siteName, "Last");
    delete loaded;

    // Below the cap a missing key still stands where it was.
    ini.ParseText("[PhoneBook]\r\nCount=4\r\n1=A,1\r\n3=C,3\r\n");
    loaded = nullptr;
    phonebook::Load(ini, loaded);
    EXPECT_EQ(Describe(loaded), "A|1\n|1234\nC|3\n|1234\n");
    delete loaded;
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

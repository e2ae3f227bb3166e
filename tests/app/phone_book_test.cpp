#include "app/core/phone_book.h"

#include <gtest/gtest.h>

#include <fstream>
#include <utility>
#include <vector>

#include "platform/ini_file.h"
#include "tests/support/temp_dir.h"

namespace {

using Sites = std::vector<std::pair<std::string, std::string>>;

// A phone book read from a [PhoneBook] section given as its text.
class PhoneBookFile : public testing::Test {
protected:
    std::string Path() const { return m_dir.Path() + "/Corvantis.ini"; }

    void Write(const std::string& text) {
        std::ofstream(Path(), std::ios::binary | std::ios::trunc) << text;
        ASSERT_TRUE(m_ini.Load(Path())) << m_ini.LastError();
    }

    Sites Read() {
        CPhoneEntry* head = nullptr;
        phonebook::Load(m_ini, head);
        Sites sites = Listed(head);
        delete head;
        return sites;
    }

    static Sites Listed(const CPhoneEntry* head) {
        Sites sites;
        for (const CPhoneEntry* e = head; e; e = e->next) {
            sites.emplace_back(e->siteName, e->phone);
        }
        return sites;
    }

    static CPhoneEntry* Entry(const std::string& name, const std::string& phone) {
        auto* e = new CPhoneEntry;
        e->SetSiteName(name);
        e->SetPhone(phone);
        return e;
    }

    TempDir m_dir;
    platform::IniFile m_ini;
};

}  // namespace

TEST_F(PhoneBookFile, CountMissingZeroOrNegativeGivesNoSites) {
    for (const char* text :
         {"[PhoneBook]\r\n1=North Yard,1234\r\n", "[PhoneBook]\r\nCount=0\r\n1=North Yard,1234\r\n",
          "[PhoneBook]\r\nCount=-3\r\n1=North Yard,1234\r\n", ""}) {
        Write(text);
        EXPECT_TRUE(Read().empty()) << text;
    }
}

TEST_F(PhoneBookFile, ValuesSplitAtTheFirstComma) {
    Write("[phonebook]\r\ncount=5\r\n1=North Yard,1234\r\n3=Depot\r\n4=A, B,9,11\r\n5=,#7\r\n");
    EXPECT_EQ(Read(), (Sites{{"North Yard", "1234"},
                             {"", "1234"},  // key 2 missing
                             {"", "Depot"},
                             {"A", " B,9,11"},
                             {"", "#7"}}));
}

TEST_F(PhoneBookFile, OverlongValuesAreCutToTheFields) {
    const std::string name(60, 'n');
    const std::string phone(35, '9');
    Write("[PhoneBook]\r\nCount=2\r\n1=" + name + "," + phone + "\r\n2=" + phone + "\r\n");
    Sites sites = Read();
    ASSERT_EQ(sites.size(), 2u);
    EXPECT_EQ(sites[0].first, name.substr(0, kSiteNameMax));
    EXPECT_EQ(sites[0].second, phone.substr(0, kPhoneMax));
    EXPECT_EQ(sites[1].second, phone.substr(0, kPhoneMax));
}

TEST_F(PhoneBookFile, DamagedCountIsBounded) {
    Write("[PhoneBook]\r\nCount=2000000000\r\n1=North,1\r\n");
    EXPECT_EQ(Read().size(), static_cast<size_t>(kPhoneBookMax) + 1);
}

TEST_F(PhoneBookFile, SavingKeepsTheRestOfTheFile) {
    const std::string windows =
        "; written by the operator\r\n"
        "[CommSetup]\r\nSerialNo=2\r\n\r\n"
        "[PhoneBook]\r\nCount=3\r\n1=Old,1\r\n2=Old,2\r\n3=Old,3\r\n\r\n"
        "[ListCtrls]\r\nPhoneBook=120,80\r\n";
    Write(windows);
    CPhoneEntry* head = nullptr;
    phonebook::Append(head, Entry("North, Yard", "1234"));
    phonebook::Store(m_ini, head);
    delete head;
    ASSERT_TRUE(m_ini.Save()) << m_ini.LastError();

    const std::string saved = ReadWholeFile(Path());
    EXPECT_EQ(saved.rfind("; written by the operator\r\n[CommSetup]\r\nSerialNo=2\r\n", 0), 0u)
        << saved;
    EXPECT_NE(saved.find("[ListCtrls]\r\nPhoneBook=120,80\r\n"), std::string::npos) << saved;
    // A name with a comma is stored as it is and read back split at its first comma.
    EXPECT_NE(saved.find("[PhoneBook]\r\nCount=1\r\n1=North, Yard,1234\r\n"), std::string::npos)
        << saved;
    EXPECT_EQ(saved.find("2=Old"), std::string::npos);
    ASSERT_TRUE(m_ini.Load(Path()));
    EXPECT_EQ(Read(), (Sites{{"North", " Yard,1234"}}));
}

TEST_F(PhoneBookFile, SavingAnEmptyListLeavesCountZeroOnly) {
    Write("[PhoneBook]\r\nCount=2\r\n1=A,1\r\n2=B,2\r\n");
    phonebook::Store(m_ini, nullptr);
    EXPECT_EQ(m_ini.Keys("PhoneBook"), std::vector<std::string>{"Count"});
    EXPECT_EQ(m_ini.GetInt("PhoneBook", "Count", -1), 0);
}

TEST(PhoneBookList, AppendRemoveAndFind) {
    CPhoneEntry* head = nullptr;
    EXPECT_EQ(phonebook::At(head, 0), nullptr);
    EXPECT_FALSE(phonebook::Remove(head, 0));
    for (const char* name : {"A", "B", "C", "D"}) {
        auto* e = new CPhoneEntry;
        e->SetSiteName(name);
        phonebook::Append(head, e);
    }
    ASSERT_EQ(phonebook::Count(head), 4);
    CPhoneEntry* second = phonebook::At(head, 1);
    EXPECT_TRUE(phonebook::Remove(head, 0));  // the second becomes the head
    EXPECT_EQ(head, second);
    EXPECT_TRUE(phonebook::Remove(head, 2));  // the last; the others stay
    EXPECT_FALSE(phonebook::Remove(head, 2));
    EXPECT_FALSE(phonebook::Remove(head, -1));
    ASSERT_EQ(phonebook::Count(head), 2);
    EXPECT_STREQ(phonebook::At(head, 0)->siteName, "B");
    EXPECT_STREQ(phonebook::At(head, 1)->siteName, "C");
    EXPECT_EQ(phonebook::At(head, 2), nullptr);
    delete head;
}

TEST(PhoneBookList, LongListIsDeletedWithoutDeepRecursion) {
    CPhoneEntry* head = nullptr;
    CPhoneEntry* tail = nullptr;
    for (int i = 0; i < 1000000; ++i) {
        auto* e = new CPhoneEntry;
        (tail ? tail->next : head) = e;
        tail = e;
    }
    delete head;  // would overflow the stack if each entry deleted the next recursively
}

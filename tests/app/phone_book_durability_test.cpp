// The phone book on disk survives the console being killed in the middle of saving it, and a save
// leaves the file's permissions and owner as they were.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <random>
#include <thread>

#include "app/core/document.h"
#include "platform/ini_file.h"
#include "tests/support/forked_check.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kHead = "; kept by hand\r\n[CommSetup]\r\nSerialNo=5\r\nBaudRate=19200\r\n";

// `count` sites named after `tag`.
std::vector<std::string> Book(const std::string& tag, int count) {
    std::vector<std::string> book;
    for (int i = 1; i <= count; ++i) {
        book.push_back(tag + " site " + std::to_string(i) + "," + std::to_string(5550000 + i));
    }
    return book;
}

void Fill(CHalvoricDoc& doc, const std::vector<std::string>& book) {
    while (doc.GetPhoneEntry(0)) {
        doc.RemovePhoneEntry(0);
    }
    for (const std::string& site : book) {
        auto* entry = new CPhoneEntry;
        const size_t comma = site.find(',');
        entry->SetSiteName(site.substr(0, comma));
        entry->SetPhone(site.substr(comma + 1));
        doc.AddPhoneEntry(entry);
    }
}

// The sites and the [CommSetup] line as a fresh console would read them from `path`.
std::vector<std::string> ReadBook(const std::string& path, std::string* serialNo) {
    platform::IniFile ini;
    std::vector<std::string> book;
    if (!ini.Load(path)) {
        return book;
    }
    *serialNo = ini.GetString("CommSetup", "SerialNo", "");
    CPhoneEntry* head = nullptr;
    phonebook::Load(ini, head);
    for (CPhoneEntry* e = head; e; e = e->next) {
        book.push_back(std::string(e->siteName) + "," + e->phone);
    }
    delete head;
    return book;
}

TEST(PhoneBookDurability, KilledSaveLeavesTheOldBookOrTheNewOneWhole) {
    TempDir dir;
    const std::string path = dir.Path() + "/Corvantis.ini";
    const auto bookA = Book("North", 3000);
    const auto bookB = Book("South", 2000);
    std::ofstream(path, std::ios::binary) << kHead;

    std::mt19937 random(2024);
    int torn = 0;
    int sawA = 0;
    int sawB = 0;
    for (int round = 0; round < 60; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            platform::IniFile ini;
            CHalvoricDoc doc;
            if (!ini.Load(path)) {
                _exit(3);
            }
            doc.SetProfile(&ini);
            for (;;) {
                Fill(doc, bookA);
                if (!doc.SavePhoneBook()) {
                    _exit(4);
                }
                Fill(doc, bookB);
                if (!doc.SavePhoneBook()) {
                    _exit(4);
                }
            }
        }
        // From the first finished save on, the child is killed at a random moment.
        std::string ignored;
        for (int wait = 0; wait < 1000 && ReadBook(path, &ignored).empty(); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 80000));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving console stopped by itself: " << status;

        std::string serialNo;
        const auto book = ReadBook(path, &serialNo);
        EXPECT_EQ(serialNo, "5");
        if (book == bookA) {
            ++sawA;
        } else if (book == bookB) {
            ++sawB;
        } else {
            ++torn;
        }
    }
    EXPECT_EQ(torn, 0);
    // Both books were caught on disk, so the kills did fall in the middle of the saves.
    EXPECT_GT(sawA + sawB, 0);
    std::printf("kills: 60, old or new book on disk each time (%d and %d)\n", sawA, sawB);
}

TEST(PhoneBookDurability, SaveKeepsPermissionsAndOwner) {
    TempDir dir;
    const std::string path = dir.Path() + "/Corvantis.ini";
    std::ofstream(path, std::ios::binary) << kHead;
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    const uid_t owner = RunningAsRoot() ? 65534 : before.st_uid;
    const gid_t group = RunningAsRoot() ? 65534 : before.st_gid;
    ASSERT_EQ(chown(path.c_str(), owner, group), 0);

    platform::IniFile ini;
    ASSERT_TRUE(ini.Load(path));
    CHalvoricDoc doc;
    doc.SetProfile(&ini);
    Fill(doc, Book("East", 3));
    ASSERT_TRUE(doc.SavePhoneBook()) << doc.LastSaveError();

    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino) << "saved through a new file";
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, owner);
    EXPECT_EQ(after.st_gid, group);
    std::string serialNo;
    EXPECT_EQ(ReadBook(path, &serialNo), Book("East", 3));
}

}  // namespace

// The settings file when something is wrong with it or with the disk: a file that cannot be read,
// one full of 0x00 or random bytes (as after a power loss), a last line cut short, a folder the
// console may not write in, a full disk. The console starts with what it could read, says so,
// never writes a phone book over a file it could not read (that file is kept aside first), and a
// save that fails says so and leaves both the file and the phone book in memory as they were.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <random>

#include "app/core/document.h"
#include "app/core/startup_settings.h"
#include "app/state/app_state.h"
#include "platform/ini_file.h"
#include "tests/support/forked_check.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string kGoodIni =
    "[CommSetup]\r\nSerialNo=5\r\nBaudRate=19200\r\nTelephone=#7\r\n"
    "[PhoneBook]\r\nCount=3\r\n1=North Yard,1234\r\n2=Depot,5551234\r\n3=Harbour,#9\r\n";

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool HasDamageBytes(const std::string& text) {
    for (unsigned char c : text) {
        if (c < 0x20 && c != '\r' && c != '\n' && c != '\t') {
            return true;
        }
    }
    return false;
}

// Child exit codes of the checks below: 0 all well, else the number of the failed check.
#define CHILD_CHECK(n, condition)                                               \
    do {                                                                        \
        if (!(condition)) {                                                     \
            std::fprintf(stderr, "child check %d failed: %s\n", n, #condition); \
            return n;                                                           \
        }                                                                       \
    } while (0)

class SettingsFileFaults : public testing::Test {
protected:
    void SetUp() override {
        theApp().Reset();
        m_path = m_dir.Path() + "/Corvantis.ini";
    }
    void TearDown() override {
        chmod(m_dir.Path().c_str(), 0700);
        theApp().Reset();
    }

    // The console's start-up settings step, then the document's phone book.
    bool Start(std::string* error) {
        const bool ok = LoadStartupSettings(m_ini, theApp(), error, m_dir.Path());
        m_doc.SetProfile(&m_ini);
        m_doc.LoadPhoneBook();
        return ok;
    }

    // The operator adds a site in the Phone Book dialog, which saves at once.
    bool AddSite(const std::string& name, const std::string& phone) {
        auto* entry = new CPhoneEntry;
        entry->SetSiteName(name);
        entry->SetPhone(phone);
        m_doc.AddPhoneEntry(entry);
        return m_doc.SavePhoneBook();
    }

    std::vector<std::string> Sites() const {
        std::vector<std::string> sites;
        for (int i = 0; CPhoneEntry* e = m_doc.GetPhoneEntry(i); ++i) {
            sites.push_back(std::string(e->siteName) + "," + e->phone);
        }
        return sites;
    }

    TempDir m_dir;
    std::string m_path;
    platform::IniFile m_ini;
    CHalvoricDoc m_doc;
};

TEST_F(SettingsFileFaults, FolderInPlaceOfTheFileIsToldAndKeptAsideBeforeTheFirstSave) {
    std::filesystem::create_directory(m_path);
    WriteBytes(m_path + "/inside", "kept");
    std::string error;
    EXPECT_FALSE(Start(&error));
    EXPECT_NE(error.find("Cannot read the settings file"), std::string::npos) << error;
    EXPECT_EQ(theApp().m_nSerialNo, 1);
    EXPECT_TRUE(Sites().empty());

    ASSERT_TRUE(AddSite("New Site", "99")) << m_doc.LastSaveError();
    const std::string aside = m_ini.KeptAsidePath();
    EXPECT_EQ(aside.rfind(m_path + ".unreadable-", 0), 0u) << aside;
    EXPECT_EQ(ReadWholeFile(aside + "/inside"), "kept");
    EXPECT_EQ(ReadWholeFile(m_path), "[PhoneBook]\r\nCount=1\r\n1=New Site,99\r\n");
}

TEST_F(SettingsFileFaults, FileWithoutReadPermissionIsKeptAsideWhole) {
    WriteBytes(m_path, kGoodIni);
    ASSERT_EQ(chmod(m_path.c_str(), 0), 0);
    ASSERT_EQ(chmod(m_dir.Path().c_str(), 0777), 0);
    // Root reads any file: the console runs as a plain user here.
    const int result = RunInChild(
        [this] {
            std::string error;
            CHILD_CHECK(1, !Start(&error));
            CHILD_CHECK(2, error.find("Permission denied") != std::string::npos);
            CHILD_CHECK(3, Sites().empty());
            CHILD_CHECK(4, AddSite("New Site", "99"));
            CHILD_CHECK(5, !m_ini.KeptAsidePath().empty());
            return 0;
        },
        true);
    ASSERT_EQ(result, 0);
    std::vector<std::string> aside;
    for (const std::string& name : TempDir::FileNames(m_dir.Path())) {
        if (name.rfind("Corvantis.ini.unreadable-", 0) == 0) {
            aside.push_back(name);
        }
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadWholeFile(m_dir.Path() + "/" + aside[0]), kGoodIni);
    EXPECT_EQ(ReadWholeFile(m_path), "[PhoneBook]\r\nCount=1\r\n1=New Site,99\r\n");
}

struct Damage {
    const char* name;
    std::string bytes;
    // What the console could still read from it.
    int serialNo;
    size_t sites;
};

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

class DamagedFile : public SettingsFileFaults, public testing::WithParamInterface<Damage> {};

TEST_P(DamagedFile, IsReadAsFarAsItGoesToldOnceAndKeptAsideBeforeTheFirstSave) {
    const Damage& damage = GetParam();
    WriteBytes(m_path, damage.bytes);
    std::string error;
    EXPECT_FALSE(Start(&error));
    EXPECT_NE(error.find("damaged"), std::string::npos) << error;
    EXPECT_EQ(theApp().m_nSerialNo, damage.serialNo);
    EXPECT_EQ(Sites().size(), damage.sites);

    const std::vector<std::string> before = Sites();
    ASSERT_TRUE(AddSite("New Site", "99")) << m_doc.LastSaveError();
    EXPECT_EQ(ReadWholeFile(m_ini.KeptAsidePath()), damage.bytes);
    const std::string saved = ReadWholeFile(m_path);
    EXPECT_FALSE(HasDamageBytes(saved));

    // Read back, the new file holds what could be read and the new site.
    platform::IniFile again;
    ASSERT_TRUE(again.Load(m_path));
    EXPECT_FALSE(again.Damaged());
    CPhoneEntry* sites = nullptr;
    phonebook::Load(again, sites);
    EXPECT_EQ(phonebook::Count(sites), static_cast<int>(before.size()) + 1);
    delete sites;
    // The next save replaces the console's own file: nothing more is kept aside.
    ASSERT_TRUE(AddSite("Another", "1"));
    EXPECT_TRUE(m_ini.KeptAsidePath().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Settings, DamagedFile,
    testing::Values(Damage{"AllNul", std::string(4096, '\0'), 1, 0},
                    Damage{"RandomBytes", RandomBytes(8192, 7), 1, 0},
                    // The tail of the file became zeros: the sites before it are still there.
                    Damage{"NulTail",
                           kGoodIni.substr(0, kGoodIni.find("3=Harbour")) + std::string(600, '\0'),
                           5, 3},
                    Damage{"NoiseInOneLine",
                           std::string(kGoodIni).replace(kGoodIni.find("Depot"), 5, "D\x01p\x02t"),
                           5, 3}),
    [](const testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

TEST_F(SettingsFileFaults, LastLineCutShortIsReadAsItStands) {
    const std::string cut = kGoodIni.substr(0, kGoodIni.size() - 4);  // "3=Harbour,#" cut
    WriteBytes(m_path, cut);
    std::string error;
    EXPECT_TRUE(Start(&error)) << error;
    EXPECT_FALSE(m_ini.Damaged());
    ASSERT_EQ(Sites().size(), 3u);
    EXPECT_EQ(Sites()[0], "North Yard,1234");
    EXPECT_EQ(Sites()[1], "Depot,5551234");
    EXPECT_EQ(Sites()[2], "Harbour,");

    ASSERT_TRUE(AddSite("New Site", "99"));
    EXPECT_TRUE(m_ini.KeptAsidePath().empty());
    const std::string saved = ReadWholeFile(m_path);
    EXPECT_NE(saved.find("1=North Yard,1234\r\n2=Depot,5551234\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("SerialNo=5\r\n"), std::string::npos) << saved;
}

// A save that cannot be made: the file stays as it was, the phone book in memory keeps the
// operator's change, and the reason is there to show.
class FailingSave : public SettingsFileFaults {
protected:
    void SetUp() override {
        SettingsFileFaults::SetUp();
        WriteBytes(m_path, kGoodIni);
        ASSERT_EQ(chmod(m_path.c_str(), 0644), 0);
    }
    // Runs in the child: starts, adds a site, and expects the save to fail with `reason`.
    int SaveFails(const std::string& reason) {
        std::string error;
        CHILD_CHECK(1, Start(&error));
        CHILD_CHECK(2, Sites().size() == 3);
        CHILD_CHECK(3, !AddSite("New Site", "99"));
        std::fprintf(stderr, "save error: %s\n", m_doc.LastSaveError().c_str());
        CHILD_CHECK(4, m_doc.LastSaveError().find(reason) != std::string::npos);
        CHILD_CHECK(5, Sites().size() == 4 && Sites()[3] == "New Site,99");
        // The operator removes it again: still in memory as left.
        m_doc.RemovePhoneEntry(0);
        CHILD_CHECK(6, !m_doc.SavePhoneBook());
        CHILD_CHECK(7, Sites().size() == 3 && Sites()[0] == "Depot,5551234");
        return 0;
    }
    void ExpectFileUntouched() {
        EXPECT_EQ(ReadWholeFile(m_path), kGoodIni);
        EXPECT_EQ(TempDir::FileNames(m_dir.Path()), std::vector<std::string>{"Corvantis.ini"});
    }
};

TEST_F(FailingSave, ReadOnlyFolder) {
    // The file itself is the user's to write (the child runs as "nobody" when this test runs as
    // root); only the folder is not.
    if (RunningAsRoot()) {
        ASSERT_EQ(chown(m_path.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(chmod(m_dir.Path().c_str(), 0555), 0);
    EXPECT_EQ(RunInChild([this] { return SaveFails("cannot create a temporary file"); }, true), 0);
    chmod(m_dir.Path().c_str(), 0700);
    ExpectFileUntouched();
}

TEST_F(FailingSave, FullDisk) {
    // The disk takes no more than 64 bytes of any file.
    const int result = RunInChild([this] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        CHILD_CHECK(20, setrlimit(RLIMIT_FSIZE, &limit) == 0);
        return SaveFails("File too large");
    });
    EXPECT_EQ(result, 0);
    ExpectFileUntouched();
}

}  // namespace

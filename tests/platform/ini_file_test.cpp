#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "tests/support/temp_dir.h"

using platform::IniFile;

namespace {

std::string In(const TempDir& dir, const std::string& name) {
    return dir.Path() + "/" + name;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// As the Windows console leaves it: CRLF, keys in any case, a comment, a section we do not know.
const char kWindowsIni[] =
    "; Corvantis settings\r\n"
    "[commsetup]\r\n"
    "SERIALNO=3\r\n"
    "baudrate = 19200 \r\n"
    "Telephone=#7\r\n"
    "\r\n"
    "[Vendor Tools]\r\n"
    "Colour=Blue\r\n"
    "\r\n"
    "[SETTINGS]\r\n"
    "DebugLog=1\r\n";

void LoadText(IniFile& ini, const TempDir& dir, const std::string& text) {
    const std::string path = In(dir, "Corvantis.ini");
    WriteFile(path, text);
    EXPECT_TRUE(ini.Load(path)) << ini.LastError();
}

}  // namespace

TEST(IniFileRead, WindowsWrittenFileIsReadAsItStands) {
    TempDir dir;
    IniFile ini;
    WriteFile(In(dir, "a.ini"), kWindowsIni);
    ASSERT_TRUE(ini.Load(In(dir, "a.ini")));
    EXPECT_EQ(ini.GetInt("CommSetup", "SerialNo", 1), 3);
    EXPECT_EQ(ini.GetInt("commSETUP", "BaudRate", 9600), 19200);
    EXPECT_EQ(ini.GetString("CommSetup", "Telephone", ""), "#7");
    EXPECT_EQ(ini.GetString("vendor tools", "colour", ""), "Blue");
    EXPECT_EQ(ini.GetInt("Settings", "DebugLog", 0), 1);
    EXPECT_FALSE(ini.HasKey("CommSetup", "Colour"));
    EXPECT_EQ(ini.Keys("CommSetup"),
              (std::vector<std::string>{"SERIALNO", "baudrate", "Telephone"}));
    // Untouched, it is written back byte for byte.
    EXPECT_EQ(ini.Text(), kWindowsIni);
}

TEST(IniFileRead, LineEndsOfEveryKind) {
    TempDir dir;
    IniFile ini;
    WriteFile(In(dir, "a.ini"), "[A]\nx=1\r\ny=2\rz=3");
    ASSERT_TRUE(ini.Load(In(dir, "a.ini")));
    EXPECT_EQ(ini.GetInt("A", "x", 0), 1);
    EXPECT_EQ(ini.GetInt("A", "y", 0), 2);
    EXPECT_EQ(ini.GetInt("A", "z", 0), 3);
    EXPECT_EQ(ini.Text(), "[A]\r\nx=1\r\ny=2\r\nz=3\r\n");
}

TEST(IniFileRead, FirstOfRepeatedNamesWinsAndCommentsAreNotEntries) {
    TempDir dir;
    IniFile ini;
    LoadText(ini, dir, "[S]\r\n;k=comment\r\nk=first\r\nK=second\r\n[s]\r\nk=third\r\n");
    EXPECT_EQ(ini.GetString("S", "k", ""), "first");
    EXPECT_EQ(ini.Keys("S"), std::vector<std::string>{"k"});
}

TEST(IniFileRead, IntegersAsProfileIntReadsThem) {
    TempDir dir;
    IniFile ini;
    LoadText(ini, dir,
             "[N]\r\nplain=42\r\nlead= 7\r\ntail=12abc\r\nneg=-5\r\nplus=+8\r\n"
             "word=abc\r\nempty=\r\nwrap=4294967297\r\nlow=257\r\n");
    EXPECT_EQ(ini.GetInt("N", "plain", -1), 42);
    EXPECT_EQ(ini.GetInt("N", "lead", -1), 7);
    EXPECT_EQ(ini.GetInt("N", "tail", -1), 12);
    EXPECT_EQ(ini.GetInt("N", "neg", -1), -5);
    EXPECT_EQ(ini.GetInt("N", "plus", -1), 8);
    EXPECT_EQ(ini.GetInt("N", "word", -1), 0);
    EXPECT_EQ(ini.GetInt("N", "empty", -1), 0);
    EXPECT_EQ(ini.GetInt("N", "wrap", -1), 1);
    EXPECT_EQ(ini.GetInt("N", "low", -1), 257);
    EXPECT_EQ(ini.GetInt("N", "missing", -1), -1);
    EXPECT_EQ(ini.GetInt("Nowhere", "plain", 9), 9);
}

TEST(IniFileRead, OnePairOfEnclosingQuotesIsNotPartOfTheValue) {
    // As Windows tools write values; the profile reader drops the quotes.
    TempDir dir;
    IniFile ini;
    LoadText(ini, dir,
             "[Q]\r\nTelephone=\"5551234\"\r\n3 = \"Depot,#7\" \r\nsingle='x y'\r\n"
             "twice=\"\"in\"\"\r\nmixed=\"a'\r\nlone=\"\r\nempty=\"\"\r\ninside=a\"b\"c\r\n"
             "half=\"a\" b\r\nrate=\"19200\"\r\n");
    EXPECT_EQ(ini.GetString("Q", "Telephone", ""), "5551234");
    EXPECT_EQ(ini.GetString("Q", "3", ""), "Depot,#7");
    EXPECT_EQ(ini.Entries("Q")[1].second, "Depot,#7");
    EXPECT_EQ(ini.GetString("Q", "single", ""), "x y");
    EXPECT_EQ(ini.GetString("Q", "twice", ""), "\"in\"");
    EXPECT_EQ(ini.GetString("Q", "mixed", ""), "\"a'");
    EXPECT_EQ(ini.GetString("Q", "lone", ""), "\"");
    EXPECT_EQ(ini.GetString("Q", "empty", "x"), "");
    EXPECT_EQ(ini.GetString("Q", "inside", ""), "a\"b\"c");
    EXPECT_EQ(ini.GetString("Q", "half", ""), "\"a\" b");
    EXPECT_EQ(ini.GetInt("Q", "rate", 0), 19200);

    // A value that begins and ends with a quote of its own is written so that it reads back
    // whole, here and by the Windows reader.
    ini.SetString("Q", "Telephone", "\"5551234\"");
    ini.ReplaceSection("R", {{"1", "'North Yard,7'"}, {"2", "plain"}});
    const std::string text = ini.Text();
    EXPECT_NE(text.find("\r\nTelephone=\"\"5551234\"\"\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n1=''North Yard,7''\r\n2=plain\r\n"), std::string::npos) << text;
    IniFile again;
    again.ParseText(text);
    EXPECT_EQ(again.GetString("Q", "Telephone", ""), "\"5551234\"");
    EXPECT_EQ(again.GetString("R", "1", ""), "'North Yard,7'");
}

TEST(IniFileRead, MissingFileIsEmptyButUnreadableFileIsAnError) {
    TempDir dir;
    IniFile missing;
    EXPECT_TRUE(missing.Load(In(dir, "none.ini")));
    EXPECT_FALSE(missing.HasSection("CommSetup"));

    // A folder where the file should be: it exists and cannot be read as a file.
    std::filesystem::create_directory(In(dir, "bad.ini"));
    IniFile bad;
    EXPECT_FALSE(bad.Load(In(dir, "bad.ini")));
    EXPECT_FALSE(bad.LastError().empty());
    // Settings we could not read are never replaced by a save: they are kept aside first.
    bad.SetInt("CommSetup", "SerialNo", 2);
    ASSERT_TRUE(bad.Save()) << bad.LastError();
    EXPECT_EQ(bad.KeptAsidePath().rfind(In(dir, "bad.ini.unreadable-"), 0), 0u)
        << bad.KeptAsidePath();
    EXPECT_TRUE(std::filesystem::is_directory(bad.KeptAsidePath()));
    EXPECT_EQ(ReadWholeFile(In(dir, "bad.ini")), "[CommSetup]\r\nSerialNo=2\r\n");
    // Once saved, the file is the console's own again.
    ASSERT_TRUE(bad.Save());
    EXPECT_TRUE(bad.KeptAsidePath().empty());
}

TEST(IniFileEdit, ChangesKeepEverythingElseInPlace) {
    TempDir dir;
    IniFile ini;
    LoadText(ini, dir, kWindowsIni);
    ini.SetInt("CommSetup", "serialno", 5);          // existing key: its spelling stays
    ini.SetString("COMMSETUP", "Device", "/dev/x");  // new key: at the end of its section
    ini.SetString("PhoneBook", "Count", "0");        // new section: at the end of the file
    ini.DeleteKey("Settings", "DEBUGLOG");
    EXPECT_EQ(ini.Text(),
              "; Corvantis settings\r\n"
              "[commsetup]\r\n"
              "SERIALNO=5\r\n"
              "baudrate = 19200 \r\n"
              "Telephone=#7\r\n"
              "Device=/dev/x\r\n"
              "\r\n"
              "[Vendor Tools]\r\n"
              "Colour=Blue\r\n"
              "\r\n"
              "[SETTINGS]\r\n"
              "[PhoneBook]\r\n"
              "Count=0\r\n");
}

TEST(IniFileEdit, DeleteSectionRemovesEveryCopy) {
    TempDir dir;
    IniFile ini;
    LoadText(ini, dir, "[P]\r\n1=a\r\n[Q]\r\nq=1\r\n[p]\r\n2=b\r\n");
    ini.DeleteSection("P");
    EXPECT_FALSE(ini.HasSection("P"));
    ini.SetString("P", "3", "c");
    EXPECT_EQ(ini.Keys("P"), std::vector<std::string>{"3"});
    EXPECT_EQ(ini.GetInt("Q", "q", 0), 1);
}

TEST(IniFileEdit, ValuesCannotMakeLinesOfTheirOwn) {
    TempDir dir;
    IniFile ini;
    ASSERT_TRUE(ini.Load(In(dir, "a.ini")));
    ini.SetString("S", "k", "a\r\n[Evil]\r\nx=1");
    ini.SetString("S", "key=2", "v");
    ASSERT_TRUE(ini.Save()) << ini.LastError();
    IniFile back;
    ASSERT_TRUE(back.Load(In(dir, "a.ini")));
    EXPECT_FALSE(back.HasSection("Evil"));
    EXPECT_EQ(back.Keys("S").size(), 2u);
}

TEST(IniFileSave, WritesCrlfAndKeepsEightBitBytes) {
    TempDir dir;
    IniFile ini;
    ASSERT_TRUE(ini.Load(In(dir, "a.ini")));
    const std::string name = "Caf\xE9 \xFF\x80,#7";
    ini.SetString("PhoneBook", "1", name);
    ASSERT_TRUE(ini.Save()) << ini.LastError();
    EXPECT_EQ(ReadWholeFile(In(dir, "a.ini")), "[PhoneBook]\r\n1=" + name + "\r\n");
    IniFile back;
    ASSERT_TRUE(back.Load(In(dir, "a.ini")));
    EXPECT_EQ(back.GetString("phonebook", "1", ""), name);
}

TEST(IniFileSave, KeepsPermissionsAndLinks) {
    TempDir dir;
    const std::string real = In(dir, "real.ini");
    const std::string link = In(dir, "Corvantis.ini");
    WriteFile(real, "[A]\r\nx=1\r\n");
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);

    IniFile ini;
    ASSERT_TRUE(ini.Load(link));
    ini.SetInt("A", "x", 2);
    ASSERT_TRUE(ini.Save()) << ini.LastError();

    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadWholeFile(real), "[A]\r\nx=2\r\n");
    struct stat st {};
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // No temporary file is left behind.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 2);
}

TEST(IniFileSave, UpdateChangesOnlyItsKeysOfTheFileAsItIsNow) {
    TempDir dir;
    IniFile ini;
    LoadText(ini, dir, "[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
    // Changed on disk meanwhile: a key added, one changed, one removed.
    WriteFile(In(dir, "Corvantis.ini"), "[A]\r\nx=3\r\nnew=4\r\n[C]\r\nz=5\r\n");
    ASSERT_TRUE(ini.Update([](IniFile& file) { file.SetInt("B", "y", 6); }));
    EXPECT_EQ(ReadWholeFile(In(dir, "Corvantis.ini")),
              "[A]\r\nx=3\r\nnew=4\r\n[C]\r\nz=5\r\n[B]\r\ny=6\r\n");
    EXPECT_EQ(ini.GetInt("A", "x", 0), 3);

    // Removed by hand: the change is all the file then holds.
    std::filesystem::remove(In(dir, "Corvantis.ini"));
    ASSERT_TRUE(ini.Update([](IniFile& file) { file.SetInt("B", "y", 7); }));
    EXPECT_EQ(ReadWholeFile(In(dir, "Corvantis.ini")), "[B]\r\ny=7\r\n");

    // Damaged meanwhile: what cannot be read is kept aside, the rest is kept.
    WriteFile(In(dir, "Corvantis.ini"), std::string("[B]\r\ny=7\r\nbad=\0\r\n[D]\r\nw=1\r\n", 27));
    ASSERT_TRUE(ini.Update([](IniFile& file) { file.SetInt("B", "y", 8); }));
    EXPECT_EQ(ReadWholeFile(In(dir, "Corvantis.ini")), "[B]\r\ny=8\r\n[D]\r\nw=1\r\n");
    EXPECT_EQ(ini.KeptAsidePath().rfind(In(dir, "Corvantis.ini.damaged-"), 0), 0u);
}

TEST(IniFileSave, ReadOnlyFileIsNeverReplaced) {
    TempDir dir;
    IniFile ini;
    const std::string text = "[A]\r\nx=1\r\n";
    LoadText(ini, dir, text);
    const std::string path = In(dir, "Corvantis.ini");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ini.SetInt("A", "x", 2);
    EXPECT_FALSE(ini.Save());
    EXPECT_TRUE(ini.RefusedReadOnly());
    EXPECT_EQ(ini.LastError(), "the settings file " + path + " is read-only");
    EXPECT_FALSE(ini.Update([](IniFile& file) { file.SetInt("A", "y", 3); }));
    EXPECT_EQ(ReadWholeFile(path), text);
    EXPECT_EQ(TempDir::FileNames(dir.Path()), std::vector<std::string>{"Corvantis.ini"});
    // The change stays in memory.
    EXPECT_EQ(ini.GetInt("A", "y", 0), 3);

    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    EXPECT_TRUE(ini.Save());
    EXPECT_FALSE(ini.RefusedReadOnly());
    EXPECT_EQ(ReadWholeFile(path), "[A]\r\nx=1\r\ny=3\r\n");
}

TEST(IniFileSave, FailureIsReported) {
    TempDir dir;
    IniFile ini;
    ASSERT_TRUE(ini.Load(In(dir, "no-such-folder/Corvantis.ini")));
    ini.SetInt("A", "x", 1);
    EXPECT_FALSE(ini.Save());
    EXPECT_NE(ini.LastError().find("no-such-folder"), std::string::npos) << ini.LastError();
}

// A process saving in a loop is killed at random moments; whatever moment it dies, the file holds
// the old text or the new one, whole.
TEST(IniFileSave, KilledSaveNeverTearsTheFile) {
    TempDir dir;
    const std::string path = In(dir, "Corvantis.ini");
    std::string textA;
    for (int i = 1; i <= 20000; ++i) {
        textA += std::to_string(i) + "=" + std::string(60, 'a') + ",1234\r\n";
    }
    textA = "[PhoneBook]\r\n" + textA;
    WriteFile(path, textA);
    IniFile a;
    IniFile b;
    ASSERT_TRUE(a.Load(path));
    ASSERT_TRUE(b.Load(path));
    b.SetString("PhoneBook", "20000", "changed");
    const std::string textB = b.Text();
    ASSERT_EQ(a.Text(), textA);

    std::mt19937 random(12345);
    int torn = 0;
    for (int round = 0; round < 100; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                if (!b.Save() || !a.Save()) {
                    _exit(4);
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving process stopped by itself: " << status;
        const std::string now = ReadWholeFile(path);
        if (now != textA && now != textB) {
            ++torn;
        }
    }
    EXPECT_EQ(torn, 0);
}

// Whole-section reading and replacing, and the end-of-file mark: what the phone book store relies
// on, and texts that must read back as they were saved.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/ini_file.h"
#include "platform/ini_text.h"
#include "tests/support/temp_dir.h"

using platform::IniFile;
using platform::IniText;
using Entries = std::vector<std::pair<std::string, std::string>>;

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A file with the section repeated, out of place, between comments and blank lines.
const char kMessy[] =
    "; settings\r\n"
    "[PhoneBook]\r\n"
    "Count=2\r\n"
    "1=Old,1\r\n"
    "\r\n"
    "[Settings]\r\n"
    "DebugLog=1\r\n"
    "[phonebook]\r\n"
    "2=Stray,2\r\n"
    "; end\r\n";

TEST(IniSections, ReplaceSectionWritesWhatDeleteAndSetWouldWrite) {
    const Entries entries = {{"Count", "3"},
                             {"1", "North Plant,5551234"},
                             {" 2 ", "line\r\nbreak"},
                             {"", "skipped: no key"},
                             {"a=b", "equals in a key"}};
    IniText bulk;
    bulk.Parse(kMessy);
    bulk.ReplaceSection("PhoneBook", entries);

    IniText oneByOne;
    oneByOne.Parse(kMessy);
    oneByOne.DeleteSection("PhoneBook");
    for (const auto& [key, value] : entries) {
        oneByOne.Set("PhoneBook", key, value);
    }
    EXPECT_EQ(bulk.Render(), oneByOne.Render());
    EXPECT_EQ(bulk.Render().find("Stray"), std::string::npos);
    EXPECT_NE(bulk.Render().find("[Settings]\r\nDebugLog=1\r\n"), std::string::npos);

    // Nothing to write leaves no empty section behind.
    IniText empty;
    empty.Parse(kMessy);
    empty.ReplaceSection("PhoneBook", {});
    EXPECT_FALSE(empty.HasSection("PhoneBook"));
}

TEST(IniSections, EntriesListTheFirstSectionInOrderWithRepeats) {
    IniText text;
    text.Parse(
        "[A]\r\nx=1\r\n; note\r\nX = 2\r\nnot an entry\r\ny=3\r\n[B]\r\nz=4\r\n[a]\r\nw=5\r\n");
    EXPECT_EQ(text.Entries("a"), (Entries{{"x", "1"}, {"X", "2"}, {"y", "3"}}));
    EXPECT_TRUE(text.Entries("Missing").empty());
}

TEST(IniSections, EndOfFileMarkIsNotSavedIntoTheLastLine) {
    TempDir dir;
    const std::string path = dir.Path() + "/Corvantis.ini";
    WriteFile(path, "[Settings]\r\nDebugLog=1\x1A");
    IniFile ini;
    ASSERT_TRUE(ini.Load(path));
    EXPECT_FALSE(ini.Damaged());
    EXPECT_EQ(ini.GetString("Settings", "DebugLog", ""), "1");
    ini.SetInt("Settings", "WriteLog", 1);
    ASSERT_TRUE(ini.Save()) << ini.LastError();

    IniFile again;
    ASSERT_TRUE(again.Load(path));
    EXPECT_FALSE(again.Damaged());
    EXPECT_EQ(again.GetInt("Settings", "DebugLog", 0), 1);
    EXPECT_EQ(again.GetInt("Settings", "WriteLog", 0), 1);

    // Read from memory, the same text reads the same way.
    IniFile inMemory;
    inMemory.ParseText("[Settings]\r\nDebugLog=1\x1A");
    EXPECT_EQ(inMemory.Text(), "[Settings]\r\nDebugLog=1\r\n");
    EXPECT_FALSE(inMemory.Damaged());
}

}  // namespace

// The console started on a settings file it cannot read, or one damaged by a power loss: the
// window comes up, the operator is told once, and the first phone-book save keeps the old file
// aside instead of writing over it.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/core/document.h"
#include "app/main_frame.h"
#include "platform/ini_file.h"
#include "tests/support/gui/console_harness.h"

namespace {

struct BadFile {
    const char* name;
    bool folder;        // a folder where the file should be
    std::string bytes;  // else the file's bytes
    const char* told;   // what the message says
    const char* kept;   // the name it is kept under
};

class SettingsFileStartup : public testing::TestWithParam<BadFile> {};

TEST_P(SettingsFileStartup, ConsoleStartsTellsOnceAndKeepsTheFileAside) {
    const BadFile& bad = GetParam();
    ConsoleHarness console;
    const std::string path = console.Dir() + "/Corvantis.ini";
    if (bad.folder) {
        std::filesystem::create_directory(path);
    } else {
        WriteFile(path, bad.bytes);
    }
    ASSERT_TRUE(console.Start());
    EXPECT_TRUE(console.Frame()->isVisible());
    ASSERT_EQ(console.Prompts().Texts().size(), 1u);
    EXPECT_NE(console.Prompts().Last().find(bad.told), std::string::npos)
        << console.Prompts().Last();

    CHalvoricDoc* doc = console.Document();
    auto* entry = new CPhoneEntry;
    entry->SetSiteName("Depot");
    entry->SetPhone("#7");
    doc->AddPhoneEntry(entry);
    ASSERT_TRUE(doc->SavePhoneBook()) << doc->LastSaveError();
    const std::string aside = console.Console().Profile().KeptAsidePath();
    EXPECT_EQ(aside.rfind(path + "." + bad.kept + "-", 0), 0u) << aside;
    EXPECT_TRUE(std::filesystem::exists(aside));
    EXPECT_EQ(ReadWholeFile(path), "[PhoneBook]\r\nCount=1\r\n1=Depot,#7\r\n");
    EXPECT_EQ(console.Prompts().Texts().size(), 1u) << "told once";
}

INSTANTIATE_TEST_SUITE_P(
    Startup, SettingsFileStartup,
    testing::Values(BadFile{"Folder", true, "", "Cannot read the settings file", "unreadable"},
                    BadFile{"Zeros", false, std::string(2048, '\0'), "is damaged", "damaged"}),
    [](const testing::TestParamInfo<BadFile>& info) { return std::string(info.param.name); });

}  // namespace

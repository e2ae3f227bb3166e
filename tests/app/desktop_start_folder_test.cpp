// Where the console keeps its settings and logs when the desktop starts it: its own folder under
// the XDG data home, made with its Log folder on first start, unless the home folder already
// holds a Corvantis.ini, which is then used where it stands.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "app/core/desktop_start_folder.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(DesktopStartFolder, FirstStartMakesTheFolderAndItsLogFolderThenReusesThem) {
    TempDir home;
    const std::string own = home.Path() + "/.local/share/Corvantis";

    const DesktopStartFolder first = PrepareDesktopStartFolder({home.Path() + "//", ""});
    EXPECT_EQ(first.folder, own);
    EXPECT_TRUE(first.created);
    EXPECT_EQ(first.problem, "");
    EXPECT_TRUE(fs::is_directory(own + "/Log"));
    // Created folders are the user's alone, as the XDG base directories are.
    EXPECT_EQ(ModeOf(own), 0700u);
    EXPECT_EQ(ModeOf(own + "/Log"), 0700u);
    EXPECT_EQ(TempDir::FileNames(home.Path()), std::vector<std::string>{".local"})
        << "nothing else lands in the home folder";

    WriteFile(own + "/Corvantis.ini", "[Settings]\r\nDebugLog=1\r\n");
    fs::remove(own + "/Log");  // an operator tidying up: the next start makes it again
    const DesktopStartFolder again = PrepareDesktopStartFolder({home.Path(), ""});
    EXPECT_EQ(again.folder, own);
    EXPECT_FALSE(again.created);
    EXPECT_TRUE(fs::is_directory(own + "/Log"));
    EXPECT_EQ(ReadWholeFile(own + "/Corvantis.ini"), "[Settings]\r\nDebugLog=1\r\n");
}

TEST(DesktopStartFolder, FollowsAnAbsoluteXdgDataHomeAndIgnoresARelativeOne) {
    TempDir home;
    TempDir data;
    const DesktopStartFolder chosen = PrepareDesktopStartFolder({home.Path(), data.Path() + "/"});
    EXPECT_EQ(chosen.folder, data.Path() + "/Corvantis");
    EXPECT_TRUE(fs::is_directory(data.Path() + "/Corvantis/Log"));
    EXPECT_TRUE(TempDir::FileNames(home.Path()).empty());

    const DesktopStartFolder relative = PrepareDesktopStartFolder({home.Path(), "share"});
    EXPECT_EQ(relative.folder, home.Path() + "/.local/share/Corvantis");
    EXPECT_FALSE(fs::exists("share/Corvantis"));
}

TEST(DesktopStartFolder, ASettingsFileInTheHomeFolderIsUsedWhereItStands) {
    TempDir home;
    TempDir data;
    WriteFile(home.Path() + "/Corvantis.ini", "[PhoneBook]\r\nCount=1\r\n1=Depot,#7\r\n");
    const DesktopStartFolder chosen = PrepareDesktopStartFolder({home.Path(), data.Path()});
    EXPECT_EQ(chosen.folder, home.Path());
    EXPECT_FALSE(chosen.created);
    EXPECT_EQ(chosen.problem, "");
    // The operator's arrangement is left as it is: no Log folder made there, no own folder.
    EXPECT_EQ(TempDir::FileNames(home.Path()), std::vector<std::string>{"Corvantis.ini"});
    EXPECT_TRUE(TempDir::FileNames(data.Path()).empty());
}

TEST(DesktopStartFolder, SaysWhatCouldNotBeMadeAndNeverFallsBackToHome) {
    TempDir home;
    TempDir data;
    WriteFile(data.Path() + "/Corvantis", "not a folder");
    const DesktopStartFolder blocked = PrepareDesktopStartFolder({home.Path(), data.Path()});
    EXPECT_EQ(blocked.folder, data.Path() + "/Corvantis");
    EXPECT_NE(blocked.problem.find("Cannot create the folder " + data.Path() + "/Corvantis"),
              std::string::npos)
        << blocked.problem;
    EXPECT_NE(blocked.problem.find("no log is written"), std::string::npos) << blocked.problem;
    EXPECT_TRUE(TempDir::FileNames(home.Path()).empty());

    const DesktopStartFolder homeless = PrepareDesktopStartFolder({"", data.Path()});
    EXPECT_EQ(homeless.folder, "") << "the current directory";
    EXPECT_NE(homeless.problem.find("Cannot tell the home folder"), std::string::npos);
}

}  // namespace

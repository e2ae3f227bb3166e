#include "app/core/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/core/phone_book.h"
#include "app/core/startup_settings.h"
#include "app/state/app_state.h"
#include "platform/ini_file.h"
#include "tests/support/temp_dir.h"

namespace {

class StartupSettings : public testing::Test {
protected:
    void SetUp() override { theApp().Reset(); }
    void TearDown() override {
        theApp().CloseDebugLog();
        theApp().Reset();
    }

    std::string IniPath() const { return m_dir.Path() + "/Corvantis.ini"; }

    // Writes the ini text and runs the start-up settings step on the folder.
    bool Start(const std::string& text, std::string* error = nullptr) {
        std::ofstream(IniPath(), std::ios::binary | std::ios::trunc) << text;
        return LoadStartupSettings(m_ini, theApp(), error, m_dir.Path());
    }

    TempDir m_dir;
    platform::IniFile m_ini;
};

}  // namespace

TEST(SettingsRules, SerialNumberKeepsLowEightBitsWithinOneToTwentyFour) {
    EXPECT_EQ(settings::SerialNoFromProfile(0), 1);
    EXPECT_EQ(settings::SerialNoFromProfile(1), 1);
    EXPECT_EQ(settings::SerialNoFromProfile(24), 24);
    EXPECT_EQ(settings::SerialNoFromProfile(25), 1);
    EXPECT_EQ(settings::SerialNoFromProfile(257), 1);  // low 8 bits: 1
    EXPECT_EQ(settings::SerialNoFromProfile(261), 5);  // low 8 bits: 5
    EXPECT_EQ(settings::SerialNoFromProfile(-1), 1);   // 255
}

TEST(SettingsRules, BaudRateMustBeInTheTable) {
    EXPECT_EQ(settings::BaudIndexOf(19200), 8);
    EXPECT_EQ(settings::BaudIndexOf(19201), 6);
    EXPECT_EQ(settings::BaudIndexOf(110), 0);
    EXPECT_EQ(settings::BaudIndexOf(256000), 14);
    EXPECT_EQ(settings::BaudIndexOf(0), 6);
    EXPECT_EQ(settings::CommTypeFromProfile(2), 2);
    EXPECT_EQ(settings::CommTypeFromProfile(3), 1);
    EXPECT_EQ(settings::CommTypeFromProfile(-1), 1);
}

TEST_F(StartupSettings, MissingFileGivesTheDefaults) {
    ASSERT_TRUE(LoadStartupSettings(m_ini, theApp(), nullptr, m_dir.Path()));
    const CHalvoricApp& app = theApp();
    EXPECT_EQ(app.m_strAppDir, m_dir.Path());
    EXPECT_EQ(app.m_strLogDir, m_dir.Path() + "/Log");
    EXPECT_EQ(app.m_nSerialNo, 1);
    EXPECT_EQ(app.m_nBaudIndex, 6);
    EXPECT_EQ(app.m_strTelephone, "#7");
    EXPECT_EQ(app.m_nCommType, 1);
    EXPECT_EQ(app.m_strDevice, "");
    EXPECT_EQ(app.m_bAutoTray, 0);
    EXPECT_EQ(app.m_bWriteLog, 0);
    EXPECT_EQ(app.m_bDebugLog, 0);
    EXPECT_FALSE(std::filesystem::exists(app.m_strLogDir));  // never created
    EXPECT_FALSE(std::filesystem::exists(IniPath()));        // nor the file, only by reading
}

TEST_F(StartupSettings, ValuesAreReadWithTheirRules) {
    ASSERT_TRUE(
        Start("[COMMSETUP]\r\nserialno=257\r\nBaudRate=19200\r\nTelephone=5551234\r\n"
              "CommType=2\r\nDevice=/dev/ttyUSB0\r\n[settings]\r\nautotray=1\r\nWRITELOG=1\r\n"));
    const CHalvoricApp& app = theApp();
    EXPECT_EQ(app.m_nSerialNo, 1);
    EXPECT_EQ(app.m_nBaudIndex, 8);
    EXPECT_EQ(app.m_strTelephone, "5551234");
    EXPECT_EQ(app.m_nCommType, 2);
    EXPECT_EQ(app.m_strDevice, "/dev/ttyUSB0");
    EXPECT_EQ(app.m_bAutoTray, 1);
    EXPECT_EQ(app.m_bWriteLog, 1);
    EXPECT_EQ(app.m_bDebugLog, 0);
    // Reading writes nothing back.
    EXPECT_EQ(m_ini.Text(), ReadWholeFile(IniPath()));
}

TEST_F(StartupSettings, QuotedValuesAreDialledWithoutTheirQuotes) {
    // As a Windows tool writes them.
    ASSERT_TRUE(
        Start("[CommSetup]\r\nTelephone=\"5551234\"\r\nBaudRate=\"19200\"\r\n"
              "[PhoneBook]\r\nCount=2\r\n1=\"Depot,#7\"\r\n2='North Yard,5550101'\r\n"));
    EXPECT_EQ(theApp().m_strTelephone, "5551234");
    EXPECT_EQ(theApp().m_nBaudIndex, 8);
    CPhoneEntry* sites = nullptr;
    phonebook::Load(m_ini, sites);
    ASSERT_EQ(phonebook::Count(sites), 2);
    EXPECT_STREQ(sites->siteName, "Depot");
    EXPECT_STREQ(sites->phone, "#7");
    EXPECT_STREQ(sites->next->siteName, "North Yard");
    EXPECT_STREQ(sites->next->phone, "5550101");
    delete sites;
}

TEST_F(StartupSettings, DebugLogOpensOnlyWhenTheLogFolderExists) {
    ASSERT_TRUE(Start("[Settings]\r\nDebugLog=1\r\n"));
    EXPECT_FALSE(theApp().DebugLogOpen());
    theApp().Reset();
    m_dir.MakeSub("Log");
    ASSERT_TRUE(Start("[Settings]\r\nDebugLog=1\r\n"));
    EXPECT_TRUE(theApp().DebugLogOpen());
    EXPECT_EQ(TempDir::FileNames(m_dir.Path() + "/Log").size(), 1u);
}

TEST_F(StartupSettings, UnreadableFileIsReportedAndKept) {
    std::filesystem::create_directory(IniPath());
    std::string error;
    EXPECT_FALSE(LoadStartupSettings(m_ini, theApp(), &error, m_dir.Path()));
    EXPECT_NE(error.find("Cannot read the settings file"), std::string::npos) << error;
    EXPECT_EQ(theApp().m_nSerialNo, 1);
    EXPECT_NE(error.find("Corvantis.ini.unreadable-"), std::string::npos) << error;
    // Dial setup does not overwrite what could not be read: that is kept aside first.
    EXPECT_TRUE(settings::WriteDialSetup(m_ini, 5, 8, &error)) << error;
    EXPECT_TRUE(std::filesystem::is_directory(m_ini.KeptAsidePath()));
    EXPECT_EQ(ReadWholeFile(IniPath()), "[CommSetup]\r\nSerialNo=5\r\nBaudRate=19200\r\n");
}

TEST_F(StartupSettings, DialSetupWritesComNumberAndBaudValueAtOnce) {
    ASSERT_TRUE(Start("[CommSetup]\r\nSerialNo=1\r\nBaudRate=9600\r\nTelephone=#7\r\n"));
    std::string error;
    ASSERT_TRUE(settings::WriteDialSetup(m_ini, 5, 8, &error)) << error;
    EXPECT_EQ(ReadWholeFile(IniPath()),
              "[CommSetup]\r\nSerialNo=5\r\nBaudRate=19200\r\nTelephone=#7\r\n");
}

#include "app/core/settings.h"

#include "platform/ini_file.h"

namespace settings {
namespace {

const char kCommSetup[] = "CommSetup";
const char kSettings[] = "Settings";
constexpr int kMaxSerialNo = 24;
constexpr int kDefaultMaxDialsPerHour = 10;

std::string Below(const std::string& dir, const char* name) {
    if (dir.empty() || dir.back() == '/') {
        return dir + name;
    }
    return dir + "/" + name;
}

}  // namespace

std::string ProfilePath(const std::string& appDir) {
    return Below(appDir, "Corvantis.ini");
}

std::string LogDir(const std::string& appDir) {
    return Below(appDir, "Log");
}

uint8_t SerialNoFromProfile(int value) {
    auto serialNo = static_cast<uint8_t>(value & 0xFF);
    return (serialNo == 0 || serialNo > kMaxSerialNo) ? 1 : serialNo;
}

uint8_t BaudIndexOf(int baud) {
    for (size_t i = 0; i < kBaudRates.size(); ++i) {
        if (kBaudRates[i] == baud) {
            return static_cast<uint8_t>(i);
        }
    }
    return kDefaultBaudIndex;
}

uint8_t CommTypeFromProfile(int value) {
    return (value >= 0 && value <= 2) ? static_cast<uint8_t>(value) : 1;
}

void Read(const platform::IniFile& ini, const std::string& appDir, CHalvoricApp& app) {
    app.m_strAppDir = appDir;
    app.m_nSerialNo = SerialNoFromProfile(ini.GetInt(kCommSetup, "SerialNo", 1));
    app.m_nBaudIndex = BaudIndexOf(ini.GetInt(kCommSetup, "BaudRate", 9600));
    app.m_strTelephone = ini.GetString(kCommSetup, "Telephone", "#7");
    app.m_nCommType = CommTypeFromProfile(ini.GetInt(kCommSetup, "CommType", 1));
    app.m_strDevice = ini.GetString(kCommSetup, "Device", "");
    app.m_bAutoTray = ini.GetInt(kSettings, "AutoTray", 0);
    app.m_bWriteLog = ini.GetInt(kSettings, "WriteLog", 0);
    app.m_bDebugLog = ini.GetInt(kSettings, "DebugLog", 0);
    app.m_strLogDir = LogDir(appDir);
    app.m_bIgnoreCarrier = ini.GetInt(kCommSetup, "IgnoreCarrier", 0) != 0 ? 1 : 0;
    app.m_bAutoReconnect = ini.GetInt(kSettings, "AutoReconnect", 0) != 0 ? 1 : 0;
    const int dials = ini.GetInt(kSettings, "MaxDialsPerHour", kDefaultMaxDialsPerHour);
    app.m_nMaxDialsPerHour = dials < 1 ? kDefaultMaxDialsPerHour : dials;
}

bool WriteAutoReconnect(platform::IniFile& ini, bool on, std::string* error) {
    if (ini.Update([on](platform::IniFile& file) {
            file.SetInt(kSettings, "AutoReconnect", on ? 1 : 0);
        })) {
        return true;
    }
    if (error) {
        *error = ini.LastError();
    }
    return false;
}

bool WriteDialSetup(platform::IniFile& ini, uint8_t serialNo, uint8_t baudIndex,
                    std::string* error) {
    if (baudIndex >= kBaudRates.size()) {
        baudIndex = kDefaultBaudIndex;
    }
    const int baud = kBaudRates[baudIndex];
    // On the file as it is now: a key the operator changed by hand meanwhile stays as it is.
    if (ini.Update([&](platform::IniFile& file) {
            file.SetInt(kCommSetup, "SerialNo", serialNo);
            file.SetInt(kCommSetup, "BaudRate", baud);
        })) {
        return true;
    }
    if (error) {
        *error = ini.LastError();
    }
    return false;
}

}  // namespace settings

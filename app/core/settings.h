// The console's start-up settings in the ini file: [CommSetup] "SerialNo", "BaudRate",
// "Telephone", and on Linux "CommType", "Device" and "IgnoreCarrier" (read only, never written);
// [Settings] "AutoTray", "WriteLog", "DebugLog", "AutoReconnect" and "MaxDialsPerHour".
// Out-of-range values fall back to COM1, 9600 and dial-up without a word, as the console always
// did.
#pragma once

#include <cstdint>
#include <string>

#include "app/state/app_state.h"

namespace platform {
class IniFile;
}

namespace settings {

// "Corvantis.ini" in the application folder.
std::string ProfilePath(const std::string& appDir);
// The "Log" folder below the application folder (not created here).
std::string LogDir(const std::string& appDir);

// The clamping rules of the console's settings.
uint8_t SerialNoFromProfile(int value);  // low 8 bits; 0 or above 24 gives 1
uint8_t BaudIndexOf(int baud);           // position in kBaudRates; unknown gives 6 (9600)
uint8_t CommTypeFromProfile(int value);  // 0, 1 or 2; anything else gives 1 (dial-up)

// Reads [CommSetup] and [Settings] into `app`, and sets m_strAppDir and m_strLogDir.
void Read(const platform::IniFile& ini, const std::string& appDir, CHalvoricApp& app);

// What "Dial setup" keeps: [CommSetup] "SerialNo" (the COM number) and "BaudRate" (the baud value
// at `baudIndex`), written at once into the file as it is on disk then (IniFile::Update). False
// with the reason in `error` when the file cannot be saved.
bool WriteDialSetup(platform::IniFile& ini, uint8_t serialNo, uint8_t baudIndex,
                    std::string* error = nullptr);

// [Settings] "AutoReconnect" (1 or 0), written at once the same way.
bool WriteAutoReconnect(platform::IniFile& ini, bool on, std::string* error = nullptr);

}  // namespace settings

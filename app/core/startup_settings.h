// The start-up steps that need no window, in the console's order: the application folder (the
// current directory, not the program's folder), "Corvantis.ini" in it, the [CommSetup] and
// [Settings] values, the Log folder (never created), and the program debug log when "DebugLog"
// is on. The windowed start-up calls this after the single-instance check.
#pragma once

#include <string>

#include "app/state/app_state.h"

namespace platform {
class IniFile;
}

// The current directory, without a trailing '/' (except at the root). On failure "." and the
// reason in `error`.
std::string CurrentDirectory(std::string* error = nullptr);

// Loads `ini` from the application folder (`appDir`, or the current directory when empty) and
// fills `app`. Returns false when the settings file exists but cannot be read, is damaged (or
// the current directory cannot be told): the console then runs on the defaults or on what could
// be read, the ini keeps the file aside before its first save, and `error` holds the text to
// show the operator once.
bool LoadStartupSettings(platform::IniFile& ini, CHalvoricApp& app, std::string* error,
                         const std::string& appDir = {});

#include "app/core/alarm_settings.h"

#include "platform/ini_file.h"

AlarmSettings ReadAlarmSettings(const platform::IniFile& ini) {
    AlarmSettings settings;
    const int minutes =
        ini.GetInt("Settings", "RenotifyMinutes", AlarmSettings::kDefaultRenotifyMinutes);
    settings.renotifyMinutes = minutes < 0 ? AlarmSettings::kDefaultRenotifyMinutes : minutes;
    settings.sound = ini.GetInt("Settings", "AlarmSound", 0) != 0;
    return settings;
}

#include "app/core/startup_settings.h"

#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <vector>

#include "app/core/settings.h"
#include "platform/ini_file.h"

std::string CurrentDirectory(std::string* error) {
    std::vector<char> buffer(4096);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) {
            if (error) {
                *error = std::string("Cannot tell the current directory: ") + std::strerror(errno);
            }
            return ".";
        }
        buffer.resize(buffer.size() * 2);
    }
    std::string dir = buffer.data();
    while (dir.size() > 1 && dir.back() == '/') {
        dir.pop_back();
    }
    return dir;
}

bool LoadStartupSettings(platform::IniFile& ini, CHalvoricApp& app, std::string* error,
                         const std::string& appDir) {
    std::string problem;
    std::string dir = appDir.empty() ? CurrentDirectory(&problem) : appDir;
    bool ok = problem.empty();
    const std::string path = settings::ProfilePath(dir);
    if (!ini.Load(path)) {
        problem = "Cannot read the settings file: " + ini.LastError() +
                  "\nThe program runs with default settings. The file is left as it is and, "
                  "before settings are next saved, renamed to " +
                  path + ".unreadable-<date>.";
        ok = false;
    } else if (ini.Damaged()) {
        problem = "The settings file " + path +
                  " is damaged: some of its lines hold bytes that are not text and were left "
                  "out.\nThe program runs with what it could read. Before settings are next "
                  "saved, the damaged file is renamed to " +
                  path + ".damaged-<date>.";
        ok = false;
    }
    settings::Read(ini, dir, app);
    if (app.m_bDebugLog) {
        app.OpenDebugLog();
    }
    if (!ok) {
        DebugLog(problem);
        if (error) {
            *error = problem;
        }
    }
    return ok;
}

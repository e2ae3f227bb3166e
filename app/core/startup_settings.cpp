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
    if (!ini.Load(settings::ProfilePath(dir))) {
        problem = "Cannot read the settings file: " + ini.LastError() +
                  "\nThe program runs with default settings and leaves the file as it is.";
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

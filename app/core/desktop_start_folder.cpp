#include "app/core/desktop_start_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/core/settings.h"

namespace {

constexpr const char* kFolderName = "Corvantis";
constexpr mode_t kFolderMode = 0700;

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

std::string HomeOfAccount() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir) {
        return "";
    }
    return found->pw_dir;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

// Creates `path` and the folders above it that are missing. False with the reason in `problem`.
bool MakeFolders(const std::string& path, std::string* problem) {
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at != path.size() && path[at] != '/') {
            continue;
        }
        const std::string part = path.substr(0, at);
        if (mkdir(part.c_str(), kFolderMode) == 0) {
            continue;
        }
        const int error = errno;
        struct stat info {};
        if (error == EEXIST && stat(part.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            continue;
        }
        *problem = "Cannot create the folder " + part + ": " +
                   (error == EEXIST ? std::string("a file of that name is in the way")
                                    : std::string(std::strerror(error)));
        return false;
    }
    return true;
}

}  // namespace

DesktopEnvironment DesktopEnvironmentOfProcess() {
    DesktopEnvironment env;
    const char* home = std::getenv("HOME");
    env.home = home && *home ? home : HomeOfAccount();
    if (const char* data = std::getenv("XDG_DATA_HOME")) {
        env.xdgDataHome = data;
    }
    return env;
}

DesktopStartFolder PrepareDesktopStartFolder(const DesktopEnvironment& env) {
    DesktopStartFolder result;
    const std::string home = WithoutTrailingSlashes(env.home);
    if (home.empty() || home[0] != '/') {
        // Without a home folder there is no XDG data home either: the current directory stays.
        result.problem =
            "Cannot tell the home folder (HOME is not set and the account has none): the "
            "settings and logs are those of the current directory.";
        return result;
    }
    if (Exists(settings::ProfilePath(home))) {
        result.folder = home;
        return result;
    }
    // Relative values are to be ignored, as the XDG base directory rules say.
    const std::string dataHome = !env.xdgDataHome.empty() && env.xdgDataHome[0] == '/'
                                     ? WithoutTrailingSlashes(env.xdgDataHome)
                                     : (home == "/" ? "" : home) + "/.local/share";
    result.folder = (dataHome == "/" ? "" : dataHome) + "/" + kFolderName;
    result.created = !Exists(result.folder);
    if (!MakeFolders(settings::LogDir(result.folder), &result.problem)) {
        result.problem += ".\nThe settings cannot be saved and no log is written until it can be.";
    }
    return result;
}

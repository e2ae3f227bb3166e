#include "platform/device_facts.h"

#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace platform {
namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
    // A device is the same device whatever node names it; a plain file is the same inode.
    if (S_ISCHR(a.st_mode) && S_ISCHR(b.st_mode)) {
        return a.st_rdev == b.st_rdev;
    }
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string GroupName(gid_t gid, bool* found) {
    std::vector<char> buffer(4096);
    group entry{};
    group* result = nullptr;
    while (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &result) == ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    *found = result != nullptr;
    return result ? std::string(result->gr_name) : std::to_string(gid);
}

bool ListedMember(gid_t gid, const std::string& user) {
    if (user.empty()) {
        return false;
    }
    std::vector<char> buffer(1 << 16);
    group entry{};
    group* result = nullptr;
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &result) != 0 || !result) {
        return false;
    }
    for (char** member = result->gr_mem; member && *member; ++member) {
        if (user == *member) {
            return true;
        }
    }
    return false;
}

bool ProcessHasGroup(gid_t gid) {
    if (::getegid() == gid) {
        return true;
    }
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) {
        return false;
    }
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

}  // namespace

std::vector<std::string> FolderEntries(const std::string& dir) {
    std::vector<std::string> names;
    DIR* folder = ::opendir(dir.c_str());
    if (!folder) {
        return names;
    }
    while (dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    ::closedir(folder);
    std::sort(names.begin(), names.end());
    return names;
}

FileGroup GroupOfFile(const std::string& path, std::string* error) {
    FileGroup result;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (error) {
            *error = std::strerror(errno);
        }
        return result;
    }
    bool named = false;
    result.known = true;
    result.gid = info.st_gid;
    result.name = GroupName(info.st_gid, &named);
    result.processIn = ProcessHasGroup(info.st_gid);
    result.userListed = named && ListedMember(info.st_gid, UserName());
    return result;
}

std::string UserName() {
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &result) != 0 || !result) {
        return {};
    }
    return result->pw_name;
}

std::vector<FileHolder> HoldersOf(const std::string& path) {
    std::vector<FileHolder> holders;
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) {
        return holders;
    }
    const int self = static_cast<int>(::getpid());
    for (const std::string& entry : FolderEntries("/proc")) {
        if (entry.empty() ||
            !std::all_of(entry.begin(), entry.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            continue;
        }
        const int pid = std::stoi(entry);
        if (pid == self) {
            continue;
        }
        const std::string fdDir = "/proc/" + entry + "/fd";
        for (const std::string& fd : FolderEntries(fdDir)) {
            struct stat info {};
            if (::stat((fdDir + "/" + fd).c_str(), &info) != 0 || !SameFile(info, target)) {
                continue;
            }
            FileHolder holder;
            holder.pid = pid;
            std::ifstream comm("/proc/" + entry + "/comm");
            std::getline(comm, holder.name);
            holders.push_back(holder);
            break;
        }
    }
    return holders;
}

}  // namespace platform

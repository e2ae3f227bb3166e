// What the system says about a device file, for telling the operator why a line does not open:
// the names in a folder (/dev/serial/by-id), the group a file belongs to and whether this process
// is in it, and which processes hold a file open (found through /proc).
//
// Thread safety: every function may be called from any thread. HoldersOf reads every process's
// descriptor table: call it once per failure, not in a loop.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The entries of `dir` ("." and ".." left out), sorted; empty when it is missing or unreadable.
std::vector<std::string> FolderEntries(const std::string& dir);

struct FileGroup {
    bool known = false;
    unsigned gid = 0;
    std::string name;         // the group's name, or its number when the system has no name for it
    bool processIn = false;   // this process has the group (effective or supplementary)
    bool userListed = false;  // the user running this process is a listed member of the group
};
// The group that owns `path` (following links). `known` is false when the file cannot be read;
// `error` then holds the system's words.
FileGroup GroupOfFile(const std::string& path, std::string* error = nullptr);

// The name of the user running this process ("" when the system has none).
std::string UserName();

struct FileHolder {
    int pid = 0;
    std::string name;  // the program's name (/proc/PID/comm)
};
// The other processes that hold `path` open (the same device or file, after links). Processes
// whose descriptors this user may not read are not seen.
std::vector<FileHolder> HoldersOf(const std::string& path);

}  // namespace platform

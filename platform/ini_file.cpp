#include "platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/clock.h"
#include "platform/ini_text.h"

namespace platform {
namespace {

std::string Reason(const std::string& what, const std::string& path, int err) {
    return what + " " + path + ": " + std::strerror(err);
}

// Reads the whole file. ENOENT is reported through `missing`.
bool ReadAll(const std::string& path, std::string& out, bool& missing, std::string& error) {
    missing = false;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            missing = true;
            return true;
        }
        error = Reason("cannot open", path, errno);
        return false;
    }
    char buf[8192];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            error = Reason("cannot read", path, errno);
            close(fd);
            return false;
        }
        if (n == 0) {
            break;
        }
        out.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// The process's file creation mask, read without changing it (umask() itself would race with
// other threads creating files).
mode_t CurrentUmask() {
    std::string status;
    bool missing = false;
    std::string error;
    if (ReadAll("/proc/self/status", status, missing, error) && !missing) {
        size_t at = status.find("\nUmask:");
        if (at != std::string::npos) {
            return static_cast<mode_t>(std::strtoul(status.c_str() + at + 7, nullptr, 8));
        }
    }
    return 022;
}

// The file a save replaces: a symbolic link is followed so that the link stays a link.
std::string SaveTarget(const std::string& path) {
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) != nullptr) {
        return resolved;
    }
    return path;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Bytes no text file holds: the control bytes but tab, line feed and carriage return (a lone
// DOS end-of-file mark at the very end is allowed, and read as the end of the text).
bool IsDamageByte(unsigned char c) {
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F;
}

// The text without the lines that hold damage bytes; `damaged` tells whether any was left out.
std::string WithoutDamagedLines(const std::string& contents, bool& damaged) {
    damaged = false;
    // The end-of-file mark is not part of the last line: kept there, it would be saved inside
    // the text and make that line damaged on the next load.
    const size_t size =
        !contents.empty() && contents.back() == '\x1A' ? contents.size() - 1 : contents.size();
    std::string kept;
    kept.reserve(size);
    size_t start = 0;
    while (start < size) {
        size_t end = contents.find('\n', start);
        end = end == std::string::npos || end >= size ? size : end + 1;
        bool bad = false;
        for (size_t i = start; i < end && !bad; ++i) {
            bad = IsDamageByte(static_cast<unsigned char>(contents[i]));
        }
        if (bad) {
            damaged = true;
        } else {
            kept.append(contents, start, end - start);
        }
        start = end;
    }
    return kept;
}

// False when the file at `path` may not be written: its permissions forbid it (for root, which
// may write any file, when it has no write permission at all, as a file made read-only does),
// or it lies on a read-only file system.
bool Writable(const std::string& path, const struct stat& st) {
    if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        return errno != EACCES && errno != EROFS;
    }
    return geteuid() != 0 || (st.st_mode & 0222) != 0;
}

// A free name beside `path` for keeping it aside: "<path>.<why>-<date>", then "-2", "-3", ...
std::string AsideName(const std::string& path, const std::string& why) {
    const std::string base = path + "." + why + "-" + Clock::LocalNow().DateText();
    std::string name = base;
    struct stat st {};
    for (int n = 2; lstat(name.c_str(), &st) == 0; ++n) {
        name = base + "-" + std::to_string(n);
    }
    return name;
}

}  // namespace

struct IniFile::Impl {
    std::string path;
    IniText text;
    std::string error;
    // Set when the file exists but could not be read: saving then would replace settings we
    // never saw.
    bool loadFailed = false;
    // Set when the file held bytes no text file has; the lines with them were left out.
    bool damaged = false;
    // Set when the last save was refused because the file may not be written.
    bool refusedReadOnly = false;
    std::string keptAside;
};

IniFile::IniFile() : m_impl(std::make_unique<Impl>()) {}
IniFile::~IniFile() = default;

bool IniFile::Load(const std::string& path) {
    m_impl->path = path;
    m_impl->error.clear();
    m_impl->text = IniText();
    std::string contents;
    bool missing = false;
    m_impl->damaged = false;
    if (!ReadAll(path, contents, missing, m_impl->error)) {
        m_impl->loadFailed = true;
        return false;
    }
    m_impl->loadFailed = false;
    m_impl->text.Parse(WithoutDamagedLines(contents, m_impl->damaged));
    return true;
}

bool IniFile::Reread() {
    Impl& d = *m_impl;
    if (d.path.empty()) {
        return true;  // no file: the text in memory is all there is
    }
    std::string contents;
    bool missing = false;
    std::string error;
    if (!ReadAll(d.path, contents, missing, error)) {
        d.error = error;
        d.loadFailed = true;
        return false;
    }
    d.error.clear();
    d.loadFailed = false;
    d.text = IniText();
    d.text.Parse(WithoutDamagedLines(contents, d.damaged));
    return true;
}

bool IniFile::Update(const std::function<void(IniFile&)>& change) {
    // A file that cannot be read now is kept aside by the save, as at start-up.
    Reread();
    change(*this);
    return Save();
}

bool IniFile::RefusedReadOnly() const {
    return m_impl->refusedReadOnly;
}

bool IniFile::Damaged() const {
    return m_impl->damaged;
}

const std::string& IniFile::KeptAsidePath() const {
    return m_impl->keptAside;
}

void IniFile::ParseText(const std::string& contents) {
    m_impl->error.clear();
    m_impl->loadFailed = false;
    m_impl->text = IniText();
    m_impl->text.Parse(WithoutDamagedLines(contents, m_impl->damaged));
}

const std::string& IniFile::Path() const {
    return m_impl->path;
}

std::string IniFile::GetString(const std::string& section, const std::string& key,
                               const std::string& defaultValue) const {
    std::string value;
    return m_impl->text.Find(section, key, &value) ? value : defaultValue;
}

int IniFile::GetInt(const std::string& section, const std::string& key, int defaultValue) const {
    std::string value;
    if (!m_impl->text.Find(section, key, &value)) {
        return defaultValue;
    }
    return ProfileInt(value);
}

bool IniFile::HasKey(const std::string& section, const std::string& key) const {
    return m_impl->text.Find(section, key, nullptr);
}

bool IniFile::HasSection(const std::string& section) const {
    return m_impl->text.HasSection(section);
}

std::vector<std::string> IniFile::Keys(const std::string& section) const {
    return m_impl->text.Keys(section);
}

std::vector<std::pair<std::string, std::string>> IniFile::Entries(
    const std::string& section) const {
    return m_impl->text.Entries(section);
}

void IniFile::ReplaceSection(const std::string& section,
                             const std::vector<std::pair<std::string, std::string>>& entries) {
    m_impl->text.ReplaceSection(section, entries);
}

void IniFile::SetString(const std::string& section, const std::string& key,
                        const std::string& value) {
    m_impl->text.Set(section, key, value);
}

void IniFile::SetInt(const std::string& section, const std::string& key, int value) {
    m_impl->text.Set(section, key, std::to_string(value));
}

void IniFile::DeleteKey(const std::string& section, const std::string& key) {
    m_impl->text.DeleteKey(section, key);
}

void IniFile::DeleteSection(const std::string& section) {
    m_impl->text.DeleteSection(section);
}

std::string IniFile::Text() const {
    return m_impl->text.Render();
}

const std::string& IniFile::LastError() const {
    return m_impl->error;
}

bool IniFile::Save() {
    Impl& d = *m_impl;
    d.error.clear();
    d.refusedReadOnly = false;
    if (d.path.empty()) {
        d.error = "no settings file named";
        return false;
    }
    d.keptAside.clear();
    const std::string target = SaveTarget(d.path);
    const std::string folder = FolderOf(target);

    struct stat old {};
    // A file that could not be read gives no permissions to keep (it may not even be a file).
    const bool hadFile = stat(target.c_str(), &old) == 0 && !d.loadFailed;
    const mode_t mode = hadFile ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
    // The rename would replace a file that the user made read-only.
    d.refusedReadOnly = hadFile && !Writable(target, old);
    if (d.refusedReadOnly) {
        d.error = "the settings file " + target + " is read-only";
        return false;
    }

    std::string tmpName = target + ".tmp-XXXXXX";
    int fd = mkostemp(tmpName.data(), O_CLOEXEC);
    if (fd < 0) {
        d.error = Reason("cannot create a temporary file beside", target, errno);
        return false;
    }
    auto fail = [&](const char* what) {
        d.error = Reason(what, tmpName, errno);
        if (fd >= 0) {
            close(fd);
        }
        unlink(tmpName.c_str());
        return false;
    };
    if (!WriteAll(fd, Text())) {
        return fail("cannot write");
    }
    if (fchmod(fd, mode) != 0) {
        return fail("cannot set the permissions of");
    }
    if (hadFile && geteuid() == 0 && fchown(fd, old.st_uid, old.st_gid) != 0) {
        return fail("cannot set the owner of");
    }
    if (fsync(fd) != 0) {
        return fail("cannot flush");
    }
    int closeResult = close(fd);
    fd = -1;
    if (closeResult != 0) {
        return fail("cannot close");
    }
    if (d.loadFailed || d.damaged) {
        // What was not read must not be replaced by what was: keep it under a name of its own.
        struct stat st {};
        if (lstat(target.c_str(), &st) == 0) {
            const std::string aside = AsideName(target, d.loadFailed ? "unreadable" : "damaged");
            if (rename(target.c_str(), aside.c_str()) != 0) {
                d.error = Reason(
                    "cannot keep aside the settings file that could not be read:", target, errno);
                unlink(tmpName.c_str());
                return false;
            }
            d.keptAside = aside;
        }
    }
    if (rename(tmpName.c_str(), target.c_str()) != 0) {
        const int err = errno;
        if (!d.keptAside.empty() && rename(d.keptAside.c_str(), target.c_str()) == 0) {
            d.keptAside.clear();
        }
        errno = err;
        return fail("cannot rename into place");
    }
    d.loadFailed = false;
    d.damaged = false;
    // Make the rename itself durable.
    int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        d.error = Reason("saved, but cannot open the folder to flush it:", folder, errno);
        return false;
    }
    int syncResult = fsync(dirFd);
    int syncErr = errno;
    close(dirFd);
    if (syncResult != 0 && syncErr != EINVAL && syncErr != ENOTSUP) {
        d.error = Reason("saved, but cannot flush the folder", folder, syncErr);
        return false;
    }
    return true;
}

}  // namespace platform

#include "platform/log_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/clock.h"

namespace platform {
namespace {

const std::string kSeparator(80, '=');

std::string StampedLine(const std::string& text) {
    return Clock::LocalNow().TimeText() + " : " + text + "\r\n";
}

}  // namespace

LogFile::~LogFile() {
    CloseQuietly();
}

bool LogFile::Open(const std::string& path, std::string* error) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    // Others may read and write the file meanwhile; every line goes to the end.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (error) {
            *error = std::strerror(errno);
        }
        return false;
    }
    m_fd = fd;
    m_path = path;
    WriteBlockLocked("Log Start!");
    return true;
}

void LogFile::Close() {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_fd < 0) {
        return;
    }
    WriteBlockLocked("Log End!");
    ::close(m_fd);
    m_fd = -1;
}

void LogFile::CloseQuietly() {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool LogFile::IsOpen() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_fd >= 0;
}

bool LogFile::WriteLine(const std::string& text, bool raw, std::string* error) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_fd < 0) {
        return false;
    }
    // The stamp is taken under the lock so that the lines of a file are in time order.
    return WriteLocked(raw ? text + "\r\n" : StampedLine(text), error);
}

std::string LogFile::PathName() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_path;
}

bool LogFile::WriteLocked(const std::string& line, std::string* error) {
    const char* data = line.data();
    size_t left = line.size();
    while (left > 0) {
        ssize_t written = ::write(m_fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (error) {
                *error = std::strerror(errno);
            }
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

void LogFile::WriteBlockLocked(const char* text) {
    // A block that cannot be written shows up as missing lines; the next line reports the fault.
    std::string block = kSeparator + "\r\n" + StampedLine(text) + kSeparator + "\r\n";
    WriteLocked(block, nullptr);
}

}  // namespace platform

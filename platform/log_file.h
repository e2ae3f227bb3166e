// A daily log file as the console writes them: opened for appending (created when missing, others
// may read and write it meanwhile), lines ended by "\r\n", stamped lines "%02d:%02d:%02d.%03d :
// text" with the local time of writing, and the opening and closing blocks ("Log Start!" / "Log
// End!" between two lines of 80 '='). Used by the debug log and by every System's session log.
//
// Thread safety: every operation may be called from any thread; lines never interleave and a
// close never overlaps a write.
#pragma once

#include <mutex>
#include <string>

namespace platform {

class LogFile {
public:
    LogFile() = default;
    ~LogFile();  // closes without the closing block
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Opens `path` for appending and writes the opening block. False (and the file stays closed)
    // when it cannot be opened; the reason is in `error` when given.
    bool Open(const std::string& path, std::string* error = nullptr);
    // Writes the closing block and closes; nothing when closed.
    void Close();
    // Closes without writing anything.
    void CloseQuietly();
    bool IsOpen() const;
    // A stamped line, or with `raw` the text alone. True when the line was written; false when the
    // file is closed (nothing written) or the write failed (the reason in `error` when given).
    bool WriteLine(const std::string& text, bool raw = false, std::string* error = nullptr);
    std::string PathName() const;

private:
    bool WriteLocked(const std::string& line, std::string* error);
    void WriteBlockLocked(const char* text);

    mutable std::mutex m_lock;
    int m_fd = -1;
    std::string m_path;
};

}  // namespace platform

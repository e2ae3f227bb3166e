// The single-instance lock: a file named "CvHist" in $XDG_RUNTIME_DIR (or /tmp when that is not
// set, or names no folder, as after su or sudo -u) held with flock() for as long as the process
// runs. A second copy of the console finds it
// held and is told so; the kernel releases it when the holder ends, however it ends.
//
// Not thread safe; the start-up thread uses it.
#pragma once

#include <string>

namespace platform {

class InstanceLock {
public:
    enum class Result { Acquired, AlreadyRunning, Error };

    // `folder` empty: DefaultFolder().
    explicit InstanceLock(const std::string& folder = {}, const std::string& name = "CvHist");
    ~InstanceLock();  // releases the lock
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock without waiting. Error leaves the reason in ErrorText().
    Result Acquire();
    bool Held() const { return m_fd >= 0; }
    const std::string& Path() const { return m_path; }
    const std::string& ErrorText() const { return m_error; }
    // Why the lock is not in $XDG_RUNTIME_DIR although that is set; empty otherwise.
    const std::string& FallbackNote() const { return m_note; }

    // $XDG_RUNTIME_DIR, or /tmp when it is unset or not an existing folder (`note` then says why,
    // when it was set).
    static std::string DefaultFolder(std::string* note = nullptr);

private:
    std::string m_path;
    std::string m_error;
    std::string m_note;
    int m_fd = -1;
};

}  // namespace platform

// The single-instance lock: a file named "CvHist" in $XDG_RUNTIME_DIR (or /tmp when that is not
// set) held with flock() for as long as the process runs. A second copy of the console finds it
// held and is told so; the kernel releases it when the holder ends, however it ends.
//
// Not thread safe; the start-up thread uses it.
#pragma once

#include <string>

namespace platform {

class InstanceLock {
public:
    enum class Result { Acquired, AlreadyRunning, Error };

    // `folder` empty: $XDG_RUNTIME_DIR, or /tmp.
    explicit InstanceLock(const std::string& folder = {}, const std::string& name = "CvHist");
    ~InstanceLock();  // releases the lock
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock without waiting. Error leaves the reason in ErrorText().
    Result Acquire();
    bool Held() const { return m_fd >= 0; }
    const std::string& Path() const { return m_path; }
    const std::string& ErrorText() const { return m_error; }

    static std::string DefaultFolder();

private:
    std::string m_path;
    std::string m_error;
    int m_fd = -1;
};

}  // namespace platform

// The unit's end of a pseudo-terminal: the console opens the slave device as if it were a serial
// port, the unit reads and writes the master. The slave is set raw once, so the line passes every
// byte unchanged. Optionally a symbolic link names the device, so that a device made anew (an
// adapter plugged in again) is found at the same path.
//
// Used by one thread at a time.
#pragma once

#include <string>

namespace sim {

class PtyDevice {
public:
    PtyDevice() = default;
    ~PtyDevice();
    PtyDevice(const PtyDevice&) = delete;
    PtyDevice& operator=(const PtyDevice&) = delete;

    // Opens a new pseudo-terminal (and points `link` at it when not empty). False with the reason
    // in `error`.
    bool Open(const std::string& link, std::string& error);
    // Closes the master: a console that has the slave open sees the line hang up. The link stays.
    void Close();
    // Closes and removes the link.
    void Remove();

    int MasterFd() const { return m_master; }
    const std::string& SlavePath() const { return m_slavePath; }
    const std::string& LinkPath() const { return m_link; }

    // True while some process has the slave open. When nobody has, the master reports a hang-up.
    bool ConsoleAttached() const;

private:
    int m_master = -1;
    std::string m_slavePath;
    std::string m_link;
};

}  // namespace sim

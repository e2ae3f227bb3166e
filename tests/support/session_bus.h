// A private D-Bus session bus for a test: Debian's dbus-daemon, started on a configuration of its
// own (a socket in a temporary folder, every name may be owned, no service is started on demand,
// so no desktop service of the machine answers in place of the test's own). Ends with the object.
#pragma once

#include <memory>
#include <string>

#include "tests/support/child_program.h"
#include "tests/support/temp_dir.h"

class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // The bus address for DBUS_SESSION_BUS_ADDRESS; empty when the daemon did not start (the
    // reason in Error()).
    const std::string& Address() const { return m_address; }
    const std::string& Error() const { return m_error; }

private:
    TempDir m_dir;
    std::unique_ptr<ChildProgram> m_daemon;
    std::string m_address;
    std::string m_error;
};

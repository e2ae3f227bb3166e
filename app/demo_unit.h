// The built-in demonstration: a simulated unit (the demonstration data: one dryer in alarm, some
// in standby, a DAYS cycle, a few dozen events) served in this process on a loopback TCP port, and
// a scratch application folder of its own, made under $TMPDIR (or /tmp), holding a Corvantis.ini
// (System 1 on TCP/IP at the unit's address, the phone book with the site "Demo unit", both logs
// on) and its Log folder. The operator's own settings file is never read or written. The folder
// is kept when the demo ends, for its logs.
//
// No Qt. Start and the accessors on one thread; the unit serves on its own thread.
#pragma once

#include <memory>
#include <string>

namespace sim {
class UnitSimulator;
}

class CDemoUnit {
public:
    static constexpr const char* kSiteName = "Demo unit";

    CDemoUnit();
    ~CDemoUnit();  // stops the unit
    CDemoUnit(const CDemoUnit&) = delete;
    CDemoUnit& operator=(const CDemoUnit&) = delete;

    // Makes the folder, starts the unit and writes the settings. False with the reason in
    // `error`; what was made so far stays for the reader to look at.
    bool Start(std::string* error);

    const std::string& Folder() const { return m_folder; }
    // "127.0.0.1 PORT", as the phone book holds it.
    const std::string& Address() const { return m_address; }
    const std::string& Password() const { return m_password; }
    // What the demo tells the operator at start: the folder, the site, the unit's address and
    // the password that writes take.
    std::string Banner() const;

    sim::UnitSimulator& Unit() { return *m_unit; }

private:
    bool MakeFolder(std::string* error);
    bool WriteSettings(std::string* error);

    std::unique_ptr<sim::UnitSimulator> m_unit;
    std::string m_folder;
    std::string m_address;
    std::string m_password;
};

// The console started in the test process and logged in over loopback TCP to a simulated unit
// whose dryers are all out of alarm, with the phone-book site "North Plant" and both logs on;
// for the tests of the alarm notifications. The test thread is the UI thread.
#pragma once

#include <memory>
#include <string>

#include "sim/unit_simulator.h"
#include "tests/support/gui/console_harness.h"

class CAlarmWatch;
class CWebPage_Status;

class AlarmConsole {
public:
    static constexpr const char* kSite = "North Plant";

    // `settings`: more [Settings] lines ("RenotifyMinutes=1\r\n").
    explicit AlarmConsole(const std::string& settings);
    ~AlarmConsole();

    // Starts the console and connects; true once the first reply is shown.
    bool Start();
    // Connects again (after the link went): true once logged in.
    bool Connect();
    // A new unit in place of the old one, which closes its lines, on the same port.
    void ReplaceUnit();

    sim::UnitSimulator& Unit() { return *m_unit; }
    ConsoleHarness& Console() { return m_console; }
    CWebPage_Status& Page() const { return *m_page; }
    CAlarmWatch& Alarms() const;
    // The first present dryer (1..8).
    int SomeDryer() const;
    // Status requests the unit received so far.
    size_t StatusRequests() const;
    // The text of today's log named `prefix` ("System001", "OPDebug").
    std::string LogText(const std::string& prefix) const;

private:
    void MakeUnit(int port = 0);

    std::unique_ptr<sim::UnitSimulator> m_unit;
    std::string m_address;
    ConsoleHarness m_console;
    CWebPage_Status* m_page = nullptr;
};

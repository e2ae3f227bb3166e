// A Hayes modem in a box for dial-up tests: it sits on the far end of a pseudo-terminal, takes the
// command lines the console sends (each ended by "\r"), answers "OK", and raises its carrier
// (DCD) when told to, or a set program time after a dial command ("ATDT..."). A pseudo-terminal
// has no modem lines, so the console's port for it is a ModemLinePort, which reads DCD from here.
//
// Every accessor may be called from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/comm_port.h"
#include "tests/support/pty_pair.h"

class FakeModem {
public:
    FakeModem();
    ~FakeModem();
    FakeModem(const FakeModem&) = delete;
    FakeModem& operator=(const FakeModem&) = delete;

    bool Ok() const { return m_pty.Ok(); }
    const std::string& Device() const { return m_pty.SlavePath(); }

    void SetCarrier(bool on);
    // After each dial command the carrier comes on `programMs` later; -1 (the default): never.
    void ConnectAfterDial(int64_t programMs);
    bool Carrier() const;

    struct Line {
        std::string text;  // without the "\r"
        int64_t atMs;      // program time it was complete
    };
    std::vector<Line> Lines() const;
    int CountLines(const std::string& prefix) const;
    // Waits (real time) until a line starting with `prefix` arrived `count` times.
    bool WaitForLines(const std::string& prefix, int count, int timeoutMs) const;

private:
    void Serve();

    PtyPair m_pty;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int64_t> m_connectDelay{-1};
    mutable std::mutex m_lock;  // guards the fields below
    bool m_carrier = false;
    int64_t m_carrierAt = -1;
    std::string m_partial;
    std::vector<Line> m_lines;
};

// A serial port whose modem lines come from a FakeModem (DCD as the modem has it).
class ModemLinePort : public CCommPort {
public:
    explicit ModemLinePort(const FakeModem& modem) : m_modem(modem) {}
    ~ModemLinePort() override { Close(); }

protected:
    int ReadModemLines(int fd) override;

private:
    const FakeModem& m_modem;
};

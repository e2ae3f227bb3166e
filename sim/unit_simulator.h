// A field unit in a box: answers the console's login dialogue and page requests over loopback TCP
// and over a pseudo-terminal, with the unit's data (UnitState) behind it and the fault modes of
// FaultModes on its line. Tests and the demo run it in-process; corvantis-unit runs it alone.
//
// One thread serves every line with poll(); it starts with the first Start call and ends in Stop.
// Every public function may be called from any thread. Stop never waits for a peer.
//
// The login, from the console's side: the unit waits for the console. A blank (at the start of a
// line) wakes it: the first blank is answered with a greeting line holding "(", every later one
// with "ENTER KEYWORD: ". The keyword line (default empty, so "\r" alone) is answered with
// "COMMAND ? "; "5\r" with the main menu and "ck\r" with "REMOTE CONSOLE READY (Q=Quit)", both
// ending in "Quit)". From then on each request line "/NN.htm?val=A-B...\r" is answered with its
// echo (the line as received, "\r" included), "\n", the page's data and "EOT". A blank at the
// start of a line, at any time, starts the login again.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "sim/fault_mode.h"
#include "sim/unit_state.h"

namespace sim {

struct UnitOptions {
    std::string password = "1234";  // the password every write must carry
    std::string keyword;            // the login keyword; empty: the console's own (none)
    uint32_t seed = 0;              // 0: the fixed base data; else data drawn from the seed
    bool demo = false;              // the demonstration data (overrides the seed)
    FaultModes faults;
    // The unit's current-time text (status field 13); empty: the local time as "HH:MM".
    std::string clockText;
    // When set, StartPty also makes this path a symbolic link to the device; when the line is
    // dropped (the close-mid-reply fault) a fresh device appears behind the same link, like an
    // adapter plugged in again. The link is removed by Stop.
    std::string ptyLink;
    // When set, every byte in and out and every event of the lines is written here.
    std::ostream* transcript = nullptr;
};

class UnitSimulator {
public:
    explicit UnitSimulator(UnitOptions options = {});
    ~UnitSimulator();  // Stop()
    UnitSimulator(const UnitSimulator&) = delete;
    UnitSimulator& operator=(const UnitSimulator&) = delete;

    // Listens on `host` ("127.0.0.1", "localhost", "::1") and `port` (0 picks a free one).
    // Returns the bound port, or -1 (the reason in LastError()).
    int StartTcp(const std::string& host, int port);
    // Opens a pseudo-terminal and serves its master side. Returns the path of the slave device
    // for the console to open, or "" (the reason in LastError()). A console that closes the
    // device and opens it again starts a new dialogue.
    std::string StartPty();
    // Ends the serving thread and closes every line. Safe to call twice.
    void Stop();

    std::string LastError() const;
    int TcpPort() const;          // -1 when not listening
    std::string PtyPath() const;  // "" when no pseudo-terminal

    // Request lines ("/60.htm?val=0-0\r", the "\r" kept) received after a completed login, in
    // order, over all lines; also those a fault left unanswered.
    std::vector<std::string> ReceivedRequests() const;
    void ClearReceivedRequests();
    // Waits (real time) until at least `count` requests were received; false on time-out.
    bool WaitForRequests(size_t count, int timeoutMs) const;
    // Connections accepted (TCP) or console opens seen (pty), and completed logins, so far.
    int ConnectionCount() const;
    int LoginCount() const;

    // A copy of the unit's data as it is now.
    UnitState Snapshot() const;
    // Changes the unit's data while it runs; `change` runs under the simulator's lock.
    void UpdateState(const std::function<void(UnitState&)>& change);
    // Puts dryer `n` in alarm now (the alarm time from the local clock); false when not present.
    bool RaiseAlarm(int n);

    // New faults apply to what the unit says from now on; the listeners follow never-accept
    // before this returns.
    void SetFaults(const FaultModes& faults);
    FaultModes Faults() const;
    void SetPassword(const std::string& password);

private:
    class Server;
    std::unique_ptr<Server> m_server;
};

}  // namespace sim

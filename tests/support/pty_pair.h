// A pseudo-terminal standing in for a serial device: the console opens SlavePath() as its line,
// the test plays the far end on the master side. Closing the master is an adapter pulled out: the
// slave device goes away. A link path (like /dev/serial/by-id/...) can be made to point at the
// current slave, so that "the same device" comes back as a new pseudo-terminal.
//
// One thread uses a PtyPair at a time.
#pragma once

#include <functional>
#include <string>

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return m_master >= 0; }
    const std::string& SlavePath() const { return m_slave; }
    int Master() const { return m_master; }

    // Makes `link` a symbolic link to the slave device (replacing what was there).
    bool LinkAs(const std::string& link) const;
    void CloseMaster();

    // Writes all of `text` to the far end of the line.
    bool Write(const std::string& text);
    // Reads what the console sent until `done(everything read so far)` or `timeoutMs` real ms.
    std::string ReadUntil(const std::function<bool(const std::string&)>& done, int timeoutMs);
    // Reads until `text` has arrived (and returns everything read).
    std::string ReadUntilText(const std::string& text, int timeoutMs);
    // Reads whatever arrives within `waitMs` real ms.
    std::string ReadFor(int waitMs);

private:
    int m_master = -1;
    std::string m_slave;
};

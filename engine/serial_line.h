// SerialLine: the serial path of a CCommPort (direct lines and dial-up modems). It opens the
// device for exclusive use, configures it, runs the read thread and writes with a time limit.
//
// The read thread poll()s the device, hands what arrives to the port's receive handler (which
// may hand a page reply to the UI thread synchronously, cancellable through ClosingFlag()), and
// samples the modem lines to follow the carrier (DCD). A hang-up (the device unplugged, the other
// side of a pseudo-terminal gone) ends the read thread: it says so once in the debug log, drops
// the carrier and marks the port closed so that the next command opens the line again.
//
// Threads:
//   Open     the worker (any thread but the read thread)
//   Close    the UI thread or the destroying thread (any thread but the read thread): cancels a
//            pending hand-over first, then waits for the read thread; never deadlocks
//   Write    the worker
//   Read     the read thread only
//
// Guards: m_ioLock guards m_fd, m_saved, m_device and m_thread (the descriptor only changes while
// no read thread runs); the flags are atomic.
#pragma once

#include <termios.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "engine/serial_settings.h"

class CCommPort;

// Why `device` could not be opened, for the debug log: missing, permission denied (with the
// "dialout" group hint), busy, or the system's own words.
std::string SerialOpenFailReason(const std::string& device, int err);

class SerialLine {
public:
    explicit SerialLine(CCommPort& port);
    ~SerialLine();  // Close()
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Opens `device`, takes it for exclusive use, configures it and starts the read thread; sets
    // the port's IsOpen. False, with the reason in the debug log, when any step fails (nothing
    // stays open then). A line lost since the last Open is released first.
    bool Open(const std::string& device, const SerialLineSettings& settings);
    // Ends the read thread, drops DTR (hanging a modem up), restores the settings the line had
    // and closes it; clears the port's IsOpen and Carrier. True when a working line was closed
    // (the caller then lets it settle), false when there was none or it had been lost.
    bool Close();
    // Writes all bytes, waiting while the line is busy, at most `limitMs` program ms in all.
    bool Write(const char* bytes, int length, int64_t limitMs);
    // Read thread: reads what has arrived, at most `capacity` bytes; 0 when none (or when the
    // line turned out to be gone, which the read thread then handles).
    int Read(char* buffer, int capacity);

    // True while the open line can report its modem lines (a pseudo-terminal cannot).
    bool ReportsModemLines() const { return m_reportsModemLines.load(); }
    // Set while the line is closing: cancels a pending hand-over of received data.
    const std::atomic<bool>* ClosingFlag() const { return &m_closing; }
    // True while the read thread runs (tests).
    bool ReadThreadRunning() const { return m_threadRunning.load(); }

private:
    void ReadThreadProc();
    // Read thread: follows DCD into the port's Carrier; false when the line is gone.
    bool SampleModemLines();
    // Read thread: the line is gone; says so once and marks the port closed.
    void LineLost(const std::string& why);
    // Under m_ioLock: ends the read thread and closes the device; `working` says whether the line
    // still answers (then DTR is dropped and the settings restored).
    void ReleaseLocked(bool working);
    bool ConfigureLocked(int fd, const SerialLineSettings& settings);

    CCommPort& m_port;
    std::mutex m_ioLock;
    int m_fd = -1;
    termios m_saved{};
    std::string m_device;
    std::thread m_thread;

    // Raised with m_closing: the read thread waits on it beside the line, so that a line which
    // cannot report its modem lines is waited on without a time limit. Lives as long as this.
    int m_wakeFd = -1;
    void RaiseClosing();

    std::atomic<bool> m_closing{false};
    std::atomic<bool> m_lost{false};
    std::atomic<bool> m_reportsModemLines{false};
    std::atomic<bool> m_threadRunning{false};
    std::atomic<int> m_lostErrno{0};
};

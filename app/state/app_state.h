// The application state: the start-up settings and the flags every part consults, and the
// program debug log. One per process, reached through theApp(). No Qt.
//
// Threads: the flags m_bLoggedIn and m_bOnline are written and read from every thread (atomic);
// the settings are written once at start-up before any other thread runs and only read after.
// WriteDebugLog may be called from any thread; each line lands whole.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "platform/log_file.h"

// The 15 baud rates of the console, index 6 (9600) is the fallback.
constexpr std::array<int, 15> kBaudRates = {110,   300,   600,    1200,   2400,
                                            4800,  9600,  14400,  19200,  38400,
                                            56000, 57600, 115200, 128000, 256000};
constexpr int kDefaultBaudIndex = 6;

class CHalvoricApp {
public:
    CHalvoricApp();

    // Settings (filled at start-up).
    std::string m_strAppDir;  // current directory at start-up, no trailing '/'
    int m_bAutoTray = 0;
    int m_bWriteLog = 0;
    int m_bDebugLog = 0;
    std::string m_strLogDir;  // m_strAppDir + "/Log"
    uint8_t m_nSerialNo = 1;
    uint8_t m_nBaudIndex = kDefaultBaudIndex;
    std::string m_strTelephone = "#7";
    // Linux additions, read from [CommSetup] and never written: 0 direct, 1 dial-up, 2 TCP/IP;
    // and the serial device path (empty: COM n is /dev/ttyS<n-1>).
    uint8_t m_nCommType = 1;
    std::string m_strDevice;
    // Additions, all off or at their defaults when missing: [Settings] AutoReconnect (the UI
    // thread changes it from the menu) and MaxDialsPerHour; [CommSetup] IgnoreCarrier.
    std::atomic<int> m_bAutoReconnect{0};
    int m_nMaxDialsPerHour = 10;
    int m_bIgnoreCarrier = 0;

    // Flags, any thread.
    std::atomic<int> m_bLoggedIn{0};
    std::atomic<int> m_bOnline{0};
    // Logins so far (the last login step ended): a login that was over again before anyone
    // looked at m_bLoggedIn is still seen.
    std::atomic<uint64_t> m_nLogins{0};

    // The debug log "OPDebug %Y-%m-%d.Log" in m_strLogDir. False when it cannot be opened (the
    // console then runs without one; the reason goes to stderr).
    bool OpenDebugLog();
    // Writes the closing block ("Log End!") and closes: the midnight roll.
    void CloseDebugLog();
    // Closes without a closing block: the process ends (what was written stays as it is).
    void CloseDebugLogQuietly();
    void WriteDebugLog(const std::string& text, bool raw = false);
    bool DebugLogOpen() const;

    // TRUE when logged in; otherwise shows "Please connect first." and returns false. UI thread.
    bool CheckLoggedIn();

    // Resets every member to its start state (tests).
    void Reset();

private:
    platform::LogFile m_fileDebugLog;
};

// The one application state of the process.
CHalvoricApp& theApp();

// Writes `text` to the debug log when "DebugLog" is on: the pattern every part uses for its
// failure lines.
void DebugLog(const std::string& text);

#include "app/state/app_state.h"

#include <cstdio>

#include "platform/clock.h"
#include "platform/prompt.h"

CHalvoricApp::CHalvoricApp() = default;

bool CHalvoricApp::OpenDebugLog() {
    const std::string path =
        m_strLogDir + "/OPDebug " + platform::Clock::LocalNow().DateText() + ".Log";
    std::string reason;
    if (!m_fileDebugLog.Open(path, &reason)) {
        // There is no debug log to write this to: the console runs without one today.
        std::fprintf(stderr, "Debug log file: %s create fail! reason: %s\n", path.c_str(),
                     reason.c_str());
        return false;
    }
    return true;
}

void CHalvoricApp::CloseDebugLog() {
    m_fileDebugLog.Close();
}

void CHalvoricApp::CloseDebugLogQuietly() {
    m_fileDebugLog.CloseQuietly();
}

void CHalvoricApp::WriteDebugLog(const std::string& text, bool raw) {
    std::string reason;
    if (!m_fileDebugLog.WriteLine(text, raw, &reason) && !reason.empty()) {
        std::fprintf(stderr, "Debug log write fail! reason: %s\n", reason.c_str());
    }
}

bool CHalvoricApp::DebugLogOpen() const {
    return m_fileDebugLog.IsOpen();
}

bool CHalvoricApp::CheckLoggedIn() {
    if (m_bLoggedIn.load()) {
        return true;
    }
    platform::MessageBox("Please connect first.", platform::PromptButtons::Ok,
                         platform::PromptIcon::Warning);
    return false;
}

void CHalvoricApp::Reset() {
    m_fileDebugLog.CloseQuietly();
    const CHalvoricApp fresh;
    m_strAppDir = fresh.m_strAppDir;
    m_bAutoTray = fresh.m_bAutoTray;
    m_bWriteLog = fresh.m_bWriteLog;
    m_bDebugLog = fresh.m_bDebugLog;
    m_strLogDir = fresh.m_strLogDir;
    m_nSerialNo = fresh.m_nSerialNo;
    m_nBaudIndex = fresh.m_nBaudIndex;
    m_strTelephone = fresh.m_strTelephone;
    m_nCommType = fresh.m_nCommType;
    m_strDevice = fresh.m_strDevice;
    m_bAutoReconnect.store(0);
    m_nMaxDialsPerHour = fresh.m_nMaxDialsPerHour;
    m_bIgnoreCarrier = fresh.m_bIgnoreCarrier;
    m_bLoggedIn.store(0);
    m_bOnline.store(0);
    m_nLogins.store(0);
}

CHalvoricApp& theApp() {
    static CHalvoricApp app;
    return app;
}

void DebugLog(const std::string& text) {
    CHalvoricApp& app = theApp();
    if (app.m_bDebugLog) {
        app.WriteDebugLog(text);
    }
}

// The session log of a System: "System%03d %Y-%m-%d.Log" in the log folder, one stamped line per
// report, opened at start, rolled at local midnight, closed when the System ends.
#include "app/state/app_state.h"
#include "engine/system.h"
#include "platform/clock.h"
#include "platform/str_format.h"

void CSystem::OpenLog() {
    std::lock_guard<std::mutex> lock(m_logLock);
    OpenLogLocked();
}

void CSystem::OpenLogLocked() {
    const CHalvoricApp& app = theApp();
    if (!app.m_bWriteLog) {
        return;
    }
    const std::string path =
        platform::StrFormat("%s/System%03d %s.Log", app.m_strLogDir.c_str(), SystemID,
                            platform::Clock::LocalNow().DateText().c_str());
    std::string reason;
    if (!m_logFile.Open(path, &reason)) {
        DebugLog(
            platform::StrFormat("System%03d Log file: %s create fail!", SystemID, path.c_str()));
        DebugLog("reason: " + reason);
        return;
    }
    m_logWriteFailed = false;
}

void CSystem::CloseLog() {
    std::lock_guard<std::mutex> lock(m_logLock);
    m_logFile.Close();
}

void CSystem::RollLog() {
    // One step under the lock, so that no report falls between the two files.
    std::lock_guard<std::mutex> lock(m_logLock);
    m_logFile.Close();
    OpenLogLocked();
}

bool CSystem::LogOpen() const {
    return m_logFile.IsOpen();
}

void CSystem::WriteLogLine(const std::string& text, bool raw) {
    std::lock_guard<std::mutex> lock(m_logLock);
    std::string reason;
    if (m_logFile.WriteLine(text, raw, &reason) || reason.empty()) {
        return;  // written, or no log open
    }
    // The failed line is lost; say so once per file rather than once per line.
    if (!m_logWriteFailed) {
        m_logWriteFailed = true;
        DebugLog(platform::StrFormat("System%03d Log file: %s write fail! reason: %s", SystemID,
                                     m_logFile.PathName().c_str(), reason.c_str()));
    }
}

void CSystem::Report(const std::string& text) {
    if (theApp().m_bWriteLog) {
        WriteLogLine(text);
    }
    // The operator's trace view keeps nothing of what it is given, so the trace ends here.
}

std::string CSystem::ReportText(const std::string& phrase) const {
    return "[*******" + phrase + std::to_string(SystemID) + "*******]";
}

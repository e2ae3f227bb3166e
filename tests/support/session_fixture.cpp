#include "tests/support/session_fixture.h"

#include "app/state/app_state.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"
#include "platform/prompt.h"

void SessionFixture::SetUp() {
    theApp().Reset();
    m_loop = std::make_unique<platform::PlainLoopDispatcher>();
    platform::SetDispatcher(m_loop.get());
    m_frame = std::make_unique<RecordingWindow>();
    m_frame->AsMainWindow();
    platform::SetPromptService(&m_prompts);
    m_logDir = m_temp.MakeSub("Log");
    theApp().m_strAppDir = m_temp.Path();
    theApp().m_strLogDir = m_logDir;
    platform::Clock::SetTimeScale(TimeScale());
}

void SessionFixture::TearDown() {
    DeleteSystem();
    theApp().Reset();
    m_frame.reset();
    platform::SetDispatcher(nullptr);
    m_loop.reset();
    platform::SetPromptService(nullptr);
    platform::Clock::SetTimeScale(1.0);
    platform::Clock::ResetLocalTime();
}

CSystem& SessionFixture::MakeSystem(uint8_t commType, int16_t systemId) {
    DeleteSystem();
    m_system = new CSystem();
    m_system->SystemID = systemId;
    m_system->Name = "AAA";
    m_system->CommType = commType;
    m_port = new ScriptedPort(commType);
    m_port->Owner = m_system;
    m_system->Port = m_port;
    return *m_system;
}

void SessionFixture::DeleteSystem() {
    delete m_system;
    m_system = nullptr;
    m_port = nullptr;
}

void SessionFixture::EnableLogs(bool debugLog, bool writeLog) {
    CHalvoricApp& app = theApp();
    app.m_bDebugLog = debugLog ? 1 : 0;
    app.m_bWriteLog = writeLog ? 1 : 0;
    if (debugLog) {
        app.OpenDebugLog();
    }
}

std::string SessionFixture::DebugLogText() const {
    return ReadWholeFile(m_logDir + "/OPDebug " + platform::Clock::LocalNow().DateText() + ".Log");
}

bool SessionFixture::RunUntil(const std::function<bool()>& done, int64_t programMs) {
    return m_loop->RunUntil(done, programMs);
}

void SessionFixture::RunFor(int64_t programMs) {
    m_loop->RunFor(programMs);
}

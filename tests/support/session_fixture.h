// A fixture for tests of a System session: the test thread is the UI thread (a plain-loop
// dispatcher), a RecordingWindow stands as the main frame, message boxes are recorded, the
// application state starts fresh with its logs in a temporary "Log" folder, and program time runs
// `TimeScale()` times faster than real time. MakeSystem gives a System 1 on a ScriptedPort.
//
// Everything is undone in TearDown (the System is deleted first, while the UI loop still exists).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "engine/system.h"
#include "platform/plain_loop_dispatcher.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/recording_window.h"
#include "tests/support/scripted_port.h"
#include "tests/support/temp_dir.h"

class SessionFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Program time per real time while the test runs.
    virtual double TimeScale() const { return 20.0; }

    // A System with id `systemId` on a new ScriptedPort of `commType`; not started.
    CSystem& MakeSystem(uint8_t commType = COMM_DIRECT, int16_t systemId = 1);
    void DeleteSystem();

    // Switches the debug log and the session logs on (before MakeSystem / Start).
    void EnableLogs(bool debugLog = true, bool writeLog = true);
    std::string LogDir() const { return m_logDir; }
    // The text of today's debug log ("" when there is none).
    std::string DebugLogText() const;

    // Runs the UI loop until `done` or `programMs` passed; returns done().
    bool RunUntil(const std::function<bool()>& done, int64_t programMs = 100000);
    void RunFor(int64_t programMs);

    std::unique_ptr<platform::PlainLoopDispatcher> m_loop;
    std::unique_ptr<RecordingWindow> m_frame;
    RecordingPrompts m_prompts;
    TempDir m_temp;
    std::string m_logDir;
    CSystem* m_system = nullptr;
    ScriptedPort* m_port = nullptr;
};

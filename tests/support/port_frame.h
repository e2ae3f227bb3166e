// A main frame for tests of real ports: records every message, as RecordingWindow does, and does
// what the console's frame does with the port messages: WM_SYSTEM_START opens the System's port
// (on the UI thread), WM_SYSTEM_STOP closes it and clears the logged-in flag.
#pragma once

#include "app/state/app_state.h"
#include "engine/system.h"
#include "tests/support/recording_window.h"

class PortFrame : public RecordingWindow {
public:
    explicit PortFrame(CSystem* system = nullptr) : m_system(system) {}
    void SetSystem(CSystem* system) { m_system = system; }

    long OnMessage(unsigned msg, intptr_t wParam, intptr_t lParam) override {
        RecordingWindow::OnMessage(msg, wParam, lParam);
        if (!m_system || wParam != m_system->SystemID) {
            return 0;
        }
        if (msg == platform::WM_SYSTEM_START) {
            m_system->OpenPort();
        } else if (msg == platform::WM_SYSTEM_STOP) {
            m_system->ClosePort();
            theApp().m_bLoggedIn.store(0);
        }
        return 1;
    }

private:
    CSystem* m_system;
};

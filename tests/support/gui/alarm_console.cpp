#include "tests/support/gui/alarm_console.h"

#include <algorithm>

#include "app/core/document.h"
#include "app/halvoric_view.h"
#include "app/main_frame.h"
#include "app/state/app_state.h"
#include "controls/static_ex.h"
#include "pages/dlg_parent.h"
#include "pages/web_page_status.h"
#include "platform/clock.h"
#include "tests/support/gui/ui_wait.h"
#include "tests/support/temp_dir.h"

namespace {
constexpr int kWaitMs = 30000;
}

AlarmConsole::AlarmConsole(const std::string& settings) {
    MakeUnit();
    WriteFile(m_console.Dir() + "/Corvantis.ini",
              "[CommSetup]\r\nCommType=2\r\nTelephone=" + m_address +
                  "\r\n[Settings]\r\nWriteLog=1\r\nDebugLog=1\r\n" + settings +
                  "[PhoneBook]\r\nCount=1\r\n1=" + kSite + "," + m_address + "\r\n");
    m_console.Dialogs().phoneBookAnswer = [this](CHalvoricDoc& doc) {
        doc.m_pSystems->Telephone = m_address;
        doc.m_pSystems->Port->SetAddress(m_address);
        return true;
    };
}

AlarmConsole::~AlarmConsole() {
    m_console.Console().Shutdown();
    m_unit.reset();
}

void AlarmConsole::MakeUnit(int port) {
    m_unit = std::make_unique<sim::UnitSimulator>(sim::UnitOptions{});
    m_unit->UpdateState([](sim::UnitState& state) {
        for (int n = 1; n <= 8; ++n) {
            state.ResetDryer(n);
        }
    });
    m_address = "127.0.0.1 " + std::to_string(m_unit->StartTcp("127.0.0.1", port));
}

void AlarmConsole::ReplaceUnit() {
    // At the same address, as a unit that was switched off and on again.
    const int port = m_unit->TcpPort();
    m_unit.reset();
    MakeUnit(port);
}

bool AlarmConsole::Start() {
    if (!m_console.Start()) {
        return false;
    }
    m_page = dynamic_cast<CWebPage_Status*>(m_console.Frame()->MainView()->PageHost()->Page(0));
    return m_page && Connect() &&
           UiWaitUntil([this] { return m_page->Row(0).number->WindowText() == "1"; }, kWaitMs);
}

bool AlarmConsole::Connect() {
    m_console.Document()->OnConnect();
    return UiWaitUntil([] { return theApp().m_bLoggedIn.load() != 0; }, kWaitMs);
}

CAlarmWatch& AlarmConsole::Alarms() const {
    return *m_console.Frame()->Alarms();
}

int AlarmConsole::SomeDryer() const {
    const sim::UnitState state = m_unit->Snapshot();
    for (int k = 0; k < 8; ++k) {
        if (state.dryers[k].present) {
            return k + 1;
        }
    }
    return 0;
}

size_t AlarmConsole::StatusRequests() const {
    const auto requests = m_unit->ReceivedRequests();
    return static_cast<size_t>(std::count(requests.begin(), requests.end(), "/60.htm?val=0-0\r"));
}

std::string AlarmConsole::LogText(const std::string& prefix) const {
    return ReadWholeFile(m_console.Dir() + "/Log/" + prefix + " " +
                         platform::Clock::LocalNow().DateText() + ".Log");
}

// The modem dial procedure of a dial-up System, run by DoCommand on the worker when the line has no
// carrier. The modem's answers are not read: the carrier (DCD, followed by the read thread) is the
// only sign of a connection. Every pause goes through the clock and ends early when the System is
// being destroyed.
#include "app/state/app_state.h"
#include "engine/system.h"
#include "platform/clock.h"

namespace {

constexpr int kDialAttempts = 3;
constexpr int kCarrierChecks = 45;
constexpr int64_t kCarrierCheckMs = 1000;
constexpr int64_t kCommandPauseMs = 2000;
constexpr int64_t kAttemptPauseMs = 10000;

void WriteText(CCommPort& port, const std::string& text) {
    // The results are not examined: a modem that did not take the line simply brings no carrier.
    port.Write(text.data(), static_cast<int>(text.size()));
}

}  // namespace

// While it runs, the receive side also listens for the modem's refusals (see ModemRefusal).
CSystem::DialOutcome CSystem::Dial() {
    CCommPort* port = Port;
    if (!port) {
        return DialOutcome::Failed;
    }
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_dialling = true;
        m_modemLine.clear();
        m_modemRefusal.clear();
    }
    const DialOutcome outcome = DialAttempts(*port);
    std::lock_guard<std::mutex> lock(m_lock);
    m_dialling = false;
    return outcome;
}

CSystem::DialOutcome CSystem::DialAttempts(CCommPort& portRef) {
    CCommPort* port = &portRef;
    const std::atomic<bool>* stop = &StopRequested();
    for (int attempt = 0;; ++attempt) {
        if (port->CommType != COMM_DIALUP || port->Carrier.load() == 1) {
            return DialOutcome::Connected;
        }
        const std::string number = port->GetAddress();
        if (m_dialGate && !m_dialGate(number)) {
            DebugLog("DoCommand(): the call to " + number +
                     " was held back: no more calls allowed now");
            return DialOutcome::Failed;
        }
        Report(ReportText("Try dial to System"));

        WriteText(*port, "AT");
        WriteText(*port, "\r");
        if (!platform::Clock::SleepMs(kCommandPauseMs, stop)) {
            return DialOutcome::Failed;
        }
        WriteText(*port, "ATDT" + number);
        WriteText(*port, "\r");
        if (!platform::Clock::SleepMs(kCommandPauseMs, stop)) {
            return DialOutcome::Failed;
        }

        int checks = 0;
        while (port->Carrier.load() == 0 && theApp().m_bOnline.load() == 1 &&
               checks < kCarrierChecks) {
            if (!platform::Clock::SleepMs(kCarrierCheckMs, stop)) {
                return DialOutcome::Failed;
            }
            ++checks;
        }
        const bool carrierCame = port->Carrier.load() == 1;
        if (!carrierCame && checks >= kCarrierChecks && attempt == kDialAttempts - 1) {
            DebugLog("DoCommand(): Connect fail!");
            return DialOutcome::Failed;
        }
        if (theApp().m_bOnline.load() == 0) {
            return DialOutcome::GivenUp;
        }
        if (!platform::Clock::SleepMs(kAttemptPauseMs, stop)) {
            return DialOutcome::Failed;
        }
        if (carrierCame) {
            return DialOutcome::Connected;
        }
    }
}

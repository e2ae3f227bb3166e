// The round trip of one Status request over loopback TCP/IP against the unit simulator, through
// the real worker, port and receive side: from queueing the request to its reply reaching the
// page. The worker takes a command at its next 100 ms pass, so that tick is part of every figure.
// Prints p50, p99 and the extremes in milliseconds, and "RESULT status_p50_ms / status_p99_ms"
// lines.
//
//   status_roundtrip_bench [requests]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/state/app_state.h"
#include "engine/page_windows.h"
#include "engine/system.h"
#include "platform/dispatcher.h"
#include "platform/plain_loop_dispatcher.h"
#include "platform/window_messages.h"
#include "sim/unit_simulator.h"

namespace {

// Does what the console's frame does with the port messages.
class Frame : public platform::MessageTarget {
public:
    explicit Frame(CSystem& system) : m_system(system) {}
    long OnMessage(unsigned msg, intptr_t, intptr_t) override {
        if (msg == platform::WM_SYSTEM_START) {
            m_system.OpenPort();
        } else if (msg == platform::WM_SYSTEM_STOP) {
            m_system.ClosePort();
            ++stops;
        }
        return 1;
    }
    int stops = 0;

private:
    CSystem& m_system;
};

class StatusPage : public platform::MessageTarget {
public:
    long OnMessage(unsigned msg, intptr_t, intptr_t) override {
        replies += msg == platform::WM_PAGE_REPLY ? 1 : 0;
        return 1;
    }
    int replies = 0;
};

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const size_t at = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[at];
}

}  // namespace

int main(int argc, char** argv) {
    const int requests = argc > 1 ? std::atoi(argv[1]) : 50;
    platform::PlainLoopDispatcher loop;
    platform::SetDispatcher(&loop);

    sim::UnitSimulator unit;
    const int port = unit.StartTcp("127.0.0.1", 0);
    if (port <= 0) {
        std::fprintf(stderr, "simulator: %s\n", unit.LastError().c_str());
        return 1;
    }

    auto* system = new CSystem();
    system->SystemID = 1;
    system->CommType = COMM_TCPIP;
    system->Port = new CCommPort();
    system->Port->CommType = COMM_TCPIP;
    system->Port->Owner = system;
    system->Port->SetAddress("127.0.0.1 " + std::to_string(port));
    Frame frame(*system);
    platform::SetMainWindow(frame.TargetId());
    StatusPage page;
    SetPageWindow(STATUS_PAGE_STATUS, page.TargetId());

    int status = 0;
    const auto loginStart = std::chrono::steady_clock::now();
    system->Start();
    theApp().m_bOnline.store(1);
    system->QueueLogin();
    if (!loop.RunUntil([] { return theApp().m_bLoggedIn.load() == 1; }, 30000)) {
        std::fprintf(stderr, "no login within 30 s\n");
        status = 1;
    } else {
        std::printf(
            "login: %.1f ms (connect, three steps)\n",
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - loginStart)
                .count());
        std::vector<double> ms;
        for (int i = 0; i < requests && status == 0; ++i) {
            const int before = page.replies;
            const auto start = std::chrono::steady_clock::now();
            system->AbortCommand();
            system->AddCommand(new CCommandNode(1, CMD_PAGE_STATUS, "/60.htm?val=0-0\r"));
            if (!loop.RunUntil([&] { return page.replies > before; }, 20000)) {
                std::fprintf(stderr, "request %d: no reply within 20 s\n", i + 1);
                status = 1;
            }
            ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
        if (!ms.empty()) {
            std::printf(
                "status round trip over %zu requests: p50 %.1f ms, p99 %.1f ms, "
                "min %.1f ms, max %.1f ms\n",
                ms.size(), Percentile(ms, 0.5), Percentile(ms, 0.99),
                *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()));
            std::printf("RESULT status_p50_ms %.1f\nRESULT status_p99_ms %.1f\n",
                        Percentile(ms, 0.5), Percentile(ms, 0.99));
        }
    }
    SetPageWindow(STATUS_PAGE_STATUS, 0);
    delete system;
    platform::SetMainWindow(0);
    unit.Stop();
    platform::SetDispatcher(nullptr);
    return status;
}

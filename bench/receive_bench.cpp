// How fast the receive side takes page replies: a System's ProcessChunk is fed the unit's answers
// to the four page requests (echo, data, "EOT"), in blocks of the sizes a line delivers, and every
// reply must reach its page. Times the CPU the receive side used (not the wall clock, which a
// busy machine stretches). Prints MB/s per reply kind and block size, then for each block size
// the throughput over all four kinds as a "RESULT receive_mb_s_<block> <MB/s>" line.
//
//   receive_bench [rounds]
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/page_windows.h"
#include "engine/system.h"
#include "platform/dispatcher.h"
#include "platform/plain_loop_dispatcher.h"
#include "platform/window_messages.h"
#include "sim/unit_state.h"

namespace {

// The CPU time of this thread: on a shared machine, time the receive side actually ran.
double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

class CountingPage : public platform::MessageTarget {
public:
    long OnMessage(unsigned msg, intptr_t, intptr_t lParam) override {
        if (msg == platform::WM_PAGE_REPLY) {
            ++replies;
            bytes += reinterpret_cast<const ReplyCell*>(lParam)->text.size();
        }
        return 1;
    }
    long replies = 0;
    size_t bytes = 0;
};

struct ReplyKind {
    const char* name;
    uint8_t commandId;
    uint8_t status;
    std::string request;
    std::string data;
};

// One exchange: the request is current, the unit's answer arrives in blocks of `block` bytes.
void Exchange(CSystem& system, const ReplyKind& kind, const std::string& answer, size_t block) {
    {
        std::lock_guard<std::mutex> lock(system.m_lock);
        system.CurCommand = new CCommandNode(1, kind.commandId, kind.request);
        system.Status = kind.status;
    }
    for (size_t at = 0; at < answer.size(); at += block) {
        const size_t length = std::min(block, answer.size() - at);
        system.ProcessChunk(answer.data() + at, static_cast<int>(length));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20000;
    platform::PlainLoopDispatcher loop;
    platform::SetDispatcher(&loop);

    const sim::UnitState unit = sim::UnitState::Demo();
    const std::vector<ReplyKind> kinds = {
        {"Status (60)", CMD_PAGE_STATUS, STATUS_PAGE_STATUS, "/60.htm?val=0-0\r",
         unit.StatusRecord("12:34")},
        {"Cycle Set Up (52)", CMD_PAGE_CYCLE, STATUS_PAGE_CYCLE, "/52.htm?val=0-0\r",
         unit.CycleRecord()},
        {"Reporting Set Up (55)", CMD_PAGE_REPORTING, STATUS_PAGE_REPORTING, "/55.htm?val=0-0\r",
         unit.ReportingRecord()},
        {"Event (61)", CMD_PAGE_EVENT, STATUS_PAGE_EVENT, "/61.htm?val=1-0\r",
         unit.EventPageText()},
    };

    CSystem system;
    system.SystemID = 1;
    const std::vector<size_t> blocks = {1, 64, 4096};
    std::vector<double> totalMb(blocks.size());
    std::vector<double> totalSeconds(blocks.size());
    std::printf("%-24s %8s %8s %12s %10s\n", "reply", "bytes", "block", "MB/s", "replies");
    for (const ReplyKind& kind : kinds) {
        CountingPage page;
        SetPageWindow(kind.status, page.TargetId());
        const std::string answer = kind.request + "\n" + kind.data + "EOT";
        for (size_t b = 0; b < blocks.size(); ++b) {
            const size_t block = blocks[b];
            const int n = block == 1 ? rounds / 10 : rounds;
            page.replies = 0;
            const double start = CpuSeconds();
            for (int i = 0; i < n; ++i) {
                Exchange(system, kind, answer, block);
            }
            const double seconds = CpuSeconds() - start;
            const double mb = static_cast<double>(answer.size()) * n / 1e6;
            totalMb[b] += mb;
            totalSeconds[b] += seconds;
            std::printf("%-24s %8zu %8zu %12.1f %10ld%s\n", kind.name, answer.size(), block,
                        mb / seconds, page.replies, page.replies == n ? "" : "  (replies lost!)");
        }
        SetPageWindow(kind.status, 0);
    }
    for (size_t b = 0; b < blocks.size(); ++b) {
        std::printf("RESULT receive_mb_s_%zu %.1f\n", blocks[b], totalMb[b] / totalSeconds[b]);
    }
    platform::SetDispatcher(nullptr);
    return 0;
}

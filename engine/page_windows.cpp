#include "engine/page_windows.h"

#include <array>
#include <atomic>

namespace {

constexpr int kFirstPageStatus = 3;
constexpr int kLastPageStatus = 6;

std::array<std::atomic<uint64_t>, kLastPageStatus - kFirstPageStatus + 1> g_pageWindows{};

bool IsPageStatus(int exchangeStatus) {
    return exchangeStatus >= kFirstPageStatus && exchangeStatus <= kLastPageStatus;
}

}  // namespace

void SetPageWindow(int exchangeStatus, uint64_t targetId) {
    if (IsPageStatus(exchangeStatus)) {
        g_pageWindows[exchangeStatus - kFirstPageStatus].store(targetId);
    }
}

uint64_t PageWindow(int exchangeStatus) {
    return IsPageStatus(exchangeStatus) ? g_pageWindows[exchangeStatus - kFirstPageStatus].load()
                                        : 0;
}

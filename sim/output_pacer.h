// Paces what the unit sends on one line: a slow line lets out one byte every 10 bits of its baud
// rate, a split line one byte per write. Times are program milliseconds (platform::Clock).
#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

class OutputPacer {
public:
    // `baud` 0: full speed.
    void Configure(int baud, bool splitBytes);
    // How many of `pending` bytes may go out at `nowMs` (0: wait until NextDueMs()).
    size_t Allowance(int64_t nowMs, size_t pending);
    void Sent(size_t count, int64_t nowMs);
    // When the next byte may go; only meaningful after Allowance gave 0.
    int64_t NextDueMs() const;
    // Nothing is waiting: the next byte starts a new burst.
    void Idle() { m_burstStartMs = -1; }

private:
    int m_baud = 0;
    bool m_split = false;
    int64_t m_burstStartMs = -1;
    uint64_t m_burstBytes = 0;
    int64_t m_lastWriteMs = -1;
};

}  // namespace sim

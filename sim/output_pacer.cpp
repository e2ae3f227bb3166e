#include "sim/output_pacer.h"

#include <algorithm>

namespace sim {
namespace {

constexpr int64_t kBitsTimesMs = 10 * 1000;  // 10 bits a byte, 1000 ms a second

}  // namespace

void OutputPacer::Configure(int baud, bool splitBytes) {
    if (baud != m_baud) {
        m_burstStartMs = -1;
    }
    m_baud = baud;
    m_split = splitBytes;
}

size_t OutputPacer::Allowance(int64_t nowMs, size_t pending) {
    if (m_burstStartMs < 0) {
        m_burstStartMs = nowMs;
        m_burstBytes = 0;
    }
    size_t allowed = pending;
    if (m_baud > 0) {
        // Byte k of the burst may go at start + k * 10000 / baud.
        int64_t due = (nowMs - m_burstStartMs) * m_baud / kBitsTimesMs + 1;
        int64_t left = due - static_cast<int64_t>(m_burstBytes);
        allowed = std::min(allowed, static_cast<size_t>(std::max<int64_t>(0, left)));
    }
    if (m_split) {
        allowed = (m_lastWriteMs >= 0 && nowMs <= m_lastWriteMs) ? 0 : std::min<size_t>(allowed, 1);
    }
    return allowed;
}

void OutputPacer::Sent(size_t count, int64_t nowMs) {
    m_burstBytes += count;
    m_lastWriteMs = nowMs;
}

int64_t OutputPacer::NextDueMs() const {
    int64_t due = m_lastWriteMs + 1;
    if (m_baud > 0 && m_burstStartMs >= 0) {
        int64_t k = static_cast<int64_t>(m_burstBytes);
        due = std::max(due, m_burstStartMs + (k * kBitsTimesMs + m_baud - 1) / m_baud);
    }
    return due;
}

}  // namespace sim

#include "monitor/site_board.h"

#include <algorithm>
#include <chrono>

double UnixNow() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

SiteBoard::SiteBoard() : m_startedUnix(UnixNow()) {}

size_t SiteBoard::Add(const SiteReading& reading) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_sites.push_back(reading);
    return m_sites.size() - 1;
}

void SiteBoard::Update(size_t index, const SiteReading& reading) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (index < m_sites.size()) {
        m_sites[index] = reading;
    }
}

SiteReading SiteBoard::Get(size_t index) const {
    std::lock_guard<std::mutex> lock(m_lock);
    return index < m_sites.size() ? m_sites[index] : SiteReading{};
}

void SiteBoard::RecordLateness(int64_t lateMs) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_lateness.push_back(std::max<int64_t>(lateMs, 0));
    if (m_lateness.size() > kLatenessWindow) {
        m_lateness.pop_front();
    }
    ++m_latenessCount;
}

namespace {
double Quantile(std::vector<int64_t>& sorted, double q) {
    if (sorted.empty()) {
        return 0;
    }
    const size_t at = std::min(sorted.size() - 1, static_cast<size_t>(q * sorted.size()));
    return static_cast<double>(sorted[at]);
}
}  // namespace

BoardSnapshot SiteBoard::Snapshot() const {
    BoardSnapshot snap;
    std::vector<int64_t> late;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        snap.sites = m_sites;
        snap.startedUnix = m_startedUnix;
        late.assign(m_lateness.begin(), m_lateness.end());
        snap.lateness.samples = m_latenessCount;
    }
    snap.takenUnix = UnixNow();
    std::sort(late.begin(), late.end());
    snap.lateness.p50Ms = Quantile(late, 0.50);
    snap.lateness.p99Ms = Quantile(late, 0.99);
    snap.lateness.maxMs = late.empty() ? 0 : static_cast<double>(late.back());
    return snap;
}

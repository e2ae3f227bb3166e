#include "app/core/dial_budget.h"

CDialBudget::CDialBudget(int perHour) : m_perHour(perHour < 1 ? kDefaultPerHour : perHour) {}

void CDialBudget::SetPerHour(int perHour) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_perHour = perHour < 1 ? kDefaultPerHour : perHour;
}

int CDialBudget::PerHour() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_perHour;
}

void CDialBudget::ForgetOldLocked(std::deque<int64_t>& calls, int64_t nowMs) const {
    while (!calls.empty() && calls.front() <= nowMs - kHourMs) {
        calls.pop_front();
    }
}

bool CDialBudget::TryDial(const std::string& number, int64_t nowMs, bool hold) {
    std::lock_guard<std::mutex> lock(m_lock);
    std::deque<int64_t>& calls = m_calls[number];
    ForgetOldLocked(calls, nowMs);
    if (hold && static_cast<int>(calls.size()) >= m_perHour) {
        return false;
    }
    calls.push_back(nowMs);
    return true;
}

int CDialBudget::CallsInLastHour(const std::string& number, int64_t nowMs) const {
    std::lock_guard<std::mutex> lock(m_lock);
    auto it = m_calls.find(number);
    if (it == m_calls.end()) {
        return 0;
    }
    ForgetOldLocked(it->second, nowMs);
    return static_cast<int>(it->second.size());
}

int64_t CDialBudget::NextCallAllowedMs(const std::string& number, int64_t nowMs) const {
    std::lock_guard<std::mutex> lock(m_lock);
    auto it = m_calls.find(number);
    if (it == m_calls.end()) {
        return nowMs;
    }
    std::deque<int64_t>& calls = it->second;
    ForgetOldLocked(calls, nowMs);
    const auto count = static_cast<int>(calls.size());
    if (count < m_perHour) {
        return nowMs;
    }
    // One more call fits once all but perHour - 1 of these have left the hour.
    return calls[static_cast<size_t>(count - m_perHour)] + kHourMs;
}

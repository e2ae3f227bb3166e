// The redial limit: how many "ATDT" calls went to each number in the last hour, and whether the
// console may make another one by itself. Every call is counted (the operator's and the dial
// procedure's own three attempts alike); only the calls the console makes on its own, while
// reconnecting, are held back when the hour's budget is spent.
//
// Thread safety: every function may be called from any thread (the dial procedure asks on the
// System's worker, the document on the UI thread). Times are program milliseconds.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>

class CDialBudget {
public:
    static constexpr int kDefaultPerHour = 10;
    static constexpr int64_t kHourMs = 3600 * 1000;

    explicit CDialBudget(int perHour = kDefaultPerHour);

    void SetPerHour(int perHour);  // values below 1 give the default
    int PerHour() const;

    // A call to `number` is about to go out at `nowMs`. With `hold` (the console dials on its
    // own), false when the budget of the hour is spent: nothing is counted then. Otherwise the
    // call is counted and true.
    bool TryDial(const std::string& number, int64_t nowMs, bool hold);
    // Calls to `number` in the hour before `nowMs`.
    int CallsInLastHour(const std::string& number, int64_t nowMs) const;
    // The first moment from `nowMs` on at which one more call to `number` is within budget.
    int64_t NextCallAllowedMs(const std::string& number, int64_t nowMs) const;

private:
    void ForgetOldLocked(std::deque<int64_t>& calls, int64_t nowMs) const;

    mutable std::mutex m_lock;  // guards everything below
    int m_perHour;
    mutable std::map<std::string, std::deque<int64_t>> m_calls;
};

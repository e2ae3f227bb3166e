#include "app/core/link_watch.h"

#include <algorithm>
#include <memory>
#include <random>

#include "platform/clock.h"

CLinkWatch::CLinkWatch(Clock clock, Random random)
    : m_clock(std::move(clock)), m_random(std::move(random)) {
    if (!m_clock) {
        m_clock = [] { return platform::Clock::NowMs(); };
    }
    if (!m_random) {
        auto engine = std::make_shared<std::mt19937>(std::random_device{}());
        m_random = [engine] { return std::uniform_real_distribution<double>(0.0, 1.0)(*engine); };
    }
}

int64_t CLinkWatch::Now() const {
    return m_clock();
}

int64_t CLinkWatch::NominalWaitMs(int attempt) {
    int64_t wait = kFirstWaitMs;
    for (int i = 1; i < attempt && wait < kLongestWaitMs; ++i) {
        wait *= 2;
    }
    return std::min(wait, kLongestWaitMs);
}

void CLinkWatch::SetEnabled(bool on) {
    m_enabled = on;
    if (!on && (m_state == State::Waiting || m_state == State::Stopped)) {
        m_state = State::Idle;
    }
}

void CLinkWatch::OperatorConnects() {
    m_state = State::Connecting;
    m_attempt = 0;
    m_held = false;
    m_stopReason.clear();
}

void CLinkWatch::OperatorDisconnects() {
    m_state = State::Idle;
    m_attempt = 0;
    m_held = false;
    m_stopReason.clear();
}

void CLinkWatch::LoggedIn() {
    const bool back = m_lossTold;
    m_lossTold = false;
    m_state = State::Up;
    m_attempt = 0;
    m_held = false;
    m_stopReason.clear();
    if (back) {
        for (const Listener& listener : m_backListeners) {
            listener();
        }
    }
}

void CLinkWatch::SessionEnded() {
    switch (m_state) {
        case State::Up:
            m_attempt = 0;
            if (m_enabled) {
                PlanAttempt();
            } else {
                m_state = State::Idle;
            }
            m_lossTold = true;
            for (const Listener& listener : m_lostListeners) {
                listener();
            }
            break;
        case State::Reconnecting:
            if (m_enabled) {
                PlanAttempt();
            } else {
                m_state = State::Idle;
            }
            break;
        case State::Connecting:
            m_state = State::Idle;
            break;
        case State::Idle:
        case State::Waiting:
        case State::Stopped:
            break;
    }
}

void CLinkWatch::StopReconnect(const std::string& why) {
    m_state = State::Stopped;
    m_held = false;
    m_stopReason = why;
}

void CLinkWatch::PlanAttempt() {
    ++m_attempt;
    const auto nominal = static_cast<double>(NominalWaitMs(m_attempt));
    const double share = 1.0 - kJitter * std::clamp(m_random(), 0.0, 1.0);
    m_waitEndsMs = Now() + static_cast<int64_t>(nominal * share);
    m_held = false;
    m_state = State::Waiting;
}

bool CLinkWatch::Due() const {
    return m_state == State::Waiting && Now() >= m_waitEndsMs;
}

void CLinkWatch::AttemptStarts() {
    if (m_attempt == 0) {
        m_attempt = 1;
    }
    m_held = false;
    m_state = State::Reconnecting;
}

void CLinkWatch::HoldUntil(int64_t programMs) {
    if (m_state != State::Waiting) {
        return;
    }
    if (programMs > m_waitEndsMs) {
        m_waitEndsMs = programMs;
        m_held = true;
    }
}

int64_t CLinkWatch::RemainingMs() const {
    return m_state == State::Waiting ? std::max<int64_t>(0, m_waitEndsMs - Now()) : 0;
}

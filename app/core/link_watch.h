// CLinkWatch: follows the session of the unit as the operator sees it and runs the automatic
// reconnect. It knows whether a logged-in session ended without the operator asking (not through
// Disconnect), and then, when reconnect is on, plans the next login after a back-off: 10 s,
// doubling with every failed attempt, at most 5 minutes, each wait drawn between 80 % and 100 % of
// that so that many consoles do not call at the same moment. A login resets the back-off.
//
// It decides nothing about the line itself: the document tells it what happened (Operator...,
// LoggedIn, SessionEnded) and asks it whether an attempt is due. No Qt, no threads of its own.
//
// Threads: UI thread only, every function. The listeners run on the UI thread, inside the call
// that caused them.
//
//   CLinkWatch watch;                 // program time, real randomness
//   watch.OnLinkLost([] { ... });     // e.g. a "link lost" notification
//   watch.SetEnabled(true);
//   watch.OperatorConnects(); ... watch.LoggedIn(); ... watch.SessionEnded();
//   if (watch.Due()) { watch.AttemptStarts(); /* queue the login */ }
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CLinkWatch {
public:
    // Program milliseconds (platform::Clock::NowMs by default); tests give their own.
    using Clock = std::function<int64_t()>;
    // Uniform in [0, 1); a seeded generator by default.
    using Random = std::function<double()>;
    using Listener = std::function<void()>;

    static constexpr int64_t kFirstWaitMs = 10 * 1000;
    static constexpr int64_t kLongestWaitMs = 5 * 60 * 1000;
    static constexpr double kJitter = 0.2;  // a wait is 80 % to 100 % of its nominal length

    enum class State {
        Idle,          // no session, none wanted
        Connecting,    // the operator connected; the login runs
        Up,            // logged in
        Waiting,       // the session was lost; the next attempt waits for its time
        Reconnecting,  // an attempt of the console's own runs
        Stopped,       // reconnect gave up for a reason the operator must see (StopReason)
    };

    explicit CLinkWatch(Clock clock = {}, Random random = {});

    // [Settings] AutoReconnect. Turning it off ends a wait (Idle).
    void SetEnabled(bool on);
    bool Enabled() const { return m_enabled; }

    // What happened.
    void OperatorConnects();     // Connecting; a wait is over
    void OperatorDisconnects();  // Idle
    void LoggedIn();             // Up; the back-off starts again from the first wait
    // The session (or the attempt) is over: nothing is queued or running and the console is not
    // logged in. From Up it is a lost link (the listeners hear of it); then Waiting when reconnect
    // is on, else Idle. A failed attempt of the console's own waits longer; a failed Connect of
    // the operator's is left at that (Idle).
    void SessionEnded();
    // No more attempts until the operator connects again (the modem refused the number, or the
    // line can never work as set up).
    void StopReconnect(const std::string& why);

    // The plan.
    bool Due() const;      // Waiting, and the wait is over
    void AttemptStarts();  // Reconnecting
    // The next attempt is not made before `programMs` (the redial limit).
    void HoldUntil(int64_t programMs);
    bool Held() const { return m_held; }

    State GetState() const { return m_state; }
    // The attempt that runs (Reconnecting) or comes next (Waiting), from 1.
    int Attempt() const { return m_attempt; }
    int64_t WaitEndsMs() const { return m_waitEndsMs; }
    int64_t RemainingMs() const;
    const std::string& StopReason() const { return m_stopReason; }
    // The nominal length of the wait before attempt `attempt` (from 1), before jitter.
    static int64_t NominalWaitMs(int attempt);

    // A logged-in session ended without the operator asking.
    void OnLinkLost(Listener listener) { m_lostListeners.push_back(std::move(listener)); }
    // The console logged in again after a lost link was told: an attempt of its own, or the
    // operator's Connect.
    void OnLinkBack(Listener listener) { m_backListeners.push_back(std::move(listener)); }

private:
    void PlanAttempt();
    int64_t Now() const;

    Clock m_clock;
    Random m_random;
    bool m_enabled = false;
    State m_state = State::Idle;
    int m_attempt = 0;
    int64_t m_waitEndsMs = 0;
    bool m_held = false;
    bool m_lossTold = false;  // OnLinkLost was heard and no login since
    std::string m_stopReason;
    std::vector<Listener> m_lostListeners;
    std::vector<Listener> m_backListeners;
};

// Measures how long the UI event loop was kept from turning: a precise 10 ms timer on the UI
// thread notes the real time of each tick, and the longest gap between two ticks is the longest
// stall (a handler that blocks, a synchronous wait, a modal step that does not pump events).
// The gap includes the timer's own interval, so an idle loop measures about 10 ms.
//
// UI thread only. The meter runs from construction (or Restart) until Stop or destruction.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <string>

class UiStallMeter : public QObject {
public:
    explicit UiStallMeter(int intervalMs = 10);
    ~UiStallMeter() override;
    UiStallMeter(const UiStallMeter&) = delete;
    UiStallMeter& operator=(const UiStallMeter&) = delete;

    // Forgets what was measured and measures again from now.
    void Restart();
    // Stops measuring; the longest gap so far includes the time since the last tick.
    void Stop();
    // Leaves out the time from Pause to Resume: for a test's own slow steps (building widgets to
    // compare with) that are not the console's doing.
    void Pause();
    void Resume();

    // The longest real time between two turns of the loop seen so far, in milliseconds.
    int64_t LongestStallMs() const;
    int64_t Ticks() const { return m_ticks; }

    // One line for the test output, e.g. "UI stall [fault silent-reply]: longest 41 ms over 1203
    // ticks".
    std::string Summary(const std::string& what) const;

private:
    void Tick();

    QTimer m_timer;
    QElapsedTimer m_clock;
    int64_t m_lastTickMs = 0;
    int64_t m_longestMs = 0;
    int64_t m_ticks = 0;
    bool m_running = false;
    bool m_paused = false;
};

// The longest stall over every meter of this test program (recorded by Stop and the destructor),
// for a closing line in the test output.
int64_t LongestUiStallOfProgramMs();

// A message target for tests that records every message it receives (on the UI thread) and can
// stand as the main frame: construct it on the UI thread, then AsMainWindow().
#pragma once

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/window_messages.h"

class RecordingWindow : public platform::MessageTarget {
public:
    struct Message {
        unsigned msg;
        intptr_t wParam;
        intptr_t lParam;
    };

    ~RecordingWindow() override {
        if (platform::MainWindow() == TargetId()) {
            platform::SetMainWindow(0);
        }
    }

    RecordingWindow& AsMainWindow() {
        platform::SetMainWindow(TargetId());
        return *this;
    }

    long OnMessage(unsigned msg, intptr_t wParam, intptr_t lParam) override {
        std::lock_guard<std::mutex> lock(m_lock);
        m_messages.push_back({msg, wParam, lParam});
        return 1;
    }

    std::vector<Message> Messages() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_messages;
    }
    int Count(unsigned msg) const {
        std::lock_guard<std::mutex> lock(m_lock);
        return static_cast<int>(std::count_if(m_messages.begin(), m_messages.end(),
                                              [msg](const Message& m) { return m.msg == msg; }));
    }
    int Count(unsigned msg, intptr_t wParam) const {
        std::lock_guard<std::mutex> lock(m_lock);
        return static_cast<int>(
            std::count_if(m_messages.begin(), m_messages.end(),
                          [&](const Message& m) { return m.msg == msg && m.wParam == wParam; }));
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_messages.clear();
    }

private:
    mutable std::mutex m_lock;
    std::vector<Message> m_messages;
};

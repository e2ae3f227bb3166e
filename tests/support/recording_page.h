// A page window for tests: registers itself as the target of page replies for one exchange state
// (3 Status, 4 Cycle Set Up, 5 Reporting Set Up, 6 Event) and records every reply text it gets.
// An optional hook runs inside the handler, on the UI thread, as a page's own code would.
// Construct and destroy on the UI thread.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/page_windows.h"
#include "platform/window_messages.h"

class RecordingPage : public platform::MessageTarget {
public:
    explicit RecordingPage(int exchangeStatus) : m_status(exchangeStatus) {
        SetPageWindow(m_status, TargetId());
    }
    ~RecordingPage() override {
        if (PageWindow(m_status) == TargetId()) {
            SetPageWindow(m_status, 0);
        }
    }

    long OnMessage(unsigned msg, intptr_t, intptr_t lParam) override {
        if (msg != platform::WM_PAGE_REPLY) {
            return 0;
        }
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_replies.push_back(reinterpret_cast<const ReplyCell*>(lParam)->text);
        }
        if (m_onReply) {
            m_onReply();
        }
        return 1;
    }

    // Set before replies can arrive.
    void OnReply(std::function<void()> hook) { m_onReply = std::move(hook); }

    std::vector<std::string> Replies() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_replies;
    }
    size_t ReplyCount() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_replies.size();
    }

private:
    int m_status;
    std::function<void()> m_onReply;
    mutable std::mutex m_lock;
    std::vector<std::string> m_replies;
};

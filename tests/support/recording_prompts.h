// A prompt service for tests: records every message box and answers from a queue (default: OK for
// OK boxes, Yes for Yes/No boxes). Install with platform::SetPromptService(&prompts) and remove with
// platform::SetPromptService(nullptr).
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/prompt.h"

class RecordingPrompts : public platform::PromptService {
public:
    platform::PromptAnswer Show(const std::string& text, platform::PromptButtons buttons,
                                platform::PromptIcon, const std::string& caption) override {
        std::lock_guard<std::mutex> lock(m_lock);
        m_texts.push_back(text);
        m_captions.push_back(caption);
        if (!m_answers.empty()) {
            auto answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        }
        return buttons == platform::PromptButtons::YesNo ? platform::PromptAnswer::Yes
                                                         : platform::PromptAnswer::Ok;
    }
    void QueueAnswer(platform::PromptAnswer answer) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_answers.push_back(answer);
    }
    std::vector<std::string> Texts() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_texts;
    }
    std::string Last() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_texts.empty() ? std::string() : m_texts.back();
    }
    // The caption of the last box ("" when none was shown).
    std::string LastCaption() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_captions.empty() ? std::string() : m_captions.back();
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_texts.clear();
        m_captions.clear();
        m_answers.clear();
    }

private:
    mutable std::mutex m_lock;
    std::vector<std::string> m_texts;
    std::vector<std::string> m_captions;
    std::deque<platform::PromptAnswer> m_answers;
};

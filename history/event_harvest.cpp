#include "history/event_harvest.h"

#include "protocol/event_lines.h"

namespace history {

namespace {
constexpr int kStepFirst = 1;
constexpr int kStepNext = 3;
}  // namespace

std::string EventHarvest::Start() {
    m_state = State::Reading;
    m_problem.clear();
    m_lastPage = 0;
    m_pages = 0;
    m_events.clear();
    m_seen.clear();
    return BuildEventRequest(kStepFirst, -1);
}

std::string EventHarvest::OnReply(const std::string& text) {
    if (m_state != State::Reading) {
        return {};
    }
    const EventPage page = ParseEventPage(text);
    if (page.page < 1 || page.pages < 1 || page.page > page.pages) {
        m_state = State::Failed;
        m_problem = "The unit's answer does not say which page of its event list it is.";
        return {};
    }
    if (page.page != m_lastPage + 1) {
        m_state = State::Failed;
        m_problem = "The unit sent page " + std::to_string(page.page) + " where page " +
                    std::to_string(m_lastPage + 1) +
                    " was asked for; its event list changed while it was read.";
        return {};
    }
    m_lastPage = page.page;
    m_pages = page.pages;
    for (const UnitEventRecord& event : page.events) {
        Key key{event.dryer, event.event, event.description, event.date, event.time};
        if (m_seen.insert(key).second) {
            m_events.push_back(event);
        }
    }
    if (page.page == page.pages) {
        m_state = State::Done;
        return {};
    }
    if (m_lastPage >= kMaxPages) {
        m_state = State::Failed;
        m_problem = "The unit's event list has more than " + std::to_string(kMaxPages) + " pages.";
        return {};
    }
    return BuildEventRequest(kStepNext, -1);
}

bool EventHarvest::Expects(const std::string& text) const {
    const EventPage page = ParseEventPage(text);
    return m_state == State::Reading && page.pages >= 1 && page.page == m_lastPage + 1 &&
           page.page <= page.pages;
}

void EventHarvest::Cancel(const std::string& why) {
    if (m_state == State::Reading) {
        m_state = State::Failed;
        m_problem = why;
    }
}

}  // namespace history

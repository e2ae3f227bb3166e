// Reading the unit's whole event list, one screen page after the other: the first page, then
// "next page" until the header says the last page was reached ("N of N"), in whatever sort the
// unit has now. The harvest only decides what to ask next and gathers what came back; the page
// that sends the requests keeps the rule of one request in flight.
//
// One thread (the one that feeds it replies).
#pragma once

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "history/unit_event.h"

namespace history {

class EventHarvest {
public:
    enum class State { Idle, Reading, Done, Failed };

    // The request for the first page; the harvest starts over.
    std::string Start();
    // A reply without its "\r\nEOT". Returns the next request, or "" when the harvest ended
    // (State() says how).
    std::string OnReply(const std::string& text);
    // True when `text` is the page the harvest waits for (the next one, with a readable header).
    bool Expects(const std::string& text) const;
    // Stops the harvest; what was gathered stays.
    void Cancel(const std::string& why);

    State state() const { return m_state; }
    bool Running() const { return m_state == State::Reading; }
    // Why it failed or was cancelled.
    const std::string& Problem() const { return m_problem; }
    int PagesRead() const { return m_lastPage; }
    int PageCount() const { return m_pages; }
    // The events in the unit's order, each one once (an event that moved to the next page while
    // the list was read is not counted twice).
    const std::vector<UnitEventRecord>& Events() const { return m_events; }

    // A harvest never reads more pages than this (a unit whose count never ends).
    static constexpr int kMaxPages = 2000;

private:
    using Key = std::tuple<std::string, std::string, std::string, std::string, std::string>;

    State m_state = State::Idle;
    std::string m_problem;
    int m_lastPage = 0;
    int m_pages = 0;
    std::vector<UnitEventRecord> m_events;
    std::set<Key> m_seen;
};

}  // namespace history

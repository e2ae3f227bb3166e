// One site the monitor reads: its own CSystem (and port), logged in through the unit's login
// dialogue and asked for the Status page. The site is the System's frame and reply target, so
// its messages never reach another site's. One poll at a time: Poll() logs in when the link is
// down, asks for the Status page and ends by calling `done` with whether the unit answered; the
// reading goes to the board.
//
// UI thread only (construction, Poll, the messages, destruction).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "monitor/site_board.h"
#include "platform/window_messages.h"

class CSystem;
class PollScheduler;

// How to reach a site.
struct SiteConfig {
    std::string name;
    std::string phone;  // "host port" (TCP/IP) or the number to dial
    uint8_t commType = 2;
    // Serial and dial-up: the line of [CommSetup].
    uint8_t serialNo = 1;
    uint8_t baudIndex = 6;
    std::string device;
    // Hang up after each poll (serial and dial-up sites share one line).
    bool hangUpAfterPoll = false;
};

class SiteWatch : public platform::MessageTarget {
public:
    SiteWatch(const SiteConfig& config, int16_t systemId, SiteBoard& board, size_t boardIndex,
              PollScheduler& scheduler);
    ~SiteWatch() override;  // the System ends (worker, port, log)

    // Starts the System's worker; false (debug-logged) when it cannot run.
    bool Start();
    // Starts a poll; `done(answered)` runs once when it ends. Ignored while a poll runs.
    void Poll(std::function<void(bool answered)> done);
    bool Busy() const { return m_busy; }
    const SiteConfig& Config() const { return m_config; }

    long OnMessage(unsigned msg, intptr_t wParam, intptr_t lParam) override;

    // The longest a poll may take before it counts as failed: the engine ends a silent exchange
    // after 15 s and a TCP connect wait after 16 s; a dial-up line may dial for three minutes.
    static constexpr int64_t kTcpPollLimitMs = 60000;
    static constexpr int64_t kDialPollLimitMs = 240000;

private:
    void AskStatus();
    void Finish(bool answered, const std::string& error, const std::string& reply = {});
    void DropLink();

    SiteConfig m_config;
    std::unique_ptr<CSystem> m_system;
    SiteBoard& m_board;
    size_t m_boardIndex;
    PollScheduler& m_scheduler;
    SiteReading m_reading;

    bool m_busy = false;
    int64_t m_pollStartMs = 0;
    uint64_t m_limitJob = 0;
    uint64_t m_hangUpJob = 0;
    std::function<void(bool)> m_done;
};

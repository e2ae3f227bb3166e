// The unit's side of one line: the login dialogue and the framing of page replies, byte in,
// bytes out. It knows nothing of sockets or timing; the simulator feeds it what the console sent
// and sends what it answers. The faults that change what the unit says are applied here.
//
// Not thread-safe: one dialogue belongs to one line and is used by one thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sim/fault_mode.h"

namespace sim {

class UnitDialogue {
public:
    enum class Stage { Asleep, AskKeyword, Command, Menu, Pages };

    // Gives the reply data for one page request line (without its "\r").
    using PageServer = std::function<std::string(const std::string& line)>;

    struct Output {
        std::string bytes;                  // to send, in order
        bool hangUp = false;                // drop the line once `bytes` are out
        std::vector<std::string> requests;  // page request lines taken in, "\r" included
        bool loggedIn = false;              // a login was completed by this input
    };

    UnitDialogue(std::string keyword, PageServer server);

    // Takes what the console sent and gives what the unit answers to it.
    Output Feed(const std::string& received, const FaultModes& faults);
    // The line was dropped: the next console starts from the beginning.
    void Restart();
    Stage CurrentStage() const { return m_stage; }

    // The texts the unit sends during the login.
    static const char* const kGreeting;
    static const char* const kKeywordPrompt;
    static const char* const kCommandPrompt;
    static const char* const kMainMenu;
    static const char* const kConsoleReady;

private:
    void Wake(Output& out, const FaultModes& faults);
    void TakeLine(const std::string& line, Output& out, const FaultModes& faults);
    void Say(const std::string& text, Output& out, const FaultModes& faults);
    void Reply(const std::string& line, Output& out, const FaultModes& faults);

    std::string m_keyword;
    PageServer m_server;
    Stage m_stage = Stage::Asleep;
    std::string m_line;
    bool m_lineTooLong = false;
};

// The text the unit puts before and after an answer when the line is noisy: no letters, no "(",
// no 0x00 and no 0xFF, so it never completes a marker by itself.
extern const char* const kLineNoise;

}  // namespace sim

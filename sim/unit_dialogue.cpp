#include "sim/unit_dialogue.h"

#include <utility>

namespace sim {
namespace {

constexpr size_t kMaxLine = 4096;
constexpr size_t kOverlongReply = 5000;

bool IsQuit(const std::string& line) {
    return line == "q" || line == "Q";
}

// Text of an over-long reply: numbered lines of digits and dashes, never "EOT".
std::string OverlongText() {
    std::string text;
    for (int i = 0; text.size() < kOverlongReply; ++i) {
        text += std::to_string(i) + "-0123456789-0123456789-0123456789\r\n";
    }
    return text;
}

}  // namespace

const char* const kLineNoise = "#%&*+<>@|~\x01\x7F\x80\xA5\xFE";

const char* const UnitDialogue::kGreeting = "\r\nCORVANTIS DRYER CONTROL UNIT (V1.8)\r\n";
const char* const UnitDialogue::kKeywordPrompt = "\r\nENTER KEYWORD: ";
const char* const UnitDialogue::kCommandPrompt = "\r\nCOMMAND ? ";
const char* const UnitDialogue::kMainMenu =
    "\r\n1) SYSTEM STATUS\r\n2) CYCLE SET UP\r\n3) REPORTING SET UP\r\n4) EVENT LOG\r\n"
    "5) REMOTE CONSOLE\r\n(Q=Quit)";
const char* const UnitDialogue::kConsoleReady = "\r\nREMOTE CONSOLE READY (Q=Quit)";

UnitDialogue::UnitDialogue(std::string keyword, PageServer server)
    : m_keyword(std::move(keyword)), m_server(std::move(server)) {}

void UnitDialogue::Restart() {
    m_stage = Stage::Asleep;
    m_line.clear();
    m_lineTooLong = false;
}

UnitDialogue::Output UnitDialogue::Feed(const std::string& received, const FaultModes& faults) {
    Output out;
    for (char c : received) {
        if (out.hangUp) {
            break;
        }
        if (c == '\r') {
            std::string line;
            line.swap(m_line);
            if (!m_lineTooLong) {
                TakeLine(line, out, faults);
            }
            m_lineTooLong = false;
        } else if (c == '\n') {
            // A terminal's line feed after the carriage return means nothing to the unit.
        } else if (c == ' ' && m_line.empty() && !m_lineTooLong) {
            Wake(out, faults);
        } else if (m_line.size() < kMaxLine) {
            m_line += c;
        } else {
            m_line.clear();
            m_lineTooLong = true;
        }
    }
    return out;
}

void UnitDialogue::Say(const std::string& text, Output& out, const FaultModes& faults) {
    if (faults.silentLogin) {
        return;
    }
    if (faults.garbage) {
        out.bytes += kLineNoise;
    }
    if (faults.ffByte) {
        out.bytes += '\xFF';
    }
    out.bytes += text;
}

void UnitDialogue::Wake(Output& out, const FaultModes& faults) {
    if (faults.silentLogin) {
        return;
    }
    // The first blank gets the greeting; every further one (also from a console that logs in
    // again on a line the unit thought was still in use) gets the keyword prompt.
    Say(m_stage == Stage::Asleep ? kGreeting : kKeywordPrompt, out, faults);
    m_stage = Stage::AskKeyword;
}

void UnitDialogue::TakeLine(const std::string& line, Output& out, const FaultModes& faults) {
    switch (m_stage) {
        case Stage::Asleep:
            Wake(out, faults);
            return;
        case Stage::AskKeyword:
            if (faults.silentLogin) {
                return;
            }
            if (line == m_keyword) {
                Say(kCommandPrompt, out, faults);
                m_stage = Stage::Command;
            } else {
                Say(std::string("\r\nINVALID KEYWORD") + kKeywordPrompt, out, faults);
            }
            return;
        case Stage::Command:
        case Stage::Menu:
            if (faults.silentLogin) {
                return;
            }
            if (line == "5") {
                Say(kMainMenu, out, faults);
                m_stage = Stage::Menu;
            } else if (line == "ck") {
                Say(kConsoleReady, out, faults);
                m_stage = Stage::Pages;
                out.loggedIn = true;
            } else if (IsQuit(line)) {
                Say("\r\nBYE\r\n", out, faults);
                m_stage = Stage::Asleep;
            } else {
                Say(m_stage == Stage::Menu ? kMainMenu : kCommandPrompt, out, faults);
            }
            return;
        case Stage::Pages:
            if (!line.empty() && line[0] == '/') {
                Reply(line, out, faults);
            } else if (IsQuit(line)) {
                Say("\r\nBYE\r\n", out, faults);
                m_stage = Stage::Asleep;
            } else if (line == "5") {
                Say(kMainMenu, out, faults);
            } else if (line == "ck") {
                Say(kConsoleReady, out, faults);
            }
            return;
    }
}

void UnitDialogue::Reply(const std::string& line, Output& out, const FaultModes& faults) {
    out.requests.push_back(line + "\r");
    if (faults.silentReply) {
        return;
    }
    std::string data = m_server(line);
    const std::string echo = faults.noEcho ? "" : line + "\r\n";
    std::string reply;
    if (faults.overlong) {
        reply = echo + OverlongText();
    } else {
        size_t middle = data.size() / 2;
        std::string inserted;
        if (faults.eotInData) {
            inserted += "EOT";
        }
        if (faults.nulByte) {
            inserted += '\0';
        }
        if (faults.ffByte) {
            inserted += '\xFF';
        }
        data.insert(middle, inserted);
        reply = echo + data + "EOT";
    }
    if (faults.closeMidReply) {
        out.bytes += reply.substr(0, echo.size() + (reply.size() - echo.size()) / 2);
        out.hangUp = true;
        return;
    }
    if (faults.garbage) {
        reply = kLineNoise + reply + kLineNoise;
    }
    out.bytes += reply;
}

}  // namespace sim

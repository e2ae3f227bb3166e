// How the console treats what the unit sends: its three login steps with their end markers and
// prompt answers, and how it cuts a page reply out of the received text. The simulator's tests
// hold the unit's answers against this model.
#pragma once

#include <cstring>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace simtest {

// The console searches its received text only up to the first zero byte.
inline std::string SearchableText(const std::string& received) {
    return received.substr(0, std::strlen(received.c_str()));
}

// Runs the login against `talk` (sends a step's text to the unit, gives back what the unit
// answers). True when the last step ended; `sent` gets every text the console sent.
inline bool RunConsoleLogin(const std::function<std::string(const std::string&)>& talk,
                            const std::string& keyword, std::vector<std::string>* sent = nullptr) {
    struct Step {
        std::string send, endPara, prompt;
        bool last;
    };
    std::deque<Step> steps = {{" ", "ENTER KEYWORD", "(", false},
                              {keyword + "\r", "Quit)", "COMMAND ?", false},
                              {"ck\r", "Quit)", "", true}};
    std::string collected;
    for (int guard = 0; !steps.empty() && guard < 20; ++guard) {
        Step step = steps.front();
        steps.pop_front();
        if (sent) {
            sent->push_back(step.send);
        }
        bool ended = false;
        for (char b : talk(step.send)) {
            collected += b;
            if (b == '\xFF') {
                collected.clear();
                continue;
            }
            std::string text = SearchableText(collected);
            if (!step.endPara.empty() && text.find(step.endPara) != std::string::npos) {
                ended = true;
            } else if (!step.prompt.empty() && text.find(step.prompt) != std::string::npos) {
                if (step.prompt == "(") {
                    steps.push_front({" ", "ENTER KEYWORD", "(", false});
                } else if (step.prompt == "COMMAND ?") {
                    steps.push_front({"5\r", "Quit)", "", false});
                }
                ended = true;
            }
            if (ended) {
                collected.clear();
                break;  // what follows arrives with no command current and is dropped
            }
        }
        if (!ended) {
            return false;  // the console would wait for its idle limit
        }
        if (step.last) {
            return true;
        }
    }
    return false;
}

// The text a page receives for `request` ("\r" included) out of `received`, or nothing.
inline std::optional<std::string> CutReply(const std::string& request,
                                           const std::string& received) {
    std::string collected;
    for (char b : received) {
        collected += b;
        if (collected.size() >= 4096) {
            collected.clear();
            continue;
        }
        if (collected.size() < 3 || collected.compare(collected.size() - 3, 3, "EOT") != 0) {
            continue;
        }
        std::string text = SearchableText(collected);
        size_t k = text.find(request);
        if (k != std::string::npos) {
            std::string reply = text.substr(std::min(text.size(), k + request.size() + 1));
            size_t eot = reply.find("EOT");
            return eot == std::string::npos ? reply : reply.substr(0, eot + 3);
        }
        collected.clear();
    }
    return std::nullopt;
}

}  // namespace simtest

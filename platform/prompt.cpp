#include "platform/prompt.h"

#include <atomic>
#include <cstdio>

namespace platform {
namespace {

class HeadlessPrompts : public PromptService {
public:
    PromptAnswer Show(const std::string& text, PromptButtons buttons, PromptIcon,
                      const std::string& caption) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
    }
};

HeadlessPrompts g_headless;
std::atomic<PromptService*> g_service{nullptr};

}  // namespace

PromptService& Prompts() {
    PromptService* s = g_service.load();
    return s ? *s : g_headless;
}

void SetPromptService(PromptService* service) { g_service.store(service); }

PromptAnswer MessageBox(const std::string& text, PromptButtons buttons, PromptIcon icon) {
    return Prompts().Show(text, buttons, icon, "Corvantis");
}

}  // namespace platform

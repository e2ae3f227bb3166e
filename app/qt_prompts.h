// The console's message boxes shown as QMessageBox: caption, icon and buttons as asked, texts read
// as Latin-1. Called off the UI thread, the box is shown on the UI thread and the caller waits.
// On a platform that shows nothing ("offscreen", "minimal") nobody could answer a box: the text
// goes to stderr and the usual answer (OK, Yes) is taken, as in a headless run.
#pragma once

#include "platform/prompt.h"

class QtPrompts : public platform::PromptService {
public:
    platform::PromptAnswer Show(const std::string& text, platform::PromptButtons buttons,
                                platform::PromptIcon icon, const std::string& caption) override;

private:
    platform::PromptAnswer ShowOnUiThread(const std::string& text, platform::PromptButtons buttons,
                                          platform::PromptIcon icon, const std::string& caption);
};

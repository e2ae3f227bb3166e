// The prompt service: message boxes. The GUI shows a QMessageBox; tests install their own to read
// the text and give the answer; without either, the headless default writes the text to stderr and
// answers OK / Yes.
//
// UI thread only.
#pragma once

#include <string>

namespace platform {

enum class PromptButtons { Ok, YesNo, OkCancel };
enum class PromptIcon { None, Information, Warning, Stop, Question };
enum class PromptAnswer { Ok, Yes, No, Cancel };

class PromptService {
public:
    virtual ~PromptService() = default;
    // `text` is 8-bit (Latin-1) like every text of the console.
    virtual PromptAnswer Show(const std::string& text, PromptButtons buttons, PromptIcon icon,
                              const std::string& caption) = 0;
};

PromptService& Prompts();
void SetPromptService(PromptService* service);  // nullptr restores the headless default

// Convenience: the console's usual box (caption "Corvantis").
PromptAnswer MessageBox(const std::string& text, PromptButtons buttons = PromptButtons::Ok,
                        PromptIcon icon = PromptIcon::None);

}  // namespace platform

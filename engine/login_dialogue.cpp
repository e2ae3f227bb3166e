#include "engine/login_dialogue.h"

namespace {
const char* const kLoginLabel = "Login.";
const char* const kSaveDbLabel = "SaveDB.";
}  // namespace

CCommandNode* MakeLoginSteps(int16_t systemId, const std::string& keyword) {
    auto* first = new CCommandNode(systemId, CMD_LOGIN, " ", "ENTER KEYWORD", "(", kLoginLabel);
    first->Next =
        new CCommandNode(systemId, CMD_LOGIN, keyword + "\r", "Quit)", "COMMAND ?", kLoginLabel);
    first->Next->Next = new CCommandNode(systemId, CMD_LOGIN, "ck\r", "Quit)", "", kLoginLabel, 1);
    return first;
}

CCommandNode* MakePromptAnswer(int16_t systemId, const std::string& prompt) {
    if (prompt == "COMMAND ?") {
        return new CCommandNode(systemId, CMD_LOGIN, "5\r", "Quit)", "", kLoginLabel);
    }
    if (prompt == "[Remote]:") {
        return new CCommandNode(systemId, CMD_SAVE_DB, "\r", "[System]:", "", kSaveDbLabel);
    }
    if (prompt == "(") {
        return new CCommandNode(systemId, CMD_LOGIN, " ", "ENTER KEYWORD", "(", kLoginLabel);
    }
    return nullptr;
}

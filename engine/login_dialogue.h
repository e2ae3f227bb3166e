// The unit's login dialogue: the three steps the console sends, and the answers it gives to the
// unit's prompts. The unit's menus end in "Quit)", its keyword prompt reads "ENTER KEYWORD", and a
// menu line with "(" before the keyword prompt means the unit wants another blank.
#pragma once

#include <cstdint>
#include <string>

#include "engine/command_node.h"

// The three login steps, linked in order: " " until "ENTER KEYWORD", the keyword and "\r" until
// "Quit)" (or "COMMAND ?"), then "ck\r" until "Quit)" as the last step.
CCommandNode* MakeLoginSteps(int16_t systemId, const std::string& keyword);

// The node that answers `prompt` ("COMMAND ?", "[Remote]:" or "("), or null for any other prompt.
CCommandNode* MakePromptAnswer(int16_t systemId, const std::string& prompt);

#include "engine/command_node.h"

#include <utility>

CCommandNode::CCommandNode(int16_t systemId, uint8_t commandId, std::string sendText,
                           std::string endPara, std::string prompt, std::string label,
                           int32_t lastStep)
    : SystemID(systemId),
      CommandID(commandId),
      SendText(std::move(sendText)),
      EndPara(std::move(endPara)),
      Prompt(std::move(prompt)),
      Label(std::move(label)),
      LastStep(lastStep) {}

CCommandNode::~CCommandNode() {
    // Deleting a node deletes the rest of its queue. Unlinked one by one, so that a long queue
    // cannot exhaust the stack.
    CCommandNode* next = Next;
    Next = nullptr;
    while (next) {
        CCommandNode* after = next->Next;
        next->Next = nullptr;
        delete next;
        next = after;
    }
}

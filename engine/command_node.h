// One command for a unit: what it sends and how its exchange ends. A node is owned by the System
// from the moment it is queued; deleting a node deletes the nodes linked after it.
#pragma once

#include <cstdint>
#include <string>

// Command ids.
constexpr uint8_t CMD_LINK_ONLY = 1;         // establish the link, send nothing
constexpr uint8_t CMD_LOGIN = 100;           // login dialogue step
constexpr uint8_t CMD_LOGOUT = 101;          // logout step
constexpr uint8_t CMD_PAGE_STATUS = 102;     // "Status" page request
constexpr uint8_t CMD_PAGE_CYCLE = 103;      // "Cycle Set Up" page request
constexpr uint8_t CMD_PAGE_REPORTING = 104;  // "Reporting Set Up" page request
constexpr uint8_t CMD_PAGE_EVENT = 105;      // "Event" page request
constexpr uint8_t CMD_SAVE_DB = 106;         // "SaveDB." step
constexpr uint8_t CMD_CLOSING = 107;         // closing step

class CCommandNode {
public:
    CCommandNode() = default;
    CCommandNode(int16_t systemId, uint8_t commandId, std::string sendText,
                 std::string endPara = {}, std::string prompt = {}, std::string label = {},
                 int32_t lastStep = 0);
    virtual ~CCommandNode();  // deletes Next, and so the rest of the queue
    CCommandNode(const CCommandNode&) = delete;
    CCommandNode& operator=(const CCommandNode&) = delete;

    CCommandNode* Next = nullptr;
    int16_t SystemID = 0x7FFF;
    uint8_t CommandID = 255;
    std::string SendText;
    std::string EndPara;
    std::string Prompt;
    std::string Label;
    int32_t LastStep = 0;
};

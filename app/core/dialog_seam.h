// How the document runs its modal dialogs. The Qt dialogs implement it (dialogs/); tests put in
// their own to drive the document without windows.
#pragma once

#include <cstdint>
#include <string>

class CHalvoricDoc;

// The values the "Dial Setup" dialog shows and edits.
struct DialSetupValues {
    uint8_t CommType = 1;
    uint8_t SerialNo = 1;
    uint8_t BaudIndex = 6;
    uint8_t ParityIndex = 0;
    uint8_t DataBits = 8;
    uint8_t StopIndex = 0;
    std::string Telephone;
    std::string Device;  // shown only: the ini's "Device", empty when none
};

class IDocumentDialogs {
public:
    virtual ~IDocumentDialogs() = default;
    // The "Phone Book" dialog, modal. True when the operator selected a site; the selection has
    // then already copied the site's phone into System 1 and its port.
    virtual bool RunPhoneBook(CHalvoricDoc& doc) = 0;
    // The "Dial Setup" dialog, modal. True on OK, with `values` changed in place.
    virtual bool RunDialSetup(DialSetupValues& values) = 0;
};

// Connecting to a phone-book site by its name, as the operator does with "Connect" and "Select"
// in the "Phone Book" dialog: the site's phone goes into System 1 and its port, the frame is told
// "Connecting", and the login is queued.
#pragma once

#include <string>

class CHalvoricDoc;
class CPhoneEntry;

// The first entry whose site name is exactly `name`, or null.
const CPhoneEntry* FindSite(const CPhoneEntry* head, const std::string& name);

// False when there is no such site or no System, or (after "Connecting..." is shown) when the
// System is still busy with a command. UI thread.
bool ConnectToSite(CHalvoricDoc& doc, const std::string& name);

#include "app/site_connect.h"

#include <cstring>

#include "app/core/document.h"
#include "platform/prompt.h"

const CPhoneEntry* FindSite(const CPhoneEntry* head, const std::string& name) {
    for (const CPhoneEntry* entry = head; entry; entry = entry->next) {
        if (name == entry->siteName) {
            return entry;
        }
    }
    return nullptr;
}

bool ConnectToSite(CHalvoricDoc& doc, const std::string& name) {
    const CPhoneEntry* site = FindSite(doc.m_pPhoneBook, name);
    CSystem* system = doc.FirstSystem();
    if (!site || !system) {
        return false;
    }
    if (system->HasCurCommand()) {
        platform::MessageBox("Connecting...");
        return false;
    }
    system->Telephone = site->phone;
    if (system->Port) {
        system->Port->SetAddress(site->phone);
    }
    doc.LogInNow(*system);
    return true;
}

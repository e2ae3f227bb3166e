#include "dialogs/dlg_phone_book.h"

#include "app/core/document.h"
#include "app/core/phone_book.h"
#include "controls/sort_list_ctrl.h"
#include "dialogs/dlg_phone.h"
#include "pages/dialog_units.h"
#include "platform/prompt.h"

CDlgPhoneBook::CDlgPhoneBook(CHalvoricDoc& doc, QWidget* parent)
    : CModalDialog("Phone Book", 300, 187, parent),
      m_pDoc(&doc),
      m_listSites(new CSortListCtrl(IDC_LIST_SITES, this)) {
    m_listSites->setGeometry(dlgunits::DialogRect(7, 7, 224, 166));
    m_listSites->setObjectName(QString::number(IDC_LIST_SITES));
    AddButton(IDC_BTN_ADD, "Add", 243, 17, 50, 14, false, [this] { OnAdd(); });
    AddButton(IDC_BTN_DELETE, "Delete", 243, 43, 50, 14, false, [this] { OnDelete(); });
    AddButton(IDC_BTN_EDIT, "Edit", 243, 70, 50, 14, false, [this] { OnEdit(); });
    AddButton(IDC_BTN_SELECT, "Select", 243, 111, 50, 14, true, [this] { OnSelect(); });
    AddButton(IDCANCEL, "Cancel", 243, 151, 50, 14, false, [this] { reject(); });
    // A double click on a site picks it, as Select does.
    connect(m_listSites, &QAbstractItemView::doubleClicked, this, [this] { OnSelect(); });
}

void CDlgPhoneBook::OnInitDialog() {
    m_listSites->SetGridLines(true);
    if (m_listSites->m_nNumColumns == 0) {
        m_listSites->SetHeadings("No.,30;Site Name,120;Phone,110");
    }
    m_listSites->LoadColumnWidths(m_pDoc->Profile());
    RefreshList();
    m_listSites->setFocus();
}

void CDlgPhoneBook::RefreshList() {
    m_listSites->DeleteAllItems();
    int position = 0;
    for (CPhoneEntry* entry = m_pDoc->m_pPhoneBook; entry; entry = entry->next, ++position) {
        int row =
            m_listSites->AddItem({std::to_string(position + 1), entry->siteName, entry->phone});
        m_listSites->SetItemData(row, static_cast<uint32_t>(position + 1));
    }
    // Refilled rows come in phone-book order; keep them in the order the heading shows.
    m_listSites->SortAgain();
}

int CDlgPhoneBook::SelectedPosition() {
    int row = m_listSites->GetFirstSelected();
    if (row < 0) {
        platform::MessageBox("Please select a site!");
        return -1;
    }
    return static_cast<int>(m_listSites->GetItemData(row)) - 1;
}

int CDlgPhoneBook::RowOf(int position) const {
    for (int row = 0; row < m_listSites->GetItemCount(); ++row) {
        if (static_cast<int>(m_listSites->GetItemData(row)) == position + 1) {
            return row;
        }
    }
    return -1;
}

void CDlgPhoneBook::SaveChanges() {
    // The document tells the operator when the save fails; the list keeps the change.
    m_pDoc->SavePhoneBook();
}

bool CDlgPhoneBook::RunPhone(std::string& site, std::string& phone) {
    CDlgPhone dlg(this);
    dlg.m_strSite = site;
    dlg.m_strPhone = phone;
    if (dlg.DoModal() != QDialog::Accepted) {
        return false;
    }
    site = dlg.m_strSite;
    phone = dlg.m_strPhone;
    return true;
}

void CDlgPhoneBook::OnAdd() {
    std::string site, phone;
    if (!RunPhone(site, phone)) {
        return;
    }
    auto* entry = new CPhoneEntry;
    entry->SetSiteName(site);
    entry->SetPhone(phone);
    m_pDoc->AddPhoneEntry(entry);
    SaveChanges();
    RefreshList();
    // Show the new site selected, ready for Select.
    int row = RowOf(phonebook::Count(m_pDoc->m_pPhoneBook) - 1);
    m_listSites->SelectRow(row);
}

void CDlgPhoneBook::OnDelete() {
    int position = SelectedPosition();
    if (position < 0 || !m_pDoc->GetPhoneEntry(position)) {
        return;
    }
    if (platform::Prompts().Show("Are you sure to delete this site?",
                                 platform::PromptButtons::YesNo, platform::PromptIcon::None,
                                 "Delete Site") != platform::PromptAnswer::Yes) {
        return;
    }
    m_pDoc->RemovePhoneEntry(position);
    SaveChanges();
    RefreshList();
}

void CDlgPhoneBook::OnEdit() {
    int position = SelectedPosition();
    if (position < 0) {
        return;
    }
    CPhoneEntry* entry = m_pDoc->GetPhoneEntry(position);
    if (!entry) {
        return;
    }
    std::string site = entry->siteName;
    std::string phone = entry->phone;
    if (RunPhone(site, phone)) {
        entry->SetSiteName(site);
        entry->SetPhone(phone);
        SaveChanges();
        RefreshList();
    }
    m_listSites->SelectRow(RowOf(position));
}

void CDlgPhoneBook::OnSelect() {
    int position = SelectedPosition();
    if (position < 0) {
        return;
    }
    CPhoneEntry* entry = m_pDoc->GetPhoneEntry(position);
    if (!entry) {
        return;
    }
    CSystem* system = m_pDoc->FindSystem(1);
    if (!system) {
        platform::MessageBox("There is no System to call.", platform::PromptButtons::Ok,
                             platform::PromptIcon::Warning);
        return;
    }
    system->Telephone = entry->phone;
    if (system->Port) {
        system->Port->SetAddress(entry->phone);
    }
    QDialog::accept();
}

#include "dialogs/dlg_phone.h"

#include <QLineEdit>

#include "app/core/phone_book.h"
#include "platform/prompt.h"

CDlgPhone::CDlgPhone(QWidget* parent) : CModalDialog("Setup Phone", 189, 97, parent) {
    AddGroupBox(7, 7, 170, 59);
    AddStatic("Site:", 19, 21, 29, 10);
    AddEdit(IDC_EDIT_SITE, 61, 21, 103, 12);
    AddStatic("Phone:", 19, 42, 29, 10);
    AddEdit(IDC_EDIT_PHONE, 61, 42, 103, 12);
    LimitText(IDC_EDIT_SITE, kSiteNameMax);
    LimitText(IDC_EDIT_PHONE, kPhoneMax);
    AddButton(IDOK, "Ok", 27, 76, 50, 14, true, [this] { OnOK(); });
    AddButton(IDCANCEL, "Cancel", 107, 76, 50, 14, false, [this] { reject(); });
}

void CDlgPhone::OnInitDialog() {
    SetEditText(IDC_EDIT_SITE, m_strSite);
    SetEditText(IDC_EDIT_PHONE, m_strPhone);
    GetDlgItem(IDC_EDIT_SITE)->setFocus();
}

void CDlgPhone::OnOK() {
    if (!CheckMaxChars(IDC_EDIT_SITE, kSiteNameMax) || !CheckMaxChars(IDC_EDIT_PHONE, kPhoneMax)) {
        return;
    }
    std::string site = EditText(IDC_EDIT_SITE);
    if (site.find(',') != std::string::npos) {
        platform::MessageBox("don't input ','.", platform::PromptButtons::Ok,
                             platform::PromptIcon::Warning);
        GetDlgItem(IDC_EDIT_SITE)->setFocus();
        return;
    }
    m_strSite = site;
    m_strPhone = EditText(IDC_EDIT_PHONE);
    QDialog::accept();
}

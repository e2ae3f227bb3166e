// CDlgPhone: the "Setup Phone" dialog, one phone-book entry's site name (at most 40 characters)
// and telephone number (at most 20). The caller sets m_strSite and m_strPhone, runs DoModal and,
// on QDialog::Accepted, reads them back.
//
// A site name may not hold a ",": the phone book stores each entry as "site name,phone" and reads
// it back split at the first comma, so such a name would cut the number on the next start.
//
// UI thread only.
#pragma once

#include <string>

#include "dialogs/modal_dialog.h"

constexpr int IDC_EDIT_SITE = 1030;
constexpr int IDC_EDIT_PHONE = 1041;

class CDlgPhone : public CModalDialog {
    Q_OBJECT
public:
    explicit CDlgPhone(QWidget* parent = nullptr);

    std::string m_strSite;
    std::string m_strPhone;

    void OnInitDialog() override;
    void OnOK();
    void accept() override { OnOK(); }
};

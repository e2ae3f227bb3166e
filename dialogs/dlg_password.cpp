#include "dialogs/dlg_password.h"

#include <QLineEdit>

#include "controls/unit_text.h"

CDlgPassword::CDlgPassword(QWidget* parent) : CModalDialog("Password", 158, 71, parent) {
    AddStatic("Please input password:", 39, 7, 96, 15);
    QLineEdit* edit = AddEdit(IDC_PASSWORD_EDIT, 39, 25, 80, 15);
    ShowAsStars(edit);
    // Typing stops at 8 characters, and at characters without an 8-bit code (they would reach the
    // unit as "?" and fail for no reason the operator could see).
    LimitText(IDC_PASSWORD_EDIT, kPasswordMax);
    AddButton(IDOK, "OK", 19, 50, 50, 14, true, [this] { accept(); });
    AddButton(IDCANCEL, "Cancel", 86, 50, 50, 14, false, [this] { reject(); });
    edit->setFocus();
}

QLineEdit* CDlgPassword::Edit() const {
    return Item<QLineEdit>(IDC_PASSWORD_EDIT);
}

void CDlgPassword::OnInitDialog() {
    SetEditText(IDC_PASSWORD_EDIT, m_strPassword);
}

void CDlgPassword::accept() {
    m_strPassword = EditText(IDC_PASSWORD_EDIT);
    QDialog::accept();
}

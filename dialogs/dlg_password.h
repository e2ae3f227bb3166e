// CDlgPassword: the "Password" dialog. Asks for the unit's password before a page sends a command
// that changes the unit. At most 8 characters, shown masked; the console neither stores nor checks
// it: the page puts it in front of its request and the unit decides.
#pragma once

#include <string>

#include "dialogs/modal_dialog.h"

constexpr int kPasswordMax = 8;
constexpr int IDC_PASSWORD_EDIT = 1011;

class CDlgPassword : public CModalDialog {
    Q_OBJECT
public:
    explicit CDlgPassword(QWidget* parent = nullptr);

    // The typed text (8-bit), set when the dialog is closed with OK; empty at construction.
    std::string m_strPassword;

    QLineEdit* Edit() const;

    void OnInitDialog() override;
    void accept() override;
};

// CDlgPassword: the "Password" dialog. Asks for the unit's password before a page sends a command
// that changes the unit. At most 8 characters, shown masked; the console neither stores nor checks
// it: the page puts it in front of its request and the unit decides.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

constexpr int kPasswordMax = 8;
constexpr int IDC_PASSWORD_EDIT = 1011;

class CDlgPassword : public QDialog {
    Q_OBJECT
public:
    explicit CDlgPassword(QWidget* parent = nullptr);

    // The typed text (Latin-1), set when the dialog is closed with OK; empty at construction.
    std::string m_strPassword;

    QLineEdit* Edit() const { return m_edit; }

    void accept() override;

private:
    QLineEdit* m_edit = nullptr;
};

#include "dialogs/dlg_password.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "pages/dialog_units.h"

CDlgPassword::CDlgPassword(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Password");
    setFont(QFont("MS Shell Dlg", 8));
    setFixedSize(dlgunits::DialogSize(158, 71));

    auto* prompt = new QLabel("Please input password:", this);
    prompt->setGeometry(dlgunits::DialogRect(39, 7, 96, 15));

    m_edit = new QLineEdit(this);
    m_edit->setObjectName("password");
    m_edit->setGeometry(dlgunits::DialogRect(39, 25, 80, 15));
    m_edit->setEchoMode(QLineEdit::Password);
    m_edit->setMaxLength(kPasswordMax);
    // The password goes to the unit as 8-bit text: a character that has no 8-bit code would reach
    // it as "?" and fail for no reason the operator could see, so it cannot be typed.
    m_edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[\\x{20}-\\x{7E}\\x{A0}-\\x{FF}]*")), m_edit));

    auto* ok = new QPushButton("OK", this);
    ok->setGeometry(dlgunits::DialogRect(19, 50, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* cancel = new QPushButton("Cancel", this);
    cancel->setGeometry(dlgunits::DialogRect(86, 50, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_edit->setFocus();
}

void CDlgPassword::accept() {
    m_strPassword = m_edit->text().toLatin1().toStdString();
    QDialog::accept();
}

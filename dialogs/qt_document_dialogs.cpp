#include "dialogs/qt_document_dialogs.h"

#include <QApplication>

#include "dialogs/dlg_phone_book.h"
#include "dialogs/dlg_system_setup.h"

QWidget* QtDocumentDialogs::Parent() const {
    return m_parent ? m_parent : QApplication::activeWindow();
}

bool QtDocumentDialogs::RunPhoneBook(CHalvoricDoc& doc) {
    CDlgPhoneBook dlg(doc, Parent());
    return dlg.DoModal() == QDialog::Accepted;
}

bool QtDocumentDialogs::RunDialSetup(DialSetupValues& values) {
    CDlgSystemSetup dlg(Parent());
    dlg.m_nCommType = values.CommType;
    dlg.m_nSerialNo = values.SerialNo;
    dlg.m_nBaudIndex = values.BaudIndex;
    dlg.m_nParity = values.ParityIndex;
    dlg.m_nDataBits = values.DataBits;
    dlg.m_nStopBits = values.StopIndex;
    dlg.m_strTelephone = values.Telephone;
    dlg.m_strDevice = values.Device;
    if (dlg.DoModal() != QDialog::Accepted) {
        return false;
    }
    values.CommType = dlg.m_nCommType;
    values.SerialNo = dlg.m_nSerialNo;
    values.BaudIndex = dlg.m_nBaudIndex;
    values.ParityIndex = dlg.m_nParity;
    values.DataBits = dlg.m_nDataBits;
    values.StopIndex = dlg.m_nStopBits;
    values.Telephone = dlg.m_strTelephone;
    return true;
}

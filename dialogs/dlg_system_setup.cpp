#include "dialogs/dlg_system_setup.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "app/state/app_state.h"
#include "engine/comm_port.h"

namespace {

// The position of the n-th `c` in `text` (n counted from 1), -1 when there are fewer.
int FindNth(const std::string& text, char c, int n) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == c && --n == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The device a COM number opens when the settings file names none.
std::string DefaultDevice(int serialNo) {
    CCommPort port;
    port.SerialNo = static_cast<uint8_t>(serialNo);
    return port.DevicePath();
}

// A freshly filled list selects nothing until told what to show.
void Fill(QComboBox* combo, const QStringList& entries) {
    combo->clear();
    combo->addItems(entries);
    combo->setCurrentIndex(-1);
}

}  // namespace

CDlgSystemSetup::CDlgSystemSetup(QWidget* parent) : CModalDialog("Dial Setup", 285, 131, parent) {
    AddGroupBox(10, 7, 268, 86);
    AddStatic("Comm Type:", 24, 24, 46, 9);
    AddComboBox(IDC_COMBO_COMMTYPE, 74, 23, 53);
    AddStatic("Serial No:", 153, 23, 46, 9);
    AddComboBox(IDC_COMBO_SERIALNO, 208, 23, 53);
    AddStatic("BaudRate:", 24, 44, 46, 9);
    AddComboBox(IDC_COMBO_BAUDRATE, 74, 44, 53);
    AddStatic("Parity:", 153, 44, 46, 9);
    AddComboBox(IDC_COMBO_PARITY, 208, 44, 53);
    AddStatic("Data Bits:", 24, 64, 46, 9);
    AddComboBox(IDC_COMBO_DATABITS, 74, 64, 53);
    AddStatic("Stop Bits:", 153, 64, 46, 9);
    AddComboBox(IDC_COMBO_STOPBITS, 208, 64, 53);
    AddStatic("Telephone:", 24, 84, 46, 9)->hide();
    AddEdit(IDC_EDIT_TELEPHONE, 74, 84, 90, 12)->hide();
    LimitText(IDC_EDIT_TELEPHONE, kTelephoneEditMax);
    // Where the (hidden) telephone row stands: the device the chosen COM opens.
    m_deviceNote = AddStatic("", 24, 80, 250, 10);
    m_deviceNote->hide();
    AddButton(IDOK, "Ok", 76, 107, 50, 14, true, [this] { OnOK(); });
    AddButton(IDCANCEL, "Cancel", 166, 107, 50, 14, false, [this] { reject(); });

    connect(Item<QComboBox>(IDC_COMBO_COMMTYPE), &QComboBox::activated, this,
            [this] { OnSelChangeCommType(); });
    connect(Item<QComboBox>(IDC_COMBO_SERIALNO), &QComboBox::currentIndexChanged, this,
            [this] { UpdateDeviceNote(); });
}

void CDlgSystemSetup::OnInitDialog() {
    for (int id : {IDC_COMBO_COMMTYPE, IDC_COMBO_PARITY, IDC_COMBO_DATABITS, IDC_COMBO_STOPBITS}) {
        Item<QComboBox>(id)->setEnabled(false);
    }
    FillLists();
    UpdateDeviceNote();
    Item<QComboBox>(IDC_COMBO_COMMTYPE)->setCurrentIndex(m_nCommType < 3 ? m_nCommType : -1);
    SetEditText(IDC_EDIT_TELEPHONE, m_strPhoneEdit);
    OnSelChangeCommType();
}

void CDlgSystemSetup::FillLists() {
    Fill(Item<QComboBox>(IDC_COMBO_COMMTYPE), {"Direct", "Dial", "TCP/IP"});
    QStringList ports;
    for (int n = 1; n <= kSerialPortCount; ++n) {
        QString entry = QString("COM%1").arg(n);
        if (m_strDevice.empty()) {
            entry += QString(" (%1)").arg(QString::fromStdString(DefaultDevice(n)));
        }
        ports << entry;
    }
    auto* serial = Item<QComboBox>(IDC_COMBO_SERIALNO);
    Fill(serial, ports);
    // The entries name their devices: let the open list be wider than the closed box.
    serial->view()->setMinimumWidth(serial->view()->sizeHintForColumn(0) + 24);
    QStringList rates;
    for (int rate : kBaudRates) {
        rates << QString::number(rate);
    }
    Fill(Item<QComboBox>(IDC_COMBO_BAUDRATE), rates);
    Fill(Item<QComboBox>(IDC_COMBO_PARITY), {"No", "Odd", "Even"});
    Fill(Item<QComboBox>(IDC_COMBO_DATABITS), {"7", "8"});
    Fill(Item<QComboBox>(IDC_COMBO_STOPBITS), {"1", "1.5", "2"});
}

void CDlgSystemSetup::UpdateDeviceNote() {
    QString note;
    if (!m_strDevice.empty()) {
        note = QString("Serial device: %1 (set by \"Device\" in Corvantis.ini)")
                   .arg(QString::fromLatin1(m_strDevice.c_str()));
    } else if (int index = Item<QComboBox>(IDC_COMBO_SERIALNO)->currentIndex(); index >= 0) {
        note = QString("Serial device: %1").arg(QString::fromStdString(DefaultDevice(index + 1)));
    }
    m_deviceNote->setText(note);
    m_deviceNote->setVisible(!note.isEmpty());
}

void CDlgSystemSetup::SelectValues() {
    // A value outside a list selects nothing there (QComboBox takes -1 as "no selection").
    auto select = [this](int id, int index) {
        auto* combo = Item<QComboBox>(id);
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    };
    select(IDC_COMBO_SERIALNO, m_nSerialNo - 1);
    select(IDC_COMBO_BAUDRATE, m_nBaudIndex);
    select(IDC_COMBO_DATABITS, m_nDataBits - 7);
    select(IDC_COMBO_STOPBITS, m_nStopBits);
    select(IDC_COMBO_PARITY, m_nParity);
}

void CDlgSystemSetup::OnSelChangeCommType() {
    int type = Item<QComboBox>(IDC_COMBO_COMMTYPE)->currentIndex();
    if (type == COMM_DIRECT || type == COMM_DIALUP) {
        SelectValues();
        if (type == COMM_DIALUP && FindNth(m_strTelephone, '.', 3) < 0) {
            SetEditText(IDC_EDIT_TELEPHONE, m_strTelephone);
        }
        Item<QComboBox>(IDC_COMBO_SERIALNO)->setEnabled(true);
        Item<QComboBox>(IDC_COMBO_BAUDRATE)->setEnabled(true);
        Item<QLineEdit>(IDC_EDIT_TELEPHONE)->setEnabled(type == COMM_DIALUP);
    }
    // TCP/IP: the serial lists stay without a selection; the address is not touched.
}

int CDlgSystemSetup::Selection(int id, int current) const {
    int index = Item<QComboBox>(id)->currentIndex();
    return index >= 0 ? index : current;
}

void CDlgSystemSetup::OnOK() {
    if (!CheckMaxChars(IDC_EDIT_TELEPHONE, kTelephoneEditMax)) {
        return;
    }
    m_strPhoneEdit = EditText(IDC_EDIT_TELEPHONE);
    // A list without a selection (a TCP/IP System, or a value the lists do not hold) leaves its
    // value as it was rather than turning "nothing" into a number.
    m_nCommType = static_cast<uint8_t>(Selection(IDC_COMBO_COMMTYPE, m_nCommType));
    m_nSerialNo = static_cast<uint8_t>(Selection(IDC_COMBO_SERIALNO, m_nSerialNo - 1) + 1);
    m_nBaudIndex = static_cast<uint8_t>(Selection(IDC_COMBO_BAUDRATE, m_nBaudIndex));
    m_nDataBits = static_cast<uint8_t>(Selection(IDC_COMBO_DATABITS, m_nDataBits - 7) + 7);
    m_nStopBits = static_cast<uint8_t>(Selection(IDC_COMBO_STOPBITS, m_nStopBits));
    m_nParity = static_cast<uint8_t>(Selection(IDC_COMBO_PARITY, m_nParity));
    if (m_nCommType == COMM_DIRECT) {
        m_strTelephone.clear();
    } else if (m_nCommType == COMM_DIALUP) {
        m_strTelephone = m_strPhoneEdit;
    }
    QDialog::accept();
}

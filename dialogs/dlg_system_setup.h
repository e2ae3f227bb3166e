// CDlgSystemSetup: the "Dial Setup" dialog. Shows the connection settings of the System and lets
// the operator change the COM port and the baud rate; comm type, parity, data bits and stop bits
// are shown but fixed. The telephone edit exists but is never shown: it carries a dial-up System's
// number through the dialog (or clears it, when the number looks like an IP address).
//
// On Linux each COM entry names the device it opens ("COM1 (/dev/ttyS0)"), and so does the line
// under the lists for the chosen one; when the settings file names a "Device", that line says that
// this device is opened whatever the COM.
//
// The caller sets the value members, runs DoModal and, on QDialog::Accepted, reads them back.
// UI thread only.
#pragma once

#include <cstdint>
#include <string>

#include "dialogs/modal_dialog.h"

constexpr int IDC_COMBO_COMMTYPE = 1004;
constexpr int IDC_EDIT_TELEPHONE = 1005;
constexpr int IDC_COMBO_SERIALNO = 1006;
constexpr int IDC_COMBO_STOPBITS = 1007;
constexpr int IDC_COMBO_BAUDRATE = 1008;
constexpr int IDC_COMBO_DATABITS = 1009;
constexpr int IDC_COMBO_PARITY = 1010;

constexpr int kSerialPortCount = 24;
constexpr int kTelephoneEditMax = 25;

class CDlgSystemSetup : public CModalDialog {
    Q_OBJECT
public:
    explicit CDlgSystemSetup(QWidget* parent = nullptr);

    uint8_t m_nCommType = 0;   // 0 direct, 1 dial-up, 2 TCP/IP
    uint8_t m_nSerialNo = 0;   // COM number 1..24
    uint8_t m_nBaudIndex = 0;  // index into kBaudRates
    uint8_t m_nParity = 0;     // 0 "No", 1 "Odd", 2 "Even"
    uint8_t m_nDataBits = 0;   // 7 or 8
    uint8_t m_nStopBits = 0;   // 0 "1", 1 "1.5", 2 "2"
    std::string m_strTelephone;
    std::string m_strPhoneEdit;  // the telephone edit's text, at most 25 characters
    std::string m_strDevice;     // the settings file's "Device", shown only

    void OnInitDialog() override;
    void OnSelChangeCommType();
    void OnOK();
    void accept() override { OnOK(); }

private:
    void FillLists();
    void SelectValues();
    // The line under the lists: the device the chosen COM opens, or the one the settings name.
    void UpdateDeviceNote();
    // The selection of combo `id`, or `current` when nothing is selected there.
    int Selection(int id, int current) const;

    QLabel* m_deviceNote = nullptr;
};

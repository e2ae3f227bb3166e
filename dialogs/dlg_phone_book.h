// CDlgPhoneBook: the "Phone Book" dialog. Lists the document's sites and offers Add, Delete, Edit,
// Select and Cancel. Every change is saved to the settings file at once (a failed save is told to
// the operator; the list keeps the change). Select copies the chosen number into System 1 and its
// port and closes the dialog with QDialog::Accepted; that is what lets "Connect" go on.
//
// Each row carries its entry's number in the phone book (1-based) as its item data, so the
// commands act on the site the selected row shows even after the operator sorted the list. With
// several rows selected they act on the highest one on screen.
//
// UI thread only.
#pragma once

#include "dialogs/modal_dialog.h"

class CHalvoricDoc;
class CPhoneEntry;
class CSortListCtrl;

constexpr int IDC_LIST_SITES = 1040;
constexpr int IDC_BTN_DELETE = 3;
constexpr int IDC_BTN_ADD = 4;
constexpr int IDC_BTN_EDIT = 5;
constexpr int IDC_BTN_SELECT = 7;

class CDlgPhoneBook : public CModalDialog {
    Q_OBJECT
public:
    explicit CDlgPhoneBook(CHalvoricDoc& doc, QWidget* parent = nullptr);

    CHalvoricDoc* m_pDoc;
    CSortListCtrl* m_listSites;

    void OnInitDialog() override;
    void RefreshList();

    void OnAdd();
    void OnDelete();
    void OnEdit();
    void OnSelect();

private:
    // The phone-book position of the site the first selected row shows; -1, after telling the
    // operator "Please select a site!", when no row is selected.
    int SelectedPosition();
    // The row that shows the entry at `position`, -1 when none does.
    int RowOf(int position) const;
    void SaveChanges();
    // Runs "Setup Phone" on the texts; true on OK with the texts changed.
    bool RunPhone(std::string& site, std::string& phone);
};

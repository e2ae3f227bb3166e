// CSortListCtrl: a report list whose rows can be sorted by clicking a column heading. Every row
// keeps its own copy of its cell texts and a 32-bit user value (its "item data"); sorting compares
// those copies: whole numbers as numbers, dd/mm/yyyy as dates, anything else as text (see
// controls/sort_compare.h). A second click on the same heading reverses the order; the heading
// shows the direction with an arrow (CSortHeaderCtrl).
//
// Column widths can be restored from the settings file: section [ListCtrls], key = the list's
// control id in decimal, value = the header's width record (controls/profile_binary.h). The console
// never writes that value.
//
// UI thread only.
#pragma once

#include <QTableView>
#include <cstdint>
#include <string>
#include <vector>

#include "controls/sort_header_ctrl.h"

class CSortListModel;

namespace platform {
class IniFile;
}

class CSortListCtrl : public QTableView {
    Q_OBJECT
public:
    CSortListCtrl(int controlId, QWidget* parent = nullptr);

    int m_nNumColumns = 0;
    int m_nSortColumn = -1;
    int m_bSortAscending = 1;

    int ControlId() const { return m_nControlId; }
    CSortHeaderCtrl* Header() const { return m_header; }

    // Columns from "name,width;name,width;..." (widths in pixels). False when the text holds no
    // column at all.
    bool SetHeadings(const std::string& headings);
    // Appends a row, one text per column; returns its index, or -1 when the number of texts is
    // not the number of columns.
    int AddItem(const std::vector<std::string>& texts);
    bool SetItemData(int row, uint32_t value);  // false when the row does not exist
    uint32_t GetItemData(int row) const;        // 0 when the row does not exist
    std::string GetItemText(int row, int column) const;
    int GetItemCount() const;
    void DeleteAllItems();

    // Grid lines between the cells (on by default).
    void SetGridLines(bool on) { setShowGrid(on); }

    // Column widths from the [ListCtrls] value of this list, if there is a usable one.
    void LoadColumnWidths(const platform::IniFile* profile);

    // The heading of `column` was clicked: sorts by it, reversing on a repeated click.
    void OnColumnClick(int column);
    // Sorts again by the current sort column and direction (after the rows were refilled).
    void SortAgain();

    // The lowest-numbered selected row, -1 when none.
    int GetFirstSelected() const;
    // Selects `row` (keeping other selected rows) and makes it the focused row.
    void SelectRow(int row);

private:
    void ApplySort();

    int m_nControlId;
    CSortListModel* m_model;
    CSortHeaderCtrl* m_header;
};

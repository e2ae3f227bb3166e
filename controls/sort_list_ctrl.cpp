#include "controls/sort_list_ctrl.h"

#include <QItemSelectionModel>

#include "app/state/app_state.h"
#include "controls/profile_binary.h"
#include "controls/sort_compare.h"
#include "controls/sort_list_model.h"
#include "platform/ini_file.h"

CSortListCtrl::CSortListCtrl(int controlId, QWidget* parent)
    : QTableView(parent),
      m_nControlId(controlId),
      m_model(new CSortListModel(this)),
      m_header(new CSortHeaderCtrl(this)) {
    setModel(m_model);
    setHorizontalHeader(m_header);
    verticalHeader()->hide();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setShowGrid(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    connect(m_header, &QHeaderView::sectionClicked, this, &CSortListCtrl::OnColumnClick);
}

bool CSortListCtrl::SetHeadings(const std::string& headings) {
    std::size_t pos = 0;
    bool added = false;
    while (pos < headings.size()) {
        std::size_t comma = headings.find(',', pos);
        if (comma == std::string::npos) {
            break;
        }
        std::size_t semicolon = headings.find(';', comma + 1);
        std::string name = headings.substr(pos, comma - pos);
        std::string width = headings.substr(
            comma + 1, semicolon == std::string::npos ? std::string::npos : semicolon - comma - 1);
        long long pixels = sortlist::CellNumber(width);
        m_model->AddColumn(name);
        m_header->resizeSection(m_nNumColumns, pixels < 0 ? 0 : static_cast<int>(pixels));
        ++m_nNumColumns;
        added = true;
        if (semicolon == std::string::npos) {
            break;
        }
        pos = semicolon + 1;
    }
    return added;
}

int CSortListCtrl::AddItem(const std::vector<std::string>& texts) {
    if (static_cast<int>(texts.size()) != m_nNumColumns || m_nNumColumns == 0) {
        return -1;
    }
    return m_model->AddRow(texts);
}

bool CSortListCtrl::SetItemData(int row, uint32_t value) {
    return m_model->SetUserValue(row, value);
}

uint32_t CSortListCtrl::GetItemData(int row) const {
    return m_model->UserValue(row);
}

std::string CSortListCtrl::GetItemText(int row, int column) const {
    return m_model->Text(row, column);
}

int CSortListCtrl::GetItemCount() const {
    return m_model->rowCount();
}

void CSortListCtrl::DeleteAllItems() {
    m_model->Clear();
}

void CSortListCtrl::LoadColumnWidths(const platform::IniFile* profile) {
    if (!profile) {
        return;
    }
    std::string key = std::to_string(m_nControlId);
    std::string value = profile->GetString("ListCtrls", key, "");
    if (value.empty()) {
        return;
    }
    auto record = profilebinary::Decode(value);
    if (!record || !m_header->LoadWidths(*record)) {
        DebugLog("LoadColumnWidths() ignored [ListCtrls] " + key +
                 ": not a width record for this list's columns");
    }
}

void CSortListCtrl::OnColumnClick(int column) {
    if (column < 0 || column >= m_nNumColumns) {
        return;
    }
    m_bSortAscending = (column != m_nSortColumn) ? 1 : !m_bSortAscending;
    m_nSortColumn = column;
    ApplySort();
}

void CSortListCtrl::SortAgain() {
    if (m_nSortColumn >= 0) {
        ApplySort();
    }
}

void CSortListCtrl::ApplySort() {
    m_header->SetSortImage(m_nSortColumn, m_bSortAscending != 0);
    m_model->Sort(m_nSortColumn, m_bSortAscending != 0);
}

int CSortListCtrl::GetFirstSelected() const {
    int first = -1;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        if (first < 0 || index.row() < first) {
            first = index.row();
        }
    }
    return first;
}

void CSortListCtrl::SelectRow(int row) {
    if (row < 0 || row >= GetItemCount()) {
        return;
    }
    QModelIndex index = m_model->index(row, 0);
    selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    scrollTo(index);
}

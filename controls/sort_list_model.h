// The rows of the sortable list: each row keeps its own copy of every cell text (8-bit, shown as
// Latin-1) and a 32-bit user value. Sorting reorders these rows in place; the views' selection and
// current row follow the rows they were on.
//
// UI thread only.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <string>
#include <vector>

class CSortListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CSortListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void AddColumn(const std::string& name);
    // Appends a row holding `texts` (one per column); returns its index.
    int AddRow(std::vector<std::string> texts);
    void Clear();

    const std::string& Text(int row, int column) const;  // empty when out of range
    bool SetUserValue(int row, uint32_t value);          // false when there is no such row
    uint32_t UserValue(int row) const;                   // 0 when there is no such row

    // Orders the rows by `column` with the list's cell comparison.
    void Sort(int column, bool ascending);

private:
    struct RowRecord {
        std::vector<std::string> texts;
        uint32_t userValue = 0;
    };
    bool ValidRow(int row) const { return row >= 0 && row < static_cast<int>(m_rows.size()); }

    std::vector<std::string> m_headings;
    std::vector<RowRecord> m_rows;
};

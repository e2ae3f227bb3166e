#include "controls/sort_list_model.h"

#include "controls/sort_compare.h"

CSortListModel::CSortListModel(QObject* parent) : QAbstractTableModel(parent) {}

int CSortListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CSortListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headings.size());
}

QVariant CSortListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !ValidRow(index.row())) {
        return QVariant();
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        const std::string& text = Text(index.row(), index.column());
        return QString::fromLatin1(text.data(), qsizetype(text.size()));
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return QVariant();
}

QVariant CSortListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(m_headings.size())) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return QString::fromLatin1(m_headings[section].data(),
                                   qsizetype(m_headings[section].size()));
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return QVariant();
}

void CSortListModel::AddColumn(const std::string& name) {
    int column = static_cast<int>(m_headings.size());
    beginInsertColumns(QModelIndex(), column, column);
    m_headings.push_back(name);
    for (auto& row : m_rows) {
        row.texts.emplace_back();
    }
    endInsertColumns();
}

int CSortListModel::AddRow(std::vector<std::string> texts) {
    texts.resize(m_headings.size());
    int row = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), row, row);
    m_rows.push_back(RowRecord{std::move(texts), 0});
    endInsertRows();
    return row;
}

void CSortListModel::Clear() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

const std::string& CSortListModel::Text(int row, int column) const {
    static const std::string kNone;
    if (!ValidRow(row) || column < 0 || column >= static_cast<int>(m_rows[row].texts.size())) {
        return kNone;
    }
    return m_rows[row].texts[column];
}

bool CSortListModel::SetUserValue(int row, uint32_t value) {
    if (!ValidRow(row)) {
        return false;
    }
    m_rows[row].userValue = value;
    return true;
}

uint32_t CSortListModel::UserValue(int row) const {
    return ValidRow(row) ? m_rows[row].userValue : 0;
}

void CSortListModel::Sort(int column, bool ascending) {
    if (column < 0 || column >= static_cast<int>(m_headings.size())) {
        return;
    }
    std::vector<int> order =
        sortlist::SortedOrder(static_cast<int>(m_rows.size()), [&](int x, int y) {
            const std::string& a = m_rows[x].texts[column];
            const std::string& b = m_rows[y].texts[column];
            return ascending ? sortlist::CompareCells(a, b) : sortlist::CompareCells(b, a);
        });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(order.size());
    std::vector<RowRecord> sorted;
    sorted.reserve(m_rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        newRowOf[order[i]] = static_cast<int>(i);
        sorted.push_back(std::move(m_rows[order[i]]));
    }
    m_rows.swap(sorted);
    QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from) {
        to.append(index.isValid() && index.row() < static_cast<int>(newRowOf.size())
                      ? createIndex(newRowOf[index.row()], index.column())
                      : QModelIndex());
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

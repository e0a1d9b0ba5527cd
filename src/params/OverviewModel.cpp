#include "params/OverviewModel.h"

void OverviewModel::setOverview(Overview overview) {
    beginResetModel();
    m_overview = std::move(overview);
    endResetModel();
}

int OverviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_overview.rows.size());
}

int OverviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1 + Overview::ValueColumns;
}

QVariant OverviewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_overview.rows.size())
        return {};
    const OverviewRow& row = m_overview.rows[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == 0 ? row.name : row.cells.value(index.column() - 1);
    case Qt::TextAlignmentRole:
        return index.column() == 0 ? QVariant(int(Qt::AlignLeft | Qt::AlignVCenter))
                                   : QVariant(int(Qt::AlignRight | Qt::AlignVCenter));
    default:
        return {};
    }
}

QVariant OverviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_overview.headings.value(section);
    return section < m_overview.rows.size() ? QVariant(m_overview.rows[section].entry) : QVariant();
}

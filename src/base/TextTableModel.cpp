#include "base/TextTableModel.h"

TextTableModel::TextTableModel(QObject* parent) : QAbstractTableModel(parent) {}

int TextTableModel::widest() const {
    qsizetype columns = m_header.size();
    for (const QStringList& row : m_rows)
        columns = std::max(columns, row.size());
    return int(columns);
}

void TextTableModel::setHeader(const QStringList& header) {
    beginResetModel();
    m_header = header;
    m_columns = widest();
    endResetModel();
}

void TextTableModel::setRowHeader(const QStringList& header) {
    m_rowHeader = header;
    if (!m_rows.isEmpty())
        Q_EMIT headerDataChanged(Qt::Vertical, 0, int(m_rows.size()) - 1);
}

void TextTableModel::setRows(const QList<QStringList>& rows) {
    beginResetModel();
    m_rows = rows;
    m_columns = widest();
    endResetModel();
}

void TextTableModel::appendRow(const QStringList& row) {
    if (row.size() > m_columns) {
        beginInsertColumns({}, m_columns, int(row.size()) - 1);
        m_columns = int(row.size());
        endInsertColumns();
    }
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at);
    m_rows.append(row);
    endInsertRows();
}

void TextTableModel::setCell(int row, int column, const QString& text) {
    if (row < 0 || row >= m_rows.size() || column < 0)
        return;
    if (column >= m_columns) {
        beginInsertColumns({}, m_columns, column);
        m_columns = column + 1;
        endInsertColumns();
    }
    QStringList& cells = m_rows[row];
    while (cells.size() <= column)
        cells.append(QString());
    cells[column] = text;
    Q_EMIT dataChanged(index(row, column), index(row, column));
}

void TextTableModel::clear() {
    beginResetModel();
    m_rows.clear();
    m_columns = int(m_header.size());
    endResetModel();
}

QString TextTableModel::cell(int row, int column) const {
    return row >= 0 && row < m_rows.size() ? m_rows[row].value(column) : QString();
}

int TextTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TextTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QVariant TextTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return cell(index.row(), index.column());
}

QVariant TextTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section < m_header.size() ? QVariant(m_header[section]) : QVariant();
    return section < m_rowHeader.size() ? QVariant(m_rowHeader[section])
                                        : QVariant(QString::number(section + 1));
}

#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

// A table of texts for a view (QTableView) and for files and printing alike: the overview, the
// alarm history, the logger, the sensor lists. The core object that computes the cells fills it;
// the window only shows it, and rows added while a long operation runs appear as they come.
//
//   TextTableModel table;
//   table.setHeader({texts.LoadText(254), "1", "2"});
//   table.appendRow({"Setpoint", "120.0", "80.0"});
//   view->setModel(&table);
class TextTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TextTableModel(QObject* parent = nullptr);

    // Column captions; the number of columns is the longest of the header and the rows.
    void setHeader(const QStringList& header);
    // Vertical captions (row names); empty = row numbers.
    void setRowHeader(const QStringList& header);
    void setRows(const QList<QStringList>& rows);
    void appendRow(const QStringList& row);
    void setCell(int row, int column, const QString& text);
    void clear();

    QString cell(int row, int column) const;
    const QList<QStringList>& rows() const { return m_rows; }
    const QStringList& header() const { return m_header; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    int widest() const;

    QStringList m_header;
    QStringList m_rowHeader;
    QList<QStringList> m_rows;
    int m_columns = 0;
};

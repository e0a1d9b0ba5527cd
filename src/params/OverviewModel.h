#pragma once

#include "params/Overview.h"

#include <QAbstractTableModel>

// The overview as a read-only table for a grid: column 0 the names, columns 1..20 the values,
// the headings as horizontal header. Rebuilt as a whole with setOverview().
class OverviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setOverview(Overview overview);
    const Overview& overview() const { return m_overview; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    Overview m_overview;
};

#pragma once

#include "app/Compare.h"
#include "base/TextTableModel.h"

#include <QDialog>

class QLabel;
class QTableView;
class Workspace;

// The differences of "Compare with controller" and "Compare with file": one line per value
// that differs, both values as the windows show them.
class frmCompare : public QDialog {
    Q_OBJECT
public:
    explicit frmCompare(Workspace& ws, QWidget* parent = nullptr);

    // Shows `comparison` under `title`.
    void showComparison(const QString& title, const ImageComparison& comparison);
    const TextTableModel& table() const { return m_table; }

private:
    Workspace& m_ws;
    TextTableModel m_table;
    QLabel* m_lblCompare = nullptr;
    QTableView* m_grdCompare = nullptr;
};

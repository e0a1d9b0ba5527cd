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

    // Shows `comparison` under the caption `title` gives; both follow a language switch.
    void showComparison(QString (*title)(const Texts&), const ImageComparison& comparison);
    const TextTableModel& table() const { return m_table; }

private:
    void draw();

    Workspace& m_ws;
    QString (*m_title)(const Texts&) = nullptr;
    ImageComparison m_comparison;
    TextTableModel m_table;
    QLabel* m_lblCompare = nullptr;
    QTableView* m_grdCompare = nullptr;
};

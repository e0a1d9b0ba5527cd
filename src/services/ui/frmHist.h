#pragma once

#include "app/ui/SecondaryWindow.h"
#include "base/TextTableModel.h"

#include <QList>

class AlarmHistoryRead;
class QLabel;
class QModelIndex;
class QPushButton;
class QTableView;
class TrendChart;
struct AlarmHistory;

// The controller's alarm history: the entries in a grid (grdAlarm), the bits of the selected
// cell explained below it, the alarms as a timeline beside it (its "Save as CSV" writes the
// entries for a spreadsheet), and the change log into a text file (cmdFile). The history is read
// whenever the user brings the window forward and with cmdHolmal, whose caption shows the progress
// ("8-(" when the controller stopped answering).
//
// The grid's heading row is the table's header; grid row r holds entry r + 1 (announced entries
// that were not read stay empty).
class frmHist : public SecondaryWindow {
    Q_OBJECT
public:
    explicit frmHist(Workspace& ws);

    void activated() override;
    void retranslate() override;

    // cmdHolmal: reads the history again into the grid.
    void readHistory();
    // cmdFile: the change log into a text file the user chooses.
    void saveChangeLog();

    const AlarmHistory& history() const;
    const TextTableModel& table() const { return m_table; }
    TrendChart* chart() const { return m_chart; }

private:
    enum class State { Idle, Reading, Failed, NoHistory };

    void setState(State state);
    void showCaption();
    void showTable();
    void showHeader();
    void showRow(int row);
    void showExplanation();
    void showPlot();
    void enableCommands();
    QString chooseFile(const QString& filter, const QString& suffix);

    AlarmHistoryRead* m_read = nullptr;
    TextTableModel m_table;
    QTableView* m_grid = nullptr;
    TrendChart* m_chart = nullptr;
    QPushButton* m_cmdHolmal = nullptr;
    QPushButton* m_cmdFile = nullptr;
    QLabel* m_lblWas = nullptr;
    QList<QLabel*> m_lblBit;
    State m_state = State::Idle;
    // The grid is complete (or the read has ended): selections explain their cell.
    bool m_ready = false;
};

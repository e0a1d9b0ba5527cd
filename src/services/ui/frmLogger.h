#pragma once

#include "app/ui/SecondaryWindow.h"
#include "base/TextTableModel.h"

class LoggerTransfer;
class QLabel;
class QPushButton;
class QTableView;
class TrendChart;
struct LoggerRecording;

// The controller's data logger: cmdSpeichern reads every recorded sample into a fixed-column
// text table chosen by the user, its caption counting down the samples still to come; cmdStop
// ends the transfer after the sample being read, cmdClear clears the logger in the controller.
// The samples read are shown in a grid with their plot beside it (actual values and outputs per
// channel over time; its "Save as CSV" writes the samples for a spreadsheet). The window stays
// open after a transfer so that grid and plot can be looked at; closing it while the transfer
// runs acts as Stop.
class frmLogger : public SecondaryWindow {
    Q_OBJECT
public:
    explicit frmLogger(Workspace& ws);

    void activated() override;
    void retranslate() override;

    // cmdSpeichern: every sample into a text table (ignored while a transfer runs).
    void storeAll();
    // cmdStop: the transfer ends after the sample being read.
    void stop();
    // cmdClear: clears the recorded samples in the controller (no question is asked).
    void clearLogger();

    const LoggerRecording& recording() const;
    const TextTableModel& table() const { return m_table; }
    TrendChart* chart() const { return m_chart; }

private:
    enum class State { Idle, Transfer, Failed, NoLogger };

    void setState(State state);
    void showCaption();
    void showNewSamples();
    void showWritten();
    void showPlot();

    LoggerTransfer* m_transfer = nullptr;
    TextTableModel m_table;
    QTableView* m_grid = nullptr;
    TrendChart* m_chart = nullptr;
    QPushButton* m_cmdSpeichern = nullptr;
    QPushButton* m_cmdStop = nullptr;
    QPushButton* m_cmdClear = nullptr;
    QPushButton* m_cmdAbbruch = nullptr;
    QLabel* m_lblFile = nullptr;
    QPalette m_buttonPalette;
    State m_state = State::Idle;
    QString m_path; // the table written last
};

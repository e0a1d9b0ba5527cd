#pragma once

#include "app/ui/SecondaryWindow.h"
#include "base/TextTableModel.h"

class LoggerTransfer;
class PlotView;
class QLabel;
class QPushButton;
class QTableView;
struct LoggerRecording;

// The controller's data logger: cmdSpeichern reads every recorded sample into a fixed-column
// text table chosen by the user, its caption counting down the samples still to come; cmdStop
// ends the transfer after the sample being read, cmdClear clears the logger in the controller.
// The samples read are shown in a grid with their plot beside it (actual values and outputs per
// channel over time) and can be saved as CSV as well. The window stays open after a transfer so
// that the plot can be looked at; closing it while the transfer runs acts as Stop.
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
    // cmdCsv: the samples read last for a spreadsheet.
    void saveCsv();

    const LoggerRecording& recording() const;
    const TextTableModel& table() const { return m_table; }
    PlotView* plot() const { return m_plot; }

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
    PlotView* m_plot = nullptr;
    QPushButton* m_cmdSpeichern = nullptr;
    QPushButton* m_cmdStop = nullptr;
    QPushButton* m_cmdClear = nullptr;
    QPushButton* m_cmdCsv = nullptr;
    QPushButton* m_cmdAbbruch = nullptr;
    QLabel* m_lblFile = nullptr;
    QPalette m_buttonPalette;
    State m_state = State::Idle;
    QString m_path; // the table written last
};

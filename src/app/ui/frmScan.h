#pragma once

#include "base/TextTableModel.h"
#include "device/LineScan.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;
class Workspace;

// The line scan of the Interface menu: looks for controllers over an address range at the
// present line settings or at all, lists each as it answers, and "Use this controller" takes
// its line settings and address for the program (the main window saves them). Cancel stops the
// scan before its next probe; closing the window while it runs stops it too.
class frmScan : public QDialog {
    Q_OBJECT
public:
    explicit frmScan(Workspace& ws, QWidget* parent = nullptr);

    LineScan& scan() { return m_scan; }
    // Starts the scan with the range and choice shown (the Start button).
    void start();

Q_SIGNALS:
    void useController(const ScanFind& find);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void retranslate();
    void updateButtons();
    void showFound(const ScanFind& find);
    // The line under the progress bar after a scan, in the language in use.
    void showState();

    enum class State { None, Running, Done, Cancelled };
    State m_state = State::None;

    Workspace& m_ws;
    LineScan m_scan;
    TextTableModel m_table;
    QSpinBox* m_txtFrom = nullptr;
    QSpinBox* m_txtTo = nullptr;
    QLabel* m_lblAddresses = nullptr;
    QCheckBox* m_chkAllSettings = nullptr;
    QProgressBar* m_prgScan = nullptr;
    QLabel* m_lblScanState = nullptr;
    QTableView* m_grdScan = nullptr;
    QPushButton* m_cmdStart = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QPushButton* m_cmdUse = nullptr;
    QPushButton* m_cmdClose = nullptr;
};

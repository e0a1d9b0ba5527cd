#pragma once

#include "app/ui/SecondaryWindow.h"

#include <QList>

#include <array>

class Monitor;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class TextTableModel;
class TrendChart;
class WindowManager;
struct MonitorSnapshot;

// The cyclic monitoring window: setpoint, actual value, output and heating current of the
// eight channels (and of a second and third heating device in the extended layout), heating
// voltage, message inputs and error marks, refreshed by every poll of the workspace's Monitor;
// setpoints and outputs typed here are sent with the next poll; the trend chart below.
//
// While monitoring runs the main window is disabled; every way out of it (Stop, closing this
// window, bringing the main window forward, the controller giving up, a reset from the extra
// functions) is the Monitor's one complete stop, which this window follows.
class frmZyklus : public SecondaryWindow {
    Q_OBJECT
public:
    frmZyklus(Workspace& ws, WindowManager& windows);

    void openFor(int argument) override;
    void retranslate() override;
    void activated() override;

    Monitor& monitor() const { return m_monitor; }
    TrendChart& trend() const { return *m_trend; }

    // The buttons.
    void startStop();
    // "Transfer setpoint" (true) or "Transfer PWR" (false).
    void transfer(bool setpoints);
    void stopMapping();
    // The error list of channel 0..7, or of the device (8).
    void showErrorList(int image);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidgets();
    void showLayout();
    void showRunning(bool running);
    void draw(const MonitorSnapshot& s);
    void showValueColors();
    void onIntervalEdited();
    void onTyped(bool setpoint, int channel);
    void showNotSent(bool setpoint);

    WindowManager& m_windows;
    Monitor& m_monitor;
    bool m_startedHere = false;
    bool m_editingSetpoints = false;
    bool m_editingOutputs = false;
    std::array<bool, 8> m_redSetpoints{};
    std::array<bool, 8> m_redOutputs{};

    QList<QLineEdit*> m_txtSollw;  // 0..7
    QList<QLineEdit*> m_txtZyklus; // 0..7
    QList<QLineEdit*> m_txtED;     // 0..7
    QList<QLineEdit*> m_txtStrom;  // 0..23
    QLineEdit* m_txtSpannung = nullptr;
    QLineEdit* m_meldung = nullptr;
    QLabel* m_lblMelde = nullptr;
    QList<QLabel*> m_imgError; // 0..8
    QLabel* m_lblGerFehl = nullptr;
    QList<QWidget*> m_shape4; // the two activity marks
    QList<QWidget*> m_extendedOnly;
    QList<QLabel*> m_names; // lblBeschrift_4..11
    QPushButton* m_cmdZyklus = nullptr;
    QPushButton* m_cmdSwwrite = nullptr;
    QPushButton* m_cmdEDwrite = nullptr;
    QPushButton* m_cmdStop = nullptr;
    QCheckBox* m_chkSpeichern = nullptr;
    QLineEdit* m_txtZZeit = nullptr;
    QTableView* m_grid = nullptr;
    TextTableModel* m_gridModel = nullptr;
    TrendChart* m_trend = nullptr;
};

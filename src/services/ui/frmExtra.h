#pragma once

#include "app/ui/SecondaryWindow.h"
#include "services/ExtraFunctions.h"

#include <QList>
#include <QTimer>

#include <functional>

class QAbstractButton;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class WindowManager;

// The controller's device-level service functions: its own serial interface, the bus protocol
// switch, the CAN baud rate, the real-time clock, reset, heating-current adjustment, mapping,
// the LED command and the two internal transfers. What it shows follows the firmware and the
// attributes; each time the user brings it forward it asks the controller again.
class frmExtra : public SecondaryWindow {
    Q_OBJECT
public:
    frmExtra(Workspace& ws, WindowManager& windows);
    ~frmExtra() override;

    void retranslate() override;
    void activated() override;
    bool busy() const override;

    ExtraFunctions& functions() { return m_extra; }
    const ClockBuffer& clock() const { return m_clock; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidgets();
    // Shows and hides by the firmware and the attributes in the image.
    void applyLayout();
    void showProtocol();
    void showMapping(bool active);
    void showFindings(const ExtraFindings& found);
    void showClock();
    void takeClockField(int field);
    void selectCanBaud(int index);
    void setTransferButtons(bool running);
    void updateInterfaceButton();
    // Runs one user-started device operation through the operation gate; the window stays
    // until it has ended.
    void run(QAbstractButton* button, const std::function<void()>& operation);
    void pollTransfer();

    void sendInterface();
    void sendCanBaud();
    void readCanBaud();
    void switchProtocol();
    void readClock();
    void setClock();
    void toggleMapping();
    void startTransfer(OperationCommand transfer);

    Workspace& m_ws;
    WindowManager& m_windows;
    ExtraFunctions m_extra;
    ClockBuffer m_clock{0, 0, 0, 1, 1, 0};
    BusProtocol m_protocol = BusProtocol::Modbus;
    bool m_mappingActive = false;
    int m_running = 0; // operations of this window in progress
    bool m_closeWhenIdle = false;
    QTimer m_timTrans;

    QGroupBox* m_fraBaud = nullptr;
    QGroupBox* m_fraParity = nullptr;
    QGroupBox* m_fraCanBaud = nullptr;
    QButtonGroup* m_optBaud = nullptr;
    QButtonGroup* m_optPar = nullptr;
    QButtonGroup* m_optCanBaud = nullptr;
    QPushButton* m_cmdOK = nullptr;
    QPushButton* m_cmdcanok = nullptr;
    QLabel* m_lblModAdr = nullptr;
    QLineEdit* m_txtModAdr = nullptr;
    QPushButton* m_cmdModAdr = nullptr;
    QLabel* m_lblTimeDate = nullptr;
    QList<QLineEdit*> m_txtTimeDate;
    QPushButton* m_cmdGetPC = nullptr;
    QPushButton* m_cmdGetTime = nullptr;
    QPushButton* m_cmdSetTime = nullptr;
    QPushButton* m_cmdReset = nullptr;
    QPushButton* m_cmdModbus = nullptr;
    QPushButton* m_cmdHUE = nullptr;
    QPushButton* m_cmdMapping = nullptr;
    QPushButton* m_cmdR2CPU = nullptr;
    QPushButton* m_cmdR2DB100 = nullptr;
    QPushButton* m_ShowToggel = nullptr;
    QPushButton* m_cmdAbbruch = nullptr;
};

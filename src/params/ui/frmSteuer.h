#pragma once

#include "app/ui/SecondaryWindow.h"
#include "device/OperationGate.h"
#include "params/ChannelStatus.h"
#include "params/ControlWordForm.h"

#include <QList>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The control-word window of one channel: the controller function, configuration, alarm mask,
// limit function and extended configuration as decimal fields with their boxes and lists, and
// the channel's live controller status and alarm status. Edits are stored at once; the
// controller function can also be sent at once. The status is read whenever the user brings
// the window forward and on "Read again".
class frmSteuer : public SecondaryWindow {
    Q_OBJECT
public:
    explicit frmSteuer(Workspace& ws);

    // Channel 0..7; the window keeps it whatever else changes.
    void openFor(int channel) override;
    void retranslate() override;
    void activated() override;

    int channel() const { return m_form.channel(); }
    ControlWordForm& form() { return m_form; }

    // The buttons' operations.
    void readAgain();
    void sendFunction();
    void copyWords();
    void showPhaseHelp();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidgets();
    OperationGate::Ticket enterDevice(int caption);
    void takeStatus(const ChannelStatusService::Status& status);
    void showStatus();
    void showAlarmStatus();
    void showFirmwareRules();
    void showDeviceButtons();
    void onCopyTargetEdited(const QString& text);

    ControlWordForm m_form;
    ChannelStatusService m_service;
    FormBinder* m_binder = nullptr;
    std::optional<int> m_statusWord;

    QLabel* m_lblSRegnr = nullptr;
    QLineEdit* m_statusField = nullptr; // txtSteuer_3
    QLineEdit* m_alarmField = nullptr;  // txtSteuer_5
    QList<QLabel*> m_statusLabels;      // lblStatus_0..7
    QList<QLineEdit*> m_status;         // txtStatus_0..7
    QList<QCheckBox*> m_alarmStatus;    // chkFehler_0..13
    QCheckBox* m_functionBit3 = nullptr;
    QPushButton* m_cmdRegfunc = nullptr;
    QPushButton* m_holStatus = nullptr;
    QLineEdit* m_txtCopyKan = nullptr;
};

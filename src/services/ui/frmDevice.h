#pragma once

#include "app/ui/SecondaryWindow.h"
#include "services/DeviceParameters.h"

class FormBinder;

// The parameters of the whole controller (heating currents of further devices, current
// transformer, heating voltage, sampling time, logger, power limitation, threshold, the
// switches of the dimension byte). It edits the device image only; each field is stored when
// it is left.
class frmDevice : public SecondaryWindow {
    Q_OBJECT
public:
    explicit frmDevice(Workspace& ws);

    void activated() override;
    DeviceParameterForm& form() { return m_form; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWidgets();
    void explainRefusal(int field);
    // The frames around the heating currents and the unit options go with their fields.
    void showFrames();

    DeviceParameterForm m_form;
    FormBinder* m_binder = nullptr;
    QWidget* m_currents = nullptr;
    QWidget* m_unit = nullptr;
    int m_refused = -1; // the switch the last edit did not set
};
